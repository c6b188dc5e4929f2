#pragma once
// The main window's "Page" commands that edit a Sub-Topic's page: the links of its six
// sections, its section headers and its colour scheme. Each opens its dialog and has the
// page rebuilt and shown again afterwards.
//
// The commands reach the main window only through PageSectionHost, so they run the same
// against the main window and against a test's stand-in.

#include <QString>

class QWidget;

// What the page commands need of the main window.
class PageSectionHost
{
public:
    virtual ~PageSectionHost() = default;

    // The window that owns the dialogs.
    virtual QWidget *window() = 0;
    // The text of the Topic list and the id of its chosen Topic.
    virtual QString topicText() const = 0;
    virtual qint32 topicId() const = 0;
    // The text of the Sub-Topic list.
    virtual QString subTopicText() const = 0;

    // Writes the page data of the shown Sub-Topic, then the page from it.
    virtual bool WriteLinksXml(const QString &fileName, const QString &rootName) = 0;
    virtual bool TransformXml(const QString &xmlFile, const QString &xslFile, const QString &outputFile) = 0;
    // Shows a file in the page browser, and reloads what it shows.
    virtual void navigate(const QString &path) = 0;
    virtual void refresh() = 0;
    // Shows the chosen Sub-Topic again, building its page when there is no page file.
    virtual void Combo2_Click() = 0;
};

class PageSectionCommands
{
public:
    // "Update Section n Links" (index 0..5): edits the five links of section index + 1
    // while the shown Sub-Topic has a page, then rebuilds and shows the page when a section
    // or colour dialog has saved.
    static void mnuEditLinks_Click(PageSectionHost &host, int index);

    // "Update Section Headers": edits the six captions; the dialog rebuilds the page
    // itself, and the browser reloads afterwards whatever the outcome.
    static void mnuSectionHeaderUpdate_Click(PageSectionHost &host);

    // "Color Scheme": edits the page's colours while a Topic and a Sub-Topic are chosen,
    // then rebuilds and shows the page when a section or colour dialog has saved.
    static void mnuColorSchema_Click(PageSectionHost &host);

    // The page file of the Sub-Topic the host shows.
    static QString pageFileName(const PageSectionHost &host);
    // Rewrites the page data and the page file, then shows the page again.
    static void rebuildPage(PageSectionHost &host, bool reload);
};
