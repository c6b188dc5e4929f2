#pragma once
// Proportional re-layout of a window: when the window is resized, every control on it is
// moved and sized in proportion to the window's inner size, measured against the geometry
// the window and its controls had the first time the re-layout ran for that window.
//
// In Qt terms:
//  - the window is a top-level QWidget identified by its objectName() (e.g. "Form1");
//  - its inner size is the size of its central widget when it is a QMainWindow, else its
//    own size (see InnerWidthTwips / InnerHeightTwips);
//  - its controls are the direct child widgets of that container, in creation order
//    (windows of their own are left out); each is identified by its objectName() plus an
//    optional int dynamic property "index" (its index in a control array, 0 when none);
//  - a control opts out with a QString dynamic property "Tag" that begins with "Resize=N";
//  - a control is parked out of sight by moving it ParkOffset twips to the left; a parked
//    control keeps its proportional place and stays parked;
//  - combo boxes keep their own height (only their position and width change).
// Controls must be placed absolutely (no Qt layout on the container).

#include <QString>
#include <QVector>

class QWidget;

constexpr qint32 ParkOffset = 75000;   // twips a parked control is moved to the left

// One record of the geometry tables (positions and sizes in twips).
struct LayoutRecord {
    QString name;            // form or control name
    qint32 index = 0;        // control-array index (controls only)
    QString formName;        // owning form (controls only)
    qint32 top = 0;
    qint32 left = 0;         // always unparked
    qint32 height = 0;
    qint32 width = 0;
    qint32 scaleHeight = 0;  // inner height (forms only)
    qint32 scaleWidth = 0;   // inner width (forms only)
};

// A control's place in twips.
struct ControlGeometry {
    qint32 left = 0;
    qint32 top = 0;
    qint32 width = 0;
    qint32 height = 0;
    bool operator==(const ControlGeometry &) const = default;
};

// ---- Pure geometry (twips) -------------------------------------------------------------

// A value unchanged when 0 or more; ParkOffset added when negative.
qint32 UnwrapOffscreenPos(qint32 value);
// The whole percentage of the inner size against the recorded one:
// round(inner * 100) integer-divided by recorded. 0 when nothing was recorded.
qint32 ScaleRatio(double innerTwips, qint32 recordedTwips);
// (recorded * ratio) integer-divided by 100.
qint32 ScaleByRatio(qint32 recorded, qint32 ratio);
// True when a control with this tag is never re-laid out (the tag begins with "Resize=N").
bool OptsOutOfRelayout(const QString &tag);
// The new place of a control from its record and the two ratios; parkedNow re-parks it.
ControlGeometry ScaledGeometry(const LayoutRecord &record, qint32 ratioX, qint32 ratioY,
                               bool parkedNow);

// ---- The process-wide tables and the re-layout ------------------------------------------

// The window's inner size in twips (central widget of a QMainWindow, else the widget).
double InnerWidthTwips(const QWidget *window);
double InnerHeightTwips(const QWidget *window);
// The widget that holds a window's controls (central widget of a QMainWindow, else itself).
QWidget *ControlContainer(QWidget *window);

// Re-lays out every control of the window. The first call for a window records the geometry
// of the window and of all its controls and leaves everything in place. Calls made while a
// re-layout runs, calls for a window whose top is 30000 twips or more, and calls while the
// window's inner width or height is 0 are ignored.
void ResizeForm(QWidget *window);

// First form record with the window's name, or -1.
qint32 FindFormIndex(const QWidget *window);
// Appends the window's record and a record for each control that has none yet; answers the
// index of the new form record. Does nothing and answers -1 while the inner size is 0.
qint32 RegisterForm(QWidget *window);
// First control record with that form name and control name whose index matches, or -1.
qint32 FindControlIndex(const QWidget *control, const QString &formName);
// Appends the control's record.
void AddControlRecord(const QWidget *control, const QString &formName);
// Whole percentages of the window's inner width / height against its record; register the
// window first when it has none. 0 when no record can be made.
qint32 ScaleRatioX(QWidget *window);
qint32 ScaleRatioY(QWidget *window);
// Places one control. A control without a record (made after the window was registered)
// stays where it is.
void ResizeControl(QWidget *control, QWidget *window);

// Read access to the tables (records are only ever appended).
const QVector<LayoutRecord> &FormRecords();
const QVector<LayoutRecord> &ControlRecords();
qint32 FormRecordCount();
qint32 ControlRecordCount();
