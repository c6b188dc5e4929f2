#pragma once
// "Delete Edition": lists the editions with the active one above them; "Delete" works on
// the selected edition, which may not be the active one. "Cancel" closes.

#include "editions/edition_list_dialog.h"

class Form15 : public EditionListDialog
{
    Q_OBJECT
public:
    explicit Form15(EditionHost &host, QWidget *parent = nullptr);

    // Fills the lists, centres the window and selects the first entry.
    void Form_Load();
    void Command1_Click();
};
