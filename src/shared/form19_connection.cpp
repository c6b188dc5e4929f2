#include "shared/form19_connection.h"

#include "shared/dialog_layout.h"
#include "shared/fileroutines.h"
#include "shared/globals.h"
#include "shared/http_request.h"
#include "shared/routines.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QPair>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <pwd.h>
#include <unistd.h>

namespace {

QLineEdit *makeBox(QWidget *parent, const char *name)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text, QWidget *buddy)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setBuddy(buddy);
    return label;
}

} // namespace

Form19::Form19(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form19"));
    setWindowTitle(QStringLiteral("Internet Connection"));
    setModal(true);

    Option2 = new QRadioButton(QStringLiteral("Proxy Connection"), this);
    Option2->setObjectName(QStringLiteral("Option2"));
    Option1 = new QRadioButton(QStringLiteral("Direct Connection"), this);
    Option1->setObjectName(QStringLiteral("Option1"));
    Option1->setChecked(true);

    Frame1 = new QGroupBox(QStringLiteral("Proxy Connection"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Text1 = makeBox(Frame1, "Text1");
    Text2 = makeBox(Frame1, "Text2");
    Text3 = makeBox(Frame1, "Text3");
    Text4 = makeBox(Frame1, "Text4");
    Text4->setEchoMode(QLineEdit::Password);
    Label1 = makeLabel(Frame1, "Label1", QStringLiteral("Proxy Server:"), Text1);
    Label2 = makeLabel(Frame1, "Label2", QStringLiteral("Port:"), Text2);
    Label3 = makeLabel(Frame1, "Label3", QStringLiteral("User Id:"), Text3);
    Label4 = makeLabel(Frame1, "Label4", QStringLiteral("Password:"), Text4);

    // One box a row: the host, a short port box, then the log-on, as wide as the host.
    auto *grid = new QGridLayout(Frame1);
    const int charWidth = Text1->fontMetrics().averageCharWidth();
    const QList<QPair<QLabel *, QLineEdit *>> rows = {{Label1, Text1}, {Label2, Text2}, {Label3, Text3},
                                                      {Label4, Text4}};
    for (int row = 0; row < int(rows.size()); ++row) {
        grid->addWidget(rows.at(row).first, row, 0);
        grid->addWidget(rows.at(row).second, row, 1);
    }
    Text1->setMinimumWidth(charWidth * 32);
    Text2->setFixedWidth(charWidth * 9);
    grid->setAlignment(Text2, Qt::AlignLeft);
    grid->setColumnStretch(1, 1);

    // Enter presses OK, except in a blank password box, where it does nothing.
    Command1 = NamedButton(QStringLiteral("OK"), "Command1", this);
    Command1->setDefault(true);
    Text4->installEventFilter(this);

    auto *options = new QHBoxLayout;
    options->addWidget(Option2);
    options->addWidget(Option1);
    options->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(options);
    layout->addWidget(Frame1);
    layout->addLayout(ButtonRow({Command1}));

    connect(Option1, &QRadioButton::clicked, this, &Form19::Option1_Click);
    connect(Option2, &QRadioButton::clicked, this, &Form19::Option2_Click);
    connect(Command1, &QPushButton::clicked, this, &Form19::Command1_Click);
    connect(Text4, &QLineEdit::returnPressed, this, &Form19::Text4_Return);

    Form_Load();
}

bool Form19::SplitProxySetting(const QString &setting, QString &host, QString &port)
{
    QString s = setting;
    const qsizetype semicolon = s.indexOf(QLatin1Char(';'));
    if (semicolon >= 0)
        s.truncate(semicolon);
    const qsizetype colon = s.lastIndexOf(QLatin1Char(':'));
    if (colon < 1)
        return false;
    host = s.left(colon);
    port = s.mid(colon + 1);
    return true;
}

QString Form19::LogOnUserName()
{
    if (const passwd *entry = getpwuid(getuid()); entry && entry->pw_name && *entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    QString name = qEnvironmentVariable("USER");
    if (name.isEmpty())
        name = qEnvironmentVariable("LOGNAME");
    return name;
}

void Form19::Form_Load()
{
    adjustSize();
    CenterForm(this);
    Frame1->setEnabled(false);

    QString host;
    QString port;
    if (SplitProxySetting(GetProxyServer(QStringLiteral("http")), host, port)) {
        Text1->setText(host);
        Text2->setText(port);
    }
    Text3->setText(LogOnUserName());
}

void Form19::Option1_Click()
{
    Frame1->setEnabled(false);
}

void Form19::Option2_Click()
{
    Frame1->setEnabled(true);
}

void Form19::Command1_Click()
{
    if (Option2->isChecked()) {
        ProxyServer = Text1->text();
        ProxyPort = Text2->text();
        ProxyUserId = Text3->text();
        ProxyPassword = Text4->text();
    }
    ProxyConfirmed = 1;
    accept();
}

bool Form19::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Text4 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && TrimBlanks(Text4->text()).isEmpty())
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void Form19::Text4_Return()
{
    if (!TrimBlanks(Text4->text()).isEmpty())
        Command1_Click();
}
