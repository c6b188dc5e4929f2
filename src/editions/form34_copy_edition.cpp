#include "editions/form34_copy_edition.h"

#include "editions/edition_commands.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

Form34::Form34(EditionHost &host, QWidget *parent)
    : EditionListDialog(host, "Form34", QStringLiteral("Copy Edition"), QStringLiteral("Copy"), false,
                        {}, parent)
{
    auto *intro = new QLabel(QStringLiteral("Please select an Edition to copy and then enter an Edition Name."), this);
    body()->insertWidget(0, intro);
    Label3 = new QLabel(QStringLiteral("Copy Edition Name:"), this);
    Text2 = new QLineEdit(this);
    Text2->setObjectName(QStringLiteral("Text2"));
    Label3->setBuddy(Text2);
    body()->addWidget(Label3);
    body()->addWidget(Text2);
    setTabOrder(List1, Text2);   // the name box stands between the list and the buttons
    connect(Command1, &QPushButton::clicked, this, &Form34::Command1_Click);
}

void Form34::Form_Load()
{
    fillList(true, true);
}

void Form34::Command1_Click()
{
    const EditionCommands commands(&host());
    if (commands.copyEdition(selectedIndex(), Text2->text(), [this] { hide(); }) == EditionCommands::After::Close)
        accept();
}
