#pragma once
// Keeps a tree's one column as wide as its widest row on show, and at least as wide as the
// tree: long names are shown whole, and the tree then scrolls sideways.
//
// The rows are measured once per fill and once per expansion (the rows it brought into
// view, after the expansion and everything it set off are done), never once per row that
// changes; the column widens to the widest row measured since the last fill and follows
// the tree's width.

#include <QList>
#include <QObject>
#include <QSet>
#include <QSize>

class QTreeWidget;
class QTreeWidgetItem;

class TreeColumnFit : public QObject
{
public:
    explicit TreeColumnFit(QTreeWidget *tree);

    // The width a row asks for: its indentation, picture, text and margins (a little more
    // than the view's own measure, never less).
    int rowWidth(const QTreeWidgetItem *item, int depth);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void expanded(QTreeWidgetItem *item);
    void refitAll();
    void schedule();
    void fit();
    void apply();
    // The widest row of item and of what is open below it.
    int widestBelow(const QTreeWidgetItem *item, int depth);
    int textWidth(const QString &text);
    int margin();

    QTreeWidget *m_tree;
    QList<QTreeWidgetItem *> m_expanded;   // expanded since the last fit
    QSet<QTreeWidgetItem *> m_expandedSet;
    bool m_all = true;                     // every row on show is to be measured
    bool m_scheduled = false;
    int m_content = 0;                     // widest row measured since the last fill
    int m_margin = -1;
    QSize m_marginIconSize;                // the picture size m_margin was taken with
    int m_advance[128];                    // widths of the ASCII characters, -1 unknown
};
