#include "editing/link_tree_widget.h"

#include "editing/link_drop.h"

#include <QMimeData>

LinkTreeWidget::LinkTreeWidget(QWidget *parent)
    : QTreeWidget(parent)
{
}

QStringList LinkTreeWidget::mimeTypes() const
{
    return {LinkDrop::mimeType(), QStringLiteral("text/plain")};
}

QMimeData *LinkTreeWidget::mimeData(const QList<QTreeWidgetItem *> &items) const
{
    if (items.isEmpty() || !m_dragData)
        return nullptr;
    return m_dragData();
}

Qt::DropActions LinkTreeWidget::supportedDropActions() const
{
    return Qt::CopyAction;
}
