#pragma once
// A connection of its own to an edition file other than the open one, for compacting and
// exporting: opened when made, closed and removed when it goes.

#include <QSqlDatabase>
#include <QSqlError>
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
    // The connection itself, for statements prepared once and run many times.
    QSqlDatabase database() const;
    // Runs one statement; answers false (error says why) when it fails.
    bool exec(const QString &sql, const QVariantList &values = {});
    // The first column of the first row of a statement; invalid when it fails.
    QVariant value(const QString &sql);
    QString error() const { return m_error; }
    // SQLite's primary result code of the last failure (0 when there was none).
    int errorCode() const { return m_code; }
    // Whether a check is stopped once it runs longer than a sound file of its size needs.
    // Only a file all of whose declarations are the program's own (a copy of the empty
    // edition, with tables made from their columns alone) is checked without the bound,
    // which asks the clock every few steps of the check.
    enum class Limit { Bounded, None };
    // SQLite's integrity check (its quicker form with quick): "ok" when it finds nothing
    // wrong, else what it found; invalid when it could not run (errorCode() says why).
    // The file's own declarations may have the check work out an expression of theirs for
    // every row: a bounded check that runs past its time is stopped, invalid with the code
    // Interrupted.
    QVariant check(bool quick = false, Limit limit = Limit::Bounded);
    // True when check() finds nothing wrong.
    bool intact(bool quick = false, Limit limit = Limit::Bounded);
    // SQLite's primary result code of a statement stopped before its end.
    static constexpr int Interrupted = 9;

private:
    void fail(const QSqlError &error);

    QString m_path;
    QString m_name;
    QString m_error;
    int m_code = 0;
    bool m_open = false;
};
