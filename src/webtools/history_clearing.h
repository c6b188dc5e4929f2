#pragma once
// Clearing what the browsers keep about the user's browsing: the URL history of the
// program's browsers, and the typed addresses (the registry key TypedURLs).

#include <QString>
#include <QtGlobal>

class WebBrowser;

// The typed addresses' key below HKEY_CURRENT_USER.
inline const QString TypedUrlsKey = QStringLiteral("Software\\Microsoft\\Internet Explorer\\TypedURLs");

// Clears the URL history: the history store (and with it the history index file), the
// visited-link marks of the web engine and the back and forward lists of browser (when
// given) and of every open browser window. False, with nothing cleared, when the history
// store could not be written.
bool ClearUrlHistory(WebBrowser *browser);

// Deletes root\path with everything below it; a missing key counts as deleted. False when
// the registry could not be written.
bool DeleteRegKey(quint32 root, const QString &path);
// Creates root\path (every missing level). False when it could not be created
// ("Unable to create the registry key"); existed tells whether it was there already.
bool CreateRegKey(quint32 root, const QString &path, bool *existed = nullptr);
inline const QString CreateRegKeyError = QStringLiteral("Unable to create the registry key");

// Deletes the typed addresses' key with its values and creates it again, empty. False
// when that failed (the key may then be missing).
bool DeleteTypedUrls();
