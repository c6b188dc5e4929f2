#include "testhelper.h"

#include "editions/edition_loader.h"
#include "platform/dialogs.h"
#include "platform/webbrowser.h"
#include "shared/database.h"
#include "shared/globals.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

QString BuiltProgramFolder()
{
    return QStringLiteral(QUORVANE_APP_TEMPLATE_DIR "/");
}

QString FixturesFolder()
{
    return QStringLiteral(QUORVANE_FIXTURES_DIR "/");
}

TestProgramFolder::TestProgramFolder()
{
    ReleaseDatabase();
    const QString src = BuiltProgramFolder();
    QDirIterator it(src, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString from = it.next();
        const QString rel = QDir(src).relativeFilePath(from);
        const QString to = path() + rel;
        QDir().mkpath(QFileInfo(to).absolutePath());
        QFile::copy(from, to);
        QFile(to).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
    qputenv("QUORVANE_HOME", QFile::encodeName(m_home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    QDir::setCurrent(m_home.path());
    CurrentDatabaseFile.clear();
    UseCurrentDir = 0;
    DialogScript::begin();
}

TestProgramFolder::~TestProgramFolder()
{
    ReleaseDatabase();
    DialogScript::end();
    QDir::setCurrent(QDir::tempPath());
}

QString TestProgramFolder::path() const
{
    return m_home.path() + QLatin1Char('/');
}

QString TestProgramFolder::file(const QString &name) const
{
    return path() + name;
}

QString TestProgramFolder::makeEdition(const QString &fileName) const
{
    const QString to = file(fileName);
    QFile::remove(to);
    QFile::copy(file(QStringLiteral("untitled.mdb")), to);
    QFile(to).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    return to;
}

void TestProgramFolder::writeFile(const QString &name, const QByteArray &content) const
{
    QFile f(file(name));
    QDir().mkpath(QFileInfo(f).absolutePath());
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(content);
}

QByteArray TestProgramFolder::readFile(const QString &name) const
{
    QFile f(file(name));
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

void RemoveProgramFolder(std::unique_ptr<TestProgramFolder> &folder, bool allAnswered)
{
    // What the script saw is read before the folder's end closes the script.
    const QStringList unexpected = DialogScript::unexpected();
    const int pending = DialogScript::pending();
    folder.reset();
    QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join(QLatin1Char('\n'))));
    if (allAnswered)
        QCOMPARE(pending, 0);
}

bool OpenEdition(const QString &fileName)
{
    CurrentDatabaseFile = fileName;
    return EditionLoader().openActiveEdition();
}

QStringList QueryRows(const QString &sql, const QVariantList &values)
{
    QStringList result;
    Recordset rs;
    if (!rs.open(sql, values))
        return {QStringLiteral("error: ") + rs.lastError()};
    const QStringList columns = rs.columns();
    for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
        QStringList row;
        for (const QString &c : columns)
            row.append(rs.text(c));
        result.append(row.join(QLatin1Char('|')));
    }
    return result;
}

qint64 QueryCount(const QString &sql, const QVariantList &values)
{
    return QueryValue(sql, values).toLongLong();
}

bool LabelShowsText(const QLabel *label, const QString &text)
{
    QLabel plain;
    plain.setTextFormat(Qt::PlainText);
    plain.setText(text);
    plain.setFont(label->font());
    plain.setPalette(label->palette());
    plain.setAlignment(label->alignment());
    plain.setWordWrap(label->wordWrap());
    plain.setIndent(label->indent());
    plain.setMargin(label->margin());
    plain.setContentsMargins(label->contentsMargins());
    plain.setFrameStyle(label->frameStyle());
    plain.resize(label->size());
    const QImage shown = const_cast<QLabel *>(label)->grab().toImage().convertToFormat(QImage::Format_RGB32);
    return plain.grab().toImage().convertToFormat(QImage::Format_RGB32) == shown;
}

QLabel *LabelWith(const QWidget *widget, const QString &part)
{
    const QList<QLabel *> labels = widget->findChildren<QLabel *>();
    for (QLabel *label : labels)
        if (label->text().contains(part))
            return label;
    return nullptr;
}

namespace {

const char FaultTable[] = "fault_budget";

QString faultMessage()
{
    return QStringLiteral("injected write fault");
}

// The trigger statements that make table refuse the kinds of write in operations once
// the budget row of its group is used up. temp puts them in the connection's temporary
// schema (whose budget table hides any of the same name in the file).
QStringList faultTriggers(const QString &table, const QString &group, int operations, bool temp)
{
    static const struct { int op; const char *name; } kinds[] = {
        {WriteFault::Insert, "INSERT"}, {WriteFault::Update, "UPDATE"}, {WriteFault::Delete, "DELETE"}};
    const QString schema = temp ? QStringLiteral("temp.") : QString();
    QStringList sql;
    for (const auto &kind : kinds) {
        if (!(operations & kind.op))
            continue;
        const QString name = QStringLiteral("fault_%1_%2").arg(QString::fromLatin1(kind.name).toLower(), table);
        sql.append(QStringLiteral("DROP TRIGGER IF EXISTS %1\"%2\"").arg(schema, name));
        sql.append(QStringLiteral(
                       "CREATE %1TRIGGER \"%2\" BEFORE %3 ON %4\"%5\" BEGIN "
                       "SELECT RAISE(ABORT, '%6') WHERE (SELECT left FROM %7 WHERE grp = '%8') <= 0; "
                       "UPDATE %7 SET left = left - 1 WHERE grp = '%8'; END")
                       .arg(temp ? QStringLiteral("TEMP ") : QString(), name, QLatin1String(kind.name),
                            temp ? QStringLiteral("main.") : QString(), table, faultMessage(),
                            QLatin1String(FaultTable), group));
    }
    return sql;
}

bool runAll(QSqlDatabase db, const QStringList &statements)
{
    for (const QString &sql : statements) {
        QSqlQuery q(db);
        if (!q.exec(sql)) {
            qWarning() << "test statement failed:" << sql << q.lastError().text();
            return false;
        }
    }
    return true;
}

QStringList userTables(QSqlDatabase db)
{
    QStringList tables;
    QSqlQuery q(db);
    q.exec(QStringLiteral("SELECT name FROM main.sqlite_master WHERE type = 'table' "
                          "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' AND name <> '%1' ORDER BY name")
               .arg(QLatin1String(FaultTable)));
    while (q.next())
        tables.append(q.value(0).toString());
    return tables;
}

QStringList snapshotOf(QSqlDatabase db)
{
    QStringList rows;
    for (const QString &table : userTables(db)) {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        if (!q.exec(QStringLiteral("SELECT * FROM \"%1\" ORDER BY rowid").arg(table))) {
            rows.append(table + QStringLiteral("|error: ") + q.lastError().text());
            continue;
        }
        while (q.next()) {
            QStringList row{table};
            for (int c = 0; c < q.record().count(); ++c)
                row.append(q.value(c).isNull() ? QStringLiteral("<null>") : q.value(c).toString());
            rows.append(row.join(QLatin1Char('|')));
        }
    }
    return rows;
}

// Runs work on a connection of its own to the file at path.
template<typename Work>
auto withFile(const QString &path, Work work)
{
    const QString name = QStringLiteral("testhelper-file");
    decltype(work(QSqlDatabase())) result{};
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (db.open())
            result = work(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

} // namespace

namespace WriteFault {

QString message()
{
    return faultMessage();
}

bool arm(const QString &table, int allowed, int operations)
{
    QSqlDatabase db = DbConnection();
    QStringList sql{QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS %1(grp TEXT PRIMARY KEY, left INTEGER)")
                        .arg(QLatin1String(FaultTable)),
                    QStringLiteral("INSERT OR REPLACE INTO temp.%1 VALUES ('%2', %3)")
                        .arg(QLatin1String(FaultTable), table).arg(allowed)};
    sql += faultTriggers(table, table, operations, true);
    return runAll(db, sql);
}

bool armCommit(const QString &table)
{
    QStringList sql{QStringLiteral("PRAGMA foreign_keys = ON"),
                    QStringLiteral("CREATE TABLE IF NOT EXISTS temp.fault_parent(id INTEGER PRIMARY KEY)"),
                    QStringLiteral("CREATE TABLE IF NOT EXISTS temp.fault_child(parent INTEGER REFERENCES "
                                   "fault_parent(id) DEFERRABLE INITIALLY DEFERRED)")};
    for (const char *kind : {"INSERT", "UPDATE", "DELETE"})
        sql.append(QStringLiteral("CREATE TEMP TRIGGER \"fault_commit_%1_%2\" AFTER %1 ON main.\"%2\" BEGIN "
                                  "INSERT INTO fault_child VALUES (0); END")
                       .arg(QLatin1String(kind), table));
    return runAll(DbConnection(), sql);
}

QString commitMessage()
{
    return QStringLiteral("FOREIGN KEY constraint failed");
}

bool armAll(int allowed, int operations)
{
    for (const QString &table : userTables(DbConnection()))
        if (!arm(table, allowed, operations))
            return false;
    return true;
}

void disarm()
{
    QSqlDatabase db = DbConnection();
    QSqlQuery q(db);
    q.exec(QStringLiteral("SELECT name FROM temp.sqlite_master WHERE type = 'trigger' AND name LIKE 'fault\\_%' ESCAPE '\\'"));
    QStringList sql;
    while (q.next())
        sql.append(QStringLiteral("DROP TRIGGER temp.\"%1\"").arg(q.value(0).toString()));
    sql.append(QStringLiteral("DROP TABLE IF EXISTS temp.%1").arg(QLatin1String(FaultTable)));
    runAll(db, sql);
}

bool armFile(const QString &path, const QStringList &tables, int allowed, int operations)
{
    return withFile(path, [&](QSqlDatabase db) {
        QStringList sql{QStringLiteral("CREATE TABLE IF NOT EXISTS %1(grp TEXT PRIMARY KEY, left INTEGER)")
                            .arg(QLatin1String(FaultTable)),
                        QStringLiteral("INSERT OR REPLACE INTO %1 VALUES ('file', %2)")
                            .arg(QLatin1String(FaultTable))
                            .arg(allowed)};
        for (const QString &table : tables)
            sql += faultTriggers(table, QStringLiteral("file"), operations, false);
        return runAll(db, sql);
    });
}

bool disarmFile(const QString &path)
{
    return withFile(path, [&](QSqlDatabase db) {
        QSqlQuery q(db);
        q.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'trigger' AND name LIKE 'fault\\_%' ESCAPE '\\'"));
        QStringList sql;
        while (q.next())
            sql.append(QStringLiteral("DROP TRIGGER \"%1\"").arg(q.value(0).toString()));
        sql.append(QStringLiteral("DROP TABLE IF EXISTS %1").arg(QLatin1String(FaultTable)));
        return runAll(db, sql);
    });
}

} // namespace WriteFault

QStringList EditionSnapshot()
{
    return snapshotOf(DbConnection());
}

QStringList EditionSnapshot(const QString &path)
{
    return withFile(path, [](QSqlDatabase db) { return snapshotOf(db); });
}

bool RunOnFile(const QString &path, const QStringList &statements)
{
    return withFile(path, [&statements](QSqlDatabase db) { return runAll(db, statements); });
}

QStringList SlowCheckOnLinks()
{
    return {QStringLiteral("PRAGMA writable_schema = ON"),
            QStringLiteral("UPDATE sqlite_master SET sql = substr(sql, 1, length(sql) - 1) "
                           "|| ', CHECK (length(randomblob(1e8)) > 0))' WHERE name = 'Sit'")};
}

bool RunInChildWithin(int cpuSeconds, const std::function<bool()> &work)
{
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        const rlimit limit{rlim_t(cpuSeconds), rlim_t(cpuSeconds)};
        setrlimit(RLIMIT_CPU, &limit);
        _exit(work() ? 0 : 1);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child)
        return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void KeepOnThisMachine(WebBrowser *browser)
{
    QObject::connect(browser, &WebBrowser::BeforeNavigate2, browser, [](const QUrl &url, bool *cancel) {
        const QString host = url.host();
        const bool here = url.isLocalFile() || url.scheme() == QLatin1String("about")
                          || url.scheme() == QLatin1String("data") || host == QLatin1String("127.0.0.1")
                          || host == QLatin1String("localhost");
        if (!here)
            *cancel = true;
    });
}
