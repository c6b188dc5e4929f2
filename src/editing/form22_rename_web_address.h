#pragma once
// "Rename Web Address": gives the link selected in the main window's tree a new address;
// its name stays.

#include <QDialog>

class CategoryTreeHost;
class QLabel;
class QLineEdit;
class QPushButton;

class Form22 : public QDialog
{
    Q_OBJECT
public:
    explicit Form22(CategoryTreeHost &host, QWidget *parent = nullptr);

    QLabel *Label1 = nullptr;          // "Old Link Address:"
    QLineEdit *Text1 = nullptr;        // the link's address
    QLabel *Label4 = nullptr;          // "New Link Address:"
    QLineEdit *Text2 = nullptr;        // the new address, at first the old one
    QLabel *Label2 = nullptr;          // "Parent Folder:"
    QLabel *Label3 = nullptr;          // the link's tree path
    QPushButton *Command1 = nullptr;   // "OK"
    QPushButton *Command2 = nullptr;   // "Cancel"

    void Form_Load();
    void Command1_Click();   // OK
    void Command2_Click();   // Cancel

    // Stores the new address (as typed) on the link; false (after saying why) when it
    // could not be stored.
    bool EditURL();

protected:
    void showEvent(QShowEvent *event) override;

private:
    CategoryTreeHost &m_host;
    QString m_name;      // the link's name
    QString m_address;   // the link's address
};
