#include "webtools/frmcache_cache_display.h"

#include "platform/dialogs.h"
#include "platform/webbrowser.h"
#include "shared/fileroutines.h"
#include "shared/wait_cursor.h"
#include "webtools/history_index.h"
#include "webtools/url_cache.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

QPointer<frmCache> frmCache::s_form;

frmCache *frmCache::open(WebBrowser *browser, QWidget *parent)
{
    if (!s_form) {
        s_form = new frmCache(browser, parent);
        s_form->Form_Load();
    }
    s_form->show();
    s_form->raise();
    s_form->activateWindow();
    return s_form;
}

frmCache::frmCache(WebBrowser *browser, QWidget *parent)
    : QDialog(parent), m_browser(browser)
{
    setObjectName(QStringLiteral("frmCache"));
    setWindowTitle(QStringLiteral("Cache Display"));
    setAttribute(Qt::WA_DeleteOnClose);

    Label2 = new QLabel(QStringLiteral("Cached URL Addresses"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setMinimumSize(460, 280);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    auto button = [this](const QString &caption, const char *name) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    Command1 = button(QStringLiteral("Get Cache"), "Command1");
    Command2 = button(QStringLiteral("Delete Selected"), "Command2");
    Command3 = button(QStringLiteral("Delete All"), "Command3");
    Command5 = button(QStringLiteral("View URL"), "Command5");
    Command4 = button(QStringLiteral("Cancel"), "Command4");

    auto *layout = new QGridLayout(this);
    layout->addWidget(Label2, 0, 0);
    layout->addWidget(List1, 1, 0, 6, 1);
    layout->addWidget(Label1, 7, 0);
    int row = 1;
    for (QPushButton *b : {Command1, Command2, Command3, Command5})
        layout->addWidget(b, row++, 1);
    layout->setRowStretch(5, 1);
    layout->addWidget(Command4, 6, 1);

    connect(Command1, &QPushButton::clicked, this, &frmCache::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmCache::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmCache::Command3_Click);
    connect(Command5, &QPushButton::clicked, this, &frmCache::Command5_Click);
    connect(Command4, &QPushButton::clicked, this, &frmCache::Command4_Click);
    connect(List1, &QListWidget::itemClicked, this, &frmCache::List1_Click);
}

void frmCache::Form_Load()
{
    // The heading keeps its place while hidden, so the dialog does not jump when it shows.
    QSizePolicy keep = Label2->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    Label2->setSizePolicy(keep);
    Label2->hide();
    Command5->setEnabled(false);
    Command2->setEnabled(false);
    Command3->setEnabled(false);
    adjustSize();
    CenterForm(this);
}

void frmCache::Command1_Click()
{
    WaitCursor wait;
    GetCacheURLList(List1);
    Label1->setText(QString::number(List1->count()) + QStringLiteral(" files listed."));
    Label2->show();
    Command5->setEnabled(true);
    Command2->setEnabled(true);
    Command3->setEnabled(true);
}

void frmCache::Command2_Click()
{
    QListWidgetItem *item = List1->currentItem();
    if (item && item->isSelected())
        DeleteUrlCacheEntry(item->text());
    GetCacheURLList(List1);
}

void frmCache::Command3_Click()
{
    QStringList lines;
    for (int i = 0; i < List1->count(); ++i)
        if (!List1->item(i)->text().contains(QLatin1String("Cookie")))
            lines.append(List1->item(i)->text());
    // The browser's own cache is emptied only with the entries: a cache that could not be
    // written keeps both, as the message says.
    if (DeleteUrlCacheEntries(lines))
        ClearEngineCache();
    else
        MsgBox(QStringLiteral("The cache could not be written: its entries were not deleted."), vbExclamation,
               QStringLiteral("Delete All"));
    List1->clear();
    GetCacheURLList(List1);
}

void frmCache::Command5_Click()
{
    QListWidgetItem *item = List1->currentItem();
    if (!item || !item->isSelected() || !m_browser)
        return;
    QString address = WebAddressPart(item->text());
    if (address.isEmpty())
        address = item->text();
    if (!address.isEmpty())
        m_browser->Navigate(address);
}

void frmCache::List1_Click()
{
    QListWidgetItem *item = List1->currentItem();
    Command2->setEnabled(item && !item->text().contains(QLatin1String("Cookie")));
}

void frmCache::Command4_Click()
{
    close();
}
