#pragma once
// "Web-based Email Setup": the choice of the web-mail service the browser's mail command
// opens, kept in the setting "EmailURL".

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

class Form28 : public QDialog
{
    Q_OBJECT
public:
    explicit Form28(QWidget *parent = nullptr);

    QLabel *Label1 = nullptr;      // "Please Select An Email Website"
    QComboBox *Combo1 = nullptr;   // the services
    QPushButton *Command2 = nullptr;   // "OK"
    QPushButton *Command3 = nullptr;   // "Cancel"

    void Form_Load();
    void Command2_Click();
    void Command3_Click();
};
