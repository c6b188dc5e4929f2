#include "editing/form2_add_subcategory.h"

#include "editing/category_editing.h"
#include "editing/category_tree_host.h"
#include "platform/dialogs.h"
#include "shared/globals.h"
#include "shared/routines.h"
#include "shared/tree_nodes.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

Form2::Form2(CategoryTreeHost &host, QWidget *parent)
    : CategoryTreeDialog(host, QStringLiteral("Form2"), QStringLiteral("Add Sub-Category"), parent)
{
    Label1 = new QLabel(QStringLiteral("Name:"), this);
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setMinimumWidth(300);

    auto *grid = new QGridLayout;
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(Text1, 0, 1);
    build(grid, QStringLiteral("Add"), Text1);

    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
}

void Form2::Form_Load()
{
    showSelectedPath();
    Text1->clear();
}

void Form2::Command1_Click()
{
    const QString parentPath = Label3->text();
    const QString parentName = parentPath.mid(parentPath.lastIndexOf(QLatin1Char('\\')) + 1);
    const QString name = TrimBlanks(Text1->text());

    switch (CategoryEditing::checkName(name)) {
    case CategoryEditing::NameCheck::Empty:
    case CategoryEditing::NameCheck::NoTextCharacter:
        MsgBox(CategoryEditing::subCategoryNameMessage(), vbOKOnly, CategoryEditing::subCategoryNameTitle());
        return;
    case CategoryEditing::NameCheck::Prohibited:
        MsgBox(CategoryEditing::prohibitedMessage(), vbOKOnly | vbExclamation, CategoryEditing::prohibitedTitle());
        return;
    case CategoryEditing::NameCheck::Numeric:
        MsgBox(CategoryEditing::subCategoryNameMessage(), vbOKOnly, CategoryEditing::nameErrorTitle());
        return;
    case CategoryEditing::NameCheck::Ok:
        break;
    }
    if (SubCategoryExists(parentName + QLatin1Char('\\') + name)) {
        MsgBox(CategoryEditing::subCategoryDuplicateMessage(Text1->text(), parentPath), vbOKOnly,
               CategoryEditing::alternateNameTitle());
        return;
    }
    if (!updatedb())
        return;
    m_host.updateTree();
    m_host.showFirstNodes();
    accept();
    MsgBox(CategoryEditing::subCategoryAddedMessage(), vbOKOnly, CategoryEditing::subCategoryAddedTitle());
}

bool Form2::updatedb()
{
    CategoryEditing categories(CurrentSubTopicId);
    if (categories.addSubCategory(Label3->text(), TrimBlanks(Text1->text())) == CategoryEditing::Status::Done)
        return true;
    MsgBox(QStringLiteral("The Sub-Category could not be added. Nothing was changed.\n\n") + categories.lastError(),
           vbOKOnly | vbExclamation, windowTitle());
    return false;
}

bool Form2::SubCategoryExists(const QString &key)
{
    if (!m_host.tree())
        return false;
    const QString wanted = key.toLower();
    TreeNodes *nodes = TreeNodes::of(m_host.tree());
    for (int i = 2; i <= nodes->Count(); ++i) {
        TreeNode *node = nodes->Item(i);
        const QString parentText = node->Parent() ? node->Parent()->Text() : QString();
        if ((parentText + QLatin1Char('\\') + node->Text()).toLower() == wanted)
            return true;
    }
    return false;
}

int Form2::FindNodeByKey(const QString &key)
{
    if (!m_host.tree())
        return 0;
    TreeNodes *nodes = TreeNodes::of(m_host.tree());
    for (int i = 1; i <= nodes->Count(); ++i)
        if (nodes->Item(i)->Key().compare(key, Qt::CaseInsensitive) == 0)
            return i;
    return 0;
}

bool Form2::GetNodeByKey(const QString &key)
{
    if (!m_host.tree())
        return false;
    TreeNodes *nodes = TreeNodes::of(m_host.tree());
    for (const QString &form : {key, ProperCase(key), key.toUpper(), key.toLower()})
        if (TreeNode *node = nodes->Item(form); node && !node->Text().isEmpty())
            return true;
    return false;
}
