#pragma once
// Statements of the editing classes: bound values, the error text kept.

#include "shared/database.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace EditSql {

// Runs sql with values on query (made on DbConnection()); on failure error receives the
// database's text.
inline bool run(QSqlQuery &query, const QString &sql, const QVariantList &values, QString &error)
{
    query.setForwardOnly(true);
    if (BindAndExec(query, sql, values))
        return true;
    error = query.lastError().text();
    return false;
}

// Why a statement on query failed: the query's reason, else the connection's.
inline QString errorOf(const QSqlQuery &query)
{
    const QString text = query.lastError().text();
    return text.isEmpty() ? DbConnection().lastError().text() : text;
}

inline bool exec(const QString &sql, const QVariantList &values, QString &error)
{
    QSqlQuery query(DbConnection());
    return run(query, sql, values, error);
}

// The first column of the first row of a query into value (null when there is no row).
inline bool scalar(const QString &sql, const QVariantList &values, QVariant &value, QString &error)
{
    QSqlQuery query(DbConnection());
    if (!run(query, sql, values, error))
        return false;
    value = query.next() ? query.value(0) : QVariant();
    return true;
}

} // namespace EditSql
