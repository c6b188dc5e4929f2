#include "webtools/form26_history.h"

#include "platform/dialogs.h"
#include "platform/registry.h"
#include "platform/webbrowser.h"
#include "shared/fileroutines.h"
#include "shared/wait_cursor.h"
#include "webtools/history_clearing.h"
#include "webtools/history_index.h"
#include "webtools/registry_listing.h"

#include <QFile>
#include <QGridLayout>
#include <QListWidget>
#include <QPushButton>

QPointer<Form26> Form26::s_form;

namespace {

const QString shellFoldersKey = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");

// A piece of work of the dialog that must not start again while it runs (the registry
// listing lets window events run).
class BusyGuard
{
public:
    explicit BusyGuard(bool &busy) : m_busy(busy), m_entered(!busy) { m_busy = true; }
    ~BusyGuard()
    {
        if (m_entered)
            m_busy = false;
    }
    bool entered() const { return m_entered; }

private:
    bool &m_busy;
    bool m_entered;
};

} // namespace

Form26 *Form26::open(WebBrowser *browser, QWidget *parent)
{
    if (!s_form) {
        s_form = new Form26(browser, parent);
        s_form->Form_Load();
    }
    s_form->show();
    s_form->raise();
    s_form->activateWindow();
    return s_form;
}

Form26::Form26(WebBrowser *browser, QWidget *parent)
    : QDialog(parent), m_browser(browser)
{
    setObjectName(QStringLiteral("Form26"));
    setWindowTitle(QStringLiteral("Internet History"));
    setAttribute(Qt::WA_DeleteOnClose);

    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setMinimumSize(420, 260);
    auto button = [this](const QString &caption, const char *name) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    Command1 = button(QStringLiteral("Get History"), "Command1");
    Command2 = button(QStringLiteral("Get  AutoComplete Entries"), "Command2");
    Command3 = button(QStringLiteral("Delete History"), "Command3");
    Command4 = button(QStringLiteral("Delete  AutoComplete Entries"), "Command4");
    Command5 = button(QStringLiteral("Launch Link"), "Command5");
    Command6 = button(QStringLiteral("Cancel"), "Command6");

    auto *layout = new QGridLayout(this);
    layout->addWidget(List1, 0, 0, 8, 1);
    int row = 0;
    for (QPushButton *b : {Command1, Command2, Command3, Command4, Command5})
        layout->addWidget(b, row++, 1);
    layout->setRowStretch(5, 1);
    layout->addWidget(Command6, 7, 1);

    connect(Command1, &QPushButton::clicked, this, &Form26::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form26::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form26::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form26::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &Form26::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &Form26::Command6_Click);
    connect(List1, &QListWidget::itemDoubleClicked, this, &Form26::List1_DblClick);
}

void Form26::Form_Load()
{
    adjustSize();
    CenterForm(this);
    Command5->setEnabled(false);
}

QString Form26::historyFolder()
{
    ListRegistryKey(RootKeyFromName(QStringLiteral("HKEY_CURRENT_USER")), shellFoldersKey);
    return HistoryFolderFromListing(ShellFoldersText);
}

void Form26::SearchIndexFiles(const QString &folder)
{
    m_indexFiles = FindHistoryIndexFiles(folder);
}

int Form26::RemoveDuplicates()
{
    QStringList lines;
    for (int i = 0; i < List1->count(); ++i)
        lines.append(List1->item(i)->text());
    const int removed = RemoveDuplicateLines(lines);
    if (removed > 0) {
        List1->clear();
        List1->addItems(lines);
    }
    return removed;
}

void Form26::showLines(const QStringList &lines)
{
    List1->clear();
    List1->addItems(lines);
    if (List1->count() > 0)
        RemoveDuplicates();
    Command5->setEnabled(List1->count() > 0);
}

void Form26::Command1_Click()
{
    BusyGuard guard(m_busy);
    if (!guard.entered())
        return;
    const QString folder = historyFolder();
    List1->clear();
    WaitCursor wait;
    SearchIndexFiles(folder);
    QStringList lines;
    QStringList refused;
    for (const QString &path : std::as_const(m_indexFiles)) {
        QString refusal;
        const int count = ReadHistoryIndex(path, &refusal);
        for (int k = 0; k <= count && k < HistoryUrls.size(); ++k)
            if (!HistoryUrls.at(k).isEmpty())
                lines.append(HistoryUrls.at(k));
        if (!refusal.isEmpty())
            refused.append(refusal);
    }
    showLines(lines);
    if (!refused.isEmpty())
        MsgBox(refused.join(QLatin1Char('\n')), vbOKOnly | vbExclamation, QStringLiteral("Get History"));
}

void Form26::Command2_Click()
{
    BusyGuard guard(m_busy);
    if (!guard.entered())
        return;
    List1->clear();
    ListRegistryKey(RootKeyFromName(QStringLiteral("HKEY_CURRENT_USER")), TypedUrlsKey);
    showLines(TypedUrlsFromListing(ShellFoldersText));
}

void Form26::Command3_Click()
{
    BusyGuard guard(m_busy);
    if (!guard.entered())
        return;
    if (MsgBox(QStringLiteral("Are you sure you want to delete the History ?"), vbYesNo | vbQuestion) == vbYes) {
        bool cleared = false;
        {
            WaitCursor wait;
            // Without a History folder nothing is searched and nothing is deleted.
            SearchIndexFiles(historyFolder());
            // The index files go only with the history: a history that stays stays listed.
            cleared = ClearUrlHistory(m_browser);
            if (cleared)
                for (const QString &path : std::as_const(m_indexFiles))
                    QFile::remove(path);   // a file in use stays
        }
        if (cleared) {
            MsgBox(QStringLiteral("Your Internet History has been successfully deleted."), vbOKOnly,
                   QStringLiteral("Delete History"));
            List1->clear();
        } else {
            MsgBox(QStringLiteral("The history could not be written: it was not deleted."), vbOKOnly | vbExclamation,
                   QStringLiteral("Delete History"));
        }
    }
    Command5->setEnabled(false);
}

void Form26::Command4_Click()
{
    BusyGuard guard(m_busy);
    if (!guard.entered())
        return;
    if (MsgBox(QStringLiteral("Are you sure you want to delete the  AutoComplete Entries ?"), vbYesNo | vbQuestion)
        == vbYes) {
        if (DeleteTypedUrls()) {
            MsgBox(QStringLiteral("The  AutoComplete Entries have been successfully deleted."), vbOKOnly,
                   QStringLiteral("Delete AutoComplete Entries"));
            List1->clear();
        } else {
            MsgBox(CreateRegKeyError, vbOKOnly | vbExclamation, QStringLiteral("Delete AutoComplete Entries"));
        }
    }
    Command5->setEnabled(false);
}

void Form26::Command5_Click()
{
    QListWidgetItem *item = List1->currentItem();
    if (List1->count() == 0 || !item || !item->isSelected() || !m_browser)
        return;
    m_browser->Navigate(item->text());
}

void Form26::List1_DblClick()
{
    Command5_Click();
}

void Form26::Command6_Click()
{
    close();
}
