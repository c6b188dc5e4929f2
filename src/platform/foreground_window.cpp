#include "platform/foreground_window.h"

#include <QByteArray>
#include <QGuiApplication>

#ifdef QUORVANE_HAVE_X11
#include "platform/x11_windows.h"

#include <X11/Xatom.h>
#endif

namespace {

std::function<std::optional<ForegroundWindow>()> &source()
{
    static std::function<std::optional<ForegroundWindow>()> s;
    return s;
}

#ifdef QUORVANE_HAVE_X11

std::optional<ForegroundWindow> x11ForegroundWindow()
{
    Display *dpy = X11::display();
    if (!dpy)
        return std::nullopt;
    const X11::ErrorGuard guard(dpy);
    const Atom activeAtom = XInternAtom(dpy, "_NET_ACTIVE_WINDOW", False);

    QByteArray bytes;
    Atom type = 0;
    int format = 0;
    if (!X11::readProperty(dpy, DefaultRootWindow(dpy), activeAtom, XA_WINDOW, bytes, type, format) || format != 32)
        return std::nullopt;
    const Window active = Window(*reinterpret_cast<const long *>(bytes.constData()));
    if (active == 0)
        return std::nullopt;

    ForegroundWindow result;
    result.handle = quint64(active);
    result.title = X11::windowTitle(dpy, active);
    return result;
}

#endif

} // namespace

std::optional<ForegroundWindow> GetForegroundWindow()
{
    if (source())
        return source()();
#ifdef QUORVANE_HAVE_X11
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        return x11ForegroundWindow();
#endif
    return std::nullopt;
}

void SetForegroundWindowSource(std::function<std::optional<ForegroundWindow>()> s)
{
    source() = std::move(s);
}
