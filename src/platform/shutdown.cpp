#include "platform/shutdown.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

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
