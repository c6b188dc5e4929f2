#include "webtools/form27_font_size.h"

#include "platform/webbrowser.h"
#include "shared/dialog_layout.h"
#include "shared/fileroutines.h"
#include "webtools/browser_options.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>

QPointer<Form27> Form27::s_form;

using namespace BrowserOptions;

Form27 *Form27::open(WebBrowser *browser, QWidget *parent)
{
    if (!s_form) {
        s_form = new Form27(browser, parent);
        s_form->Form_Load();
    }
    s_form->show();
    s_form->raise();
    s_form->activateWindow();
    return s_form;
}

Form27::Form27(WebBrowser *browser, QWidget *parent)
    : QDialog(parent), m_browser(browser)
{
    setObjectName(QStringLiteral("Form27"));
    setWindowTitle(QStringLiteral("Change Font Size"));
    setAttribute(Qt::WA_DeleteOnClose);

    Label1 = new QLabel(QStringLiteral("Current Font Size:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Slider1 = new QSlider(Qt::Horizontal, this);
    Slider1->setObjectName(QStringLiteral("Slider1"));
    Slider1->setRange(MinTextSize, MaxTextSize);
    Slider1->setPageStep(1);
    Slider1->setTickPosition(QSlider::TicksBelow);
    Slider1->setTickInterval(1);
    Slider1->setMinimumWidth(220);
    Command4 = NamedButton(QStringLiteral("OK"), "Command4", this, true);

    auto *layout = new QGridLayout(this);
    layout->addWidget(Label1, 0, 0);
    layout->addWidget(Label2, 0, 1);
    layout->setColumnStretch(1, 1);
    layout->addWidget(Slider1, 1, 0, 1, 2);
    layout->addLayout(ButtonRow({Command4}), 2, 0, 1, 2);

    connect(Slider1, &QSlider::valueChanged, this, &Form27::Slider1_Scroll);
    connect(Command4, &QPushButton::clicked, this, &Form27::Command4_Click);
}

void Form27::Form_Load()
{
    const int level = m_browser ? TextSize(m_browser) : 2;
    Label2->setText(QString::number(level));
    adjustSize();
    CenterForm(this);
    const QSignalBlocker block(Slider1);
    Slider1->setValue(level);
}

int Form27::shownLevel() const
{
    return Label2->text().toInt();
}

void Form27::ZoomIn()
{
    const int shown = shownLevel();
    if (m_browser) {
        const int level = TextSize(m_browser);
        SetTextSize(m_browser, level < MaxTextSize ? level + 1 : MaxTextSize);
    }
    Label2->setText(QString::number(qMin(shown + 1, MaxTextSize)));
}

void Form27::ZoomOut()
{
    const int shown = shownLevel();
    if (m_browser) {
        const int level = TextSize(m_browser);
        SetTextSize(m_browser, level > MinTextSize ? level - 1 : MinTextSize);
    }
    Label2->setText(QString::number(qMax(shown - 1, MinTextSize)));
}

void Form27::Slider1_Scroll()
{
    const int shown = shownLevel();
    const int position = Slider1->value();
    if (position > shown) {
        for (int i = 0; i < position - shown; ++i)
            ZoomIn();
        Label2->setText(QString::number(position));
    } else if (position < shown) {
        for (int i = 0; i < shown - position; ++i)
            ZoomOut();
        Label2->setText(QString::number(position));
    }
}

void Form27::Command4_Click()
{
    close();
}
