#pragma once
// The question a proxy's log-on request puts to the user: a user name and a password
// for that proxy, nothing else.

#include <QDialog>

class QLineEdit;

class ProxyLogonDialog : public QDialog
{
    Q_OBJECT
public:
    ProxyLogonDialog(const QString &proxyHost, const QString &user, const QString &password,
                     QWidget *parent = nullptr);

    QString user() const;
    QString password() const;

    // Shows the dialog modally; answers false when cancelled, else sets user and
    // password to what was typed.
    static bool ask(const QString &proxyHost, QString &user, QString &password);

private:
    QLineEdit *m_user = nullptr;
    QLineEdit *m_password = nullptr;
};
