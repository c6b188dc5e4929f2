// The main window's Topic and Sub-Topic lists: choosing a Topic lists its Sub-Topics;
// choosing a Sub-Topic shows its page (from the page cache, or built now), its tree and its
// keywords, and enables the commands that need a Sub-Topic.

#include "mainwindow/form1.h"

#include "pages/topic_page_builder.h"
#include "mainwindow/topic_selection.h"
#include "platform/programfolder.h"
#include "platform/webbrowser.h"
#include "shared/database.h"
#include "shared/fileroutines.h"
#include "shared/globals.h"
#include "shared/tree_nodes.h"
#include "shared/wait_cursor.h"

#include <QAction>
#include <QComboBox>
#include <QSignalBlocker>
#include <QTreeWidget>

void Form1::clearTree()
{
    TvwBestell->setUpdatesEnabled(false);
    TreeNodes::of(TvwBestell)->Clear();
    TvwBestell->setUpdatesEnabled(true);
}

void Form1::setEditLinksEnabled(bool enabled)
{
    for (QAction *item : mnuEditLinks)
        item->setEnabled(enabled);
}

void Form1::Combo1_Click()
{
    if (Combo2->isHidden())
        Combo2->show();

    // Entry 0 is "Select Topic": nothing is chosen, so no command may act on the Topic or
    // on the Sub-Topic shown before.
    if (Combo1->currentIndex() <= 0) {
        mnutopicDelete->setEnabled(false);
        mnuTopicRename->setEnabled(false);
        mnuMoveSubtopic->setEnabled(false);
        mnuSubtopicExport->setEnabled(false);
        mnuSubtopic->setEnabled(false);
        mnusubTopicAdd->setEnabled(false);
        mnuSubtopicDelete->setEnabled(false);
        mnuSubtopicRename->setEnabled(false);
        mnuIntranet->setEnabled(false);
        mnuColorSchema->setEnabled(false);
        setEditLinksEnabled(false);
        CurrentPageFile.clear();
        clearTree();
        results->Navigate(QStringLiteral("about:blank"));
        const QSignalBlocker block(Combo2);
        Combo2->clear();
        return;
    }

    mnutopicDelete->setEnabled(true);
    mnuTopicRename->setEnabled(true);
    mnuSubtopic->setEnabled(true);
    mnusubTopicAdd->setEnabled(true);
    mnuMoveSubtopic->setEnabled(true);
    mnuSubtopicExport->setEnabled(true);

    OpenDatabase(CurrentDatabaseFile);
    const qint32 topicId = Combo1->currentData().toInt();
    const QList<TopicSelection::SubTopic> subTopics = TopicSelection::subTopics(topicId);
    {
        const QSignalBlocker block(Combo2);
        Combo2->clear();
        Combo2->addItem(QStringLiteral("Select Sub-Topic"));
        for (const TopicSelection::SubTopic &sub : subTopics)
            Combo2->addItem(sub.name, sub.id);
        Combo2->setCurrentIndex(0);
    }
    Combo2_Click();
    mnusubTopicAdd->setEnabled(true);

    mnuSubtopicDelete->setEnabled(false);
    mnuMoveSubtopic->setEnabled(false);
    mnuSubtopicExport->setEnabled(false);
    clearTree();
    if (Combo2->currentIndex() <= 0)
        setEditLinksEnabled(false);
}

void Form1::Combo2_Click()
{
    CurrentPageFile.clear();
    clearTree();

    // Entry 0 is "Select Sub-Topic": nothing is chosen.
    if (Combo2->currentIndex() <= 0) {
        mnuIntranet->setEnabled(false);
        mnuColorSchema->setEnabled(false);
        mnuSubtopic->setEnabled(true);
        mnusubTopicAdd->setEnabled(true);
        mnuSubtopicDelete->setEnabled(false);
        mnuSubtopicRename->setEnabled(false);
        mnuMoveSubtopic->setEnabled(false);
        mnuSubtopicExport->setEnabled(false);
        setEditLinksEnabled(false);
        results->Navigate(QStringLiteral("about:blank"));
        return;
    }

    mnuMoveSubtopic->setEnabled(true);
    mnuSubtopicExport->setEnabled(true);
    setEditLinksEnabled(true);

    {
        const WaitCursor busy;
        CurrentSubTopicId = qint32(Combo2->currentData().toLongLong());
        CurrentPageFile = PageFileName(Combo2->currentText(), CurrentSubTopicId);
        OpenDatabase(CurrentDatabaseFile);

        const QString page = ProgramFolder() + CurrentPageFile;
        if (!FileExistsNonEmpty(page)) {
            // Not in the page cache: build the page now.
            QStringList captions;
            if (TopicSelection::sectionCaptions(CurrentSubTopicId, &captions))
                BuildPageStylesheet(QStringLiteral("tpmaster.xsl"), captions.at(0), captions.at(1), captions.at(2),
                                    captions.at(3), captions.at(4), captions.at(5), QString());
            PrepareTopicHomePage(CurrentSubTopicId);
        }
        // A page that could not be made (the failure has been reported) leaves the view on
        // the page it shows instead of an error page.
        if (FileExistsNonEmpty(page))
            results->Navigate(page);

        updateTree();
        TreeNodes *nodes = TreeNodes::of(TvwBestell);
        for (int index : {1, 2})
            if (TreeNode *node = nodes->Item(index))
                node->EnsureVisible();
    }

    mnuColorSchema->setEnabled(true);
    const QString keywords = TopicSelection::keywordList(CurrentSubTopicId);
    mnuSubtopic->setEnabled(true);
    mnuIntranet->setEnabled(true);
    if (mnuISon->isChecked())
        FillKeywordCombo(keywords);
    mnuSubtopicDelete->setEnabled(true);
}
