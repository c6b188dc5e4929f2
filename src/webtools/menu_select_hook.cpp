#include "webtools/menu_select_hook.h"

#include <QAction>
#include <QEvent>
#include <QMainWindow>
#include <QMenu>

namespace {

const char *const kHookName = "MenuSelectHook";

} // namespace

MenuSelectHook *MenuSelectHook::of(const QMainWindow *window)
{
    return window ? window->findChild<MenuSelectHook *>(QLatin1String(kHookName), Qt::FindDirectChildrenOnly)
                  : nullptr;
}

MenuSelectHook *MenuSelectHook::install(QMainWindow *window)
{
    if (MenuSelectHook *hook = of(window))
        return hook;   // a second hook would see every event twice
    return new MenuSelectHook(window);
}

MenuSelectHook::MenuSelectHook(QMainWindow *window)
    : QObject(window)
{
    setObjectName(QLatin1String(kHookName));
    window->installEventFilter(this);
    const QList<QMenu *> menus = window->findChildren<QMenu *>();
    for (QMenu *menu : menus)
        watchMenu(menu);
}

void MenuSelectHook::watchMenu(QMenu *menu)
{
    menu->installEventFilter(this);
    connect(menu, &QMenu::hovered, this, [this](QAction *action) {
        // The item's text with its "&" marks, as the menu holds it.
        m_highlightedText = action ? action->text() : QString();
    });
}

bool MenuSelectHook::eventFilter(QObject *watched, QEvent *event)
{
    Q_UNUSED(watched);
    Q_UNUSED(event);
    ++m_eventsSeen;
    return false;   // every event goes on to the window unchanged
}
