// Times opening (expanding) categories in the main window's tree against a plain
// QTreeWidget expanding the same nodes, in the same run:
//   - one category holding k links, for k from 100 to 2,000;
//   - one area of 40 categories and 400 links in a Sub-Topic of 20,000 links.
// The time runs from the expansion until the window has been painted again.
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

// Median time of expanding the node called text, in the main window's tree and in the
// plain tree; the root is open before each run, nothing below it.
void measure(Form1 *form, QTreeWidget &plain, const bench::Edition &edition, const QString &text, double *tree,
             double *base)
{
    QVector<double> treeTimes;
    QVector<double> plainTimes;
    for (int run = 0; run < Runs; ++run) {
        form->updateTree();
        TreeNodes::of(form->TvwBestell)->Item(1)->setExpanded(true);
        QCoreApplication::processEvents();
        TreeNode *node = nodeWithText(form->TvwBestell, text);
        treeTimes.append(bench::timed([&] {
            node->setExpanded(true);
            form->TvwBestell->repaint();
            QCoreApplication::processEvents();
        }));

        QTreeWidgetItem *root = plainFill(plain, edition);
        root->setExpanded(true);
        QCoreApplication::processEvents();
        QTreeWidgetItem *item = plain.findItems(text, Qt::MatchExactly | Qt::MatchRecursive).value(0);
        plainTimes.append(bench::timed([&] {
            item->setExpanded(true);
            plain.repaint();
            QCoreApplication::processEvents();
        }));
    }
    *tree = bench::median(treeTimes);
    *base = bench::median(plainTimes);
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

    std::printf("%-10s %12s %12s %8s\n", "links", "tree (ms)", "plain (ms)", "ratio");
    double ratio = 0;
    for (const int k : {100, 250, 500, 1000, 2000}) {
        bench::Edition edition;
        if (!bench::clearEdition() || !bench::makeSubTopic(&edition, 1, 0, k))
            return 2;
        double tree = 0;
        double base = 0;
        measure(form, plain, edition, QStringLiteral("Area 00001"), &tree, &base);
        ratio = tree / base;
        std::printf("%-10d %12.2f %12.2f %8.2f\n", k, tree, base, ratio);
    }

    bench::Edition large;
    if (!bench::clearEdition() || !bench::makeSubTopic(&large, 50, 39, 10))
        return 2;
    double area = 0;
    double areaBase = 0;
    measure(form, plain, large, QStringLiteral("Area 00025"), &area, &areaBase);
    std::printf("area of 40 categories / 400 links in %lld links: %.2f ms (plain %.2f ms; target: under 20 ms)\n",
                qlonglong(large.links.size()), area, areaBase);
    std::printf("ratio:      %.2f (2,000 links against a plain QTreeWidget; target: at most 3.00)\n", ratio);

    form->close();
    delete form;
    bench::ProgramFolder::finish();
    return 0;
}
