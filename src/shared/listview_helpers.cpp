#include "shared/listview_helpers.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QLabel>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QTreeView>
#include <QVariant>

namespace {

const char *const kSortKeyProperty = "SortKey";
const char *const kSortOrderProperty = "SortOrder";

int intProperty(const QAbstractItemView *listView, const char *name)
{
    if (!listView)
        return 0;
    const QVariant value = listView->property(name);
    return value.isValid() ? value.toInt() : 0;
}

Qt::Alignment alignmentOfFormat(int alignment)
{
    switch (alignment & 3) {
    case HeaderRight: return Qt::AlignRight | Qt::AlignVCenter;
    case HeaderCenter: return Qt::AlignHCenter | Qt::AlignVCenter;
    default: return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

} // namespace

int ToggleSortOrder(int order)
{
    return order == 0 ? 1 : 0;
}

int ListViewSortKey(const QAbstractItemView *listView)
{
    return intProperty(listView, kSortKeyProperty);
}

int ListViewSortOrder(const QAbstractItemView *listView)
{
    return intProperty(listView, kSortOrderProperty);
}

void SetListViewSort(QAbstractItemView *listView, int sortKey, int sortOrder)
{
    if (!listView)
        return;
    listView->setProperty(kSortKeyProperty, sortKey);
    listView->setProperty(kSortOrderProperty, sortOrder);
    QAbstractItemModel *model = listView->model();
    if (model && sortKey >= 0 && sortKey < model->columnCount())
        model->sort(sortKey, sortOrder == 1 ? Qt::DescendingOrder : Qt::AscendingOrder);
}

QHeaderView *ListViewHeader(const QAbstractItemView *listView)
{
    if (const auto *tree = qobject_cast<const QTreeView *>(listView))
        return tree->header();
    if (const auto *table = qobject_cast<const QTableView *>(listView))
        return table->horizontalHeader();
    return nullptr;
}

void ShowSortIcon(QAbstractItemView *listView)
{
    QHeaderView *header = ListViewHeader(listView);
    if (!header)
        return;
    const int sortKey = ListViewSortKey(listView);
    const int sortOrder = ListViewSortOrder(listView);
    for (int column = 1; column <= header->count(); ++column) {
        const int alignment = HeaderAlignment(listView, column);
        if (column == sortKey + 1)
            SetHeaderItem(column, true, sortOrder, listView, alignment);
        else
            SetHeaderItem(column, false, 0, listView, alignment);
    }
}

int HeaderAlignment(const QAbstractItemView *listView, int column)
{
    if (!listView || !listView->model())
        return HeaderLeft;
    const Qt::Alignment alignment = Qt::Alignment(
        listView->model()->headerData(column - 1, Qt::Horizontal, Qt::TextAlignmentRole).toInt());
    if (alignment & Qt::AlignRight)
        return HeaderRight;
    if (alignment & Qt::AlignHCenter)
        return HeaderCenter;
    return HeaderLeft;
}

void SetHeaderItem(int column, bool show, int image, QAbstractItemView *listView, int alignment)
{
    QHeaderView *header = ListViewHeader(listView);
    if (!header || column < 1 || column > header->count())
        return;
    const int section = column - 1;
    // The header bar draws one arrow, on one column; turning the sorting of the view
    // on would re-sort its rows, so only the mark is set here.
    const QSignalBlocker quiet(header);
    if (show) {
        header->setSortIndicatorShown(true);
        header->setSortIndicator(section, image == 1 ? Qt::DescendingOrder : Qt::AscendingOrder);
    } else if (header->sortIndicatorSection() == section) {
        header->setSortIndicator(-1, header->sortIndicatorOrder());
    }
    QAbstractItemModel *model = listView->model();
    if (model && HeaderAlignment(listView, column) != (alignment & 3))
        model->setHeaderData(section, Qt::Horizontal, int(alignmentOfFormat(alignment)), Qt::TextAlignmentRole);
    header->viewport()->update();
}

bool ClearStatus(QWidget *window)
{
    if (!window)
        return false;
    bool cleared = false;
    if (auto *statusBar = window->findChild<QStatusBar *>(QStringLiteral("StatusBar1"))) {
        QFont font = statusBar->font();
        font.setBold(false);
        statusBar->setFont(font);
        if (auto *panel = statusBar->findChild<QLabel *>(QStringLiteral("status")); panel && !panel->text().isEmpty()) {
            panel->clear();
            cleared = true;
        }
    }
    if (auto *timer = window->findChild<QTimer *>(QStringLiteral("tmrStatus")))
        timer->stop();
    return cleared;
}

bool ShowColumnHint(QAbstractItemView *listView, const QString &hint, bool flag1, bool flag2)
{
    Q_UNUSED(listView)
    Q_UNUSED(hint)
    Q_UNUSED(flag1)
    Q_UNUSED(flag2)
    return false;
}
