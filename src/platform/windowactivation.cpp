#include "platform/windowactivation.h"

#include <QByteArray>
#include <QVector>

#ifdef QUORVANE_HAVE_X11
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#endif

#ifdef QUORVANE_HAVE_X11
namespace {

// The window's title: _NET_WM_NAME (UTF-8) when set, else WM_NAME.
QString windowTitle(Display *display, Window window, Atom netWmName, Atom utf8String)
{
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char *data = nullptr;
    QString title;
    if (XGetWindowProperty(display, window, netWmName, 0, 1024, False, utf8String, &type, &format, &count,
                           &remaining, &data) == Success
        && data && format == 8 && count > 0)
        title = QString::fromUtf8(reinterpret_cast<const char *>(data), int(count));
    if (data)
        XFree(data);
    if (!title.isEmpty())
        return title;

    char *name = nullptr;
    if (XFetchName(display, window, &name) && name) {
        title = QString::fromLocal8Bit(name);
        XFree(name);
    }
    return title;
}

QVector<Window> clientWindows(Display *display, Window root)
{
    QVector<Window> windows;
    const Atom clientList = XInternAtom(display, "_NET_CLIENT_LIST", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char *data = nullptr;
    if (XGetWindowProperty(display, root, clientList, 0, 65536, False, XA_WINDOW, &type, &format, &count,
                           &remaining, &data) == Success
        && data && format == 32) {
        const auto *list = reinterpret_cast<const Window *>(data);
        for (unsigned long i = 0; i < count; ++i)
            windows.append(list[i]);
    }
    if (data)
        XFree(data);
    return windows;
}

} // namespace
#endif

bool ActivateTopLevelWindowEndingWith(const QString &suffix, int maxTitleLength)
{
#ifdef QUORVANE_HAVE_X11
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    const Window root = DefaultRootWindow(display);
    const Atom netWmName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8String = XInternAtom(display, "UTF8_STRING", False);
    bool found = false;
    for (const Window window : clientWindows(display, root)) {
        const QString title = windowTitle(display, window, netWmName, utf8String).left(maxTitleLength);
        if (!title.endsWith(suffix, Qt::CaseSensitive))
            continue;
        XEvent event = {};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = 2; // a request on the user's behalf
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
        XMapRaised(display, window);
        XFlush(display);
        found = true;
        break;
    }
    XCloseDisplay(display);
    return found;
#else
    Q_UNUSED(suffix);
    Q_UNUSED(maxTitleLength);
    return false;
#endif
}
