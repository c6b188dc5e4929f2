#include "webtools/form17_favorites.h"

#include "editing/link_drop.h"
#include "platform/browser_window.h"
#include "platform/dialogs.h"
#include "platform/webbrowser.h"
#include "shared/dialog_layout.h"
#include "shared/fileroutines.h"
#include "webtools/favorites_reader.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWebEnginePage>

qint16 FavImportMode = 0;

QPointer<Form17> Form17::s_form;

namespace {

constexpr int kUrlColumn = 1;
constexpr int kTwips200 = 13;   // 200 twips in pixels

} // namespace

FavoritesListView::FavoritesListView(QWidget *parent)
    : QTreeWidget(parent)
{
}

QStringList FavoritesListView::mimeTypes() const
{
    return {LinkDrop::mimeType(), QStringLiteral("text/plain")};
}

QMimeData *FavoritesListView::mimeData(const QList<QTreeWidgetItem *> &items) const
{
    Q_UNUSED(items);
    const QTreeWidgetItem *current = currentItem();
    if (!current)
        return nullptr;
    auto *form = qobject_cast<const Form17 *>(window());
    // With one marked row (the list marks one at a time) the link is that row's name and
    // address, carried whole even when the name holds a comma.
    QMimeData *data = LinkDrop::dragData(current->text(0), current->text(kUrlColumn));
    if (form)
        data->setText(form->dragText());
    return data;
}

Form17 *Form17::open(WebBrowser *browser, QWidget *parent)
{
    if (!s_form) {
        s_form = new Form17(browser, parent);
        s_form->Form_Load();
    }
    s_form->show();
    s_form->raise();
    s_form->activateWindow();
    return s_form;
}

Form17::Form17(WebBrowser *browser, QWidget *parent)
    : QDialog(parent), m_browser(browser)
{
    setObjectName(QStringLiteral("Form17"));
    setAttribute(Qt::WA_DeleteOnClose);

    Label1 = new QLabel(QStringLiteral("Select Link then drag across to your chosen 'Category'."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    ListView1 = new FavoritesListView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setFixedSize(560, 320);
    Command1 = NamedButton(QString(), "Command1", this);
    Command4 = NamedButton(QStringLiteral("Launch Link"), "Command4", this);
    Command2 = NamedButton(QStringLiteral("Cancel"), "Command2", this);
    for (QPushButton *b : {Command1, Command4, Command2})
        b->setAutoDefault(false);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(ListView1);
    layout->addLayout(ButtonRow({Command1, Command4, Command2}));

    connect(Command1, &QPushButton::clicked, this, &Form17::Command1_Click);
    connect(Command4, &QPushButton::clicked, this, &Form17::Command4_Click);
    connect(Command2, &QPushButton::clicked, this, &Form17::Command2_Click);
    connect(ListView1, &QTreeWidget::itemDoubleClicked, this, &Form17::ListView1_DblClick);
    connect(ListView1->header(), &QHeaderView::sectionClicked, this, &Form17::ListView1_ColumnClick);
}

void Form17::Form_Load()
{
    adjustSize();
    CenterForm(this);
    Command4->setEnabled(false);
    if (FavImportMode == 1) {
        setWindowTitle(QStringLiteral("List of Links"));
        Command1->setText(QStringLiteral("Get Links"));
    } else {
        setWindowTitle(QStringLiteral("IE Favorites"));
        Command1->setText(QStringLiteral("Get Favorites"));
    }
    // Report view: one row per link, never edited in place, dragged out whole.
    ListView1->setColumnCount(2);
    ListView1->setHeaderLabels({QStringLiteral("Link Name"), QStringLiteral("URL")});
    const int width = ListView1->width() / 2 - kTwips200;
    ListView1->setColumnWidth(0, width);
    ListView1->setColumnWidth(kUrlColumn, width);
    ListView1->setRootIsDecorated(false);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->header()->setSectionsClickable(true);
    ListView1->setDragEnabled(true);
    ListView1->setDragDropMode(QAbstractItemView::DragOnly);
}

void Form17::addRow(const QString &name, const QString &address)
{
    auto *item = new QTreeWidgetItem(ListView1);
    item->setText(0, name);
    item->setText(kUrlColumn, address);
}

void Form17::Command1_Click()
{
    if (m_collecting)
        return;
    ListView1->clear();
    Command4->setEnabled(false);
    if (FavImportMode != 1) {
        const QString folder = FavoritesReader::GetFavoritesFolder();
        if (!folder.isEmpty())
            for (const FavoriteLink &link : FavoritesReader::WalkFolders(folder))
                addRow(link.name, link.address);
        finishCollecting();
        if (ListView1->topLevelItemCount() == 0)
            MsgBox(noFavoritesMessage(folder), vbOKOnly | vbInformation, windowTitle());
        return;
    }

    if (!m_browser) {
        finishCollecting();
        return;
    }
    // The page answers its links later; the list is filled then.
    m_collecting = true;
    QPointer<Form17> self(this);
    m_browser->page()->runJavaScript(
        QStringLiteral("Array.from(document.links).map(function (a) { return [String(a.href), String(a.outerText)]; })"),
        [self](const QVariant &result) {
            if (!self)
                return;
            self->m_collecting = false;
            for (const QVariant &pair : result.toList()) {
                const QVariantList fields = pair.toList();
                const QString href = fields.value(0).toString();
                const QString text = fields.value(1).toString();
                if (!href.startsWith(QLatin1String("http://")) && !href.startsWith(QLatin1String("https://")))
                    continue;
                self->addRow(text.trimmed().isEmpty() ? QStringLiteral("Untitled") : text, href);
            }
            self->finishCollecting();
        });
}

QString Form17::noFavoritesMessage(const QString &folder)
{
    const QString read = QStringLiteral("Favorites are read from the internet shortcut files (*.url) of the folder ");
    if (folder.isEmpty())
        return QStringLiteral("No Favorites folder is set, so no favorites can be read.");
    const QString shown = QDir::toNativeSeparators(folder);
    if (!QFileInfo(folder).isDir())
        return QStringLiteral("No favorites were found: the folder ") + shown + QStringLiteral(" does not exist.\n\n") + read
               + shown + QStringLiteral(" and its subfolders.");
    return QStringLiteral("No favorites were found in the folder ") + shown + QStringLiteral(".\n\n") + read + shown
           + QStringLiteral(" and its subfolders.");
}

void Form17::finishCollecting()
{
    m_collecting = false;
    const bool found = ListView1->topLevelItemCount() > 0;
    Command4->setEnabled(found);
    if (found) {
        QTreeWidgetItem *first = ListView1->topLevelItem(0);
        ListView1->setCurrentItem(first);
        first->setSelected(true);
        ListView1->setFocus();
    }
    emit collected();
}

void Form17::Command4_Click()
{
    QTreeWidgetItem *current = ListView1->currentItem();
    if (!current)
        return;
    const QString address = current->text(kUrlColumn);
    if (address.isEmpty())
        return;
    BrowserWindow::open(address);
    ListView1->setCurrentItem(current);
    current->setSelected(true);
    ListView1->setFocus();
}

void Form17::ListView1_DblClick()
{
    Command4_Click();
}

void Form17::ListView1_ColumnClick(int column)
{
    m_sortOrder = m_sortOrder == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    ListView1->header()->setSortIndicatorShown(true);
    ListView1->sortItems(column, m_sortOrder);
}

QString Form17::dragText() const
{
    QStringList names;
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i)
        if (ListView1->topLevelItem(i)->isSelected())
            names.append(ListView1->topLevelItem(i)->text(0));
    const QTreeWidgetItem *current = ListView1->currentItem();
    return names.join(QStringLiteral("\r\n")) + QLatin1Char(',') + (current ? current->text(kUrlColumn) : QString());
}

void Form17::Command2_Click()
{
    close();
}
