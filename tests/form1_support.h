#pragma once
// Helpers of the tests that drive the main window: showing and closing it, choosing list
// entries as the user does, and answering the modal dialogs it opens while they show.

#include "mainwindow/form1.h"
#include "platform/browser_window.h"
#include "platform/webbrowser.h"

#include <QApplication>
#include <QComboBox>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace Form1Test {

// The base of a test class whose tests show the main window: its web browser needs OpenGL
// contexts shared before the application object is made, which QTEST_MAIN leaves to
// initMain.
class WindowTestCase : public QObject
{
public:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }
};

// The texts of a list's entries, in order.
inline QStringList comboItems(const QComboBox *combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items.append(combo->itemText(i));
    return items;
}

// The user choosing entry text in a list.
inline void choose(QComboBox *combo, const QString &text)
{
    const int index = combo->findText(text, Qt::MatchExactly);
    QVERIFY2(index >= 0, qPrintable(text));
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

// The user picking entry text in a list with the keyboard: Home, then Down until it shows.
inline void pickWithKeys(QComboBox *combo, const QString &text)
{
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Home);
    for (int i = 0; i < combo->count() && combo->currentText() != text; ++i)
        QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(combo->currentText(), text);
}

// The main window, loaded and shown.
inline Form1 *showMainWindow()
{
    Form1 *form = Form1::instance();
    form->show();
    if (!QTest::qWaitForWindowExposed(form))
        qWarning("main window not exposed");
    return form;
}

// The main window, shown, with a Topic and Sub-Topic chosen.
inline Form1 *openSubTopic(const QString &topic, const QString &subTopic)
{
    Form1 *form = showMainWindow();
    choose(form->Combo1, topic);
    choose(form->Combo2, subTopic);
    return form;
}

// Closes every other shown window, then closes and deletes the main window.
inline void closeMainWindow()
{
    const QWidgetList all = QApplication::topLevelWidgets();
    for (QWidget *w : all)
        if (w->isVisible() && w != Form1::existing())
            w->close();
    if (Form1 *form = Form1::existing()) {
        form->close();
        delete form;
    }
}


// Closes the program's browser windows and waits until they have left the list.
inline void closeBrowserWindows()
{
    for (BrowserWindow *w : BrowserWindow::openWindows())
        w->close();
    QTRY_VERIFY(BrowserWindow::openWindows().isEmpty());
}

// Runs action on the first modal dialog of type T that shows while this lives.
template <typename T>
class OnModal
{
public:
    explicit OnModal(std::function<void(T *)> action)
        : m_action(std::move(action))
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (T *dialog = shownDialog()) {
                m_timer.stop();
                seen = true;
                m_action(dialog);
            }
        });
        m_timer.start();
    }
    bool seen = false;

private:
    // The active modal window, or else any shown window of type T: another top-level
    // window brought to the front (a browser window) must not hide the dialog.
    static T *shownDialog()
    {
        if (auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget()))
            return dialog;
        const QWidgetList windows = QApplication::topLevelWidgets();
        for (QWidget *w : windows)
            if (auto *dialog = qobject_cast<T *>(w); dialog && dialog->isVisible())
                return dialog;
        return nullptr;
    }

    std::function<void(T *)> m_action;
    QTimer m_timer;
};

} // namespace Form1Test
