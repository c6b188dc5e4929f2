#pragma once
// A progress bar drawn into a picture box of the host's: a filled box growing or shrinking
// in one of eight directions, a centred caption (the percentage, a text, or none) that
// shows inverted where the bar covers it, and the time since a start mark with an
// estimate of the time still needed, in words. ShowBar redraws only when the picture
// would change.

#include <QPointer>
#include <QString>

#include <functional>

class PictureBox;
class QObject;

class ClsProgressBar2
{
public:
    ClsProgressBar2();

    PictureBox *pictureBox() const { return m_pictureBox; }
    void setPictureBoxReference(PictureBox *picture) { m_pictureBox = picture; }
    // Takes the picture box and makes it ready: pixels, a persistent picture, a white
    // background. Anything that is not a picture box is refused (answers false).
    bool SetPictureBox(QObject *picture);

    int DrawDirection() const { return m_drawDirection; }
    void setDrawDirection(int direction) { m_drawDirection = direction; }
    bool DoEventsByChange() const { return m_doEventsByChange; }
    void setDoEventsByChange(bool on) { m_doEventsByChange = on; }
    double Min() const { return m_min; }
    void setMin(double value) { m_min = value; }
    double Max() const { return m_max; }
    void setMax(double value) { m_max = value; }
    double Value() const { return m_value; }
    void setValue(double value) { m_value = value; }
    QString Caption() const { return m_caption; }
    void setCaption(const QString &caption) { m_caption = caption; }
    int CaptionMode() const { return m_captionMode; }
    void setCaptionMode(int mode) { m_captionMode = mode; }

    void SetParamFast(double min, double max, int drawDirection, bool doEventsByChange, int captionMode);
    void StartTimer();
    // The time since StartTimer, and the estimated time still needed, as words.
    QString CurrentTime() const;
    QString Time2End() const;
    // Brings the picture up to date. Answers false, drawing nothing, when no picture box
    // is set or the range is empty (Max equal to Min); lastError() then says why.
    bool ShowBar();
    QString lastError() const { return m_lastError; }

    // "1 Hour 15 Minutes": at most two units, empty for no time.
    static QString FormatDuration(qint64 seconds);

    // The clock, in seconds; monotonic, so the estimate holds across midnight. Tests put
    // their own in place.
    void setClock(std::function<double()> clock) { m_clock = std::move(clock); }

private:
    void GetRangeOffsets(double &range, double &offset) const;

    QPointer<PictureBox> m_pictureBox;
    int m_drawDirection = 0;
    bool m_doEventsByChange = false;
    double m_min = 0;
    double m_max = 0;
    double m_value = 0;
    QString m_caption;
    int m_captionMode = 0;
    double m_startTime = 0;
    QString m_lastCaption;
    int m_lastHorizontalEdge = 0;
    int m_lastVerticalEdge = 0;
    QString m_lastError;
    std::function<double()> m_clock;
};
