#pragma once
// A month calendar drawn on a picture box of the host's, the Easel. Setting the Easel adds
// the calendar's own controls to it (the day grid, the "&Today" button, the month box, the
// locked year box and a colour watch), lays them out along a raised band and draws the
// month: a header of day names and four to six rows of sunken day cells, weeks starting on
// Sunday, the selected day highlighted and today's number in blue. The user picks a day by
// clicking it or pressing Today (DateSelected tells the host), changes the month through
// the month box, and the year with a two-button spinner that runs while a key or mouse
// button is held.

#include "controls/picture_box.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QTimer>

class QComboBox;
class QLineEdit;
class QPushButton;

class Calendar : public QObject
{
    Q_OBJECT
public:
    // A cell of the grid as last drawn; Right and Bottom are its last pixels.
    struct DayCell {
        int Left = 0, Top = 0, Right = 0, Bottom = 0, Width = 0, Height = 0;
        QString Text;
    };
    struct SpinArea {
        int Left = 0, Top = 0, Right = 0, Bottom = 0;
    };

    explicit Calendar(QObject *parent = nullptr);
    ~Calendar() override;

    PictureBox *Easel() const { return m_picEasel; }
    // Builds the calendar in easel (a picture box on a form) and draws it. Setting another
    // Easel first removes the calendar's controls from the one before.
    void setEasel(PictureBox *easel);

    // The selected date as a day count since 30 December 1899 (0: not set yet).
    double SelectedDate() const { return m_selectedDate; }
    // Stores the date only; it shows at the next drawing.
    void setSelectedDate(double date) { m_selectedDate = date; }

    void Show();
    void Refresh();
    void Hide();

    // The moment every calendar takes as now, for today's mark, the Today button and a date
    // not set yet: the system clock's, unless a fixed moment is set (an invalid one goes back
    // to the clock).
    static QDateTime now();
    static void setNow(const QDateTime &moment);

    // What the last drawing left, for hosts and tests that look at the calendar.
    const QList<DayCell> &dayCells() const { return m_dayCells; }
    SpinArea spinRect() const { return m_spinRect; }
    bool selectionHidden() const { return m_selectionHidden; }
    bool spinning() const { return m_spinning; }
    int spinDirection() const { return m_spinDirection; }

signals:
    void DateSelected(double date);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void removeControls();
    void placeDays();
    void DrawCalendar();
    bool drawGrid();
    void DrawDayCell(PictureBox *surface, int x1, int y1, int x2, int y2, const QString &text,
                     VbColor backColor, VbColor foreColor, bool raised, bool centred);
    void DrawSpinButtons();
    void layoutBand();

    // The user's side.
    bool startSpin(int direction);
    void spinStep();
    void endSpin();
    void dayClicked(int x, int y);
    void todayClicked();
    void monthChosen(int index);
    bool monthKey(int keyCode);
    void yearChanged(const QString &text);
    void watchColours();
    void readSysColors();
    int spinDirectionAt(double y) const;

    QPointer<PictureBox> m_picEasel;
    QPointer<PictureBox> m_picDays;
    QPointer<QComboBox> m_cboMonth;
    QPointer<QLineEdit> m_txtYear;
    QPointer<QPushButton> m_cmdToday;
    QPointer<QTimer> m_tmrRefresh;

    bool m_selectionHidden = false;
    bool m_busy = false;
    bool m_spinning = false;
    bool m_tooSmallShown = false;
    int m_firstWeekday = 1;
    int m_spinDirection = 0;
    double m_selectedDate = 0;
    SpinArea m_spinRect;
    QList<DayCell> m_dayCells;
    struct SysColorEntry {
        int Index = 0;
        VbColor Value = 0;
    };
    QList<SysColorEntry> m_sysColors;

    QTimer m_spinTimer;
    int m_spinPause = 200;
};
