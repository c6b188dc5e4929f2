#include "webtools/form16_edition_search.h"

#include "editing/form31_notation.h"
#include "platform/dialogs.h"
#include "shared/database.h"
#include "shared/fileroutines.h"
#include "shared/globals.h"
#include "shared/listview_helpers.h"
#include "webtools/edition_search.h"
#include "webtools/result_list.h"
#include "webtools/webtools_host.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const char *const kColumnHint = "Click again to change from ascending to descending and vice versa.";

} // namespace

Form16::Form16(WebToolsHost *host, QWidget *parent)
    : QDialog(parent)
    , m_host(host)
{
    setObjectName(QStringLiteral("Form16"));
    setModal(true);

    Label1 = new QLabel(QStringLiteral("Keyword:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Label1->setBuddy(Text1);
    Command1 = new QPushButton(QStringLiteral("Search"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command3 = new QPushButton(QStringLiteral("Go"), this);
    Command3->setObjectName(QStringLiteral("Command3"));
    Command2 = new QPushButton(QStringLiteral("Cancel"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    // Enter in the keyword box is handled by the box itself: a keyword of blanks is not
    // searched by Enter, only by the Search button.
    for (QPushButton *b : {Command1, Command3, Command2}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    ListView1 = NewResultList({QStringLiteral("Title"), QStringLiteral("URL")}, "ListView1", this);
    ListView1->setMinimumSize(520, 260);
    setTabOrder(Command1, ListView1);   // the results stand between Search and the buttons below
    ListView1->setColumnWidth(0, 240);
    ListView1->viewport()->installEventFilter(this);
    ListView1->viewport()->setMouseTracking(true);
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    Timer1->setProperty("Tag", QStringLiteral("0"));

    mnuPopUp = new QMenu(this);
    mnuPopUp->setObjectName(QStringLiteral("mnuPopUp"));
    mnuPopUpReadNotation = mnuPopUp->addAction(QStringLiteral("Read Notation"));
    mnuPopUpReadNotation->setObjectName(QStringLiteral("mnuPopUpReadNotation"));

    auto *keywordRow = new QHBoxLayout;
    keywordRow->addWidget(Label1);
    keywordRow->addWidget(Text1, 1);
    keywordRow->addWidget(Command1);
    auto *bottomRow = new QHBoxLayout;
    bottomRow->addWidget(Label2, 1);
    bottomRow->addWidget(Command3);
    bottomRow->addWidget(Command2);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(keywordRow);
    layout->addWidget(ListView1, 1);
    layout->addLayout(bottomRow);

    connect(Command1, &QPushButton::clicked, this, &Form16::Command1_Click);
    connect(Command3, &QPushButton::clicked, this, &Form16::Command3_Click);
    connect(Command2, &QPushButton::clicked, this, &Form16::Command2_Click);
    connect(Text1, &QLineEdit::returnPressed, this, &Form16::Text1_Return);
    connect(ListView1, &QTreeWidget::itemDoubleClicked, this, [this] { ListView1_DblClick(); });
    connect(ListView1->header(), &QHeaderView::sectionClicked, this,
            [this](int section) { ListView1_ColumnClick(section + 1); });
    connect(Timer1, &QTimer::timeout, this, &Form16::Timer1_Timer);
    connect(mnuPopUpReadNotation, &QAction::triggered, this, &Form16::mnuPopUpReadNotation_Click);
}

Form16::~Form16() = default;

void Form16::Form_Load()
{
    Command3->setEnabled(false);
    setWindowTitle(QStringLiteral("Search Current Edition (") + m_host->editionText() + QLatin1Char(')'));
    adjustSize();
    CenterForm(this);
}

void Form16::setBusy(bool busy)
{
    m_searching = busy;
    Command1->setEnabled(!busy);
    Command2->setEnabled(!busy);
    Text1->setReadOnly(busy);
    if (busy)
        Command3->setEnabled(false);
}

void Form16::Command1_Click()
{
    if (m_searching)
        return;
    Label2->clear();
    ListView1->clear();
    if (Text1->text().isEmpty()) {
        MsgBox(QStringLiteral("Please enter a keyword to search."), vbOKOnly, QStringLiteral("Search Error"));
        return;
    }
    const bool goWasEnabled = Command3->isEnabled();
    OpenDatabase(CurrentDatabaseFile);

    QVector<SearchHit> hits;
    EditionSearch search;
    setBusy(true);
    const bool ok = search.run(Text1->text(), hits, [](const QString &table) {
        if (!table.isEmpty())
            CurrentSectionTable = table;
        QCoreApplication::processEvents();
    });
    setBusy(false);
    Command3->setEnabled(goWasEnabled);

    QList<QTreeWidgetItem *> rows;
    rows.reserve(hits.size());
    for (const SearchHit &hit : std::as_const(hits))
        rows.append(new ResultListItem(QStringList{hit.name, hit.url}));
    ListView1->addTopLevelItems(rows);

    if (!ok)
        MsgBox(QStringLiteral("The edition could not be searched completely.\n\n") + search.lastError(),
               vbOKOnly | vbExclamation, QStringLiteral("Search Error"));
    if (ListView1->topLevelItemCount() > 0) {
        ListView1->setFocus();
        Command3->setEnabled(true);
        SelectListItem();
        Label2->setText(QString::number(ListView1->topLevelItemCount()) + QStringLiteral(" items found."));
    }
    if (m_closeWanted)
        QTimer::singleShot(0, this, &Form16::reject);
}

void Form16::Text1_Return()
{
    if (!Text1->text().trimmed().isEmpty())
        Command1_Click();
}

void Form16::SelectListItem()
{
    m_titleOrder = 1;
    ListView1_ColumnClick(1);
    SelectRow(ListView1, ListView1->topLevelItem(0));
}

void Form16::ListView1_ColumnClick(int column)
{
    if (column != 1 && column != 2)
        return;
    int order;
    if (column == 1) {
        m_titleOrder = ToggleSortOrder(m_titleOrder);
        order = m_titleOrder;
        m_urlOrder = 1;
    } else {
        m_urlOrder = ToggleSortOrder(m_urlOrder);
        order = m_urlOrder;
        m_titleOrder = 1;
    }
    SortResultList(ListView1, column - 1, order);
    ShowColumnHint(ListView1, QLatin1String(kColumnHint));
}

void Form16::Command3_Click()
{
    QTreeWidgetItem *row = SelectedRow(ListView1);
    if (!row)
        return;
    const QString url = row->text(1);
    if (!url.isEmpty())
        m_host->navigateWebSite(url);
}

void Form16::ListView1_DblClick()
{
    Command3_Click();
}

void Form16::ListView1_MouseUp(int button, const QPoint &pos)
{
    if (button != 2) {
        Timer1->stop();
        Timer1->setProperty("Tag", QStringLiteral("0"));
        return;
    }
    if (Timer1->property("Tag").toString().toInt() != 0) {
        // The second click of a right double click opens no second menu.
        if (Timer1->isActive()) {
            Timer1->stop();
            Timer1->setProperty("Tag", QStringLiteral("0"));
        }
        return;
    }
    if (QTreeWidgetItem *under = ListView1->itemAt(pos))
        SelectRow(ListView1, under);
    QTreeWidgetItem *row = SelectedRow(ListView1);
    if (!row)
        return;
    Timer1->setInterval(QApplication::doubleClickInterval());
    Timer1->start();
    Timer1->setProperty("Tag", QStringLiteral("1"));
    SelectedLinkUrl = row->text(1);
    SelectedLinkName = row->text(0);
    NotationText.clear();
    GetSummary();
    mnuPopUp->popup(ListView1->viewport()->mapToGlobal(pos));
}

void Form16::ListView1_MouseMove()
{
    if (Timer1->isActive()) {
        Timer1->stop();
        Timer1->setProperty("Tag", QStringLiteral("0"));
    }
}

void Form16::Timer1_Timer()
{
    Timer1->stop();
    Timer1->setProperty("Tag", QStringLiteral("0"));
}

void Form16::GetSummary()
{
    QString summary;
    m_notationFound = EditionSearch::linkNotation(SelectedLinkName, SelectedLinkUrl, summary);
    if (m_notationFound)
        NotationText = summary;
}

void Form16::mnuPopUpReadNotation_Click()
{
    // The notation box edits the hit's own link, found by its name and address; a hit of
    // a page section has no notation and is only shown. The tree's selection is left as
    // it was.
    const QString nodePath = SelectedNodePath;
    const int isSite = NotationIsSite;
    SelectedNodePath.clear();
    NotationIsSite = 1;
    {
        Form31 notation(this);
        notation.Form_Load();
        if (!m_notationFound) {
            notation.Text1->setReadOnly(true);
            notation.Command1->setEnabled(false);
        }
        notation.exec();
    }
    SelectedNodePath = nodePath;
    NotationIsSite = isSite;
}

void Form16::Command2_Click()
{
    reject();
}

void Form16::done(int result)
{
    if (m_searching) {
        // Closed while the search runs: it closes once the search is over.
        m_closeWanted = true;
        return;
    }
    NotationText.clear();
    QDialog::done(result);
}

void Form16::closeEvent(QCloseEvent *event)
{
    if (m_searching) {
        m_closeWanted = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

bool Form16::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ListView1->viewport()) {
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            ListView1_MouseUp(mouse->button() == Qt::RightButton ? 2 : mouse->button() == Qt::LeftButton ? 1 : 4,
                              mouse->position().toPoint());
        } else if (event->type() == QEvent::MouseMove) {
            ListView1_MouseMove();
        }
    }
    return QDialog::eventFilter(watched, event);
}
