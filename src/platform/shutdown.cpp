#include "platform/shutdown.h"

#include "platform/single_instance.h"

#include <QApplication>
#include <QClipboard>
#include <QPointer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

void DeleteAllWindows()
{
    // Deleting one window may delete others it owns: each is looked at only while alive.
    const QWidgetList windows = QApplication::topLevelWidgets();
    QList<QPointer<QWidget>> alive;
    for (QWidget *w : windows)
        alive.append(w);
    for (const QPointer<QWidget> &w : std::as_const(alive))
        delete w.data();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

int EndRun(int exitCode)
{
    ReleaseInstanceLock();
    const QClipboard *clipboard = QGuiApplication::clipboard();
    if (clipboard && clipboard->ownsClipboard()) {
        DeleteAllWindows();
        return exitCode;
    }
    std::fflush(nullptr);
    std::_Exit(exitCode);
}
