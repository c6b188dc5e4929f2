// Column sorting marks of the result lists and their self-clearing status panel.
#include "shared/listview_helpers.h"

#include <QHeaderView>
#include <QLabel>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

namespace {

// A result list of three rows in four columns; the third header is right-aligned.
std::unique_ptr<QAbstractItemView> makeList(const QString &kind)
{
    const QStringList headers = {QStringLiteral("Name"), QStringLiteral("Address"), QStringLiteral("Hits"),
                                 QStringLiteral("Note")};
    const QList<QStringList> rows = {{"b", "x", "2", ""}, {"a", "z", "3", ""}, {"c", "y", "1", ""}};
    if (kind == QLatin1String("tree")) {
        auto tree = std::make_unique<QTreeWidget>();
        tree->setHeaderLabels(headers);
        for (const QStringList &row : rows)
            tree->addTopLevelItem(new QTreeWidgetItem(row));
        tree->headerItem()->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        return tree;
    }
    auto table = std::make_unique<QTableWidget>(int(rows.size()), int(headers.size()));
    table->setHorizontalHeaderLabels(headers);
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < headers.size(); ++c)
            table->setItem(r, c, new QTableWidgetItem(rows[r][c]));
    table->horizontalHeaderItem(2)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return table;
}

QString firstColumn(QAbstractItemView *view)
{
    QString text;
    for (int r = 0; r < view->model()->rowCount(); ++r)
        text += view->model()->index(r, 0).data().toString();
    return text;
}

} // namespace

class TestListView : public QObject
{
    Q_OBJECT
private slots:
    void toggleSortOrder_data();
    void toggleSortOrder();
    void sortMarks_data();
    void sortMarks();
    void clearStatus();
};

void TestListView::toggleSortOrder_data()
{
    QTest::addColumn<int>("order");
    QTest::addColumn<int>("toggled");
    QTest::newRow("ascending") << 0 << 1;
    QTest::newRow("descending") << 1 << 0;
    QTest::newRow("other") << 7 << 0;
    QTest::newRow("negative") << -1 << 0;
}

void TestListView::toggleSortOrder()
{
    QFETCH(int, order);
    QFETCH(int, toggled);
    QCOMPARE(ToggleSortOrder(order), toggled);
}

void TestListView::sortMarks_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("tree") << "tree";
    QTest::newRow("table") << "table";
}

void TestListView::sortMarks()
{
    QFETCH(QString, kind);
    const auto list = makeList(kind);
    QHeaderView *header = ListViewHeader(list.get());
    QVERIFY(header);
    QCOMPARE(ListViewSortKey(list.get()), 0);
    QCOMPARE(ListViewSortOrder(list.get()), 0);
    QCOMPARE(HeaderAlignment(list.get(), 3), int(HeaderRight));
    QCOMPARE(HeaderAlignment(list.get(), 1), int(HeaderLeft));

    // Sort key 2 descending: only the third header carries the arrow, still right-aligned.
    SetListViewSort(list.get(), 2, 1);
    QCOMPARE(firstColumn(list.get()), QStringLiteral("abc"));
    ShowSortIcon(list.get());
    QVERIFY(header->isSortIndicatorShown());
    QCOMPARE(header->sortIndicatorSection(), 2);
    QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
    QCOMPARE(HeaderAlignment(list.get(), 3), int(HeaderRight));
    QCOMPARE(firstColumn(list.get()), QStringLiteral("abc"));    // marking does not re-sort

    // A click on the first header: order toggled, arrow moves.
    SetListViewSort(list.get(), 0, ToggleSortOrder(ListViewSortOrder(list.get())));
    ShowSortIcon(list.get());
    QCOMPARE(firstColumn(list.get()), QStringLiteral("abc"));
    QCOMPARE(header->sortIndicatorSection(), 0);
    QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
    SetListViewSort(list.get(), 0, ToggleSortOrder(ListViewSortOrder(list.get())));
    QCOMPARE(firstColumn(list.get()), QStringLiteral("cba"));

    // Clearing a header that has no arrow leaves the arrow where it is; clearing the
    // marked one removes it. Alignment flags are applied as given.
    SetHeaderItem(2, false, 0, list.get(), HeaderCenter);
    QCOMPARE(header->sortIndicatorSection(), 0);
    QCOMPARE(HeaderAlignment(list.get(), 2), int(HeaderCenter));
    SetHeaderItem(1, false, 0, list.get(), HeaderLeft);
    QCOMPARE(header->sortIndicatorSection(), -1);
    SetHeaderItem(9, true, 1, list.get(), HeaderLeft);    // no such column: nothing happens
    QCOMPARE(header->sortIndicatorSection(), -1);

    QVERIFY(!ShowColumnHint(list.get(), QStringLiteral("hint"), true, true));
}

void TestListView::clearStatus()
{
    QWidget window;
    auto *statusBar = new QStatusBar(&window);
    statusBar->setObjectName(QStringLiteral("StatusBar1"));
    auto *panel = new QLabel(statusBar);
    panel->setObjectName(QStringLiteral("status"));
    statusBar->addWidget(panel, 1);
    auto *timer = new QTimer(&window);
    timer->setObjectName(QStringLiteral("tmrStatus"));

    const auto showStatus = [&](const QString &text) {
        QFont bold = statusBar->font();
        bold.setBold(true);
        statusBar->setFont(bold);
        panel->setText(text);
        timer->start(5000);
    };

    showStatus(QStringLiteral("12 links checked"));
    QVERIFY(ClearStatus(&window));
    QVERIFY(panel->text().isEmpty());
    QVERIFY(!timer->isActive());
    QVERIFY(!statusBar->font().bold());

    // Nothing to clear: false, but the timer still stops and the font is plain again.
    showStatus(QString());
    QVERIFY(!ClearStatus(&window));
    QVERIFY(!timer->isActive());
    QVERIFY(!statusBar->font().bold());

    // A window without those parts is no error.
    QWidget bare;
    QVERIFY(!ClearStatus(&bare));
    QVERIFY(!ClearStatus(nullptr));
}

QTEST_MAIN(TestListView)
#include "tst_listview.moc"
