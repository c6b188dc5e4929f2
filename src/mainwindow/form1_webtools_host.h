#pragma once
// The main window as the host of the edition search, the link check and the stored
// accounts.

#include "webtools/webtools_host.h"

class Form1;

class Form1WebToolsHost : public WebToolsHost
{
public:
    explicit Form1WebToolsHost(Form1 *form) : m_form(form) {}

    QTreeWidget *tree() override;
    void updateTree() override;
    QWidget *window() override;
    QString topicText() override;
    QString subTopicText() override;
    QString editionText() override;
    void navigateWebSite(const QString &address) override;
    void deleteLink() override;

private:
    Form1 *m_form;
};
