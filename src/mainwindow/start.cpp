#include "mainwindow/start.h"

#include "editions/edition_discovery.h"
#include "mainwindow/form1.h"
#include "platform/connection_state.h"
#include "platform/dialogs.h"
#include "platform/programfolder.h"
#include "platform/single_instance.h"
#include "shared/fileroutines.h"
#include "shared/globals.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

Start::Start(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setAttribute(Qt::WA_DeleteOnClose);
    Picture1 = new QLabel(this);
    Picture1->setPixmap(QPixmap(QStringLiteral(":/images/splash.png")));
    Picture1->setAlignment(Qt::AlignCenter);
    Picture1->setVisible(false);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setFixedHeight(10);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Picture1);
    layout->addWidget(ProgressBar1);
    Timer1 = new QTimer(this);
    Timer1->setInterval(600);
    connect(Timer1, &QTimer::timeout, this, &Start::Timer1_Timer);
}

bool Start::Form_Load()
{
    // Online test.
    ConnectionName = QString(254, QChar());
    IsOnline = InternetGetConnectedState() == 1;

    // Browser component check.
    if (!CheckIE()) {
        MsgBox(QStringLiteral("Your current version of Microsoft Internet Explorer is: ") + IEVersionText
                   + QStringLiteral("\n\nQuorvane (Version 1.0) is optimized for MSIE versions 5 and above. "
                                    "It is recommended that you upgrade your version of MSIE before proceeding."),
               vbCritical | vbOKOnly, QStringLiteral("MSIE Version"));
        close();
        return false;
    }

    // Single instance.
    if (AnotherInstanceRunning()) {
        QApplication::setApplicationDisplayName(QStringLiteral("Quorvane"));
        MsgBox(QStringLiteral("You are currently running an instance of Quorvane. Please close this instance first."),
               vbOKOnly, QStringLiteral("Quorvane"));
        return false;
    }

    Timer1->setInterval(kTickMs);
    setWindowTitle(QString());
    Picture1->setVisible(true);
    LoadDbFiles();
    return true;
}

bool Start::CheckIE()
{
    DllVersionInfo version;
    const int major = DllVersionMajor(version);
    IEVersionText = GetIEVersion();
    return major >= 5;
}

void Start::LoadDbFiles()
{
    QStringList unlisted;
    RemoveScratchFiles(ProgramFolder());
    RebuildEditionList(ProgramFolder(), &unlisted);
    if (!unlisted.isEmpty())
        MsgBox(UnlistedEditionsMessage(unlisted), vbExclamation, QStringLiteral("Edition List"));
}

void Start::Timer1_Timer()
{
    ++SplashTicks;
    ProgressBar1->setValue(SplashTicks);
    if (ProgressBar1->value() == 100) {
        // Stop first: the main window's load yields to the event loop.
        Timer1->stop();
        Form1 *main = Form1::instance();
        main->show();
        emit finished();
        close();
    }
}
