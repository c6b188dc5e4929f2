#pragma once
// Editions taken in from outside the program (a plug-in download, an import, a restore)
// are read before they are used: SQLite runs what an edition's list of tables declares on
// the program's own reads and writes. A trigger can delete rows whenever a link is added,
// a view can stand for a table, and an expression (a check, a default worked out, a
// generated column, an index on an expression or on part of a table) can take any time
// on every row. An edition that declares any of these beyond what the empty edition
// declares is not taken in.

#include <QString>

// True when every line of the list of tables of the database file at path either is a
// line of the empty edition templateFile too or declares a plain table or index: no
// trigger, no view, no expression. False when the list cannot be read. Nothing is written
// to either file.
bool DeclaresNothingOfItsOwn(const QString &path, const QString &templateFile);

// Why an edition that declares something of its own is not taken in, for a message after
// the file's name: "holds commands ...".
QString OwnCommandsReason();

// Why the database file at path cannot be taken in as an edition, for a message after the
// file's name: it is no edition database, or it declares something of its own beside the
// empty edition templateFile. "" when it can be taken in.
QString IntakeRefusal(const QString &path, const QString &templateFile);
