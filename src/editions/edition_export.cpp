#include "editions/edition_export.h"

#include "editions/edition_files.h"
#include "editions/scratch_connection.h"
#include "platform/dialogs.h"
#include "platform/programfolder.h"
#include "shared/fileroutines.h"

#include <QDir>
#include <QFile>

namespace {

const QString ExportTitle = QStringLiteral("Export Edition");

// Empties the logins table of the copy at path and compacts it, so that nothing of them
// stays in the file's free pages.
bool removeLogins(const QString &path)
{
    ScratchConnection copy(path);
    const bool hasLogins = copy.value(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' "
                                                     "AND name = 'PersonalInformation'"))
                               .toInt()
                           > 0;
    return copy.isOpen() && (!hasLogins || copy.exec(QStringLiteral("DELETE FROM PersonalInformation")))
           && copy.exec(QStringLiteral("VACUUM"));
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
    const QString source = entry.file.isEmpty() ? QString() : ExistingFileNoCase(m_folder, entry.file);
    const QString partial = exportFolder() + entry.file + QStringLiteral(".export");
    bool done = false;
    if (!source.isEmpty() && IsSafeEditionName(entry.file)) {
        QFile::remove(partial);
        done = QFile::copy(source, partial) && removeLogins(partial) && CopyEditionFile(partial, exportFolder() + entry.file);
        QFile::remove(partial);
    }
    if (!done) {
        MsgBox(QStringLiteral("The Edition '") + name + QStringLiteral("' could not be exported."), vbExclamation,
               ExportTitle);
        return false;
    }
    MsgBox(QStringLiteral("The Edition '") + name + QStringLiteral("' has been successfully exported to the directory ")
               + QDir::toNativeSeparators(exportFolder()) + QLatin1Char('.'),
           vbOKOnly, ExportTitle);
    return true;
}
