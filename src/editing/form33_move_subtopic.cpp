#include "editing/form33_move_subtopic.h"

#include "editing/list_reselection.h"
#include "editing/subtopic_editing.h"
#include "editing/topic_editing.h"
#include "platform/dialogs.h"
#include "shared/database.h"
#include "shared/dialog_layout.h"
#include "shared/fileroutines.h"
#include "shared/globals.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace {

const QString Title = QStringLiteral("Move Sub-Topic");
const QString Quote = QStringLiteral("\"");

} // namespace

Form33::Form33(MoveSubTopicHost &host, QWidget *parent)
    : QDialog(parent)
    , m_host(host)
{
    setObjectName(QStringLiteral("Form33"));
    setWindowTitle(Title);
    setModal(true);

    Label1 = new QLabel(QStringLiteral("Sub-Topic :"), this);
    Label4 = NameLabel(this, "Label4");
    Label2 = new QLabel(QStringLiteral("Topic:"), this);
    Label5 = NameLabel(this, "Label5");
    Label3 = new QLabel(QStringLiteral("move to:"), this);
    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setMinimumWidth(200);
    // A long Topic name widens the open list, not the window.
    Combo1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Label3->setBuddy(Combo1);

    Command4 = NamedButton(QStringLiteral("Go"), "Command4", this, true);
    Command3 = NamedButton(QStringLiteral("Cancel"), "Command3", this);
    connect(Command4, &QPushButton::clicked, this, &Form33::Command4_Click);
    connect(Command3, &QPushButton::clicked, this, &Form33::Command3_Click);

    auto *grid = new QGridLayout;
    AddNameRow(grid, 0, Label1, Label4);
    AddNameRow(grid, 1, Label2, Label5);
    grid->addWidget(Label3, 2, 0);
    grid->addWidget(Combo1, 2, 1);
    LayOutDialog(this, grid, {Command4, Command3});
}

void Form33::Form_Load()
{
    const QComboBox *topics = m_host.topicList();
    Label4->setText(m_host.subTopicText());
    Label5->setText(topics->currentText());

    // The main window's Topics in the same order, its placeholder entry first.
    Combo1->clear();
    for (int i = 0; i < topics->count(); ++i) {
        const QString entry = topics->itemText(i);
        if (!entry.trimmed().isEmpty())
            Combo1->addItem(entry, topics->itemData(i));
    }
    Combo1->setCurrentIndex(Combo1->count() > 0 ? 0 : -1);
    // Sized once the names are in: a long name takes more lines, not a cut.
    adjustSize();
    CenterForm(this);
}

void Form33::Command4_Click()
{
    const QString subTopic = Label4->text();
    const QString current = m_host.topicList()->currentText();
    const QString target = Combo1->currentText();

    if (current == target) {
        MsgBox(QStringLiteral("The Sub-Topic '") + subTopic
                   + QStringLiteral("' already exists under this Topic. Please select another Topic."),
               vbOKOnly, Title);
        return;
    }
    // Entry 0 is the placeholder "Select Topic".
    if (Combo1->currentIndex() <= 0) {
        MsgBox(QStringLiteral("Please select a Topic."), vbOKOnly, Title);
        return;
    }

    OpenDatabase(CurrentDatabaseFile);
    TopicEditing topics;
    TopicEditing::Topic from;
    TopicEditing::Topic to;
    for (const auto &[name, topic] : {std::pair{current, &from}, std::pair{target, &to}}) {
        switch (topics.find(name, topic)) {
        case TopicEditing::Status::Done:
            break;
        case TopicEditing::Status::NotFound:
            MsgBox(QStringLiteral("The Topic '") + name
                       + QStringLiteral("' is no longer in the edition. The Sub-Topic has not been moved."),
                   vbExclamation, Title);
            return;
        default:
            MsgBox(QStringLiteral("The Sub-Topic '") + subTopic + QStringLiteral("' could not be moved.\n\n")
                       + topics.lastError(),
                   vbExclamation, Title);
            return;
        }
    }

    SubTopicEditing editing;
    switch (editing.move(from.id, to.id, subTopic, CurrentSubTopicId)) {
    case TopicEditing::Status::Done:
        break;
    case TopicEditing::Status::Exists:
        MsgBox(QStringLiteral("The Sub-Topic ") + Quote + subTopic + Quote
                   + QStringLiteral(" already exists under the Topic ") + Quote + target + Quote + QStringLiteral("."),
               vbOKOnly, Title);
        return;
    case TopicEditing::Status::NotFound:
        MsgBox(QStringLiteral("The Sub-Topic '") + subTopic + QStringLiteral("' is no longer under the Topic '")
                   + current + QStringLiteral("'. Nothing has been moved."),
               vbExclamation, Title);
        return;
    default:
        MsgBox(QStringLiteral("The Sub-Topic '") + subTopic + QStringLiteral("' could not be moved.\n\n")
                   + editing.lastError(),
               vbExclamation, Title);
        return;
    }

    MsgBox(QStringLiteral("The Sub-Topic '") + subTopic + QStringLiteral("' has been successfully moved."), vbOKOnly,
           Title);
    m_host.showTopic(target);
    accept();
}

void Form33::Command3_Click()
{
    reject();
}
