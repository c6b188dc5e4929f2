#pragma once
// The main window as the edition search, the link check and the account list use it: its
// category tree and its rebuild, the texts of its Topic, Sub-Topic and edition lists,
// opening an address in a separate browser window, and its deletion of the selected link.

#include "editing/category_tree_host.h"

#include <QString>

class WebToolsHost : public CategoryTreeHost
{
public:
    // The texts shown in the Topic, Sub-Topic and edition lists.
    virtual QString topicText() = 0;
    virtual QString subTopicText() = 0;
    virtual QString editionText() = 0;
    // Opens the address in a new, shown browser window.
    virtual void navigateWebSite(const QString &address) = 0;
    // Deletes the link of SelectedNodePath and SelectedLinkUrl (a link outside any
    // category is refused with a message and LinkDeleteRefused set to 1).
    virtual void deleteLink() = 0;
};
