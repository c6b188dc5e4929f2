#pragma once
// The parts every dialog of the program lays out the same way: its command buttons and
// their row below the dialog's own controls.

#include <initializer_list>

class QDialog;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLayout;
class QPushButton;
class QString;
class QWidget;

// A push button with a caption and an object name; with isDefault it is the button that
// Enter presses.
QPushButton *NamedButton(const QString &caption, const char *name, QWidget *parent, bool isDefault = false);

// A label that shows a name or a path: its text exactly as given, an "&" as an "&" (never a
// keyboard shortcut) and never taken for markup, wrapped where it is wider than about 60
// characters, so that no name makes its window wider than the screen.
QLabel *NameLabel(QWidget *parent, const char *name = nullptr);
// Puts a row of caption and name in grid: the caption stands beside the first line of a
// name that takes several. The name spans columnSpan columns.
void AddNameRow(QGridLayout *grid, int row, QLabel *caption, QWidget *name, int columnSpan = 1);

// The row of a dialog's command buttons: pushed to the right, in the order given.
QHBoxLayout *ButtonRow(std::initializer_list<QPushButton *> buttons);

// Lays out a dialog: body on top, the row of its command buttons below.
void LayOutDialog(QDialog *dialog, QLayout *body, std::initializer_list<QPushButton *> buttons);
