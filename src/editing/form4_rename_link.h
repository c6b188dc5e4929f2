#pragma once
// "Rename Link  Name": gives the link selected in the main window's tree a new name; its
// address stays.

#include <QDialog>

class CategoryTreeHost;
class QLabel;
class QLineEdit;
class QPushButton;

class Form4 : public QDialog
{
    Q_OBJECT
public:
    explicit Form4(CategoryTreeHost &host, QWidget *parent = nullptr);

    QLabel *Label1 = nullptr;          // "Old Link Name:"
    QLineEdit *Text1 = nullptr;        // the link's name
    QLabel *Label4 = nullptr;          // "New Link Name:"
    QLineEdit *Text2 = nullptr;        // the new name
    QLabel *Label2 = nullptr;          // "Parent Folder:"
    QLabel *Label3 = nullptr;          // the link's tree path
    QPushButton *Command1 = nullptr;   // "OK"
    QPushButton *Command2 = nullptr;   // "Cancel"

    // Shows the selected link.
    void Form_Load();
    void Command1_Click();   // OK
    void Command2_Click();   // Cancel

    // Stores the new name (as typed) on the link; false (after saying why) when it could
    // not be stored.
    bool RenameLink();

    QString address() const { return m_address; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    CategoryTreeHost &m_host;
    QString m_address;   // the link's address
};
