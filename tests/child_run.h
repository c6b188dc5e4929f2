#pragma once
// A test that runs this test program again as a child process doing one job: with its
// memory limited, killed at a chosen point, or ended by a deadline. The parent's event
// loop keeps running meanwhile, so servers of the parent answer the child.

#include "bounded_child.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include <sys/resource.h>

namespace ChildRun {

constexpr const char *JobVariable = "QUORVANE_TEST_CHILD_JOB";

// The job this process runs as a child; "" in the test run itself.
inline QString job()
{
    return qEnvironmentVariable(JobVariable);
}

// From now on this process may hold at most megabytes of data (heap and private
// mappings); past that an allocation fails. Under the address sanitizer, which maps far more
// than any such limit, only the deadline bounds the child.
inline void limitMemory(int megabytes)
{
    if (!BoundedChild::canLimitMemory())
        return;
    const rlim_t bytes = rlim_t(megabytes) * 1024 * 1024;
    const rlimit limit{bytes, bytes};
    setrlimit(RLIMIT_DATA, &limit);
}

struct Result {
    bool inTime = false;        // it ended before the deadline (else it was killed)
    bool crashed = false;       // it ended by a signal
    int exitCode = -1;
    QByteArray output;          // its standard output, trimmed
};

// Runs this program with the job and arguments and waits at most deadlineMs.
inline Result run(const QString &job, const QStringList &arguments, int deadlineMs)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(JobVariable), job);
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

} // namespace ChildRun
