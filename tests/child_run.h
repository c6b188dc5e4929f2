#pragma once
// A test that runs this test program again as a child process doing one job: with its
// memory limited, killed at a chosen point, or ended by a deadline. The parent's event
// loop keeps running meanwhile, so servers of the parent answer the child. A reader that
// needs more memory than the child's limit fails there (an allocation that fails ends
// it); one that runs past the deadline is killed. Neither result depends on how fast or
// how busy the machine is.

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTimer>
#include <QtTest>

#include <sys/resource.h>

namespace ChildRun {

constexpr const char *JobVariable = "QUORVANE_TEST_CHILD_JOB";
// The job of a child that runs the parent's current test function and data row again.
constexpr const char *TestJob = "test";

// The job this process runs as a child; "" in the test run itself.
inline QString job()
{
    return qEnvironmentVariable(JobVariable);
}

// In the child: a value the parent passed.
inline QString value(const QString &name)
{
    return qEnvironmentVariable(("QUORVANE_CHILD_" + name).toLatin1().constData());
}

// False where a memory limit cannot work: the address sanitizer maps far more than any
// such limit at its start. Only the deadline bounds the child then.
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

// From now on this process may hold at most megabytes of data (heap and private
// mappings) more than it holds now; past that an allocation fails.
inline bool limitMemory(qint64 megabytes)
{
    if (!canLimitMemory())
        return true;
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    qint64 heldKb = -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmData:"))
            heldKb = line.mid(7).trimmed().split(' ').value(0).toLongLong();
    if (heldKb < 0)
        return false;
    const rlim_t bytes = rlim_t(heldKb * 1024 + megabytes * 1024 * 1024);
    const rlimit limit{bytes, bytes};
    return setrlimit(RLIMIT_DATA, &limit) == 0;
}

struct Result {
    bool inTime = false;        // it ended before the deadline (else it was killed)
    bool crashed = false;       // it ended by a signal
    int exitCode = -1;
    QByteArray output;          // its standard output, trimmed
};

// Runs this program with the job, arguments and values and waits at most deadlineMs.
inline Result run(const QString &job, const QStringList &arguments, int deadlineMs,
                  const QMap<QString, QString> &values = {})
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(JobVariable), job);
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        env.insert(QStringLiteral("QUORVANE_CHILD_") + it.key(), it.value());
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QEventLoop loop;
    QObject::connect(&child, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&child, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    child.start(QCoreApplication::applicationFilePath(), arguments);
    deadline.start(deadlineMs);
    loop.exec();
    Result result;
    result.inTime = child.state() == QProcess::NotRunning;
    if (!result.inTime) {
        child.kill();
        child.waitForFinished(5000);
    }
    result.crashed = child.exitStatus() == QProcess::CrashExit;
    result.exitCode = child.exitCode();
    result.output = child.readAllStandardOutput().trimmed();
    return result;
}

// In the parent: runs the current test function and data row again in a child (job
// TestJob) with these values. Answers "" when the child passed within deadlineMs, else
// what happened, with the end of its output.
inline QString runThisTest(const QMap<QString, QString> &values, int deadlineMs)
{
    QString test = QString::fromLatin1(QTest::currentTestFunction());
    if (QTest::currentDataTag())
        test += QLatin1Char(':') + QString::fromLatin1(QTest::currentDataTag());
    const Result result = run(QString::fromLatin1(TestJob), {test}, deadlineMs, values);
    const QString output = QString::fromLocal8Bit(result.output.right(2000));
    if (!result.inTime)
        return QStringLiteral("the child ran past its deadline");
    if (result.crashed)
        return QStringLiteral("the child crashed:\n") + output;
    if (result.exitCode != 0)
        return QStringLiteral("the child failed:\n") + output;
    return QString();
}

} // namespace ChildRun
