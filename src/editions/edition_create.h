#pragma once
// Creating a new, empty edition from the template untitled.mdb, and adding an edition to
// the list from its descriptor (a ".ddb" file of one line "<database file>,<name>"). A new
// edition is prepared in the folder temp of the program folder, then listed and made the
// active edition.

#include <QString>

class EditionHost;

// Full path of the descriptor made for the edition being created.
extern QString NewEditionPackage;

class EditionCreator
{
public:
    explicit EditionCreator(EditionHost *host, const QString &folder = QString());

    // The "Create Edition" command: asks for the name, checks it, prepares the database
    // and its descriptor in temp and adds the edition; temp is emptied afterwards.
    void createEdition();
    // Makes "<temp>/<name>.mdb" (blanks as "_") from the template and its descriptor, and
    // sets NewEditionPackage. Answers false, leaving no descriptor, when that fails.
    bool createEditionDatabase(const QString &name);
    // Adds the edition of a descriptor: mode 1 the one made by createEditionDatabase
    // (then made active), mode 0 one the user picks. Refreshes the edition list at the end,
    // except when the edition's file is already in the program folder.
    void addEdition(int mode);

private:
    QString tempFolder() const { return m_folder + QStringLiteral("temp/"); }
    void refresh() const;

    EditionHost *m_host = nullptr;
    QString m_folder;
};
