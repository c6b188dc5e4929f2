#include "mainwindow/tree_image_list.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>
#include <initializer_list>

namespace {

const QColor FolderFill(0xF5, 0xC8, 0x42);
const QColor FolderFront(0xFB, 0xDB, 0x6E);
const QColor FolderEdge(0xA8, 0x7A, 0x10);
const QColor SheetEdge(0x70, 0x70, 0x70);
const QColor MarkBlue(0x1E, 0x64, 0xC8);

// Paints a picture on a 16 by 16 grid at 16 and 32 pixels.
QIcon paintIcon(const std::function<void(QPainter &)> &paint)
{
    QIcon icon;
    for (int size : {16, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 16.0, size / 16.0);
        paint(p);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

// A path through points, back to the first when closed.
QPainterPath outline(std::initializer_list<QPointF> points, bool closed)
{
    QPainterPath path;
    for (const QPointF &point : points) {
        if (path.elementCount() == 0)
            path.moveTo(point);
        else
            path.lineTo(point);
    }
    if (closed)
        path.closeSubpath();
    return path;
}

// The back of a folder in the darker folder colour; the front that is drawn next gets the
// lighter one.
void paintFolderBack(QPainter &p, const QPainterPath &back)
{
    p.setPen(QPen(FolderEdge, 0.8));
    p.setBrush(FolderFill);
    p.drawPath(back);
    p.setBrush(FolderFront);
}

void paintClosedFolder(QPainter &p)
{
    paintFolderBack(p, outline({{1.5, 4.5}, {1.5, 2.5}, {6, 2.5}, {7.5, 4.5}}, true));
    p.drawRect(QRectF(1.5, 4.5, 13, 9));
}

void paintOpenFolder(QPainter &p)
{
    paintFolderBack(p, outline({{1.5, 13.5}, {1.5, 2.5}, {6, 2.5}, {7.5, 4.5}, {13.5, 4.5}, {13.5, 7}}, false));
    p.drawPath(outline({{1.5, 13.5}, {4, 7}, {15, 7}, {12.5, 13.5}}, true));
}

void paintSheet(QPainter &p)
{
    p.setPen(QPen(SheetEdge, 0.8));
    p.setBrush(Qt::white);
    p.drawPath(outline({{2.5, 0.5}, {10, 0.5}, {13.5, 4}, {13.5, 15.5}, {2.5, 15.5}}, true));
    p.drawLine(QPointF(10, 0.5), QPointF(10, 4));
    p.drawLine(QPointF(10, 4), QPointF(13.5, 4));
}

void paintPdf(QPainter &p)
{
    paintSheet(p);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xC8, 0x1E, 0x1E));
    p.drawRect(QRectF(1, 7, 12, 6));
    p.setPen(QPen(Qt::white, 1.0));
    // A stylised "PDF" mark: three short strokes on the red band.
    p.drawLine(QPointF(3, 8.5), QPointF(3, 11.5));
    p.drawLine(QPointF(6.5, 8.5), QPointF(6.5, 11.5));
    p.drawLine(QPointF(10, 8.5), QPointF(10, 11.5));
    p.drawLine(QPointF(10, 8.5), QPointF(12, 8.5));
}

void paintMark(QPainter &p, const QRectF &box)
{
    p.setPen(QPen(MarkBlue, 0.9));
    p.setBrush(QColor(0xD8, 0xE8, 0xFF));
    p.drawEllipse(box);
    p.setBrush(Qt::NoBrush);
    const QPointF c = box.center();
    p.drawEllipse(QRectF(c.x() - box.width() / 5, box.top(), box.width() * 2 / 5, box.height()));
    p.drawLine(QPointF(box.left(), c.y()), QPointF(box.right(), c.y()));
}

void paintWebMark(QPainter &p)
{
    paintMark(p, QRectF(1.5, 1.5, 13, 13));
}

void paintWebDocument(QPainter &p)
{
    paintSheet(p);
    paintMark(p, QRectF(4, 6, 8, 8));
}

} // namespace

TreeImageList::TreeImageList(QObject *parent)
    : QObject(parent)
{
    for (const auto &paint : {paintOpenFolder, paintClosedFolder, paintPdf, paintWebMark, paintWebDocument})
        add(QString(), paintIcon(paint), QString());
}

QIcon TreeImageList::icon(int number) const
{
    return number >= 1 && number <= m_icons.size() ? m_icons.at(number - 1) : QIcon();
}

QString TreeImageList::key(int number) const
{
    return number >= 1 && number <= m_keys.size() ? m_keys.at(number - 1) : QString();
}

QString TreeImageList::tag(int number) const
{
    return number >= 1 && number <= m_tags.size() ? m_tags.at(number - 1) : QString();
}

int TreeImageList::find(const QString &key) const
{
    return m_lastByKey.value(key, 0);
}

int TreeImageList::add(const QString &key, const QIcon &icon, const QString &tag)
{
    m_icons.append(icon);
    m_keys.append(key);
    m_tags.append(tag);
    const int number = int(m_icons.size());
    m_lastByKey.insert(key, number);
    return number;
}
