#include "webtools/form6_home_page.h"

#include "platform/webbrowser.h"
#include "shared/dialog_layout.h"
#include "shared/fileroutines.h"
#include "webtools/browser_options.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace BrowserOptions;

Form6::Form6(WebBrowser *browser, QWidget *parent)
    : QDialog(parent), m_browser(browser)
{
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("Home Page Setup"));
    setModal(true);

    Label1 = new QLabel(QStringLiteral("Address:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setMinimumWidth(360);
    Command1 = NamedButton(QStringLiteral("Use Current"), "Command1", this);
    Command2 = NamedButton(QStringLiteral("OK"), "Command2", this, true);
    Command3 = NamedButton(QStringLiteral("Cancel"), "Command3", this);

    auto *body = new QHBoxLayout;
    body->addWidget(Label1);
    body->addWidget(Text1, 1);
    LayOutDialog(this, body, {Command1, Command2, Command3});

    connect(Command1, &QPushButton::clicked, this, &Form6::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form6::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form6::Command3_Click);
    Form_Load();
}

void Form6::Form_Load()
{
    const QString stored = HomePage();
    Text1->setText(stored.isEmpty() ? DefaultHomePage : stored);
    adjustSize();
    CenterForm(this);
}

void Form6::Command1_Click()
{
    if (m_browser)
        Text1->setText(m_browser->LocationURL());
}

void Form6::Command2_Click()
{
    SaveHomePage(Text1->text());
    accept();
}

void Form6::Command3_Click()
{
    reject();
}
