#include "editing/link_dialog_parts.h"

#include "editing/link_editing.h"
#include "platform/dialogs.h"
#include "shared/globals.h"
#include "shared/tree_nodes.h"

#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace LinkDialogParts {

void selectedLink(QTreeWidget *tree, QString &name, QString &address)
{
    if (TreeNode *node = TreeNode::from(tree ? tree->currentItem() : nullptr)) {
        name = node->Text();
        address = node->Tag();
        return;
    }
    name = SelectedLinkName;
    address = SelectedLinkUrl;
}

void layOut(QDialog *dialog, QLabel *label1, QLineEdit *text1, QLabel *label4, QLineEdit *text2, QLabel *label2,
            QLabel *label3, QPushButton *ok, QPushButton *cancel)
{
    text1->setObjectName(QStringLiteral("Text1"));
    text2->setObjectName(QStringLiteral("Text2"));
    label3->setObjectName(QStringLiteral("Label3"));
    ok->setObjectName(QStringLiteral("Command1"));
    cancel->setObjectName(QStringLiteral("Command2"));
    ok->setDefault(true);
    text1->setMinimumWidth(360);

    auto *grid = new QGridLayout;
    grid->addWidget(label1, 0, 0);
    grid->addWidget(text1, 0, 1);
    grid->addWidget(label4, 1, 0);
    grid->addWidget(text2, 1, 1);
    grid->addWidget(label2, 2, 0);
    grid->addWidget(label3, 2, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(dialog);
    layout->addLayout(grid);
    layout->addLayout(buttons);
}

bool reportFailure(bool notFound, const QString &what, const QString &error)
{
    if (notFound) {
        MsgBox(QStringLiteral("This Link could not be found; it may have been changed or deleted. ") + what
                   + QStringLiteral(" was not changed."),
               vbOKOnly | vbExclamation, LinkEditing::linkErrorTitle());
        return true;
    }
    MsgBox(what + QStringLiteral(" could not be stored; the Link is unchanged.\n\n") + error, vbOKOnly | vbExclamation,
           LinkEditing::linkErrorTitle());
    return false;
}

} // namespace LinkDialogParts
