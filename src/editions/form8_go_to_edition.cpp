#include "editions/form8_go_to_edition.h"

#include "editions/edition_commands.h"
#include "editions/edition_host.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

Form8::Form8(EditionHost &host, QWidget *parent)
    : EditionListDialog(host, "Form8", QStringLiteral("Go To Edition"), QStringLiteral("Go "), true, {}, parent)
{
    connect(List1, &QListWidget::itemSelectionChanged, this, &Form8::List1_Click);
    connect(List1, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *) { Command1_Click(); });
    connect(Command1, &QPushButton::clicked, this, &Form8::Command1_Click);
}

void Form8::Form_Load()
{
    fillList(false, false);
}

void Form8::List1_Click()
{
    if (selectedIndex() >= 0)
        Text1->setText(selectedText());
}

void Form8::selectEntry(int index)
{
    List1->setCurrentRow(index);
}

void Form8::Command1_Click()
{
    const int index = selectedIndex();
    if (index >= 0)
        EditionCommands(&host()).goTo(index);
    host().refreshEditions();
    accept();
}
