#include "editing/form22_rename_web_address.h"

#include "editing/category_tree_host.h"
#include "editing/link_dialog_parts.h"
#include "editing/link_editing.h"
#include "platform/dialogs.h"
#include "shared/database.h"
#include "shared/fileroutines.h"
#include "shared/globals.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

Form22::Form22(CategoryTreeHost &host, QWidget *parent)
    : QDialog(parent)
    , m_host(host)
{
    setObjectName(QStringLiteral("Form22"));
    setWindowTitle(QStringLiteral("Rename Web Address"));
    setModal(true);

    Label1 = new QLabel(QStringLiteral("Old Link Address:"), this);
    Text1 = new QLineEdit(this);
    Text1->setReadOnly(true);
    Label4 = new QLabel(QStringLiteral("New Link Address:"), this);
    Text2 = new QLineEdit(this);
    Label2 = new QLabel(QStringLiteral("Parent Folder:"), this);
    Label3 = new QLabel(this);
    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command2 = new QPushButton(QStringLiteral("Cancel"), this);
    LinkDialogParts::layOut(this, Label1, Text1, Label4, Text2, Label2, Label3, Command1, Command2);

    connect(Command1, &QPushButton::clicked, this, &Form22::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form22::Command2_Click);
}

void Form22::Form_Load()
{
    Label3->setText(SelectedNodePath);
    adjustSize();
    CenterForm(this);
    OpenDatabase(CurrentDatabaseFile);
    LinkDialogParts::selectedLink(m_host.tree(), m_name, m_address);
    Text1->setText(m_address);
    Text2->setText(m_address);
}

void Form22::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    Text2->setFocus();
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

void Form22::Command2_Click()
{
    reject();
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
