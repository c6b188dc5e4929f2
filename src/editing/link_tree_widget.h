#pragma once
// The category tree control: a tree whose dragged nodes carry what the program puts into
// the drag (a link's name and address), never the tree's own item data, and whose drags
// only copy (a drop elsewhere never takes a node out of the tree).

#include <QTreeWidget>

#include <functional>

class QMimeData;

class LinkTreeWidget : public QTreeWidget
{
    Q_OBJECT
public:
    explicit LinkTreeWidget(QWidget *parent = nullptr);

    // Asked for the data when a drag starts; nullptr (or no function) starts no drag.
    void setDragData(std::function<QMimeData *()> dragData) { m_dragData = std::move(dragData); }

protected:
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QList<QTreeWidgetItem *> &items) const override;
    Qt::DropActions supportedDropActions() const override;

private:
    std::function<QMimeData *()> m_dragData;
};
