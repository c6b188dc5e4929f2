#pragma once
// Shared set-up of the tests: a program folder and a settings folder of their own in
// temporary directories, scripted dialogs, and rows of the open edition read back as text.

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantList>

#include <memory>

class QLabel;
class QWidget;

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

// How long a test waits for a page to load: the first page of a run starts the browser
// engine, which can take a while on a busy machine.
constexpr int PageLoadTimeoutMs = 30000;

// The built program folder the tests copy from.
QString BuiltProgramFolder();
// The folder of test fixture files.
QString FixturesFolder();

// Removes a test's program folder (at the end of each test). The test fails when a dialog
// showed that it had not scripted, and with allAnswered also when a scripted answer was
// never used.
void RemoveProgramFolder(std::unique_ptr<TestProgramFolder> &folder, bool allAnswered = false);

// Makes fileName (an edition file of the program folder) the edition in use and opens it,
// closing any edition open before, as the main window does.
bool OpenEdition(const QString &fileName);

// The rows of a query on the open edition, each as its columns' texts joined by "|"; a
// query that fails gives one row "error: " and the message.
QStringList QueryRows(const QString &sql, const QVariantList &values = {});
// The first column of the first row of a query as a number (counts, largest ids).
qint64 QueryCount(const QString &sql, const QVariantList &values = {});

// True when the label looks exactly like a label showing text as plain text: an "&" drawn
// as a shortcut underline, or text taken for markup, looks different.
bool LabelShowsText(const QLabel *label, const QString &text);
// The label among widget's children whose text contains part (nullptr when none).
QLabel *LabelWith(const QWidget *widget, const QString &part);
