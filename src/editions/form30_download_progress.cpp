#include "editions/form30_download_progress.h"

#include "platform/dialogs.h"
#include "platform/message_label.h"

#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>

#include <algorithm>
#include <limits>

Form30::Form30(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form30"));
    setWindowTitle(QStringLiteral("Download Progress"));
    setModal(false);

    Label3 = new MessageLabel(QStringLiteral("Status:"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label4 = new QLabel(QStringLiteral("0 Kb/s"), this);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label5 = new QLabel(this);
    Label5->setObjectName(QStringLiteral("Label5"));
    Label5->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    PB = new QProgressBar(this);
    PB->setObjectName(QStringLiteral("PB"));
    PB->setTextVisible(false);

    const int charWidth = fontMetrics().averageCharWidth();
    auto *grid = new QGridLayout(this);
    // As wide as 44 characters of status, or as the caption needs when that is wider.
    const QMargins margins = grid->contentsMargins();
    Label3->setFixedWidth(std::max(charWidth * 44, TitleBarWidth(windowTitle()) - margins.left() - margins.right()));
    grid->addWidget(Label3, 0, 0, 1, 2);
    grid->addWidget(PB, 1, 0, 1, 2);
    grid->addWidget(Label4, 2, 0);
    grid->addWidget(Label5, 2, 1);
    // A status longer than the label takes another line: the window grows to show it.
    grid->setSizeConstraint(QLayout::SetFixedSize);
}

void Form30::Form_Load()
{
    Label3->clear();
    Label4->clear();
    Label5->clear();
    PB->setValue(0);
}

void Form30::showBytes(qint64 count, qint64 length)
{
    int shift = 0;
    while ((length >> shift) > std::numeric_limits<int>::max())
        ++shift;
    PB->setMaximum(int(length >> shift));
    PB->setValue(int(qBound<qint64>(0, count, length) >> shift));
}
