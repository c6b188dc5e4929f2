// Compares opening (expanding) a category in the main window's tree, which opens every
// category below it too, with a plain QTreeWidget opening the same nodes, taking turns:
//   - one category holding k links, for k from 100 to 2,000;
//   - one area of 40 categories and 400 links in a Sub-Topic of 20,000 links.
// The time runs from the expansion until the window has been painted again. Both trees
// must end showing the same nodes in the same order.
//
//   bench_expand_tree [program folder to copy from]

#include "bench_support.h"

#include "mainwindow/form1.h"
#include "shared/tree_nodes.h"

#include <QHash>
#include <QStyle>
#include <QTreeWidget>

namespace {

constexpr int Runs = 5;

// The Sub-Topic in a plain tree: folders with a picture, links with text only.
QTreeWidgetItem *plainFill(QTreeWidget &tree, const bench::Edition &edition)
{
    const QIcon folder = tree.style()->standardIcon(QStyle::SP_DirClosedIcon);
    tree.clear();
    QHash<QString, QTreeWidgetItem *> byPath;
    QHash<qint32, QTreeWidgetItem *> byId;
    auto *root = new QTreeWidgetItem(&tree, {QStringLiteral("Big")});
    root->setIcon(0, folder);
    byPath.insert(QStringLiteral("Big"), root);
    for (const bench::Category &category : edition.categories) {
        const int slash = int(category.path.lastIndexOf(QLatin1Char('/')));
        auto *item = new QTreeWidgetItem(byPath.value(category.path.left(slash)), {category.path.mid(slash + 1)});
        item->setIcon(0, folder);
        byPath.insert(category.path, item);
        byId.insert(category.id, item);
    }
    for (const bench::Link &link : edition.links)
        new QTreeWidgetItem(byId.value(link.categoryId), {link.name});
    return root;
}

TreeNode *nodeWithText(QTreeWidget *tree, const QString &text)
{
    for (TreeNode *node : TreeNodes::of(tree)->All())
        if (node->Text() == text)
            return node;
    return nullptr;
}

void expandWithSubtree(QTreeWidgetItem *item)
{
    item->setExpanded(true);
    for (int i = 0; i < item->childCount(); ++i)
        if (item->child(i)->childCount() > 0)
            expandWithSubtree(item->child(i));
}

// Expanding the node called text, in the main window's tree and in the plain tree, over
// runs; the root is open before each run, nothing below it. Answers the median in ms of
// the main window's tree.
double measure(Form1 *form, QTreeWidget &plain, const bench::Edition &edition, const QString &text,
               const char *what, bench::Headline *headline)
{
    QVector<double> treeTimes;
    QVector<double> plainTimes;
    TreeNode *node = nullptr;
    QTreeWidgetItem *item = nullptr;
    headline->check(bench::alternateRuns(
        Runs,
        bench::timedRun(
            [&] {
                node->setExpanded(true);
                form->TvwBestell->repaint();
                QCoreApplication::processEvents();
                return true;
            },
            [&] {
                form->updateTree();
                TreeNodes::of(form->TvwBestell)->Item(1)->setExpanded(true);
                QCoreApplication::processEvents();
                node = nodeWithText(form->TvwBestell, text);
            }),
        bench::timedRun(
            [&] {
                expandWithSubtree(item);
                plain.repaint();
                QCoreApplication::processEvents();
                return true;
            },
            [&] {
                plainFill(plain, edition)->setExpanded(true);
                QCoreApplication::processEvents();
                item = plain.findItems(text, Qt::MatchExactly | Qt::MatchRecursive).value(0);
            }),
        &treeTimes, &plainTimes));
    headline->check(bench::sameEnd(what, bench::nodePaths(*form->TvwBestell, true), bench::nodePaths(plain, true)));
    headline->row(what, "  main window's tree", treeTimes, "  plain QTreeWidget", plainTimes);
    return bench::median(treeTimes);
}

} // namespace

int main(int argc, char *argv[])
{
    const bench::Program program(argc, argv);
    if (!program.ready())
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

    bench::Headline headline(3.0);
    for (const int k : {100, 250, 500, 1000, 2000}) {
        bench::Edition edition;
        if (!bench::clearEdition() || !bench::makeSubTopic(&edition, 1, 0, k))
            return 2;
        measure(form, plain, edition, QStringLiteral("Area 00001"),
                qPrintable(QStringLiteral("one category of %1 links").arg(k)), &headline);
    }

    bench::Edition large;
    if (!bench::clearEdition() || !bench::makeSubTopic(&large, 50, 39, 10))
        return 2;
    const double area = measure(form, plain, large, QStringLiteral("Area 00025"),
                                "an area of 40 categories and 400 links in 20,000 links", &headline);
    std::printf("  %.2f ms (goal: under 20 ms)\n", area);

    form->close();
    delete form;
    bench::ProgramFolder::finish();
    return headline.finish();
}
