#include "editing/category_tree_dialog.h"

#include "shared/database.h"
#include "shared/dialog_layout.h"
#include "shared/fileroutines.h"
#include "shared/globals.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

CategoryTreeDialog::CategoryTreeDialog(CategoryTreeHost &host, const QString &name, const QString &title,
                                       QWidget *parent)
    : QDialog(parent)
    , m_host(host)
{
    setObjectName(name);
    setWindowTitle(title);
    setModal(true);
}

void CategoryTreeDialog::build(QGridLayout *grid, const QString &commandCaption, QWidget *firstControl)
{
    m_firstControl = firstControl;
    Label2 = new QLabel(QStringLiteral("Parent Folder:"), this);
    Label3 = NameLabel(this, "Label3");
    Command1 = NamedButton(commandCaption, "Command1", this, true);
    Command2 = NamedButton(QStringLiteral("Cancel"), "Command2", this);

    const int row = grid->rowCount();
    AddNameRow(grid, row, Label2, Label3, qMax(1, grid->columnCount() - 1));
    LayOutDialog(this, grid, {Command1, Command2});

    connect(Command2, &QPushButton::clicked, this, &CategoryTreeDialog::Command2_Click);
}

void CategoryTreeDialog::Command2_Click()
{
    reject();
}

void CategoryTreeDialog::showSelectedPath()
{
    Label3->setText(SelectedNodePath);
    adjustSize();
    CenterForm(this);
    OpenDatabase(CurrentDatabaseFile);
}

void CategoryTreeDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_firstControl)
        m_firstControl->setFocus();
}
