#include "mainwindow/tree_column_fit.h"

#include <QAbstractItemModel>
#include <QEvent>
#include <QHeaderView>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>

namespace {

// Room for what a sum of single character widths may miss (kerning, rounding).
constexpr int Slack = 4;

} // namespace

TreeColumnFit::TreeColumnFit(QTreeWidget *tree)
    : QObject(tree)
    , m_tree(tree)
{
    std::fill(std::begin(m_advance), std::end(m_advance), -1);
    QHeaderView *header = tree->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Interactive);
    tree->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    tree->viewport()->installEventFilter(this);

    connect(tree, &QTreeWidget::itemExpanded, this, &TreeColumnFit::expanded);
    QAbstractItemModel *model = tree->model();
    connect(model, &QAbstractItemModel::modelReset, this, [this]() {
        m_content = 0;
        refitAll();
    });
    // Rows added or taken away: the items held are measured from the top instead.
    connect(model, &QAbstractItemModel::rowsInserted, this, &TreeColumnFit::refitAll);
    connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this, &TreeColumnFit::refitAll);
    connect(model, &QAbstractItemModel::modelAboutToBeReset, this, &TreeColumnFit::refitAll);
}

bool TreeColumnFit::eventFilter(QObject *, QEvent *event)
{
    if (event->type() == QEvent::Resize)
        apply();
    return false;
}

void TreeColumnFit::expanded(QTreeWidgetItem *item)
{
    if (!m_all && !m_expandedSet.contains(item)) {
        m_expanded.append(item);
        m_expandedSet.insert(item);
    }
    schedule();
}

void TreeColumnFit::refitAll()
{
    m_all = true;
    m_expanded.clear();
    m_expandedSet.clear();
    schedule();
}

void TreeColumnFit::schedule()
{
    if (m_scheduled)
        return;
    m_scheduled = true;
    QTimer::singleShot(0, this, &TreeColumnFit::fit);
}

void TreeColumnFit::fit()
{
    m_scheduled = false;
    if (m_all) {
        for (int i = 0; i < m_tree->topLevelItemCount(); ++i)
            m_content = std::max(m_content, widestBelow(m_tree->topLevelItem(i), 0));
    } else {
        for (QTreeWidgetItem *item : std::as_const(m_expanded)) {
            // Measured with the outermost expansion it belongs to, if any.
            int depth = 0;
            bool inner = false;
            for (QTreeWidgetItem *p = item->parent(); p; p = p->parent()) {
                inner = inner || m_expandedSet.contains(p);
                ++depth;
            }
            if (!inner)
                m_content = std::max(m_content, widestBelow(item, depth));
        }
    }
    m_all = false;
    m_expanded.clear();
    m_expandedSet.clear();
    apply();
}

void TreeColumnFit::apply()
{
    const int width = std::max(m_tree->viewport()->width(), m_content);
    if (m_tree->header()->sectionSize(0) != width)
        m_tree->header()->resizeSection(0, width);
}

int TreeColumnFit::widestBelow(const QTreeWidgetItem *item, int depth)
{
    int widest = rowWidth(item, depth);
    if (item->childCount() > 0 && item->isExpanded()) {
        for (int i = 0; i < item->childCount(); ++i)
            widest = std::max(widest, widestBelow(item->child(i), depth + 1));
    }
    return widest;
}

int TreeColumnFit::rowWidth(const QTreeWidgetItem *item, int depth)
{
    const int level = depth + (m_tree->rootIsDecorated() ? 1 : 0);
    return level * m_tree->indentation() + margin() + textWidth(item->text(0));
}

int TreeColumnFit::textWidth(const QString &text)
{
    const QFontMetrics metrics = m_tree->fontMetrics();
    int width = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 128) {
            if (m_advance[u] < 0)
                m_advance[u] = metrics.horizontalAdvance(c);
            width += m_advance[u];
        } else {
            width += metrics.horizontalAdvance(c);
        }
    }
    return width + Slack;
}

int TreeColumnFit::margin()
{
    if (m_margin >= 0 && m_marginIconSize == m_tree->iconSize())
        return m_margin;
    m_marginIconSize = m_tree->iconSize();
    // What the view adds to a row's text: a picture with its spacing and the item margins,
    // taken from a row with a picture.
    QTreeWidget probe;
    probe.setIconSize(m_tree->iconSize());
    probe.setFont(m_tree->font());
    probe.setStyle(m_tree->style());
    auto *row = new QTreeWidgetItem(&probe, {QStringLiteral("x")});
    QPixmap picture(m_tree->iconSize());
    picture.fill(Qt::transparent);
    row->setIcon(0, QIcon(picture));
    const QAbstractItemView *view = &probe;
    const int hint = view->sizeHintForIndex(probe.model()->index(0, 0)).width();
    m_margin = std::max(0, hint - probe.fontMetrics().horizontalAdvance(QLatin1Char('x')));
    return m_margin;
}
