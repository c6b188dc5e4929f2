#include "mainwindow/form1_category_tree_host.h"

#include "mainwindow/form1.h"

QTreeWidget *Form1CategoryTreeHost::tree()
{
    return m_form->TvwBestell;
}

void Form1CategoryTreeHost::updateTree()
{
    m_form->updateTree();
}

QWidget *Form1CategoryTreeHost::window()
{
    return m_form;
}
