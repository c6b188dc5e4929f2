#pragma once
// The desktop's foreground (active) top-level window, of any program.
//
// Known only under an X11 server (the _NET_ACTIVE_WINDOW of the root window and the
// window's _NET_WM_NAME, or WM_NAME); elsewhere (Wayland, offscreen) there is none.

#include <QString>
#include <functional>
#include <optional>

struct ForegroundWindow {
    quint64 handle = 0;   // the window's id
    QString title;
};

// The foreground window, or nothing when it cannot be known.
std::optional<ForegroundWindow> GetForegroundWindow();

// Test seam: while a source is set, GetForegroundWindow answers what it answers.
// Pass an empty function to go back to the desktop.
void SetForegroundWindowSource(std::function<std::optional<ForegroundWindow>()> source);
