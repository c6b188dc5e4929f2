// Compares the main window's tree rebuild (updateTree) with a plain QTreeWidget build of the
// same nodes, taking turns: on a Sub-Topic of 2,000 categories in two levels with 30,000
// links, and on a flat one of 10,000 categories with 100,000 links. Both trees must end
// holding the same nodes under the same parents.
//
//   bench_update_tree [program folder to copy from]
//
// The program folder defaults to the build's pristine folder next to this program. The
// edition is made in a temporary folder; nothing of the user's is touched.

#include "bench_support.h"

#include "mainwindow/form1.h"
#include "shared/tree_nodes.h"

#include <QHash>
#include <QStyle>
#include <QTreeWidget>

namespace {

constexpr int TopCategories = 50;
constexpr int SubCategoriesEach = 39;   // 50 + 50 * 39 = 2,000 categories
constexpr int LinksTotal = 30000;
constexpr int Runs = 7;

using bench::Category;
using bench::Link;
using bench::median;
using bench::run;
using bench::writeFile;

// The edition: Topic "Bench", Sub-Topic "Big" (id 1) with its root row, 50 areas of 39
// fields each, and 15 links in every category; a few links are local files.
bool makeEdition(const QString &folder, QVector<Category> *categories, QVector<Link> *links)
{
    for (const char *name : {"notes.txt", "manual.pdf", "picture.png"})
        writeFile(folder + QLatin1String("docs/") + QLatin1String(name), "content");

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
    for (int a = 1; a <= TopCategories; ++a) {
        const QString area = QStringLiteral("Area %1").arg(a, 3, 10, QLatin1Char('0'));
        const QString areaPath = QStringLiteral("Big/") + area;
        categories->append({++id, areaPath});
        if (!run(lks, {id, area + QStringLiteral("/Big"), areaPath, 1}))
            return false;
        for (int f = 1; f <= SubCategoriesEach; ++f) {
            const QString field = QStringLiteral("Field %1").arg(f, 2, 10, QLatin1Char('0'));
            const QString path = areaPath + QLatin1Char('/') + field;
            categories->append({++id, path});
            if (!run(lks, {id, field + QLatin1Char('/') + area + QStringLiteral("/Big"), path, 1}))
                return false;
        }
    }

    const QString sit = QStringLiteral("INSERT INTO Sit (SitId, SitName, SitUrl, Summary) VALUES (?, ?, ?, '')");
    const QString join = QStringLiteral("INSERT INTO LksSit (LksId, SitId, Seq) VALUES (?, ?, ?)");
    const QString docs = folder + QStringLiteral("docs/");
    for (int i = 1; i <= LinksTotal; ++i) {
        const Category &category = categories->at((i - 1) % categories->size());
        QString url;
        switch (i % 50) {
        case 1: url = docs + QStringLiteral("notes.txt"); break;
        case 2: url = docs + QStringLiteral("manual.pdf"); break;
        case 3: url = docs + QStringLiteral("picture.png"); break;
        case 4: url = QStringLiteral("/nowhere/missing%1.doc").arg(i); break;
        default:
            url = i % 5 == 0 ? QStringLiteral("https://secure%1.example/").arg(i)
                             : QStringLiteral("http://www.site%1.example/page.html").arg(i);
        }
        const QString name = QStringLiteral("Site %1").arg(i, 5, 10, QLatin1Char('0'));
        links->append({category.id, name, url});
        if (!run(sit, {i, name, url}) || !run(join, {category.id, i, i}))
            return false;
    }
    return fill.commit();
}

// The same nodes in a plain QTreeWidget: folders with a picture, links with text only.
double plainBuild(QTreeWidget &tree, const QVector<Category> &categories, const QVector<Link> &links)
{
    const QIcon folder = tree.style()->standardIcon(QStyle::SP_DirClosedIcon);
    QHash<qint32, QVector<const Link *>> byCategory;
    for (const Link &link : links)
        byCategory[link.categoryId].append(&link);

    QElapsedTimer clock;
    clock.start();
    tree.setUpdatesEnabled(false);
    tree.clear();
    QHash<QString, QTreeWidgetItem *> byPath;
    auto *root = new QTreeWidgetItem(&tree, {QStringLiteral("Big")});
    root->setIcon(0, folder);
    byPath.insert(QStringLiteral("BIG"), root);
    for (const Category &category : categories) {
        const int slash = int(category.path.lastIndexOf(QLatin1Char('/')));
        QTreeWidgetItem *parent = byPath.value(category.path.left(slash).toUpper());
        auto *item = new QTreeWidgetItem(parent, {category.path.mid(slash + 1)});
        item->setIcon(0, folder);
        byPath.insert(category.path.toUpper(), item);
        for (const Link *link : byCategory.value(category.id)) {
            auto *node = new QTreeWidgetItem(item, {link->name});
            node->setData(0, Qt::UserRole, link->url);
        }
    }
    root->sortChildren(0, Qt::AscendingOrder);
    tree.setUpdatesEnabled(true);
    QCoreApplication::processEvents();
    return clock.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    const bench::Program program(argc, argv);
    if (!program.ready())
        return 2;
    const QString folder = program.folder().folder();
    QVector<Category> categories;
    QVector<Link> links;
    if (!makeEdition(folder, &categories, &links))
        return 2;

    IsOnline = false;
    Form1 *form = Form1::instance();
    form->show();
    QCoreApplication::processEvents();
    CurrentSubTopicId = 1;

    QTreeWidget plain;
    plain.setHeaderHidden(true);
    plain.resize(form->TvwBestell->size());
    plain.show();
    bench::Headline headline(2.0);
    // The rebuild of the Sub-Topic against the plain build of categories and links, over runs.
    const auto compare = [&](const char *what, const QVector<Category> &categories, const QVector<Link> &links,
                             int runs, double goal) {
        QVector<double> treeTimes;
        QVector<double> plainTimes;
        headline.check(bench::alternateRuns(
            runs, bench::timedRun([&] {
                form->updateTree();
                QCoreApplication::processEvents();
                return true;
            }),
            [&] { return plainBuild(plain, categories, links); }, &treeTimes, &plainTimes));
        // The baseline must build the very nodes the program's tree holds, else the ratio
        // compares different work.
        headline.check(bench::sameEnd(what, bench::nodePaths(*form->TvwBestell), bench::nodePaths(plain)));
        std::printf("nodes in the tree: %d\n", TreeNodes::of(form->TvwBestell)->Count());
        headline.row(what, "  updateTree", treeTimes, "  plain QTreeWidget build", plainTimes, goal);
        return median(treeTimes);
    };
    const double tree = compare("2,000 categories in two levels, 30,000 links", categories, links, Runs, 2.0);
    std::printf("  updateTree %.1f ms (goal: under 500 ms)\n", tree);

    bench::Edition flat;
    if (!bench::clearEdition() || !bench::makeSubTopic(&flat, 10000, 0, 10))
        return 2;
    compare("flat tree, 10,000 categories, 100,000 links", flat.categories, flat.links, 5, 2.5);

    form->close();
    delete form;
    bench::ProgramFolder::finish();
    return headline.finish();
}
