#include "mainwindow/start.h"
#include "platform/settings.h"
#include "platform/shutdown.h"
#include "platform/single_instance.h"
#include "shared/fileroutines.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

int main(int argc, char *argv[])
{
    // The program's pictures are built into the core library.
    Q_INIT_RESOURCE(quorvane);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    // The application title. No display name is set: the window system would append it to
    // the caption of every window, and each window's caption is its own.
    QApplication::setApplicationName(AppTitle);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/quorvane.png")));

    auto *start = new Start;
    if (!start->Form_Load())
        return 0;
    start->adjustSize();
    CenterForm(start);
    start->show();
    start->Timer1->start();
    const int rc = app.exec();
    DeleteAllWindows();
    ReleaseInstanceLock();
    return rc;
}
