#include "editing/form22_rename_web_address.h"

#include "editing/category_tree_host.h"
#include "editing/link_editing.h"
#include "platform/dialogs.h"
#include "shared/globals.h"

#include <QLineEdit>
#include <QPushButton>

Form22::Form22(CategoryTreeHost &host, QWidget *parent)
    : LinkChangeDialog(host, QStringLiteral("Form22"), QStringLiteral("Rename Web Address"),
                       QStringLiteral("Old Link Address:"), QStringLiteral("New Link Address:"), parent)
{
    connect(Command1, &QPushButton::clicked, this, &Form22::Command1_Click);
}

void Form22::Form_Load()
{
    loadSelectedLink(m_name, m_address);
    Text1->setText(m_address);
    Text2->setText(m_address);
}

void Form22::Command1_Click()
{
    switch (LinkEditing::checkAddress(Text2->text())) {
    case LinkEditing::AddressCheck::Empty:
        MsgBox(LinkEditing::enterNewAddressMessage(), vbOKOnly, LinkEditing::editAddressErrorTitle());
        return;
    case LinkEditing::AddressCheck::Prohibited:
        MsgBox(LinkEditing::addressProhibitedMessage(), vbOKOnly | vbExclamation, LinkEditing::prohibitedTitle());
        return;
    case LinkEditing::AddressCheck::Ok:
        break;
    }
    if (!EditURL())
        return;
    m_host.updateTree();
    accept();
}

bool Form22::EditURL()
{
    LinkEditing links(CurrentSubTopicId);
    const LinkEditing::Status status =
        links.changeAddress(LinkEditing::categoryPathOf(SelectedNodePath), m_name, Text1->text(), Text2->text());
    if (status == LinkEditing::Status::Done)
        return true;
    return LinkDialogParts::reportFailure(status == LinkEditing::Status::NotFound,
                                          QStringLiteral("The Link Address"), links.lastError());
}
