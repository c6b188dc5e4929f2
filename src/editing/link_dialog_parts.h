#pragma once
// Pieces shared by the link dialogs: the link they work on and their common layout.

#include <QString>

class QDialog;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace LinkDialogParts {

// The name and address of the tree's selected node, or of the link last pressed when the
// tree has no selected node.
void selectedLink(QTreeWidget *tree, QString &name, QString &address);

// Lays out: Label1 Text1 / Label4 Text2 / Label2 Label3 / OK Cancel.
void layOut(QDialog *dialog, QLabel *label1, QLineEdit *text1, QLabel *label4, QLineEdit *text2, QLabel *label2,
            QLabel *label3, QPushButton *ok, QPushButton *cancel);

// Says why a link could not be changed; answers true when the dialog may close (the link
// no longer exists), false when it stays open (the edition could not be written).
bool reportFailure(bool notFound, const QString &what, const QString &error);

} // namespace LinkDialogParts
