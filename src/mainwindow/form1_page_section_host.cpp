#include "mainwindow/form1_page_section_host.h"

#include "mainwindow/form1.h"
#include "platform/webbrowser.h"

#include <QComboBox>

Form1PageSectionHost::Form1PageSectionHost(Form1 *form)
    : m_form(form)
{
}

QWidget *Form1PageSectionHost::window()
{
    return m_form;
}

QString Form1PageSectionHost::topicText() const
{
    return m_form->Combo1 ? m_form->Combo1->currentText() : QString();
}

qint32 Form1PageSectionHost::topicId() const
{
    // The Topic list holds each Topic's MainTopicId as its entry's data.
    return m_form->Combo1 ? m_form->Combo1->currentData().toInt() : 0;
}

QString Form1PageSectionHost::subTopicText() const
{
    return m_form->Combo2 ? m_form->Combo2->currentText() : QString();
}

bool Form1PageSectionHost::WriteLinksXml(const QString &fileName, const QString &rootName)
{
    return m_form->WriteLinksXml(fileName, rootName);
}

bool Form1PageSectionHost::TransformXml(const QString &xmlFile, const QString &xslFile, const QString &outputFile)
{
    return m_form->TransformXml(xmlFile, xslFile, outputFile);
}

void Form1PageSectionHost::navigate(const QString &path)
{
    if (m_form->results)
        m_form->results->Navigate(path);
}

void Form1PageSectionHost::refresh()
{
    if (m_form->results)
        m_form->results->Refresh();
}

void Form1PageSectionHost::Combo2_Click()
{
    m_form->Combo2_Click();
}
