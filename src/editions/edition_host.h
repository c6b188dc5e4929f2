#pragma once
// The main window as the edition dialogs see it.

#include <QString>

class EditionHost
{
public:
    virtual ~EditionHost() = default;
    // Refills the main window's edition list, which loads the active edition afresh.
    virtual void refreshEditions() = 0;
    // The text the main window's edition list shows: the active edition's name.
    virtual QString shownEdition() const = 0;
};
