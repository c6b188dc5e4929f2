#pragma once
// Statements and transactions of the classes that write to the edition: bound values, the error text kept
// (in words a user understands where the database refused a write, see DatabaseErrorText).

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
    error = DatabaseErrorText(query.lastError());
    return false;
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

// The next id of a key column by the edition's one id rule (NextId); false, with the
// reason in error, when the table cannot be read or no id is left.
inline bool nextId(const QString &table, const QString &keyColumn, qint32 &id, QString &error)
{
    id = NextId(table, keyColumn, &error);
    return id > 0;
}

// False, with the database's text in error, when the transaction did not start (then
// nothing may be written: the writes would not be one group).
inline bool started(const Transaction &transaction, QString &error)
{
    if (transaction.started())
        return true;
    error = DatabaseErrorText(DbConnection().lastError());
    return false;
}

// Makes the transaction's writes land; false, with the database's text in error, when
// they could not (and then none did).
inline bool commit(Transaction &transaction, QString &error)
{
    if (transaction.commit())
        return true;
    error = DatabaseErrorText(DbConnection().lastError());
    return false;
}

} // namespace EditSql
