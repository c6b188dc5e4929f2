#include "webtools/form18_link_checker.h"

#include "platform/dialogs.h"
#include "shared/database.h"
#include "shared/dialog_layout.h"
#include "shared/fileroutines.h"
#include "shared/form19_connection.h"
#include "shared/globals.h"
#include "shared/http_request.h"
#include "shared/listview_helpers.h"
#include "shared/tree_nodes.h"
#include "shared/wait_cursor.h"
#include "webtools/result_list.h"
#include "webtools/webtools_host.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const char *const kColumnHint = "Click again to change from ascending to descending and vice versa.";
constexpr int RowRole = Qt::UserRole;

// Shows the wait cursor and lets the program handle the user's input for as long as it
// lives during a check, so that Stop can be clicked while a request waits.
class InterruptibleRequests
{
public:
    InterruptibleRequests() { SetHttpRequestInterruptible(true); }
    ~InterruptibleRequests() { SetHttpRequestInterruptible(false); }
    InterruptibleRequests(const InterruptibleRequests &) = delete;
    InterruptibleRequests &operator=(const InterruptibleRequests &) = delete;

private:
    const WaitCursor m_cursor;
};

} // namespace

Form18::Form18(WebToolsHost *host, QWidget *parent)
    : QDialog(parent)
    , m_host(host)
{
    setObjectName(QStringLiteral("Form18"));
    setWindowTitle(QStringLiteral("Check Sub-Topic Links"));

    auto label = [this](const QString &text, const char *name) {
        auto *l = new QLabel(text, this);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    Label1 = label(QStringLiteral("Topic"), "Label1");
    Label2 = NameLabel(this, "Label2");
    Label3 = label(QStringLiteral("Sub Topic:"), "Label3");
    Label4 = NameLabel(this, "Label4");
    for (QLabel *l : {Label2, Label4}) {
        QFont bold = l->font();
        bold.setBold(true);
        l->setFont(bold);
    }
    ListView1 = NewResultList({QStringLiteral("Title"), QStringLiteral("URL"), QStringLiteral("Status")}, "ListView1",
                              this);
    ListView1->setMinimumSize(600, 300);
    ListView1->setColumnWidth(0, 220);
    ListView1->setColumnWidth(1, 300);
    Check1 = new QCheckBox(QStringLiteral("Check All Links"), this);
    Check1->setObjectName(QStringLiteral("Check1"));
    auto button = [this](const QString &caption, const char *name) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    Command3 = button(QStringLiteral("Check"), "Command3");
    Command5 = button(QStringLiteral("Stop"), "Command5");
    Command1 = button(QStringLiteral("Delete Link"), "Command1");
    Command4 = button(QStringLiteral("Launch Link"), "Command4");
    Command2 = button(QStringLiteral("Cancel"), "Command2");

    auto *names = new QGridLayout;
    AddNameRow(names, 0, Label1, Label2);
    AddNameRow(names, 1, Label3, Label4);
    names->setColumnStretch(1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Check1);
    buttons->addStretch();
    for (QPushButton *b : {Command3, Command5, Command1, Command4, Command2})
        buttons->addWidget(b);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(names);
    layout->addWidget(ListView1, 1);
    layout->addLayout(buttons);

    connect(Command3, &QPushButton::clicked, this, &Form18::Command3_Click);
    connect(Command5, &QPushButton::clicked, this, &Form18::Command5_Click);
    connect(Command1, &QPushButton::clicked, this, &Form18::Command1_Click);
    connect(Command4, &QPushButton::clicked, this, &Form18::Command4_Click);
    connect(Command2, &QPushButton::clicked, this, &Form18::Command2_Click);
    connect(Check1, &QCheckBox::clicked, this, &Form18::Check1_Click);
    connect(ListView1, &QTreeWidget::itemDoubleClicked, this, [this] { ListView1_DblClick(); });
    connect(ListView1->header(), &QHeaderView::sectionClicked, this,
            [this](int section) { ListView1_ColumnClick(section + 1); });
}

Form18::~Form18() = default;

void Form18::Form_Load()
{
    Label2->setText(m_host->topicText());
    Label4->setText(m_host->subTopicText());
    LoadLinks();
    StopRequested = 0;
    adjustSize();
    CenterForm(this);
}

void Form18::updateControls()
{
    const bool rows = ListView1->topLevelItemCount() > 0;
    for (QWidget *w : std::initializer_list<QWidget *>{Command1, Command3, Command4, Check1})
        w->setEnabled(rows && !m_checking);
    Command5->setEnabled(rows && m_checking);
}

void Form18::LoadLinks()
{
    ListView1->clear();
    m_rows.clear();
    OpenDatabase(CurrentDatabaseFile);
    LinkCheckList list;
    if (!list.load(CurrentSubTopicId, m_rows, [] { QCoreApplication::processEvents(); }))
        MsgBox(QStringLiteral("The links of this Sub-Topic could not be read.\n\n") + list.lastError(),
               vbOKOnly | vbExclamation, windowTitle());
    QList<QTreeWidgetItem *> items;
    for (int i = 0; i < m_rows.size(); ++i) {
        auto *item = new ResultListItem(QStringList{m_rows[i].name, m_rows[i].url, QString()});
        item->setData(0, RowRole, i);
        items.append(item);
    }
    ListView1->addTopLevelItems(items);
    ListView1->scrollToTop();
    updateControls();
}

LinkCheckRow Form18::rowData(const QTreeWidgetItem *item) const
{
    if (!item)
        return {};
    return m_rows.value(item->data(0, RowRole).toInt());
}

void Form18::setChecking(bool on)
{
    m_checking = on;
    updateControls();
}

void Form18::checkRow(QTreeWidgetItem *item)
{
    const bool ok = LinkCheck::check(item->text(1));
    // A request that Stop ended leaves the row as it was.
    if (StopRequested == 0)
        item->setText(2, ok ? QStringLiteral("OK") : QStringLiteral("NO"));
}

void Form18::Command3_Click()
{
    if (m_checking)
        return;
    StopRequested = 0;
    QString state;
    ConnectionStateText(state);
    if (!state.contains(QLatin1String("Proxy")))
        ProxyConfirmed = 1;
    if (ProxyConfirmed == 0) {
        // Asked once: closing the connection dialog without OK checks nothing.
        Form19 connection(this);
        connection.Form_Load();
        connection.exec();
    }
    if (ProxyConfirmed != 1)
        return;

    if (Check1->isChecked()) {
        const int n = ListView1->topLevelItemCount();
        setChecking(true);
        {
            const InterruptibleRequests interruptible;
            for (int i = 0; i < n; ++i) {
                QCoreApplication::processEvents();
                if (StopRequested != 0 || m_closeWanted)
                    break;
                if (QTreeWidgetItem *item = ListView1->topLevelItem(i))
                    checkRow(item);
            }
        }
        setChecking(false);
        selectFirstRow();
    } else {
        QTreeWidgetItem *item = SelectedRow(ListView1);
        if (item) {
            setChecking(true);
            {
                const InterruptibleRequests interruptible;
                checkRow(item);
            }
            setChecking(false);
            SelectRow(ListView1, item);
        }
    }
    ListView1->setFocus();
    if (m_closeWanted)
        QTimer::singleShot(0, this, &Form18::reject);
}

void Form18::Command5_Click()
{
    StopRequested = -1;
    AbortHttpRequest();
    if (QTreeWidgetItem *item = SelectedRow(ListView1))
        SelectRow(ListView1, item);
    ListView1->setFocus();
}

void Form18::FindNodeByTag(TreeNode *parent, const QString &tag, QList<TreeNode *> &found)
{
    QList<TreeNode *> withChildren;
    for (TreeNode *child = parent ? parent->Child() : nullptr; child; child = child->Next()) {
        if (child->Children() > 0)
            withChildren.append(child);
        if (child->Tag() == tag)
            found.append(child);
    }
    for (TreeNode *child : std::as_const(withChildren))
        FindNodeByTag(child, tag, found);
}

void Form18::Command1_Click()
{
    if (m_checking)
        return;
    QTreeWidgetItem *item = SelectedRow(ListView1);
    if (!item)
        return;
    const LinkCheckRow row = rowData(item);

    // The link of the row itself, in its own category; a section link has no category
    // and is refused by the deletion with its own message.
    FoundNodeIndex = 0;
    SelectedNodePath.clear();
    SelectedLinkUrl = row.url;
    if (!row.categoryPath.isEmpty()) {
        QString treePath = row.categoryPath;
        treePath.replace(QLatin1Char('/'), QLatin1Char('\\'));
        SelectedNodePath = treePath + QLatin1Char('\\') + row.name;
        if (QTreeWidget *tree = m_host->tree()) {
            QList<TreeNode *> found;
            FindNodeByTag(TreeNodes::of(tree)->Item(1), row.url, found);
            for (TreeNode *node : std::as_const(found))
                if (node->FullPath() == SelectedNodePath)
                    FoundNodeIndex = node->Index();
            if (FoundNodeIndex > 0)
                TreeNodes::of(tree)->Item(FoundNodeIndex)->setSelected(true);
        }
    }
    Check1->setChecked(false);

    if (MsgBox(QStringLiteral("Are you sure you want to delete this Link?"), vbYesNo | vbQuestion,
               QStringLiteral("Delete Link"))
        != vbYes) {
        SelectRow(ListView1, item);
        ListView1->setFocus();
        return;
    }
    LinkDeleteRefused = 0;
    m_host->deleteLink();
    if (LinkDeleteRefused == 1) {
        LinkDeleteRefused = 0;
        selectFirstRow();
        return;
    }
    if (LinkCheckList::stillFiled(CurrentSubTopicId, row))
        return;   // the deletion failed and said so
    m_host->updateTree();
    m_host->showFirstNodes();
    MsgBox(QStringLiteral("The link '") + SelectedLinkUrl + QStringLiteral("' has been successfully deleted."),
           vbOKOnly, QStringLiteral("Delete Link"));
    LoadLinks();
    selectFirstRow();
}

void Form18::selectFirstRow()
{
    if (ListView1->topLevelItemCount() > 0) {
        SelectRow(ListView1, ListView1->topLevelItem(0));
        ListView1->setFocus();
    }
}

void Form18::Command4_Click()
{
    QTreeWidgetItem *item = SelectedRow(ListView1);
    if (!item)
        return;
    const QString address = item->text(1);
    if (!address.isEmpty())
        m_host->navigateWebSite(address);
    SelectRow(ListView1, item);
    ListView1->setFocus();
}

void Form18::ListView1_DblClick()
{
    Command4_Click();
}

void Form18::ListView1_ColumnClick(int column)
{
    int order = ListViewSortOrder(ListView1);
    if (column == 1) {
        m_titleOrder = ToggleSortOrder(m_titleOrder);
        order = m_titleOrder;
        m_urlOrder = 1;
    } else if (column == 2) {
        m_urlOrder = ToggleSortOrder(m_urlOrder);
        order = m_urlOrder;
        m_titleOrder = 1;
    } else if (column != 3) {
        return;
    }
    SortResultList(ListView1, column - 1, order);
    ShowColumnHint(ListView1, QLatin1String(kColumnHint), true);
}

void Form18::Check1_Click()
{
    if (QTreeWidgetItem *item = SelectedRow(ListView1))
        SelectRow(ListView1, item);
    ListView1->setFocus();
}

void Form18::Command2_Click()
{
    reject();
}

void Form18::done(int result)
{
    if (m_checking) {
        // Closed during a check: the check stops at once and the window closes after it.
        m_closeWanted = true;
        Command5_Click();
        return;
    }
    QDialog::done(result);
}

void Form18::closeEvent(QCloseEvent *event)
{
    if (m_checking) {
        m_closeWanted = true;
        Command5_Click();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}
