#pragma once
// Exporting an edition: a copy of its database file in the folder export of the program
// folder, to be passed on. The stored web-account logins are not passed on: the copy
// leaves them out.

#include "editions/edition_list.h"

#include <QString>

class EditionExport
{
public:
    explicit EditionExport(const QString &folder = QString());

    QString exportFolder() const { return m_folder + QStringLiteral("export/"); }
    // Copies entry's database file into the export folder, replacing an earlier copy, and
    // tells the user under name. Answers whether the copy was made.
    bool exportEdition(const EditionEntry &entry, const QString &name) const;

private:
    QString m_folder;
};
