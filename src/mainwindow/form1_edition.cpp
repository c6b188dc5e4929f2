// The main window's active edition: opening it, the edition list and the backup.

#include "mainwindow/form1.h"

#include "editions/edition_loader.h"
#include "platform/dialogs.h"
#include "platform/webbrowser.h"
#include "platform/programfolder.h"
#include "shared/database.h"
#include "shared/globals.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QSignalBlocker>

bool Form1::LoadDb()
{
    clearTree();

    const EditionLoader loader;
    switch (loader.readActiveEdition()) {
    case EditionLoader::ListState::Missing:
        if (!m_loaded) {
            abortLoad(QStringLiteral("The edition list dbnames.txt is missing or empty, so there is no edition to open."));
        } else {
            MsgBox(QStringLiteral("The edition list dbnames.txt is missing or empty, so there is no edition to open.\n"
                                  "Quorvane Desktop 2 will close."),
                   vbCritical, QStringLiteral("Edition List"));
            close();
        }
        return false;
    case EditionLoader::ListState::NoActive:
        abortLoad(QStringLiteral("The edition list dbnames.txt marks no edition as the active one."));
        return false;
    case EditionLoader::ListState::Ok:
        break;
    }

    if (loader.openActiveEdition()) {
        m_lastOpenFailure.clear();
        const QList<EditionLoader::Topic> topics = loader.topics();
        {
            const QSignalBlocker block1(Combo1);
            const QSignalBlocker block2(Combo2);
            Combo1->clear();
            Combo2->clear();
            Combo1->addItem(QStringLiteral("Select Topic"));
            for (const EditionLoader::Topic &topic : topics)
                Combo1->addItem(topic.name, topic.id);
            Combo1->setCurrentIndex(0);
        }
        Combo1_Click();
        mnusubTopicAdd->setEnabled(false);
        mnuColorSchema->setEnabled(false);
        mnuSubtopicDelete->setEnabled(false);
    } else if (m_lastOpenFailure != CurrentDatabaseFile) {
        // Told once, not again for each of the loads that follow one choice.
        m_lastOpenFailure = CurrentDatabaseFile;
        if (QFileInfo(FindProgramFile(CurrentDatabaseFile)).isFile()) {
            m_damageTold = CurrentDatabaseFile;
            MsgBox(loader.damagedMessage(false), vbExclamation, QStringLiteral("Edition"));
        } else {
            MsgBox(QStringLiteral("The edition database ") + CurrentDatabaseFile
                       + QStringLiteral(" could not be opened: the file is missing."),
                   vbExclamation, QStringLiteral("Edition"));
        }
    }

    setEditLinksEnabled(false);
    results->Navigate(QStringLiteral("about:blank"));
    // An edition that did not open is neither backed up nor taken for the active one.
    return DatabaseIsOpen();
}

void Form1::PrepareEditions()
{
    const EditionLoader::Choices choices = EditionLoader().editionChoices();
    {
        const QSignalBlocker block(Combo6);
        Combo6->clear();
        // Each entry keeps its line's database file.
        for (int i = 0; i < choices.names.size(); ++i)
            Combo6->addItem(choices.names.at(i), choices.files.at(i));
    }
    // An empty list has no entry to select, and the rest does not run.
    if (choices.selected < 0)
        return;
    {
        const QSignalBlocker block(Combo6);
        Combo6->setCurrentIndex(choices.selected);
    }
    Combo6_Click();
    if (m_loadAborted)
        return;
    const QSignalBlocker block(Combo2);
    Combo2->clear();
}

void Form1::Combo6_Activated(int index)
{
    // Picking the edition that is already active changes nothing.
    if (index == EditionLoader().activeIndex())
        return;
    Combo6_Click();
}

void Form1::Combo6_Click()
{
    const EditionLoader loader;
    const int index = Combo6->currentIndex();
    const int active = loader.activeIndex();
    const auto stayOnActive = [this, active] {
        const QSignalBlocker block(Combo6);
        Combo6->setCurrentIndex(active);
    };
    if (index != -1 && index != active && !loader.entryOpens(index)) {
        // A switch that cannot succeed changes nothing: the list, its file and the
        // Topic lists stay on the edition that is open.
        MsgBox(EditionLoader::cannotOpenMessage(Combo6->itemText(index), loader.entryFile(index)), vbExclamation,
               QStringLiteral("Edition"));
        stayOnActive();
        return;
    }
    if (index != -1 && !loader.makeActive(index)) {
        MsgBox(QStringLiteral("The edition list dbnames.txt could not be rewritten, so the active edition "
                              "stays as it was."),
               vbExclamation, QStringLiteral("Edition List"));
        stayOnActive();
        return;
    }
    if (!LoadDb())
        return;
    BackupEdition();
}

void Form1::BackupEdition()
{
    const EditionLoader loader;
    bool damaged = false;
    if (loader.backupEdition(&damaged)) {
        m_damageTold.clear();
    } else if (damaged && m_damageTold != CurrentDatabaseFile) {
        m_damageTold = CurrentDatabaseFile;
        MsgBox(loader.damagedMessage(DatabaseIsOpen()), vbExclamation, QStringLiteral("Edition"));
    }
}
