#pragma once
// "Change Font Size": shows the text size of the main window's browser (0 smallest to 4
// largest) and changes it a step at a time as the slider moves. Shown without the modal
// flag; one at a time.

#include <QDialog>
#include <QPointer>

class QLabel;
class QPushButton;
class QSlider;
class WebBrowser;

class Form27 : public QDialog
{
    Q_OBJECT
public:
    static Form27 *open(WebBrowser *browser, QWidget *parent = nullptr);
    static Form27 *existing() { return s_form; }

    QLabel *Label1 = nullptr;      // "Current Font Size:"
    QLabel *Label2 = nullptr;      // the level shown
    QSlider *Slider1 = nullptr;    // 0 to 4
    QPushButton *Command4 = nullptr;   // "OK"

    void Form_Load();
    // One step larger or smaller, in the browser and in the level shown (kept within 0 to 4).
    void ZoomIn();
    void ZoomOut();
    // The slider was moved (by mouse or keys).
    void Slider1_Scroll();
    void Command4_Click();

private:
    Form27(WebBrowser *browser, QWidget *parent);
    int shownLevel() const;

    QPointer<WebBrowser> m_browser;
    static QPointer<Form27> s_form;
};
