#include "editions/form12_restore_edition.h"

#include "shared/dialog_layout.h"
#include "shared/fileroutines.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

Form12::Form12(EditionHost &host, QWidget *parent)
    : QDialog(parent)
    , m_restore(&host)
{
    setObjectName(QStringLiteral("Form12"));
    setWindowTitle(QStringLiteral("Restore Edition"));
    setModal(true);

    Label1 = new QLabel(QStringLiteral("The following Editions may be restored. Please select an Edition:  "), this);
    ListView1 = new QTreeWidget(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setRootIsDecorated(false);
    ListView1->setHeaderLabels({QStringLiteral("Edition Name"), QStringLiteral("Backup Date")});
    ListView1->setMinimumSize(460, 180);
    ListView1->header()->setSectionResizeMode(QHeaderView::Stretch);
    Label2 = new QLabel(QStringLiteral("The 'Restore Edition' function is available in case of data corruption."), this);

    Command1 = NamedButton(QStringLiteral("Restore"), "Command1", this, true);
    Command3 = NamedButton(QStringLiteral("Delete"), "Command3", this);
    Command2 = NamedButton(QStringLiteral("Cancel"), "Command2", this);
    connect(Command1, &QPushButton::clicked, this, &Form12::Command1_Click);
    connect(Command3, &QPushButton::clicked, this, &Form12::Command3_Click);
    connect(Command2, &QPushButton::clicked, this, &QDialog::reject);

    auto *body = new QVBoxLayout;
    body->addWidget(Label1);
    body->addWidget(ListView1);
    body->addWidget(Label2);
    LayOutDialog(this, body, {Command1, Command3, Command2});
}

void Form12::Form_Load()
{
    LoadBackupList();
    selectFirst();
    adjustSize();
    CenterForm(this);
}

void Form12::LoadBackupList()
{
    ListView1->clear();
    m_backups = m_restore.backups();
    for (const BackupEntry &b : m_backups)
        ListView1->addTopLevelItem(new QTreeWidgetItem({b.shown, b.date}));
}

const BackupEntry *Form12::selectedBackup() const
{
    const QList<QTreeWidgetItem *> items = ListView1->selectedItems();
    if (items.isEmpty())
        return nullptr;
    const int row = ListView1->indexOfTopLevelItem(items.first());
    return row >= 0 && row < m_backups.size() ? &m_backups.at(row) : nullptr;
}

void Form12::Command1_Click()
{
    if (m_restore.restore(selectedBackup()) == EditionRestore::After::Close)
        accept();
}

void Form12::Command3_Click()
{
    if (!m_restore.deleteBackup(selectedBackup()))
        return;
    LoadBackupList();
    selectFirst();
}

void Form12::selectFirst()
{
    if (ListView1->topLevelItemCount() > 0) {
        ListView1->setCurrentItem(ListView1->topLevelItem(0));
        ListView1->scrollToItem(ListView1->currentItem());
    }
}
