#pragma once
// The main window as the host of the page commands: its Topic and Sub-Topic lists, its
// page builder and its page browser.
//
// The main window's handlers run the commands through it:
//   void Form1::mnuEditLinks_Click(int index)
//   { Form1PageSectionHost host(this); PageSectionCommands::mnuEditLinks_Click(host, index); }

#include "editing/page_section_commands.h"

class Form1;

class Form1PageSectionHost : public PageSectionHost
{
public:
    explicit Form1PageSectionHost(Form1 *form);

    QWidget *window() override;
    QString topicText() const override;
    qint32 topicId() const override;
    QString subTopicText() const override;
    bool WriteLinksXml(const QString &fileName, const QString &rootName) override;
    bool TransformXml(const QString &xmlFile, const QString &xslFile, const QString &outputFile) override;
    void navigate(const QString &path) override;
    void refresh() override;
    void Combo2_Click() override;

private:
    Form1 *m_form;
};
