#pragma once
// The connection dialog "Internet Connection": asks once per run whether web requests
// go through a proxy, pre-filled from the browser's proxy setting and the user's log-on
// name. OK keeps the answer in this run's connection settings (shared/globals.h).

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class Form19 : public QDialog
{
    Q_OBJECT
public:
    explicit Form19(QWidget *parent = nullptr);

    // Host and port of a proxy setting such as "host:8080;<local>": the part before the
    // first ";", split at its last ":" when that stands at position 2 or later
    // (1-based). Answers false, leaving host and port alone, when there is no such ":".
    static bool SplitProxySetting(const QString &setting, QString &host, QString &port);
    // The log-on name of the user running the program.
    static QString LogOnUserName();

    QRadioButton *Option2 = nullptr;   // "Proxy Connection"
    QRadioButton *Option1 = nullptr;   // "Direct Connection"
    QGroupBox *Frame1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLineEdit *Text1 = nullptr;        // proxy server
    QLineEdit *Text2 = nullptr;        // port
    QLineEdit *Text3 = nullptr;        // user id
    QLineEdit *Text4 = nullptr;        // password
    QPushButton *Command1 = nullptr;   // "OK"

    void Form_Load();
    void Option1_Click();
    void Option2_Click();
    void Command1_Click();
    // Enter in the password box acts as OK when the password is not blank.
    void Text4_Return();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
