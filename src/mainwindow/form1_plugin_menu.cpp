// The main window's command "Add Plug-In Edition": after the user agreed to go online,
// shows the plug-in edition dialog without waiting for it (raising the one already open).

#include "mainwindow/form1.h"

#include "editions/form9_plugin_editions.h"
#include "platform/dialogs.h"

#include <QPointer>

namespace {

QPointer<Form9> g_form9;

} // namespace

void Form1::mnuAdddatabase_Click()
{
    const QString notice = QStringLiteral(
        "Quorvane will now display an online list of all Plug-In Editions, available for download.\n"
        "Please note you must be logged onto the Internet to access this list.\n\n"
        "Select 'Yes' to display this list now.");
    if (MsgBox(notice, vbYesNo | vbInformation) != vbYes)
        return;
    if (g_form9) {
        // Still loading, or open: the one dialog comes to the front once shown.
        if (g_form9->isVisible()) {
            g_form9->raise();
            g_form9->activateWindow();
        }
        return;
    }
    auto *form = new Form9([this] { PrepareEditions(); }, this);
    g_form9 = form;
    if (form->Form_Load())
        form->show();
}
