#include "editions/edition_loader.h"

#include "pages/page_cache.h"
#include "platform/programfolder.h"
#include "shared/database.h"
#include "editions/edition_list.h"
#include "shared/fileroutines.h"
#include "shared/globals.h"
#include "shared/routines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {

const char *const kListName = "dbnames.txt";
const char *const kBackupFolder = "Backup";

// The display text of a list line: everything after the first ",", or the whole line.
QString displayText(const QString &line)
{
    const qsizetype comma = line.indexOf(QLatin1Char(','));
    return comma < 0 ? line : line.mid(comma + 1);
}

// The file part of a marked line: the text between the first "*" and the first ",".
QString markedFile(const QString &line)
{
    const qsizetype star = line.indexOf(QLatin1Char('*'));
    const qsizetype comma = line.indexOf(QLatin1Char(','));
    if (star < 0)
        return QString();
    if (comma < 0)
        return line.mid(star + 1);
    if (comma < star)
        return QString();
    return line.mid(star + 1, comma - star - 1);
}

} // namespace

EditionLoader::EditionLoader(const QString &folder)
    : m_folder(folder.isEmpty() ? ProgramFolder() : folder)
{
    if (!m_folder.endsWith(QLatin1Char('/')))
        m_folder += QLatin1Char('/');
}

QString EditionLoader::listPath() const
{
    return FindFileNoCase(m_folder, QLatin1String(kListName));
}

EditionLoader::ListState EditionLoader::readActiveEdition() const
{
    const QString path = listPath();
    if (!FileExistsNonEmpty(path))
        return ListState::Missing;

    const QList<EditionEntry> entries = EditionList::read(path);
    const int active = EditionList::activeIndex(entries);
    if (active >= 0) {
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

    const QStringList lines = EditionList::readLines(path);
    for (const QString &line : lines) {
        choices.names.append(ProperCaseAddress(displayText(line)));
        // The first marked line is the active edition, the same line the edition is
        // opened from; a second marked line (left by an interrupted change) is ignored.
        if (line.contains(QLatin1Char('*')) && choices.selected < 0) {
            CurrentDatabaseFile = markedFile(line);
            choices.selected = int(choices.names.size()) - 1;
        }
    }
    if (choices.selected < 0 && !choices.names.isEmpty())
        choices.selected = 0;
    return choices;
}

bool EditionLoader::makeActive(int index) const
{
    const QString path = listPath();
    const QStringList lines = EditionList::readLines(path);
    if (index < 0 || index >= lines.size())
        return false;

    QStringList out;
    QString activeFile;
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        line.remove(QLatin1Char('*'));
        if (i == index) {
            line = QLatin1Char('*') + line.trimmed();
            const qsizetype comma = line.indexOf(QLatin1Char(','));
            activeFile = (comma < 0 ? line.mid(1) : line.mid(1, comma - 1)).trimmed();
            activeFile.replace(QLatin1Char(' '), QLatin1Char('_'));
        }
        out.append(line);
    }
    if (!EditionList::write(path, out))
        return false;
    CurrentDatabaseFile = activeFile;
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

bool EditionLoader::backupEdition() const
{
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
    const QString partial = target + QLatin1String(".tmp");
    QFile::remove(partial);
    if (!QFile::copy(source, partial) || QFileInfo(partial).size() != sourceInfo.size()) {
        QFile::remove(partial);
        return false;
    }
    // rename() replaces the old backup in one step: it is either the old or the new copy.
    if (std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(target).constData()) != 0) {
        QFile::remove(partial);
        return false;
    }
    return true;
}
