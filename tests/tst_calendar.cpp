// The month calendar: its grid arithmetic, date values, drawing and what the user's clicks
// and keys do to it.
#include "controls/calendar.h"
#include "controls/calendar_layout.h"
#include "controls/ole_date.h"
#include "platform/dialogs.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

using namespace CalendarLayout;

namespace {

QPoint centreOf(const Calendar::DayCell &cell)
{
    return QPoint((cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2);
}

// The cell that shows day of the shown month.
Calendar::DayCell cellOfDay(const Calendar &calendar, int day)
{
    for (const Calendar::DayCell &cell : calendar.dayCells())
        if (cell.Text == QString::number(day))
            return cell;
    return {};
}

} // namespace

class TestCalendar : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void monthsAndRows();
    void labelsForEachFirstWeekday_data();
    void labelsForEachFirstWeekday();
    void spreading();
    void oleDates();
    void drawsMonthAndPicksDayWithMouse();
    void monthBoxKeys();
    void yearSpinWithKeys();
    void yearSpinWithMouse();
    void todayAndColourWatch();
    void failures();
    void rowsOfMonth_data();
    void rowsOfMonth();
    void todayMarkOnlyInTodaysMonth_data();
    void todayMarkOnlyInTodaysMonth();
    void dayClickAfterFailedDrawing();

private:
    QWidget *m_form = nullptr;
    PictureBox *m_easel = nullptr;
    Calendar *m_calendar = nullptr;
};

void TestCalendar::init()
{
    DialogScript::begin();
    // Today is 9 March 2005 for every calendar here, whatever the clock says: a thin 9 is the
    // hardest figure to see the mark on.
    Calendar::setNow(QDateTime(QDate(2005, 3, 9), QTime(14, 30)));
    m_form = new QWidget;
    m_form->resize(360, 300);
    m_easel = new PictureBox(m_form);
    m_easel->setGeometry(10, 10, 340, 280);
    m_calendar = new Calendar(m_form);
    m_calendar->setSelectedDate(ToOleDate(QDate(2005, 1, 31)));
    m_calendar->setEasel(m_easel);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
}

void TestCalendar::cleanup()
{
    delete m_form;
    Calendar::setNow(QDateTime());
    DialogScript::end();
}

void TestCalendar::monthsAndRows()
{
    QCOMPARE(DaysInMonth(2, 2000), 29);
    QCOMPARE(DaysInMonth(2, 1900), 28);
    QCOMPARE(DaysInMonth(2, 2004), 29);
    QCOMPARE(DaysInMonth(9, 2004), 30);
    QCOMPARE(FirstWeekday(2, 2015), 1);                   // a Sunday
    QCOMPARE(DayRows(FirstWeekday(2, 2015), 28), 4);
    QCOMPARE(FirstWeekday(8, 2020), 7);                   // a Saturday
    QCOMPARE(DayRows(FirstWeekday(8, 2020), 31), 6);
    QCOMPARE(DayRows(FirstWeekday(1, 2005), 31), 6);      // starts on a Saturday
}

void TestCalendar::labelsForEachFirstWeekday_data()
{
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("weekday");
    QTest::newRow("Sunday") << 1 << 2023 << 1;
    QTest::newRow("Monday") << 5 << 2023 << 2;
    QTest::newRow("Tuesday") << 8 << 2023 << 3;
    QTest::newRow("Wednesday") << 2 << 2023 << 4;
    QTest::newRow("Thursday, leap February") << 2 << 2024 << 5;
    QTest::newRow("Friday") << 9 << 2023 << 6;
    QTest::newRow("Saturday") << 4 << 2023 << 7;
}

void TestCalendar::labelsForEachFirstWeekday()
{
    QFETCH(int, month);
    QFETCH(int, year);
    QFETCH(int, weekday);
    QCOMPARE(FirstWeekday(month, year), weekday);
    const int days = DaysInMonth(month, year);
    const int rows = DayRows(weekday, days);
    const QStringList labels = CellLabels(DayNames(3), weekday, days, rows);
    QCOMPARE(labels.size(), 7 * (rows + 1));
    QCOMPARE(labels.mid(0, 7).join(','), QStringLiteral("Sun,Mon,Tue,Wed,Thu,Fri,Sat"));
    // Day 1 sits in its weekday's column of the first day row, blanks before it and after
    // the last day; every numbered cell maps back to its own day.
    QCOMPARE(labels.at(7 + weekday - 1), QStringLiteral("1"));
    QVERIFY(labels.mid(7, weekday - 1).join(QString()).isEmpty());
    const int lastCell = 7 + weekday - 1 + days - 1;
    QCOMPARE(labels.at(lastCell), QString::number(days));
    QVERIFY(labels.mid(lastCell + 1).join(QString()).isEmpty());
    for (int k = 7; k < labels.size(); ++k)
        if (!labels.at(k).isEmpty())
            QCOMPARE(CellDayNumber(k, weekday), labels.at(k).toInt());
}

void TestCalendar::spreading()
{
    QList<int> columns(7, 200 / 7);
    SpreadExtra(columns, 200 - 7 * (200 / 7));
    QCOMPARE(columns, QList<int>({29, 29, 29, 29, 28, 28, 28}));
    columns = QList<int>(7, 150 / 7);
    SpreadExtra(columns, 150 - 7 * (150 / 7));
    QCOMPARE(columns, QList<int>({21, 22, 21, 22, 21, 22, 21}));
    QList<int> rows = {17, 16, 16, 16, 16, 16};
    SpreadExtra(rows, 3);
    QCOMPARE(rows, QList<int>({17, 17, 16, 17, 16, 17}));
}

void TestCalendar::oleDates()
{
    QCOMPARE(ToOleDate(QDateTime(QDate(1899, 12, 30), QTime(0, 0))), 0.0);
    QCOMPARE(ToOleDate(QDateTime(QDate(1900, 1, 1), QTime(12, 0))), 2.5);
    QCOMPARE(ToOleDate(QDateTime(QDate(1899, 12, 29), QTime(6, 0))), -1.25);
    QCOMPARE(FromOleDate(-1.25), QDateTime(QDate(1899, 12, 29), QTime(6, 0)));
    QCOMPARE(FromOleDate(38383.75), QDateTime(QDate(2005, 1, 31), QTime(18, 0)));
    const QDateTime now = QDateTime(QDate(2026, 12, 7), QTime(11, 22, 33, 444));
    QCOMPARE(FromOleDate(ToOleDate(now)), now);
}

void TestCalendar::drawsMonthAndPicksDayWithMouse()
{
    auto *days = m_easel->findChild<PictureBox *>(QStringLiteral("picCalendarDaysPrivate"));
    auto *month = m_easel->findChild<QComboBox *>(QStringLiteral("cboCalendarMonthsPrivate"));
    auto *year = m_easel->findChild<QLineEdit *>(QStringLiteral("txtCalendarYearsPrivate"));
    QVERIFY(days && month && year);
    QVERIFY(m_easel->findChild<QPushButton *>(QStringLiteral("cmdCalendarTodayPrivate")));
    QCOMPARE(month->currentIndex(), 0);
    QCOMPARE(year->text(), QStringLiteral("2005"));
    QVERIFY(year->isReadOnly());
    // January 2005 starts on a Saturday: six rows under the header, the grid under the band.
    QCOMPARE(m_calendar->dayCells().size(), 49);
    QCOMPARE(days->y(), month->height() + 10);
    QCOMPARE(m_calendar->dayCells().last().Bottom, days->height() - 1);
    QCOMPARE(m_calendar->dayCells().at(6).Right, days->width() - 1);

    const QRgb highlight = days->resolve(SysColor::Highlight).rgb();
    const Calendar::DayCell selected = cellOfDay(*m_calendar, 31);
    QCOMPARE(days->image().pixel(selected.Left + 2, selected.Bottom - 2), highlight);
    // Sunken cells: shadow on the outer top edge.
    const Calendar::DayCell fifteenth = cellOfDay(*m_calendar, 15);
    QCOMPARE(days->image().pixel(fifteenth.Left + 4, fifteenth.Top), days->resolve(SysColor::ButtonShadow).rgb());

    QSignalSpy picked(m_calendar, &Calendar::DateSelected);
    // A cell's last pixel column is outside it: nothing is chosen.
    QTest::mouseClick(days, Qt::LeftButton, {}, QPoint(fifteenth.Right, fifteenth.Top + 3));
    QCOMPARE(picked.count(), 0);
    QTest::mouseClick(days, Qt::RightButton, {}, centreOf(fifteenth));
    QCOMPARE(picked.count(), 1);
    QCOMPARE(FromOleDate(picked.at(0).at(0).toDouble()), QDateTime(QDate(2005, 1, 15), QTime(0, 0)));
    QCOMPARE(days->image().pixel(fifteenth.Left + 2, fifteenth.Bottom - 2), highlight);
    QVERIFY(days->image().pixel(selected.Left + 2, selected.Bottom - 2) != highlight);
    // Header and blank cells choose nothing.
    QTest::mouseClick(days, Qt::LeftButton, {}, centreOf(m_calendar->dayCells().at(0)));
    QTest::mouseClick(days, Qt::LeftButton, {}, centreOf(m_calendar->dayCells().at(7)));
    QCOMPARE(picked.count(), 1);
}

void TestCalendar::monthBoxKeys()
{
    auto *month = m_easel->findChild<QComboBox *>(QStringLiteral("cboCalendarMonthsPrivate"));
    month->setFocus();
    QTest::keyClick(month, Qt::Key_F);
    QCOMPARE(month->currentText(), QLocale().standaloneMonthName(2));
    // 31 January has no February counterpart: the 1st, shown without the highlight.
    QCOMPARE(OleDatePart(m_calendar->SelectedDate()), QDate(2005, 2, 1));
    QVERIFY(m_calendar->selectionHidden());
    QTest::keyClick(month, Qt::Key_J);
    QCOMPARE(month->currentIndex(), 5);
    QTest::keyClick(month, Qt::Key_J);
    QCOMPARE(month->currentIndex(), 6);
    QTest::keyClick(month, Qt::Key_J);
    QCOMPARE(month->currentIndex(), 0);          // wraps round to January
    QTest::keyClick(month, Qt::Key_Q);           // no month starts with Q
    QCOMPARE(month->currentIndex(), 0);
    QTest::keyClick(month, Qt::Key_F4);          // key code 115 is "s"
    QCOMPARE(month->currentIndex(), 8);
    QTest::keyClick(month, Qt::Key_Down);        // the arrows step as usual
    QCOMPARE(month->currentIndex(), 9);
    QCOMPARE(OleDatePart(m_calendar->SelectedDate()), QDate(2005, 10, 1));
}

void TestCalendar::yearSpinWithKeys()
{
    auto *year = m_easel->findChild<QLineEdit *>(QStringLiteral("txtCalendarYearsPrivate"));
    auto *month = m_easel->findChild<QComboBox *>(QStringLiteral("cboCalendarMonthsPrivate"));
    m_calendar->setSelectedDate(ToOleDate(QDate(2004, 2, 29)));
    m_calendar->Refresh();
    year->setFocus();
    QTest::keyPress(year, Qt::Key_Up);
    QCOMPARE(year->text(), QStringLiteral("2005"));
    QCOMPARE(OleDatePart(m_calendar->SelectedDate()), QDate(2005, 3, 1));
    QCOMPARE(month->currentIndex(), 2);
    QVERIFY(m_calendar->spinning());
    // A repeat of the held key neither starts another spin nor ends this one.
    QTest::keyRelease(year, Qt::Key_Up, {}, -1);
    QKeyEvent repeat(QEvent::KeyRelease, Qt::Key_Up, Qt::NoModifier, QString(), true);
    QCoreApplication::sendEvent(year, &repeat);
    QVERIFY(!m_calendar->spinning());

    m_calendar->setSelectedDate(ToOleDate(QDate(2098, 6, 1)));
    m_calendar->Refresh();
    QTest::keyPress(year, Qt::Key_Up);
    QCOMPARE(year->text(), QStringLiteral("2099"));
    QTRY_COMPARE(year->text(), QStringLiteral("2100"));
    QTest::qWait(300);
    QCOMPARE(year->text(), QStringLiteral("2100"));   // stops at the limit, button still held
    QVERIFY(m_calendar->spinning());
    QCOMPARE(m_calendar->spinDirection(), 1);
    QTest::keyRelease(year, Qt::Key_Up);
    QCOMPARE(m_calendar->spinDirection(), 0);

    m_calendar->setSelectedDate(ToOleDate(QDate(1900, 6, 1)));
    m_calendar->Refresh();
    QTest::keyPress(year, Qt::Key_Down);
    QCOMPARE(year->text(), QStringLiteral("1900"));
    QCOMPARE(m_calendar->spinDirection(), 2);
    QTest::keyRelease(year, Qt::Key_Down);
    QVERIFY(!m_calendar->spinning());
}

void TestCalendar::yearSpinWithMouse()
{
    auto *year = m_easel->findChild<QLineEdit *>(QStringLiteral("txtCalendarYearsPrivate"));
    const Calendar::SpinArea spin = m_calendar->spinRect();
    QVERIFY(spin.Left >= year->x() + year->width());
    QCOMPARE((spin.Bottom - spin.Top + 1) % 2, 0);
    QTest::mousePress(m_easel, Qt::LeftButton, {}, QPoint(spin.Left + 5, spin.Bottom - 2));
    QCOMPARE(year->text(), QStringLiteral("2004"));
    QCOMPARE(m_calendar->spinDirection(), 2);
    QTest::mouseRelease(m_easel, Qt::LeftButton, {}, QPoint(spin.Left + 5, spin.Bottom - 2));
    QVERIFY(!m_calendar->spinning());
    QTest::mouseDClick(m_easel, Qt::LeftButton, {}, QPoint(spin.Left + 5, spin.Top + 2));
    QCOMPARE(m_calendar->spinDirection(), 1);
    QTest::mouseRelease(m_easel, Qt::LeftButton, {}, QPoint(spin.Left + 5, spin.Top + 2));
    QVERIFY(!m_calendar->spinning());
    QCOMPARE(year->text(), QStringLiteral("2005"));
    // Outside the spinner a press does nothing.
    QTest::mousePress(m_easel, Qt::LeftButton, {}, QPoint(spin.Right, spin.Top + 2));
    QVERIFY(!m_calendar->spinning());
}

void TestCalendar::todayAndColourWatch()
{
    auto *today = m_easel->findChild<QPushButton *>(QStringLiteral("cmdCalendarTodayPrivate"));
    auto *days = m_easel->findChild<PictureBox *>(QStringLiteral("picCalendarDaysPrivate"));
    QSignalSpy picked(m_calendar, &Calendar::DateSelected);
    QTest::mouseClick(today, Qt::LeftButton);
    QCOMPARE(picked.count(), 1);
    QCOMPARE(OleDatePart(picked.at(0).at(0).toDouble()), QDate(2005, 3, 9));
    const Calendar::DayCell cell = cellOfDay(*m_calendar, 9);
    const QPoint inside(cell.Left + 2, cell.Bottom - 2);
    QCOMPARE(days->image().pixel(inside), days->resolve(SysColor::Highlight).rgb());

    QPalette changed = m_easel->palette();
    changed.setColor(QPalette::Highlight, QColor(12, 200, 34));
    m_easel->setPalette(changed);
    days->setPalette(changed);
    QTRY_COMPARE(days->image().pixel(inside), qRgb(12, 200, 34));
}

void TestCalendar::failures()
{
    Calendar bare;
    bare.Show();
    QCOMPARE(DialogScript::last().prompt, QStringLiteral("You must set up the Easel before calling the Show method"));
    QCOMPARE(DialogScript::last().title, QStringLiteral("Calendar"));
    QCOMPARE(DialogScript::last().buttons, int(vbOKOnly | vbExclamation));
    bare.Refresh();
    bare.Hide();
    DialogScript::clearShown();

    DialogScript::answer(vbOK);
    m_easel->resize(90, 70);
    QCOMPARE(DialogScript::shown().size(), 1);
    QCOMPARE(DialogScript::last().prompt,
             QStringLiteral("The Easel's font is too large or the Easel is too small.\nThe Calendar cannot be drawn."));
    auto *days = m_easel->findChild<PictureBox *>(QStringLiteral("picCalendarDaysPrivate"));
    QCOMPARE(days->image().pixel(days->width() / 2, days->height() / 2), days->resolve(SysColor::Window).rgb());
    m_easel->resize(80, 60);                   // still too small: not told again
    QCOMPARE(DialogScript::shown().size(), 1);

    // Setting the Easel again replaces the controls instead of adding more.
    m_easel->resize(340, 280);
    m_calendar->setEasel(m_easel);
    QCOMPARE(m_easel->findChildren<QComboBox *>().size(), 1);
    delete m_calendar;
    QVERIFY(m_easel->findChildren<QWidget *>().isEmpty());
}

void TestCalendar::rowsOfMonth_data()
{
    // Cells up to the last day = weekday of the 1st (Sunday 1) + days - 1: up to 28 four
    // rows, up to 35 five, beyond six; the grid holds a header row more.
    QTest::addColumn<QDate>("date");
    QTest::addColumn<int>("cells");
    QTest::newRow("28: February 2015 from a Sunday") << QDate(2015, 2, 10) << 35;
    QTest::newRow("29: February 2004 from a Sunday") << QDate(2004, 2, 10) << 42;
    QTest::newRow("35: January 2015 from a Thursday") << QDate(2015, 1, 10) << 42;
    QTest::newRow("35: September 2023 from a Friday") << QDate(2023, 9, 10) << 42;
    QTest::newRow("36: April 2023 from a Saturday") << QDate(2023, 4, 10) << 49;
    QTest::newRow("36: March 2024 from a Friday") << QDate(2024, 3, 10) << 49;
}

void TestCalendar::rowsOfMonth()
{
    QFETCH(QDate, date);
    QFETCH(int, cells);
    m_calendar->setSelectedDate(ToOleDate(date));
    m_calendar->Refresh();
    QCOMPARE(m_calendar->dayCells().size(), cells);
}

void TestCalendar::todayMarkOnlyInTodaysMonth_data()
{
    // Today is 9 March 2005 (init).
    QTest::addColumn<QDate>("shown");
    QTest::addColumn<bool>("marked");
    QTest::newRow("today's month") << QDate(2005, 3, 1) << true;
    QTest::newRow("the month before") << QDate(2005, 2, 1) << false;
    QTest::newRow("this month a year ago") << QDate(2004, 3, 1) << false;
}

void TestCalendar::todayMarkOnlyInTodaysMonth()
{
    QFETCH(QDate, shown);
    QFETCH(bool, marked);
    m_calendar->setSelectedDate(ToOleDate(shown));
    m_calendar->Refresh();
    auto *days = m_easel->findChild<PictureBox *>(QStringLiteral("picCalendarDaysPrivate"));
    const Calendar::DayCell cell = cellOfDay(*m_calendar, 9);
    // Today's number is written in pure blue. Smoothed edges mix it with the white cell, so a
    // thin figure such as 9 may have no pixel of pure blue: a full blue with little red and
    // green is its ink, where black ink would lower all three together.
    bool blue = false;
    for (int x = cell.Left; x < cell.Right; ++x)
        for (int y = cell.Top; y < cell.Bottom; ++y) {
            const QRgb pixel = days->image().pixel(x, y);
            blue = blue || (qBlue(pixel) == 255 && qRed(pixel) < 128 && qGreen(pixel) < 128);
        }
    QCOMPARE(blue, marked);
}

void TestCalendar::dayClickAfterFailedDrawing()
{
    // 31 January 2005 drawn; the Easel shrinks below the fit and February is chosen in the
    // month box: the grid stays empty and the cells are January's. A click where 31 was
    // stands for day 31 of February 2005, which runs on to 3 March.
    auto *days = m_easel->findChild<PictureBox *>(QStringLiteral("picCalendarDaysPrivate"));
    auto *month = m_easel->findChild<QComboBox *>(QStringLiteral("cboCalendarMonthsPrivate"));
    const Calendar::DayCell last = cellOfDay(*m_calendar, 31);
    DialogScript::answer(vbOK);
    m_easel->resize(90, 70);
    QTest::keyClick(month, Qt::Key_Down);
    QCOMPARE(month->currentIndex(), 1);
    QSignalSpy picked(m_calendar, &Calendar::DateSelected);
    QTest::mouseClick(days, Qt::LeftButton, {}, centreOf(last));
    QCOMPARE(picked.count(), 1);
    QCOMPARE(FromOleDate(picked.at(0).at(0).toDouble()), QDateTime(QDate(2005, 3, 3), QTime(0, 0)));
}

QTEST_MAIN(TestCalendar)
#include "tst_calendar.moc"
