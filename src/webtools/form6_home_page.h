#pragma once
// "Home Page Setup": the address the browser's home command opens, kept in the setting
// "homePage".

#include <QDialog>
#include <QPointer>

class QLabel;
class QLineEdit;
class QPushButton;
class WebBrowser;

class Form6 : public QDialog
{
    Q_OBJECT
public:
    // browser: the main window's browser, whose address "Use Current" takes.
    explicit Form6(WebBrowser *browser, QWidget *parent = nullptr);

    QLabel *Label1 = nullptr;      // "Address:"
    QLineEdit *Text1 = nullptr;    // the address
    QPushButton *Command1 = nullptr;   // "Use Current"
    QPushButton *Command2 = nullptr;   // "OK"
    QPushButton *Command3 = nullptr;   // "Cancel"

    void Form_Load();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

private:
    QPointer<WebBrowser> m_browser;
};
