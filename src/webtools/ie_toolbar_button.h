#pragma once
// The program's button on the browser's toolbar (with an entry on its Tools menu): a key of
// the browser's extension registry under HKEY_LOCAL_MACHINE holding the button's text,
// icons and the program to run, and the two icon files in the program folder. The two
// menu items that add and remove it show whether it is there.

#include <QImage>
#include <QString>

class QAction;

// ---- Registry primitives ---------------------------------------------------------------------
// The path without one "\" at its start and one at its end.
QString TrimBackslashes(const QString &path);
// A text value (valueName "" or "*": the key's default value), or fallback when the key or
// value is missing or the value holds no data.
QString RegGetValue(quint32 hive, const QString &key, const QString &valueName, const QString &fallback);
// Writes a text value, creating the key when missing; false when that failed.
bool RegSetValue(quint32 hive, const QString &key, const QString &valueName, const QString &data);
// valueName not empty: deletes that value ("*": the default value), the key stays.
// valueName empty: deletes the key (not when it has subkeys). True when deleted.
bool RegDeleteEntry(quint32 hive, const QString &key, const QString &valueName);

// ---- The toolbar button ------------------------------------------------------------------------
namespace IeToolbarButton {

inline const QString ButtonKey =
    QStringLiteral("Software\\Microsoft\\Internet Explorer\\Extensions\\{5B3D9E21-7C4A-4F08-A1E6-92D07B5C3F18}");
inline const QString ButtonClsid = QStringLiteral("{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}");
inline const QString BrowserAppPathKey =
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE");

// The two items: add (mnuAddMSIE) and remove (mnuDeleteMSIE).
struct MenuItems {
    QAction *add = nullptr;
    QAction *remove = nullptr;
};

// The button's pictures: 1 the hot picture, 2 the normal one (24 by 24 pixels).
QImage ButtonPicture(int number);

// Shows the items as the machine stands: both hidden when the registry names no browser
// program file that exists or the browser component is older than version 5; otherwise
// add enabled and remove disabled, or the reverse when the button is installed.
void CheckIEButtonState(const MenuItems &items);
// Writes the icon files and the button's key. Only when all of it was written are the
// items switched and true answered; otherwise what was written is taken away again.
bool AddIEButton(const MenuItems &items);
// Deletes the button's key and the icon files (a missing icon is no failure). The items
// are switched and true answered only when the key is gone.
bool RemoveIEButton(const MenuItems &items);

} // namespace IeToolbarButton
