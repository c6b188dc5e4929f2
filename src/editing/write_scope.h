#pragma once
// One group of writes to the edition: all of it lands or none of it.
//
// When the caller already runs a transaction of its own, the writes join it (SQLite
// starts no second one) and the caller's commit decides.

#include "shared/database.h"

#include <QSqlDatabase>

class WriteScope
{
public:
    WriteScope() : m_own(DbConnection().transaction()) {}
    ~WriteScope()
    {
        if (m_own && !m_done)
            DbConnection().rollback();
    }
    WriteScope(const WriteScope &) = delete;
    WriteScope &operator=(const WriteScope &) = delete;

    // Makes the writes land; false when they could not (and then none did).
    bool commit()
    {
        if (!m_own)
            return true;
        if (m_done)
            return false;
        m_done = true;
        if (DbConnection().commit())
            return true;
        DbConnection().rollback();
        return false;
    }

private:
    bool m_own;
    bool m_done = false;
};
