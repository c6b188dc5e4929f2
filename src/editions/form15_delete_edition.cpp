#include "editions/form15_delete_edition.h"

#include "editions/edition_commands.h"

#include <QLineEdit>
#include <QPushButton>

Form15::Form15(EditionHost &host, QWidget *parent)
    : EditionListDialog(host, "Form15", QStringLiteral("Delete Edition"), QStringLiteral("Delete"), true,
                        {QStringLiteral("Note:"), QStringLiteral("An 'Active Edition' cannot be deleted."),
                         QStringLiteral("Please ensure the edition to be deleted"),
                         QStringLiteral("is not 'active' at time of deletion.")},
                        parent)
{
    connect(Command1, &QPushButton::clicked, this, &Form15::Command1_Click);
}

void Form15::Form_Load()
{
    fillList(true, true);
}

void Form15::Command1_Click()
{
    const EditionCommands commands(&host());
    if (commands.deleteEdition(selectedIndex(), selectedText(), Text1->text()) == EditionCommands::After::Close)
        accept();
}
