#pragma once
// Statements of the category and link editing classes: bound values, the error text kept.

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
    if (!query.prepare(sql)) {
        error = query.lastError().text();
        return false;
    }
    for (const QVariant &v : values)
        query.addBindValue(v);
    if (!query.exec()) {
        error = query.lastError().text();
        return false;
    }
    return true;
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
