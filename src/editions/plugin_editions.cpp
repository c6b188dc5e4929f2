#include "editions/plugin_editions.h"

#include "editions/c_unzip.h"
#include "editions/edition_files.h"
#include "editions/edition_intake.h"
#include "editions/edition_list.h"
#include "shared/database.h"
#include "shared/globals.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>

#include <cstdio>

namespace {

const char *const kMakerDataServer = "http://data.quorvane.net";
const char *const kMakerHomePage = "http://www.quorvane.net";
const char *const kEmptyEdition = "untitled.mdb";
constexpr int MaxNameLength = 200;

} // namespace

QString PluginEditions::DataServer()
{
    QString server = qEnvironmentVariable("QUORVANE_DATA_SERVER").trimmed();
    if (server.isEmpty())
        server = QLatin1String(kMakerDataServer);
    while (server.endsWith(QLatin1Char('/')))
        server.chop(1);
    return server;
}

QString PluginEditions::BaseAddress()
{
    return DataServer() + QLatin1String("/data/");
}

QString PluginEditions::HomePage()
{
    return QLatin1String(kMakerHomePage);
}

bool PluginEditions::IsErrorReply(const QString &reply)
{
    return reply.contains(QLatin1String("error"), Qt::CaseInsensitive);
}

QStringList PluginEditions::ParseCatalogue(const QString &reply)
{
    QStringList names;
    QStringList pieces = reply.split(QStringLiteral("\r\n"));
    pieces.removeLast();    // the piece after the last CR LF
    for (const QString &piece : std::as_const(pieces)) {
        const qsizetype comma = piece.indexOf(QLatin1Char(','));
        const QString name = comma < 0 ? piece : piece.mid(comma + 1);
        if (IsSafeName(name))
            names << name;
    }
    return names;
}

bool PluginEditions::IsSafeName(const QString &name)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty() || name.size() > MaxNameLength || trimmed == QLatin1String(".")
        || trimmed == QLatin1String(".."))
        return false;
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || c == QLatin1Char('/') || c == QLatin1Char('\\')
            || c == QLatin1Char('*') || c == QLatin1Char(','))
            return false;
    }
    return EditionFileName(name).compare(QLatin1String(kEmptyEdition), Qt::CaseInsensitive) != 0;
}

QString PluginEditions::ArchiveName(const QString &name)
{
    return name.toLower() + QLatin1String(".zip");
}

QString PluginEditions::EditionFileName(const QString &name)
{
    QString file = name.toLower();
    file.replace(QLatin1Char(' '), QLatin1Char('_'));
    return file + QLatin1String(".mdb");
}

QString PluginEditions::ListLine(const QString &name)
{
    return EditionFileName(name) + QLatin1Char(',') + name;
}

bool PluginEditions::EditionListed(const QString &listPath, const QString &file)
{
    return EditionList::fileListed(listPath, file);
}

QString PluginEditions::PercentText(qint64 read, qint64 length)
{
    if (length <= 0)
        return QString();
    // Wide enough for the largest sizes.
    return QString::number(qint64(static_cast<__int128>(read) * 100 / length)) + QLatin1String("% ");
}

PluginEditions::InstallResult PluginEditions::Install(cUnzip &unzip, const QString &zipPath,
                                                      const QString &folder, const QString &name)
{
    struct ArchiveRemover {
        QString path;
        ~ArchiveRemover() { QFile::remove(path); }
    } remover{zipPath};

    const QString file = EditionFileName(name);
    const QString listPath = EditionList::listPath(folder);
    if (!IsSafeName(name) || EditionListed(listPath, file)
        || file.compare(CurrentDatabaseFile, Qt::CaseInsensitive) == 0)
        return InstallResult::Refused;

    // Unpacked beside the editions first, so that a bad archive touches nothing; a
    // program stopped half-way leaves only the scratch folder.
    QTemporaryDir scratch(ScratchTemplate(folder));
    if (!scratch.isValid())
        return InstallResult::WriteFailed;
    unzip.setZipFile(zipPath);
    unzip.setUnzipFolder(scratch.path());
    if (unzip.Directory() != cUnzip::UnzipOk)
        return InstallResult::NotAnEdition;
    int chosen = 0;
    for (int i = 1; i <= unzip.FileCount(); ++i) {
        const bool match = chosen == 0 && unzip.Filename(i).compare(file, Qt::CaseInsensitive) == 0;
        unzip.setFileSelected(i, match);
        if (match)
            chosen = i;
    }
    if (chosen == 0)
        return InstallResult::NotAnEdition;
    unzip.setMaxUnpackedBytes(MaxEditionBytes);
    if (!unzip.Unzip() || unzip.ExtractedFiles().size() != 1) {
        switch (unzip.LastStatus()) {
        case cUnzip::UnzipDiskFull:
            return InstallResult::DiskFull;
        case cUnzip::UnzipTooLarge:
            return InstallResult::TooLarge;
        case cUnzip::UnzipWriteFailed:
            return InstallResult::WriteFailed;
        default:
            return InstallResult::NotAnEdition;
        }
    }
    const QString unpacked = unzip.ExtractedFiles().constFirst();
    if (!IsEditionFile(unpacked))
        return InstallResult::NotAnEdition;
    if (!DeclaresNothingOfItsOwn(unpacked, ExistingFileNoCase(folder, QLatin1String(kEmptyEdition))))
        return InstallResult::OwnCommands;

    // Renamed into place in one step (replacing an unlisted file of that very name), then
    // listed; an unlisted file of the same name in another letter case goes.
    const QString target = folder + file;
    if (std::rename(QFile::encodeName(unpacked).constData(), QFile::encodeName(target).constData()) != 0)
        return InstallResult::WriteFailed;
    const QStringList present = QDir(folder).entryList(QDir::Files);
    for (const QString &twin : present) {
        if (twin != file && twin.compare(file, Qt::CaseInsensitive) == 0)
            QFile::remove(folder + twin);
    }
    if (!EditionList::append(listPath, EditionEntry{file, name, false})) {
        QFile::remove(target);
        return InstallResult::WriteFailed;
    }
    return InstallResult::Installed;
}

QString PluginEditions::ScratchTemplate(const QString &folder)
{
    return folder + QLatin1String("plugin-XXXXXX");
}

QUrl PluginEditions::ArchiveAddress(const QString &name)
{
    QUrl url(BaseAddress(), QUrl::TolerantMode);
    url.setPath(url.path() + ArchiveName(name), QUrl::DecodedMode);
    return url;
}
