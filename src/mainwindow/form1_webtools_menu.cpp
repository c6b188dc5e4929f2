// The main window's web tools of the edition: the edition search, the link check of the
// shown Sub-Topic, and the stored web-account logins with their filling into the page.

#include "mainwindow/form1.h"

#include "mainwindow/form1_webtools_host.h"
#include "webtools/form16_edition_search.h"

void Form1::mnuSearchdb_Click()
{
    Form1WebToolsHost host(this);
    Form16 dialog(&host, this);
    dialog.Form_Load();
    dialog.exec();
}
