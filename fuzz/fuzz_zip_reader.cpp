// Zip archives as they come from a download: any file read as an archive is listed and
// unpacked without a crash, nothing is written outside the target folder, every file
// written is one the run reports, and installing it as a plug-in edition either lists a
// readable edition or leaves the program folder and the edition list as they were.

#include "fuzz_support.h"

#include "editions/c_unzip.h"
#include "editions/edition_list.h"
#include "editions/plugin_editions.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSqlDatabase>

namespace {

// Every file under folder, as paths relative to it.
QStringList filesUnder(const QString &folder)
{
    QStringList found;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        found << QDir(folder).relativeFilePath(it.next());
    found.sort();
    return found;
}

void writeArchive(const QString &path, const uint8_t *data, size_t size)
{
    QFile file(path);
    Fuzz::check(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "the archive can be written");
    file.write(reinterpret_cast<const char *>(data), qint64(size));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The database connections' registry is made before the application object, so that
    // it is still there when the application object goes at exit.
    static const QStringList connections = QSqlDatabase::connectionNames();
    Q_UNUSED(connections)
    const QString folder = Fuzz::setUp();
    const QString work = folder + QStringLiteral("unzip/");
    const QString target = work + QStringLiteral("inside/");
    QDir(work).removeRecursively();
    QDir().mkpath(target);
    const QString archive = work + QStringLiteral("fuzz.zip");
    writeArchive(archive, data, size);

    // Listing, then unpacking with folder names kept and existing files replaced.
    cUnzip unzip;
    unzip.setZipFile(archive);
    unzip.setUnzipFolder(target);
    unzip.setUseFolderNames(true);
    unzip.setOverwriteExisting(true);
    unzip.setConvertCRToCRLF(size % 2 == 1);
    const int listed = unzip.Directory();
    for (int i = 1; i <= unzip.FileCount(); ++i)
        Fuzz::check(!unzip.Filename(i).isEmpty(), "a listed entry has a name");
    Fuzz::check(listed != cUnzip::UnzipOk || unzip.FileCount() >= 0, "a listing");
    unzip.setZipFile(archive);
    unzip.Unzip();
    QStringList expected{QStringLiteral("fuzz.zip")};
    for (const QString &written : unzip.ExtractedFiles()) {
        Fuzz::check(QDir::cleanPath(written).startsWith(QDir::cleanPath(target) + QLatin1Char('/')),
                    "a file lands inside the target folder", written);
        expected << QDir(work).relativeFilePath(written);
    }
    expected.removeDuplicates();
    expected.sort();
    const QStringList present = filesUnder(work);
    for (const QString &file : present)
        Fuzz::check(expected.contains(file), "no file but the reported ones", file);

    // As a plug-in edition: listed and whole, or nothing changed.
    const QString list = EditionList::listPath(folder);
    const QByteArray listBefore = [&] {
        QFile f(list);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    const QStringList folderBefore = QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    writeArchive(folder + QStringLiteral("fuzz edition.zip"), data, size);
    cUnzip installer;
    const auto result =
        PluginEditions::Install(installer, folder + QStringLiteral("fuzz edition.zip"), folder, QStringLiteral("Fuzz Edition"));
    const QStringList folderAfter = QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    if (result == PluginEditions::InstallResult::Installed) {
        Fuzz::check(EditionList::fileListed(list, QStringLiteral("fuzz_edition.mdb")), "the edition is listed");
        Fuzz::check(QFile::exists(folder + QStringLiteral("fuzz_edition.mdb")), "the edition is there");
        QFile::remove(folder + QStringLiteral("fuzz_edition.mdb"));
        QFile f(list);
        Fuzz::check(f.open(QIODevice::WriteOnly | QIODevice::Truncate), "the list can be restored");
        f.write(listBefore);
    } else {
        Fuzz::check(folderAfter == folderBefore, "a refused archive leaves the folder as it was",
                    folderAfter.join(QLatin1Char(' ')));
        QFile f(list);
        Fuzz::check(f.open(QIODevice::ReadOnly) && f.readAll() == listBefore, "a refused archive adds no list line");
    }
    return 0;
}
