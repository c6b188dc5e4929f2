#pragma once
// Hard limits for a reader of outside input: a test runs its own test function (and data
// row) again in a child process that limits its own address space before the work, and
// waits for it up to a deadline. A reader that needs more memory than the limit fails in
// the child (an allocation that fails ends it); one that runs past the deadline is killed.
// Neither result depends on how fast or how busy the machine is.

#include <QCoreApplication>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QtTest>

#include <sys/resource.h>
#include <unistd.h>

namespace BoundedChild {

inline const char *childVariable() { return "QUORVANE_BOUNDED_CHILD"; }

// True in the child.
inline bool inChild()
{
    return qEnvironmentVariableIsSet(childVariable());
}

// In the child: a value the parent passed.
inline QString value(const QString &name)
{
    return qEnvironmentVariable(("QUORVANE_CHILD_" + name).toLatin1().constData());
}

// False where a limit on the address space cannot work: the address sanitizer maps far more
// than any limit at its start.
inline bool canLimitMemory()
{
#if defined(__SANITIZE_ADDRESS__)
    return false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return false;
#else
    return true;
#endif
#else
    return true;
#endif
}

// In the child: from now on the process may map at most megabytes more than it maps now.
inline bool limitMemory(qint64 megabytes)
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return false;
    const qint64 pages = statm.readAll().split(' ').value(0).toLongLong();
    if (pages <= 0)
        return false;
    rlimit limit{};
    getrlimit(RLIMIT_AS, &limit);
    limit.rlim_cur = rlim_t(pages * sysconf(_SC_PAGESIZE) + megabytes * 1024 * 1024);
    return setrlimit(RLIMIT_AS, &limit) == 0;
}

// In the parent: runs the current test function and data row in a child with these
// values. Answers "" when the child ended normally with exit code 0 within deadlineMs,
// else what happened, with the end of its output.
inline QString run(const QMap<QString, QString> &values, int deadlineMs)
{
    QString test = QString::fromLatin1(QTest::currentTestFunction());
    if (QTest::currentDataTag())
        test += QLatin1Char(':') + QString::fromLatin1(QTest::currentDataTag());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(childVariable()), QStringLiteral("1"));
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        env.insert(QStringLiteral("QUORVANE_CHILD_") + it.key(), it.value());
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {test});
    if (!child.waitForStarted())
        return QStringLiteral("the child did not start");
    if (!child.waitForFinished(deadlineMs)) {
        child.kill();
        child.waitForFinished();
        return QStringLiteral("the child ran past its deadline");
    }
    const QString output = QString::fromLocal8Bit(child.readAll().right(2000));
    if (child.exitStatus() != QProcess::NormalExit)
        return QStringLiteral("the child crashed:\n") + output;
    if (child.exitCode() != 0)
        return QStringLiteral("the child failed:\n") + output;
    return QString();
}

} // namespace BoundedChild
