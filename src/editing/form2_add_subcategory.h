#pragma once
// "Add Sub-Category": adds a category that holds links under the category selected in the
// main window's tree.

#include "editing/category_tree_dialog.h"

class QLineEdit;

// Label2 "Parent Folder:" and Label3 show the parent's tree path; Command1 is "Add".
class Form2 : public CategoryTreeDialog
{
    Q_OBJECT
public:
    explicit Form2(CategoryTreeHost &host, QWidget *parent = nullptr);

    QLabel *Label1 = nullptr;          // "Name:"
    QLineEdit *Text1 = nullptr;        // the new name

    void Form_Load();
    void Command1_Click();   // Add

    // Stores the sub-category; false (after saying why) when it could not be stored.
    bool updatedb();
    // True when a node of the tree, joined to its parent's text as "<parent>\<name>",
    // equals key (letter case ignored).
    bool SubCategoryExists(const QString &key);
    // Index of the first tree node whose key equals key (letter case ignored); 0 when none.
    int FindNodeByKey(const QString &key);
    // True when a node has key as it is, or in proper, upper or lower case, and a text.
    bool GetNodeByKey(const QString &key);
};
