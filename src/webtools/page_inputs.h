#pragma once
// The inputs of the page a browser shows, read and filled in through the page's document
// by a script that runs apart from the page's own scripts.

#include "webtools/stored_accounts.h"

#include <QByteArray>
#include <QVector>

class WebBrowser;

namespace PageInputs {

// The walk of the page's top-level document (see StoredAccounts) as the reading script
// answers it, in JSON.
QVector<PageElement> parse(const QByteArray &json);

// Reads the walk of the page shown in browser; false when the page could not be read
// within timeoutMs (or the browser went away meanwhile). The documents of frames from
// another site cannot be read and give no inputs.
bool read(WebBrowser *browser, QVector<PageElement> &elements, int timeoutMs = 10000);

// Writes each row's value into the inputs named by its FieldName (exact letter case):
// on a page with frames into those of every frame's document, else into those of form
// number FormNumber (from 1; a row with 0 or a number past the page's forms fills
// nothing). The page hears of each change as if typed. Answers the number of inputs
// written, or -1 when the page could not be reached within timeoutMs.
int fill(WebBrowser *browser, const QVector<AccountRow> &rows, int timeoutMs = 10000);

} // namespace PageInputs
