#pragma once
// "Move Sub-Topic": moves the Sub-Topic the main window shows to another Topic. "Go"
// refuses the Topic it is under, the placeholder entry and a Topic that already has a
// Sub-Topic of that name; otherwise it moves it, shows the target Topic in the main
// window and closes. "Cancel" closes without a change.

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

// The window that shows the Sub-Topic, as the dialog sees it.
class MoveSubTopicHost
{
public:
    virtual ~MoveSubTopicHost() = default;
    // The Topic list, its placeholder entry first; its current entry is the shown Topic.
    virtual const QComboBox *topicList() const = 0;
    // The shown Sub-Topic's name.
    virtual QString subTopicText() const = 0;
    // After a move: blanks the page and shows the Topic the Sub-Topic went to.
    virtual void showTopic(const QString &topic) = 0;
};

class Form33 : public QDialog
{
    Q_OBJECT
public:
    explicit Form33(MoveSubTopicHost &host, QWidget *parent = nullptr);

    QLabel *Label1 = nullptr;          // "Sub-Topic :"
    QLabel *Label4 = nullptr;          // the Sub-Topic being moved
    QLabel *Label2 = nullptr;          // "Topic:"
    QLabel *Label5 = nullptr;          // the Topic it is under
    QLabel *Label3 = nullptr;          // "move to:"
    QComboBox *Combo1 = nullptr;       // target Topic
    QPushButton *Command4 = nullptr;   // "Go"
    QPushButton *Command3 = nullptr;   // "Cancel"

    // Centres the dialog and fills it from the main window's Topic and Sub-Topic lists.
    void Form_Load();
    void Command4_Click();
    void Command3_Click();

private:
    MoveSubTopicHost &m_host;
};
