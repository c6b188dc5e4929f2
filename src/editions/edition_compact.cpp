#include "editions/edition_compact.h"

#include "editions/scratch_connection.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {

bool fail(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return false;
}

} // namespace

bool CompactDatabaseTo(const QString &source, const QString &destination, QString *error)
{
    if (!QFileInfo(source).isFile())
        return fail(error, QStringLiteral("The database file was not found."));
    {
        ScratchConnection from(source);
        if (!from.exec(QStringLiteral("VACUUM INTO ?"), {QFileInfo(destination).absoluteFilePath()})) {
            const QString reason = from.error();
            QFile::remove(destination);
            return fail(error, reason);
        }
    }
    QString verdict;
    {
        ScratchConnection copy(destination);
        verdict = copy.value(QStringLiteral("PRAGMA integrity_check")).toString();
        if (verdict.isEmpty())
            verdict = copy.error();
    }
    if (verdict != QLatin1String("ok")) {
        QFile::remove(destination);
        return fail(error, QStringLiteral("The compacted copy failed its integrity check: ") + verdict);
    }
    return true;
}

bool CompactDatabaseInPlace(const QString &source, const QString &scratch, QString *error)
{
    if (QFileInfo::exists(scratch) && !QFile::remove(scratch))
        return fail(error, QStringLiteral("The scratch file topics2.mdb could not be deleted."));
    if (!CompactDatabaseTo(source, scratch, error))
        return false;
    // rename() replaces the edition file in one step: it is either the old or the
    // compacted file, never neither.
    if (std::rename(QFile::encodeName(scratch).constData(), QFile::encodeName(source).constData()) != 0) {
        QFile::remove(scratch);
        return fail(error, QStringLiteral("The compacted copy could not take the place of the database file."));
    }
    return true;
}
