#pragma once
// "Section Headers Update": the six section captions of the shown Sub-Topic's page.
// "OK" checks and stores them, clears the page cache and has the page built anew.

#include <QDialog>

class PageSectionHost;
class QLabel;
class QLineEdit;
class QPushButton;

class Form23 : public QDialog
{
    Q_OBJECT
public:
    explicit Form23(PageSectionHost &host, QWidget *parent = nullptr);

    QLabel *Label[6] = {};         // "Section 1 Header:" ...
    QLineEdit *Text[6] = {};       // Text1 .. Text6
    QPushButton *Command1 = nullptr;   // "OK"
    QPushButton *Command2 = nullptr;   // "Cancel"

    // Fills the boxes with the headers of the Sub-Topic the main window shows.
    void Form_Load();
    void Command1_Click();
    void Command2_Click();

private:
    PageSectionHost &m_host;
};
