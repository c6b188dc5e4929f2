#pragma once
// "Add Sub-Category": adds a category that holds links under the category selected in the
// main window's tree.

#include <QDialog>

class CategoryTreeHost;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

class Form2 : public QDialog
{
    Q_OBJECT
public:
    explicit Form2(CategoryTreeHost &host, QWidget *parent = nullptr);

    QLabel *Label1 = nullptr;          // "Name:"
    QLineEdit *Text1 = nullptr;        // the new name
    QLabel *Label2 = nullptr;          // "Parent Folder:"
    QLabel *Label3 = nullptr;          // the parent's tree path
    QPushButton *Command1 = nullptr;   // "Add"
    QPushButton *Command2 = nullptr;   // "Cancel"

    void Form_Load();
    void Command1_Click();   // Add
    void Command2_Click();   // Cancel

    // Stores the sub-category; false (after saying why) when it could not be stored.
    bool updatedb();
    // True when a node of the tree, joined to its parent's text as "<parent>\<name>",
    // equals key (letter case ignored).
    bool SubCategoryExists(const QString &key);
    // Index of the first tree node whose key equals key (letter case ignored); 0 when none.
    int FindNodeByKey(const QString &key);
    // True when a node has key as it is, or in proper, upper or lower case, and a text.
    bool GetNodeByKey(const QString &key);

protected:
    void showEvent(QShowEvent *event) override;

private:
    CategoryTreeHost &m_host;
};
