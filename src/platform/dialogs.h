#pragma once
// Message, input, file, folder and colour dialogs of the program.
//
// Every window asks the user through these functions, never through QMessageBox or
// QInputDialog directly. Tests script the answers with DialogScript and read back what
// was shown; a box that a test did not expect is recorded instead of blocking the run.

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

class QDialog;
class QWidget;

// Buttons, icons and answers of a message box, with their classic numeric values.
enum MsgBoxStyle : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton2 = 256,
    vbDefaultButton3 = 512,
};

enum MsgBoxResult : int {
    vbOK = 1,
    vbCancel = 2,
    vbAbort = 3,
    vbRetry = 4,
    vbIgnore = 5,
    vbYes = 6,
    vbNo = 7,
};

// Shows a modal message box; answers the button pressed (vbOK, vbYes, ...).
// An empty title shows the application's title.
int MsgBox(const QString &prompt, int buttons = vbOKOnly, const QString &title = QString());

// Shows a modal input box; answers the text typed, or an empty text when cancelled.
QString InputBox(const QString &prompt, const QString &title = QString(),
                 const QString &defaultText = QString());

// Makes a window at least as wide as its caption needs, so that a title bar shows the
// caption whole. Every box below and every dialog of the program is fitted this way.
void FitWindowTitle(QWidget *window);
// The width a title bar needs to show caption whole.
int TitleBarWidth(const QString &caption);

// File dialogs: answer the chosen path, or an empty text when cancelled.
QString GetOpenFileName(QWidget *parent, const QString &title, const QString &folder,
                        const QString &filter);
QString GetSaveFileName(QWidget *parent, const QString &title, const QString &folder,
                        const QString &filter);
// Open-file dialog choosing several files: answers their paths, or an empty list when
// cancelled. A scripted answer names the files one a line.
QStringList GetOpenFileNames(QWidget *parent, const QString &title, const QString &folder,
                             const QString &filter);
// Folder dialog: answers the chosen folder, or an empty text when cancelled.
QString BrowseForFolder(QWidget *parent, const QString &title, const QString &folder);
// Colour dialog: answers true and sets colour when the user chose one.
bool ChooseColor(QWidget *parent, QColor &colour);

// The test seam of the dialogs above.
namespace DialogScript {

struct Shown {
    QString kind;     // "MsgBox", "InputBox", "OpenFile", "SaveFile", "Folder", "Color"
    QString prompt;
    QString title;
    int buttons = 0;
};

// While scripting is on, no dialog is shown: each one takes the next scripted answer.
void begin();
void end();
bool active();

// Queue answers, taken in order by whatever dialog comes next.
void answer(int msgBoxResult);                  // for MsgBox
void input(const QString &text);                // for InputBox and the file/folder dialogs
void color(const QColor &colour);               // for ChooseColor; an invalid colour cancels
void cancel();                                  // cancels the next InputBox, file, folder or colour dialog
// The next MsgBox or InputBox is really shown: handler runs on it once it shows and must
// close it (type into it, click its buttons). Its answer is what the box answers.
void interact(std::function<void(QDialog *box)> handler);

QList<Shown> shown();          // every dialog shown since begin(), in order
Shown last();                  // the last dialog shown (empty when none)
void clearShown();
int pending();                 // scripted answers not yet taken
QStringList unexpected();      // dialogs that came when no answer was queued

} // namespace DialogScript
