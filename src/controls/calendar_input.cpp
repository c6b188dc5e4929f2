// What the user does with the month calendar: the year spinner, the month and year boxes,
// clicks on days, the Today button, resizing and the watch on the system colours.

#include "controls/calendar.h"

#include "controls/calendar_layout.h"
#include "controls/ole_date.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

#include <cmath>

using namespace CalendarLayout;

namespace {

constexpr int kVkUp = 38;
constexpr int kVkDown = 40;

// The classic virtual-key code of a key: letters and digits keep their character codes,
// the function keys count from 112. The month box matches a key through the character of
// that code, so F4 (115, "s") finds a month starting with S.
int VirtualKeyCode(int key)
{
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return key;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return 112 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Up: return kVkUp;
    case Qt::Key_Down: return kVkDown;
    case Qt::Key_Left: return 37;
    case Qt::Key_Right: return 39;
    case Qt::Key_Space: return 32;
    case Qt::Key_Return: case Qt::Key_Enter: return 13;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    default: return 0;
    }
}

int SpinDirectionOfKey(int key)
{
    return key == Qt::Key_Up ? 1 : key == Qt::Key_Down ? 2 : 0;
}

} // namespace

bool Calendar::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    // Only these events are handled. A control being destroyed still sends others, and it
    // must not be compared with the controls then (that would use it as what it was).
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::Resize:
    case QEvent::FocusIn:
        break;
    default:
        return false;
    }
    if (watched == m_picEasel) {
        if (type == QEvent::KeyPress) {
            const int direction = SpinDirectionOfKey(static_cast<QKeyEvent *>(event)->key());
            if (direction && !m_spinning)
                startSpin(direction);
        } else if (type == QEvent::KeyRelease) {
            // A held key repeats as press and release pairs; only the real release ends a spin.
            if (!static_cast<QKeyEvent *>(event)->isAutoRepeat())
                endSpin();
        } else if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) {
            const QPointF at = static_cast<QMouseEvent *>(event)->position();
            if (PointInRect(int(std::lround(at.x())), int(std::lround(at.y())), m_spinRect.Left, m_spinRect.Top,
                            m_spinRect.Right, m_spinRect.Bottom))
                startSpin(spinDirectionAt(at.y()));
        } else if (type == QEvent::MouseButtonRelease) {
            endSpin();
        } else if (type == QEvent::Resize) {
            placeDays();
            DrawCalendar();
        }
        return false;
    }
    if (watched == m_picDays && type == QEvent::MouseButtonPress) {
        const QPointF at = static_cast<QMouseEvent *>(event)->position();
        dayClicked(int(std::lround(at.x())), int(std::lround(at.y())));
        return false;
    }
    if (watched == m_cboMonth && (type == QEvent::KeyPress || type == QEvent::KeyRelease)) {
        auto *key = static_cast<QKeyEvent *>(event);
        // The arrows step through the months as usual; Tab and Alt shortcuts keep moving the
        // focus. Every other key searches the month names by initial and never edits the box.
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down || key->key() == Qt::Key_Tab
            || key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::AltModifier))
            return false;
        if (type == QEvent::KeyPress)
            monthKey(VirtualKeyCode(key->key()));
        return true;
    }
    if (watched == m_txtYear) {
        if (type == QEvent::FocusIn) {
            QTimer::singleShot(0, m_txtYear.data(), &QLineEdit::selectAll);
        } else if (type == QEvent::KeyPress) {
            const int direction = SpinDirectionOfKey(static_cast<QKeyEvent *>(event)->key());
            if (direction && !m_spinning) {
                startSpin(direction);
                return true;
            }
        } else if (type == QEvent::KeyRelease) {
            if (!static_cast<QKeyEvent *>(event)->isAutoRepeat())
                endSpin();
        }
    }
    return false;
}

int Calendar::spinDirectionAt(double y) const
{
    return y < (m_spinRect.Top + m_spinRect.Bottom) / 2.0 ? 1 : 2;
}

bool Calendar::startSpin(int direction)
{
    m_spinning = true;
    m_spinDirection = direction;
    m_spinPause = 200;
    DrawSpinButtons();
    spinStep();
    return true;
}

void Calendar::spinStep()
{
    if (!m_spinning || !m_txtYear)
        return;
    const int year = m_txtYear->text().toInt();
    // A spin stops at its limit year, and one that starts beyond it does not run on.
    const bool atLimit = m_spinDirection == 1 ? year >= 2100 : year <= 1900;
    if (atLimit)
        return;
    m_txtYear->setText(QString::number(year + (m_spinDirection == 1 ? 1 : -1)));
    m_spinTimer.start(m_spinPause);
    if (m_spinPause > 20)
        m_spinPause -= 20;
}

void Calendar::endSpin()
{
    if (!m_spinning)
        return;
    m_spinning = false;
    m_spinDirection = 0;
    m_spinTimer.stop();
    DrawSpinButtons();
}

void Calendar::dayClicked(int x, int y)
{
    if (m_dayCells.isEmpty())
        return;
    for (const DayCell &cell : std::as_const(m_dayCells)) {
        bool numeric = false;
        const int day = cell.Text.toInt(&numeric);
        if (!numeric || !PointInRect(x, y, cell.Left, cell.Top, cell.Right, cell.Bottom))
            continue;
        if (day > 0) {
            const QDate shown = OleDatePart(m_selectedDate);
            m_selectionHidden = false;
            // The cells may be those of a month with more days than the shown one (a later
            // drawing failed its fit check); a day past the month's end rolls over into the
            // next month, as a year change does, instead of making an invalid date.
            m_selectedDate = ToOleDate(QDate(shown.year(), shown.month(), 1).addDays(day - 1));
            DrawCalendar();
            emit DateSelected(m_selectedDate);
        }
        return;
    }
}

void Calendar::todayClicked()
{
    m_selectedDate = ToOleDate(now());
    m_selectionHidden = false;
    DrawCalendar();
    emit DateSelected(m_selectedDate);
}

void Calendar::monthChosen(int index)
{
    if (m_busy || index < 0)
        return;
    const QDate shown = OleDatePart(m_selectedDate);
    if (index + 1 == shown.month())
        return;
    m_selectionHidden = true;
    QDate chosen(shown.year(), index + 1, shown.day());
    if (!chosen.isValid())
        chosen = QDate(shown.year(), index + 1, 1);
    m_selectedDate = ToOleDate(chosen);
    DrawCalendar();
}

bool Calendar::monthKey(int keyCode)
{
    if (!m_cboMonth || keyCode == 0)
        return true;
    const QChar wanted = QChar(keyCode).toUpper();
    const int current = m_cboMonth->currentIndex();
    const int count = m_cboMonth->count();
    auto startsWith = [&](int i) {
        const QString name = m_cboMonth->itemText(i);
        return !name.isEmpty() && name.at(0).toUpper() == wanted;
    };
    int found = -1;
    for (int i = current + 1; i < count && found < 0; ++i)
        if (startsWith(i))
            found = i;
    for (int i = 0; i < current && found < 0; ++i)
        if (startsWith(i))
            found = i;
    if (found >= 0)
        m_cboMonth->setCurrentIndex(found);
    return true;
}

void Calendar::yearChanged(const QString &text)
{
    if (m_busy)
        return;
    const int year = text.toInt();
    const QDate shown = OleDatePart(m_selectedDate);
    if (year == shown.year())
        return;
    // A day the month lacks in that year rolls over into the next month (29 February
    // becomes 1 March).
    const QDate moved = QDate(year, shown.month(), 1).addDays(shown.day() - 1);
    if (!moved.isValid())
        return;
    m_selectionHidden = true;
    m_selectedDate = ToOleDate(moved);
    DrawCalendar();
}

void Calendar::watchColours()
{
    if (!m_picEasel)
        return;
    const QPalette palette = m_picEasel->palette();
    for (const SysColorEntry &entry : std::as_const(m_sysColors)) {
        if (ToVbColor(ResolveVbColor(0x80000000u | VbColor(entry.Index), palette)) != entry.Value) {
            readSysColors();
            DrawCalendar();
            return;
        }
    }
}
