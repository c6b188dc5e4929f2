#include "webtools/form10_accounts.h"

#include "platform/dialogs.h"
#include "shared/database.h"
#include "shared/fileroutines.h"
#include "shared/globals.h"
#include "webtools/result_list.h"
#include "webtools/stored_accounts.h"

#include <QPushButton>
#include <QVBoxLayout>

Form10::Form10(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form10"));
    setWindowTitle(QStringLiteral("Personal Account Information "));
    setModal(true);
    ListView1 = NewResultList({QStringLiteral("Title"), QStringLiteral("URL")}, "ListView1", this);
    ListView1->setMinimumSize(480, 220);
    ListView1->setColumnWidth(0, 180);
    auto button = [this](const QString &caption, const char *name) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        return b;
    };
    Command4 = button(QStringLiteral("Go"), "Command4");
    Command2 = button(QStringLiteral("Delete"), "Command2");
    Command3 = button(QStringLiteral("Cancel"), "Command3");
    Command4->setDefault(true);   // Enter opens the chosen account's page
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ListView1, 1);
    auto *row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton *b : {Command4, Command2, Command3})
        row->addWidget(b);
    layout->addLayout(row);

    connect(Command4, &QPushButton::clicked, this, &Form10::Command4_Click);
    connect(Command2, &QPushButton::clicked, this, &Form10::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form10::Command3_Click);
    connect(ListView1, &QTreeWidget::itemDoubleClicked, this, [this] { ListView1_DblClick(); });
}

void Form10::Form_Load()
{
    adjustSize();
    CenterForm(this);
    UpdatePrivateInfo();
    updateButtons();
}

void Form10::updateButtons()
{
    const bool any = ListView1->topLevelItemCount() > 0;
    Command4->setEnabled(any);
    Command2->setEnabled(any);
}

void Form10::UpdatePrivateInfo()
{
    ListView1->clear();
    OpenDatabase(CurrentDatabaseFile);
    QVector<AccountEntry> entries;
    StoredAccounts accounts;
    if (!accounts.list(entries))
        MsgBox(QStringLiteral("The stored accounts could not be read.\n\n") + accounts.lastError(),
               vbOKOnly | vbExclamation, windowTitle());
    for (const AccountEntry &entry : std::as_const(entries))
        ListView1->addTopLevelItem(new ResultListItem(QStringList{entry.title, entry.url}));
    if (ListView1->topLevelItemCount() > 0)
        SelectRow(ListView1, ListView1->topLevelItem(0));
}

void Form10::Command4_Click()
{
    QTreeWidgetItem *row = SelectedRow(ListView1);
    if (!row)
        return;
    AccountPageUrl = row->text(1);
    m_chosenTitle = row->text(0);
    accept();
}

void Form10::ListView1_DblClick()
{
    Command4_Click();
}

void Form10::Command2_Click()
{
    QTreeWidgetItem *row = SelectedRow(ListView1);
    if (row
        && MsgBox(QStringLiteral("Are you sure you want to delete the selected record?"), vbYesNo | vbQuestion,
                  QStringLiteral("Delete Personal Account Record"))
               == vbYes) {
        StoredAccounts accounts;
        if (!accounts.remove(row->text(0)))
            MsgBox(QStringLiteral("The account could not be deleted.\n\n") + accounts.lastError(),
                   vbOKOnly | vbExclamation, windowTitle());
        UpdatePrivateInfo();
    }
    updateButtons();
}

void Form10::Command3_Click()
{
    reject();
}
