#pragma once
// The section link editor: the names and addresses of the five links of one section of
// the shown Sub-Topic's page (the section table CurrentSectionTable).
//
// "Update" stores them and sets SectionDialogChanged to 1; "Cancel" sets it to 0. Closing
// the window through its frame leaves it as it was.

#include <QDialog>
#include <QVector>

class QLabel;
class QLineEdit;
class QPushButton;

class Form5 : public QDialog
{
    Q_OBJECT
public:
    explicit Form5(QWidget *parent = nullptr);

    QLabel *Label1[5] = {};      // "1. Website Name:" ...
    QLineEdit *Text1[5] = {};    // link names
    QLabel *Label2[5] = {};      // "Website Address:"
    QLineEdit *Text2[5] = {};    // link addresses
    QPushButton *Command1 = nullptr;   // "Update"
    QPushButton *Command2 = nullptr;   // "Cancel"

    // Fills the boxes from the section table for CurrentSubTopicId.
    void Form_Load();
    void Command1_Click();
    void Command2_Click();
};
