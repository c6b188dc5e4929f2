#include "editions/scratch_connection.h"

#include "shared/database.h"
#include "shared/text_folding.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

ScratchConnection::ScratchConnection(const QString &path)
    : m_name(QStringLiteral("scratch-") + path)
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

bool ScratchConnection::intact(bool quick)
{
    return value(quick ? QStringLiteral("PRAGMA quick_check") : QStringLiteral("PRAGMA integrity_check")).toString()
           == QLatin1String("ok");
}

void ScratchConnection::fail(const QSqlError &error)
{
    m_error = error.text();
    m_code = error.nativeErrorCode().toInt() & 0xff;
}
