#pragma once
// Shared set-up of the tests: a program folder and a settings folder of their own in
// temporary directories, scripted dialogs, and rows of the open edition read back as text.

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantList>

#include <functional>
#include <memory>

class QLabel;
class QWidget;
class WebBrowser;

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

// Injected write failures: the database refuses a write part-way through a command, as a
// full disk or a locked file would. Armed on the program's connection, the fault lives in
// temporary triggers and leaves the edition file as it is; armed on a file, it is stored
// in the file (for commands that open files on connections of their own).
namespace WriteFault {

enum Operation { Insert = 1, Update = 2, Delete = 4, AnyWrite = 7 };

// The message the refused write fails with.
QString message();

// From now on, table of the open edition accepts `allowed` writes of the given kinds and
// refuses the next one (and every one after it). Answers false when it could not be armed.
bool arm(const QString &table, int allowed, int operations = AnyWrite);
// From now on, every write to table of the open edition is taken, but the transaction it
// is in cannot be committed (a deferred check fails with commitMessage()).
bool armCommit(const QString &table);
QString commitMessage();
// The same for every table of the open edition.
bool armAll(int allowed, int operations = AnyWrite);
// Removes every fault armed on the program's connection.
void disarm();

// Arms the fault inside the database file at path (a connection of its own); the count
// of writes allowed is shared by every table named.
bool armFile(const QString &path, const QStringList &tables, int allowed, int operations = AnyWrite);
// Removes a fault armed in a file.
bool disarmFile(const QString &path);

} // namespace WriteFault

// Every row of every table of the open edition (or of the database file at path), table
// by table in name order, each row as "table|" and its columns' texts; the fault's own
// bookkeeping is left out. Two snapshots are equal exactly when the editions hold the same
// rows.
QStringList EditionSnapshot();
QStringList EditionSnapshot(const QString &path);

// Runs the statements on the database file at path, on a connection of its own; answers
// whether every one ran.
bool RunOnFile(const QString &path, const QStringList &statements);
// The statements that give an edition's links table a check taking a third of a second
// for each row, which every row passes.
QStringList SlowCheckOnLinks();

// Runs work in a child process that may use at most cpuSeconds of processor time (a hard
// limit: the system stops the child past it). Answers work's answer; false when the child
// was stopped or ended in any other way.
bool RunInChildWithin(int cpuSeconds, const std::function<bool()> &work);

// Keeps a browser on this machine: a navigation to any host other than 127.0.0.1 or
// localhost is refused before a request is made (lastNavigated() still shows it).
void KeepOnThisMachine(WebBrowser *browser);
