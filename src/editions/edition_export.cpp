#include "editions/edition_export.h"

#include "editions/edition_files.h"
#include "editions/scratch_connection.h"
#include "platform/dialogs.h"
#include "platform/programfolder.h"
#include "platform/whole_file.h"
#include "shared/fileroutines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString ExportTitle = QStringLiteral("Export Edition");

// Empties the logins table of the copy at path and compacts it, so that nothing of them
// stays in the file's free pages. The table is found as SQLite finds it, whatever the
// letter case of its name; a delete that left rows behind (a trigger can do that) fails.
// The copy is thrown away when this fails, so SQLite keeps no journal of it and does not
// put it on the disk: it is put there once, when finished.
bool removeLogins(const QString &path)
{
    ScratchConnection copy(path);
    const bool hasLogins = copy.value(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' "
                                                     "AND name = 'PersonalInformation' COLLATE NOCASE"))
                               .toInt()
                           > 0;
    if (!copy.isOpen())
        return false;
    // Neither changes what the copy holds, only how often it goes to the disk.
    copy.exec(QStringLiteral("PRAGMA synchronous = OFF"));
    copy.exec(QStringLiteral("PRAGMA journal_mode = OFF"));
    if (hasLogins) {
        bool counted = false;
        if (!copy.exec(QStringLiteral("DELETE FROM PersonalInformation"))
            || copy.value(QStringLiteral("SELECT count(*) FROM PersonalInformation")).toLongLong(&counted) != 0
            || !counted)
            return false;
    }
    return copy.exec(QStringLiteral("VACUUM"));
}

} // namespace

EditionExport::EditionExport(const QString &folder)
    : m_folder(folder.isEmpty() ? ProgramFolder() : folder)
{
    if (!m_folder.endsWith(QLatin1Char('/')))
        m_folder += QLatin1Char('/');
}

bool EditionExport::exportEdition(const EditionEntry &entry, const QString &name) const
{
    CreateFolderPath(exportFolder());
    QDir::setCurrent(m_folder);
    const QString source = IsPlainFileName(entry.file) ? ExistingFileNoCase(m_folder, entry.file) : QString();
    const QString target = exportFolder() + entry.file;
    // The copy is made and cleared of the logins under a scratch name; only then does it
    // take the place of an earlier copy, keeping that copy's mode (a new one takes the
    // edition's).
    const QString partial = target + QLatin1String(kScratchSuffix);
    const auto copy = [&]() -> QString {
        if (source.isEmpty())
            return QStringLiteral("its database file ") + entry.file + QStringLiteral(" was not found.");
        const bool copied = WriteCopy(source, partial, source, false);
        if (copied && !removeLogins(partial))
            return QStringLiteral("the stored web-account logins could not be left out of its copy.");
        if (!copied || !SyncFile(partial) || !ReplaceFileKeepingMode(partial, target, source))
            return WithReason(QStringLiteral("its copy could not be written into the directory ")
                                  + QDir::toNativeSeparators(QDir::cleanPath(exportFolder())),
                              WriteFailureReason(m_folder, exportFolder(), QFileInfo(source).size()))
                   + QLatin1Char('.');
        return QString();
    };
    const QString reason = copy();
    QFile::remove(partial);
    QFile::remove(partial + QStringLiteral("-journal"));
    if (!reason.isEmpty()) {
        MsgBox(QStringLiteral("The Edition '") + name + QStringLiteral("' could not be exported: ") + reason,
               vbExclamation, ExportTitle);
        return false;
    }
    MsgBox(QStringLiteral("The Edition '") + name + QStringLiteral("' has been successfully exported to the directory ")
               + QDir::toNativeSeparators(exportFolder()) + QLatin1Char('.'),
           vbOKOnly, ExportTitle);
    return true;
}
