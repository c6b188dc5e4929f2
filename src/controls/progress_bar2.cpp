#include "controls/progress_bar2.h"

#include "controls/picture_box.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

double MonotonicSeconds()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.nsecsElapsed() / 1e9;
}

// Rounds to a whole number, halves to the even neighbour. An edge far outside the picture
// (a value far outside the range) is held one pixel beyond the picture's side, which draws
// the same and keeps the number inside an int.
int RoundEven(double value, double side)
{
    return int(std::nearbyint(std::clamp(value, -1.0, side + 1)));
}

} // namespace

ClsProgressBar2::ClsProgressBar2()
    : m_clock(MonotonicSeconds)
{
}

bool ClsProgressBar2::SetPictureBox(QObject *picture)
{
    auto *box = qobject_cast<PictureBox *>(picture);
    if (!box) {
        m_lastError = QStringLiteral("Type mismatch");
        return false;
    }
    m_pictureBox = box;
    box->setBackColor(0xFFFFFF);
    return true;
}

void ClsProgressBar2::SetParamFast(double min, double max, int drawDirection, bool doEventsByChange,
                                   int captionMode)
{
    m_min = min;
    m_max = max;
    m_drawDirection = drawDirection;
    m_doEventsByChange = doEventsByChange;
    m_captionMode = captionMode;
}

void ClsProgressBar2::StartTimer()
{
    m_startTime = m_clock();
}

void ClsProgressBar2::GetRangeOffsets(double &range, double &offset) const
{
    range = m_max - m_min;
    offset = m_value - m_min;
}

QString ClsProgressBar2::CurrentTime() const
{
    return FormatDuration(qint64(std::floor(m_clock() - m_startTime)));
}

QString ClsProgressBar2::Time2End() const
{
    double range = 0;
    double offset = 0;
    GetRangeOffsets(range, offset);
    const double t1 = m_clock();
    const double t2 = m_clock();
    if (offset == 0)
        return FormatDuration(0);
    const double remaining = std::floor((range / offset) * (t1 - m_startTime) - (t2 - m_startTime));
    if (!std::isfinite(remaining) || std::fabs(remaining) > std::numeric_limits<qint32>::max())
        return FormatDuration(0);
    return FormatDuration(qint64(remaining));
}

QString ClsProgressBar2::FormatDuration(qint64 seconds)
{
    struct Unit {
        qint64 length;
        const char *name;
    };
    static const Unit units[] = {{31536000, " Year"}, {86400, " Day"}, {3600, " Hour"}, {60, " Minute"}};
    QString text;
    int count = 0;
    for (const Unit &unit : units) {
        // The day is always told once a year was; the smaller units only while fewer than two are.
        const bool allowed = unit.length >= 86400 || count < 2;
        if (seconds >= unit.length && allowed) {
            const qint64 n = seconds / unit.length;
            text += QString::number(n) + QLatin1String(unit.name) + (n > 1 ? QStringLiteral("s ") : QStringLiteral(" "));
            seconds %= unit.length;
            ++count;
        }
    }
    if (seconds >= 1 && count < 2)
        text += QString::number(seconds) + QStringLiteral(" Seconds");
    return text.trimmed();
}

bool ClsProgressBar2::ShowBar()
{
    if (!m_pictureBox) {
        m_lastError = QStringLiteral("Object variable not set");
        return false;
    }
    double range = 0;
    double offset = 0;
    GetRangeOffsets(range, offset);
    if (range == 0) {
        m_lastError = QStringLiteral("Division by zero");
        return false;
    }
    const double p = offset / range * 100;
    const double W = m_pictureBox->scaleWidth();
    const double H = m_pictureBox->scaleHeight();
    const double across = W / 100 * p;
    const double down = H / 100 * p;

    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    bool horizontal = true;
    switch (m_drawDirection) {
    case 0: x2 = RoundEven(across, W); y2 = RoundEven(H, H); break;
    case 1: x1 = RoundEven(W, W); y1 = RoundEven(H, H); x2 = RoundEven(W - across, W); break;
    case 2: x2 = RoundEven(W, W); y2 = RoundEven(down, H); horizontal = false; break;
    case 3: x1 = RoundEven(W, W); y1 = RoundEven(H, H); y2 = RoundEven(H - down, H); horizontal = false; break;
    case 4: x1 = RoundEven(W, W); y1 = RoundEven(H, H); x2 = RoundEven(across, W); break;
    case 5: x2 = RoundEven(W - across, W); y2 = RoundEven(H, H); break;
    case 6: x1 = RoundEven(W, W); y1 = RoundEven(H, H); y2 = RoundEven(down, H); horizontal = false; break;
    case 7: x2 = RoundEven(W, W); y2 = RoundEven(H - down, H); horizontal = false; break;
    default: horizontal = false; break;
    }
    bool changed = false;
    if (m_drawDirection >= 0 && m_drawDirection <= 7) {
        int &last = horizontal ? m_lastHorizontalEdge : m_lastVerticalEdge;
        const int edge = horizontal ? x2 : y2;
        if (edge != last) {
            last = edge;
            changed = true;
        }
    }
    QString caption;
    if (m_captionMode == 0)
        caption = QString::number(std::floor(p) + 0.0, 'f', 0) + QStringLiteral(" %");   // + 0.0: no "-0"
    else if (m_captionMode == 1)
        caption = m_caption;
    if ((m_captionMode == 0 || m_captionMode == 1) && caption != m_lastCaption) {
        m_lastCaption = caption;
        changed = true;
    }
    if (!changed)
        return true;

    PictureBox *box = m_pictureBox;
    box->cls();
    if (m_captionMode != 2) {
        box->setCurrentPosition(W / 2 - box->textWidth(caption) / 2.0, H / 2 - box->textHeight(caption) / 2.0);
        box->setDrawMode(PictureBox::CopyPen);
        box->print(caption);
        box->setDrawMode(PictureBox::NotXorPen);
    } else {
        box->setDrawMode(PictureBox::CopyPen);
    }
    box->fillBox(x1, y1, x2, y2, box->foreColor());
    if (m_doEventsByChange)
        QCoreApplication::processEvents();
    return true;
}
