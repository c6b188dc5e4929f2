#pragma once
// Re-selecting an entry of the main window's Topic or Sub-Topic list after an edit.

class QComboBox;
class QString;

// Selects, without running the list's Click handler, the entry that text re-selects: the
// entry equal to text without regard to case, else the first that begins with it (entry 1
// to the last, entry 0 last; see TopicEditing::findListEntry). When none does, selects
// entry 0. Answers the index of the entry found, or -1.
int SelectListEntry(QComboBox *list, const QString &text);
