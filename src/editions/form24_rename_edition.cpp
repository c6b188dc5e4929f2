#include "editions/form24_rename_edition.h"

#include "editions/edition_commands.h"

#include <QLineEdit>
#include <QPushButton>

Form24::Form24(EditionHost &host, QWidget *parent)
    : EditionListDialog(host, "Form24", QStringLiteral("Rename Edition"), QStringLiteral("Rename"), true,
                        {QStringLiteral("Note:"), QStringLiteral("An 'Active Edition' cannot be renamed."),
                         QStringLiteral("Please ensure the edition to be renamed"),
                         QStringLiteral("is not 'active' at time of renaming.")},
                        parent)
{
    connect(Command1, &QPushButton::clicked, this, &Form24::Command1_Click);
}

void Form24::Form_Load()
{
    fillList(true, true);
}

void Form24::Command1_Click()
{
    const EditionCommands commands(&host());
    if (commands.renameEdition(selectedIndex(), selectedText(), Text1->text(), [this] { hide(); }) == EditionCommands::After::Close)
        accept();
}
