#include "editions/edition_list_dialog.h"

#include "editions/edition_commands.h"
#include "shared/dialog_layout.h"
#include "shared/fileroutines.h"
#include "shared/routines.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

EditionListDialog::EditionListDialog(EditionHost &host, const char *name, const QString &caption,
                                     const QString &command, bool showActive, const QStringList &notes,
                                     QWidget *parent)
    : QDialog(parent)
    , m_host(host)
{
    setObjectName(QString::fromLatin1(name));
    setWindowTitle(caption);
    setModal(true);

    Label1 = new QLabel(QStringLiteral("Active Edition:"), this);
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    Label1->setBuddy(Text1);
    Label1->setVisible(showActive);
    Text1->setVisible(showActive);
    Label2 = new QLabel(QStringLiteral("Available Edition(s):"), this);
    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setMinimumSize(300, 160);
    Label2->setBuddy(List1);

    Command1 = NamedButton(command, "Command1", this, true);
    Command2 = NamedButton(QStringLiteral("Cancel"), "Command2", this);
    connect(Command2, &QPushButton::clicked, this, &QDialog::reject);

    m_body = new QVBoxLayout;
    if (showActive) {
        m_body->addWidget(Label1);
        m_body->addWidget(Text1);
    }
    m_body->addWidget(Label2);
    m_body->addWidget(List1);
    for (const QString &note : notes) {
        auto *label = new QLabel(note, this);
        label->setTextFormat(Qt::PlainText);
        m_body->addWidget(label);
    }
    LayOutDialog(this, m_body, {Command1, Command2});
}

void EditionListDialog::fillList(bool capitalise, bool selectFirst)
{
    List1->clear();
    m_entries = EditionCommands(&m_host).loadEntries();
    for (const EditionEntry &e : m_entries) {
        const QString shown = capitalise ? ProperCaseAddress(e.title) : e.title;
        List1->addItem(shown);
        if (e.active)
            Text1->setText(shown);
    }
    adjustSize();
    CenterForm(this);
    if (selectFirst && List1->count() > 0)
        List1->setCurrentRow(0);
    List1->setFocus();
}

int EditionListDialog::selectedIndex() const
{
    const QList<QListWidgetItem *> items = List1->selectedItems();
    return items.isEmpty() ? -1 : List1->row(items.first());
}

QString EditionListDialog::selectedText() const
{
    const int row = selectedIndex();
    return row < 0 ? QString() : List1->item(row)->text();
}
