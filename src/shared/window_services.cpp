#include "shared/window_services.h"

#include "platform/foreground_window.h"
#include "platform/settings.h"
#include "shared/globals.h"
#include "shared/twips.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QWidget>

namespace {

constexpr int TrackedSlots = 6;
constexpr int TypeNameField = 80;

// A stored coordinate in twips; the current value when the key is missing or not a number.
double storedTwips(const QString &section, const QString &key, double current)
{
    const QString text = GetSetting(AppTitle, section, key, QString());
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok ? value : current;
}

void ensureTrackedSlots()
{
    while (TrackedWindows.size() < TrackedSlots)
        TrackedWindows.append(QString());
}

} // namespace

bool IsSizableWindow(const QWidget *window)
{
    if (window->windowFlags() & Qt::MSWindowsFixedSizeDialogHint)
        return false;
    return window->minimumSize() != window->maximumSize();
}

void LoadFormSettings(QWidget *window)
{
    if (!window)
        return;
    const QString section = window->objectName() + QStringLiteral("_Settings");
    const QRect frame = window->frameGeometry();
    const double left = storedTwips(section, QStringLiteral("FormLeft"), pxToTwips(frame.x()));
    const double top = storedTwips(section, QStringLiteral("FormTop"), pxToTwips(frame.y()));
    if (!IsSizableWindow(window)) {
        window->move(twipsToPx(left), twipsToPx(top));
    } else {
        const double width = storedTwips(section, QStringLiteral("FormWidth"), pxToTwips(frame.width()));
        const double height = storedTwips(section, QStringLiteral("FormHeight"), pxToTwips(frame.height()));
        // The stored size is the outer size, frame included.
        const int frameWidth = frame.width() - window->width();
        const int frameHeight = frame.height() - window->height();
        window->move(twipsToPx(left), twipsToPx(top));
        window->resize(qMax(1, twipsToPx(width) - frameWidth), qMax(1, twipsToPx(height) - frameHeight));
    }
    if (GetSetting(AppTitle, section, QStringLiteral("WasMaximized"), QStringLiteral("False"))
        == QLatin1String("True")) {
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
    }
}

bool IsBrowserTitle(const QString &title)
{
    return title.contains(QLatin1String("Netscape")) || title.contains(QLatin1String("Internet Explorer"))
        || title.contains(QLatin1String("Browser"));
}

void ShiftWindowHistory()
{
    ensureTrackedSlots();
    TrackedWindows[2] = TrackedWindows[1];
    TrackedWindows[5] = TrackedWindows[4];
    TrackedWindows[1] = TrackedWindows[0];
    TrackedWindows[4] = TrackedWindows[3];
}

bool TrackForegroundWindow()
{
    ensureTrackedSlots();
    const std::optional<ForegroundWindow> window = GetForegroundWindow();
    if (!window)
        return false;
    const QString handle = QString::number(window->handle);
    if (IsBrowserTitle(window->title) && TrackedWindows[3] != handle) {
        ShiftWindowHistory();
        TrackedWindows[0] = window->title;
        TrackedWindows[3] = handle;
        return true;
    }
    return false;
}

QIcon GetFileIcon(const QString &path, int size)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return QIcon();
    const QIcon icon = QFileIconProvider().icon(info);
    if (icon.isNull())
        return QIcon();
    const int px = size == 2 ? 32 : 16;
    const QPixmap pixmap = icon.pixmap(px, px);
    if (pixmap.isNull())
        return QIcon();
    return QIcon(pixmap);
}

QString GetFileTypeName(const QString &path)
{
    if (path.isEmpty() || !QFileInfo::exists(path))
        return QString();
    return QMimeDatabase().mimeTypeForFile(path).comment().left(TypeNameField);
}
