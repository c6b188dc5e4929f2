#include "webtools/form28_web_mail.h"

#include "shared/dialog_layout.h"
#include "shared/fileroutines.h"
#include "webtools/browser_options.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

using namespace BrowserOptions;

Form28::Form28(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form28"));
    setWindowTitle(QStringLiteral("Web-based Email Setup"));
    setModal(true);

    Label1 = new QLabel(QStringLiteral("Please Select An Email Website"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setMinimumWidth(260);
    Command2 = NamedButton(QStringLiteral("OK"), "Command2", this, true);
    Command3 = NamedButton(QStringLiteral("Cancel"), "Command3", this);

    auto *body = new QVBoxLayout;
    body->addWidget(Label1);
    body->addWidget(Combo1);
    LayOutDialog(this, body, {Command2, Command3});

    connect(Command2, &QPushButton::clicked, this, &Form28::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form28::Command3_Click);
    Form_Load();
}

void Form28::Form_Load()
{
    const QSignalBlocker block(Combo1);
    Combo1->clear();
    int chosen = FallbackMailService;
    const QString stored = EmailUrl();
    for (int i = 0; i < MailServices().size(); ++i) {
        Combo1->addItem(MailServices().at(i).name);
        if (MailServices().at(i).address == stored)
            chosen = i;
    }
    Combo1->setCurrentIndex(chosen);
    adjustSize();
    CenterForm(this);
}

void Form28::Command2_Click()
{
    const int index = Combo1->currentIndex();
    SaveEmailUrl(index >= 0 && index < MailServices().size() ? MailServices().at(index).address : QString());
    accept();
}

void Form28::Command3_Click()
{
    reject();
}
