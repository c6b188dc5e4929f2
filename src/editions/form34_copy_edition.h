#pragma once
// "Copy Edition": lists the editions; "Copy" copies the selected one under the name typed
// in "Copy Edition Name:" and lists the copy at the end. "Cancel" closes.

#include "editions/edition_list_dialog.h"

class QLabel;
class QLineEdit;

class Form34 : public EditionListDialog
{
    Q_OBJECT
public:
    explicit Form34(EditionHost &host, QWidget *parent = nullptr);

    QLabel *Label3 = nullptr;    // "Copy Edition Name:"
    QLineEdit *Text2 = nullptr;  // the copy's name

    // Fills the list, centres the window and selects the first entry.
    void Form_Load();
    void Command1_Click();
};
