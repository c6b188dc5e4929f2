// Compares the edits of large categories and Sub-Topics, each with a bare baseline doing
// the same work, the two taking turns:
//   - the tree test of a new link name (FindTVString) over 30,000 links of one category,
//     against a plain scan of the same items; both must give the same answer;
//   - deleting a category subtree of 10,000 links, deleting a whole Sub-Topic, renaming a
//     category with 5,000 categories below it and renaming a Sub-Topic, each against
//     set-based SQL doing the same work on a fresh copy of the same edition; both must
//     leave the same rows;
//   - adding one link to a category of a Sub-Topic of 20,000 and of 30,000 links (the tree
//     test, the row, the rebuilt tree with the view restored, as a drop does it), against a
//     plain QTreeWidget build of the same nodes, the added links included; both trees must
//     end holding the same nodes.
// The goal is 1.50 for the edits against set-based SQL, 2.00 for the tree test against the
// plain scan and for adding a link (as for the tree rebuild against the same plain build);
// the last line gives the largest ratio of every row and how many are over their goal.
//
//   bench_edits [program folder to copy from]

#include "bench_support.h"

#include "editing/category_editing.h"
#include "editing/link_editing.h"
#include "editing/subtopic_editing.h"
#include "mainwindow/form1.h"
#include "shared/tree_nodes.h"

#include <QHash>
#include <QStyle>
#include <QTreeWidget>

namespace {

constexpr int Runs = 7;

class Snapshot
{
public:
    explicit Snapshot(const QString &folder)
        : m_edition(folder + QStringLiteral("Bench.mdb"))
        , m_copy(folder + QStringLiteral("snapshot.mdb"))
    {
        CloseDatabase();
        QFile::remove(m_copy);
        QFile::copy(m_edition, m_copy);
        OpenDatabase(CurrentDatabaseFile);
    }
    void restore() const
    {
        CloseDatabase();
        QFile::remove(m_edition);
        QFile::copy(m_copy, m_edition);
        QFile(m_edition).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        OpenDatabase(CurrentDatabaseFile);
    }

private:
    QString m_edition;
    QString m_copy;
};

// Runs edit and baseline in turns on fresh copies of the edition; both must leave the
// same rows.
void compare(const char *what, const bench::ProgramFolder &folder, const std::function<bool()> &edit,
             const std::function<bool()> &baseline, bench::Headline *headline)
{
    const Snapshot snapshot(folder.folder());
    const auto restore = [&] { snapshot.restore(); };
    QVector<double> edits;
    QVector<double> bases;
    QStringList edited;
    QStringList based;
    headline->check(bench::alternateRuns(Runs, bench::timedRun(edit, restore, [&] { edited = bench::editionRows(); }),
                                         bench::timedRun(baseline, restore, [&] { based = bench::editionRows(); }),
                                         &edits, &bases));
    snapshot.restore();
    headline->check(bench::sameEnd(what, edited, based));
    headline->row(what, "  edit", edits, "  set-based SQL", bases);
}

bool sql(const QString &statement, const QVariantList &values = {})
{
    return bench::run(statement, values);
}

// Statements with their values, all in one transaction.
using Statements = QList<QPair<QString, QVariantList>>;
bool inTransaction(const Statements &statements)
{
    Transaction transaction;
    for (const auto &statement : statements)
        if (!sql(statement.first, statement.second))
            return false;
    return transaction.commit();
}

// The same nodes in a plain QTreeWidget: folders with a picture, links with text only.
double plainBuild(QTreeWidget &tree, const bench::Edition &edition)
{
    const QIcon folder = tree.style()->standardIcon(QStyle::SP_DirClosedIcon);
    return bench::timed([&] {
        tree.setUpdatesEnabled(false);
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
        for (const bench::Link &link : edition.links) {
            auto *node = new QTreeWidgetItem(byId.value(link.categoryId), {link.name});
            node->setData(0, Qt::UserRole, link.url);
        }
        root->sortChildren(0, Qt::AscendingOrder);
        tree.setUpdatesEnabled(true);
        QCoreApplication::processEvents();
    });
}

void findTVString(Form1 *form, bench::Headline *headline)
{
    bench::Edition edition;
    if (!headline->check(bench::clearEdition() && bench::makeSubTopic(&edition, 1, 0, 30000)))
        return;
    form->updateTree();
    TreeNode *category = TreeNodes::of(form->TvwBestell)->Item(2);
    const QString absent = QStringLiteral("No Such Site");
    QVector<double> tests;
    QVector<double> scans;
    QVector<int> answers = {-1, -1};   // FindTVString's, the scan's
    headline->check(bench::alternateRuns(
        Runs,
        bench::timedRun([&] {
            answers[0] = LinkEditing::FindTVString(category, absent, category->Text());
            return true;
        }),
        bench::timedRun([&] {
            const QString wanted = absent.toLower();
            answers[1] = 0;
            for (int i = 0; i < category->childCount() && answers[1] == 0; ++i)
                if (category->child(i)->text(0).toLower() == wanted)
                    answers[1] = i + 1;
            return true;
        }),
        &tests, &scans));
    headline->check(bench::sameEnd("the tree test", QVector<int>{answers[0]}, QVector<int>{answers[1]}));
    headline->row(qPrintable(QStringLiteral("FindTVString over %1 links of one category").arg(edition.links.size())),
                  "  FindTVString", tests, "  plain scan", scans, 2.0);
}

void addLink(Form1 *form, int areas, int fields, int links, bench::Headline *headline)
{
    bench::Edition edition;
    if (!headline->check(bench::clearEdition() && bench::makeSubTopic(&edition, areas, fields, links)))
        return;
    const qsizetype made = edition.links.size();
    QTreeWidget plain;
    plain.setHeaderHidden(true);
    plain.resize(form->TvwBestell->size());
    plain.show();
    QVector<double> adds;
    QVector<double> builds;
    form->updateTree();
    const qint32 targetId = edition.categories.constFirst().id;   // the first area, node 2
    int added = 0;
    headline->check(bench::alternateRuns(
        Runs,
        bench::timedRun([&] {
            const QString name = QStringLiteral("Added %1").arg(added++);
            TreeNode *target = TreeNodes::of(form->TvwBestell)->Item(2);
            SelectedNodeIndex = target->Index();
            if (LinkEditing::FindTVString(target, name, target->Text()) != 0)
                return false;
            LinkEditing(CurrentSubTopicId)
                .add(CategoryEditing::rowPath(target->FullPath()), name, QStringLiteral("http://added.example/"));
            form->updateTree();
            TreeNodes *nodes = TreeNodes::of(form->TvwBestell);
            nodes->Item(1)->EnsureVisible();
            nodes->Item(2)->EnsureVisible();
            form->SelecteerNode(SelectedNodeIndex);
            QCoreApplication::processEvents();
            return true;
        }),
        [&] {
            // The nodes the program's tree holds after as many adds as this side has run.
            edition.links.append({targetId, QStringLiteral("Added %1").arg(edition.links.size() - made),
                                  QStringLiteral("http://added.example/")});
            return plainBuild(plain, edition);
        },
        &adds, &builds));
    const QString what = QStringLiteral("adding one link to a Sub-Topic of %1 links, tree rebuilt").arg(made);
    headline->check(bench::sameEnd(qPrintable(what), bench::nodePaths(*form->TvwBestell), bench::nodePaths(plain)));
    headline->row(qPrintable(what), "  add and refresh", adds, "  plain QTreeWidget build", builds, 2.0);
}

} // namespace

int main(int argc, char *argv[])
{
    const bench::Program program(argc, argv);
    if (!program.ready())
        return 2;
    const bench::ProgramFolder &folder = program.folder();

    IsOnline = false;
    Form1 *form = Form1::instance();
    form->show();
    QCoreApplication::processEvents();
    CurrentSubTopicId = 1;

    bench::Headline headline(1.5);
    findTVString(form, &headline);

    // Two areas of 10 categories with 1,000 links each; the first area goes.
    bench::Edition edition;
    if (!bench::clearEdition() || !bench::makeSubTopic(&edition, 2, 9, 1000))
        return 2;
    // Half the links of the area that goes are held by the other area as well: they stay.
    if (!sql(QStringLiteral("INSERT INTO LksSit (LksId, SitId, Seq) SELECT 12, SitId, SitId + 100000 FROM LksSit"
                            " WHERE LksId BETWEEN 2 AND 11 AND SitId % 2 = 0")))
        return 2;
    const QString path = QStringLiteral("Big/Area 00001");
    const QString below = path + QLatin1Char('/');
    const QString subtree = QStringLiteral("SELECT LksId FROM Lks WHERE TopicId = 1 AND (LksUrl = ? COLLATE BINARY"
                                           " OR substr(LksUrl, 1, length(?)) = ? COLLATE BINARY)");
    const QVariantList area = {path, below, below};
    compare("deleting a category with 10 categories and 10,000 links below it", folder,
        [] { return CategoryEditing(1).deleteCategory(QStringLiteral("Big\\Area 00001")) == CategoryEditing::Status::Done; },
        [&] {
            return inTransaction(
                {{QStringLiteral("DELETE FROM Sit WHERE SitId IN (SELECT SitId FROM LksSit WHERE LksId IN (%1))"
                                 " AND NOT EXISTS (SELECT 1 FROM LksSit AS other WHERE other.SitId = Sit.SitId"
                                 " AND other.LksId NOT IN (%1))").arg(subtree),
                  area + area},
                 {QStringLiteral("DELETE FROM LksSit WHERE LksId IN (%1)").arg(subtree), area},
                 {QStringLiteral("DELETE FROM Lks WHERE LksId IN (%1)").arg(subtree), area}});
        }, &headline);
    compare("deleting the Sub-Topic (20 categories, 20,000 links)", folder,
        [] { return SubTopicEditing().remove(1) == SubTopicEditing::Status::Done; },
        [] {
            const QString all = QStringLiteral("SELECT LksId FROM Lks WHERE TopicId = ?");
            Statements statements = {
                {QStringLiteral("DELETE FROM Sit WHERE SitId IN (SELECT SitId FROM LksSit WHERE LksId IN (%1))"
                                " AND NOT EXISTS (SELECT 1 FROM LksSit AS other WHERE other.SitId = Sit.SitId"
                                " AND other.LksId NOT IN (%1))").arg(all), {1, 1}},
                {QStringLiteral("DELETE FROM LksSit WHERE LksId IN (%1)").arg(all), {1}},
                {QStringLiteral("DELETE FROM ColorLinks WHERE TopicId = ?"), {1}},
                {QStringLiteral("DELETE FROM SubTopics WHERE SubTopicId = ?"), {1}},
                {QStringLiteral("DELETE FROM Lks WHERE TopicId = ?"), {1}}};
            for (const char *table : {"NewsLinks", "SearchLinks", "OrganizationLinks", "RelatedLinks",
                                      "FavoriteLinks", "LocalLinks"})
                statements.append({QStringLiteral("DELETE FROM %1 WHERE topicid = ?").arg(QLatin1String(table)), {1}});
            return inTransaction(statements);
        }, &headline);

    // One area with 5,000 categories below it, and a second one of 100.
    bench::Edition wide;
    if (!bench::clearEdition() || !bench::makeSubTopic(&wide, 1, 5000, 0))
        return 2;
    for (int f = 1; f <= 100; ++f)
        if (!sql(QStringLiteral("INSERT INTO Lks (LksId, LksName, LksUrl, TopicId, IsTop, IsLeaf, LksDesc)"
                                " VALUES (?, ?, ?, 1, 1, 0, 'N')"),
                 {100000 + f, QStringLiteral("F%1/Other/Big").arg(f), QStringLiteral("Big/Other/F%1").arg(f)}))
            return 2;
    compare("renaming a category with 5,000 categories below it", folder,
        [] {
            return CategoryEditing(1).renamePaths(QStringLiteral("Big/Area 00001"), QStringLiteral("Big/Renamed"))
                == CategoryEditing::Status::Done;
        },
        [&] {
            const QString renamed = QStringLiteral("Big/Renamed");
            return inTransaction(
                {{QStringLiteral("UPDATE Lks SET LksUrl = ? || substr(LksUrl, length(?) + 1),"
                                 " LksName = substr(LksName, 1, length(LksName) - length(?)) || ?"
                                 " WHERE TopicId = 1 AND (LksUrl = ? COLLATE BINARY"
                                 " OR substr(LksUrl, 1, length(?)) = ? COLLATE BINARY)"),
                  {renamed, path, QStringLiteral("Area 00001/Big"), QStringLiteral("Renamed/Big"), path, below,
                   below}}});
        }, &headline);
    compare("renaming the Sub-Topic (5,101 categories)", folder,
        [] { return SubTopicEditing().rename(1, 1, QStringLiteral("Huge")) == SubTopicEditing::Status::Done; },
        [] {
            const QString name = QStringLiteral("Huge");
            return inTransaction(
                {{QStringLiteral("UPDATE ColorLinks SET TopicName = ? WHERE TopicId = 1"), {name}},
                 {QStringLiteral("UPDATE SubTopics SET SubTopicName = ? WHERE SubTopicId = 1"), {name}},
                 {QStringLiteral("UPDATE Lks SET LksUrl = CASE WHEN instr(LksUrl, '/') = 0 THEN ?"
                                 " ELSE ? || substr(LksUrl, instr(LksUrl, '/')) END,"
                                 " LksName = rtrim(LksName, replace(LksName, '/', '')) || ? WHERE TopicId = 1"),
                  {name, name, name}}});
        }, &headline);

    addLink(form, 50, 39, 10, &headline);   // 20,000 links
    addLink(form, 50, 39, 15, &headline);   // 30,000 links
    form->close();
    delete form;
    bench::ProgramFolder::finish();
    return headline.finish();
}
