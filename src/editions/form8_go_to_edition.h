#pragma once
// "Go To Edition": the active edition's name above the list of editions. Clicking an
// entry puts its name in the box; "Go " (or a double click) makes the selected edition
// the active one and refreshes the main window's edition list. "Cancel" closes.

#include "editions/edition_list_dialog.h"

class Form8 : public EditionListDialog
{
    Q_OBJECT
public:
    explicit Form8(EditionHost &host, QWidget *parent = nullptr);

    // Fills the list with the names as the list holds them, none selected.
    void Form_Load();
    void List1_Click();
    void Command1_Click();
    // Selects the entry of the list's index-th edition, as a click does.
    void selectEntry(int index);
};
