#pragma once
// "Download Progress": a small window beside the plug-in edition dialog that shows the
// transfer under way: its status, its rate, the per cent done and a progress bar.

#include <QDialog>

class QLabel;
class QProgressBar;

class Form30 : public QDialog
{
    Q_OBJECT
public:
    explicit Form30(QWidget *parent = nullptr);

    QLabel *Label3 = nullptr;        // status
    QLabel *Label4 = nullptr;        // rate, "<n> Kb/s"
    QLabel *Label5 = nullptr;        // per cent, "<n>% "
    QProgressBar *PB = nullptr;

    // Empties the three labels and the bar.
    void Form_Load();
    // Shows count bytes of length on the bar (any size: large ones are scaled).
    void showBytes(qint64 count, qint64 length);
};
