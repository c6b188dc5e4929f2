#pragma once
// "Notation Box": shows the notation of the node right-clicked in the main window's tree
// (or of a link the edition search found), lets the user change it and stores it.

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

class Form31 : public QDialog
{
    Q_OBJECT
public:
    explicit Form31(QWidget *parent = nullptr);

    QPlainTextEdit *Text1 = nullptr;   // the notation
    QPushButton *Command1 = nullptr;   // "OK"
    QPushButton *Command2 = nullptr;   // "Cancel"

    // Shows NotationText; for a link of a known category, the notation stored with it.
    void Form_Load();
    // Stores the text: a link's (NotationIsSite non-zero: SelectedLinkName and
    // SelectedLinkUrl, in the category of SelectedNodePath when that path is the link's)
    // or the category's at SelectedNodePath.
    void Command1_Click();
    void Command2_Click();
    // Whenever the dialog closes: NotationText is emptied.
    void Form_Unload();

    void done(int result) override;
};
