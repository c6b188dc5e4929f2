#include "controls/calendar.h"

#include "controls/calendar_layout.h"
#include "controls/ole_date.h"
#include "platform/dialogs.h"

#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

#include <algorithm>
#include <cmath>
#include <exception>

using namespace CalendarLayout;

namespace {

// The names the calendar's own controls carry on the Easel's form.
const char kDaysName[] = "picCalendarDaysPrivate";
const char kTodayName[] = "cmdCalendarTodayPrivate";
const char kMonthName[] = "cboCalendarMonthsPrivate";
const char kYearName[] = "txtCalendarYearsPrivate";
const char kRefreshName[] = "tmrCalendarRefreshPrivate";

constexpr VbColor kTodayBlue = 0x00FF0000;
constexpr int kSysColorIndexes[] = {5, 8, 15, 18, 13, 14, 20, 16, 21};

// A copy of the Easel's font by name and size, as the band's controls get it.
QFont copiedFont(const QFont &font)
{
    QFont copy(font.family());
    if (font.pointSizeF() > 0)
        copy.setPointSizeF(font.pointSizeF());
    else
        copy.setPixelSize(font.pixelSize());
    return copy;
}

// A fixed moment in place of the clock's; invalid while the clock tells the time.
QDateTime s_fixedNow;

} // namespace

QDateTime Calendar::now()
{
    return s_fixedNow.isValid() ? s_fixedNow : QDateTime::currentDateTime();
}

void Calendar::setNow(const QDateTime &moment)
{
    s_fixedNow = moment;
}

Calendar::Calendar(QObject *parent)
    : QObject(parent)
{
    for (int index : kSysColorIndexes)
        m_sysColors.append({index, 0});
    readSysColors();
    m_spinTimer.setSingleShot(true);
    connect(&m_spinTimer, &QTimer::timeout, this, &Calendar::spinStep);
}

Calendar::~Calendar()
{
    removeControls();
}

void Calendar::removeControls()
{
    // Only this calendar's own controls go, even where another control carries the same name.
    delete m_tmrRefresh;
    delete m_txtYear;
    delete m_cboMonth;
    delete m_cmdToday;
    delete m_picDays;
    if (m_picEasel)
        m_picEasel->removeEventFilter(this);
}

void Calendar::setEasel(PictureBox *easel)
{
    m_busy = true;
    removeControls();
    m_picEasel = easel;
    if (!easel) {
        m_busy = false;
        return;
    }
    const QFont easelFont = easel->font();
    const QFontMetrics metrics(easelFont);
    easel->setForeColor(SysColor::ButtonText);
    easel->setBackColor(SysColor::ButtonFace);
    easel->setDrawMode(PictureBox::CopyPen);
    easel->setFocusPolicy(Qt::StrongFocus);
    readSysColors();

    m_picDays = new PictureBox(easel);
    m_picDays->setObjectName(QLatin1String(kDaysName));
    m_picDays->setForeColor(SysColor::WindowText);
    m_picDays->setBackColor(SysColor::Window);
    m_picDays->setFocusPolicy(Qt::NoFocus);

    m_cmdToday = new QPushButton(QStringLiteral("&Today"), easel);
    m_cmdToday->setObjectName(QLatin1String(kTodayName));
    m_cmdToday->setFont(copiedFont(easelFont));
    m_cboMonth = new QComboBox(easel);
    m_cboMonth->setObjectName(QLatin1String(kMonthName));
    m_cboMonth->setFont(copiedFont(easelFont));
    const QLocale locale;
    for (int month = 1; month <= 12; ++month)
        m_cboMonth->addItem(locale.standaloneMonthName(month, QLocale::LongFormat));
    // The widths come from the names they must hold; a style that needs more room for its
    // frame and arrow gets it, so no month name is ever cut.
    const int monthHeight = m_cboMonth->sizeHint().height();
    m_cboMonth->resize(qMax(metrics.horizontalAdvance(QStringLiteral("September")) + 17,
                            m_cboMonth->sizeHint().width()),
                       monthHeight);
    m_cmdToday->resize(metrics.horizontalAdvance(QStringLiteral("Today")) + 11, monthHeight - 1);
    placeDays();

    m_txtYear = new QLineEdit(easel);
    m_txtYear->setObjectName(QLatin1String(kYearName));
    m_txtYear->setFont(copiedFont(easelFont));
    m_txtYear->resize(metrics.horizontalAdvance(QStringLiteral("0000")) + 10, monthHeight);
    m_txtYear->setAlignment(Qt::AlignCenter);
    m_txtYear->setReadOnly(true);
    m_tmrRefresh = new QTimer(easel);
    m_tmrRefresh->setObjectName(QLatin1String(kRefreshName));
    m_tmrRefresh->setInterval(250);
    m_tmrRefresh->start();

    m_cboMonth->show();
    m_txtYear->show();
    m_cmdToday->show();
    m_picDays->show();

    easel->installEventFilter(this);
    m_picDays->installEventFilter(this);
    m_cboMonth->installEventFilter(this);
    m_txtYear->installEventFilter(this);
    connect(m_cmdToday, &QPushButton::clicked, this, &Calendar::todayClicked);
    connect(m_cboMonth, &QComboBox::currentIndexChanged, this, &Calendar::monthChosen);
    connect(m_txtYear, &QLineEdit::textChanged, this, &Calendar::yearChanged);
    connect(m_tmrRefresh, &QTimer::timeout, this, &Calendar::watchColours);

    easel->setFont(easelFont);
    m_busy = false;
    DrawCalendar();
}

void Calendar::placeDays()
{
    if (!m_picEasel || !m_picDays || !m_cboMonth)
        return;
    const int top = m_cboMonth->height() + 10;
    // An Easel lower than the band leaves no room for the grid; it is not given a
    // negative height.
    m_picDays->setGeometry(0, top, m_picEasel->scaleWidth(), qMax(0, m_picEasel->scaleHeight() - top));
}

void Calendar::Show()
{
    if (!m_picEasel) {
        MsgBox(QStringLiteral("You must set up the Easel before calling the Show method"),
               vbOKOnly | vbExclamation, QStringLiteral("Calendar"));
        return;
    }
    m_picEasel->show();
}

void Calendar::Refresh()
{
    if (m_picEasel)
        DrawCalendar();
}

void Calendar::Hide()
{
    if (m_picEasel)
        m_picEasel->hide();
}

void Calendar::DrawCalendar()
{
    if (!m_picEasel || !m_picDays)
        return;
    m_busy = true;
    try {
        if (drawGrid()) {
            m_tooSmallShown = false;
            DrawDayCell(m_picEasel, 0, 0, m_picEasel->scaleWidth() - 1, m_picDays->y() - 1, QString(),
                        SysColor::ButtonFace, SysColor::WindowText, true, false);
            layoutBand();
            DrawSpinButtons();
        }
    } catch (const std::exception &failure) {
        MsgBox(QString::fromLocal8Bit(failure.what()), vbOKOnly | vbExclamation,
               QStringLiteral("DrawCalendar Error"));
    }
    m_busy = false;
}

bool Calendar::drawGrid()
{
    PictureBox *days = m_picDays;
    days->cls();
    if (std::nearbyint(m_selectedDate) == 0)
        m_selectedDate = ToOleDate(now());
    const QDate selected = OleDatePart(m_selectedDate);
    const int month = selected.month();
    const int year = selected.year();
    m_firstWeekday = FirstWeekday(month, year);
    m_cboMonth->setCurrentIndex(month - 1);
    m_txtYear->setText(QString::number(year));

    const int dayCount = DaysInMonth(month, year);
    const int rows = DayRows(m_firstWeekday, dayCount);
    const int textHeight = days->textHeight(QStringLiteral("Aj"));
    const int header = textHeight + 4;
    const int base = int(std::floor(double(days->scaleHeight() - header) / rows));
    QList<int> rowHeights(rows + 1, base);
    rowHeights[0] = header;
    SpreadExtra(rowHeights, days->scaleHeight() - (base * rows + header));
    const int width = days->scaleWidth() / 7;
    QList<int> columnWidths(7, width);
    SpreadExtra(columnWidths, days->scaleWidth() - 7 * width);

    const int minWidth = days->textWidth(QStringLiteral("22")) + 4;
    const int minHeight = textHeight + 4;
    bool fits = *std::min_element(columnWidths.begin(), columnWidths.end()) >= minWidth;
    for (int h : rowHeights)
        fits = fits && h >= minHeight;
    if (!fits) {
        // Shown once while the calendar stays too small, not again on every resize step.
        if (!m_tooSmallShown) {
            m_tooSmallShown = true;
            MsgBox(QStringLiteral("The Easel's font is too large or the Easel is too small.\nThe Calendar cannot be drawn."),
                   vbOKOnly | vbExclamation, QStringLiteral("Calendar"));
        }
        return false;
    }

    QString candidate = QStringLiteral("Wednesday");
    if (days->textWidth(candidate) > columnWidths[0] - 4)
        candidate = QStringLiteral("Wed");
    if (days->textWidth(candidate) > columnWidths[0] - 4)
        candidate = QStringLiteral("W");
    const QStringList labels = CellLabels(DayNames(int(candidate.size())), m_firstWeekday, dayCount, rows);

    const QDate today = now().date();
    const bool todaysMonth = today.month() == month && today.year() == year;
    m_dayCells.clear();
    int y = 0;
    for (int r = 0; r <= rows; ++r) {
        int x = 0;
        for (int c = 0; c < 7; ++c) {
            const int k = 7 * r + c;
            DayCell cell{x, y, x + columnWidths[c] - 1, y + rowHeights[r] - 1, columnWidths[c], rowHeights[r],
                         labels[k]};
            m_dayCells.append(cell);
            const int dayNumber = CellDayNumber(k, m_firstWeekday);
            const bool isSelected = selected.day() == dayNumber && !m_selectionHidden;
            const bool isToday = todaysMonth && dayNumber == today.day()
                && (m_selectionHidden || selected.day() != dayNumber);
            const VbColor fore = isToday ? kTodayBlue : isSelected ? SysColor::HighlightText : SysColor::ButtonText;
            const VbColor back = isSelected ? SysColor::Highlight : r >= 1 ? SysColor::Window : SysColor::ButtonFace;
            DrawDayCell(days, cell.Left, cell.Top, cell.Right, cell.Bottom, cell.Text, back, fore, r == 0, r == 0);
            x += columnWidths[c];
        }
        y += rowHeights[r];
    }
    return true;
}

void Calendar::layoutBand()
{
    const int bandHeight = m_picDays->y();
    const double gap = (m_picEasel->scaleWidth()
                        - (m_txtYear->width() + m_cboMonth->width() + m_cmdToday->width() + 18)) / 4.0;
    const int top = int(std::floor((bandHeight - m_cboMonth->height()) / 2.0));
    const double todayLeft = gap;
    const double monthLeft = todayLeft + m_cmdToday->width() + gap;
    const double yearLeft = monthLeft + m_cboMonth->width() + gap;
    m_cmdToday->move(int(std::lround(todayLeft)), top);
    m_cboMonth->move(int(std::lround(monthLeft)), top);
    m_txtYear->move(int(std::lround(yearLeft)), top);
    m_spinRect.Left = int(std::lround(yearLeft + m_txtYear->width() + 1));
    m_spinRect.Top = top;
    m_spinRect.Right = m_spinRect.Left + 15;
    m_spinRect.Bottom = m_spinRect.Top + m_cboMonth->height() - 1;
}

void Calendar::DrawDayCell(PictureBox *surface, int x1, int y1, int x2, int y2, const QString &text,
                           VbColor backColor, VbColor foreColor, bool raised, bool centred)
{
    if (raised) {
        surface->outlineBox(x1, y1, x2, y2, SysColor::DarkShadow);
        surface->outlineBox(x1, y1, x2 - 1, y2 - 1, SysColor::ButtonHighlight);
        surface->outlineBox(x1 + 1, y1 + 1, x2 - 1, y2 - 1, SysColor::ButtonShadow);
    } else {
        surface->outlineBox(x1, y1, x2, y2, SysColor::ButtonShadow);
        surface->outlineBox(x1 + 1, y1 + 1, x2, y2, SysColor::ButtonHighlight);
        surface->outlineBox(x1 + 1, y1 + 1, x2 - 1, y2 - 1, SysColor::ButtonFace);
    }
    surface->fillBox(x1 + 1, y1 + 1, x2 - 2, y2 - 2, backColor);
    if (text.isEmpty())
        return;
    const VbColor remembered = surface->foreColor();
    int x = x1 + 3;
    int y = y1 + 1;
    if (centred) {
        x = int(std::floor((x1 + x2) / 2.0 - surface->textWidth(text) / 2.0));
        y = int(std::floor((y1 + y2) / 2.0 - surface->textHeight(text) / 2.0));
        surface->setForeColor(SysColor::ButtonShadow);
        surface->setCurrentPosition(x - 1, y - 1);
        surface->print(text);
        surface->setForeColor(SysColor::ButtonHighlight);
        surface->setCurrentPosition(x + 1, y + 1);
        surface->print(text);
    }
    surface->setForeColor(foreColor);
    surface->setCurrentPosition(x, y);
    surface->print(text);
    surface->setForeColor(remembered);
}

void Calendar::DrawSpinButtons()
{
    if (!m_picEasel)
        return;
    SpinArea &r = m_spinRect;
    int h = r.Bottom - r.Top + 1;
    if (h % 2 != 0) {
        --r.Bottom;
        --h;
    }
    const int midY = h / 2 + r.Top - 1;
    DrawDayCell(m_picEasel, r.Left, r.Top, r.Right, midY, QString(), SysColor::ButtonFace, SysColor::WindowText,
                m_spinDirection != 1, false);
    DrawDayCell(m_picEasel, r.Left, midY + 1, r.Right, r.Bottom, QString(), SysColor::ButtonFace,
                SysColor::WindowText, m_spinDirection != 2, false);
    const int cx = int(std::floor((r.Left + r.Right) / 2.0));
    const int upShift = m_spinDirection == 1 ? 1 : 0;
    const int downShift = m_spinDirection == 2 ? 1 : 0;
    int x = cx + upShift;
    int y = midY - 1 + upShift;
    for (int i = 0; i < 4; ++i)
        m_picEasel->horizontalLine(x - 3 + i, y - 3 - i, 7 - 2 * i);
    x = cx + downShift;
    y = midY + 1 + downShift;
    for (int i = 0; i < 4; ++i)
        m_picEasel->horizontalLine(x - 3 + i, y + 3 + i, 7 - 2 * i);
}

void Calendar::readSysColors()
{
    const QPalette palette = m_picEasel ? m_picEasel->palette() : QPalette();
    for (SysColorEntry &entry : m_sysColors)
        entry.Value = ToVbColor(ResolveVbColor(0x80000000u | VbColor(entry.Index), palette));
}
