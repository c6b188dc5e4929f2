#include "damage_campaign.h"

#include "damaged_editions.h"
#include "editions/edition_salvage.h"
#include "editions/scratch_connection.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRandomGenerator>
#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtEndian>

#include <algorithm>

#include <sqlite3.h>

namespace {

struct Table {
    QHash<qint64, QVariantList> rows;   // by row id
    QSet<int> indexed;                  // columns an index covers
};
using Snapshot = QMap<QString, Table>;

struct Page {
    qint64 number;
    QString type;   // dbstat's: "leaf", "internal" or "overflow"
    QString tree;   // the table or index whose tree holds it
    bool index;
};

// The rows of each table of the edition at path, by row id.
Snapshot snapshot(const QString &path)
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
    Damage::runSql(path,
                   QStringLiteral("SELECT d.pageno, d.pagetype, d.name, coalesce(m.type = 'index', 0) FROM dbstat d "
                                  "LEFT JOIN sqlite_master m ON m.name = d.name"),
                   [&pages](const QSqlQuery &q) {
                       pages.append(Page{q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString(), q.value(3).toBool()});
                   });
    return pages;
}

const QList<int> PageSizes{512, 1024, 2048, 4096, 8192, 16384, 32768, 65536};
const int Shapes = int(PageSizes.size()) + 1;   // the last: UTF-16 in pages of 4096 bytes

QString rows(int count, const QString &insert)
{
    return QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) ").arg(count) + insert;
}

// More rows for the edition: categories, links (some with texts longer than a small page),
// two section lists of the same columns, stored logins.
QStringList filling()
{
    return {rows(1000, QStringLiteral("INSERT INTO Lks (LksId, LksName, LksUrl, TopicId, IsTop, IsLeaf, LksDesc) SELECT "
                                      "100000 + i, 'Category ' || i, 'http://category' || i || '.example/', 1 + i % 3, 0, 1, "
                                      "'About ' || i FROM n")),
            rows(1000, QStringLiteral("INSERT INTO Sit (SitId, SitName, SitUrl, Summary) SELECT 100000 + i, 'Link ' || i, "
                                      "'http://site' || i || '.example/', 'Summary of link ' || i FROM n")),
            QStringLiteral("UPDATE Sit SET Summary = substr(replace(hex(zeroblob(500)), '00', printf('%06d ', SitId)), 1, "
                           "600 + SitId % 7 * 300) WHERE SitId % 40 = 0"),
            rows(500, QStringLiteral("INSERT INTO NewsLinks (topicid, LinkName, LinkUrl, FieldName1, FieldName2) SELECT "
                                     "1 + i % 3, 'News ' || i, 'http://news' || i || '.example/', 'name', 'url' FROM n")),
            rows(500, QStringLiteral("INSERT INTO SearchLinks (topicid, LinkName, LinkUrl, FieldName1, FieldName2) SELECT "
                                     "1 + i % 3, 'Search ' || i, 'http://search' || i || '.example/', 'name', 'url' FROM n")),
            rows(200, QStringLiteral("INSERT INTO PersonalInformation (Title, URL, FormNumber, FieldName, FieldValue) SELECT "
                                     "'Login ' || i, 'http://login' || i || '.example/', i, 'user', 'secret ' || i FROM n"))};
}

// What makes each variant of the edition, on the edition of a shape.
QStringList variant(const QString &name)
{
    if (name == QLatin1String("deleted")) {
        // Section links deleted: their pages are free, with their rows still on them.
        return {QStringLiteral("PRAGMA secure_delete = OFF"),
                rows(600, QStringLiteral("INSERT INTO OrganizationLinks (topicid, LinkName, LinkUrl, FieldName1, FieldName2) "
                                         "SELECT 1 + i % 3, 'Gone ' || i, 'http://gone' || i || '.example/', 'name', 'url' FROM n")),
                QStringLiteral("DELETE FROM OrganizationLinks WHERE LinkName LIKE 'Gone %'")};
    }
    if (name == QLatin1String("edited")) {
        // Rounds of changes, deletions and additions without a compaction: free pages keep
        // older copies of pages, and links deleted and written again as they were fill pages
        // byte for byte alike the free ones they were on.
        QStringList edits{QStringLiteral("PRAGMA secure_delete = OFF")};
        for (int round = 0; round < 6; ++round)
            edits << QStringLiteral("CREATE TEMP TABLE Kept AS SELECT * FROM Sit WHERE SitId BETWEEN %1 AND %2")
                         .arg(100001 + 150 * round).arg(100100 + 150 * round)
                  << QStringLiteral("DELETE FROM Sit WHERE SitId IN (SELECT SitId FROM Kept)")
                  << QStringLiteral("INSERT INTO Sit SELECT * FROM Kept") << QStringLiteral("DROP TABLE Kept")
                  << QStringLiteral("UPDATE Sit SET Summary = Summary || ' again' WHERE SitId % 9 = %1").arg(round)
                  << QStringLiteral("DELETE FROM Lks WHERE LksId > 100000 AND LksId % 11 = %1").arg(round)
                  << rows(50, QStringLiteral("INSERT INTO Lks (LksId, LksName, LksUrl, TopicId, IsTop, IsLeaf, LksDesc) "
                                             "SELECT 200000 + %1 * 1000 + i, 'Added ' || i, 'http://added' || i || '/', 2, 0, "
                                             "1, '' FROM n").arg(round))
                  << QStringLiteral("UPDATE NewsLinks SET LinkName = LinkName || '+' WHERE rowid % 5 = %1").arg(round % 5)
                  << QStringLiteral("DELETE FROM SearchLinks WHERE rowid % 13 = %1").arg(round);
        return edits;
    }
    if (name == QLatin1String("shared")) {
        // Two links of one summary of 6,000 letters: their overflow pages are alike.
        return {QStringLiteral("UPDATE Sit SET Summary = substr(replace(hex(zeroblob(2000)), '00', 'A shared summary '), 1, "
                               "6000) WHERE SitId IN (100100, 100200)")};
    }
    if (name == QLatin1String("wal")) {
        return {QStringLiteral("UPDATE Sit SET SitName = SitName || ' (renamed)' WHERE SitId % 10 = 0"),
                rows(100, QStringLiteral("INSERT INTO NewsLinks (topicid, LinkName, LinkUrl, FieldName1, FieldName2) SELECT "
                                         "2, 'Late ' || i, 'http://late' || i || '/', 'name', 'url' FROM n"))};
    }
    return {};
}

// Runs the variant's statements on the edition at path in the mode of its write-ahead
// log, leaving them in the log: no checkpoint moves them into the file.
bool inLog(const QString &path, const QStringList &statements)
{
    bool done = false;
    Damage::withDatabase(path, [&](QSqlDatabase db) {
        sqlite3 *handle = *static_cast<sqlite3 *const *>(db.driver()->handle().constData());
        QSqlQuery q(db);
        done = sqlite3_db_config(handle, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr) == SQLITE_OK
               && q.exec(QStringLiteral("PRAGMA journal_mode = WAL")) && q.exec(QStringLiteral("PRAGMA wal_autocheckpoint = 0"));
        for (const QString &sql : statements)
            done = done && q.exec(sql);
    });
    return done && QFile::exists(path + QStringLiteral("-wal"));
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

} // namespace

struct DamageCampaign::Edition {
    QString path;        // the pristine file, beside its log when it has one
    QByteArray file;
    QByteArray wal;      // its write-ahead log, or none
    qint64 pageSize = 0;
    bool utf16 = false;
    Snapshot rows;
    qint64 held = 0;
    QList<Page> pages;
};

DamageCampaign::DamageCampaign(const QString &edition, const QString &empty, const QString &keep)
    : m_source(edition), m_empty(empty), m_keep(keep)
{
    const QString filled = m_work.filePath(QStringLiteral("filled.mdb"));
    if (!QFile::copy(m_source, filled) || !QFile::setPermissions(filled, QFile::ReadOwner | QFile::WriteOwner)
        || !Damage::exec(filled, filling()))
        m_failure = QStringLiteral("the edition %1 could not be filled with rows").arg(m_source);
}

DamageCampaign::~DamageCampaign()
{
    qDeleteAll(m_editions);
}

const DamageCampaign::Edition &DamageCampaign::edition(int shape, const QString &variantName)
{
    const QString key = (shape < Shapes - 1 ? QString::number(PageSizes.at(shape)) : QStringLiteral("utf16"))
                         + (variantName.isEmpty() ? QString() : QLatin1Char('-') + variantName);
    if (Edition *made = m_editions.value(key))
        return *made;
    auto *e = new Edition;
    m_editions.insert(key, e);
    e->path = m_work.filePath(key + QStringLiteral(".mdb"));
    const QString filled = m_work.filePath(QStringLiteral("filled.mdb"));
    bool made = false;
    if (shape == Shapes - 1) {
        Damage::copyAsUtf16(filled, e->path);
        made = QFile::exists(e->path);
        e->utf16 = true;
    } else {
        made = QFile::copy(filled, e->path) && Damage::vacuum(e->path, PageSizes.at(shape));
    }
    const QStringList statements = variant(variantName);
    made = made && (variantName == QLatin1String("wal") ? inLog(e->path, statements) : Damage::exec(e->path, statements));
    if (!made && m_failure.isEmpty())
        m_failure = QStringLiteral("the edition %1 could not be made").arg(key);
    // Its bytes first: reading its rows may move the log into the file.
    e->file = readAll(e->path);
    e->wal = readAll(e->path + QStringLiteral("-wal"));
    e->pageSize = e->file.size() > 18 ? qFromBigEndian<quint16>(e->file.constData() + 16) : 4096;
    e->pageSize = e->pageSize == 1 ? 65536 : e->pageSize;
    e->rows = snapshot(e->path);
    for (const Table &table : std::as_const(e->rows))
        e->held += table.rows.size();
    e->pages = pagesOf(e->path);
    writeAll(e->path, e->file);
    if (!e->wal.isEmpty())
        writeAll(e->path + QStringLiteral("-wal"), e->wal);
    return *e;
}

namespace {

// A copy of an edition being damaged, and the random choices of its damage.
struct Copy {
    QString path;
    QByteArray file;
    const QList<Page> &pages;
    qint64 pageSize;
    bool utf16;
    QRandomGenerator &random;
    bool intoValues = false;   // bytes were changed where they may lie inside a value, the pages whole

    qint64 at(qint64 bound) const { return qint64(random.bounded(quint64(qMax<qint64>(bound, 1)))); }
    qint64 count() const { return file.size() / pageSize; }
    // A page of the given type ("leaf", "internal", "overflow"; any when empty), of an
    // index's tree or a table's when index is set, or any page when none is.
    qint64 pageOf(const QString &type, int index = -1) const
    {
        QList<qint64> some;
        for (const Page &page : pages)
            if ((type.isEmpty() || page.type == type) && (index < 0 || page.index == bool(index)) && page.tree != QLatin1String("sqlite_schema"))
                some.append(page.number);
        return some.isEmpty() ? 1 + at(count()) : some.at(at(some.size()));
    }
    qint64 offsetOf(qint64 page) const { return (page - 1) * pageSize; }
    void put32(qint64 offset, quint32 value)
    {
        if (offset >= 0 && offset + 4 <= file.size())
            qToBigEndian<quint32>(value, file.data() + offset);
    }
    void fill(qint64 page, char byte)
    {
        if (offsetOf(page) + pageSize <= file.size())
            file.replace(offsetOf(page), pageSize, QByteArray(pageSize, byte));
    }
    QByteArray text(const QString &s) const
    {
        return utf16 ? QByteArray(reinterpret_cast<const char *>(s.utf16()), s.size() * 2) : s.toUtf8();
    }
    bool write() const { return writeAll(path, file); }
    bool reread()
    {
        file = readAll(path);
        return !file.isEmpty();
    }
};

// The damages of the bytes that earlier campaigns made at random.
enum class Way { Flip, Flips, Bytes, PageCopied, PageZeroed, Cut, Header, Cells, Child, Overflow, ValidHeader };

void damageBytes(Copy &c, Way way)
{
    QByteArray &file = c.file;
    c.intoValues = c.intoValues || way == Way::Flip || way == Way::Flips || way == Way::Bytes;
    switch (way) {
    case Way::Flip:
    case Way::Flips:
        for (int i = 0; i < (way == Way::Flip ? 1 : 8); ++i)
            file[c.at(file.size())] ^= char(1 << c.at(8));
        return;
    case Way::Bytes: {
        const qint64 from = c.at(file.size());
        for (qint64 i = from; i < qMin(file.size(), from + 1 + c.at(64)); ++i)
            file[i] = char(c.random.bounded(256));
        return;
    }
    case Way::PageCopied: {
        const qint64 from = c.pageOf({});
        const qint64 to = c.pageOf({});
        file.replace(c.offsetOf(to), c.pageSize, file.mid(c.offsetOf(from), c.pageSize));
        return;
    }
    case Way::PageZeroed:
        c.fill(c.pageOf({}), 0);
        return;
    case Way::Cut:
        file.truncate(c.at(2) ? c.at(c.count()) * c.pageSize : c.at(file.size()));
        return;
    case Way::Header: {
        // A field of the header: its offset and width.
        static const QList<QPair<int, int>> fields{{16, 2}, {18, 1}, {19, 1}, {20, 1}, {24, 4}, {28, 4}, {32, 4},
                                                   {36, 4}, {40, 4}, {44, 4}, {48, 4}, {52, 4}, {56, 4}, {64, 4}};
        const auto field = fields.at(c.at(fields.size()));
        for (int i = 0; i < field.second; ++i)
            file[field.first + i] = char(c.at(2) ? c.random.bounded(256) : (i + 1 == field.second ? c.at(4) : 0));
        return;
    }
    case Way::ValidHeader:
        // A field set to a value of its kind that is wrong: the page size, the bytes kept
        // back at each page's end, the first page of the list of free pages, or their count.
        switch (c.at(4)) {
        case 0: {
            int size = c.pageSize;
            while (size == c.pageSize)
                size = PageSizes.at(c.at(PageSizes.size()));
            qToBigEndian<quint16>(quint16(size == 65536 ? 1 : size), file.data() + 16);
            return;
        }
        case 1:
            file[20] = char(file.at(20) ? 0 : 1 + c.at(64));
            return;
        default:
            c.put32(c.at(2) ? 32 : 36, quint32(c.at(c.count() + 1)));
            return;
        }
    case Way::Cells: {
        // A cell pointer, or the count of cells, of a page of a tree.
        const qint64 number = c.pageOf(c.at(2) ? QStringLiteral("leaf") : QStringLiteral("internal"));
        const qint64 head = c.offsetOf(number) + (number == 1 ? 100 : 0);
        if (head + 12 > file.size())
            return;
        const qint64 pointers = head + (uchar(file.at(head)) == 0x05 || uchar(file.at(head)) == 0x02 ? 12 : 8);
        const int cells = qFromBigEndian<quint16>(file.constData() + head + 3);
        const qint64 offset = c.at(2) ? head + 3 : pointers + 2 * c.at(qMax(cells, 1));
        if (offset + 2 <= file.size())
            qToBigEndian<quint16>(c.at(2) ? quint16(c.random.bounded(65536))
                                          : quint16(qFromBigEndian<quint16>(file.constData() + offset) + c.at(9) - 4),
                                  file.data() + offset);
        return;
    }
    case Way::Child: {
        // A child's page number on an interior page: the right-most one or a cell's.
        const qint64 number = c.pageOf(QStringLiteral("internal"));
        const qint64 head = c.offsetOf(number) + (number == 1 ? 100 : 0);
        if (head + 14 > file.size())
            return;
        const int cells = qFromBigEndian<quint16>(file.constData() + head + 3);
        const qint64 cell = head + 12 + 2 * c.at(qMax(cells, 1));
        c.put32(c.at(cells + 1) == 0 || cell + 2 > file.size() ? head + 8 : c.offsetOf(number) + qFromBigEndian<quint16>(file.constData() + cell),
                quint32(1 + c.at(c.count() + 2)));
        return;
    }
    case Way::Overflow: {
        const qint64 number = c.pageOf(QStringLiteral("overflow"));
        if (c.at(2))
            c.fill(number, 0);
        else
            c.put32(c.offsetOf(number), quint32(c.at(c.count() + 2)));
        return;
    }
    }
}

void anyBytes(Copy &c)
{
    damageBytes(c, Way(c.at(int(Way::ValidHeader) + 1)));
}

// A leaf of an index overwritten, which loses no row.
void indexLeaf(Copy &c)
{
    c.fill(c.pageOf(QStringLiteral("leaf"), 1), char(c.at(2) ? 0 : 0xa5));
}

template<typename T>
T pick(Copy &c, const QList<T> &from)
{
    return from.at(c.at(from.size()));
}

// A kind of damage: the edition it damages, and how. A damage that cannot be made on an
// edition (its list of tables has no page but the first) answers false.
struct Kind {
    QString name;
    QString variant;   // of the edition: "" (as filled), "deleted", "edited", "shared", "wal"
    std::function<bool(Copy &)> damage;
};

const QList<Kind> &allKinds()
{
    const auto bytes = [](Way way) { return [way](Copy &c) { damageBytes(c, way); return c.write(); }; };
    const auto onFile = [](const std::function<bool(Copy &)> &damage) {
        return [damage](Copy &c) { return c.write() && damage(c) && c.reread(); };
    };
    static const QList<Kind> kinds{
        {QStringLiteral("bit flip"), {}, bytes(Way::Flip)},
        {QStringLiteral("8 bit flips"), {}, bytes(Way::Flips)},
        {QStringLiteral("byte run"), {}, bytes(Way::Bytes)},
        {QStringLiteral("page copied"), {}, bytes(Way::PageCopied)},
        {QStringLiteral("page zeroed"), {}, bytes(Way::PageZeroed)},
        {QStringLiteral("cut"), {}, bytes(Way::Cut)},
        {QStringLiteral("header field"), {}, bytes(Way::Header)},
        {QStringLiteral("header field to a valid value"), {}, bytes(Way::ValidHeader)},
        {QStringLiteral("cell pointer or count"), {}, bytes(Way::Cells)},
        {QStringLiteral("child number"), {}, bytes(Way::Child)},
        {QStringLiteral("overflow page"), {}, bytes(Way::Overflow)},
        {QStringLiteral("roots swapped (same columns)"), {},
         onFile([](Copy &c) { return Damage::swapRoots(c.path, QStringLiteral("NewsLinks"), QStringLiteral("SearchLinks")); })},
        {QStringLiteral("roots swapped (other columns)"), {},
         onFile([](Copy &c) { return Damage::swapRoots(c.path, QStringLiteral("Topics"), QStringLiteral("LocalLinks")); })},
        {QStringLiteral("line type"), {}, onFile([](Copy &c) {
             return Damage::editSchema(c.path, QStringLiteral("type = '%1'").arg(c.at(2) ? "view" : "index"),
                                       {pick<QString>(c, {"ColorLinks", "Lks", "PersonalInformation", "Sit", "NewsLinks"})});
         })},
        {QStringLiteral("column lines swapped"), {}, onFile([](Copy &c) {
             const QList<QStringList> columns{{"Sit", "SitName", "SitUrl", "Summary"},
                                              {"Lks", "LksName", "LksUrl", "LksDesc"},
                                              {"NewsLinks", "LinkName", "LinkUrl", "FieldName1"},
                                              {"PersonalInformation", "Title", "URL", "FieldValue"}};
             const QStringList table = pick(c, columns);
             const int one = 1 + int(c.at(3));
             return Damage::swapColumns(c.path, table.first(), table.at(one), table.at(1 + (one + int(c.at(2))) % 3));
         })},
        {QStringLiteral("declaration"), {}, [](Copy &c) {
             // A bit flipped in a table's declaration in the list of tables.
             QList<qint64> declarations;
             const QByteArray create = c.text(QStringLiteral("CREATE TABLE "));
             for (qint64 at = c.file.indexOf(create); at >= 0; at = c.file.indexOf(create, at + 1))
                 declarations.append(at);
             if (declarations.isEmpty())
                 return false;
             const qint64 from = pick(c, declarations);
             const qint64 end = c.file.indexOf(c.text(QStringLiteral(")")), from);
             const qint64 at = from + c.at((end < 0 ? from + 40 : end) - from);
             c.file[at] ^= char(1 << c.at(8));
             return c.write();
         }},
        {QStringLiteral("list of tables past its first page"), {}, [](Copy &c) {
             QList<qint64> schema;
             for (const Page &page : c.pages)
                 if (page.tree == QLatin1String("sqlite_schema") && page.number > 1)
                     schema.append(page.number);
             if (schema.isEmpty())
                 return false;
             for (const qint64 page : c.at(2) ? schema : QList<qint64>{pick(c, schema)})
                 c.fill(page, char(c.at(2) ? 0 : 0xa5));
             return c.write();
         }},
        {QStringLiteral("index and table page"), {}, [](Copy &c) {
             indexLeaf(c);
             c.fill(c.pageOf(QStringLiteral("leaf"), 0), char(c.at(2) ? 0 : 0xa5));
             return c.write();
         }},
        {QStringLiteral("after many edits"), QStringLiteral("edited"), [](Copy &c) {
             if (c.at(2))
                 indexLeaf(c);
             return c.write();
         }},
        {QStringLiteral("long text of two rows"), QStringLiteral("shared"), [](Copy &c) {
             if (c.at(2))
                 indexLeaf(c);
             return c.write();
         }},
        {QStringLiteral("rows deleted before"), QStringLiteral("deleted"), [](Copy &c) {
             // The list whose rows were deleted damaged, which makes the repair look for its
             // rows on pages no tree reaches, and another damage: one that makes the header
             // doubtful, or any.
             QList<qint64> list;
             for (const Page &page : c.pages)
                 if (page.tree == QLatin1String("OrganizationLinks"))
                     list.append(page.number);
             if (list.isEmpty())
                 return false;
             c.fill(pick(c, list), char(c.at(2) ? 0 : 0xa5));
             damageBytes(c, c.at(2) ? Way::ValidHeader : Way(c.at(int(Way::ValidHeader) + 1)));
             return c.write();
         }},
        {QStringLiteral("write-ahead log"), QStringLiteral("wal"), [](Copy &c) {
             anyBytes(c);
             return c.write();
         }},
        // Joined to another edition: set in run(), which holds the editions.
        {QStringLiteral("two editions joined"), {}, {}},
    };
    return kinds;
}

} // namespace

QStringList DamageCampaign::kinds()
{
    QStringList names;
    for (const Kind &kind : allKinds())
        names.append(kind.name);
    return names;
}

namespace {

// Checks what the repair of one copy said against the rows the edition held; answers a
// line for each rule it breaks. With intoValues, values changed in columns no index covers
// are not held against the repair: nothing in the file tells them.
QStringList judge(const Snapshot &before, const Snapshot &after, const SalvageResult &result, bool intoValues, KindFigures *figures)
{
    QStringList broken;
    bool wrong = false;
    bool outsideIndexes = true;   // every changed value lies in a column no index covers
    for (auto table = before.cbegin(); table != before.cend(); ++table) {
        const Table &now = after.value(table.key());
        qint64 lost = 0;
        qint64 changed = 0;
        bool unseen = true;   // every changed value of the table lies in a column no index covers
        for (auto row = table->rows.cbegin(); row != table->rows.cend(); ++row) {
            const auto found = now.rows.constFind(row.key());
            if (found == now.rows.cend()) {
                ++lost;
                continue;
            }
            bool same = true;
            for (int c = 0; c < row->size(); ++c) {
                if (c < found->size() && found->at(c) == row->at(c) && found->at(c).typeId() == row->at(c).typeId())
                    continue;
                same = false;
                unseen = unseen && !table->indexed.contains(c) && c < found->size();
            }
            changed += same ? 0 : 1;
            figures->recovered += same ? 1 : 0;
        }
        // Rows that were none of the edition's.
        // Rows that were none of the edition's, beyond those told as found outside the tables.
        const qint64 foreign = now.rows.size() + lost - table->rows.size();
        const qint64 added = qMax<qint64>(foreign - result.outside.value(table.key()), 0);
        figures->added += added;
        unseen = unseen && lost == 0 && foreign <= 0;
        outsideIndexes = outsideIndexes && unseen;
        wrong = wrong || lost > 0 || changed > 0 || foreign > 0;
        const SalvageResult::Lost told = result.lost.value(table.key());
        const bool named = result.lost.contains(table.key()) || result.changed.contains(table.key())
                           || result.tangled.contains(table.key()) || result.schemaLost;
        // A table told as one that may hold rows of others of the same columns.
        const bool alike = std::any_of(result.alike.cbegin(), result.alike.cend(),
                                       [&table](const QStringList &group) { return group.contains(table.key()); });
        // Rows put in a table that were none of the edition's are told only as found outside
        // the tables, or by the table's being told as alike to others, whatever else is told
        // of the table.
        if (!result.whole() && ((added > 0 && !alike) || ((lost > 0 || changed > 0) && !named && !alike && !(intoValues && unseen)))) {
            ++figures->uncounted;
            broken.append(QStringLiteral("%1: %2 lost, %3 changed, %4 added, no line tells of them").arg(table.key()).arg(lost).arg(changed).arg(added));
        }
        if (result.lost.contains(table.key()) && !told.upTo && !told.unknown && told.rows > lost) {
            ++figures->countsAbove;
            broken.append(QStringLiteral("%1: told %2 lost, %3 were").arg(table.key()).arg(told.rows).arg(lost));
        }
    }
    if (result.whole() && wrong) {
        if (intoValues && outsideIndexes) {
            ++figures->unseenChanges;
        } else {
            ++figures->falseWhole;
            broken.append(QStringLiteral("every row told, but rows were lost, changed or added"));
        }
    }
    return broken;
}

} // namespace

KindFigures DamageCampaign::run(const QString &name, int runs, quint32 seed, const std::function<void(const QString &)> &tell)
{
    KindFigures figures;
    const QList<Kind> &kinds = allKinds();
    const auto kind = std::find_if(kinds.cbegin(), kinds.cend(), [&](const Kind &k) { return k.name == name; });
    if (kind == kinds.cend() || !m_failure.isEmpty())
        return figures;
    QRandomGenerator random(seed);
    const QString damaged = m_work.filePath(QStringLiteral("damaged.mdb"));
    const QString repaired = m_work.filePath(QStringLiteral("repaired.mdb"));
    const int first = int(kind - kinds.cbegin());
    for (int run = 0, tries = 0; run < runs && tries < 4 * runs; ++tries) {
        // Each run on the edition of another page size, or in UTF-16.
        const int shape = (first + tries) % Shapes;
        const Edition &e = edition(shape, kind->variant);
        for (const QString &file : {damaged, damaged + QStringLiteral("-wal"), damaged + QStringLiteral("-shm"), repaired})
            QFile::remove(file);
        Copy copy{damaged, e.file, e.pages, e.pageSize, e.utf16, random};
        bool made = false;
        if (kind->damage) {
            if (!e.wal.isEmpty() && !writeAll(damaged + QStringLiteral("-wal"), e.wal))
                continue;
            made = kind->damage(copy);
        } else {
            // Another edition after this one: this one again, or one of another shape.
            const Edition &other = random.bounded(2) ? e : edition(int(random.bounded(Shapes)), {});
            copy.file += other.file;
            made = copy.write();
        }
        if (!made)
            continue;
        ++run;
        ++figures.runs;
        figures.held += e.held;
        // As the program's repair does, a copy with its log beside it is checked by SQLite
        // first, which writes the log into it when it can.
        if (!e.wal.isEmpty())
            ScratchConnection(damaged).intact();
        const SalvageResult result = SalvageEdition(damaged, m_empty, repaired);
        QStringList broken;
        if (result.outcome != SalvageResult::Outcome::Salvaged) {
            ++figures.notRepaired;
            if (result.outcome == SalvageResult::Outcome::Failed)
                broken.append(QStringLiteral("not repaired: ") + result.failure);
        } else {
            broken = judge(e.rows, snapshot(repaired), result, copy.intoValues, &figures);
        }
        if (broken.isEmpty())
            continue;
        QString kept;
        if (!m_keep.isEmpty()) {
            kept = QDir(m_keep).filePath(QStringLiteral("%1-%2.mdb").arg(QString(name).replace(QLatin1Char(' '), QLatin1Char('_'))).arg(run));
            QFile::remove(kept);
            QFile::copy(damaged, kept);
            const QString pristine = QDir(m_keep).filePath(QFileInfo(e.path).fileName());
            QFile::copy(e.path, pristine);
            if (!e.wal.isEmpty()) {
                QFile::copy(damaged + QStringLiteral("-wal"), kept + QStringLiteral("-wal"));
                writeAll(pristine + QStringLiteral("-wal"), e.wal);
            }
        }
        if (tell)
            for (const QString &line : std::as_const(broken))
                tell(QStringLiteral("%1, run %2 (%3%4): %5").arg(name).arg(run).arg(QFileInfo(e.path).baseName(),
                                                                           kept.isEmpty() ? QString() : QStringLiteral(", kept as ") + kept, line));
    }
    return figures;
}

void DamageCampaign::replay(const QString &pristine, const QString &empty, const QString &damaged,
                            const std::function<void(const QString &)> &tell)
{
    QTemporaryDir work;
    const QString copy = work.filePath(QStringLiteral("damaged.mdb"));
    const QString repaired = work.filePath(QStringLiteral("repaired.mdb"));
    QFile::copy(damaged, copy);
    QFile::copy(damaged + QStringLiteral("-wal"), copy + QStringLiteral("-wal"));
    const Snapshot before = snapshot(pristine);
    const SalvageResult result = SalvageEdition(copy, empty, repaired);
    const Snapshot after = snapshot(repaired);
    for (auto table = before.cbegin(); table != before.cend(); ++table) {
        const Table &now = after.value(table.key());
        qint64 lost = 0;
        QList<qint64> changed;
        for (auto row = table->rows.cbegin(); row != table->rows.cend(); ++row) {
            const auto found = now.rows.constFind(row.key());
            if (found == now.rows.cend())
                ++lost;
            else if (*found != *row)
                changed.append(row.key());
        }
        const SalvageResult::Lost told = result.lost.value(table.key());
        tell(QStringLiteral("%1: %2 rows, %3 now, %4 lost, %5 changed (first %6); told: lost %7%8%9, changed %10, found outside %11")
                 .arg(table.key()).arg(table->rows.size()).arg(now.rows.size()).arg(lost).arg(changed.size())
                 .arg(changed.value(0)).arg(told.rows).arg(told.upTo ? QStringLiteral(" up to") : QString(),
                                                          told.unknown ? QStringLiteral(" unknown") : QString())
                 .arg(result.changed.value(table.key())).arg(result.outside.value(table.key())));
    }
    tell(QStringLiteral("every row told: %1; unplaced %2, clashed %3, list of tables lost: %4")
             .arg(result.whole() ? "yes" : "no").arg(result.unplaced).arg(result.clashed).arg(result.schemaLost ? "yes" : "no"));
}
