#include "platform/dialogs.h"

#include "platform/message_label.h"

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QPointer>
#include <QQueue>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

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

// The window a box opens over: the modal dialog on top where one is open (a box comes from
// what it shows), else the active window.
QWidget *boxOwner()
{
    QWidget *modal = QApplication::activeModalWidget();
    return modal ? modal : QApplication::activeWindow();
}

// The windows a box was opened over, nearest first: its parent's window and the windows
// that window was opened over in turn.
QList<QPointer<QWidget>> openers(const QDialog &box)
{
    QList<QPointer<QWidget>> windows;
    for (QWidget *w = box.parentWidget(); w; w = w->parentWidget()) {
        w = w->window();
        windows.append(w);
    }
    return windows;
}

// Shows the box modally with the keyboard focus, and hands the focus back once it is
// closed: to the window it was opened over, or, where that window has closed meanwhile
// (a dialog that closes on the box's answer), to the window that one was opened over.
int execBox(QDialog &box, const std::function<void(QDialog *)> &handler)
{
    FitWindowTitle(&box);
    const QList<QPointer<QWidget>> windows = openers(box);
    QTimer::singleShot(0, &box, [&box, handler]() {
        box.activateWindow();
        if (!handler)
            return;
        handler(&box);
        // A test that left the box open gets Cancel instead of a box waiting for ever.
        if (box.isVisible())
            box.reject();
    });
    const int result = box.exec();
    // Once what the answer led to has run: the opener may close on it.
    QTimer::singleShot(0, qApp, [windows]() {
        for (const QPointer<QWidget> &w : windows)
            if (w && w->isVisible()) {
                if (!w->isActiveWindow())
                    w->activateWindow();
                return;
            }
    });
    return result;
}

// The box copies its text with Ctrl+C, the selected part where the text has the focus and
// a part is selected, the whole text otherwise.
void copyWithKeys(QDialog &box, MessageLabel *label)
{
    auto *copy = new QShortcut(QKeySequence::Copy, &box);
    QObject::connect(copy, &QShortcut::activated, label, [label] { label->copy(); });
    // The text is reached with Tab as the buttons are, for selecting it with the keys; the
    // frame that shows it has the focus stands clear of the letters.
    label->setFocusPolicy(Qt::StrongFocus);
    label->setContentsMargins(2, 1, 2, 1);
}

} // namespace

// Title bars draw the caption, followed by " — " and the program's name as the window system
// is given it, in a bold face beside the window's icon and its three buttons.
int TitleBarWidth(const QString &caption)
{
    QString shown = caption;
    const QString name = QGuiApplication::applicationDisplayName();
    if (!name.isEmpty() && !caption.endsWith(name))
        shown += (caption.isEmpty() ? QString() : QStringLiteral(" \u2014 ")) + name;
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    constexpr int FrameAllowance = 120;
    return QFontMetrics(font).horizontalAdvance(shown) + FrameAllowance;
}

namespace {

// A box of a fixed size: its title bar asks for a close button only.
constexpr Qt::WindowFlags BoxFlags = Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                                     | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

// Sizes a box to its message: the label as wide as the message's longest line, but no
// wider than three quarters of the screen, where the message wraps instead; the box as
// tall as the wrapped message and wide enough for its caption. The size is fixed, so no
// later resize can cut the message.
void fitToMessage(QDialog &box, MessageLabel *label)
{
    const QScreen *screen = box.screen();
    const int most = (screen ? screen->availableGeometry().width() : 1280) * 3 / 4;
    label->setMinimumWidth(qMin(label->unwrappedWidth(), most));
    QLayout *layout = box.layout();
    layout->invalidate();
    const int width = std::max({layout->totalMinimumSize().width(), TitleBarWidth(box.windowTitle()), box.minimumWidth()});
    box.setFixedSize(width, layout->totalHeightForWidth(width));
}

// The input box: a prompt, a text field, OK and Cancel.
class InputBoxDialog : public QDialog
{
public:
    InputBoxDialog(const QString &prompt, const QString &title, const QString &defaultText)
        : QDialog(boxOwner(), BoxFlags)
    {
        setObjectName(QStringLiteral("InputBox"));
        setWindowTitle(::windowTitle(title));
        auto *label = new MessageLabel(prompt, this);
        m_edit = new QLineEdit(defaultText, this);
        m_edit->setObjectName(QStringLiteral("Text"));
        m_edit->selectAll();
        m_edit->setFocus();
        auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        buttons->button(QDialogButtonBox::Ok)->setDefault(true);   // Enter in the field is OK
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(label);
        layout->addWidget(m_edit);
        layout->addWidget(buttons);
        setMinimumWidth(320);
        copyWithKeys(*this, label);
        fitToMessage(*this, label);
    }

    QString text() const { return m_edit->text(); }

private:
    QLineEdit *m_edit;
};

} // namespace

void FitWindowTitle(QWidget *window)
{
    if (!window || window->windowFlags().testFlag(Qt::FramelessWindowHint))
        return;
    const int needed = TitleBarWidth(window->windowTitle());
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

    QDialog box(boxOwner(), BoxFlags);
    box.setObjectName(QStringLiteral("MsgBox"));
    box.setWindowTitle(windowTitle(title));
    auto *grid = new QGridLayout(&box);
    QStyle::StandardPixmap icon = QStyle::SP_CustomBase;
    switch (buttons & 0x70) {
    case vbCritical: icon = QStyle::SP_MessageBoxCritical; break;
    case vbQuestion: icon = QStyle::SP_MessageBoxQuestion; break;
    case vbExclamation: icon = QStyle::SP_MessageBoxWarning; break;
    case vbInformation: icon = QStyle::SP_MessageBoxInformation; break;
    default: break;
    }
    if (icon != QStyle::SP_CustomBase) {
        auto *picture = new QLabel(&box);
        picture->setObjectName(QStringLiteral("Icon"));
        const int size = box.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &box);
        picture->setPixmap(box.style()->standardIcon(icon, nullptr, &box).pixmap(size, size));
        grid->addWidget(picture, 0, 0, Qt::AlignTop);
        grid->setHorizontalSpacing(2 * grid->horizontalSpacing());
    }
    auto *label = new MessageLabel(prompt, &box);
    grid->addWidget(label, 0, 1);
    // Room a wide caption leaves goes to the text's column, beside the icon.
    grid->setColumnStretch(1, 1);
    copyWithKeys(box, label);
    struct Btn { QDialogButtonBox::StandardButton qt; int vb; };
    QList<Btn> list;
    switch (buttons & 7) {
    case vbOKCancel: list = {{QDialogButtonBox::Ok, vbOK}, {QDialogButtonBox::Cancel, vbCancel}}; break;
    case vbAbortRetryIgnore:
        list = {{QDialogButtonBox::Abort, vbAbort}, {QDialogButtonBox::Retry, vbRetry}, {QDialogButtonBox::Ignore, vbIgnore}};
        break;
    case vbYesNoCancel:
        list = {{QDialogButtonBox::Yes, vbYes}, {QDialogButtonBox::No, vbNo}, {QDialogButtonBox::Cancel, vbCancel}};
        break;
    case vbYesNo: list = {{QDialogButtonBox::Yes, vbYes}, {QDialogButtonBox::No, vbNo}}; break;
    case vbRetryCancel: list = {{QDialogButtonBox::Retry, vbRetry}, {QDialogButtonBox::Cancel, vbCancel}}; break;
    default: list = {{QDialogButtonBox::Ok, vbOK}}; break;
    }
    auto *buttonBox = new QDialogButtonBox(&box);
    buttonBox->setCenterButtons(box.style()->styleHint(QStyle::SH_MessageBox_CenterButtons, nullptr, &box));
    for (const Btn &b : list)
        buttonBox->addButton(b.qt);
    QObject::connect(buttonBox, &QDialogButtonBox::clicked, &box,
                     [&box, buttonBox](QAbstractButton *b) { box.done(buttonBox->standardButton(b)); });
    grid->addWidget(buttonBox, 1, 0, 1, 2);
    const int defaultIndex = (buttons & vbDefaultButton3) ? 2 : (buttons & vbDefaultButton2) ? 1 : 0;
    if (defaultIndex < list.size()) {
        QPushButton *chosen = buttonBox->button(list.at(defaultIndex).qt);
        chosen->setDefault(true);
        chosen->setFocus();
    }
    fitToMessage(box, label);
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
