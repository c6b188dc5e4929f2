#include "webtools/result_list.h"

#include "shared/listview_helpers.h"

#include <QHeaderView>

bool ResultListItem::operator<(const QTreeWidgetItem &other) const
{
    const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
    const QString mine = text(column);
    const QString theirs = other.text(column);
    const int order = mine.compare(theirs, Qt::CaseInsensitive);
    return order != 0 ? order < 0 : mine < theirs;
}

QTreeWidget *NewResultList(const QStringList &headers, const char *name, QWidget *parent)
{
    auto *list = new QTreeWidget(parent);
    list->setObjectName(QLatin1String(name));
    list->setColumnCount(int(headers.size()));
    list->setHeaderLabels(headers);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->header()->setSectionsClickable(true);
    list->header()->setSortIndicatorShown(false);
    list->header()->setStretchLastSection(true);
    return list;
}

void SortResultList(QTreeWidget *list, int sortKey, int order)
{
    // The rows compare by the header's sort column, so it is set before they are sorted.
    {
        const QSignalBlocker quiet(list->header());
        list->header()->setSortIndicator(sortKey, order == 1 ? Qt::DescendingOrder : Qt::AscendingOrder);
    }
    SetListViewSort(list, sortKey, order);
    ShowSortIcon(list);
    if (QTreeWidgetItem *row = SelectedRow(list))
        list->scrollToItem(row);
}

QTreeWidgetItem *SelectedRow(const QTreeWidget *list)
{
    const QList<QTreeWidgetItem *> rows = list->selectedItems();
    return rows.isEmpty() ? nullptr : rows.first();
}

void SelectRow(QTreeWidget *list, QTreeWidgetItem *row)
{
    if (!row)
        return;
    list->setCurrentItem(row);
    list->clearSelection();
    row->setSelected(true);
    list->scrollToItem(row);
}
