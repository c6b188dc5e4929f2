#pragma once
// The main window as the host of the category and link dialogs: its tree TvwBestell and
// its rebuild of that tree.

#include "editing/category_tree_host.h"

class Form1;

class Form1CategoryTreeHost : public CategoryTreeHost
{
public:
    explicit Form1CategoryTreeHost(Form1 *form) : m_form(form) {}

    QTreeWidget *tree() override;
    void updateTree() override;
    QWidget *window() override;

private:
    Form1 *m_form;
};
