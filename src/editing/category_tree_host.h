#pragma once
// The main window's category tree as the category and link dialogs use it: its nodes, and
// the rebuild from the edition after a change.

class QTreeWidget;
class QWidget;

class CategoryTreeHost
{
public:
    virtual ~CategoryTreeHost() = default;
    virtual QTreeWidget *tree() = 0;
    // Rebuilds the tree of the shown Sub-Topic from the edition.
    virtual void updateTree() = 0;
    // The window the dialogs belong to.
    virtual QWidget *window() = 0;

    // Scrolls the first and the second node into view, in that order (after a rebuild).
    void showFirstNodes();
};
