#pragma once
// Small services of the windows: restoring a window's stored placement, remembering the
// last foreground browser windows, type-ahead completion in a combo box (combo_type_ahead.h)
// and the icon and type name of a file.

#include "shared/combo_type_ahead.h"

#include <QIcon>
#include <QString>

class QWidget;

// ---- Window placement ---------------------------------------------------------------------
// Settings of application "QuorvaneDesktop", section "<objectName>_Settings", keys
// "FormLeft", "FormTop", "FormWidth", "FormHeight" (numbers as text, twips, outer frame) and
// "WasMaximized" ("True" exactly to open maximised). Read here, never written.
//
// A missing key leaves that coordinate as it is; so does a value that is not a number.
// A window that cannot be resized (fixed size) is only moved.
void LoadFormSettings(QWidget *window);
// True unless the window has a fixed size.
bool IsSizableWindow(const QWidget *window);

// ---- Foreground browser windows -----------------------------------------------------------
// TrackedWindows (globals.h) holds six texts: 0, 1, 2 the titles of the latest, previous
// and the one before that foreground browser window; 3, 4, 5 the same windows' handles as
// decimal text. These routines keep it six long.

// Looks at the foreground window; when it is a browser window other than the latest one
// recorded, shifts the history, records it in front and answers true.
bool TrackForegroundWindow();
// 1 -> 2 and 4 -> 5, then 0 -> 1 and 3 -> 4 (0 and 3 keep their values).
void ShiftWindowHistory();
// True when the title contains "Netscape", "Internet Explorer" or "Browser" (case-sensitive).
bool IsBrowserTitle(const QString &title);

// ---- File icon and type name --------------------------------------------------------------
// The desktop's icon for a file: 32 pixels when size is 2, else 16. A null icon when the
// file does not exist or the desktop has none.
QIcon GetFileIcon(const QString &path, int size);
// The desktop's name for the file's type (e.g. "plain text document"), at most 80
// characters; "" when the file does not exist.
QString GetFileTypeName(const QString &path);
