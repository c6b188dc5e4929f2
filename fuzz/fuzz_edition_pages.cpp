// Damaged edition files as Compact / Repair meets them: any file is read page by page, by
// its trees (as tables and as indexes) and then the pages they do not reach, without a
// crash or a read outside it, and the salvage either makes no copy or a copy that opens as
// an edition and holds exactly the rows it reports.

#include "fuzz_support.h"

#include "editions/database_pages.h"
#include "editions/edition_salvage.h"
#include "shared/database.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The database connections' registry is made before the application object, so that
    // it is still there when the application object goes at exit.
    static const QStringList connections = QSqlDatabase::connectionNames();
    Q_UNUSED(connections)
    const QString folder = Fuzz::setUp();
    const QString damaged = folder + QStringLiteral("damaged.mdb");
    const QString salvaged = folder + QStringLiteral("salvaged.part");
    {
        QFile file(damaged);
        Fuzz::check(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "the file can be written");
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }

    // Every table the schema names is read; rows hold no more values than a record can.
    {
        DatabasePages pages(damaged);
        QList<qint64> roots;
        pages.readTable(1, [&roots](qint64, const QVariantList &values) {
            if (values.size() >= 4)
                roots.append(values.at(3).toLongLong());
        });
        // Mapped first, so that a page two trees reach is read by neither; each tree
        // refuses the rows of an odd or an even number of values, so that pages fail.
        pages.mapTrees(roots);
        for (int i = 0; i < roots.size(); ++i)
            pages.readTable(roots.at(i), [size](qint64, const QVariantList &values) {
                Fuzz::check(size_t(values.size()) <= size, "a row holds no more values than the file has bytes");
            }, i, [i](const QVariantList &values, bool) { return (values.size() + i) % 2 == 0; });
        // Each tree read again as an index: no entry holds more values than the file has
        // bytes.
        for (const qint64 root : std::as_const(roots))
            pages.readIndex(root, [size](const QVariantList &entry) {
                Fuzz::check(size_t(entry.size()) <= size, "an index entry holds no more values than the file has bytes");
            });
        // The pages no tree reached, with their neighbours' owners among the trees read.
        pages.scanUnreached([size, &roots](qint64, const QVariantList &values, int before, int after, int) {
            Fuzz::check(size_t(values.size()) <= size, "a row holds no more values than the file has bytes");
            Fuzz::check(before < int(roots.size()) && after < int(roots.size()), "a neighbour is one of the trees read");
        });
    }

    const SalvageResult result = SalvageEdition(damaged, folder + QStringLiteral("untitled.mdb"), salvaged);
    if (result.outcome != SalvageResult::Outcome::Salvaged) {
        Fuzz::check(!QFileInfo::exists(salvaged), "a salvage that made no copy leaves no file");
        return 0;
    }
    Fuzz::check(IsEditionFile(salvaged), "the copy opens as an edition");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fuzz-salvaged"));
        db.setDatabaseName(salvaged);
        Fuzz::check(db.open(), "the copy opens");
        for (auto it = result.recovered.cbegin(); it != result.recovered.cend(); ++it) {
            QSqlQuery q(db);
            Fuzz::check(q.exec(QStringLiteral("SELECT count(*) FROM \"%1\"").arg(QString(it.key()).replace(QLatin1Char('"'), QLatin1String("\"\""))))
                            && q.next() && q.value(0).toInt() == it.value(),
                        "the copy holds the rows reported", it.key());
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fuzz-salvaged"));
    QFile::remove(salvaged);
    return 0;
}
