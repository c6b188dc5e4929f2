#pragma once
// The about box: the program's picture, its legal notices and the notices of the
// libraries it is built on.

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

class Form11 : public QDialog
{
    Q_OBJECT
public:
    explicit Form11(QWidget *parent = nullptr);

    // The whole text of the box, lines separated by "\n".
    static QString AboutText();

    QLabel *Picture1 = nullptr;
    QPlainTextEdit *Text1 = nullptr;
    QPushButton *Command1 = nullptr;

    void Form_Load();
    void Command1_Click();
};
