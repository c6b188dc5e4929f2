#pragma once
// Sorting by column header and the self-clearing status panel of the result lists of
// the web tools. A list view is a QTreeView or QTableView (QTreeWidget, QTableWidget)
// showing rows in columns; its sort state is its sort key (0-based column) and sort
// order (0 ascending, 1 descending), kept with the view.

class QAbstractItemView;
class QHeaderView;
class QString;
class QWidget;

// Header format flags of a column's alignment.
enum HeaderFormat : int {
    HeaderLeft = 0,
    HeaderRight = 1,
    HeaderCenter = 2,
};

// 1 when order is 0, otherwise 0.
int ToggleSortOrder(int order);

// The list view's sort key and order (0 and 0 until set).
int ListViewSortKey(const QAbstractItemView *listView);
int ListViewSortOrder(const QAbstractItemView *listView);
// Sets the list view's sort key and order and sorts its rows by them. Does not touch
// the headers: ShowSortIcon does.
void SetListViewSort(QAbstractItemView *listView, int sortKey, int sortOrder);

// The column header bar of a list view; null for another kind of view.
QHeaderView *ListViewHeader(const QAbstractItemView *listView);

// Marks the sorted column's header with the arrow of the sort order and clears the arrow
// from every other header, each header keeping its own alignment.
void ShowSortIcon(QAbstractItemView *listView);
// The alignment of column (1-based) of the list view: HeaderRight, HeaderCenter, else
// HeaderLeft.
int HeaderAlignment(const QAbstractItemView *listView, int column);
// Sets the header of column (1-based): with show, the arrow of image (0 ascending,
// 1 descending) beside its text, otherwise text only; and the alignment flags.
void SetHeaderItem(int column, bool show, int image, QAbstractItemView *listView, int alignment);

// Ends the display of the status text of window: sets its status bar "StatusBar1" to a
// font that is not bold, empties the panel "status" and stops the timer "tmrStatus".
// Answers true when the panel held a text.
bool ClearStatus(QWidget *window);

// Has no effect; answers false.
bool ShowColumnHint(QAbstractItemView *listView, const QString &hint, bool flag1 = false, bool flag2 = false);
