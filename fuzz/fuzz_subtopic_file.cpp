// Sub-Topic files: any file is either refused whole or imported whole into a scratch
// edition (its rows, five rows per section table, every link in one of its own categories),
// and the Sub-Topic it gave is exported to a file that reads again.

#include "fuzz_support.h"

#include "exchange/subtopic_export.h"
#include "exchange/subtopic_file.h"
#include "exchange/subtopic_import.h"
#include "shared/database.h"

#include <QFile>

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
    const QList<qint64> before = tableCounts();
    const SubTopicImport::Status status = importer.ImportSubTopicFile(1, QStringLiteral("Fuzz File"));
    if (status != SubTopicImport::Status::Done) {
        Fuzz::check(tableCounts() == before, "a refused import adds nothing", importer.lastError());
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

    // What the program writes, it reads.
    SubTopicExport exporter;
    QStringList lines;
    Fuzz::check(exporter.lines(1, id, QStringLiteral("Fuzz File"), QStringLiteral("Fuzz File"), &lines),
                "the imported Sub-Topic exports", exporter.lastError());
    SubTopicFile again;
    Fuzz::check(again.parse(SubTopicFile::decode(SubTopicFile::encode(lines))), "an exported file reads again",
                again.lastError());
    return 0;
}
