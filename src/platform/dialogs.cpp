#include "platform/dialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QQueue>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {

struct Answer {
    enum Kind { Button, Text, Colour, Cancel, Interact } kind = Button;
    int button = 0;
    QString text;
    QColor colour;
    std::function<void(QDialog *)> handler;
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

// While scripting is on: true, recording the box as shown, when the next answer asks for
// the real box; handler then receives what is to be done with it.
bool takeInteract(const DialogScript::Shown &shown, std::function<void(QDialog *)> &handler)
{
    ScriptState &s = script();
    if (s.answers.isEmpty() || s.answers.head().kind != Answer::Interact)
        return false;
    s.shown.append(shown);
    handler = s.answers.dequeue().handler;
    return true;
}

int execBox(QDialog &box, const std::function<void(QDialog *)> &handler)
{
    FitWindowTitle(&box);
    if (handler)
        QTimer::singleShot(0, &box, [&box, handler]() {
            handler(&box);
            // A test that left the box open gets Cancel instead of a box waiting for ever.
            if (box.isVisible())
                box.reject();
        });
    return box.exec();
}

// The input box: a prompt shown exactly as given (an "&" in a name is an "&", not a
// keyboard shortcut), a text field, OK and Cancel.
class InputBoxDialog : public QDialog
{
public:
    InputBoxDialog(const QString &prompt, const QString &title, const QString &defaultText)
        : QDialog(QApplication::activeWindow())
    {
        setObjectName(QStringLiteral("InputBox"));
        setWindowTitle(::windowTitle(title));
        auto *label = new QLabel(prompt, this);
        label->setObjectName(QStringLiteral("Prompt"));
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        m_edit = new QLineEdit(defaultText, this);
        m_edit->setObjectName(QStringLiteral("Text"));
        m_edit->selectAll();
        auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        buttons->button(QDialogButtonBox::Ok)->setDefault(true);   // Enter in the field is OK
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(label);
        layout->addWidget(m_edit);
        layout->addWidget(buttons);
        setMinimumWidth(320);
    }

    QString text() const { return m_edit->text(); }

private:
    QLineEdit *m_edit;
};

} // namespace

namespace {

// The width a title bar needs for a caption: title bars draw it in a bold face beside the
// window's icon and its three buttons.
int titleBarWidth(const QString &caption)
{
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    constexpr int FrameAllowance = 160;
    return QFontMetrics(font).horizontalAdvance(caption) + FrameAllowance;
}

// Keeps a line without blanks (a file's path, an address) whole in a message box's label:
// word wrapping would otherwise break it at a "/" in the middle. No wider than most of the
// screen; a longer line still wraps.
void keepUnbrokenLinesWhole(QMessageBox &box)
{
    auto *label = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
    if (!label)
        return;
    const QFontMetrics metrics(label->font());
    int widest = 0;
    for (const QString &line : box.text().split(QLatin1Char('\n')))
        for (const QString &word : line.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            widest = qMax(widest, metrics.horizontalAdvance(word));
    const QScreen *screen = box.screen();
    const int most = screen ? screen->availableGeometry().width() * 3 / 4 : 900;
    label->setMinimumWidth(qMin(widest + 2 * label->margin() + metrics.averageCharWidth(), most));
}

} // namespace

void FitWindowTitle(QWidget *window)
{
    if (!window || window->windowFlags().testFlag(Qt::FramelessWindowHint))
        return;
    const int needed = titleBarWidth(window->windowTitle());
    if (window->minimumWidth() < needed)
        window->setMinimumWidth(needed);
    if (window->width() < needed)
        window->resize(needed, window->height());
}

int MsgBox(const QString &prompt, int buttons, const QString &title)
{
    std::function<void(QDialog *)> handler;
    if (DialogScript::active() && !takeInteract({QStringLiteral("MsgBox"), prompt, title, buttons}, handler)) {
        Answer a;
        if (!takeScripted({QStringLiteral("MsgBox"), prompt, title, buttons}, a) || a.kind != Answer::Button)
            return defaultButton(buttons);
        return a.button;
    }

    QMessageBox box(QApplication::activeWindow());
    box.setObjectName(QStringLiteral("MsgBox"));
    box.setWindowTitle(windowTitle(title));
    // Shown exactly as given: names in a message are never taken for markup.
    box.setTextFormat(Qt::PlainText);
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
    // A message box sizes itself to its text when it shows: a strut in its layout keeps
    // it wide enough for its caption.
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout()))
        grid->addItem(new QSpacerItem(titleBarWidth(box.windowTitle()), 0, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
    keepUnbrokenLinesWhole(box);
    const int pressed = execBox(box, handler);
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
    std::function<void(QDialog *)> handler;
    if (DialogScript::active() && !takeInteract({QStringLiteral("InputBox"), prompt, title, 0}, handler))
        return scriptedText({QStringLiteral("InputBox"), prompt, title, 0});
    InputBoxDialog box(prompt, title, defaultText);
    return execBox(box, handler) == QDialog::Accepted ? box.text() : QString();
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

void interact(std::function<void(QDialog *)> handler)
{
    Answer a;
    a.kind = Answer::Interact;
    a.handler = std::move(handler);
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
