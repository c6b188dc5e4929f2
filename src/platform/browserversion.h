#pragma once
// The version of the browser component the program's pages are shown in.

#include <QString>
#include <QtGlobal>

struct BrowserComponentVersion {
    quint32 major = 0;
    quint32 minor = 0;
    quint32 build = 0;
};

// The version of the web engine the program runs on.
BrowserComponentVersion BrowserVersion();

// Makes BrowserVersion() answer the given "major.minor.build" text instead (missing parts
// count 0), so that tests can check how the program treats another version. An empty
// text goes back to the real version.
void SetBrowserVersionOverride(const QString &version);
