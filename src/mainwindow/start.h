#pragma once
// The start-up window: a splash picture with a progress bar. Before it is shown it
// decides whether the program may run (browser component version, single instance),
// records whether the machine is online and brings the edition list up to date; when
// the bar is full it opens the main window and closes itself.

#include <QWidget>

class QLabel;
class QProgressBar;
class QTimer;

class Start : public QWidget
{
    Q_OBJECT
public:
    explicit Start(QWidget *parent = nullptr);

    // The start-up sequence. Answers false when the program must not go on (the refusal
    // has then been shown); the caller ends the program without showing anything.
    bool Form_Load();
    bool CheckIE();
    void LoadDbFiles();
    void Timer1_Timer();

    qint16 SplashTicks = 0;
    QString IEVersionText;
    QString ConnectionName;

    QLabel *Picture1 = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QTimer *Timer1 = nullptr;

    // How long one tick of the splash lasts, in milliseconds.
    static constexpr int kTickMs = 1;

signals:
    // Emitted when the bar is full, after the main window has been shown.
    void finished();
};
