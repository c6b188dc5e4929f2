// Sub-Topic files: any file is either refused whole or imported whole into a scratch
// edition (its rows, five rows per section table, every link in one of its own categories),
// and whatever the import takes exports, with no value refused, to a file that imports again
// with the same rows. Some inputs start on an edition whose largest ids
// lie a few below the 32-bit limit: the import then either fits or adds nothing. Inputs run
// up to 1 MiB (see subtopic_file.options), so time that grows faster than the file ends in
// the fuzzer's time-out.

#include "fuzz_support.h"

#include "exchange/subtopic_export.h"
#include "exchange/subtopic_file.h"
#include "exchange/subtopic_import.h"
#include "shared/database.h"

#include <QFile>

#include <limits>

namespace {

const QStringList Tables = {QStringLiteral("SubTopics"), QStringLiteral("ColorLinks"), QStringLiteral("Lks"),
                            QStringLiteral("Sit"), QStringLiteral("LksSit"), QStringLiteral("NewsLinks"),
                            QStringLiteral("SearchLinks"), QStringLiteral("FavoriteLinks"),
                            QStringLiteral("LocalLinks"), QStringLiteral("OrganizationLinks"),
                            QStringLiteral("RelatedLinks")};

qint64 count(const QString &sql, const QVariantList &values = {})
{
    return QueryValue(sql, values).toLongLong();
}

QList<qint64> tableCounts()
{
    QList<qint64> counts;
    for (const QString &table : Tables)
        counts.append(count(QStringLiteral("SELECT count(*) FROM ") + table));
    return counts;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString folder = Fuzz::setUp();
    const QString path = folder + QStringLiteral("Fuzz_File.qvs");
    {
        QFile file(path);
        Fuzz::check(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "the file can be written");
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }

    SubTopicImport importer;
    if (!importer.load(path)) {
        Fuzz::check(importer.errorLine() > 0 && !importer.lastError().isEmpty(), "a refusal names its line");
        return 0;
    }

    Fuzz::freshEdition();
    // One input in three: the largest category, link and filing ids 0 to 7 below the limit.
    if (size % 3 == 0 && size > 0) {
        const qint64 last = std::numeric_limits<qint32>::max() - (data[0] & 7);
        Fuzz::check(ExecSql(QStringLiteral("INSERT INTO Lks (LksId, LksName, LksUrl, IsTop, IsLeaf, TopicId) "
                                           "VALUES (?, 'x', 'x', 1, 1, 99)"),
                            {last})
                        && ExecSql(QStringLiteral("INSERT INTO Sit (SitId, SitName, SitUrl) VALUES (?, 'x', 'x')"), {last})
                        && ExecSql(QStringLiteral("INSERT INTO LksSit (LksId, SitId, Seq) VALUES (?, ?, 1)"), {last, last}),
                    "the largest ids are set");
    }
    const QList<qint64> before = tableCounts();
    const SubTopicImport::Status status = importer.ImportSubTopicFile(1, QStringLiteral("Fuzz File"));
    if (status != SubTopicImport::Status::Done) {
        Fuzz::check(tableCounts() == before, "a refused import adds nothing", importer.lastError());
        Fuzz::check(importer.lastError().contains(QLatin1String("has no ids left in the table")), "only the ids refuse a file that reads",
                    importer.lastError());
        return 0;
    }
    const qint32 id = importer.ImportedSubTopicId;
    Fuzz::check(count(QStringLiteral("SELECT count(*) FROM Lks WHERE TopicId = ?"), {id})
                    == importer.importedCategories() + 1,
                "every category and the root are added");
    Fuzz::check(count(QStringLiteral("SELECT count(*) FROM LksSit JOIN Lks ON Lks.LksId = LksSit.LksId "
                                     "WHERE TopicId = ?"),
                      {id})
                    == importer.importedLinks(),
                "every link is filed in the new Sub-Topic");
    Fuzz::check(count(QStringLiteral("SELECT count(*) FROM Lks WHERE TopicId = ? AND LksUrl <> ? "
                                     "AND substr(LksUrl, 1, 10) <> 'Fuzz File/'"),
                      {id, QStringLiteral("Fuzz File")})
                    == 0,
                "every category lies under the new root");
    for (int t = 5; t < Tables.size(); ++t)
        Fuzz::check(count(QStringLiteral("SELECT count(*) FROM %1 WHERE topicid = ?").arg(Tables.at(t)), {id}) == 5,
                    "five rows per section table");

    // What the import takes, the export writes and the import reads back to the same rows.
    SubTopicExport exporter;
    QStringList lines;
    Fuzz::check(exporter.lines(1, id, QStringLiteral("Fuzz File"), QStringLiteral("Fuzz File"), &lines),
                "what the import takes exports", exporter.lastError());
    QFile file(path);
    Fuzz::check(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(SubTopicFile::encode(lines)) >= 0,
                "the exported file is written");
    file.close();
    SubTopicImport again;
    Fuzz::check(again.load(path), "an exported file reads again", again.lastError());
    const SubTopicImport::Status second = again.ImportSubTopicFile(2, QStringLiteral("Fuzz File"));
    if (second != SubTopicImport::Status::Done) {
        Fuzz::check(again.lastError().contains(QLatin1String("has no ids left in the table")), "an exported file imports again",
                    again.lastError());
        return 0;
    }
    Fuzz::check(Fuzz::subTopicRows(again.ImportedSubTopicId) == Fuzz::subTopicRows(id),
                "an exported file imports to the same rows",
                Fuzz::subTopicRows(id).join(QLatin1Char('\n')) + QStringLiteral("\n----\n")
                    + Fuzz::subTopicRows(again.ImportedSubTopicId).join(QLatin1Char('\n')));
    return 0;
}
