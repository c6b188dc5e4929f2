// The Page menu's section commands: section links, section headers and the colour scheme.

#include "mainwindow/form1_page_section_host.h"
#include "editing/page_section_commands.h"
#include "mainwindow/form1.h"

void Form1::mnuSectionHeaderUpdate_Click()
{
    Form1PageSectionHost host(this);
    PageSectionCommands::mnuSectionHeaderUpdate_Click(host);
}

void Form1::mnuEditLinks_Click(int index)
{
    Form1PageSectionHost host(this);
    PageSectionCommands::mnuEditLinks_Click(host, index);
}

void Form1::mnuColorSchema_Click()
{
    Form1PageSectionHost host(this);
    PageSectionCommands::mnuColorSchema_Click(host);
}
