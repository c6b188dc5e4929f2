#include "exchange/subtopic_statement.h"

#include "shared/database.h"
#include "shared/text_folding.h"

#include <QSqlError>
#include <QVariant>

#include <sqlite3.h>

SubTopicStatement::SubTopicStatement(const char *sql)
{
    m_db = SqliteHandle(DbConnection());
    if (!m_db)
        m_prepareError = QStringLiteral("The edition is not open.");
    else if (sqlite3_prepare_v2(m_db, sql, -1, &m_stmt, nullptr) != SQLITE_OK)
        m_prepareError = failure(QStringLiteral("Unable to execute statement"), QSqlError::StatementError,
                                 sqlite3_errcode(m_db));
}

SubTopicStatement::~SubTopicStatement()
{
    sqlite3_finalize(m_stmt);
}

bool SubTopicStatement::ready(QString &error) const
{
    if (!m_prepareError.isEmpty())
        error = m_prepareError;
    return m_prepareError.isEmpty();
}

SubTopicStatement &SubTopicStatement::bind(int parameter, qint64 value)
{
    bound(sqlite3_bind_int64(m_stmt, parameter, value));
    return *this;
}

SubTopicStatement &SubTopicStatement::bind(int parameter, QStringView value)
{
    if (value.isNull()) {
        bound(sqlite3_bind_null(m_stmt, parameter));
    } else {
        // Kept until the row is written: the statement reads the bytes in place.
        QByteArray &bytes = m_texts.at(parameter - 1);
        bytes = value.toUtf8();
        bound(sqlite3_bind_text(m_stmt, parameter, bytes.constData(), int(bytes.size()), SQLITE_STATIC));
    }
    return *this;
}

void SubTopicStatement::bound(int code)
{
    if (m_bindCode == SQLITE_OK)
        m_bindCode = code;
}

bool SubTopicStatement::step(bool *row, QString &error)
{
    *row = false;
    if (m_bindCode != SQLITE_OK) {
        error = failure(QStringLiteral("Unable to bind parameters"), QSqlError::StatementError, m_bindCode);
        sqlite3_clear_bindings(m_stmt);
        m_bindCode = SQLITE_OK;
        return false;
    }
    const int code = sqlite3_step(m_stmt);
    if (code == SQLITE_ROW) {
        *row = true;
        return true;
    }
    if (code != SQLITE_DONE)
        error = failure(QStringLiteral("Unable to fetch row"), QSqlError::ConnectionError, code);
    sqlite3_reset(m_stmt);
    return code == SQLITE_DONE;
}

bool SubTopicStatement::run(QString &error)
{
    bool row = false;
    if (!step(&row, error))
        return false;
    if (row)
        sqlite3_reset(m_stmt);
    return true;
}

bool SubTopicStatement::next(QString &error)
{
    bool row = false;
    return step(&row, error) && row;
}

qint64 SubTopicStatement::integer(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

QString SubTopicStatement::text(int column) const
{
    const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
    return bytes ? QString::fromUtf8(bytes, sqlite3_column_bytes(m_stmt, column)) : QString();
}

QString SubTopicStatement::failure(const QString &what, int type, int code) const
{
    return DatabaseErrorText(QSqlError(what, QString::fromUtf8(sqlite3_errmsg(m_db)), QSqlError::ErrorType(type),
                                       QString::number(code)));
}
