#include "shared/form_relayout.h"

#include "shared/twips.h"

#include <QComboBox>
#include <QMainWindow>
#include <QVariant>
#include <QWidget>
#include <cmath>

namespace {

QVector<LayoutRecord> g_formRecords;
QVector<LayoutRecord> g_controlRecords;
bool g_busy = false;

constexpr qint32 OffscreenTopTwips = 30000;

// A name for every window and control; an unnamed one is told apart by its address.
QString nameOf(const QObject *object)
{
    const QString name = object->objectName();
    if (!name.isEmpty())
        return name;
    return QStringLiteral("@%1").arg(quintptr(object), 0, 16);
}

qint32 arrayIndexOf(const QWidget *control)
{
    return control->property("index").toInt();
}

bool inControlArray(const QWidget *control)
{
    return control->property("index").isValid();
}

qint32 toTwips(int px)
{
    return qint32(pxToTwips(px));
}

// The controls of a window, in creation order.
QList<QWidget *> controlsOf(QWidget *window)
{
    QList<QWidget *> controls;
    QWidget *container = ControlContainer(window);
    if (!container)
        return controls;
    for (QObject *child : container->children()) {
        auto *w = qobject_cast<QWidget *>(child);
        if (w && !w->isWindow())
            controls.append(w);
    }
    return controls;
}

bool hasUsableInnerSize(const QWidget *window)
{
    return InnerWidthTwips(window) >= 1.0 && InnerHeightTwips(window) >= 1.0;
}

} // namespace

qint32 UnwrapOffscreenPos(qint32 value)
{
    return value >= 0 ? value : value + ParkOffset;
}

qint32 ScaleRatio(double innerTwips, qint32 recordedTwips)
{
    if (recordedTwips == 0)
        return 0;
    const qint64 scaled = std::llround(innerTwips * 100.0);
    return qint32(scaled / recordedTwips);
}

qint32 ScaleByRatio(qint32 recorded, qint32 ratio)
{
    return qint32(qint64(recorded) * ratio / 100);
}

bool OptsOutOfRelayout(const QString &tag)
{
    return tag.startsWith(QLatin1String("Resize=N"));
}

ControlGeometry ScaledGeometry(const LayoutRecord &record, qint32 ratioX, qint32 ratioY, bool parkedNow)
{
    ControlGeometry g;
    g.left = ScaleByRatio(record.left, ratioX);
    if (parkedNow)
        g.left -= ParkOffset;
    g.top = ScaleByRatio(record.top, ratioY);
    g.width = ScaleByRatio(record.width, ratioX);
    g.height = ScaleByRatio(record.height, ratioY);
    return g;
}

QWidget *ControlContainer(QWidget *window)
{
    if (auto *main = qobject_cast<QMainWindow *>(window)) {
        if (main->centralWidget())
            return main->centralWidget();
    }
    return window;
}

double InnerWidthTwips(const QWidget *window)
{
    const QWidget *container = ControlContainer(const_cast<QWidget *>(window));
    return container ? pxToTwips(container->width()) : 0.0;
}

double InnerHeightTwips(const QWidget *window)
{
    const QWidget *container = ControlContainer(const_cast<QWidget *>(window));
    return container ? pxToTwips(container->height()) : 0.0;
}

qint32 FindFormIndex(const QWidget *window)
{
    const QString name = nameOf(window);
    for (qint32 i = 0; i < g_formRecords.size(); ++i) {
        if (g_formRecords[i].name == name)
            return i;
    }
    return -1;
}

qint32 FindControlIndex(const QWidget *control, const QString &formName)
{
    const QString name = nameOf(control);
    const bool inArray = inControlArray(control);
    const qint32 index = arrayIndexOf(control);
    for (qint32 i = 0; i < g_controlRecords.size(); ++i) {
        const LayoutRecord &r = g_controlRecords[i];
        if (r.formName != formName || r.name != name)
            continue;
        if (!inArray || r.index == index)
            return i;
    }
    return -1;
}

void AddControlRecord(const QWidget *control, const QString &formName)
{
    LayoutRecord r;
    r.name = nameOf(control);
    r.index = arrayIndexOf(control);
    r.formName = formName;
    r.top = toTwips(control->y());
    r.left = UnwrapOffscreenPos(toTwips(control->x()));
    r.height = toTwips(control->height());
    r.width = toTwips(control->width());
    g_controlRecords.append(r);
}

qint32 RegisterForm(QWidget *window)
{
    if (!window || !hasUsableInnerSize(window))
        return -1;
    LayoutRecord r;
    r.name = nameOf(window);
    const QRect frame = window->frameGeometry();
    r.top = toTwips(window->pos().y());
    r.left = toTwips(window->pos().x());
    r.height = toTwips(frame.height());
    r.width = toTwips(frame.width());
    r.scaleHeight = qint32(std::lround(InnerHeightTwips(window)));
    r.scaleWidth = qint32(std::lround(InnerWidthTwips(window)));
    g_formRecords.append(r);
    const qint32 formIndex = g_formRecords.size() - 1;
    for (QWidget *control : controlsOf(window)) {
        if (FindControlIndex(control, r.name) < 0)
            AddControlRecord(control, r.name);
    }
    return formIndex;
}

namespace {

// The record of a window, made now when it has none yet; null when none can be made.
const LayoutRecord *formRecordOf(QWidget *window)
{
    qint32 i = FindFormIndex(window);
    if (i < 0)
        i = RegisterForm(window);
    return i < 0 ? nullptr : &g_formRecords[i];
}

} // namespace

qint32 ScaleRatioX(QWidget *window)
{
    const LayoutRecord *record = formRecordOf(window);
    return record ? ScaleRatio(InnerWidthTwips(window), record->scaleWidth) : 0;
}

qint32 ScaleRatioY(QWidget *window)
{
    const LayoutRecord *record = formRecordOf(window);
    return record ? ScaleRatio(InnerHeightTwips(window), record->scaleHeight) : 0;
}

void ResizeControl(QWidget *control, QWidget *window)
{
    if (!control || !window)
        return;
    if (OptsOutOfRelayout(control->property("Tag").toString()))
        return;
    const qint32 ry = ScaleRatioY(window);
    const qint32 rx = ScaleRatioX(window);
    if (FindFormIndex(window) < 0)
        return;
    const qint32 r = FindControlIndex(control, nameOf(window));
    if (r < 0)
        return;   // made after the window was registered: it stays where it is
    const ControlGeometry g = ScaledGeometry(g_controlRecords[r], rx, ry, control->x() < 0);
    const int width = qMax(0, twipsToPx(g.width));
    // A combo box keeps the height its font gives it.
    const int height = qobject_cast<QComboBox *>(control) ? control->height() : qMax(0, twipsToPx(g.height));
    control->setGeometry(twipsToPx(g.left), twipsToPx(g.top), width, height);
}

void ResizeForm(QWidget *window)
{
    if (!window || g_busy)
        return;
    g_busy = true;
    if (window->pos().y() * TwipsPerPixel < OffscreenTopTwips && hasUsableInnerSize(window)) {
        for (QWidget *control : controlsOf(window))
            ResizeControl(control, window);
    }
    g_busy = false;
}

const QVector<LayoutRecord> &FormRecords()
{
    return g_formRecords;
}

const QVector<LayoutRecord> &ControlRecords()
{
    return g_controlRecords;
}

qint32 FormRecordCount()
{
    return g_formRecords.size();
}

qint32 ControlRecordCount()
{
    return g_controlRecords.size();
}
