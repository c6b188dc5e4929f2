#pragma once
// Compacting an edition database: it is copied, compacted, into another file, which is
// checked whole before it takes the edition's place.

#include <QString>

// Compacts the database source into destination (which must not exist) and checks the
// copy's integrity. Answers false (error says why, no destination left) on failure.
bool CompactDatabaseTo(const QString &source, const QString &destination, QString *error = nullptr);
// Compacts source through the scratch file, which then replaces source in one step.
// A scratch file left from before is deleted first. On failure source stays as it was.
// The edition connection must not be open on source.
bool CompactDatabaseInPlace(const QString &source, const QString &scratch, QString *error = nullptr);
