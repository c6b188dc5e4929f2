#pragma once
// A stand-in for the main window as the web tools' host: it records the addresses it was
// asked to open and the links it was asked to delete, and offers a tree of its own.

#include "shared/globals.h"
#include "webtools/webtools_host.h"

#include <QStringList>
#include <QTreeWidget>

class FakeWebToolsHost : public WebToolsHost
{
public:
    QTreeWidget *tree() override { return &m_tree; }
    void updateTree() override { ++treeUpdates; }
    QWidget *window() override { return nullptr; }
    QString topicText() override { return topic; }
    QString subTopicText() override { return subTopic; }
    QString editionText() override { return edition; }
    void navigateWebSite(const QString &address) override { opened.append(address); }
    void deleteLink() override
    {
        deleted.append(SelectedNodePath + QLatin1Char('|') + SelectedLinkUrl);
        if (deleteAction)
            deleteAction();
    }

    QString topic = QStringLiteral("Computers");
    QString subTopic = QStringLiteral("Programming");
    QString edition = QStringLiteral("Sample Edition");
    QStringList opened;
    QStringList deleted;   // "<SelectedNodePath>|<SelectedLinkUrl>" of each call
    std::function<void()> deleteAction;
    int treeUpdates = 0;

private:
    QTreeWidget m_tree;
};
