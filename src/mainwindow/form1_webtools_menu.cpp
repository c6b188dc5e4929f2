// The main window's web tools of the edition: the edition search, the link check of the
// shown Sub-Topic, and the stored web-account logins with their filling into the page.

#include "mainwindow/form1.h"

#include "mainwindow/form1_webtools_host.h"
#include "platform/dialogs.h"
#include "platform/programfolder.h"
#include "platform/webbrowser.h"
#include "shared/database.h"
#include "shared/globals.h"
#include "webtools/form10_accounts.h"
#include "webtools/form16_edition_search.h"
#include "webtools/form18_link_checker.h"
#include "webtools/page_inputs.h"
#include "webtools/stored_accounts.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <functional>

namespace {

// How long the filling of an account waits for its page.
constexpr int kAccountPageTimeoutMs = 60000;
// Counts the account pages opened: a wait for an earlier one gives up.
int g_accountPageSerial = 0;

// Handles events until done answers true (true), or the time is up, guard is gone or the
// program ends (false).
bool waitUntil(const std::function<bool()> &done, int timeoutMs, const QPointer<QObject> &guard)
{
    QElapsedTimer clock;
    clock.start();
    while (guard && !done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QEventLoop pause;
        QTimer::singleShot(20, &pause, &QEventLoop::quit);
        if (pause.exec() != 0)
            return false;   // the program is ending
    }
    return guard && done();
}

// True when the page shown is the account's page: its address begins with the stored one
// (as stored, or in the form the browser shows addresses).
bool isAccountPage(const QString &location, const QString &stored)
{
    if (stored.isEmpty())
        return false;
    if (location.startsWith(stored))
        return true;
    const QUrl url = QUrl::fromUserInput(stored);
    return url.isValid() && location.startsWith(url.adjusted(QUrl::StripTrailingSlash).toString());
}

// True when the page shown is a file of the program folder (a Sub-Topic's page, the
// help): such a page is made by the program and is not a web account's page.
bool isProgramPage(const QString &location)
{
    const QUrl url(location);
    if (!url.isLocalFile())
        return false;
    const QString folder = QFileInfo(ProgramFolder()).canonicalFilePath();
    const QString page = QFileInfo(url.toLocalFile()).canonicalFilePath();
    return !folder.isEmpty() && page.startsWith(folder + QLatin1Char('/'));
}

// Refuses, in words, to store the logins of a page of the program.
bool refusedAsProgramPage(const QString &location)
{
    if (!isProgramPage(location))
        return false;
    MsgBox(QStringLiteral("The page shown is a page of this program, not a web page: it holds no web account "
                          "login. Open the web page of your account, complete its login details, then store "
                          "them. Nothing was stored."),
           vbOKOnly | vbExclamation, QStringLiteral("Storing Personal Account Information"));
    return true;
}

} // namespace

void Form1::mnuSearchdb_Click()
{
    Form1WebToolsHost host(this);
    Form16 dialog(&host, this);
    dialog.Form_Load();
    dialog.exec();
}

void Form1::ShowLinkChecker()
{
    if (Combo2->currentIndex() <= 0)
        return;
    Form1WebToolsHost host(this);
    Form18 dialog(&host, this);
    dialog.setModal(true);
    dialog.Form_Load();
    dialog.exec();
}

void Form1::AskAccountTitle()
{
    if (refusedAsProgramPage(results->LocationURL()))
        return;
    const QString prompt = QStringList{
        QStringLiteral("To store personal account information :"),
        QString(),
        QStringLiteral("- Retrieve webpage containing account login form."),
        QStringLiteral("- Complete the login details on the form."),
        QStringLiteral("- Do not submit the form."),
        QStringLiteral("- Enter a title for your Account/Membership below."),
        QStringLiteral("- Click OK to store your personal account information."),
    }.join(QLatin1Char('\n'));
    const QString title = InputBox(prompt, QStringLiteral("Storing Personal Account Information"),
                                   QStringLiteral("Please enter Account/Membership title here"));
    if (title.isEmpty())
        return;
    OpenDatabase(CurrentDatabaseFile);
    StoredAccounts accounts;
    if (accounts.titleExists(title)) {
        MsgBox(QStringLiteral("The Personal Account/Membership Title \"") + title
                   + QStringLiteral("\" already exists in your Account Information. Please select an alternate title."),
               vbOKOnly, QStringLiteral("Select Alternate Title"));
        return;
    }
    if (!accounts.lastError().isEmpty()) {
        MsgBox(QStringLiteral("The stored accounts could not be read.\n\n") + accounts.lastError(),
               vbOKOnly | vbExclamation, QStringLiteral("Storing Personal Account Information"));
        return;
    }
    StoreAccountInfo(title);
}

void Form1::StoreAccountInfo(const QString &title)
{
    const QString address = results->LocationURL();
    if (refusedAsProgramPage(address))
        return;
    QVector<PageElement> elements;
    if (!PageInputs::read(results, elements)) {
        MsgBox(QStringLiteral("The inputs of this page could not be read. Nothing was stored."),
               vbOKOnly | vbExclamation, QStringLiteral("Storing Personal Account Information"));
        return;
    }
    const QVector<AccountRow> rows = StoredAccounts::rowsOf(title, address, elements);
    if (rows.isEmpty()) {
        MsgBox(QStringLiteral("This page has no filled-in text or password input. Nothing was stored."),
               vbOKOnly, QStringLiteral("Storing Personal Account Information"));
        return;
    }
    OpenDatabase(CurrentDatabaseFile);
    StoredAccounts accounts;
    if (!accounts.store(rows)) {
        MsgBox(QStringLiteral("The account information could not be stored. Nothing was written.\n\n")
                   + accounts.lastError(),
               vbOKOnly | vbExclamation, QStringLiteral("Storing Personal Account Information"));
        return;
    }
    MsgBox(QStringLiteral("Your Membership/Account Information has been successfully stored."), vbOKOnly,
           QStringLiteral("Account Information Stored"));
}

void Form1::OpenStoredAccount()
{
    AccountPageUrl.clear();
    QString title;
    {
        Form10 dialog(this);
        dialog.Form_Load();
        dialog.exec();
        title = dialog.chosenTitle();
    }
    if (AccountPageUrl.isEmpty())
        return;
    AccountPageReady = 0;
    results->Navigate(AccountPageUrl);
    const QString url = AccountPageUrl;
    GoTOUrl(url, title);
}

void Form1::GoTOUrl(const QString &url, const QString &title)
{
    const int serial = ++g_accountPageSerial;
    const QPointer<QObject> guard(this);
    if (!waitUntil([serial] { return AccountPageReady == 1 || serial != g_accountPageSerial; }, kAccountPageTimeoutMs,
                   guard)
        || serial != g_accountPageSerial)
        return;

    OpenDatabase(CurrentDatabaseFile);
    QVector<AccountRow> rows;
    StoredAccounts accounts;
    if (!accounts.rowsFor(title, url, rows) || rows.isEmpty())
        return;
    // Only the account's own page gets its logins, never a page the user went to meanwhile.
    if (!isAccountPage(results->LocationURL(), url))
        return;
    PageInputs::fill(results, rows);
}
