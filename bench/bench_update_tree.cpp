// Times the main window's tree rebuild on a large Sub-Topic (2,000 categories, 30,000
// links) against a plain QTreeWidget build of the same nodes, in the same run.
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

// Every node of a tree as the path of texts from the root to it, sorted: two trees holding
// the same nodes under the same parents give the same list, whatever their order.
QStringList nodePaths(const QTreeWidget &tree)
{
    QStringList paths;
    std::function<void(const QTreeWidgetItem *, const QString &)> walk = [&](const QTreeWidgetItem *item,
                                                                             const QString &above) {
        const QString path = above + QLatin1Char('\\') + item->text(0);
        paths.append(path);
        for (int i = 0; i < item->childCount(); ++i)
            walk(item->child(i), path);
    };
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        walk(tree.topLevelItem(i), QString());
    paths.sort();
    return paths;
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

    QVector<double> treeTimes;
    QVector<double> plainTimes;
    QTreeWidget plain;
    plain.setHeaderHidden(true);
    plain.resize(form->TvwBestell->size());
    plain.show();
    int nodes = 0;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        form->updateTree();
        QCoreApplication::processEvents();
        treeTimes.append(clock.nsecsElapsed() / 1e6);
        nodes = TreeNodes::of(form->TvwBestell)->Count();
        plainTimes.append(plainBuild(plain, categories, links));
    }

    const double tree = median(treeTimes);
    const double base = median(plainTimes);
    // The baseline must build the very nodes the program's tree holds, else the ratio
    // compares different work.
    const QStringList programNodes = nodePaths(*form->TvwBestell);
    const QStringList plainNodes = nodePaths(plain);
    const bool same = programNodes == plainNodes;
    std::printf("plain build holds the program's nodes: %s (%lld against %lld)\n", same ? "yes" : "NO",
                qlonglong(plainNodes.size()), qlonglong(programNodes.size()));

    // A flat tree: 10,000 categories right below the root, 10 links in each.
    double flatTree = 0;
    double flatBase = 0;
    {
        bench::Edition flat;
        if (!bench::clearEdition() || !bench::makeSubTopic(&flat, 10000, 0, 10))
            return 2;
        const QVector<Category> &flatCategories = flat.categories;
        const QVector<Link> &flatLinks = flat.links;
        QVector<double> flatTimes;
        QVector<double> flatPlain;
        for (int run = 0; run < 5; ++run) {
            flatTimes.append(bench::timed([&] {
                form->updateTree();
                QCoreApplication::processEvents();
            }));
            flatPlain.append(plainBuild(plain, flatCategories, flatLinks));
        }
        flatTree = median(flatTimes);
        flatBase = median(flatPlain);
        std::printf("flat tree, 10,000 categories / %lld links:\n", qlonglong(flatLinks.size()));
        std::printf("  updateTree:               %.1f ms median (runs: %s)\n", flatTree, qPrintable(bench::list(flatTimes)));
        std::printf("  plain QTreeWidget build:  %.1f ms median (runs: %s)\n", flatBase, qPrintable(bench::list(flatPlain)));
        std::printf("  ratio %.2f (target: at most 2.50)\n", flatTree / flatBase);
    }
    std::printf("nodes in the tree:          %d (1 root, %lld categories, %lld links)\n", nodes,
                qlonglong(categories.size()), qlonglong(links.size()));
    std::printf("updateTree:                 %.1f ms median (runs: %s)\n", tree, qPrintable(bench::list(treeTimes)));
    std::printf("plain QTreeWidget build:    %.1f ms median (runs: %s)\n", base, qPrintable(bench::list(plainTimes)));
    std::printf("ratio:                      %.2f (target: at most 2.00, and updateTree under 500 ms)\n",
                tree / base);

    form->close();
    delete form;
    bench::ProgramFolder::finish();
    return same ? 0 : 1;
}
