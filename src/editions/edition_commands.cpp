#include "editions/edition_commands.h"

#include "editions/edition_files.h"
#include "editions/edition_host.h"
#include "editions/edition_loader.h"
#include "pages/page_cache.h"
#include "platform/dialogs.h"
#include "platform/kill_point.h"
#include "platform/programfolder.h"
#include "shared/fileroutines.h"
#include "shared/globals.h"
#include "shared/routines.h"

#include <QFile>
#include <QFileInfo>

namespace {

const QString DeleteTitle = QStringLiteral("Delete Edition");
const QString RenameTitle = QStringLiteral("Rename Edition");
const QString CopyTitle = QStringLiteral("Copy Edition");
const QString SelectMessage = QStringLiteral("Please select an Edition. ");
const QString ListNotWritten = QStringLiteral("The edition list dbnames.txt could not be rewritten");

QString fileNotFound(const QString &file, const QString &name, const QString &what)
{
    return QStringLiteral("The database file ") + file + QStringLiteral(" of the edition '") + name
           + QStringLiteral("' was not found, so it cannot be ") + what + QLatin1Char('.');
}

} // namespace

EditionCommands::EditionCommands(EditionHost *host, const QString &folder)
    : m_host(host)
    , m_folder(folder.isEmpty() ? ProgramFolder() : folder)
{
    if (!m_folder.endsWith(QLatin1Char('/')))
        m_folder += QLatin1Char('/');
}

QString EditionCommands::listPath() const
{
    return EditionList::listPath(m_folder);
}

QList<EditionEntry> EditionCommands::loadEntries() const
{
    if (!FileExistsNonEmpty(listPath()))
        return {};
    const QList<EditionEntry> entries = EditionList::read(listPath());
    const int active = EditionList::activeIndex(entries);
    if (active >= 0 && !entries.at(active).file.isEmpty())
        CurrentDatabaseFile = entries.at(active).file;
    return entries;
}

bool EditionCommands::isActiveEntry(const EditionEntry &entry)
{
    return entry.active || (!entry.file.isEmpty() && entry.file.compare(CurrentDatabaseFile, Qt::CaseInsensitive) == 0);
}

EditionEntry EditionCommands::entryAt(int index) const
{
    const QList<EditionEntry> entries = EditionList::read(listPath());
    return index >= 0 && index < entries.size() ? entries.at(index) : EditionEntry();
}

bool EditionCommands::rewriteEntry(int index, const QString *newLine) const
{
    bool ok = false;
    // Every other line is written back in its own bytes.
    QList<QByteArray> lines = EditionList::readRawLines(listPath(), &ok);
    const int at = EditionList::lineOfEntry(lines, index);
    if (!ok || at < 0)
        return false;
    if (newLine)
        lines[at] = newLine->toUtf8();
    else
        lines.removeAt(at);
    return EditionList::writeRaw(listPath(), lines);
}

QString EditionCommands::listNotWritten(const QString &consequence) const
{
    return WithReason(ListNotWritten, WriteFailureReason(m_folder, m_folder, QFileInfo(listPath()).size() + 1024))
           + consequence;
}

void EditionCommands::refresh() const
{
    if (m_host)
        m_host->refreshEditions();
}

bool EditionCommands::goTo(int index) const
{
    const EditionLoader loader(m_folder);
    if (!loader.entryOpens(index)) {
        const EditionEntry e = entryAt(index);
        MsgBox(EditionLoader::cannotOpenMessage(e.title, e.file), vbExclamation, QStringLiteral("Edition"));
        return false;
    }
    if (!loader.makeActive(index)) {
        MsgBox(listNotWritten(QStringLiteral(", so the active edition stays as it was.")), vbExclamation,
               QStringLiteral("Edition List"));
        return false;
    }
    return true;
}

EditionCommands::After EditionCommands::deleteEdition(int index, const QString &name, const QString &activeText) const
{
    if (index < 0) {
        MsgBox(SelectMessage, vbOKOnly, DeleteTitle);
        return After::StayOpen;
    }
    const EditionEntry entry = entryAt(index);
    if (name == activeText || isActiveEntry(entry)) {
        MsgBox(QStringLiteral("You have selected an 'active' Edition. An 'active' Edition cannot be deleted.\n"
                              "Please make another Edition 'active' first before deleting this Edition."),
               vbOKOnly, DeleteTitle);
        return After::Close;
    }
    if (MsgBox(QStringLiteral("Are you sure you want to delete the Edition \"") + name + QStringLiteral("\"?"),
               vbYesNo | vbQuestion, DeleteTitle)
        == vbYes) {
        if (!rewriteEntry(index, nullptr)) {
            MsgBox(listNotWritten(QStringLiteral(", so the edition '") + name + QStringLiteral("' was not deleted.")),
                   vbExclamation, DeleteTitle);
        } else {
            DeletePageFiles(m_folder);
            const QString path = entry.file.isEmpty() ? QString() : ExistingFileNoCase(m_folder, entry.file);
            // A database file already gone leaves nothing more to delete.
            if (!path.isEmpty() && !QFile::remove(path)) {
                MsgBox(QStringLiteral("The edition '") + name + QStringLiteral("' has been removed from the list, but its database file ")
                           + entry.file + QStringLiteral(" could not be deleted."),
                       vbExclamation, DeleteTitle);
            } else {
                if (!path.isEmpty())
                    KillPoint("file-deleted");
                MsgBox(QStringLiteral("You have successfully deleted the edition '") + name + QStringLiteral("'."),
                       vbOKOnly, DeleteTitle);
            }
        }
    }
    refresh();
    return After::Close;
}

EditionCommands::After EditionCommands::renameEdition(int index, const QString &oldName, const QString &activeText,
                                                      const std::function<void()> &closeDialog) const
{
    if (index < 0) {
        MsgBox(SelectMessage, vbOKOnly, RenameTitle);
        return After::StayOpen;
    }
    const EditionEntry entry = entryAt(index);
    if (activeText.toLower() == oldName.toLower() || isActiveEntry(entry)) {
        MsgBox(QStringLiteral("You have selected an 'active' Edition. An 'active' Edition cannot be renamed.\n"
                              "Please make another Edition 'active' first before renaming this Edition."),
               vbOKOnly, RenameTitle);
        return After::Close;
    }
    const QString newName = InputBox(QStringLiteral("Your selected Edition Name is:   ") + oldName
                                         + QStringLiteral("\n\n\n\n\nPlease enter your new Edition Name"),
                                     RenameTitle)
                                .trimmed();
    if (newName.isEmpty()) {
        MsgBox(QStringLiteral("Please enter your new Edition Name"), vbOKOnly, RenameTitle);
        return After::StayOpen;
    }
    const QString newFile = EditionFileName(newName, true);
    if (const QString problem = EditionNameProblem(newName, newFile); !problem.isEmpty()) {
        MsgBox(problem, vbOKOnly, RenameTitle);
        return After::StayOpen;
    }
    // A name is taken when some line's file begins with the new file, or when a file of
    // that name lies in the folder without being listed.
    bool taken = !ExistingFileNoCase(m_folder, newFile).isEmpty();
    const QList<EditionEntry> entries = EditionList::read(listPath());
    for (const EditionEntry &e : entries)
        taken = taken || e.file.toLower().startsWith(newFile);
    if (taken) {
        MsgBox(QStringLiteral("An edition with this name already exists. Please select an alternate name."), vbOKOnly,
               RenameTitle);
        return After::StayOpen;
    }

    const QString oldPath = entry.file.isEmpty() ? QString() : ExistingFileNoCase(m_folder, entry.file);
    if (oldPath.isEmpty() || !QFile::rename(oldPath, m_folder + newFile)) {
        MsgBox(oldPath.isEmpty() ? fileNotFound(entry.file, oldName, QStringLiteral("renamed"))
                                 : WithReason(QStringLiteral("The database file ") + entry.file
                                                  + QStringLiteral(" could not be renamed"),
                                              WriteFailureReason(m_folder, m_folder, 0))
                                       + QStringLiteral(", so the edition keeps its name."),
               vbExclamation, RenameTitle);
        return After::StayOpen;
    }
    KillPoint("file-renamed");
    const QString line = EditionList::formatLine(EditionEntry{newFile, ProperCase(newName)});
    if (!rewriteEntry(index, &line)) {
        QFile::rename(m_folder + newFile, oldPath);
        MsgBox(listNotWritten(QStringLiteral(", so the edition keeps its name.")), vbExclamation, RenameTitle);
        return After::StayOpen;
    }
    DeletePageFiles(m_folder);
    refresh();
    if (closeDialog)
        closeDialog();
    MsgBox(QStringLiteral("Your edition has been successfully renamed."), vbOKOnly, RenameTitle);
    return After::Close;
}

EditionCommands::After EditionCommands::copyEdition(int index, const QString &copyName,
                                                    const std::function<void()> &closeDialog) const
{
    if (index < 0) {
        MsgBox(SelectMessage, vbOKOnly, CopyTitle);
        return After::StayOpen;
    }
    const QString nameError = QStringLiteral("Copy Name Error");
    if (copyName.trimmed().isEmpty()) {
        MsgBox(QStringLiteral("Please enter a Copy Edition Name."), vbOKOnly, nameError);
        return After::StayOpen;
    }
    const QString newFile = EditionFileName(copyName, true);
    if (const QString problem = EditionNameProblem(copyName, newFile); !problem.isEmpty()) {
        MsgBox(problem, vbOKOnly, nameError);
        return After::StayOpen;
    }
    const QString existing = ExistingFileNoCase(m_folder, newFile);
    if ((!existing.isEmpty() && QFileInfo(existing).size() > 0) || EditionList::fileListed(listPath(), newFile)) {
        MsgBox(QStringLiteral("An Edition with this name already exists. Please select an alternate name."), vbOKOnly,
               QStringLiteral("Duplicate Name"));
        return After::StayOpen;
    }

    const EditionEntry entry = entryAt(index);
    const QString source = entry.file.isEmpty() ? QString() : ExistingFileNoCase(m_folder, entry.file);
    if (source.isEmpty() || !CopyEditionFile(source, m_folder + newFile)) {
        MsgBox(source.isEmpty() ? fileNotFound(entry.file, entry.title, QStringLiteral("copied"))
                                : WithReason(QStringLiteral("The database file ") + entry.file
                                                 + QStringLiteral(" could not be copied"),
                                             WriteFailureReason(m_folder, m_folder, QFileInfo(source).size()))
                                      + QLatin1Char('.'),
               vbExclamation, CopyTitle);
        return After::StayOpen;
    }
    if (!EditionList::append(listPath(), EditionEntry{newFile, ProperCase(copyName)})) {
        QFile::remove(m_folder + newFile);
        MsgBox(listNotWritten(QStringLiteral(", so no copy was made.")), vbExclamation, CopyTitle);
        return After::StayOpen;
    }
    refresh();
    if (closeDialog)
        closeDialog();
    MsgBox(QStringLiteral("Your edition has been successfully copied."), vbOKOnly, CopyTitle);
    return After::Close;
}
