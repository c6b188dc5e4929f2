#pragma once
// The layout the edition dialogs share: the active edition's name in a box, the list of
// editions below it, notes, and the command buttons. Each entry of the list keeps the
// place of its line in the edition list, so a command acts on that line and its file
// whatever the entry shows.

#include "editions/edition_list.h"

#include <QDialog>
#include <QList>
#include <QStringList>

class EditionHost;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QVBoxLayout;

class EditionListDialog : public QDialog
{
    Q_OBJECT
public:
    QLabel *Label1 = nullptr;        // "Active Edition:" (hidden where there is no box)
    QLineEdit *Text1 = nullptr;      // the active edition's name
    QLabel *Label2 = nullptr;        // "Available Edition(s):"
    QListWidget *List1 = nullptr;    // the editions
    QPushButton *Command1 = nullptr; // the command
    QPushButton *Command2 = nullptr; // "Cancel"

    // The list's row of the selected entry, or -1.
    int selectedIndex() const;
    QString selectedText() const;

protected:
    // name: the window's object name; showActive: with the "Active Edition:" box; notes:
    // lines of text below the list; extra: controls between the notes and the buttons.
    EditionListDialog(EditionHost &host, const char *name, const QString &caption, const QString &command,
                      bool showActive, const QStringList &notes, QWidget *parent);
    // Fills the list (names shown as read, or capitalised as names and addresses are) and
    // the active box, centres the window and selects the first entry when asked.
    void fillList(bool capitalise, bool selectFirst);
    // Controls added below the notes.
    QVBoxLayout *body() const { return m_body; }
    EditionHost &host() const { return m_host; }

    QList<EditionEntry> m_entries;

private:
    EditionHost &m_host;
    QVBoxLayout *m_body = nullptr;
};
