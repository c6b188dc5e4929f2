#include "platform/x11_windows.h"

#ifdef QUORVANE_HAVE_X11

#include <X11/Xatom.h>

namespace X11 {

namespace {

int ignoreError(Display *, XErrorEvent *)
{
    return 0;
}

} // namespace

Display *display()
{
    static Display *dpy = XOpenDisplay(nullptr);
    return dpy;
}

ErrorGuard::ErrorGuard(Display *dpy)
    : m_dpy(dpy)
    , m_previous(XSetErrorHandler(ignoreError))
{
}

ErrorGuard::~ErrorGuard()
{
    XSync(m_dpy, False);
    XSetErrorHandler(m_previous);
}

bool readProperty(Display *dpy, Window window, Atom property, Atom wanted, QByteArray &bytes, Atom &type,
                  int &format)
{
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char *data = nullptr;
    if (XGetWindowProperty(dpy, window, property, 0, 65536, False, wanted, &type, &format, &count, &after,
                           &data) != Success) {
        return false;
    }
    if (!data)
        return false;
    const int unit = format == 32 ? int(sizeof(long)) : format / 8;
    bytes = QByteArray(reinterpret_cast<const char *>(data), int(count) * unit);
    XFree(data);
    return type != 0 && count > 0;
}

QString windowTitle(Display *dpy, Window window)
{
    const Atom nameAtom = XInternAtom(dpy, "_NET_WM_NAME", False);
    const Atom utf8Atom = XInternAtom(dpy, "UTF8_STRING", False);
    QByteArray bytes;
    Atom type = 0;
    int format = 0;
    if (readProperty(dpy, window, nameAtom, utf8Atom, bytes, type, format) && format == 8)
        return QString::fromUtf8(bytes);
    if (readProperty(dpy, window, XA_WM_NAME, AnyPropertyType, bytes, type, format) && format == 8)
        return type == XA_STRING ? QString::fromLatin1(bytes) : QString::fromLocal8Bit(bytes);
    return QString();
}

} // namespace X11

#endif
