#include "editing/form23_section_headers.h"

#include "editing/page_section_commands.h"
#include "editing/section_headers.h"
#include "pages/page_cache.h"
#include "platform/dialogs.h"
#include "shared/database.h"
#include "shared/dialog_layout.h"
#include "shared/fileroutines.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

Form23::Form23(PageSectionHost &host, QWidget *parent)
    : QDialog(parent)
    , m_host(host)
{
    setObjectName(QStringLiteral("Form23"));
    setWindowTitle(QStringLiteral("Section Headers Update"));
    setModal(true);

    auto *form = new QFormLayout;
    for (int i = 0; i < SectionHeaders::Count; ++i) {
        Label[i] = new QLabel(QStringLiteral("Section %1 Header:").arg(i + 1), this);
        Text[i] = new QLineEdit(this);
        Text[i]->setObjectName(QStringLiteral("Text%1").arg(i + 1));
        Text[i]->setMaxLength(SectionHeaders::MaxLength);
        Text[i]->setMinimumWidth(220);
        Label[i]->setBuddy(Text[i]);
        form->addRow(Label[i], Text[i]);
    }

    Command1 = NamedButton(QStringLiteral("OK"), "Command1", this, true);
    Command2 = NamedButton(QStringLiteral("Cancel"), "Command2", this);
    connect(Command1, &QPushButton::clicked, this, &Form23::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form23::Command2_Click);
    LayOutDialog(this, form, {Command1, Command2});
}

void Form23::Form_Load()
{
    adjustSize();
    CenterForm(this);
    QStringList headers;
    SectionHeaders store(m_host.topicId(), m_host.subTopicText());
    if (!store.load(headers)) {
        if (!store.lastError().isEmpty())
            MsgBox(QStringLiteral("The section headers could not be read.\n\n") + store.lastError(), vbExclamation,
                   windowTitle());
        return;
    }
    for (int i = 0; i < SectionHeaders::Count && i < headers.size(); ++i) {
        // A longer header stored by other means is shown and kept whole.
        Text[i]->setMaxLength(qMax(int(SectionHeaders::MaxLength), int(headers.at(i).size())));
        Text[i]->setText(headers.at(i));
    }
}

void Form23::Command1_Click()
{
    QStringList headers;
    for (QLineEdit *box : Text)
        headers.append(box->text());

    switch (SectionHeaders::check(headers)) {
    case SectionHeaders::Check::ProhibitedCharacters:
        MsgBox(SectionHeaders::prohibitedMessage(), vbExclamation, SectionHeaders::prohibitedTitle());
        return;
    case SectionHeaders::Check::Blank:
        MsgBox(SectionHeaders::blankMessage(), vbExclamation, SectionHeaders::blankTitle());
        return;
    case SectionHeaders::Check::Ok:
        break;
    }

    SectionHeaders store(m_host.topicId(), m_host.subTopicText());
    if (!store.save(headers)) {
        // Nothing was stored; the typed headers stay in the boxes.
        MsgBox(QStringLiteral("The section headers could not be saved; nothing was changed.\n\n") + store.lastError(),
               vbExclamation, windowTitle());
        return;
    }

    // Every page shows its captions from the page build, so every page is built again.
    DeletePageFiles();
    m_host.Combo2_Click();
    accept();
}

void Form23::Command2_Click()
{
    reject();
}
