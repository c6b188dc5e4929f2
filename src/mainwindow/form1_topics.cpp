// The main window's Topic and Sub-Topic menus: adding, deleting and renaming Topics, and
// adding, deleting, renaming and moving Sub-Topics. Each command asks through an input
// box or a question, checks the name, lets TopicEditing or SubTopicEditing write the
// edition, tells the user the outcome and shows the lists, tree and page afresh.

#include "mainwindow/form1.h"

#include "editing/form33_move_subtopic.h"
#include "editing/list_reselection.h"
#include "editing/subtopic_editing.h"
#include "editing/topic_editing.h"
#include "pages/topic_page_builder.h"
#include "platform/dialogs.h"
#include "platform/programfolder.h"
#include "platform/webbrowser.h"
#include "shared/database.h"
#include "shared/globals.h"
#include "shared/wait_cursor.h"

#include <QComboBox>
#include <QFile>
#include <QSignalBlocker>

namespace {

const QString Quote = QStringLiteral("\"");
const QString FiveBreaks = QStringLiteral("\n\n\n\n\n");

using Status = TopicEditing::Status;
using NameCheck = TopicEditing::NameCheck;

// The refusals of a typed Topic or Sub-Topic name (noun says which); answers false after
// showing one.
bool acceptName(NameCheck check, const QString &noun, bool renaming)
{
    switch (check) {
    case NameCheck::Ok:
        return true;
    case NameCheck::NoTextChar:
        MsgBox(QStringLiteral("The ") + noun + QStringLiteral(" field must contain at least one text character."),
               vbOKOnly, noun + QStringLiteral(" Name Error"));
        return false;
    case NameCheck::ProhibitedChar:
        MsgBox(QStringLiteral("The ") + noun
                   + (renaming ? QStringLiteral(" Title renamed") : QStringLiteral(" title field created"))
                   + QStringLiteral(" contains a character or characters that may not be used. Please delete these "
                                    "characters before proceeding.\n\n"),
               vbExclamation, QStringLiteral("Prohibited Characters"));
        return false;
    case NameCheck::TooLong:
        MsgBox(QStringLiteral("The ") + noun
                   + QStringLiteral(" title field is restricted to 30 characters. Please reduce the number of "
                                    "characters in the title field before proceeding.\n\n"),
               vbExclamation, noun + QStringLiteral(" Title Field Restriction"));
        return false;
    }
    return false;
}

// Tells the user that a typed name is taken; where says where it is, e.g. under a Topic.
void reportNameTaken(const QString &noun, const QString &name, const QString &where = QString())
{
    MsgBox(QStringLiteral("The ") + noun + QLatin1Char(' ') + Quote + name + Quote + QStringLiteral(" already exists")
               + where + QStringLiteral(". Please select an alternate name."),
           vbOKOnly, QStringLiteral("Select Alternate Name"));
}

QString underTopic(const QString &topic)
{
    return QStringLiteral(" under the Topic ") + Quote + topic + Quote;
}

// Says why a Topic may not be deleted (it still has Sub-Topics, or the edition could not
// be read or written); other refusals pass in silence.
void reportTopicNotDeleted(Status status, const QString &topic, const QString &title, const QString &error)
{
    if (status == Status::HasSubTopics)
        MsgBox(QStringLiteral("To delete the Topic : ") + topic + QStringLiteral(" please delete its Sub-Topics first."),
               vbOKOnly, title);
    else if (status == Status::Failed)
        MsgBox(QStringLiteral("The Topic '") + topic + QStringLiteral("' could not be deleted.\n\n") + error,
               vbExclamation, title);
}

// The Topic a Sub-Topic command works under; tells the user when it cannot be found.
bool findTopic(const QString &topic, TopicEditing::Topic *row, const QString &title)
{
    TopicEditing topics;
    switch (topics.find(topic, row)) {
    case Status::Done:
        return true;
    case Status::NotFound:
        MsgBox(QStringLiteral("The Topic '") + topic + QStringLiteral("' is no longer in the edition."), vbExclamation,
               title);
        return false;
    default:
        MsgBox(QStringLiteral("The edition could not be read.\n\n") + topics.lastError(), vbExclamation, title);
        return false;
    }
}

} // namespace

// ---- Topic menu -------------------------------------------------------------------------

void Form1::mnuTopicAdd_Click()
{
    const QString title = QStringLiteral("Add Topic");
    const QString name = InputBox(QStringLiteral("Your current edition is:   ") + Combo6->currentText() + FiveBreaks
                                      + QStringLiteral("Please enter your Topic Name:"),
                                  title);
    if (name.isEmpty())
        return;
    if (!acceptName(TopicEditing::checkNameForAdd(name), QStringLiteral("Topic"), false))
        return;

    OpenDatabase(CurrentDatabaseFile);
    TopicEditing editing;
    switch (editing.add(name)) {
    case Status::Done:
        break;
    case Status::Exists:
        reportNameTaken(QStringLiteral("Topic"), name,
                        QStringLiteral(" under the edition ") + Quote + Combo6->currentText() + Quote);
        return;
    case Status::IdLimit:
        MsgBox(QStringLiteral("The edition holds as many Topics as it can. The Topic '") + name
                   + QStringLiteral("' has not been added."),
               vbExclamation, title);
        return;
    default:
        MsgBox(QStringLiteral("The Topic '") + name + QStringLiteral("' could not be added.\n\n") + editing.lastError(),
               vbExclamation, title);
        return;
    }

    MsgBox(QStringLiteral("The Topic '") + name + QStringLiteral("' has been successfully added to your edition."),
           vbOKOnly, title);
    {
        const QSignalBlocker block1(Combo1);
        const QSignalBlocker block2(Combo2);
        Combo1->clear();
        Combo2->clear();
    }
    LoadDb();
}

void Form1::mnutopicDelete_Click()
{
    const QString title = QStringLiteral("Delete Topic");
    const QString topic = Combo1->currentText();
    if (Combo1->currentIndex() <= 0)
        return;

    OpenDatabase(CurrentDatabaseFile);
    TopicEditing editing;
    TopicEditing::Topic row;
    Status checked;
    {
        const WaitCursor busy;
        checked = editing.checkDelete(topic, &row);
    }
    if (checked != Status::Done) {
        reportTopicNotDeleted(checked, topic, title, editing.lastError());
        return;
    }

    if (MsgBox(QStringLiteral("Are you sure you want to delete the Topic '") + topic + QStringLiteral("'?"),
               vbYesNo + vbQuestion, title)
        != vbYes)
        return;

    Status removed;
    {
        const WaitCursor busy;
        removed = editing.remove(row.id);
    }
    if (removed != Status::Done) {
        reportTopicNotDeleted(removed, topic, title, editing.lastError());
        return;
    }
    LoadDb();
    MsgBox(QStringLiteral("The Topic has been successfully deleted."), vbOKOnly, title);
}

void Form1::mnuTopicRename_Click()
{
    const QString answer = InputBox(QStringLiteral("Your current Topic Name is:\n\n") + Combo1->currentText() + FiveBreaks
                                        + QStringLiteral("Please enter your new Topic Name"),
                                    QStringLiteral("Rename Topic"));
    const QString topic = Combo1->currentText();
    if (answer.isEmpty())
        return;
    if (!acceptName(TopicEditing::checkNameForRename(answer), QStringLiteral("Topic"), true))
        return;
    if (Combo1->currentIndex() <= 0)
        return;

    OpenDatabase(CurrentDatabaseFile);
    TopicEditing editing;
    switch (editing.rename(topic, answer)) {
    case Status::Done:
        break;
    case Status::Exists:
        reportNameTaken(QStringLiteral("Topic"), answer);
        return;
    case Status::Failed:
        MsgBox(QStringLiteral("The Topic '") + topic + QStringLiteral("' could not be renamed.\n\n") + editing.lastError(),
               vbExclamation, QStringLiteral("Rename Topic"));
        return;
    default:
        return;
    }
    LoadDb();
    MsgBox(QStringLiteral("The topic '") + topic + QStringLiteral("' has been successfully renamed to '") + answer
               + QStringLiteral("'."),
           vbOKOnly, QStringLiteral("Rename Topic"));
}

// ---- Sub-Topic menu ---------------------------------------------------------------------

void Form1::mnusubTopicAdd_Click()
{
    // Entry 0 is the placeholder "Select Topic": there is no Topic to add to.
    if (Combo1->currentIndex() <= 0)
        return;
    const QString title = QStringLiteral("Add Sub-Topic");
    const QString topic = Combo1->currentText();
    NewSubTopicName = InputBox(QStringLiteral("Your current Topic is:   ") + topic + FiveBreaks
                                   + QStringLiteral("Please enter your Sub-Topic Name:"),
                               title);
    const QString name = NewSubTopicName;
    if (name.isEmpty())
        return;
    if (!acceptName(TopicEditing::checkNameForAdd(name), QStringLiteral("Sub-Topic"), false))
        return;

    OpenDatabase(CurrentDatabaseFile);
    TopicEditing::Topic topicRow;
    if (!findTopic(topic, &topicRow, title))
        return;
    SubTopicEditing editing;
    switch (editing.add(topicRow.id, name)) {
    case Status::Done:
        break;
    case Status::Exists:
        reportNameTaken(QStringLiteral("Sub-Topic"), name, underTopic(topic));
        return;
    default:
        MsgBox(QStringLiteral("The Sub-Topic '") + name + QStringLiteral("' could not be added.\n\n")
                   + editing.lastError(),
               vbExclamation, title);
        return;
    }

    MsgBox(QStringLiteral("The Sub-Topic '") + name + QStringLiteral("' has been successfully added."), vbOKOnly, title);
    SelectListEntry(Combo1, Combo1->currentText());
    Combo1_Click();
}

void Form1::mnuSubtopicDelete_Click()
{
    // Entry 0 is the placeholder "Select Sub-Topic": no Sub-Topic is shown.
    if (Combo2->currentIndex() <= 0)
        return;
    const QString title = QStringLiteral("Delete Sub-Topic");
    const QString subTopic = Combo2->currentText();
    PopupCommandDone = 0;
    if (MsgBox(QStringLiteral("Are you sure you want to delete the Sub-Topic ") + Quote + subTopic + Quote
                   + QStringLiteral("?"),
               vbYesNo + vbQuestion, title)
        != vbYes)
        return;

    const QString topic = Combo1->currentText();
    const QString page = PageFileName(subTopic, CurrentSubTopicId);
    QString reason;
    if (!DeleteSub(&reason)) {
        MsgBox(QStringLiteral("The Sub-Topic '") + subTopic
                   + QStringLiteral("' could not be deleted. Nothing has been changed.\n\n") + reason,
               vbExclamation, title);
        return;
    }

    // Done: a click in the tree until the next press opens no link.
    PopupCommandDone = 1;
    showTopicAfresh(topic);
    QFile::remove(ProgramFolder() + page);
    MsgBox(QStringLiteral("The Sub-Topic '") + subTopic + QStringLiteral("' has been successfully deleted."), vbOKOnly,
           title);
}

void Form1::mnuSubtopicRename_Click()
{
    if (Combo2->currentIndex() <= 0)
        return;
    const QString title = QStringLiteral("Rename Sub-Topic");
    const QString subTopic = Combo2->currentText();
    const QString answer = InputBox(QStringLiteral("Your current Sub-Topic Name is:\n\n") + subTopic + FiveBreaks
                                        + QStringLiteral("Please enter your new Sub-Topic Name"),
                                    title);
    if (answer.isEmpty())
        return;
    if (!acceptName(TopicEditing::checkNameForRename(answer), QStringLiteral("Sub-Topic"), true))
        return;

    OpenDatabase(CurrentDatabaseFile);
    const QString topic = Combo1->currentText();
    TopicEditing::Topic topicRow;
    if (!findTopic(topic, &topicRow, title))
        return;
    SubTopicEditing editing;
    SubTopicEditing::SubTopic taken;
    const Status found = editing.find(topicRow.id, answer, &taken);
    if (found == Status::Done) {
        reportNameTaken(QStringLiteral("Sub-Topic"), answer, underTopic(topic));
        return;
    }
    QString reason = editing.lastError();
    if (found != Status::NotFound || !RenameSub(subTopic, answer, &reason)) {
        MsgBox(QStringLiteral("The Sub-Topic '") + subTopic
                   + QStringLiteral("' could not be renamed. Nothing has been changed.\n\n") + reason,
               vbExclamation, title);
        return;
    }

    showTopicAfresh(topic);
    SelectListEntry(Combo2, answer);
    Combo2_Click();
}

void Form1::showTopicAfresh(const QString &topic)
{
    {
        const QSignalBlocker block(Combo2);
        Combo2->setCurrentIndex(0);
    }
    clearTree();
    results->Navigate(QStringLiteral("about:blank"));
    SelectListEntry(Combo1, topic);
    Combo1_Click();
}

namespace {

// The main window as the Move dialog's host.
class Form1MoveSubTopicHost : public MoveSubTopicHost
{
public:
    explicit Form1MoveSubTopicHost(Form1 *form) : m_form(form) {}

    const QComboBox *topicList() const override { return m_form->Combo1; }
    QString subTopicText() const override { return m_form->Combo2->currentText(); }
    void showTopic(const QString &topic) override
    {
        m_form->results->Navigate(QStringLiteral("about:blank"));
        SelectListEntry(m_form->Combo1, topic);
        m_form->Combo1_Click();
    }

private:
    Form1 *m_form;
};

} // namespace

void Form1::mnuMoveSubtopic_Click()
{
    Form1MoveSubTopicHost host(this);
    Form33 dialog(host, this);
    dialog.Form_Load();
    dialog.exec();
}

// ---- Sub-Topic rows ---------------------------------------------------------------------

bool Form1::DeleteSub(QString *reason)
{
    OpenDatabase(CurrentDatabaseFile);
    SubTopicEditing editing;
    if (editing.remove(CurrentSubTopicId) == Status::Done)
        return true;
    if (reason)
        *reason = editing.lastError();
    return false;
}

bool Form1::RenameSub(const QString &currentName, const QString &newName, QString *reason)
{
    OpenDatabase(CurrentDatabaseFile);
    TopicEditing::Topic topicRow;
    TopicEditing topics;
    SubTopicEditing editing;
    Status status = topics.find(Combo1->currentText(), &topicRow);
    if (status == Status::Done)
        status = editing.rename(topicRow.id, CurrentSubTopicId, newName);
    if (status != Status::Done) {
        if (reason)
            *reason = status == Status::Exists ? QStringLiteral("The name is taken.")
                      : status == Status::NotFound ? QStringLiteral("The Topic is no longer in the edition.")
                      : topics.lastError() + editing.lastError();
        return false;
    }
    // The page of the old name is of no use any more; the next choice builds it anew.
    QFile::remove(ProgramFolder() + PageFileName(currentName, CurrentSubTopicId));
    return true;
}

bool Form1::IsPredefinedSubTopic()
{
    OpenDatabase(CurrentDatabaseFile);
    return SubTopicEditing().isPredefined(CurrentSubTopicId);
}
