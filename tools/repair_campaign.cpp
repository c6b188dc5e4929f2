// Damages an edition at random, again and again, and checks what the repair says of each
// copy against the rows the edition held: no "every row" over a row lost or changed (but
// for a flip inside a value no index covers, which no page check can see), and no count of
// rows that could not be read above the rows really lost. Not run by the test suite.
//
//   repair_campaign <edition to damage> <empty edition> <runs> [seed] [folder for the copies that fail]
//   repair_campaign <edition> <empty edition> <a damaged copy kept>   (tells each table's rows)
//
// The damages: bit flips (1 and 8), runs of random bytes, a page copied over another or
// zeroed, the file cut, a header field, a page's cell pointer or count, an interior page's
// child number, an overflow page's next number or the page zeroed.

#include "editions/edition_salvage.h"
#include "editions/scratch_connection.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QHash>
#include <QMap>
#include <QRandomGenerator>
#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtEndian>

#include <cstdio>

namespace {

struct Table {
    QHash<qint64, QVariantList> rows;   // by row id
    QSet<int> indexed;                  // columns an index covers
};
using Snapshot = QMap<QString, Table>;

struct Page {
    qint64 number;
    QString type;   // dbstat's: "leaf", "internal" or "overflow"
};

Snapshot snapshot(const QString &path, bool withIndexes)
{
    Snapshot tables;
    ScratchConnection db(path);
    QSqlQuery names(db.database());
    names.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%'"));
    while (names.next()) {
        const QString name = names.value(0).toString();
        Table &table = tables[name];
        QSqlQuery q(db.database());
        q.exec(QStringLiteral("SELECT rowid, * FROM \"%1\"").arg(name));
        while (q.next()) {
            QVariantList values;
            for (int c = 1; c < q.record().count(); ++c)
                values.append(q.value(c));
            table.rows.insert(q.value(0).toLongLong(), values);
        }
        if (!withIndexes)
            continue;
        QSqlQuery columns(db.database());
        columns.exec(QStringLiteral("SELECT ii.cid FROM pragma_index_list('%1') il, pragma_index_info(il.name) ii").arg(name));
        while (columns.next())
            table.indexed.insert(columns.value(0).toInt());
    }
    return tables;
}

QList<Page> pagesOf(const QString &path)
{
    QList<Page> pages;
    ScratchConnection db(path);
    QSqlQuery q(db.database());
    q.exec(QStringLiteral("SELECT pageno, pagetype FROM dbstat"));
    while (q.next())
        pages.append(Page{q.value(0).toLongLong(), q.value(1).toString()});
    return pages;
}

// Damages a copy of the file's bytes one way, chosen at random; answers the way's name.
QString damage(QByteArray *file, const QList<Page> &pages, qint64 pageSize, QRandomGenerator &random)
{
    const auto at = [&](qint64 bound) { return qint64(random.bounded(quint64(qMax<qint64>(bound, 1)))); };
    const qint64 count = file->size() / pageSize;
    const auto pageOf = [&](const QString &type) {
        QList<qint64> some;
        for (const Page &page : pages)
            if (type.isEmpty() || page.type == type)
                some.append(page.number);
        return some.isEmpty() ? 1 + at(count) : some.at(at(some.size()));
    };
    const auto put32 = [&](qint64 offset, quint32 value) {
        if (offset + 4 <= file->size())
            qToBigEndian<quint32>(value, file->data() + offset);
    };
    switch (at(11)) {
    case 0:
        (*file)[at(file->size())] ^= char(1 << at(8));
        return QStringLiteral("bit flip");
    case 1:
        for (int i = 0; i < 8; ++i)
            (*file)[at(file->size())] ^= char(1 << at(8));
        return QStringLiteral("8 bit flips");
    case 2: {
        const qint64 from = at(file->size());
        for (qint64 i = from; i < qMin(file->size(), from + 1 + at(64)); ++i)
            (*file)[i] = char(random.bounded(256));
        return QStringLiteral("random bytes");
    }
    case 3: {
        const qint64 from = pageOf({}) - 1;
        const qint64 to = pageOf({}) - 1;
        file->replace(to * pageSize, pageSize, file->mid(from * pageSize, pageSize));
        return QStringLiteral("page copied");
    }
    case 4:
        file->replace((pageOf({}) - 1) * pageSize, pageSize, QByteArray(pageSize, 0));
        return QStringLiteral("page zeroed");
    case 5:
        file->truncate(at(2) ? at(count) * pageSize : at(file->size()));
        return QStringLiteral("cut");
    case 6: {
        // A field of the header: its offset and width.
        static const QList<QPair<int, int>> fields{{16, 2}, {18, 1}, {19, 1}, {20, 1}, {24, 4}, {28, 4}, {32, 4},
                                                   {36, 4}, {40, 4}, {44, 4}, {48, 4}, {52, 4}, {56, 4}, {64, 4}};
        const auto field = fields.at(at(fields.size()));
        for (int i = 0; i < field.second; ++i)
            (*file)[field.first + i] = char(at(2) ? random.bounded(256) : (i + 1 == field.second ? at(4) : 0));
        return QStringLiteral("header field");
    }
    case 7:
    case 8: {
        // A cell pointer, or the count of cells, of a page of a tree.
        const qint64 number = pageOf(at(2) ? QStringLiteral("leaf") : QStringLiteral("internal"));
        const qint64 head = (number - 1) * pageSize + (number == 1 ? 100 : 0);
        const int pointers = head + (uchar(file->at(head)) == 0x05 || uchar(file->at(head)) == 0x02 ? 12 : 8);
        const int cells = qFromBigEndian<quint16>(file->constData() + head + 3);
        const qint64 offset = at(2) ? head + 3 : pointers + 2 * at(qMax(cells, 1));
        const quint16 value = at(2) ? quint16(random.bounded(65536)) : quint16(qFromBigEndian<quint16>(file->constData() + offset) + at(9) - 4);
        if (offset + 2 <= file->size())
            qToBigEndian<quint16>(value, file->data() + offset);
        return QStringLiteral("cell pointer or count");
    }
    case 9: {
        // A child's page number on an interior page: the right-most one or a cell's.
        const qint64 number = pageOf(QStringLiteral("internal"));
        const qint64 head = (number - 1) * pageSize + (number == 1 ? 100 : 0);
        const int cells = qFromBigEndian<quint16>(file->constData() + head + 3);
        const qint64 offset = at(cells + 1) == 0 ? head + 8
                                                 : (number - 1) * pageSize
                                                       + qFromBigEndian<quint16>(file->constData() + head + 12 + 2 * at(qMax(cells, 1)));
        put32(offset, quint32(1 + at(count + 2)));
        return QStringLiteral("child number");
    }
    default: {
        const qint64 number = pageOf(QStringLiteral("overflow"));
        if (at(2))
            file->replace((number - 1) * pageSize, pageSize, QByteArray(pageSize, 0));
        else
            put32((number - 1) * pageSize, quint32(at(count + 2)));
        return QStringLiteral("overflow page");
    }
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: repair_campaign <edition> <empty edition> <runs> [seed] [folder]\n");
        return 2;
    }
    const QString edition = QString::fromLocal8Bit(argv[1]);
    const QString templateFile = QString::fromLocal8Bit(argv[2]);
    const QString replay = QFileInfo::exists(QString::fromLocal8Bit(argv[3])) ? QString::fromLocal8Bit(argv[3]) : QString();
    const int runs = replay.isEmpty() ? QByteArray(argv[3]).toInt() : 1;
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QRandomGenerator random(argc > 4 ? QByteArray(argv[4]).toUInt() : 1);
    const QString keep = argc > 5 ? QString::fromLocal8Bit(argv[5]) : QString();
    QTemporaryDir work;
    const QString damaged = work.filePath(QStringLiteral("damaged.mdb"));
    const QString repaired = work.filePath(QStringLiteral("repaired.mdb"));

    QFile source(edition);
    if (!source.open(QIODevice::ReadOnly))
        return 2;
    const QByteArray pristine = source.readAll();
    const qint64 pageSize = qFromBigEndian<quint16>(pristine.constData() + 16);
    const Snapshot before = snapshot(edition, true);
    const QList<Page> pages = pagesOf(edition);
    qint64 rows = 0;
    for (const Table &table : before)
        rows += table.rows.size();
    std::printf("edition: %lld pages of %lld bytes, %lld rows\n", qlonglong(pristine.size() / pageSize), pageSize, rows);

    const auto keepCopy = [&](int run) {
        if (!keep.isEmpty())
            QFile::copy(damaged, QDir(keep).filePath(QStringLiteral("run-%1.mdb").arg(run)));
    };
    QMap<QString, int> tried;
    int unseen = 0, whole = 0, falseWhole = 0, flipsOutsideIndexes = 0, countsAbove = 0, nothingLost = 0, failed = 0;
    for (int run = 0; run < runs; ++run) {
        QByteArray file = pristine;
        QFile given(replay);
        const QString way = !replay.isEmpty() && given.open(QIODevice::ReadOnly)
                                ? (file = given.readAll(), QStringLiteral("given"))
                                : damage(&file, pages, pageSize, random);
        ++tried[way];
        QFile out(damaged);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(file) != file.size())
            return 2;
        out.close();
        if (ScratchConnection(damaged).intact()) {
            ++unseen;
            continue;
        }
        const SalvageResult result = SalvageEdition(damaged, templateFile, repaired);
        if (result.outcome != SalvageResult::Outcome::Salvaged) {
            ++failed;
            std::printf("run %d (%s): not repaired: %s\n", run, qPrintable(way),
                        result.outcome == SalvageResult::Outcome::Unreadable ? "nothing read" : qPrintable(result.failure));
            keepCopy(run);
            continue;
        }
        const Snapshot after = snapshot(repaired, false);
        bool wrong = false;
        bool outsideIndexes = true;   // every changed value lies in a column no index covers
        for (auto table = before.cbegin(); table != before.cend(); ++table) {
            const Table &now = after.value(table.key());
            qint64 lost = 0;
            QList<qint64> changed;
            for (auto row = table->rows.cbegin(); row != table->rows.cend(); ++row) {
                const auto found = now.rows.constFind(row.key());
                if (found == now.rows.cend()) {
                    ++lost;
                    outsideIndexes = false;
                    continue;
                }
                for (int c = 0; c < row->size(); ++c) {
                    if (c < found->size() && found->at(c) == row->at(c) && found->at(c).typeId() == row->at(c).typeId())
                        continue;
                    wrong = true;
                    changed.append(row.key());
                    if (!replay.isEmpty())
                        std::printf("%s row %lld column %d: %s -> %s\n", qPrintable(table.key()), qlonglong(row.key()), c,
                                    qPrintable(row->at(c).toString().left(60)),
                                    c < found->size() ? qPrintable(found->at(c).toString().left(60)) : "(none)");
                    outsideIndexes = outsideIndexes && !table->indexed.contains(c) && c < found->size();
                }
            }
            const SalvageResult::Lost told = result.lost.value(table.key());
            if (!replay.isEmpty())
                std::printf("%s: %lld rows, %lld now, %lld lost, %lld changed (first %lld); told: lost %lld%s%s, changed %d\n",
                            qPrintable(table.key()), qlonglong(table->rows.size()), qlonglong(now.rows.size()), lost,
                            qlonglong(changed.size()), changed.value(0), qlonglong(told.rows), told.upTo ? " up to" : "",
                            told.unknown ? " unknown" : "", result.changed.value(table.key()));
            // Rows that were none of the edition's.
            if (now.rows.size() + lost > table->rows.size()) {
                wrong = true;
                outsideIndexes = false;
            }
            wrong = wrong || lost > 0;
            if (result.lost.contains(table.key()) && !told.upTo && !told.unknown && told.rows > lost) {
                ++countsAbove;
                std::printf("run %d (%s): %s told %lld lost, %lld were\n", run, qPrintable(way), qPrintable(table.key()),
                            qlonglong(told.rows), lost);
                keepCopy(run);
            }
            if (result.lost.contains(table.key()) && lost == 0) {
                ++nothingLost;
                std::printf("run %d (%s): %s told %s%lld lost, none was\n", run, qPrintable(way), qPrintable(table.key()),
                            told.unknown ? "an unknown number, " : told.upTo ? "up to " : "", qlonglong(told.rows));
            }
        }
        if (!result.whole())
            continue;
        ++whole;
        if (!wrong)
            continue;
        if (way.contains(QLatin1String("flip")) && outsideIndexes) {
            ++flipsOutsideIndexes;
            continue;
        }
        ++falseWhole;
        std::printf("run %d (%s): every row told, but rows were lost or changed\n", run, qPrintable(way));
        keepCopy(run);
    }
    for (auto it = tried.cbegin(); it != tried.cend(); ++it)
        std::printf("%-22s %d\n", qPrintable(it.key()), it.value());
    std::printf("runs %d: not seen by SQLite's check %d, not repaired %d, every row told %d\n", runs, unseen, failed, whole);
    std::printf("false every row %d (and %d flips inside values no index covers); counts above the rows lost %d; "
                "tables told as losing rows where none was lost %d\n",
                falseWhole, flipsOutsideIndexes, countsAbove, nothingLost);
    return falseWhole == 0 && countsAbove == 0 ? 0 : 1;
}
