#pragma once
// The browser's options kept in the settings (section "Settings" of the program's
// settings): the home page and the web-mail service, and the browser's text size.

#include <QString>
#include <QStringList>

class WebBrowser;

namespace BrowserOptions {

inline const QString Section = QStringLiteral("Settings");
inline const QString HomePageKey = QStringLiteral("homePage");
inline const QString HomePageBlankFlagKey = QStringLiteral("homePageBlankFlag");
inline const QString EmailUrlKey = QStringLiteral("EmailURL");

// The program's web site, its promotions page and the home page offered when none is set.
inline const QString ProgramWebSite = QStringLiteral("http://www.quorvane.net");
inline const QString PromotionsPage = ProgramWebSite + QStringLiteral("/promotions/index.html");
inline const QString DefaultHomePage = ProgramWebSite + QStringLiteral("/");

// The web-mail services in the order they are offered; the fallback is "MSN Hotmail".
struct MailService {
    QString name;
    QString address;
};
const QList<MailService> &MailServices();
constexpr int FallbackMailService = 3;

QString HomePage();                        // "" when none is set
void SaveHomePage(const QString &address); // also sets homePageBlankFlag to "True"
QString EmailUrl();                        // "" when none is set
void SaveEmailUrl(const QString &address);
// The address the web-mail command opens: the stored one, or the fallback service's.
QString MailAddressToOpen();

// Text size of a browser, a level from 0 (smallest) to 4 (largest); 2 is normal.
constexpr int MinTextSize = 0;
constexpr int MaxTextSize = 4;
int TextSize(const WebBrowser *browser);
void SetTextSize(WebBrowser *browser, int level);

} // namespace BrowserOptions
