#include "editing/form5_section_links.h"

#include "editing/section_links.h"
#include "platform/dialogs.h"
#include "shared/dialog_layout.h"
#include "shared/fileroutines.h"
#include "shared/globals.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

Form5::Form5(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Update Links"));
    setModal(true);

    auto *grid = new QGridLayout;
    for (int i = 0; i < 5; ++i) {
        Label1[i] = new QLabel(QStringLiteral("%1. Website Name:").arg(i + 1), this);
        Text1[i] = new QLineEdit(this);
        Text1[i]->setObjectName(QStringLiteral("Text1_%1").arg(i));
        Text1[i]->setMinimumWidth(220);
        Label2[i] = new QLabel(QStringLiteral("Website Address:"), this);
        Text2[i] = new QLineEdit(this);
        Text2[i]->setObjectName(QStringLiteral("Text2_%1").arg(i));
        Text2[i]->setMinimumWidth(320);
        Label1[i]->setBuddy(Text1[i]);
        Label2[i]->setBuddy(Text2[i]);
        grid->addWidget(Label1[i], i, 0);
        grid->addWidget(Text1[i], i, 1);
        grid->addWidget(Label2[i], i, 2);
        grid->addWidget(Text2[i], i, 3);
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 2);

    Command1 = NamedButton(QStringLiteral("Update"), "Command1", this, true);
    Command2 = NamedButton(QStringLiteral("Cancel"), "Command2", this);
    connect(Command1, &QPushButton::clicked, this, &Form5::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form5::Command2_Click);
    LayOutDialog(this, grid, {Command1, Command2});
}

void Form5::Form_Load()
{
    for (QLineEdit *box : Text1)
        box->setMaxLength(SectionLinks::MaxNameLength);
    adjustSize();
    CenterForm(this);
    setWindowTitle(SectionEditorCaption);

    QVector<SectionLink> links;
    SectionLinks section(CurrentSectionTable, CurrentSubTopicId);
    if (!section.load(links)) {
        if (!section.lastError().isEmpty())
            MsgBox(QStringLiteral("The links of this section could not be read.\n\n") + section.lastError(),
                   vbExclamation, SectionEditorCaption);
        return;
    }
    const int last = qMin(SectionLastRow, SectionLinks::RowCount - 1);
    for (int i = 0; i <= last && i < links.size(); ++i) {
        // A longer name stored by other means is shown and kept whole.
        Text1[i]->setMaxLength(qMax(int(SectionLinks::MaxNameLength), int(links.at(i).name.size())));
        Text1[i]->setText(links.at(i).name);
        Text2[i]->setText(links.at(i).url);
        // Long texts show their beginning.
        Text1[i]->setCursorPosition(0);
        Text2[i]->setCursorPosition(0);
    }
}

void Form5::Command1_Click()
{
    QVector<SectionLink> links;
    for (int i = 0; i < 5; ++i)
        links.append({Text1[i]->text(), Text2[i]->text()});

    const int overlong = SectionLinks::firstOverlongAddress(links);
    if (overlong >= 0) {
        MsgBox(SectionLinks::addressTooLongMessage(links.at(overlong).url), vbOKOnly,
               SectionLinks::addressTooLongTitle());
        Text2[overlong]->setFocus();
        return;
    }

    SectionLinks section(CurrentSectionTable, CurrentSubTopicId);
    if (!section.save(links)) {
        // Nothing was stored; the typed links stay in the boxes.
        MsgBox(QStringLiteral("The links could not be saved; nothing was changed.\n\n") + section.lastError(),
               vbExclamation, SectionEditorCaption);
        return;
    }
    SectionDialogChanged = 1;
    accept();
}

void Form5::Command2_Click()
{
    SectionDialogChanged = 0;
    reject();
}
