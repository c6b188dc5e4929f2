#include "mainwindow/form1_webtools_host.h"

#include "mainwindow/form1.h"

#include <QComboBox>

QTreeWidget *Form1WebToolsHost::tree()
{
    return m_form->TvwBestell;
}

void Form1WebToolsHost::updateTree()
{
    m_form->updateTree();
}

QWidget *Form1WebToolsHost::window()
{
    return m_form;
}

QString Form1WebToolsHost::topicText()
{
    return m_form->Combo1->currentText();
}

QString Form1WebToolsHost::subTopicText()
{
    return m_form->Combo2->currentText();
}

QString Form1WebToolsHost::editionText()
{
    return m_form->Combo6->currentText();
}

void Form1WebToolsHost::navigateWebSite(const QString &address)
{
    m_form->NavigateWebSite(address, 0);
}

void Form1WebToolsHost::deleteLink()
{
    m_form->DeleteLink();
}
