#pragma once
// The page cache: the generated Sub-Topic pages ("*.html") kept in the program folder.

#include <QString>

// Deletes every page file ("*.html") of folder (ending in "/"; by default the program
// folder); answers how many went.
int DeletePageFiles(const QString &folder = QString());
