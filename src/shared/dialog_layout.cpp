#include "shared/dialog_layout.h"

#include "platform/message_label.h"

#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

QPushButton *NamedButton(const QString &caption, const char *name, QWidget *parent, bool isDefault)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    if (isDefault)
        button->setDefault(true);
    return button;
}

QLabel *NameLabel(QWidget *parent, const char *name)
{
    auto *label = new MessageLabel(QString(), parent);
    if (name)
        label->setObjectName(QLatin1String(name));
    return label;
}

QHBoxLayout *ButtonRow(std::initializer_list<QPushButton *> buttons)
{
    auto *row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton *button : buttons)
        row->addWidget(button);
    return row;
}

void AddNameRow(QGridLayout *grid, int row, QLabel *caption, QWidget *name, int columnSpan)
{
    grid->addWidget(caption, row, 0, Qt::AlignLeft | Qt::AlignTop);
    grid->addWidget(name, row, 1, 1, columnSpan);
}

void LayOutDialog(QDialog *dialog, QLayout *body, std::initializer_list<QPushButton *> buttons)
{
    auto *layout = new QVBoxLayout(dialog);
    layout->addLayout(body);
    layout->addLayout(ButtonRow(buttons));
}
