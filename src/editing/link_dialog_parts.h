#pragma once
// Pieces shared by the link dialogs: the window of the dialogs that change the selected
// link, and what they say when a link could not be stored.

#include "editing/category_tree_dialog.h"

#include <QString>

class QLineEdit;

// The window of a dialog that changes the link selected in the main window's tree: the
// old value (read only), the new one, the link's tree path, OK and Cancel.
class LinkChangeDialog : public CategoryTreeDialog
{
    Q_OBJECT
public:
    QLabel *Label1 = nullptr;       // names the old value
    QLineEdit *Text1 = nullptr;     // the old value
    QLabel *Label4 = nullptr;       // names the new value
    QLineEdit *Text2 = nullptr;     // the new value

protected:
    // name is the window's object name; oldCaption and newCaption name the two values.
    LinkChangeDialog(CategoryTreeHost &host, const QString &name, const QString &title, const QString &oldCaption,
                     const QString &newCaption, QWidget *parent);

    // Shows the selected link's tree path, places the window and reads the link: the name
    // and address of the tree's selected node, or of the link last pressed when the tree
    // has no selected node.
    void loadSelectedLink(QString &name, QString &address);
};

namespace LinkDialogParts {

// Says why a link could not be changed; answers true when the dialog may close (the link
// no longer exists), false when it stays open (the edition could not be written).
bool reportFailure(bool notFound, const QString &what, const QString &error);

// Says why a link could not be added to the category at categoryPath: the category no
// longer exists (notFound), or the edition could not be written.
void reportAddFailure(bool notFound, const QString &categoryPath, const QString &error);

} // namespace LinkDialogParts
