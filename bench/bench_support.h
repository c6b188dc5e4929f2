#pragma once
// What the benchmark programs share: a throw-away program folder with one edition, a
// generated Sub-Topic of categories and links, medians and the printing of runs.
//
// Every program prints its figures and, as its last line, the ratio to a bare baseline
// measured in the same run, the sides taking turns; both sides must end with the same
// rows, bytes or nodes, else the program fails (exit code 1; bench_cache_delete exits 2).
// A ratio over its goal is printed, and the program still exits 0. Nothing of the user's is
// touched: the program folder, the configuration folder and the edition live in temporary
// folders.

#include "platform/dialogs.h"
#include "shared/database.h"
#include "shared/globals.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QVariant>
#include <QVector>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace bench {

struct Category {
    qint32 id;
    QString path;   // stored form: "Big/Area 001/Field 01"
};
struct Link {
    qint32 categoryId;
    QString name;
    QString url;
};

// A generated Sub-Topic: its root row (id 1, "Big") and the rows below it.
struct Edition {
    QVector<Category> categories;   // without the root row
    QVector<Link> links;
};

inline double median(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0.0 : values.at(values.size() / 2);
}

inline QString list(const QVector<double> &values)
{
    QStringList parts;
    for (double v : values)
        parts.append(QString::number(v, 'f', 2));
    return parts.join(QStringLiteral(", "));
}

inline double msSince(const QElapsedTimer &clock)
{
    return clock.nsecsElapsed() / 1e6;
}

// Milliseconds one call of work takes.
inline double timed(const std::function<void()> &work)
{
    QElapsedTimer clock;
    clock.start();
    work();
    return msSince(clock);
}

inline void writeFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(content);
}

inline void copyFolder(const QString &from, const QString &to)
{
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + QDir(from).relativeFilePath(file);
        QDir().mkpath(QFileInfo(target).absolutePath());
        QFile::copy(file, target);
        QFile(target).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
}

// The environment every benchmark runs in; call before QApplication is made.
inline void prepareEnvironment()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

// A program folder copied from the build's pristine one (or argv[1]) into a temporary
// folder, with an empty edition Bench.mdb made active and opened. No box may wait for a
// user meanwhile.
class ProgramFolder
{
public:
    bool make(int argc, char *argv[])
    {
        const QString source = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                        : QCoreApplication::applicationDirPath() + QStringLiteral("/../pristine");
        if (!QFileInfo::exists(source + QStringLiteral("/untitled.mdb"))) {
            std::fprintf(stderr, "No program folder with untitled.mdb at %s\n", qPrintable(source));
            return false;
        }
        m_folder = m_home.path() + QLatin1Char('/');
        copyFolder(source + QLatin1Char('/'), m_folder);
        QFile::copy(m_folder + QStringLiteral("untitled.mdb"), m_folder + QStringLiteral("Bench.mdb"));
        writeFile(m_folder + QStringLiteral("dbnames.txt"), "*Bench.mdb,Bench\r\n");
        qputenv("QUORVANE_HOME", QFile::encodeName(m_home.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
        QDir::setCurrent(m_home.path());
        DialogScript::begin();
        CurrentDatabaseFile = QStringLiteral("Bench.mdb");
        if (!OpenDatabase(CurrentDatabaseFile)) {
            std::fprintf(stderr, "Cannot open the bench edition\n");
            return false;
        }
        return true;
    }
    QString folder() const { return m_folder; }

    // Reports boxes that were shown though none should have been.
    static void finish()
    {
        for (const QString &box : DialogScript::unexpected())
            std::fprintf(stderr, "unexpected dialog: %s\n", qPrintable(box));
        ReleaseDatabase();
        DialogScript::end();
    }

private:
    QTemporaryDir m_home;
    QTemporaryDir m_config;
    QString m_folder;
};

// What a benchmark with a program folder starts with: the environment, the application
// and the program folder, made in this order.
class Program
{
    struct Environment {
        Environment() { prepareEnvironment(); }
    };

public:
    Program(int &argc, char *argv[]) : m_app(argc, argv) { m_ready = m_folder.make(argc, argv); }
    bool ready() const { return m_ready; }
    const ProgramFolder &folder() const { return m_folder; }

private:
    Environment m_environment;
    QApplication m_app;
    ProgramFolder m_folder;
    bool m_ready = false;
};

inline bool run(const QString &sql, const QVariantList &values = {})
{
    if (ExecSql(sql, values))
        return true;
    std::fprintf(stderr, "SQL failed: %s\n", qPrintable(sql));
    return false;
}

// Writes Topic "Bench" (id 1) with Sub-Topic "Big" (id 1) and its root row (LksId 1), then
// areas directly under the root, each with fieldsPerArea categories below it, and links
// spread evenly over every category of an area and its fields (linksPerCategory each).
// Ids continue from firstId; links are named "Site 00001" ... in the order of their ids.
inline bool makeSubTopic(Edition *edition, int areas, int fieldsPerArea, int linksPerCategory,
                         bool linksInAreas = true)
{
    Transaction fill;
    if (!run(QStringLiteral("INSERT INTO Topics (MainTopicId, TopicName) VALUES (1, 'Bench')"))
        || !run(QStringLiteral("INSERT INTO SubTopics (SubTopicId, GlobalTopicId, SubTopicName) VALUES (1, 1, 'Big')"))
        || !run(QStringLiteral("INSERT INTO ColorLinks (TopicId, color1, color2, color3, TopicName)"
                               " VALUES (1, 'bb99bb', 'aa33ee', '8a2be2', 'Big')")))
        return false;
    const QString lks = QStringLiteral("INSERT INTO Lks (LksId, LksName, LksUrl, TopicId, IsTop, IsLeaf, LksDesc)"
                                       " VALUES (?, ?, ?, 1, 1, ?, 'N')");
    if (!run(lks, {1, QStringLiteral("Big"), QStringLiteral("Big"), 0}))
        return false;
    qint32 id = 1;
    QVector<qint32> holders;
    for (int a = 1; a <= areas; ++a) {
        const QString area = QStringLiteral("Area %1").arg(a, 5, 10, QLatin1Char('0'));
        const QString areaPath = QStringLiteral("Big/") + area;
        edition->categories.append({++id, areaPath});
        if (linksInAreas)
            holders.append(id);
        if (!run(lks, {id, area + QStringLiteral("/Big"), areaPath, linksInAreas ? 1 : 0}))
            return false;
        for (int f = 1; f <= fieldsPerArea; ++f) {
            const QString field = QStringLiteral("Field %1").arg(f, 3, 10, QLatin1Char('0'));
            edition->categories.append({++id, areaPath + QLatin1Char('/') + field});
            holders.append(id);
            if (!run(lks, {id, field + QLatin1Char('/') + area + QStringLiteral("/Big"),
                           edition->categories.constLast().path, 1}))
                return false;
        }
    }
    const QString sit = QStringLiteral("INSERT INTO Sit (SitId, SitName, SitUrl, Summary) VALUES (?, ?, ?, '')");
    const QString join = QStringLiteral("INSERT INTO LksSit (LksId, SitId, Seq) VALUES (?, ?, ?)");
    int site = 0;
    for (const qint32 holder : std::as_const(holders)) {
        for (int l = 0; l < linksPerCategory; ++l) {
            ++site;
            const QString name = QStringLiteral("Site %1").arg(site, 6, 10, QLatin1Char('0'));
            const QString url = QStringLiteral("http://www.site%1.example/page.html").arg(site);
            edition->links.append({holder, name, url});
            if (!run(sit, {site, name, url}) || !run(join, {holder, site, site}))
                return false;
        }
    }
    return fill.commit();
}

// Empties the edition's Topic, Sub-Topic and link tables.
inline bool clearEdition()
{
    for (const char *table : {"Topics", "SubTopics", "ColorLinks", "Lks", "Sit", "LksSit"})
        if (!run(QStringLiteral("DELETE FROM ") + QLatin1String(table)))
            return false;
    return true;
}

inline void printRuns(const char *label, const QVector<double> &runs)
{
    std::printf("%-44s %9.2f ms median (runs: %s)\n", label, median(runs), qPrintable(list(runs)));
}

// One run of a side: its time in ms, or a negative number when its work failed. A run
// may do untimed work of its own around the part it times (see timedRun).
using Run = std::function<double()>;

// A run that prepares untimed, then times work (which answers false when it failed) and
// then, untimed again, takes note of what the work left (may be empty).
inline Run timedRun(const std::function<bool()> &work, const std::function<void()> &prepare = {},
                    const std::function<void()> &afterwards = {})
{
    return [=] {
        if (prepare)
            prepare();
        bool ok = false;
        const double ms = timed([&] { ok = work(); });
        if (afterwards)
            afterwards();
        return ok ? ms : -1.0;
    };
}

// Times sides over runs, taking turns: run r starts with side r modulo their number and
// goes round from there, so that a slow moment of the machine, a warm cache or a first-run
// cost falls on every side. times holds one list per side. False when a run failed.
inline bool takeTurns(int runs, const QVector<Run> &sides, const QVector<QVector<double> *> &times)
{
    bool ok = true;
    for (int run = 0; run < runs; ++run) {
        for (qsizetype k = 0; k < sides.size(); ++k) {
            const qsizetype side = (run + k) % sides.size();
            const double ms = sides.at(side)();
            ok = ok && ms >= 0;
            times.at(side)->append(ms);
        }
    }
    return ok;
}

// The program's side and the bare side taking turns: the program's side first on even
// runs, the bare side first on odd runs.
inline bool alternateRuns(int runs, const Run &program, const Run &bare, QVector<double> *programTimes,
                          QVector<double> *bareTimes)
{
    return takeTurns(runs, {program, bare}, {programTimes, bareTimes});
}

// The same for sides that cannot fail and time all they do.
inline void alternate(int runs, const std::function<void()> &program, const std::function<void()> &bare,
                      QVector<double> *programTimes, QVector<double> *bareTimes)
{
    alternateRuns(runs, timedRun([&] { program(); return true; }), timedRun([&] { bare(); return true; }),
                  programTimes, bareTimes);
}

// Run run of both sides, each timing itself: the program's side first on even runs, the
// bare side first on odd runs, as alternateRuns does.
inline void inTurn(int run, const std::function<void()> &program, const std::function<void()> &bare)
{
    if (run % 2 == 0) {
        program();
        bare();
    } else {
        bare();
        program();
    }
}

// Prints both sides' runs and answers the ratio of their medians.
inline double compared(const char *program, const QVector<double> &programTimes, const char *bare,
                       const QVector<double> &bareTimes)
{
    printRuns(program, programTimes);
    printRuns(bare, bareTimes);
    return median(programTimes) / median(bareTimes);
}

// Whether both sides ended with the same rows, bytes or nodes (a list of them, in order);
// when not, says on stderr what and where they part.
template <typename List>
bool sameEnd(const char *what, const List &program, const List &bare)
{
    if (program == bare)
        return true;
    qsizetype at = 0;
    while (at < program.size() && at < bare.size() && program.at(at) == bare.at(at))
        ++at;
    std::fprintf(stderr, "%s: the program's side and the bare side end differently (%lld against %lld items,"
                 " first difference at item %lld)\n",
                 what, qlonglong(program.size()), qlonglong(bare.size()), qlonglong(at));
    return false;
}

// Every row of the Topic, Sub-Topic, link and section link tables of the open edition, in
// the order of their row ids, each as its table's name and its values: what two sides that
// changed the edition must both have left.
inline QStringList editionRows()
{
    QStringList rows;
    for (const char *table : {"Topics", "SubTopics", "ColorLinks", "Lks", "Sit", "LksSit", "NewsLinks", "SearchLinks",
                              "OrganizationLinks", "RelatedLinks", "FavoriteLinks", "LocalLinks"}) {
        QSqlQuery query(DbConnection());
        query.setForwardOnly(true);
        if (!query.exec(QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(QLatin1String(table))))
            rows.append(QLatin1String(table) + QStringLiteral(" cannot be read"));
        while (query.next()) {
            QString row = QLatin1String(table);
            for (int i = 0; i < query.record().count(); ++i)
                row += QLatin1Char('|') + (query.isNull(i) ? QStringLiteral("NULL") : query.value(i).toString());
            rows.append(row);
        }
    }
    return rows;
}

// Every node of a tree as the path of texts from the root to it; onlyShown keeps the nodes
// an expanded parent shows, in the order they are shown, else every node is listed, sorted,
// so that two trees holding the same nodes under the same parents give the same list.
inline QStringList nodePaths(const QTreeWidget &tree, bool onlyShown = false)
{
    QStringList paths;
    const std::function<void(const QTreeWidgetItem *, const QString &)> walk = [&](const QTreeWidgetItem *item,
                                                                                   const QString &above) {
        const QString path = above + QLatin1Char('\\') + item->text(0);
        paths.append(path);
        if (!onlyShown || item->isExpanded())
            for (int i = 0; i < item->childCount(); ++i)
                walk(item->child(i), path);
    };
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        walk(tree.topLevelItem(i), QString());
    if (!onlyShown)
        paths.sort();
    return paths;
}

// The ratios of the rows a bench measures and the one it ends with: the largest ratio of
// any row, and how many rows are over their own goal. A failed run or check makes the
// bench end with exit code 1.
class Headline
{
public:
    explicit Headline(double goal) : m_goal(goal) {}

    // Prints a row's two sides and its ratio, counts it and answers the ratio; rowGoal 0
    // stands for the bench's goal.
    double row(const char *what, const char *program, const QVector<double> &programTimes, const char *bare,
               const QVector<double> &bareTimes, double rowGoal = 0)
    {
        std::printf("%s\n", what);
        const double ratio = compared(program, programTimes, bare, bareTimes);
        std::printf("  ratio %.2f (goal: at most %.2f)\n", ratio, rowGoal > 0 ? rowGoal : m_goal);
        count(ratio, rowGoal);
        return ratio;
    }
    void count(double ratio, double rowGoal = 0)
    {
        m_worst = std::max(m_worst, ratio);
        if (ratio > (rowGoal > 0 ? rowGoal : m_goal))
            ++m_over;
        ++m_rows;
    }
    // Notes a failed run or check (which says on stderr what failed); answers ok.
    bool check(bool ok)
    {
        m_failed = m_failed || !ok;
        return ok;
    }

    // Prints the last line and answers the exit code.
    int finish() const
    {
        if (m_failed)
            std::fprintf(stderr, "FAILED: a run failed or the two sides did not end the same\n");
        std::printf("ratio: %.2f (the worst of %d rows; %d of them over its goal; goal: at most %.2f)\n", m_worst,
                    m_rows, m_over, m_goal);
        return m_failed ? 1 : 0;
    }

private:
    double m_goal;
    double m_worst = 0;
    int m_rows = 0;
    int m_over = 0;
    bool m_failed = false;
};

} // namespace bench
