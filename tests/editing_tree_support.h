#pragma once
// Helpers of the category and link editing tests: the main window on a chosen Sub-Topic,
// pressing and right-clicking tree nodes as the user does, modal dialogs answered while
// they show, and reading rows back.

#include "mainwindow/form1.h"
#include "shared/database.h"
#include "shared/globals.h"
#include "shared/tree_nodes.h"

#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <functional>

namespace EditingTest {

// The user choosing entry text in a list.
inline void choose(QComboBox *combo, const QString &text)
{
    const int index = combo->findText(text, Qt::MatchExactly);
    QVERIFY2(index >= 0, qPrintable(text));
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

// The main window, shown, with a Topic and Sub-Topic chosen.
inline Form1 *openSubTopic(const QString &topic, const QString &subTopic)
{
    Form1 *form = Form1::instance();
    form->show();
    if (!QTest::qWaitForWindowExposed(form))
        qWarning("main window not exposed");
    choose(form->Combo1, topic);
    choose(form->Combo2, subTopic);
    return form;
}

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

// The tree node with that full path ("\" between the names), or nullptr.
inline TreeNode *nodeAt(Form1 *form, const QString &fullPath)
{
    const QList<TreeNode *> all = TreeNodes::of(form->TvwBestell)->All();
    for (TreeNode *node : all)
        if (node->FullPath() == fullPath)
            return node;
    return nullptr;
}

inline QStringList nodePaths(Form1 *form)
{
    QStringList paths;
    const QList<TreeNode *> all = TreeNodes::of(form->TvwBestell)->All();
    for (TreeNode *node : all)
        paths.append(node->FullPath());
    return paths;
}

inline QPoint nodePoint(Form1 *form, TreeNode *node)
{
    node->EnsureVisible();
    QCoreApplication::processEvents();
    return form->TvwBestell->visualItemRect(node).center();
}

// A left press on the node.
inline void press(Form1 *form, TreeNode *node)
{
    const QPoint p = nodePoint(form, node);
    form->TvwBestell_MouseDown(1, 0, p.x(), p.y());
}

// A right click on the node: press and release; the popup menu that shows is closed again
// without a choice (the test then runs the command's handler).
inline void rightClick(Form1 *form, TreeNode *node)
{
    const QPoint p = nodePoint(form, node);
    form->TvwBestell_MouseDown(2, 0, p.x(), p.y());
    QTimer closer;
    closer.setInterval(5);
    QObject::connect(&closer, &QTimer::timeout, [&closer]() {
        if (QWidget *menu = QApplication::activePopupWidget()) {
            closer.stop();
            menu->close();
        }
    });
    closer.start();
    form->TvwBestell_MouseUp(2, 0, p.x(), p.y());
    QCoreApplication::processEvents();
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

// Rows of a query as texts, columns joined by "|".
inline QStringList rows(const QString &sql, const QVariantList &values = {})
{
    QStringList result;
    Recordset rs;
    if (!rs.open(sql, values))
        return {QStringLiteral("error: ") + rs.lastError()};
    const QStringList columns = rs.columns();
    for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
        QStringList row;
        for (const QString &c : columns)
            row.append(rs.text(c));
        result.append(row.join(QLatin1Char('|')));
    }
    return result;
}

inline qint64 count(const QString &sql, const QVariantList &values = {})
{
    return QueryValue(sql, values).toLongLong();
}

// LksSit rows whose category is gone, and Sit rows no category holds.
inline qint64 orphanLinks()
{
    return count(QStringLiteral("SELECT count(*) FROM LksSit WHERE LksId NOT IN (SELECT LksId FROM Lks)"))
        + count(QStringLiteral("SELECT count(*) FROM Sit WHERE SitId NOT IN (SELECT SitId FROM LksSit)"));
}

} // namespace EditingTest
