#pragma once
// The wait cursor for as long as a piece of work runs, restored on every way out. Without
// a graphical application (a console run) it shows nothing.

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>

class WaitCursor
{
public:
    WaitCursor()
        : m_shown(qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr)
    {
        if (m_shown)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~WaitCursor()
    {
        if (m_shown)
            QGuiApplication::restoreOverrideCursor();
    }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;

private:
    bool m_shown;
};
