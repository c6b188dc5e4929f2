// The main window's browser commands and web tools: the browser's button bar, the text
// size, the favourites import, the browser toolbar button and the window's message hook.

#include "mainwindow/form1.h"

#include "platform/dialogs.h"
#include "platform/webbrowser.h"
#include "shared/fileroutines.h"
#include "webtools/browser_options.h"
#include "webtools/form17_favorites.h"
#include "webtools/form26_history.h"
#include "webtools/form27_font_size.h"
#include "webtools/ie_toolbar_button.h"
#include "webtools/menu_select_hook.h"

#include <QPointer>

namespace {

IeToolbarButton::MenuItems ieMenuItems(const Form1 *form)
{
    return {form->mnuAddMSIE, form->mnuDeleteMSIE};
}

} // namespace

void Form1::mnuImportFav_Click()
{
    FavImportMode = 0;
    Form17::open(results, this);
}

void Form1::mnuFontSize_Click()
{
    Form27::open(results, this);
}

void Form1::mnuAddMSIE_Click()
{
    const QString question = QStringLiteral("Note: You are about to add a Quorvane icon to your IE Toolbar.\n"
                                            "If IE is currently open, please close it and then reopen to activate "
                                            "this function.\nDo you wish to continue?");
    if (MsgBox(question, vbOKCancel, QStringLiteral("Add Quorvane icon to the IE Toolbar")) != vbOK)
        return;
    if (IeToolbarButton::AddIEButton(ieMenuItems(this)))
        MsgBox(QStringLiteral("Your Quorvane icon has been successfully added to the IE Toolbar"), vbInformation,
               QStringLiteral("Add Quorvane icon to the MSIE Toolbar"));
    else
        MsgBox(QStringLiteral("Your Quorvane icon could not be added to the IE Toolbar: the settings or the icon "
                              "files could not be written."),
               vbExclamation, QStringLiteral("Add Quorvane icon to the MSIE Toolbar"));
}

void Form1::mnuDeleteMSIE_Click()
{
    const QString question = QStringLiteral("Note: You are about to remove a Quorvane icon from your IE Toolbar.\n"
                                            "If IE is currently open, please close it and then reopen to "
                                            "deactivate this function.\nDo you wish to continue?");
    const QString title = QStringLiteral("Remove Quorvane icon from the IE Toolbar");
    if (MsgBox(question, vbOKCancel, title) != vbOK)
        return;
    if (IeToolbarButton::RemoveIEButton(ieMenuItems(this)))
        MsgBox(QStringLiteral("Your Quorvane icon has been successfully removed from the IE Toolbar"), vbInformation,
               title);
    else
        MsgBox(QStringLiteral("Your Quorvane icon could not be removed from the IE Toolbar: the settings could not "
                              "be written."),
               vbExclamation, title);
}

void Form1::HookWindowProc()
{
    MenuSelectHook::install(this);
    IeToolbarButton::CheckIEButtonState(ieMenuItems(this));
}

void Form1::BrowserButtonClick(int index)
{
    using namespace BrowserOptions;
    switch (index) {
    case 1:
        results->GoBack();
        break;
    case 2:
        results->GoForward();
        break;
    case 3:
        results->Stop();
        break;
    case 4:
        results->Refresh();
        break;
    case 5: {
        const QString home = HomePage();
        results->Navigate(home.isEmpty() ? QStringLiteral("about:blank") : home);
        break;
    }
    case 6: {
        // The page is searched for a text the user types.
        results->setFocus();
        const QString text = InputBox(QStringLiteral("Find what:"), QStringLiteral("Find"));
        if (!text.isEmpty())
            results->findText(text);
        break;
    }
    case 7:
        PrintPage();
        break;
    case 8:
        Form27::open(results, this);
        break;
    case 9: {
        QPointer<Form1> self(this);
        results->page()->runJavaScript(QStringLiteral("document.body ? document.body.outerHTML : ''"),
                                       [self](const QVariant &source) {
                                           const QString text = source.toString();
                                           if (!self || text.isEmpty())
                                               return;   // no document: nothing to show
                                           self->ShowTextInNotepad(text);
                                           ActivateNotepad();
                                       });
        break;
    }
    case 10:
        Form26::open(results, this);
        break;
    case 11:
        results->Navigate(MailAddressToOpen());
        break;
    case 12:
        results->Navigate(PromotionsPage);
        break;
    default:
        break;
    }
}
