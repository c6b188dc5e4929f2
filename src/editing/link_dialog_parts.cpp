#include "editing/link_dialog_parts.h"

#include "editing/category_tree_host.h"
#include "editing/link_editing.h"
#include "platform/dialogs.h"
#include "shared/globals.h"
#include "shared/tree_nodes.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>

LinkChangeDialog::LinkChangeDialog(CategoryTreeHost &host, const QString &name, const QString &title,
                                   const QString &oldCaption, const QString &newCaption, QWidget *parent)
    : CategoryTreeDialog(host, name, title, parent)
{
    Label1 = new QLabel(oldCaption, this);
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    Text1->setMinimumWidth(360);
    Label4 = new QLabel(newCaption, this);
    Text2 = new QLineEdit(this);
    Text2->setObjectName(QStringLiteral("Text2"));

    auto *grid = new QGridLayout;
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(Text1, 0, 1);
    grid->addWidget(Label4, 1, 0);
    grid->addWidget(Text2, 1, 1);
    build(grid, QStringLiteral("OK"), Text2);
}

void LinkChangeDialog::loadSelectedLink(QString &name, QString &address)
{
    showSelectedPath();
    if (TreeNode *node = TreeNode::from(m_host.tree() ? m_host.tree()->currentItem() : nullptr)) {
        name = node->Text();
        address = node->Tag();
        return;
    }
    name = SelectedLinkName;
    address = SelectedLinkUrl;
}

namespace LinkDialogParts {

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

void reportAddFailure(bool notFound, const QString &categoryPath, const QString &error)
{
    if (notFound)
        MsgBox(QStringLiteral("The category '") + categoryPath
                   + QStringLiteral("' no longer exists. The Link was not added."),
               vbOKOnly | vbExclamation, LinkEditing::linkErrorTitle());
    else
        MsgBox(QStringLiteral("The Link could not be added. Nothing was changed.\n\n") + error,
               vbOKOnly | vbExclamation, LinkEditing::linkErrorTitle());
}

} // namespace LinkDialogParts
