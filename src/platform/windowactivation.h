#pragma once
// Raising another program's top-level window by its title (X11 only).

#include <QString>

// Walks the top-level windows of the X11 display in the window manager's client order,
// reads each title (cut to maxTitleLength characters) and asks the window manager to
// activate the first one whose title ends with suffix (letter case significant).
// Answers true when such a window was found. Without an X11 display (Wayland without
// X11, or no display at all) nothing can be found and the answer is false.
bool ActivateTopLevelWindowEndingWith(const QString &suffix, int maxTitleLength);
