#pragma once
// The result lists of the edition search and the link check: report lists with column
// headers, whole rows selected, no editing in place, sorted on request by the text of a
// column without regard to letter case.

#include <QStringList>
#include <QTreeWidget>
#include <QTreeWidgetItem>

class ResultListItem : public QTreeWidgetItem
{
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem &other) const override;
};

// A new result list with those column headers.
QTreeWidget *NewResultList(const QStringList &headers, const char *name, QWidget *parent);

// Sorts the list by column sortKey (0-based) in order (0 ascending, 1 descending), shows
// the arrow on that header and scrolls the selected row into view.
void SortResultList(QTreeWidget *list, int sortKey, int order);

// The list's selected row, or nullptr.
QTreeWidgetItem *SelectedRow(const QTreeWidget *list);
// Makes row the list's current and only selected row, scrolled into view (nothing for null).
void SelectRow(QTreeWidget *list, QTreeWidgetItem *row);
