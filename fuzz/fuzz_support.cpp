#include "fuzz_support.h"

#include "platform/dialogs.h"
#include "shared/database.h"
#include "shared/globals.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace Fuzz {

QString setUp()
{
    static QString folder;
    if (!folder.isEmpty())
        return folder;
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    // Never destroyed: the fuzzer may end the process from anywhere, and Qt's clean-up
    // must not run after the objects it cleans up have gone.
    new QCoreApplication(argc, argv);
    static QTemporaryDir home;
    static QTemporaryDir config;
    folder = home.path() + QLatin1Char('/');
    QDirIterator it(QStringLiteral(QUORVANE_APP_TEMPLATE_DIR), QDir::Files);
    while (it.hasNext()) {
        const QString from = it.next();
        QFile::copy(from, folder + it.fileName());
        QFile(folder + it.fileName()).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
    qputenv("QUORVANE_HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    DialogScript::begin();
    return folder;
}

void freshEdition()
{
    const QString folder = setUp();
    ReleaseDatabase();
    QFile::remove(folder + QStringLiteral("scratch.mdb"));
    QFile::copy(folder + QStringLiteral("untitled.mdb"), folder + QStringLiteral("scratch.mdb"));
    QFile(folder + QStringLiteral("scratch.mdb")).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    CurrentDatabaseFile = QStringLiteral("scratch.mdb");
    check(OpenDatabase(CurrentDatabaseFile), "the scratch edition opens");
    CurrentSubTopicId = 7;
    CurrentPageFile = QStringLiteral("page_7.html");
    DialogScript::clearShown();
}

QString text(const uint8_t *data, size_t size)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
}

QStringList subTopicRows(qint32 subTopicId)
{
    const QString address = QStringLiteral("replace(trim(%1, ' '), '|', '%7C')");
    const QString trimmed = QStringLiteral("trim(%1, ' ')");
    QStringList sql = {
        QStringLiteral("SELECT SubTopicName, Header1, Header2, Header3, Header4, Header5, Header6 FROM SubTopics "
                       "WHERE SubTopicId = ?"),
        QStringLiteral("SELECT %1, %2, %3 FROM ColorLinks WHERE TopicId = ?")
            .arg(trimmed.arg(QStringLiteral("color1")), trimmed.arg(QStringLiteral("color2")),
                 trimmed.arg(QStringLiteral("color3"))),
    };
    for (const char *table : {"NewsLinks", "SearchLinks", "FavoriteLinks", "LocalLinks", "OrganizationLinks",
                              "RelatedLinks"})
        sql.append(QStringLiteral("SELECT '%1', %2, %3 FROM %1 WHERE topicid = ? AND (trim(LinkName, ' ') <> '' "
                                  "OR trim(LinkUrl, ' ') <> '') ORDER BY CAST(substr(FieldName1, 5) AS INTEGER)")
                       .arg(QLatin1String(table), trimmed.arg(QStringLiteral("LinkName")),
                            address.arg(QStringLiteral("LinkUrl"))));
    sql.append(QStringLiteral("SELECT LksName, LksUrl FROM Lks WHERE TopicId = ? ORDER BY LksId"));
    sql.append(QStringLiteral("SELECT Lks.LksUrl, %1, %2 FROM Lks JOIN LksSit ON LksSit.LksId = Lks.LksId "
                              "JOIN Sit ON Sit.SitId = LksSit.SitId WHERE Lks.TopicId = ? AND Lks.IsLeaf <> 0 "
                              "ORDER BY Lks.LksId, LksSit.rowid")
                   .arg(trimmed.arg(QStringLiteral("SitName")), address.arg(QStringLiteral("SitUrl"))));
    QStringList rows;
    for (const QString &statement : std::as_const(sql)) {
        QSqlQuery q(DbConnection());
        check(BindAndExec(q, statement, {subTopicId}), "the Sub-Topic's rows can be read", statement);
        while (q.next()) {
            QStringList columns;
            for (int i = 0; i < q.record().count(); ++i)
                columns.append(q.value(i).toString());
            rows.append(columns.join(QLatin1Char('\x1f')));
        }
    }
    return rows;
}

void check(bool holds, const char *what, const QString &detail)
{
    if (holds)
        return;
    std::fprintf(stderr, "Broken invariant: %s\n%s\n", what, qPrintable(detail));
    std::abort();
}

namespace {

double cpuSeconds(const std::function<void()> &run)
{
    double best = 1e9;
    for (int i = 0; i < 3; ++i) {
        timespec start{}, end{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &start);
        run();
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &end);
        best = std::min(best, double(end.tv_sec - start.tv_sec) + double(end.tv_nsec - start.tv_nsec) / 1e9);
    }
    return best;
}

} // namespace

void checkLinear(const char *what, const std::function<void(int copies)> &prepare, const std::function<void()> &run)
{
    prepare(1);
    const double once = cpuSeconds(run);
    if (once < 0.004)
        return;
    prepare(4);
    const double four = cpuSeconds(run);
    check(four < 8 * once, what, QStringLiteral("once %1 s, four times %2 s").arg(once).arg(four));
}

} // namespace Fuzz
