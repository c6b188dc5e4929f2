#pragma once
// Type-ahead completion in an editable combo box: each typed character completes the text
// to the first list item that begins with what was typed (without regard to case), and the
// completed tail is selected so that the next keystroke replaces it.

#include <QObject>
#include <QPointer>

class QComboBox;
class QKeyEvent;
class QListView;

// Handles one typed character (its character code: 8 Backspace, 13 Enter, 27 Escape, 32 and
// above printable) and answers the code the combo box is still to receive: 0 when the
// keystroke was consumed, 13 for Enter (it passes on). Any failure answers the code
// unchanged.
int AutoCompleteComboBox(QComboBox *combo, int character);
// Shows the combo box's list below it without taking the keyboard from the edit field.
void AutoCompleteDropDown(QComboBox *combo);

// Character codes of the keys the key-press handlers single out.
constexpr int KeyBackspace = 8;
constexpr int KeyEnter = 13;
constexpr int KeyEscape = 27;

// The character code of a key press, as AutoCompleteComboBox takes it, or -1 for a key
// that carries no character (arrows, Home, End, Delete, function keys, ...): those keep
// their usual editing meaning.
int KeyPressCharCode(const QKeyEvent *event);

// Wires type-ahead into an editable combo box: key presses in its edit field go through
// AutoCompleteComboBox, Qt's own completer and "Enter inserts the text" are switched off.
// A key whose answer is 13 (Enter) reaches the combo box and its owner as usual.
class ComboTypeAhead : public QObject
{
    Q_OBJECT
public:
    // Attaches to the combo box (owned by it).
    static ComboTypeAhead *attach(QComboBox *combo);
    // The drop-down list shown while typing (created on first use).
    QListView *dropDown();
    void hideDropDown();
    // Whether typed keys are completed here (on by default); a box whose owner completes
    // through AutoCompleteComboBox itself switches it off and keeps only the drop-down.
    void setCompleting(bool on) { m_completing = on; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit ComboTypeAhead(QComboBox *combo);
    QPointer<QComboBox> m_combo;
    QPointer<QListView> m_list;
    bool m_completing = true;
    // What the filter watches, only compared: events still come while the box is being
    // destroyed, when it must no longer be used.
    const QObject *m_watchedCombo = nullptr;
    const QObject *m_watchedEdit = nullptr;
};
