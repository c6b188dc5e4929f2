#include "platform/foreground_window.h"

#include <QByteArray>
#include <QGuiApplication>

#ifdef QUORVANE_HAVE_X11
// Xlib after Qt: its macros (None, Bool, Status, ...) must not reach Qt's headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#endif

namespace {

std::function<std::optional<ForegroundWindow>()> &source()
{
    static std::function<std::optional<ForegroundWindow>()> s;
    return s;
}

#ifdef QUORVANE_HAVE_X11

// The program's own connection to the X server, opened on first use and kept.
Display *display()
{
    static Display *dpy = XOpenDisplay(nullptr);
    return dpy;
}

// A window that vanished between two requests must not end the program: errors of these
// requests are swallowed.
int ignoreXError(Display *, XErrorEvent *)
{
    return 0;
}

class XErrorGuard
{
public:
    explicit XErrorGuard(Display *dpy)
        : m_dpy(dpy)
        , m_previous(XSetErrorHandler(ignoreXError))
    {
    }
    ~XErrorGuard()
    {
        XSync(m_dpy, False);
        XSetErrorHandler(m_previous);
    }

private:
    Display *m_dpy;
    int (*m_previous)(Display *, XErrorEvent *);
};

// The raw bytes of a window property, and its type.
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

std::optional<ForegroundWindow> x11ForegroundWindow()
{
    Display *dpy = display();
    if (!dpy)
        return std::nullopt;
    XErrorGuard guard(dpy);
    const Atom activeAtom = XInternAtom(dpy, "_NET_ACTIVE_WINDOW", False);
    const Atom nameAtom = XInternAtom(dpy, "_NET_WM_NAME", False);
    const Atom utf8Atom = XInternAtom(dpy, "UTF8_STRING", False);

    QByteArray bytes;
    Atom type = 0;
    int format = 0;
    if (!readProperty(dpy, DefaultRootWindow(dpy), activeAtom, XA_WINDOW, bytes, type, format) || format != 32)
        return std::nullopt;
    const Window active = Window(*reinterpret_cast<const long *>(bytes.constData()));
    if (active == 0)
        return std::nullopt;

    ForegroundWindow result;
    result.handle = quint64(active);
    if (readProperty(dpy, active, nameAtom, utf8Atom, bytes, type, format) && format == 8) {
        result.title = QString::fromUtf8(bytes);
    } else if (readProperty(dpy, active, XA_WM_NAME, AnyPropertyType, bytes, type, format) && format == 8) {
        result.title = type == XA_STRING ? QString::fromLatin1(bytes) : QString::fromLocal8Bit(bytes);
    }
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
