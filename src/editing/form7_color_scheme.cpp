#include "editing/form7_color_scheme.h"

#include "editing/colour_schemes.h"
#include "platform/dialogs.h"
#include "shared/dialog_layout.h"
#include "shared/fileroutines.h"
#include "shared/globals.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

Form7::Form7(const QString &topicName, const QString &subTopicName, QWidget *parent)
    : QDialog(parent)
    , m_topicName(topicName)
    , m_subTopicName(subTopicName)
    , m_textColour(ReadColorText(ColourScheme::DefaultText))
    , m_backColour(ReadColorText(ColourScheme::DefaultBackground))
{
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("Update Color Scheme"));
    setModal(true);

    QFont bold = font();
    bold.setBold(true);
    Label1 = new QLabel(QStringLiteral("Topic:"), this);
    Label5 = NameLabel(this, "Label5");
    Label5->setFont(bold);
    Label6 = new QLabel(QStringLiteral("Sub Topic:"), this);
    Label7 = NameLabel(this, "Label7");
    Label7->setFont(bold);

    Check1 = new QCheckBox(QStringLiteral("Preformatted Color Scheme"), this);
    Check1->setObjectName(QStringLiteral("Check1"));
    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    for (const ColourPreset &preset : ColourPresets())
        Combo1->addItem(preset.name);
    Combo1->setEnabled(false);

    Frame1 = new QGroupBox(QStringLiteral("Custom Color Scheme"), this);
    Picture1 = new QPushButton(Frame1);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture3 = new QPushButton(Frame1);
    Picture3->setObjectName(QStringLiteral("Picture3"));
    for (QPushButton *picture : {Picture1, Picture3}) {
        picture->setFlat(true);
        picture->setFixedSize(64, 24);
        picture->setCursor(Qt::PointingHandCursor);
    }
    auto *frameLayout = new QGridLayout(Frame1);
    frameLayout->addWidget(new QLabel(QStringLiteral("Text Color:"), Frame1), 0, 0);
    frameLayout->addWidget(Picture1, 0, 1);
    frameLayout->addWidget(new QLabel(QStringLiteral("Background Color:"), Frame1), 1, 0);
    frameLayout->addWidget(Picture3, 1, 1);

    Command1 = NamedButton(QStringLiteral("Update"), "Command1", this, true);
    Command2 = NamedButton(QStringLiteral("Cancel"), "Command2", this);

    connect(Check1, &QCheckBox::clicked, this, &Form7::Check1_Click);
    // A choice in the list, also of the entry already shown, applies that preset.
    connect(Combo1, &QComboBox::activated, this, &Form7::Combo1_Click);
    connect(Picture1, &QPushButton::clicked, this, &Form7::Picture1_Click);
    connect(Picture3, &QPushButton::clicked, this, &Form7::Picture3_Click);
    connect(Command1, &QPushButton::clicked, this, &Form7::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form7::Command2_Click);

    auto *names = new QGridLayout;
    AddNameRow(names, 0, Label1, Label5);
    AddNameRow(names, 1, Label6, Label7);
    names->setColumnStretch(1, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(names);
    layout->addWidget(Check1);
    layout->addWidget(Combo1);
    layout->addWidget(Frame1);
    layout->addLayout(ButtonRow({Command1, Command2}));

    paint(Picture1, m_textColour);
    paint(Picture3, m_backColour);
}

void Form7::paint(QPushButton *picture, const QColor &colour)
{
    picture->setStyleSheet(QStringLiteral("QPushButton { background-color: %1; border: 1px solid #404040; }")
                               .arg(colour.name()));
    picture->setToolTip(QLatin1Char('#') + WriteColorText(colour));
}

void Form7::setTextColour(const QColor &colour)
{
    m_textColour = colour;
    paint(Picture1, colour);
}

void Form7::setBackgroundColour(const QColor &colour)
{
    m_backColour = colour;
    paint(Picture3, colour);
}

void Form7::Form_Load()
{
    Label5->setText(m_topicName);
    Label7->setText(m_subTopicName);
    // Sized once the names are in: a long name takes more lines, not a cut.
    adjustSize();
    CenterForm(this);

    ColourScheme scheme(CurrentSubTopicId);
    if (scheme.load()) {
        setTextColour(scheme.textColour());
        setBackgroundColour(scheme.backgroundColour());
    } else if (!scheme.lastError().isEmpty()) {
        MsgBox(QStringLiteral("The colours of this page could not be read.\n\n") + scheme.lastError(), vbExclamation,
               windowTitle());
    }

    // Selecting the first preset applies nothing while the box is not ticked.
    Combo1->setCurrentIndex(0);
    Combo1_Click();
}

void Form7::Check1_Click()
{
    Combo1->setEnabled(!Combo1->isEnabled());
}

void Form7::Combo1_Click()
{
    if (!Check1->isChecked())
        return;
    const int index = Combo1->currentIndex();
    if (index < 0 || index >= ColourPresets().size())
        return;
    const ColourPreset &preset = ColourPresets().at(index);
    setBackgroundColour(ReadColorText(preset.background));
    setTextColour(ReadColorText(preset.text));
}

void Form7::Picture1_Click()
{
    QColor colour = m_textColour;
    // A cancelled colour dialog leaves the colour as it was.
    if (ChooseColor(this, colour))
        setTextColour(colour);
}

void Form7::Picture3_Click()
{
    QColor colour = m_backColour;
    if (ChooseColor(this, colour))
        setBackgroundColour(colour);
}

void Form7::Command1_Click()
{
    ColourScheme scheme(CurrentSubTopicId);
    if (!scheme.save(m_textColour, m_backColour, m_subTopicName)) {
        MsgBox(QStringLiteral("The colours could not be saved; nothing was changed.\n\n") + scheme.lastError(),
               vbExclamation, windowTitle());
        return;
    }
    SectionDialogChanged = 1;
    accept();
}

void Form7::Command2_Click()
{
    reject();
}
