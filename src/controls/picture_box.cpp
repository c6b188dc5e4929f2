#include "controls/picture_box.h"

#include <QPainter>
#include <QPalette>

namespace {

// The box between two corners given in any order, both corners included.
QRect BoxBetween(int x1, int y1, int x2, int y2)
{
    return QRect(QPoint(qMin(x1, x2), qMin(y1, y2)), QPoint(qMax(x1, x2), qMax(y1, y2)));
}

} // namespace

QColor ResolveVbColor(VbColor value, const QPalette &palette)
{
    if (!(value & 0x80000000u))
        return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
    switch (value & 0xFF) {
    case 5: return palette.color(QPalette::Base);
    case 8: return palette.color(QPalette::Text);
    case 13: return palette.color(QPalette::Highlight);
    case 14: return palette.color(QPalette::HighlightedText);
    case 15: return palette.color(QPalette::Button);
    case 16: return palette.color(QPalette::Dark);
    case 18: return palette.color(QPalette::ButtonText);
    case 20: return palette.color(QPalette::Light);
    case 21: return palette.color(QPalette::Shadow);
    default: return Qt::black;
    }
}

VbColor ToVbColor(const QColor &colour)
{
    return VbColor(colour.red()) | (VbColor(colour.green()) << 8) | (VbColor(colour.blue()) << 16);
}

PictureBox::PictureBox(QWidget *parent)
    : QWidget(parent)
    , m_image(1, 1, QImage::Format_RGB32)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_image.fill(resolve(m_backColor));
}

void PictureBox::setBackColor(VbColor colour)
{
    m_backColor = colour;
    cls();
}

void PictureBox::setCurrentPosition(double x, double y)
{
    m_currentX = x;
    m_currentY = y;
}

void PictureBox::cls()
{
    fitImage();
    m_image.fill(resolve(m_backColor));
    m_currentX = m_currentY = 0;
    update();
}

void PictureBox::outlineBox(int x1, int y1, int x2, int y2, VbColor colour)
{
    fitImage();
    const QRect box = BoxBetween(x1, y1, x2, y2);
    QPainter p(&m_image);
    const QColor c = resolve(colour);
    p.fillRect(QRect(box.left(), box.top(), box.width(), 1), c);
    p.fillRect(QRect(box.left(), box.bottom(), box.width(), 1), c);
    p.fillRect(QRect(box.left(), box.top(), 1, box.height()), c);
    p.fillRect(QRect(box.right(), box.top(), 1, box.height()), c);
    update();
}

void PictureBox::fillBox(int x1, int y1, int x2, int y2, VbColor colour)
{
    fitImage();
    QPainter p(&m_image);
    if (m_drawMode == NotXorPen)
        p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    p.fillRect(BoxBetween(x1, y1, x2, y2), resolve(colour));
    update();
}

void PictureBox::horizontalLine(int x, int y, int length)
{
    if (length <= 0)
        return;
    fitImage();
    QPainter p(&m_image);
    p.fillRect(QRect(x, y, length, 1), resolve(m_foreColor));
    update();
}

void PictureBox::print(const QString &text)
{
    fitImage();
    QPainter p(&m_image);
    if (m_drawMode == NotXorPen)
        p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    p.setFont(font());
    p.setPen(resolve(m_foreColor));
    const QFontMetrics metrics(font());
    p.drawText(QPointF(m_currentX, m_currentY + metrics.ascent()), text);
    m_currentX += metrics.horizontalAdvance(text);
    update();
}

int PictureBox::textWidth(const QString &text) const
{
    return QFontMetrics(font()).horizontalAdvance(text);
}

int PictureBox::textHeight(const QString &) const
{
    return QFontMetrics(font()).height();
}

void PictureBox::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.drawImage(0, 0, m_image);
}

void PictureBox::resizeEvent(QResizeEvent *event)
{
    fitImage();
    QWidget::resizeEvent(event);
}

void PictureBox::fitImage()
{
    // The persistent picture follows the client area, also before a hidden box has had its
    // resize event; what was drawn stays where it was.
    const QSize size = QSize(qMax(1, width()), qMax(1, height()));
    if (size != m_image.size()) {
        QImage grown(size, QImage::Format_RGB32);
        grown.fill(resolve(m_backColor));
        QPainter(&grown).drawImage(0, 0, m_image);
        m_image = grown;
    }
}
