#include "webtools/browser_options.h"

#include "platform/settings.h"
#include "platform/webbrowser.h"

#include <array>
#include <cmath>

namespace BrowserOptions {

namespace {

// The page's zoom at each text size level.
constexpr std::array<double, MaxTextSize + 1> kZoom = {0.8, 0.9, 1.0, 1.2, 1.4};

} // namespace

const QList<MailService> &MailServices()
{
    static const QList<MailService> services = {
        {QStringLiteral("AOL Mail"), QStringLiteral("https://mail.aol.com/")},
        {QStringLiteral("Excite Mail"), QStringLiteral("https://mail.excite.com/")},
        {QStringLiteral("Lycos Mail"), QStringLiteral("https://mail.lycos.com/")},
        {QStringLiteral("MSN Hotmail"), QStringLiteral("https://www.hotmail.com/")},
        {QStringLiteral("Yahoo! Mail"), QStringLiteral("https://mail.yahoo.com/")},
    };
    return services;
}

QString HomePage()
{
    return GetSetting(AppTitle, Section, HomePageKey);
}

void SaveHomePage(const QString &address)
{
    SaveSetting(AppTitle, Section, HomePageKey, address);
    SaveSetting(AppTitle, Section, HomePageBlankFlagKey, QStringLiteral("True"));
}

QString EmailUrl()
{
    return GetSetting(AppTitle, Section, EmailUrlKey);
}

void SaveEmailUrl(const QString &address)
{
    SaveSetting(AppTitle, Section, EmailUrlKey, address);
}

QString MailAddressToOpen()
{
    const QString stored = EmailUrl();
    return stored.isEmpty() ? MailServices().at(FallbackMailService).address : stored;
}

int TextSize(const WebBrowser *browser)
{
    int nearest = 2;
    for (int level = MinTextSize; level <= MaxTextSize; ++level)
        if (std::abs(browser->zoomFactor() - kZoom[level]) < std::abs(browser->zoomFactor() - kZoom[nearest]))
            nearest = level;
    return nearest;
}

void SetTextSize(WebBrowser *browser, int level)
{
    browser->setZoomFactor(kZoom[qBound(MinTextSize, level, MaxTextSize)]);
}

} // namespace BrowserOptions
