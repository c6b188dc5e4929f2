#pragma once
// What the benchmarks that time whole runs of the program share: the program's own start
// and a bare Qt Widgets + WebEngine window that does the same visible work, each run in a
// child process of the benchmark; the line that tells what a start ended with; a clock
// that child and parent read alike; and spinning children that keep the machine busy.

#include "bench_support.h"

#include "mainwindow/form1.h"
#include "mainwindow/start.h"
#include "platform/connection_state.h"
#include "platform/settings.h"
#include "platform/webbrowser.h"

#include <QComboBox>
#include <QEventLoop>
#include <QMainWindow>
#include <QMenuBar>
#include <QProcess>
#include <QSettings>
#include <QSplitter>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWebEngineView>

#include <chrono>
#include <memory>

namespace bench {

constexpr int ChildWaitMs = 60000;

// Nanoseconds on the machine's steady clock: the same in every process.
inline qint64 steadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Waits until done() holds or the time is up.
inline bool waitUntil(const std::function<bool()> &done)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(ChildWaitMs, &loop, &QEventLoop::quit);
    poll.start(1);
    loop.exec();
    return done();
}

// What a start ended with: the editions listed and the active one, the Topics listed, the
// number of Sub-Topics listed, and the page shown.
inline QString startState(const QComboBox *editions, const QComboBox *topics, const QComboBox *subTopics,
                          const QUrl &page)
{
    QStringList names;
    for (const QComboBox *box : {editions, topics})
        for (int i = 0; i < box->count(); ++i)
            names.append(box->itemText(i));
    return QStringLiteral("editions %1, active %2; Topics and editions: %3; Sub-Topics %4; page %5")
        .arg(editions->count())
        .arg(editions->currentText(), names.join(QLatin1Char('|')))
        .arg(subTopics->count())
        .arg(page.fileName());
}

// The program's own start, as main() makes it: the splash, then the main window with its
// home page. No box waits for a user, and the machine counts as online, so the home page
// is the one that comes with the program.
inline Form1 *programStart()
{
    QApplication::setApplicationName(AppTitle);
    DialogScript::begin();
    SetConnectedStateOverride(1);
    auto *start = new Start;
    if (!start->Form_Load())
        return nullptr;
    start->adjustSize();
    start->show();
    start->Timer1->start();
    const bool up = waitUntil([] {
        const Form1 *form = Form1::existing();
        return form && form->isVisible() && form->results->ReadyState() == 4;
    });
    return up ? Form1::existing() : nullptr;
}

inline QString programState(const Form1 *form)
{
    return startState(form->Combo6, form->Combo1, form->Combo2, form->results->url());
}

// The bare program: a window with a File menu holding Exit, the editions of dbnames.txt
// in one list (the active one chosen), "Select Topic" and the active edition's Topics in
// another, an empty Sub-Topic list above an empty tree, and a web view beside it showing
// the home page that comes with the program. Exit writes one setting and closes the window.
class BareWindow
{
public:
    QMainWindow window;
    QAction *exit = nullptr;

    bool start(const QString &folder)
    {
        auto *client = new QWidget;
        auto *layout = new QVBoxLayout(client);
        m_editions = new QComboBox;
        m_topics = new QComboBox;
        m_subTopics = new QComboBox;
        auto *split = new QSplitter;
        m_view = new QWebEngineView;
        split->addWidget(new QTreeWidget);
        split->addWidget(m_view);
        for (QWidget *w : {static_cast<QWidget *>(m_editions), static_cast<QWidget *>(m_topics),
                           static_cast<QWidget *>(m_subTopics)})
            layout->addWidget(w);
        layout->addWidget(split, 1);
        window.setCentralWidget(client);
        exit = window.menuBar()->addMenu(QStringLiteral("&File"))->addAction(QStringLiteral("E&xit"));
        QObject::connect(exit, &QAction::triggered, &window, [this] {
            QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Bare"), QStringLiteral("Bare"))
                .setValue(QStringLiteral("Search/Mode"), QStringLiteral("Off"));
            window.close();
        });

        QString active;
        QFile list(folder + QStringLiteral("dbnames.txt"));
        if (!list.open(QIODevice::ReadOnly))
            return false;
        for (const QString &line : QString::fromLatin1(list.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
            const QString file = line.section(QLatin1Char(','), 0, 0);
            m_editions->addItem(line.section(QLatin1Char(','), 1));
            if (file.startsWith(QLatin1Char('*'))) {
                active = file.mid(1);
                m_editions->setCurrentIndex(m_editions->count() - 1);
            }
        }
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bare"));
        db.setDatabaseName(folder + active);
        if (!db.open())
            return false;
        m_topics->addItem(QStringLiteral("Select Topic"));
        QSqlQuery query(db);
        query.exec(QStringLiteral("SELECT TopicName FROM Topics ORDER BY TopicName COLLATE NOCASE"));
        while (query.next())
            m_topics->addItem(query.value(0).toString());

        bool loaded = false;
        QObject::connect(m_view, &QWebEngineView::loadFinished, m_view, [&loaded] { loaded = true; });
        m_view->load(QUrl::fromLocalFile(folder + QStringLiteral("help/mainpage.html")));
        window.resize(900, 600);
        window.show();
        return waitUntil([&] { return loaded && window.isVisible(); });
    }

    QString state() const { return startState(m_editions, m_topics, m_subTopics, m_view->url()); }

private:
    QComboBox *m_editions = nullptr;
    QComboBox *m_topics = nullptr;
    QComboBox *m_subTopics = nullptr;
    QWebEngineView *m_view = nullptr;
};

// Processes of this benchmark that spin for at most limitMs each, one for every two
// threads the machine runs at once and as many again; all are ended with this object.
class BusyMachine
{
public:
    explicit BusyMachine(int limitMs)
    {
        const int count = 2 * QThread::idealThreadCount();
        for (int i = 0; i < count; ++i) {
            auto process = std::make_unique<QProcess>();
            process->start(QCoreApplication::applicationFilePath(), {QStringLiteral("--busy"), QString::number(limitMs)});
            m_children.push_back(std::move(process));
        }
    }
    ~BusyMachine()
    {
        for (auto &process : m_children) {
            process->kill();
            process->waitForFinished(ChildWaitMs);
        }
    }
    int count() const { return int(m_children.size()); }

    // The child's side: spins until the time is up.
    static int spin(int limitMs)
    {
        const qint64 end = steadyNs() + qint64(limitMs) * 1000000;
        volatile quint64 sum = 0;
        while (steadyNs() < end)
            for (int i = 0; i < 100000; ++i)
                sum = sum + quint64(i);
        return 0;
    }

private:
    std::vector<std::unique_ptr<QProcess>> m_children;
};

// Reads a child's output lines until one starts with prefix (or the child ends or the
// time is up); answers that line without the prefix, and keeps every line in *said.
inline QString readUntil(QProcess &process, const QByteArray &prefix, QByteArray *said)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ChildWaitMs) {
        while (process.canReadLine()) {
            const QByteArray line = process.readLine().trimmed();
            *said += line + '\n';
            if (line.startsWith(prefix))
                return QString::fromUtf8(line.mid(prefix.size()));
        }
        if (!process.waitForReadyRead(ChildWaitMs - int(clock.elapsed())))
            break;
    }
    return QString();
}

} // namespace bench
