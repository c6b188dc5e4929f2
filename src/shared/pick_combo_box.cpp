#include "shared/pick_combo_box.h"

#include <QKeyEvent>
#include <QTimer>
#include <QWheelEvent>

PickComboBox::PickComboBox(QWidget *parent)
    : QComboBox(parent)
{
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (!m_picking)
            return;
        m_picking = false;
        emit picked(index);
    });
}

void PickComboBox::hidePopup()
{
    // The list closes first, then the box reports the entry chosen in it; a list closed
    // without a choice (Escape, a click elsewhere) leaves nothing behind.
    m_picking = true;
    QComboBox::hidePopup();
    QTimer::singleShot(0, this, [this]() { m_picking = false; });
}

void PickComboBox::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        m_picking = true;
        break;
    default:
        m_picking = false;
        break;
    }
    QComboBox::keyPressEvent(event);
    m_picking = false;
}

void PickComboBox::wheelEvent(QWheelEvent *event)
{
    m_picking = true;
    QComboBox::wheelEvent(event);
    m_picking = false;
}
