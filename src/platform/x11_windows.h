#pragma once
// The program's own connection to the X server and the window properties the desktop
// routines read (foreground window, raising a window by its title). Only there when the
// program is built with X11.
//
// Include this after every Qt header: Xlib's macros (None, Bool, Status, ...) must not
// reach them.

#ifdef QUORVANE_HAVE_X11

#include <QByteArray>
#include <QString>

#include <X11/Xlib.h>

namespace X11 {

// The connection, opened on first use and kept; null when no X server is reachable.
Display *display();

// While it lives, errors of the requests made on dpy are swallowed: a window that
// vanished between two requests must not end the program.
class ErrorGuard
{
public:
    explicit ErrorGuard(Display *dpy);
    ~ErrorGuard();
    ErrorGuard(const ErrorGuard &) = delete;
    ErrorGuard &operator=(const ErrorGuard &) = delete;

private:
    Display *m_dpy;
    int (*m_previous)(Display *, XErrorEvent *);
};

// The raw bytes of a window property of the wanted type (AnyPropertyType for any), with
// the type and format it has. False when the window has no such property or it is empty.
bool readProperty(Display *dpy, Window window, Atom property, Atom wanted, QByteArray &bytes, Atom &type,
                  int &format);

// The window's title: _NET_WM_NAME (UTF-8) when set, else WM_NAME; "" when it has none.
QString windowTitle(Display *dpy, Window window);

} // namespace X11

#endif
