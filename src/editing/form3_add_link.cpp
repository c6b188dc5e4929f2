#include "editing/form3_add_link.h"

#include "editing/category_editing.h"
#include "editing/category_tree_host.h"
#include "editing/link_dialog_parts.h"
#include "editing/link_editing.h"
#include "editing/open_browser_pages.h"
#include "platform/dialogs.h"
#include "shared/dialog_layout.h"
#include "shared/globals.h"
#include "shared/pick_combo_box.h"
#include "shared/tree_nodes.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

Form3::Form3(CategoryTreeHost &host, QWidget *parent)
    : CategoryTreeDialog(host, QStringLiteral("Form3"), QStringLiteral("Add  Link"), parent)
{
    Label1 = new QLabel(QStringLiteral("Link Name:"), this);
    // Only a pick from the name list may pick an address: a typed name that equals a
    // listed title is a name, nothing more.
    auto *names = new PickComboBox(this);
    Combo1 = names;
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Label4 = new QLabel(QStringLiteral("Link Address:"), this);
    Combo2 = new QComboBox(this);
    Combo2->setObjectName(QStringLiteral("Combo2"));
    for (QComboBox *box : {Combo1, Combo2}) {
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->setMinimumWidth(360);
    }
    Command3 = NamedButton(QStringLiteral("Browse"), "Command3", this);

    auto *grid = new QGridLayout;
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(Combo1, 0, 1);
    grid->addWidget(Label4, 1, 0);
    grid->addWidget(Combo2, 1, 1);
    grid->addWidget(Command3, 1, 2);
    build(grid, QStringLiteral("Add"), Combo1);
    // The name is stored as typed: no completion rewrites it.
    Combo1->setCompleter(nullptr);

    connect(names, &PickComboBox::picked, this, [this](int) { Combo1_Click(); });
    connect(Command1, &QPushButton::clicked, this, &Form3::Command1_Click);
    connect(Command3, &QPushButton::clicked, this, &Form3::Command3_Click);
}

void Form3::Form_Load()
{
    showSelectedPath();
    GetActiveIE();
}

void Form3::GetActiveIE()
{
    const QList<BrowserPage> pages = OpenBrowserPages();
    for (const BrowserPage &page : pages) {
        if (page.address == DroppedLinkUrl)
            DroppedLinkUrl = page.title + QLatin1Char(',') + page.address;
        Combo1->addItem(page.title);
        Combo2->addItem(page.address);
    }
    if (Combo1->count() > 0)
        Combo1->setCurrentIndex(0);
    if (Combo2->count() > 0)
        Combo2->setCurrentIndex(0);
}

void Form3::Combo1_Click()
{
    const int index = Combo1->currentIndex();
    if (Combo1->count() > 0 && index >= 0 && index < Combo2->count())
        Combo2->setCurrentIndex(index);
}

void Form3::Command3_Click()
{
    const QString path = GetOpenFileName(this, QString(), QString(), QStringLiteral("Text files (*)"));
    if (!path.isEmpty())
        Combo2->setEditText(path);
    Combo1->setEditText(QString());
}

void Form3::Command1_Click()
{
    const QString name = Combo1->currentText();
    const QString address = Combo2->currentText();

    switch (LinkEditing::checkAdd(name, address)) {
    case LinkEditing::AddCheck::EmptyName:
        MsgBox(LinkEditing::enterNameMessage(), vbOKOnly, LinkEditing::addErrorTitle());
        return;
    case LinkEditing::AddCheck::EmptyAddress:
        MsgBox(LinkEditing::enterAddressMessage(), vbOKOnly, LinkEditing::addErrorTitle());
        return;
    case LinkEditing::AddCheck::NoTextCharacter:
    case LinkEditing::AddCheck::Numeric:
        MsgBox(LinkEditing::nameErrorMessage(), vbOKOnly, LinkEditing::nameErrorTitle());
        return;
    case LinkEditing::AddCheck::Prohibited:
        MsgBox(LinkEditing::prohibitedMessage(), vbOKOnly | vbExclamation, LinkEditing::prohibitedTitle());
        return;
    case LinkEditing::AddCheck::Ok:
        break;
    }
    if (checkDup(name, 1)
        || FindTVString(TreeNodes::of(m_host.tree())->Item(SelectedNodeIndex), name) != 0) {
        MsgBox(LinkEditing::duplicateMessage(name), vbOKOnly, LinkEditing::linkErrorTitle());
        return;
    }
    if (!updatedb())
        return;
    m_host.updateTree();
    m_host.showFirstNodes();
    accept();
}

bool Form3::updatedb()
{
    LinkEditing links(CurrentSubTopicId);
    const LinkEditing::Status status =
        links.add(CategoryEditing::rowPath(Label3->text()), Combo1->currentText(), Combo2->currentText());
    if (status == LinkEditing::Status::Done)
        return true;
    LinkDialogParts::reportAddFailure(status == LinkEditing::Status::NotFound, Label3->text(), links.lastError());
    return false;
}

int Form3::FindTVString(TreeNode *start, const QString &name)
{
    return LinkEditing::FindTVString(start, name, ClickedNodeText);
}

bool Form3::checkDup(const QString &name, int selectedIsCategory)
{
    const QString category = selectedIsCategory != 0 ? CategoryEditing::rowPath(SelectedNodePath)
                                                     : LinkEditing::categoryPathOf(SelectedNodePath);
    return LinkEditing(CurrentSubTopicId).nameExists(category, name);
}

bool Form3::CheckChildren(const QString &name, const QString &address)
{
    TreeNode *selected = TreeNode::from(m_host.tree() ? m_host.tree()->currentItem() : nullptr);
    if (!selected || !selected->Child())
        return true;
    const int first = selected->Child()->Index();
    const int last = selected->Child()->LastSibling()->Index();
    TreeNodes *nodes = TreeNodes::of(m_host.tree());
    for (int i = first; i <= last; ++i) {
        TreeNode *node = nodes->Item(i);
        if (node && (node->Tag() == address || node->Text() == name))
            return false;
    }
    return true;
}

bool Form3::TreeDupSearch(const QString &name)
{
    if (!m_host.tree())
        return false;
    TreeNodes *nodes = TreeNodes::of(m_host.tree());
    for (int i = 1; i <= nodes->Count(); ++i) {
        TreeNode *node = nodes->Item(i);
        node->setBackColor(0xFFFFFF);
        if (node->Text() == name)
            return true;
    }
    return false;
}
