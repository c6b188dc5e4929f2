#include "editions/edition_loader.h"

#include "pages/page_cache.h"
#include "platform/programfolder.h"
#include "shared/database.h"
#include "editions/edition_list.h"
#include "shared/fileroutines.h"
#include "shared/globals.h"
#include "shared/routines.h"
#include "editions/scratch_connection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {

const char *const kBackupFolder = "Backup";

} // namespace

EditionLoader::EditionLoader(const QString &folder)
    : m_folder(folder.isEmpty() ? ProgramFolder() : folder)
{
    if (!m_folder.endsWith(QLatin1Char('/')))
        m_folder += QLatin1Char('/');
}

QString EditionLoader::listPath() const
{
    return EditionList::listPath(m_folder);
}

EditionLoader::ListState EditionLoader::readActiveEdition() const
{
    const QString path = listPath();
    if (!FileExistsNonEmpty(path))
        return ListState::Missing;

    const QList<EditionEntry> entries = EditionList::read(path);
    const int active = EditionList::activeIndex(entries);
    if (active >= 0 && !entries.at(active).file.isEmpty()) {
        CurrentDatabaseFile = entries.at(active).file;
        CurrentEditionTitle = entries.at(active).title;
        CurrentEditionTitle.replace(QLatin1Char('_'), QLatin1Char(' '));
    }
    NewEditionName = CurrentEditionTitle;
    return CurrentDatabaseFile.isEmpty() ? ListState::NoActive : ListState::Ok;
}

bool EditionLoader::openActiveEdition() const
{
    CloseDatabase();
    return OpenDatabase(CurrentDatabaseFile);
}

QList<EditionLoader::Topic> EditionLoader::topics() const
{
    QList<Topic> result;
    Recordset rs;
    if (!rs.open(QStringLiteral("SELECT MainTopicId, TopicName FROM Topics "
                                "ORDER BY TopicName COLLATE NOCASE")))
        return result;
    for (; !rs.eof(); rs.moveNext())
        result.append(Topic{rs.integer(QStringLiteral("MainTopicId")), rs.text(QStringLiteral("TopicName"))});
    rs.close();
    return result;
}

EditionLoader::Choices EditionLoader::editionChoices() const
{
    Choices choices;
    const QString path = listPath();
    if (!FileExistsNonEmpty(path))
        return choices;

    const QList<EditionEntry> entries = EditionList::read(path);
    for (const EditionEntry &e : entries) {
        choices.names.append(ProperCaseAddress(e.title));
        choices.files.append(e.file);
    }
    // The first marked line is the active edition, the same line the edition is opened
    // from; a second marked line (left by an interrupted change) is ignored.
    choices.selected = EditionList::activeIndex(entries);
    if (choices.selected >= 0)
        CurrentDatabaseFile = entries.at(choices.selected).file;
    else if (!entries.isEmpty())
        choices.selected = 0;
    return choices;
}

int EditionLoader::activeIndex() const
{
    return EditionList::activeIndex(EditionList::read(listPath()));
}

QString EditionLoader::entryFile(int index) const
{
    const QList<EditionEntry> entries = EditionList::read(listPath());
    return index >= 0 && index < entries.size() ? entries.at(index).file : QString();
}

QString EditionLoader::cannotOpenMessage(const QString &name, const QString &file)
{
    return QStringLiteral("The edition '") + name + QStringLiteral("' cannot be opened: its database file ")
           + (file.isEmpty() ? QStringLiteral("is not named in the edition list")
                             : file + QStringLiteral(" is missing or is not an edition database"))
           + QStringLiteral(".\nThe active edition stays as it was.");
}

bool EditionLoader::entryOpens(int index) const
{
    const QString file = entryFile(index);
    return !file.isEmpty() && IsEditionFile(FindFileNoCase(m_folder, file));
}

bool EditionLoader::makeActive(int index) const
{
    const QString path = listPath();
    bool ok = false;
    QList<QByteArray> lines = EditionList::readRawLines(path, &ok);
    if (!ok || !EditionList::moveMark(lines, index))
        return false;
    const QString file = EditionList::read(path).at(index).file;
    if (!EditionList::writeRaw(path, lines))
        return false;
    CurrentDatabaseFile = file;
    deletePageFiles();
    return true;
}

int EditionLoader::deletePageFiles() const
{
    return DeletePageFiles(m_folder);
}

QString EditionLoader::backupPath() const
{
    if (CurrentDatabaseFile.isEmpty())
        return QString();
    return backupPathOf(QFileInfo(FindFileNoCase(m_folder, CurrentDatabaseFile)));
}

QString EditionLoader::backupPathOf(const QFileInfo &source) const
{
    return m_folder + QLatin1String(kBackupFolder) + QLatin1Char('/') + source.fileName();
}

namespace {

// True when the two files hold the same bytes.
bool sameBytes(const QString &a, const QString &b)
{
    QFile one(a);
    QFile two(b);
    if (!one.open(QIODevice::ReadOnly) || !two.open(QIODevice::ReadOnly) || one.size() != two.size())
        return false;
    while (!one.atEnd()) {
        const QByteArray chunk = one.read(1 << 20);
        if (chunk.isEmpty() || chunk != two.read(chunk.size()))
            return false;
    }
    return true;
}

} // namespace

bool EditionLoader::backupEdition(bool *damaged) const
{
    if (damaged)
        *damaged = false;
    QDir::setCurrent(m_folder);
    if (CurrentDatabaseFile.isEmpty())
        return false;
    const QString source = FindFileNoCase(m_folder, CurrentDatabaseFile);
    const QFileInfo sourceInfo(source);
    if (!sourceInfo.isFile())
        return false;
    if (!QDir().mkpath(m_folder + QLatin1String(kBackupFolder)))
        return false;

    const QString target = backupPathOf(sourceInfo);
    // A backup carries the write time of the edition it was copied from: one that still
    // has it, the edition's size and its bytes is the edition as it stands and is not made
    // again (reading it costs far less than writing, which a busy disk holds up). The
    // bytes are compared too: a write within the clock's granularity keeps the time.
    const QFileInfo backupInfo(target);
    if (backupInfo.isFile() && backupInfo.size() == sourceInfo.size()
        && backupInfo.lastModified() == sourceInfo.lastModified() && sameBytes(source, target))
        return true;
    const QString partial = target + QLatin1String(".tmp");
    QFile::remove(partial);
    if (!QFile::copy(source, partial) || QFileInfo(partial).size() != sourceInfo.size()) {
        QFile::remove(partial);
        return false;
    }
    // A damaged edition never takes the place of a good backup.
    if (!IsEditionFile(partial) || !ScratchConnection(partial).intact(true)) {
        QFile::remove(partial);
        if (damaged)
            *damaged = true;
        return false;
    }
    {
        QFile copy(partial);
        if (!copy.open(QIODevice::ReadWrite)
            || !copy.setFileTime(sourceInfo.lastModified(), QFileDevice::FileModificationTime)) {
            copy.close();
            QFile::remove(partial);
            return false;
        }
    }
    // rename() replaces the old backup in one step: it is either the old or the new copy.
    if (std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(target).constData()) != 0) {
        QFile::remove(partial);
        return false;
    }
    return true;
}

QString EditionLoader::damagedMessage(bool opens) const
{
    const QString backup = backupPath();
    QString text = QStringLiteral("The edition database ") + CurrentDatabaseFile
                   + (opens ? QStringLiteral(" is damaged: part of it cannot be read.")
                            : QStringLiteral(" is damaged: it cannot be opened as an edition."));
    const bool hasBackup = QFileInfo(backup).isFile();
    if (hasBackup)
        text += QStringLiteral("\nIts backup ") + QDir::toNativeSeparators(backup)
                + QStringLiteral(" was kept as it was; the damaged file does not replace it.");
    else
        text += QStringLiteral("\nNo backup is made of a damaged edition.");
    text += QStringLiteral("\nCompact / Repair Topics Database in the Options menu recovers what can still be read");
    if (hasBackup)
        text += QStringLiteral(", or make another edition active and bring the backup back with Restore Edition");
    return text + QLatin1Char('.');
}
