#include "editions/scratch_connection.h"

#include "shared/database.h"
#include "shared/text_folding.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <sqlite3.h>

namespace {

// How long a check may take: a sound edition is checked at well over 50 MB a second even
// from a slow disk, so a check that takes a second and then a second for every 16 MB of
// the file is working out something of the file's own (a CHECK that makes a large blob for
// each row, say) and is stopped.
constexpr qint64 kCheckBaseMs = 1000;
constexpr qint64 kCheckBytesPerMs = 16 * 1024;
// SQLite asks whether to go on after this many steps of its program (it asks between rows
// at the latest): a costly expression runs for a row or so past the time, and asking costs
// a sound check a few per cent.
constexpr int kStepsBetweenAsks = 4;

int stopPastDeadline(void *deadline)
{
    return static_cast<QDeadlineTimer *>(deadline)->hasExpired() ? 1 : 0;
}

} // namespace

ScratchConnection::ScratchConnection(const QString &path)
    : m_path(path)
    , m_name(QStringLiteral("scratch-") + path)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    url.setQuery(QStringLiteral("mode=rw"));
    db.setDatabaseName(url.toString(QUrl::FullyEncoded));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
    m_open = QFileInfo(path).isFile() && db.open();
    if (!m_open)
        fail(db.lastError());
    else
        InstallTextFolding(db);
}

ScratchConnection::~ScratchConnection()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

QSqlDatabase ScratchConnection::database() const
{
    return QSqlDatabase::database(m_name, false);
}

bool ScratchConnection::exec(const QString &sql, const QVariantList &values)
{
    if (!m_open)
        return false;
    QSqlQuery q(QSqlDatabase::database(m_name, false));
    if (BindAndExec(q, sql, values))
        return true;
    fail(q.lastError());
    return false;
}

QVariant ScratchConnection::value(const QString &sql)
{
    if (!m_open)
        return {};
    QSqlQuery q(QSqlDatabase::database(m_name, false));
    if (!q.exec(sql) || !q.next()) {
        fail(q.lastError());
        return {};
    }
    return q.value(0);
}

QVariant ScratchConnection::check(bool quick, Limit limit)
{
    sqlite3 *handle = limit == Limit::Bounded ? SqliteHandle(QSqlDatabase::database(m_name, false)) : nullptr;
    QDeadlineTimer deadline(kCheckBaseMs + QFileInfo(m_path).size() / kCheckBytesPerMs);
    if (handle)
        sqlite3_progress_handler(handle, kStepsBetweenAsks, stopPastDeadline, &deadline);
    const QVariant verdict = value(quick ? QStringLiteral("PRAGMA quick_check") : QStringLiteral("PRAGMA integrity_check"));
    if (handle)
        sqlite3_progress_handler(handle, 0, nullptr, nullptr);
    return verdict;
}

bool ScratchConnection::intact(bool quick, Limit limit)
{
    return check(quick, limit).toString() == QLatin1String("ok");
}

void ScratchConnection::fail(const QSqlError &error)
{
    m_error = error.text();
    m_code = error.nativeErrorCode().toInt() & 0xff;
}
