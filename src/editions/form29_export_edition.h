#pragma once
// "Export Edition": lists the editions; "Export" copies the selected one's database into
// the folder export of the program folder. Both buttons close the window.

#include "editions/edition_list_dialog.h"

class Form29 : public EditionListDialog
{
    Q_OBJECT
public:
    explicit Form29(EditionHost &host, QWidget *parent = nullptr);

    void Form_Load();
    void Command1_Click();
};
