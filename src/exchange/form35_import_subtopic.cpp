#include "exchange/form35_import_subtopic.h"

#include "exchange/subtopic_file.h"
#include "exchange/subtopic_import.h"
#include "platform/dialogs.h"
#include "platform/programfolder.h"
#include "shared/dialog_layout.h"
#include "shared/fileroutines.h"
#include "shared/wait_cursor.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString Title = QStringLiteral("Import Sub-Topic");
const QString Quote = QStringLiteral("\"");

} // namespace

Form35::Form35(const Target &target, std::function<void()> afterImport, QWidget *parent)
    : QDialog(parent)
    , m_target(target)
    , m_afterImport(std::move(afterImport))
{
    setObjectName(QStringLiteral("Form35"));
    setWindowTitle(Title);
    setModal(true);

    Label1 = new QLabel(QStringLiteral("Sub-Topics available for Import"), this);
    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setMinimumSize(320, 200);
    Label1->setBuddy(List1);
    Label2 = new QLabel(QStringLiteral("Note: All Sub-Topic files above are located in the following directory:"), this);
    Label2->setWordWrap(true);
    Label3 = NameLabel(this, "Label3");
    Label3->setTextInteractionFlags(Qt::TextSelectableByMouse);

    Command1 = NamedButton(QStringLiteral("Import"), "Command1", this, true);
    Command3 = NamedButton(QStringLiteral("Delete"), "Command3", this);
    Command2 = NamedButton(QStringLiteral("Cancel"), "Command2", this);
    connect(Command1, &QPushButton::clicked, this, &Form35::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form35::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form35::Command3_Click);

    auto *body = new QVBoxLayout;
    body->addWidget(Label1);
    body->addWidget(List1);
    body->addWidget(Label2);
    body->addWidget(Label3);
    LayOutDialog(this, body, {Command1, Command3, Command2});
}

void Form35::Form_Load()
{
    Label3->setText(ProgramFolder());
    LoadImportList();
    adjustSize();
    CenterForm(this);
}

void Form35::LoadImportList()
{
    for (const QString &path : SubTopicFile::findFiles(ProgramFolder())) {
        auto *entry = new QListWidgetItem(SubTopicFile::baseNameOf(path), List1);
        entry->setData(Qt::UserRole, path);
        entry->setToolTip(path);
    }
    // The first file is chosen, not only framed: the list would frame it on focus anyway,
    // and Enter and Import act on what the list shows chosen.
    if (List1->count() > 0)
        List1->setCurrentRow(0);
}

void Form35::Command1_Click()
{
    QListWidgetItem *entry = List1->currentItem();
    if (!entry || !entry->isSelected())
        return;
    if (m_target.topicId <= 0) {
        MsgBox(QStringLiteral("Please choose the Topic that the Sub-Topic is to be imported into, then import it again."),
               vbOKOnly, Title);
    } else {
        const WaitCursor busy;
        ImportSubTopicFile(SubTopicFile::importName(entry->text()));
    }
    if (m_afterImport)
        m_afterImport();
    accept();
}

void Form35::ImportSubTopicFile(const QString &importName)
{
    QListWidgetItem *entry = List1->currentItem();
    if (!entry)
        return;
    const QString path = entry->data(Qt::UserRole).toString();
    const QString fileName = QFileInfo(path).fileName();

    SubTopicImport importer;
    if (!importer.load(path)) {
        const QString where = importer.errorLine() > 0
                                  ? QStringLiteral("Line %1 of the file %2 could not be read: %3.")
                                        .arg(importer.errorLine())
                                        .arg(fileName, importer.lastError())
                                  : QStringLiteral("The file %1 could not be read: %2.").arg(fileName, importer.lastError());
        MsgBox(QStringLiteral("The Sub-Topic '") + importName + QStringLiteral("' has not been imported.\n\n") + where,
               vbExclamation, Title);
        return;
    }

    const QString name = importer.nameInFile(entry->text());
    switch (importer.ImportSubTopicFile(m_target.topicId, name)) {
    case SubTopicImport::Status::Done:
        ImportedSubTopicId = importer.ImportedSubTopicId;
        MsgBox(QStringLiteral("The Sub-Topic '") + name + QStringLiteral("' has been successfully imported."), vbOKOnly,
               Title);
        break;
    case SubTopicImport::Status::Exists:
        MsgBox(QStringLiteral("The Sub-Topic ") + Quote + name + Quote + QStringLiteral(" already exists under the Topic ")
                   + Quote + m_target.topicName + Quote + QStringLiteral(".") + QStringLiteral(" Please select an alternate name."),
               vbOKOnly, QStringLiteral("Select Alternate Name"));
        break;
    case SubTopicImport::Status::NameNotAllowed:
        MsgBox(QStringLiteral("The Sub-Topic '") + name
                   + QStringLiteral("' has not been imported: a Sub-Topic name may not be empty, hold any of "
                                    "' < > \" / \\ | or a control character, or begin with U+FEFF or U+FFFE."
                                    "\n\nPlease rename the file ")
                   + fileName + QStringLiteral(" and import it again."),
               vbExclamation, Title);
        break;
    default:
        MsgBox(QStringLiteral("The Sub-Topic '") + name + QStringLiteral("' has not been imported.\n\n")
                   + importer.lastError(),
               vbExclamation, Title);
        break;
    }
}

void Form35::Command2_Click()
{
    reject();
}

void Form35::Command3_Click()
{
    QListWidgetItem *entry = List1->currentItem();
    if (!entry || !entry->isSelected())
        return;
    if (MsgBox(QStringLiteral("Are you sure you want to delete the Sub-Topic '") + entry->text()
                   + QStringLiteral("' from the Sub-Topic Import List ?"),
               vbYesNo | vbQuestion, QStringLiteral("Delete Sub-Topic"))
        != vbYes)
        return;
    const QString path = entry->data(Qt::UserRole).toString();
    if (QFile::exists(path) && !QFile::remove(path)) {
        MsgBox(QStringLiteral("The file ") + path + QStringLiteral(" could not be deleted."), vbExclamation,
               QStringLiteral("Delete Sub-Topic"));
        return;
    }
    List1->clear();
    LoadImportList();
}
