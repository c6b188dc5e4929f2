#pragma once
// "Personal Account Information ": the stored web accounts of the active edition, one
// entry per title and address. Go chooses the selected account (its address goes into
// AccountPageUrl); Delete removes every row of the selected account's title.

#include <QDialog>

class QPushButton;
class QTreeWidget;

class Form10 : public QDialog
{
    Q_OBJECT
public:
    explicit Form10(QWidget *parent = nullptr);

    QTreeWidget *ListView1 = nullptr;  // "Title", "URL"
    QPushButton *Command4 = nullptr;   // "Go"
    QPushButton *Command2 = nullptr;   // "Delete"
    QPushButton *Command3 = nullptr;   // "Cancel"

    void Form_Load();
    void UpdatePrivateInfo();
    void Command4_Click();
    void ListView1_DblClick();
    void Command2_Click();
    void Command3_Click();

    // The title of the account chosen with Go ("" until one is).
    QString chosenTitle() const { return m_chosenTitle; }

private:
    void updateButtons();

    QString m_chosenTitle;
};
