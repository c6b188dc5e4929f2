#pragma once
// Letter case in the editions' text: every text column compares with the collation
// NOCASE and the edition search matches with LIKE, and both ignore the case of every
// letter, not only of A to Z ("Ärger" equals "ärger"). SQLite's own NOCASE and LIKE fold
// A to Z only, so every connection the program opens replaces both with its own.
//
// An index over a NOCASE column is ordered by the comparison it was built with. An
// edition whose indexes were built by SQLite's own NOCASE has them rebuilt once, the
// first time it is opened for writing; a mark in the file's user version then says so.

#include <QSqlDatabase>

struct sqlite3;

// SQLite's own handle of an open connection; nullptr when it is no open SQLite connection.
sqlite3 *SqliteHandle(const QSqlDatabase &db);

// Installs the folding NOCASE collation and LIKE function on an open connection. Answers
// false when the connection is not an open SQLite connection.
bool InstallTextFolding(const QSqlDatabase &db);

// Rebuilds the NOCASE indexes of the connection's main database unless its mark says they
// are already in folded order, then sets the mark. Answers false when the file could not
// be changed (a read-only file); its indexes then stay as they are.
bool OrderIndexesByFolding(const QSqlDatabase &db);

