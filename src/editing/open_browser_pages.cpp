#include "editing/open_browser_pages.h"

#include "platform/browser_window.h"

namespace {

std::function<QList<BrowserPage>()> &source()
{
    static std::function<QList<BrowserPage>()> s;
    return s;
}

} // namespace

QList<BrowserPage> OpenBrowserPages()
{
    if (source())
        return source()();
    QList<BrowserPage> pages;
    for (const BrowserWindow *window : BrowserWindow::openWindows())
        pages.append({window->LocationName(), window->LocationURL()});
    return pages;
}

void SetOpenBrowserPagesSource(std::function<QList<BrowserPage>()> s)
{
    source() = std::move(s);
}
