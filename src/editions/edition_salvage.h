#pragma once
// Recovering a damaged edition database: every row that can still be read from its pages
// is copied into a fresh copy of the empty edition.

#include <QMap>
#include <QString>
#include <QStringList>

class QSqlError;

struct SalvageResult {
    enum class Outcome {
        Salvaged,     // the copy holds every readable row
        Unreadable,   // nothing of the file can be read: no copy was made
        Failed,       // the copy could not be written: no copy is left
    };
    Outcome outcome = Outcome::Failed;
    QMap<QString, int> recovered;   // rows copied, by table
    QStringList incomplete;         // tables of which some rows could not be read
    QString failure;                // why the copy could not be written (in words)
    int errorCode = 0;              // SQLite's primary result code of that failure, or 0
};

// Copies every readable row of every table of the database file damaged into a new file
// destination made from a copy of templateFile (the empty edition). A table the template
// lacks is made as the damaged file declares it. Rows keep their row ids; the copy is
// checked whole before it is kept. On failure destination is removed.
SalvageResult SalvageEdition(const QString &damaged, const QString &templateFile, const QString &destination);
