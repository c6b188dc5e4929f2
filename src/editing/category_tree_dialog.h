#pragma once
// The window shared by the dialogs that work on the node selected in the main window's
// tree (adding a sub-category or a link, renaming a link or its address): their own rows
// of controls, a "Parent Folder:" row with the node's tree path, then their command button
// and Cancel.

#include <QDialog>

class CategoryTreeHost;
class QGridLayout;
class QLabel;
class QPushButton;

class CategoryTreeDialog : public QDialog
{
    Q_OBJECT
public:
    QLabel *Label2 = nullptr;          // "Parent Folder:"
    QLabel *Label3 = nullptr;          // the node's tree path
    QPushButton *Command1 = nullptr;   // the dialog's command ("Add", "OK")
    QPushButton *Command2 = nullptr;   // "Cancel"

    void Command2_Click();   // Cancel

protected:
    // name is the window's object name.
    CategoryTreeDialog(CategoryTreeHost &host, const QString &name, const QString &title, QWidget *parent);

    // Completes the window once the dialog's own controls are made and laid out in grid:
    // adds the "Parent Folder:" row below them, the command button and Cancel below that.
    // firstControl has the focus whenever the dialog shows.
    void build(QGridLayout *grid, const QString &commandCaption, QWidget *firstControl);

    // Shows the selected node's tree path, places the window and opens the edition.
    void showSelectedPath();

    void showEvent(QShowEvent *event) override;

    CategoryTreeHost &m_host;

private:
    QWidget *m_firstControl = nullptr;
};
