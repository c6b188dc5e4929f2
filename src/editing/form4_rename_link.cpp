#include "editing/form4_rename_link.h"

#include "editing/category_editing.h"
#include "editing/category_tree_host.h"
#include "editing/form3_add_link.h"
#include "editing/link_editing.h"
#include "platform/dialogs.h"
#include "shared/globals.h"
#include "shared/routines.h"
#include "shared/tree_nodes.h"

#include <QLineEdit>
#include <QPushButton>

Form4::Form4(CategoryTreeHost &host, QWidget *parent)
    : LinkChangeDialog(host, QStringLiteral("Form4"), QStringLiteral("Rename Link  Name"),
                       QStringLiteral("Old Link Name:"), QStringLiteral("New Link Name:"), parent)
{
    connect(Command1, &QPushButton::clicked, this, &Form4::Command1_Click);
}

void Form4::Form_Load()
{
    QString name;
    loadSelectedLink(name, m_address);
    Text1->setText(name);
    Text2->setText(QString());
}

void Form4::Command1_Click()
{
    // A new link name follows the rules of a category name.
    const QString newName = TrimBlanks(Text2->text());
    switch (CategoryEditing::checkName(newName)) {
    case CategoryEditing::NameCheck::Empty:
        MsgBox(LinkEditing::enterNameMessage(), vbOKOnly, LinkEditing::renameErrorTitle());
        return;
    case CategoryEditing::NameCheck::NoTextCharacter:
    case CategoryEditing::NameCheck::Numeric:
        MsgBox(LinkEditing::nameErrorMessage(), vbOKOnly, LinkEditing::nameErrorTitle());
        return;
    case CategoryEditing::NameCheck::Prohibited:
        MsgBox(LinkEditing::renameProhibitedMessage(), vbOKOnly | vbExclamation, LinkEditing::prohibitedTitle());
        return;
    case CategoryEditing::NameCheck::Ok:
        break;
    }
    if (Form3::checkDup(newName, 0)) {
        MsgBox(LinkEditing::duplicateMessage(newName), vbOKOnly, LinkEditing::linkErrorTitle());
        return;
    }
    TreeNode *node = m_host.tree() ? TreeNodes::of(m_host.tree())->Item(SelectedNodeIndex) : nullptr;
    if (Form3::FindTVString(node ? node->Parent() : nullptr, newName) > 0) {
        MsgBox(LinkEditing::treeDuplicateMessage(), vbOKOnly, LinkEditing::linkErrorTitle());
        return;
    }
    if (!RenameLink())
        return;
    m_host.updateTree();
    m_host.showFirstNodes();
    accept();
}

bool Form4::RenameLink()
{
    LinkEditing links(CurrentSubTopicId);
    const LinkEditing::Status status =
        links.rename(LinkEditing::categoryPathOf(SelectedNodePath), Text1->text(), m_address, Text2->text());
    if (status == LinkEditing::Status::Done)
        return true;
    return LinkDialogParts::reportFailure(status == LinkEditing::Status::NotFound, QStringLiteral("The Link Name"),
                                          links.lastError());
}
