// Times the repair of a damaged edition of 100,000 links (a leaf page and an interior page
// of its sites overwritten): every readable row read from its pages, those of the pages
// below the interior page found among the pages no tree reaches, and copied into a fresh
// copy of the empty
// edition, against a bare baseline in the same run: the same rows, already in memory,
// inserted into a copy of the empty edition in one transaction.
//
//   bench_repair [program folder to copy from]

#include "bench_support.h"

#include "editions/edition_salvage.h"
#include "editions/scratch_connection.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace {

constexpr int Runs = 5;

// The rows of one table: its column names and each row's values, row id first.
struct TableRows {
    QString name;
    QStringList columns;
    QVector<QVariantList> rows;
};

// Overwrites the middle page of table of the given type below its root with bytes that are
// no page.
bool damageMiddlePage(const QString &path, const QString &table, const QString &type)
{
    qint64 page = 0;
    qint64 size = 0;
    {
        ScratchConnection db(path);
        QSqlQuery q(db.database());
        q.exec(QStringLiteral("SELECT pageno, pgsize FROM dbstat WHERE name = '%1' AND pagetype = '%2' AND path <> '/' "
                              "ORDER BY path")
                   .arg(table, type));
        QVector<QPair<qint64, qint64>> pages;
        while (q.next())
            pages.append({q.value(0).toLongLong(), q.value(1).toLongLong()});
        if (pages.isEmpty())
            return false;
        page = pages.at(pages.size() / 2).first;
        size = pages.at(pages.size() / 2).second;
    }
    QFile f(path);
    return f.open(QIODevice::ReadWrite) && f.seek((page - 1) * size) && f.write(QByteArray(size, '\xa5')) == size;
}

// Every row of every table of the database at path, read through SQLite.
QVector<TableRows> readAll(const QString &path)
{
    QVector<TableRows> tables;
    ScratchConnection db(path);
    QSqlQuery names(db.database());
    names.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%'"));
    while (names.next()) {
        TableRows table{names.value(0).toString(), {}, {}};
        QSqlQuery q(db.database());
        q.setForwardOnly(true);
        q.exec(QStringLiteral("SELECT rowid, * FROM \"%1\"").arg(table.name));
        for (int c = 1; c < q.record().count(); ++c)
            table.columns.append(q.record().fieldName(c));
        while (q.next()) {
            QVariantList row;
            for (int c = 0; c < q.record().count(); ++c)
                row.append(q.value(c));
            table.rows.append(row);
        }
        tables.append(table);
    }
    return tables;
}

// The baseline: the rows inserted into a copy of the empty edition in one transaction.
bool bareCopy(const QVector<TableRows> &tables, const QString &templateFile, const QString &destination)
{
    QFile::remove(destination);
    if (!QFile::copy(templateFile, destination))
        return false;
    ScratchConnection db(destination);
    QSqlDatabase connection = db.database();
    if (!db.exec(QStringLiteral("PRAGMA journal_mode = OFF")) || !connection.transaction())
        return false;
    for (const TableRows &table : tables) {
        QStringList columns{QStringLiteral("rowid")};
        for (const QString &c : table.columns)
            columns.append(QLatin1Char('"') + c + QLatin1Char('"'));
        QSqlQuery insert(connection);
        insert.prepare(QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)")
                           .arg(table.name, columns.join(QLatin1Char(',')),
                                QStringLiteral("?,").repeated(columns.size()).chopped(1)));
        for (const QVariantList &row : table.rows) {
            for (int i = 0; i < row.size(); ++i)
                insert.bindValue(i, row.at(i));
            if (!insert.exec())
                return false;
        }
    }
    return connection.commit();
}

} // namespace

int main(int argc, char *argv[])
{
    bench::prepareEnvironment();
    QApplication app(argc, argv);
    bench::ProgramFolder folder;
    if (!folder.make(argc, argv))
        return 2;
    bench::Edition edition;
    if (!bench::makeSubTopic(&edition, 50, 39, 50))   // 2,000 categories, 100,000 links
        return 2;
    CloseDatabase();

    const QString damaged = folder.folder() + QStringLiteral("Bench.mdb");
    const QString templateFile = folder.folder() + QStringLiteral("untitled.mdb");
    const QString salvaged = folder.folder() + QStringLiteral("salvaged.part");
    const QString bare = folder.folder() + QStringLiteral("bare.part");
    if (!damageMiddlePage(damaged, QStringLiteral("Sit"), QStringLiteral("leaf"))
        || !damageMiddlePage(damaged, QStringLiteral("Sit"), QStringLiteral("internal"))) {
        std::fprintf(stderr, "the edition could not be damaged\n");
        return 2;
    }

    QVector<double> salvages;
    QVector<double> bares;
    SalvageResult result;
    QVector<TableRows> rows;
    for (int run = 0; run < Runs; ++run) {
        salvages.append(bench::timed([&] { result = SalvageEdition(damaged, templateFile, salvaged); }));
        if (result.outcome != SalvageResult::Outcome::Salvaged) {
            std::fprintf(stderr, "the edition was not salvaged\n");
            return 1;
        }
        if (rows.isEmpty())
            rows = readAll(salvaged);
        bool copied = false;
        bares.append(bench::timed([&] { copied = bareCopy(rows, templateFile, bare); }));
        if (!copied) {
            std::fprintf(stderr, "the bare copy failed\n");
            return 1;
        }
    }

    qint64 total = 0;
    for (const TableRows &table : std::as_const(rows))
        total += table.rows.size();
    std::printf("edition: %lld links; %lld rows recovered, %d of %lld sites lost with the damaged page; file %lld KB\n",
                qlonglong(edition.links.size()), total, int(edition.links.size()) - result.recovered.value(QStringLiteral("Sit")),
                qlonglong(edition.links.size()), QFileInfo(damaged).size() / 1024);
    bench::printRuns("salvage into the empty edition", salvages);
    bench::printRuns("bare copy of the same rows", bares);
    std::printf("ratio:      %.2f (salvage against the bare copy; goal: at most 2)\n",
                bench::median(salvages) / bench::median(bares));
    bench::ProgramFolder::finish();
    return 0;
}
