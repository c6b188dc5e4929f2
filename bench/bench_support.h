#pragma once
// What the benchmark programs share: a throw-away program folder with one edition, a
// generated Sub-Topic of categories and links, medians and the printing of runs.
//
// Every program prints its figures and, as its last line, the ratio to a bare baseline
// measured in the same run. Nothing of the user's is touched: the program folder, the
// configuration folder and the edition live in temporary folders.

#include "platform/dialogs.h"
#include "shared/database.h"
#include "shared/globals.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
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

// Run run of both sides: every other run starts with the bare side, so that a slow
// moment of the machine falls on both. Each side times itself.
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

// Times the program's side and the bare side over runs, taking turns as inTurn does.
inline void alternate(int runs, const std::function<void()> &program, const std::function<void()> &bare,
                      QVector<double> *programTimes, QVector<double> *bareTimes)
{
    for (int run = 0; run < runs; ++run)
        inTurn(run, [&] { programTimes->append(timed(program)); }, [&] { bareTimes->append(timed(bare)); });
}

// Prints both sides' runs and answers the ratio of their medians.
inline double compared(const char *program, const QVector<double> &programTimes, const char *bare,
                       const QVector<double> &bareTimes)
{
    printRuns(program, programTimes);
    printRuns(bare, bareTimes);
    return median(programTimes) / median(bareTimes);
}

} // namespace bench
