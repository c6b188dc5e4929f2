#pragma once
// A connection of its own to an edition file other than the open one, for compacting and
// exporting: opened when made, closed and removed when it goes.

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

class ScratchConnection
{
public:
    explicit ScratchConnection(const QString &path);
    ~ScratchConnection();
    ScratchConnection(const ScratchConnection &) = delete;
    ScratchConnection &operator=(const ScratchConnection &) = delete;

    bool isOpen() const { return m_open; }
    // Runs one statement; answers false (error says why) when it fails.
    bool exec(const QString &sql, const QVariantList &values = {});
    // The first column of the first row of a statement; invalid when it fails.
    QVariant value(const QString &sql);
    QString error() const { return m_error; }

private:
    QString m_name;
    QString m_error;
    bool m_open = false;
};
