#include "platform/windowactivation.h"

#include <QByteArray>
#include <QVector>

#ifdef QUORVANE_HAVE_X11
#include "platform/x11_windows.h"

#include <X11/Xatom.h>

namespace {

QVector<Window> clientWindows(Display *display, Window root)
{
    QVector<Window> windows;
    const Atom clientList = XInternAtom(display, "_NET_CLIENT_LIST", False);
    QByteArray bytes;
    Atom type = 0;
    int format = 0;
    if (X11::readProperty(display, root, clientList, XA_WINDOW, bytes, type, format) && format == 32) {
        const auto *list = reinterpret_cast<const long *>(bytes.constData());
        for (qsizetype i = 0; i < bytes.size() / qsizetype(sizeof(long)); ++i)
            windows.append(Window(list[i]));
    }
    return windows;
}

} // namespace
#endif

bool ActivateTopLevelWindowEndingWith(const QString &suffix, int maxTitleLength)
{
#ifdef QUORVANE_HAVE_X11
    Display *display = X11::display();
    if (!display)
        return false;
    const X11::ErrorGuard guard(display);
    const Window root = DefaultRootWindow(display);
    for (const Window window : clientWindows(display, root)) {
        const QString title = X11::windowTitle(display, window).left(maxTitleLength);
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
        return true;
    }
    return false;
#else
    Q_UNUSED(suffix);
    Q_UNUSED(maxTitleLength);
    return false;
#endif
}
