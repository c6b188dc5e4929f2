#pragma once
// The pages shown in this program's separate browser windows, as the Add Link dialog
// offers them and as a dropped address is named after: each window's title and address,
// in the order the windows were opened.

#include <QList>
#include <QString>

#include <functional>

struct BrowserPage {
    QString title;
    QString address;
};

QList<BrowserPage> OpenBrowserPages();

// Test seam: while set, OpenBrowserPages() answers what source gives; an empty function
// goes back to the real windows.
void SetOpenBrowserPagesSource(std::function<QList<BrowserPage>()> source);
