#include "shared/proxy_logon_dialog.h"

#include "shared/fileroutines.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

ProxyLogonDialog::ProxyLogonDialog(const QString &proxyHost, const QString &user, const QString &password,
                                   QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ProxyLogonDialog"));
    setWindowTitle(QStringLiteral("Proxy Log-on"));
    setModal(true);

    auto *prompt = new QLabel(this);
    prompt->setTextFormat(Qt::PlainText);
    prompt->setText(QStringLiteral("The proxy server %1 asks for a user name and password.").arg(proxyHost));
    prompt->setWordWrap(true);

    m_user = new QLineEdit(user, this);
    m_user->setObjectName(QStringLiteral("user"));
    m_password = new QLineEdit(password, this);
    m_password->setObjectName(QStringLiteral("password"));
    m_password->setEchoMode(QLineEdit::Password);
    // Room for a host name and the question on one or two lines, and for long log-ons.
    m_user->setMinimumWidth(fontMetrics().averageCharWidth() * 32);

    auto *fields = new QFormLayout;
    fields->addRow(QStringLiteral("User Id:"), m_user);
    fields->addRow(QStringLiteral("Password:"), m_password);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addLayout(fields);
    layout->addWidget(buttons);

    if (user.isEmpty())
        m_user->setFocus();
    else
        m_password->setFocus();
}

QString ProxyLogonDialog::user() const
{
    return m_user->text();
}

QString ProxyLogonDialog::password() const
{
    return m_password->text();
}

bool ProxyLogonDialog::ask(const QString &proxyHost, QString &user, QString &password)
{
    ProxyLogonDialog dialog(proxyHost, user, password, QApplication::activeWindow());
    dialog.adjustSize();
    CenterForm(&dialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    user = dialog.user();
    password = dialog.password();
    return true;
}
