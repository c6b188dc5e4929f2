#include "controls/splitter_panel.h"

#include "shared/twips.h"

#include <QMouseEvent>

#include <cmath>

ctlSplitterPanel::ctlSplitterPanel(QWidget *parent)
    : QWidget(parent)
{
    m_pbSplit = new QWidget(this);
    m_pbSplit->setObjectName(QStringLiteral("pbSplit"));
    m_pbSplit->setAutoFillBackground(true);
    m_pbSplit->installEventFilter(this);
    setAutoFillBackground(true);
    InitProperties();
}

ctlSplitterPanel::~ctlSplitterPanel()
{
    m_pbSplit->removeEventFilter(this);
}

void ctlSplitterPanel::InitProperties()
{
    m_minPanelSize = 2000;
    m_snapToEdge = false;
    m_splitterWidth = 75;
    m_position = 3000;
    setHorizontal(false);
    setDragColor(SysColor::ButtonText);
    setBackColor(SysColor::ButtonFace);
    setSnapped(0);
}

void ctlSplitterPanel::setControl1(QWidget *control)
{
    m_control1 = control;
    layOut();
}

void ctlSplitterPanel::setControl2(QWidget *control)
{
    m_control2 = control;
    layOut();
}

void ctlSplitterPanel::setMinPanelSize(int twips)
{
    m_minPanelSize = twips;
    emit propertyChanged(QStringLiteral("MinPanelSize"));
    layOut();
}

void ctlSplitterPanel::setHorizontal(bool stacked)
{
    m_horizontal = stacked;
    emit propertyChanged(QStringLiteral("Horizontal"));
    m_pbSplit->setCursor(stacked ? Qt::SizeVerCursor : Qt::SizeHorCursor);
    layOut();
}

void ctlSplitterPanel::setSnapToEdge(bool snap)
{
    m_snapToEdge = snap;
    emit propertyChanged(QStringLiteral("SnapToEdge"));
    layOut();
}

void ctlSplitterPanel::setSplitterWidth(int twips)
{
    m_splitterWidth = twips;
    emit propertyChanged(QStringLiteral("SplitterWidth"));
    layOut();
}

void ctlSplitterPanel::setPosition(int twips)
{
    m_position = twips;
    emit propertyChanged(QStringLiteral("Position"));
    m_snapped = 0;
    layOut();
}

void ctlSplitterPanel::setBackColor(VbColor colour)
{
    m_backColor = colour;
    QPalette surface = palette();
    surface.setColor(QPalette::Window, ResolveVbColor(colour, QWidget::palette()));
    setPalette(surface);
    paintBar(colour);
    emit propertyChanged(QStringLiteral("BackColor"));
}

void ctlSplitterPanel::setDragColor(VbColor colour)
{
    m_dragColor = colour;
    emit propertyChanged(QStringLiteral("DragColor"));
}

void ctlSplitterPanel::setSnapped(int value)
{
    if (!m_snapToEdge)
        value = 0;
    if (value == 1) {
        m_position = 0;
    } else if (value == 2) {
        m_position = int(std::lround(surfaceLength()));
    } else {
        value = 0;
    }
    m_snapped = value;
    m_pbSplit->raise();
    layOut();
    emit propertyChanged(QStringLiteral("Snapped"));
}

void ctlSplitterPanel::ReadProperties(const QVariantMap &bag)
{
    m_minPanelSize = bag.value(QStringLiteral("MinPanelSize"), 2000).toInt();
    setHorizontal(bag.value(QStringLiteral("Horizontal"), false).toBool());
    // Snapping is read before the snap itself, which it governs.
    m_snapToEdge = bag.value(QStringLiteral("SnapToEdge"), false).toBool();
    m_splitterWidth = bag.value(QStringLiteral("SplitterWidth"), 75).toInt();
    setDragColor(bag.value(QStringLiteral("DragColor"), SysColor::ButtonText).toUInt());
    setBackColor(bag.value(QStringLiteral("BackColor"), SysColor::ButtonFace).toUInt());
    m_position = 0;
    setSnapped(bag.value(QStringLiteral("Snapped"), 0).toInt());
}

QVariantMap ctlSplitterPanel::WriteProperties() const
{
    return {
        {QStringLiteral("MinPanelSize"), m_minPanelSize},
        {QStringLiteral("Horizontal"), m_horizontal},
        {QStringLiteral("SnapToEdge"), m_snapToEdge},
        {QStringLiteral("SplitterWidth"), m_splitterWidth},
        {QStringLiteral("DragColor"), m_dragColor},
        {QStringLiteral("BackColor"), m_backColor},
        {QStringLiteral("Snapped"), m_snapped},
    };
}

int ctlSplitterPanel::surfaceLength() const
{
    return int(pxToTwips(m_horizontal ? height() : width()));
}

void ctlSplitterPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layOut();
}

void ctlSplitterPanel::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    layOut();
}

void ctlSplitterPanel::layOut()
{
    // Until its host gives it a size or shows it, the panel has only the toolkit's
    // placeholder size; laying out on it would pull the position to the middle of that.
    if (!testAttribute(Qt::WA_Resized) && !isVisible())
        return;
    SplitterInput in;
    in.surfaceWidth = int(pxToTwips(width()));
    in.surfaceHeight = int(pxToTwips(height()));
    in.horizontal = m_horizontal;
    in.minPanelSize = m_minPanelSize;
    in.splitterWidth = m_splitterWidth;
    in.position = m_position;
    in.snapped = m_snapped;
    const SplitterLayout out = LayOutSplitter(in);
    m_position = out.position;
    auto toPixels = [](const QRect &twips) {
        return QRect(twipsToPx(twips.left()), twipsToPx(twips.top()), qMax(1, twipsToPx(twips.width())),
                     qMax(1, twipsToPx(twips.height())));
    };
    if (m_control1 && m_control2) {
        m_control1->setVisible(out.control1Visible);
        m_control2->setVisible(out.control2Visible);
    }
    if (m_control1)
        m_control1->setGeometry(toPixels(out.control1));
    m_pbSplit->setGeometry(toPixels(out.bar));
    if (m_control2)
        m_control2->setGeometry(toPixels(out.control2));
    int position = m_position;
    emit Change(position);
}

void ctlSplitterPanel::paintBar(VbColor colour)
{
    QPalette bar = m_pbSplit->palette();
    bar.setColor(QPalette::Window, ResolveVbColor(colour, palette()));
    m_pbSplit->setPalette(bar);
}

bool ctlSplitterPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_pbSplit)
        return QWidget::eventFilter(watched, event);
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease)
        return false;
    auto *mouse = static_cast<QMouseEvent *>(event);
    switch (type) {
    case QEvent::MouseButtonPress:
        if (mouse->button() == Qt::LeftButton) {
            m_dragging = true;
            m_barStart = pxToTwips(m_horizontal ? m_pbSplit->y() : m_pbSplit->x());
            paintBar(m_dragColor);
            m_pbSplit->raise();
        }
        return true;
    case QEvent::MouseMove:
        if (m_dragging) {
            // The bar follows the pointer, its middle under it; the panes wait for the release.
            const double along = pxToTwips(m_horizontal ? mouse->position().y() : mouse->position().x());
            m_barStart -= m_splitterWidth / 2 - along;
            if (m_horizontal)
                m_pbSplit->move(m_pbSplit->x(), twipsToPx(m_barStart));
            else
                m_pbSplit->move(twipsToPx(m_barStart), m_pbSplit->y());
        }
        return true;
    case QEvent::MouseButtonRelease:
        if (mouse->button() == Qt::LeftButton && m_dragging) {
            m_dragging = false;
            paintBar(m_backColor);
            const SplitterRelease release = ReleaseSplitter(int(std::lround(m_barStart)), surfaceLength(),
                                                            m_splitterWidth, m_minPanelSize, m_snapToEdge);
            m_position = release.position;
            if (release.snapped != m_snapped) {
                m_snapped = release.snapped;
                emit propertyChanged(QStringLiteral("Snapped"));
            }
            layOut();
        }
        return true;
    default:
        return false;
    }
}
