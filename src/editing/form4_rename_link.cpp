#include "editing/form4_rename_link.h"

#include "editing/category_tree_host.h"
#include "editing/form3_add_link.h"
#include "editing/link_dialog_parts.h"
#include "editing/link_editing.h"
#include "platform/dialogs.h"
#include "shared/database.h"
#include "shared/fileroutines.h"
#include "shared/globals.h"
#include "shared/routines.h"
#include "shared/tree_nodes.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

Form4::Form4(CategoryTreeHost &host, QWidget *parent)
    : QDialog(parent)
    , m_host(host)
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Rename Link  Name"));
    setModal(true);

    Label1 = new QLabel(QStringLiteral("Old Link Name:"), this);
    Text1 = new QLineEdit(this);
    Text1->setReadOnly(true);
    Label4 = new QLabel(QStringLiteral("New Link Name:"), this);
    Text2 = new QLineEdit(this);
    Label2 = new QLabel(QStringLiteral("Parent Folder:"), this);
    Label3 = new QLabel(this);
    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command2 = new QPushButton(QStringLiteral("Cancel"), this);
    LinkDialogParts::layOut(this, Label1, Text1, Label4, Text2, Label2, Label3, Command1, Command2);

    connect(Command1, &QPushButton::clicked, this, &Form4::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form4::Command2_Click);
}

void Form4::Form_Load()
{
    Label3->setText(SelectedNodePath);
    adjustSize();
    CenterForm(this);
    OpenDatabase(CurrentDatabaseFile);
    QString name;
    LinkDialogParts::selectedLink(m_host.tree(), name, m_address);
    Text1->setText(name);
    Text2->setText(QString());
}

void Form4::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    Text2->setFocus();
}

void Form4::Command1_Click()
{
    const QString newName = TrimBlanks(Text2->text());
    switch (LinkEditing::checkRename(Text2->text())) {
    case LinkEditing::RenameCheck::Empty:
        MsgBox(LinkEditing::enterNameMessage(), vbOKOnly, LinkEditing::renameErrorTitle());
        return;
    case LinkEditing::RenameCheck::NoTextCharacter:
    case LinkEditing::RenameCheck::Numeric:
        MsgBox(LinkEditing::nameErrorMessage(), vbOKOnly, LinkEditing::nameErrorTitle());
        return;
    case LinkEditing::RenameCheck::Prohibited:
        MsgBox(LinkEditing::renameProhibitedMessage(), vbOKOnly | vbExclamation, LinkEditing::prohibitedTitle());
        return;
    case LinkEditing::RenameCheck::Ok:
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

void Form4::Command2_Click()
{
    reject();
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
