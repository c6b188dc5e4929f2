#include "editions/scratch_connection.h"

#include "shared/database.h"

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
        m_error = db.lastError().text();
}

ScratchConnection::~ScratchConnection()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

bool ScratchConnection::exec(const QString &sql, const QVariantList &values)
{
    if (!m_open)
        return false;
    QSqlQuery q(QSqlDatabase::database(m_name, false));
    if (BindAndExec(q, sql, values))
        return true;
    m_error = q.lastError().text();
    return false;
}

QVariant ScratchConnection::value(const QString &sql)
{
    if (!m_open)
        return {};
    QSqlQuery q(QSqlDatabase::database(m_name, false));
    if (!q.exec(sql) || !q.next()) {
        m_error = q.lastError().text();
        return {};
    }
    return q.value(0);
}
