#pragma once
// One group of writes to the edition: all of it lands or none of it.
//
// When the caller already runs a transaction of its own, the writes join it (SQLite
// starts no second one) and the caller's commit decides.

#include "shared/database.h"

class WriteScope
{
public:
    WriteScope() = default;
    WriteScope(const WriteScope &) = delete;
    WriteScope &operator=(const WriteScope &) = delete;

    // Makes the writes land; false when they could not (and then none did). Joined to the
    // caller's transaction, there is nothing to do here.
    bool commit() { return !m_transaction.started() || m_transaction.commit(); }

private:
    Transaction m_transaction;
};
