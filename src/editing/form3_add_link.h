#pragma once
// "Add  Link": adds one link to the category selected in the main window's tree. The name
// and address lists offer the pages of this program's open browser windows; "Browse" picks
// a local file instead.

#include "editing/category_tree_dialog.h"

class QComboBox;
class TreeNode;

// Label2 "Parent Folder:" and Label3 show the category's tree path; Command1 is "Add".
class Form3 : public CategoryTreeDialog
{
    Q_OBJECT
public:
    explicit Form3(CategoryTreeHost &host, QWidget *parent = nullptr);

    QLabel *Label1 = nullptr;          // "Link Name:"
    QComboBox *Combo1 = nullptr;       // the link's name; lists the browser windows' titles
    QLabel *Label4 = nullptr;          // "Link Address:"
    QComboBox *Combo2 = nullptr;       // the link's address; lists the same windows' addresses
    QPushButton *Command3 = nullptr;   // "Browse"

    // Shows the selected category and the open browser windows' pages.
    void Form_Load();
    // Picking a title picks the address of the same window.
    void Combo1_Click();
    void Command1_Click();   // Add
    void Command3_Click();   // Browse

    // Stores the link of the boxes in the category of Label3; false (after saying why)
    // when it could not be stored, and then nothing was.
    bool updatedb();
    // The tree test of a new link name (see LinkEditing::FindTVString), from ClickedNodeText.
    static int FindTVString(TreeNode *start, const QString &name);
    // True when the category already holds a link called name (letter case ignored): the
    // category is the selected node when selectedIsCategory is non-zero, else its parent.
    static bool checkDup(const QString &name, int selectedIsCategory);
    // Fills the name and address lists from the open browser windows; a dropped address
    // that one of them shows gets that window's title (DroppedLinkUrl becomes
    // "<title>,<address>").
    void GetActiveIE();
    // False when a child of the tree's selected node has that address or that name
    // (letter case significant); true otherwise, also when there is nothing to look at.
    bool CheckChildren(const QString &name, const QString &address);
    // True when a node of the tree has exactly that text; the nodes up to it turn white.
    bool TreeDupSearch(const QString &name);
};
