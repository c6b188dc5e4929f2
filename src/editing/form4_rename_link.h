#pragma once
// "Rename Link  Name": gives the link selected in the main window's tree a new name; its
// address stays.

#include "editing/link_dialog_parts.h"

// Label1 "Old Link Name:" over Text1, the link's name; Label4 "New Link Name:" over
// Text2, the new name.
class Form4 : public LinkChangeDialog
{
    Q_OBJECT
public:
    explicit Form4(CategoryTreeHost &host, QWidget *parent = nullptr);

    // Shows the selected link.
    void Form_Load();
    void Command1_Click();   // OK

    // Stores the new name (as typed) on the link; false (after saying why) when it could
    // not be stored.
    bool RenameLink();

private:
    QString m_address;   // the link's address
};
