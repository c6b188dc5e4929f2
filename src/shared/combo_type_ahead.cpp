#include "shared/combo_type_ahead.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QScreen>
#include <QSignalBlocker>

namespace {

ComboTypeAhead *typeAheadOf(QComboBox *combo)
{
    return combo->findChild<ComboTypeAhead *>(QString(), Qt::FindDirectChildrenOnly);
}

void caretToEnd(QLineEdit *edit)
{
    edit->deselect();
    edit->setCursorPosition(int(edit->text().size()));
}

} // namespace

int AutoCompleteComboBox(QComboBox *combo, int character)
{
    if (!combo || !combo->lineEdit())
        return character;
    QLineEdit *edit = combo->lineEdit();
    const int selLength = int(edit->selectedText().size());
    const int selStart = selLength != 0 ? edit->selectionStart() : edit->cursorPosition();
    int result = 0;
    bool searching = true;
    QString typed;

    if (character >= 32) {
        const char32_t code = char32_t(character);
        const QString ch = QString::fromUcs4(&code, 1);
        // A typed character replaces the selected completion.
        typed = (selLength != 0 ? edit->text().left(selStart) : edit->text()) + ch;
    } else {
        searching = false;
        edit->deselect();
        if (character == KeyBackspace) {
            QString text = edit->text();
            if (selLength != 0)
                text = text.left(selStart);
            else if (!text.isEmpty())
                text.chop(1);
            edit->setText(text);
            caretToEnd(edit);
        } else if (character == KeyEnter) {
            caretToEnd(edit);
            result = KeyEnter;
        }
        if (ComboTypeAhead *typeAhead = typeAheadOf(combo)) {
            if (character == KeyEnter || character == KeyEscape)
                typeAhead->hideDropDown();
        }
    }

    if (searching) {
        AutoCompleteDropDown(combo);
        const int found = combo->findText(typed, Qt::MatchStartsWith);
        if (found >= 0) {
            {
                // Choosing the entry by typing is not a click on the list.
                const QSignalBlocker block(combo);
                combo->setCurrentIndex(found);
            }
            const QString shown = combo->itemText(found);
            edit->setText(shown);
            edit->setSelection(int(typed.size()), int(shown.size() - typed.size()));
            if (ComboTypeAhead *typeAhead = typeAheadOf(combo)) {
                QListView *list = typeAhead->dropDown();
                list->setCurrentIndex(combo->model()->index(found, combo->modelColumn(), combo->rootModelIndex()));
                list->scrollTo(list->currentIndex());
            }
        } else {
            {
                const QSignalBlocker block(combo);
                combo->setCurrentIndex(-1);
            }
            edit->setText(typed);
            caretToEnd(edit);
            if (ComboTypeAhead *typeAhead = typeAheadOf(combo))
                typeAhead->dropDown()->clearSelection();
        }
    }
    return result;
}

void AutoCompleteDropDown(QComboBox *combo)
{
    if (!combo || combo->count() == 0 || !combo->isVisible())
        return;
    ComboTypeAhead *typeAhead = typeAheadOf(combo);
    if (!typeAhead)
        typeAhead = ComboTypeAhead::attach(combo);
    QListView *list = typeAhead->dropDown();
    const int rows = qMin(combo->count(), qMax(1, combo->maxVisibleItems()));
    const int rowHeight = qMax(list->sizeHintForRow(0), combo->fontMetrics().height());
    const int frame = 2 * list->frameWidth();
    QPoint below = combo->mapToGlobal(QPoint(0, combo->height()));
    const int height = rows * rowHeight + frame;
    if (QScreen *screen = combo->screen()) {
        // Open above the box when there is no room below it.
        if (below.y() + height > screen->availableGeometry().bottom())
            below = combo->mapToGlobal(QPoint(0, -height));
    }
    list->setGeometry(QRect(below, QSize(combo->width(), height)));
    list->show();
}

int KeyPressCharCode(const QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Backspace:
        return KeyBackspace;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return KeyEnter;
    case Qt::Key_Escape:
        return KeyEscape;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return -1;
    default:
        break;
    }
    const QString text = event->text();
    if (text.isEmpty())
        return -1;
    const QList<uint> codes = text.toUcs4();
    if (codes.size() != 1)
        return -1;
    return int(codes.first());
}

ComboTypeAhead *ComboTypeAhead::attach(QComboBox *combo)
{
    if (!combo)
        return nullptr;
    if (ComboTypeAhead *existing = typeAheadOf(combo))
        return existing;
    return new ComboTypeAhead(combo);
}

ComboTypeAhead::ComboTypeAhead(QComboBox *combo)
    : QObject(combo)
    , m_combo(combo)
{
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr);
    combo->lineEdit()->installEventFilter(this);
    combo->installEventFilter(this);
    m_watchedCombo = combo;
    m_watchedEdit = combo->lineEdit();
}

QListView *ComboTypeAhead::dropDown()
{
    if (!m_list) {
        // A list of its own that never takes the keyboard: typing goes on in the edit field.
        m_list = new QListView(m_combo);
        m_list->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint);
        m_list->setAttribute(Qt::WA_ShowWithoutActivating);
        m_list->setFocusPolicy(Qt::NoFocus);
        m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        m_list->setModel(m_combo->model());
        m_list->setModelColumn(m_combo->modelColumn());
        m_list->setRootIndex(m_combo->rootModelIndex());
        connect(m_list, &QListView::clicked, this, [this](const QModelIndex &index) {
            if (!m_combo)
                return;
            hideDropDown();
            // A click on the list is the user's choice, as in the box's own list.
            const int row = index.row();
            m_combo->setCurrentIndex(row);
            emit m_combo->activated(row);
            emit m_combo->textActivated(m_combo->itemText(row));
        });
    }
    return m_list;
}

void ComboTypeAhead::hideDropDown()
{
    if (m_list)
        m_list->hide();
}

bool ComboTypeAhead::eventFilter(QObject *watched, QEvent *event)
{
    // A user's keys reach the combo box, which holds the focus and passes them on to its
    // edit field; keys sent to the edit field itself are handled the same way.
    if (event->type() == QEvent::KeyPress && (watched == m_watchedCombo || watched == m_watchedEdit)) {
        if (!m_completing || !m_combo)
            return false;
        const int code = KeyPressCharCode(static_cast<QKeyEvent *>(event));
        if (code < 0)
            return false;
        const int answer = AutoCompleteComboBox(m_combo, code);
        return answer != KeyEnter;   // Enter goes on to the box; the rest was handled
    }
    if (watched == m_watchedEdit) {
        if (event->type() == QEvent::FocusOut)
            hideDropDown();
    } else if (watched == m_watchedCombo) {
        if (event->type() == QEvent::Hide || event->type() == QEvent::Move || event->type() == QEvent::FocusOut)
            hideDropDown();
    }
    return false;
}
