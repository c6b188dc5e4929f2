// Sub-Topics built through the editing classes, as a user builds them, from a script of
// commands: categories and sub-categories added and renamed, links added, section links,
// headers and colours saved. Its export either refuses a value by name or imports back
// into another Topic with the same rows.
//
// The input is lines; the first character of a line names the command, the second picks
// a category (by its number among the Sub-Topic's), the rest is the text typed, "\t"
// between the fields of a command that takes several:
//   c add a category   s add a sub-category   r rename a category   l add a link (name, address)
//   n save section links (the second character picks the section; name, address, ...)
//   h save the six headers   k save the colours (two numbers)

#include "fuzz_support.h"

#include "editing/category_editing.h"
#include "editing/colour_schemes.h"
#include "editing/link_editing.h"
#include "editing/section_headers.h"
#include "editing/section_links.h"
#include "editing/subtopic_editing.h"
#include "exchange/subtopic_export.h"
#include "exchange/subtopic_file.h"
#include "exchange/subtopic_import.h"
#include "shared/database.h"
#include "shared/globals.h"
#include "shared/routines.h"

#include <QColor>
#include <QFile>
#include <QSqlQuery>
#include <QVariant>

namespace {

const QString Name = QStringLiteral("Fuzz");

// The Sub-Topic's category paths in the tree's form ("\" between the names).
QStringList treePaths(qint32 subTopicId)
{
    QStringList paths;
    QSqlQuery q(DbConnection());
    Fuzz::check(BindAndExec(q, QStringLiteral("SELECT LksUrl FROM Lks WHERE TopicId = ? ORDER BY LksId"), {subTopicId}),
                "the categories can be read");
    while (q.next())
        paths.append(q.value(0).toString().replace(QLatin1Char('/'), QLatin1Char('\\')));
    return paths;
}

void run(qint32 id, QChar command, int pick, const QString &text)
{
    const QStringList paths = treePaths(id);
    const QString path = paths.isEmpty() ? Name : paths.at(pick % paths.size());
    const QStringList fields = text.split(QLatin1Char('\t'));
    CategoryEditing categories(id);
    switch (command.unicode()) {
    case 'c':
        if (CategoryEditing::checkName(text) == CategoryEditing::NameCheck::Ok)
            categories.add(Name, path, text);
        break;
    case 's':
        if (CategoryEditing::checkName(text) == CategoryEditing::NameCheck::Ok)
            categories.addSubCategory(path, TrimBlanks(text));
        break;
    case 'r':
        if (path.contains(QLatin1Char('\\')) && CategoryEditing::checkName(text) == CategoryEditing::NameCheck::Ok)
            categories.rename(path, text);
        break;
    case 'l':
        if (LinkEditing::checkAdd(fields.value(0), fields.value(1)) == LinkEditing::AddCheck::Ok
            && LinkEditing::checkAddress(fields.value(1)) == LinkEditing::AddressCheck::Ok)
            LinkEditing(id).add(CategoryEditing::rowPath(path), fields.value(0), fields.value(1));
        break;
    case 'n': {
        QVector<SectionLink> links;
        for (int i = 0; i + 1 < fields.size() && links.size() < 5; i += 2)
            links.append({fields.at(i), fields.at(i + 1)});
        while (links.size() < 5)
            links.append(SectionLink{});
        const QList<PageSection> &sections = SectionLinks::sections();
        SectionLinks(sections.at(pick % sections.size()).table, id).save(links);
        break;
    }
    case 'h': {
        QStringList headers = fields.mid(0, SectionHeaders::Count);
        while (headers.size() < SectionHeaders::Count)
            headers.append(QStringLiteral("Header"));
        if (SectionHeaders::check(headers) == SectionHeaders::Check::Ok)
            SectionHeaders(1, Name).save(headers);
        break;
    }
    case 'k':
        ColourScheme(id).save(QColor::fromRgb(fields.value(0).toUInt()), QColor::fromRgb(fields.value(1).toUInt()), Name);
        break;
    default:
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString folder = Fuzz::setUp();
    Fuzz::freshEdition();
    // A scratch edition: its writes need not wait for the disk.
    ExecSql(QStringLiteral("PRAGMA synchronous = OFF"));
    Fuzz::check(ExecSql(QStringLiteral("INSERT INTO Topics VALUES (1, 'One')"))
                    && ExecSql(QStringLiteral("INSERT INTO Topics VALUES (2, 'Two')")),
                "the Topics are made");
    qint32 id = 0;
    Fuzz::check(SubTopicEditing().add(1, Name, &id) == SubTopicEditing::Status::Done, "the Sub-Topic is made");
    CurrentSubTopicId = id;

    for (const QString &line : Fuzz::text(data, size).split(QLatin1Char('\n'))) {
        if (line.size() >= 2)
            run(id, line.at(0), line.at(1).unicode(), line.mid(2));
    }

    const QStringList rows = Fuzz::subTopicRows(id);
    SubTopicExport exporter;
    QStringList lines;
    if (!exporter.lines(1, id, Name, Name, &lines)) {
        Fuzz::check(exporter.lastError().contains(QLatin1String("cannot be written to a Sub-Topic file")),
                    "an export refuses a value by name", exporter.lastError());
        return 0;
    }
    const QString path = folder + QStringLiteral("Fuzz.qvs");
    QFile file(path);
    Fuzz::check(file.open(QIODevice::WriteOnly | QIODevice::Truncate)
                    && file.write(SubTopicFile::encode(lines)) >= 0,
                "the file is written");
    file.close();

    SubTopicImport importer;
    Fuzz::check(importer.load(path), "an exported file reads", importer.lastError());
    Fuzz::check(importer.ImportSubTopicFile(2, importer.nameInFile(QStringLiteral("Fuzz"))) == SubTopicImport::Status::Done,
                "an exported file imports", importer.lastError());
    Fuzz::check(Fuzz::subTopicRows(importer.ImportedSubTopicId) == rows, "the import gives the exported rows",
                rows.join(QLatin1Char('\n')) + QStringLiteral("\n----\n")
                    + Fuzz::subTopicRows(importer.ImportedSubTopicId).join(QLatin1Char('\n')));
    return 0;
}
