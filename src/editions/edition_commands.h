#pragma once
// The work of the edition dialogs on the edition list and the database files of the
// program folder: going to an edition, deleting, renaming and copying one. Each command
// acts on the entry the user chose (its own line of the list and its own file), asks and
// tells through the message boxes, and changes the list only after the file work
// succeeded, so that a failure leaves the list and the files as they were.

#include "editions/edition_list.h"

#include <QList>
#include <QString>

#include <functional>

class EditionHost;

class EditionCommands
{
public:
    // Works on the list and files of folder (by default the program folder); host is the
    // main window whose edition list each command refreshes.
    explicit EditionCommands(EditionHost *host, const QString &folder = QString());

    QString folder() const { return m_folder; }
    QString listPath() const;
    // The entries of the list's non-empty lines, in file order ("" files included). When
    // the list marks an edition active, CurrentDatabaseFile becomes its file (the first
    // marked line, the one the open edition was loaded from).
    QList<EditionEntry> loadEntries() const;

    // What the dialog does after a command.
    enum class After { StayOpen, Close };

    // Moves the mark to entry index and clears the page cache; an edition that cannot be
    // opened is refused with a message. Answers whether the mark moved.
    bool goTo(int index) const;

    // Delete Edition: name is the entry's shown text, activeText the "Active Edition:" box.
    After deleteEdition(int index, const QString &name, const QString &activeText) const;
    // Rename Edition: asks for the new name. closeDialog (when given) closes the dialog
    // before the closing message.
    After renameEdition(int index, const QString &oldName, const QString &activeText,
                        const std::function<void()> &closeDialog = {}) const;
    // Copy Edition: copyName as typed.
    After copyEdition(int index, const QString &copyName, const std::function<void()> &closeDialog = {}) const;

    // True when entry is the active edition: its line is marked, or its file is the one
    // the connection works on.
    static bool isActiveEntry(const EditionEntry &entry);

private:
    EditionEntry entryAt(int index) const;
    // Replaces (newLine set) or removes the index-th entry's line; answers false, the list
    // untouched, when that fails.
    bool rewriteEntry(int index, const QString *newLine) const;
    // "The edition list ... could not be rewritten", why, and then consequence.
    QString listNotWritten(const QString &consequence) const;
    void refresh() const;

    EditionHost *m_host = nullptr;
    QString m_folder;
};
