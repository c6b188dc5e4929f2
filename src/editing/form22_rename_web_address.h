#pragma once
// "Rename Web Address": gives the link selected in the main window's tree a new address;
// its name stays.

#include "editing/link_dialog_parts.h"

// Label1 "Old Link Address:" over Text1, the link's address; Label4 "New Link Address:"
// over Text2, the new address, at first the old one.
class Form22 : public LinkChangeDialog
{
    Q_OBJECT
public:
    explicit Form22(CategoryTreeHost &host, QWidget *parent = nullptr);

    void Form_Load();
    void Command1_Click();   // OK

    // Stores the new address (as typed) on the link; false (after saying why) when it
    // could not be stored.
    bool EditURL();

private:
    QString m_name;      // the link's name
    QString m_address;   // the link's address
};
