#include "platform/dialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QQueue>

namespace {

struct Answer {
    enum Kind { Button, Text, Colour, Cancel } kind = Button;
    int button = 0;
    QString text;
    QColor colour;
};

struct ScriptState {
    bool active = false;
    QQueue<Answer> answers;
    QList<DialogScript::Shown> shown;
    QStringList unexpected;
};

ScriptState &script()
{
    static ScriptState s;
    return s;
}

// The answer a box gives when nobody scripted one: its first button.
int defaultButton(int buttons)
{
    switch (buttons & 7) {
    case vbAbortRetryIgnore: return vbAbort;
    case vbYesNoCancel:
    case vbYesNo: return vbYes;
    case vbRetryCancel: return vbRetry;
    default: return vbOK;
    }
}

bool takeScripted(const DialogScript::Shown &shown, Answer &answer)
{
    ScriptState &s = script();
    s.shown.append(shown);
    if (s.answers.isEmpty()) {
        s.unexpected.append(shown.kind + QLatin1String(": ") + shown.title + QLatin1String(": ") + shown.prompt);
        return false;
    }
    answer = s.answers.dequeue();
    return true;
}

QString scriptedText(const DialogScript::Shown &shown)
{
    Answer a;
    if (!takeScripted(shown, a) || a.kind != Answer::Text)
        return QString();
    return a.text;
}

QString windowTitle(const QString &title)
{
    return title.isEmpty() ? QApplication::applicationDisplayName() : title;
}

} // namespace

int MsgBox(const QString &prompt, int buttons, const QString &title)
{
    if (DialogScript::active()) {
        Answer a;
        if (!takeScripted({QStringLiteral("MsgBox"), prompt, title, buttons}, a) || a.kind != Answer::Button)
            return defaultButton(buttons);
        return a.button;
    }

    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(windowTitle(title));
    box.setText(prompt);
    switch (buttons & 0x70) {
    case vbCritical: box.setIcon(QMessageBox::Critical); break;
    case vbQuestion: box.setIcon(QMessageBox::Question); break;
    case vbExclamation: box.setIcon(QMessageBox::Warning); break;
    case vbInformation: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
    }
    struct Btn { QMessageBox::StandardButton qt; int vb; };
    QList<Btn> list;
    switch (buttons & 7) {
    case vbOKCancel: list = {{QMessageBox::Ok, vbOK}, {QMessageBox::Cancel, vbCancel}}; break;
    case vbAbortRetryIgnore:
        list = {{QMessageBox::Abort, vbAbort}, {QMessageBox::Retry, vbRetry}, {QMessageBox::Ignore, vbIgnore}};
        break;
    case vbYesNoCancel:
        list = {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}, {QMessageBox::Cancel, vbCancel}};
        break;
    case vbYesNo: list = {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}}; break;
    case vbRetryCancel: list = {{QMessageBox::Retry, vbRetry}, {QMessageBox::Cancel, vbCancel}}; break;
    default: list = {{QMessageBox::Ok, vbOK}}; break;
    }
    QMessageBox::StandardButtons set;
    for (const Btn &b : list)
        set |= b.qt;
    box.setStandardButtons(set);
    int defaultIndex = (buttons & vbDefaultButton3) ? 2 : (buttons & vbDefaultButton2) ? 1 : 0;
    if (defaultIndex < list.size())
        box.setDefaultButton(list.at(defaultIndex).qt);
    const int pressed = box.exec();
    for (const Btn &b : list)
        if (b.qt == pressed)
            return b.vb;
    // Closed with Escape or the window's close button: the cancel-like answer.
    if ((buttons & 7) == vbYesNo)
        return vbNo;
    return (buttons & 7) == vbOKOnly ? vbOK : vbCancel;
}

QString InputBox(const QString &prompt, const QString &title, const QString &defaultText)
{
    if (DialogScript::active())
        return scriptedText({QStringLiteral("InputBox"), prompt, title, 0});
    bool ok = false;
    const QString text = QInputDialog::getText(QApplication::activeWindow(), windowTitle(title), prompt,
                                               QLineEdit::Normal, defaultText, &ok);
    return ok ? text : QString();
}

QString GetOpenFileName(QWidget *parent, const QString &title, const QString &folder, const QString &filter)
{
    if (DialogScript::active())
        return scriptedText({QStringLiteral("OpenFile"), filter, title, 0});
    return QFileDialog::getOpenFileName(parent, title, folder, filter);
}

QStringList GetOpenFileNames(QWidget *parent, const QString &title, const QString &folder, const QString &filter)
{
    if (DialogScript::active())
        return scriptedText({QStringLiteral("OpenFile"), filter, title, 0}).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return QFileDialog::getOpenFileNames(parent, title, folder, filter);
}

QString GetSaveFileName(QWidget *parent, const QString &title, const QString &folder, const QString &filter)
{
    if (DialogScript::active())
        return scriptedText({QStringLiteral("SaveFile"), filter, title, 0});
    return QFileDialog::getSaveFileName(parent, title, folder, filter);
}

QString BrowseForFolder(QWidget *parent, const QString &title, const QString &folder)
{
    if (DialogScript::active())
        return scriptedText({QStringLiteral("Folder"), folder, title, 0});
    return QFileDialog::getExistingDirectory(parent, title, folder);
}

bool ChooseColor(QWidget *parent, QColor &colour)
{
    if (DialogScript::active()) {
        Answer a;
        if (!takeScripted({QStringLiteral("Color"), colour.name(), QString(), 0}, a) || a.kind != Answer::Colour
            || !a.colour.isValid())
            return false;
        colour = a.colour;
        return true;
    }
    const QColor chosen = QColorDialog::getColor(colour, parent);
    if (!chosen.isValid())
        return false;
    colour = chosen;
    return true;
}

namespace DialogScript {

void begin()
{
    ScriptState &s = script();
    s = ScriptState();
    s.active = true;
}

void end()
{
    script() = ScriptState();
}

bool active()
{
    return script().active;
}

void answer(int msgBoxResult)
{
    Answer a;
    a.kind = Answer::Button;
    a.button = msgBoxResult;
    script().answers.enqueue(a);
}

void input(const QString &text)
{
    Answer a;
    a.kind = Answer::Text;
    a.text = text;
    script().answers.enqueue(a);
}

void color(const QColor &colour)
{
    Answer a;
    a.kind = Answer::Colour;
    a.colour = colour;
    script().answers.enqueue(a);
}

void cancel()
{
    Answer a;
    a.kind = Answer::Cancel;
    script().answers.enqueue(a);
}

QList<Shown> shown()
{
    return script().shown;
}

Shown last()
{
    const QList<Shown> &list = script().shown;
    return list.isEmpty() ? Shown() : list.last();
}

void clearShown()
{
    script().shown.clear();
}

int pending()
{
    return int(script().answers.size());
}

QStringList unexpected()
{
    return script().unexpected;
}

} // namespace DialogScript
