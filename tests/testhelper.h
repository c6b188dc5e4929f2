#pragma once
// Shared set-up of the tests: a program folder and a settings folder of their own in
// temporary directories, and scripted dialogs.

#include <QString>
#include <QTemporaryDir>

class TestProgramFolder
{
public:
    // Makes a fresh program folder holding a copy of the built program files
    // (template, sample edition, style sheet, help), points QUORVANE_HOME at it and
    // XDG_CONFIG_HOME at an empty folder, and turns dialog scripting on.
    TestProgramFolder();
    ~TestProgramFolder();

    QString path() const;                       // ends in "/"
    QString file(const QString &name) const;    // path() + name
    // Copies the empty template to a new edition file of the program folder.
    QString makeEdition(const QString &fileName) const;
    // Writes a text file (UTF-8) into the program folder.
    void writeFile(const QString &name, const QByteArray &content) const;
    QByteArray readFile(const QString &name) const;

private:
    QTemporaryDir m_home;
    QTemporaryDir m_config;
};

// The built program folder the tests copy from.
QString BuiltProgramFolder();
// The folder of test fixture files.
QString FixturesFolder();
