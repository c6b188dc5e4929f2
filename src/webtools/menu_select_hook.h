#pragma once
// The main window's message hook: an event filter on the window and its menus that sees
// every event before the window does and passes each on unchanged. When an item of one of
// the window's menus becomes the highlighted one, it looks up the item's text (nothing
// shows it). It is installed once per window and goes with the window.

#include <QObject>
#include <QString>

class QMainWindow;
class QMenu;

class MenuSelectHook : public QObject
{
    Q_OBJECT
public:
    // Installs the hook on window and its menus; answers the one hook when the window has
    // one already.
    static MenuSelectHook *install(QMainWindow *window);
    static MenuSelectHook *of(const QMainWindow *window);

    // Events the hook has seen, and the text of the item last highlighted.
    int eventsSeen() const { return m_eventsSeen; }
    QString highlightedText() const { return m_highlightedText; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit MenuSelectHook(QMainWindow *window);
    void watchMenu(QMenu *menu);

    int m_eventsSeen = 0;
    QString m_highlightedText;
};
