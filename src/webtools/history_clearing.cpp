#include "webtools/history_clearing.h"

#include "platform/browser_window.h"
#include "platform/registry.h"
#include "platform/url_history.h"
#include "platform/webbrowser.h"

#include <QWebEngineHistory>
#include <QWebEngineProfile>

bool ClearUrlHistory(WebBrowser *browser)
{
    if (!UrlHistory::clear())
        return false;
    QWebEngineProfile::defaultProfile()->clearAllVisitedLinks();
    if (browser)
        browser->history()->clear();
    for (BrowserWindow *window : BrowserWindow::openWindows())
        window->browser()->history()->clear();
    return true;
}

bool DeleteRegKey(quint32 root, const QString &path)
{
    const long result = Registry::deleteTree(RegKey(root), path);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

bool CreateRegKey(quint32 root, const QString &path, bool *existed)
{
    RegKey key;
    return Registry::createKey(RegKey(root), path, &key, existed) == ERROR_SUCCESS;
}

bool DeleteTypedUrls()
{
    if (!DeleteRegKey(HKEY_CURRENT_USER, TypedUrlsKey))
        return false;
    return CreateRegKey(HKEY_CURRENT_USER, TypedUrlsKey);
}
