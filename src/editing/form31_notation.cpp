#include "editing/form31_notation.h"

#include "editing/notations.h"
#include "platform/dialogs.h"
#include "shared/dialog_layout.h"
#include "shared/fileroutines.h"
#include "shared/globals.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

Form31::Form31(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form31"));
    setWindowTitle(QStringLiteral("Notation Box"));
    setModal(true);

    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setMinimumSize(380, 160);
    Text1->setTabChangesFocus(true);   // Tab moves on to the buttons
    Command1 = NamedButton(QStringLiteral("OK"), "Command1", this);
    Command2 = NamedButton(QStringLiteral("Cancel"), "Command2", this);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Text1);
    layout->addLayout(ButtonRow({Command1, Command2}));

    connect(Command1, &QPushButton::clicked, this, &Form31::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form31::Command2_Click);
}

namespace {

// The tree path of the link's category when the selected path is the link's own (the
// edition search leaves it elsewhere); "" when it is not known.
QString linkCategory()
{
    const qsizetype cut = SelectedNodePath.lastIndexOf(QLatin1Char('\\'));
    if (cut >= 0 && SelectedNodePath.mid(cut + 1) == SelectedLinkName)
        return SelectedNodePath.left(cut);
    return QString();
}

} // namespace

void Form31::Form_Load()
{
    // A link whose category is known shows its own notation, not that of a copy of it in
    // another category, so that OK never stores over a text the box did not show.
    QString text = NotationText;
    const QString category = NotationIsSite != 0 ? linkCategory() : QString();
    if (!category.isEmpty()) {
        QString stored;
        if (Notations(CurrentSubTopicId).readLink(category, SelectedLinkName, SelectedLinkUrl, &stored)
            == Notations::Status::Done)
            text = stored;
    }
    Text1->setPlainText(text);
    adjustSize();
    CenterForm(this);
}

void Form31::Command1_Click()
{
    Notations notations(CurrentSubTopicId);
    Notations::Status status;
    if (NotationIsSite != 0) {
        // Without a known category the link is looked up by name and address.
        status = notations.storeLink(linkCategory(), SelectedLinkName, SelectedLinkUrl, Text1->toPlainText());
    } else {
        status = notations.storeCategory(SelectedNodePath, Text1->toPlainText());
    }

    switch (status) {
    case Notations::Status::Done:
        break;
    case Notations::Status::NotFound:
        MsgBox(QStringLiteral("The notation was not stored: its Link or Category no longer exists."),
               vbOKOnly | vbExclamation, windowTitle());
        break;
    case Notations::Status::Failed:
        MsgBox(QStringLiteral("The notation could not be stored.\n\n") + notations.lastError(),
               vbOKOnly | vbExclamation, windowTitle());
        return;
    }
    accept();
}

void Form31::Command2_Click()
{
    reject();
}

void Form31::Form_Unload()
{
    NotationText.clear();
}

void Form31::done(int result)
{
    Form_Unload();
    QDialog::done(result);
}
