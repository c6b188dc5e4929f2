// The main window's controls and menus as designed, and the one instance.

#include "mainwindow/form1.h"

#include "editing/link_tree_widget.h"
#include "pages/page_post.h"
#include "pages/topic_page_builder.h"
#include "platform/programfolder.h"
#include "platform/webbrowser.h"
#include "shared/globals.h"
#include "shared/c_tree_view.h"
#include "shared/cls_vsplit.h"
#include "shared/twips.h"

#include <QAction>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>

#include <libxml/tree.h>

Form1 *Form1::s_instance = nullptr;

// The program's pictures are compiled into its library; registering them again is harmless.
static void initProgramResources()
{
    Q_INIT_RESOURCE(quorvane);
}

namespace {

// Design geometry of the controls, in twips, on an inner area of 13500 x 8700.
constexpr int kDesignInnerWidth = 13500;
constexpr int kDesignInnerHeight = 8700;
constexpr int kRowTop = 75;
constexpr int kPaneTop = 540;
constexpr int kPaneHeight = 8100;
constexpr double kMinimumScale = 0.8;   // the smallest inner size, as a part of the design size

void place(QWidget *w, int left, int top, int width, int height)
{
    w->setGeometry(twipsToPx(left), twipsToPx(top), twipsToPx(width), twipsToPx(height));
}

// A combo box or text box keeps the height its style gives it; only its place and width
// follow the window.
void placeFixedHeight(QWidget *w, int left, int top, int width)
{
    const int height = w->sizeHint().height();
    w->setFixedHeight(height);
    w->setGeometry(twipsToPx(left), twipsToPx(top), twipsToPx(width), height);
}

QMenu *addSubMenu(QWidget *parent, QAction *&member, const char *name, const QString &caption)
{
    auto *menu = new QMenu(caption, parent);
    menu->setObjectName(QLatin1String(name));
    member = menu->menuAction();
    member->setObjectName(QLatin1String(name));
    if (auto *bar = qobject_cast<QMenuBar *>(parent))
        bar->addMenu(menu);
    else if (auto *owner = qobject_cast<QMenu *>(parent))
        owner->addMenu(menu);
    return menu;
}

} // namespace

Form1 *Form1::instance()
{
    if (!s_instance) {
        s_instance = new Form1;
        s_instance->Form_Load();
    }
    return s_instance;
}

Form1 *Form1::existing()
{
    return s_instance;
}

Form1::Form1(QWidget *parent)
    : QMainWindow(parent)
{
    initProgramResources();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Quorvane Desktop 2"));
    setWindowIcon(QIcon(QStringLiteral(":/images/quorvane.png")));
    m_pageBuilder = std::make_unique<TopicPageBuilder>();
    m_pagePost = std::make_unique<PagePost>(*m_pageBuilder);

    createControls();
    createMenus();
    createTreePopupMenu();
    wireControls();

    // The design size: the inner area as designed, plus the menu bar and the status bar.
    const int chrome = menuBar()->sizeHint().height() + statusBar()->sizeHint().height();
    resize(twipsToPx(kDesignInnerWidth), twipsToPx(kDesignInnerHeight) + chrome);
    // The window keeps its inner area's minimum, so no control is ever cut off at the
    // right or the bottom (the main window's own layout would allow less).
    setMinimumSize(centralWidget()->minimumWidth(), centralWidget()->minimumHeight() + chrome);
}

Form1::~Form1()
{
    // The controls die after this body, in the base class's destructor, and some of them
    // still signal or send events while they go: none of that may reach this window.
    const QList<QObject *> parts = findChildren<QObject *>();
    for (QObject *part : parts) {
        part->removeEventFilter(this);
        disconnect(part, nullptr, this, nullptr);
    }
    if (s_instance == this)
        s_instance = nullptr;
    if (xml_document) {
        xmlFreeDoc(xml_document);
        xml_document = nullptr;
    }
}

void Form1::createControls()
{
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("Form1Client"));
    setCentralWidget(client);
    client->resize(twipsToPx(kDesignInnerWidth), twipsToPx(kDesignInnerHeight));
    // Below four fifths of the design size the list captions and the "Edition" caption
    // would be cut off and the lists would run into the tree and the page.
    client->setMinimumSize(twipsToPx(kDesignInnerWidth * kMinimumScale),
                           twipsToPx(kDesignInnerHeight * kMinimumScale));

    // Created in this order: the re-layout walks the controls in creation order.
    Combo1 = new QComboBox(client);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setToolTip(QStringLiteral("Topic"));
    placeFixedHeight(Combo1, 60, kRowTop, 2400);

    Combo2 = new QComboBox(client);
    Combo2->setObjectName(QStringLiteral("Combo2"));
    Combo2->setToolTip(QStringLiteral("Sub-Topic"));
    placeFixedHeight(Combo2, 2520, kRowTop, 2400);

    cb1 = new QComboBox(client);
    cb1->setObjectName(QStringLiteral("cb1"));
    cb1->setEditable(true);
    cb1->setInsertPolicy(QComboBox::NoInsert);
    cb1->setCompleter(nullptr);
    cb1->lineEdit()->setPlaceholderText(QStringLiteral("Keyword"));
    cb1->setToolTip(QStringLiteral("Keyword search"));
    placeFixedHeight(cb1, 5040, kRowTop, 2100);

    Text1 = new QLineEdit(client);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setPlaceholderText(QStringLiteral("Search the web"));
    Text1->setToolTip(QStringLiteral("Web search"));
    Text1->setClearButtonEnabled(true);
    placeFixedHeight(Text1, 7200, kRowTop, 2280);

    Label2 = new QLabel(QStringLiteral("Edition"), client);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label2->setFixedHeight(Combo1->height());
    Label2->setGeometry(twipsToPx(9540), twipsToPx(kRowTop), twipsToPx(900), Combo1->height());

    Combo6 = new QComboBox(client);
    Combo6->setObjectName(QStringLiteral("Combo6"));
    Combo6->setToolTip(QStringLiteral("Edition"));
    placeFixedHeight(Combo6, 10500, kRowTop, 2940);

    TvwBestell = new LinkTreeWidget(client);
    TvwBestell->setObjectName(QStringLiteral("TvwBestell"));
    TvwBestell->setHeaderHidden(true);
    TvwBestell->setColumnCount(1);
    TvwBestell->header()->setStretchLastSection(true);
    place(TvwBestell, 0, kPaneTop, 2400, kPaneHeight);

    Command2 = new QPushButton(client);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setFocusPolicy(Qt::NoFocus);
    Command2->setCursor(Qt::SplitHCursor);
    Command2->setToolTip(QStringLiteral("Drag to change the width of the tree"));
    place(Command2, 2410, kPaneTop, 100, kPaneHeight);

    results = new WebBrowser(client);
    results->setObjectName(QStringLiteral("results"));
    place(results, 2520, kPaneTop, 10920, kPaneHeight);

    sbStatusBar = statusBar();
    sbStatusBar->setObjectName(QStringLiteral("sbStatusBar"));
    sbStatusPanel1 = new QLabel(sbStatusBar);
    sbStatusPanel1->setObjectName(QStringLiteral("sbStatusPanel1"));
    sbStatusBar->addWidget(sbStatusPanel1, 1);

    tmrWindowTrack = new QTimer(this);
    tmrWindowTrack->setObjectName(QStringLiteral("tmrWindowTrack"));
    tmrWindowTrack->setInterval(250);

    moTree = new cTreeView(this);
    moTree->setObjectName(QStringLiteral("moTree"));
}

QAction *Form1::addMenuItem(QMenu *menu, QAction *&member, const char *name, const QString &caption,
                            void (Form1::*handler)())
{
    member = menu->addAction(caption);
    member->setObjectName(QLatin1String(name));
    if (handler)
        connect(member, &QAction::triggered, this, [this, handler]() { (this->*handler)(); });
    return member;
}

void Form1::createMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("Form1MenuBar"));

    QMenu *file = addSubMenu(bar, mnuFile, "mnuFile", QStringLiteral("&File"));
    addMenuItem(file, mnuExit, "mnuExit", QStringLiteral("E&xit"), &Form1::mnuExit_Click);

    QMenu *ed = addSubMenu(bar, mnuEd, "mnuEd", QStringLiteral("&Edition"));
    addMenuItem(ed, mnuAdddatabase, "mnuAdddatabase", QStringLiteral("&Add Plug-In Edition"),
                &Form1::mnuAdddatabase_Click);
    addMenuItem(ed, mnuCreateEdition, "mnuCreateEdition", QStringLiteral("&Create Edition"),
                &Form1::mnuCreateEdition_Click);
    addMenuItem(ed, mnuClone, "mnuClone", QStringLiteral("Co&py Edition"), &Form1::mnuClone_Click);
    addMenuItem(ed, mnuDeleteEdition, "mnuDeleteEdition", QStringLiteral("&Delete Edition"),
                &Form1::mnuDeleteEdition_Click);
    addMenuItem(ed, mnuRenameEdition, "mnuRenameEdition", QStringLiteral("&Rename Edition"),
                &Form1::mnuRenameEdition_Click);
    addMenuItem(ed, mnuRestoreEdition, "mnuRestoreEdition", QStringLiteral("Re&store Edition"),
                &Form1::mnuRestoreEdition_Click);

    QMenu *edit = addSubMenu(bar, mnuEdit, "mnuEdit", QStringLiteral("&Database"));
    QMenu *topic = addSubMenu(edit, mnuTopic, "mnuTopic", QStringLiteral("&Topic"));
    addMenuItem(topic, mnuTopicAdd, "mnuTopicAdd", QStringLiteral("&Add"), &Form1::mnuTopicAdd_Click);
    addMenuItem(topic, mnutopicDelete, "mnutopicDelete", QStringLiteral("&Delete"), &Form1::mnutopicDelete_Click);
    addMenuItem(topic, mnuTopicRename, "mnuTopicRename", QStringLiteral("&Rename"), &Form1::mnuTopicRename_Click);
    QMenu *sub = addSubMenu(edit, mnuSubtopic, "mnuSubtopic", QStringLiteral("&Sub-Topic"));
    addMenuItem(sub, mnusubTopicAdd, "mnusubTopicAdd", QStringLiteral("&Add"), &Form1::mnusubTopicAdd_Click);
    QMenu *copy = addSubMenu(sub, mnuSubtopiccopy, "mnuSubtopiccopy", QStringLiteral("&Copy"));
    addMenuItem(copy, mnuSubtopicExport, "mnuSubtopicExport", QStringLiteral("&Export"),
                &Form1::mnuSubtopicExport_Click);
    addMenuItem(copy, mnuSubtopicImport, "mnuSubtopicImport", QStringLiteral("&Import"),
                &Form1::mnuSubtopicImport_Click);
    addMenuItem(sub, mnuSubtopicDelete, "mnuSubtopicDelete", QStringLiteral("&Delete"),
                &Form1::mnuSubtopicDelete_Click);
    addMenuItem(sub, mnuMoveSubtopic, "mnuMoveSubtopic", QStringLiteral("&Move"), &Form1::mnuMoveSubtopic_Click);
    addMenuItem(sub, mnuSubtopicRename, "mnuSubtopicRename", QStringLiteral("&Rename"),
                &Form1::mnuSubtopicRename_Click);

    QMenu *page = addSubMenu(bar, mnuMainIntranet, "mnuMainIntranet", QStringLiteral("&Page"));
    QMenu *headers = addSubMenu(page, mnuIntranet, "mnuIntranet", QStringLiteral("&Headers && Links"));
    addMenuItem(headers, mnuSectionHeaderUpdate, "mnuSectionHeaderUpdate", QStringLiteral("&Update Section Headers"),
                &Form1::mnuSectionHeaderUpdate_Click);
    for (int i = 0; i < 6; ++i) {
        // Sections 2 to 6 carry two blanks before "Links", as they always have.
        const QString caption = i == 0 ? QStringLiteral("Update Section &1 Links")
                                       : QStringLiteral("Update Section &%1  Links").arg(i + 1);
        addMenuItem(headers, mnuEditLinks[i], "mnuEditLinks", caption, nullptr);
        mnuEditLinks[i]->setProperty("index", i);
        connect(mnuEditLinks[i], &QAction::triggered, this, [this, i]() { mnuEditLinks_Click(i); });
    }
    addMenuItem(page, mnuColorSchema, "mnuColorSchema", QStringLiteral("&Color Scheme"), &Form1::mnuColorSchema_Click);
    addMenuItem(page, mnuFontSize, "mnuFontSize", QStringLiteral("Text &Font Size"), &Form1::mnuFontSize_Click);

    QMenu *options = addSubMenu(bar, mnuOptions, "mnuOptions", QStringLiteral("&Options"));
    addMenuItem(options, mnuAddMSIE, "mnuAddMSIE", QStringLiteral("&Add Icon to IE Tools Menu && Toolbar"),
                &Form1::mnuAddMSIE_Click);
    addMenuItem(options, mnuDeleteMSIE, "mnuDeleteMSIE", QStringLiteral("&Remove Icon from IE Tools Menu && Toolbar"),
                &Form1::mnuDeleteMSIE_Click);
    addMenuItem(options, mnuCompact, "mnuCompact", QStringLiteral("&Compact / Repair Topics Database"),
                &Form1::mnuCompact_Click);
    addMenuItem(options, mnuImportFav, "mnuImportFav", QStringLiteral("&Import IE Favorites"),
                &Form1::mnuImportFav_Click);
    QMenu *search = addSubMenu(options, mnuInsearch, "mnuInsearch", QStringLiteral("Intelligent &Keyword Search"));
    addMenuItem(search, mnuISon, "mnuISon", QStringLiteral("O&n"), &Form1::mnuISon_Click)->setCheckable(true);
    addMenuItem(search, mnuIsOff, "mnuIsOff", QStringLiteral("O&ff"), &Form1::mnuIsOff_Click)->setCheckable(true);
    addMenuItem(options, mnuSearchdb, "mnuSearchdb", QStringLiteral("&Search Current Edition"),
                &Form1::mnuSearchdb_Click);
    addMenuItem(options, mnuStoreAccount, "mnuStoreAccount", QStringLiteral("Store &Web Account Login"),
                &Form1::AskAccountTitle);
    addMenuItem(options, mnuOpenAccount, "mnuOpenAccount", QStringLiteral("&Open Stored Web Account"),
                &Form1::OpenStoredAccount);
    QMenu *display = addSubMenu(options, mnuDisplay, "mnuDisplay", QStringLiteral("Select &Display Mode"));
    addMenuItem(display, mnuNormalDisplay, "mnuNormalDisplay", QStringLiteral("&Normal"),
                &Form1::mnuNormalDisplay_Click)
        ->setCheckable(true);
    addMenuItem(display, mnuPageOnly, "mnuPageOnly", QStringLiteral("&Page Only"), &Form1::mnuPageOnly_Click)
        ->setCheckable(true);
    addMenuItem(display, mnuTreeOnly, "mnuTreeOnly", QStringLiteral("&Tree Only"), &Form1::mnuTreeOnly_Click)
        ->setCheckable(true);

    QMenu *help = addSubMenu(bar, mnuHelp, "mnuHelp", QStringLiteral("&Help"));
    addMenuItem(help, mnuAbout, "mnuAbout", QStringLiteral("&About Quorvane Desktop 2"), &Form1::mnuAbout_Click);
    addMenuItem(help, mnuHelpGuide, "mnuHelpGuide", QStringLiteral("&Help Guide"), &Form1::mnuHelpGuide_Click);
}

void Form1::createTreePopupMenu()
{
    mnuPopUp = new QMenu(QStringLiteral("Popup"), this);
    mnuPopUp->setObjectName(QStringLiteral("mnuPopUp"));
    QMenu *category = addSubMenu(mnuPopUp, mnuPopupCategory, "mnuPopupCategory", QStringLiteral("&Category"));
    addMenuItem(category, mnuPopupAddCategory, "mnuPopupAddCategory", QStringLiteral("&Add"),
                &Form1::mnuPopupAddCategory_Click);
    addMenuItem(category, mnuPopUpDeleteCategory, "mnuPopUpDeleteCategory", QStringLiteral("&Delete"),
                &Form1::mnuPopUpDeleteCategory_Click);
    addMenuItem(category, mnuPopupRenameCategory, "mnuPopupRenameCategory", QStringLiteral("&Rename"),
                &Form1::mnuPopupRenameCategory_Click);
    QMenu *link = addSubMenu(mnuPopUp, mnuPopupLink, "mnuPopupLink", QStringLiteral("&Link"));
    addMenuItem(link, mnuPopUpAddLink, "mnuPopUpAddLink", QStringLiteral("&Add"), &Form1::mnuPopUpAddLink_Click);
    addMenuItem(link, mnuPopUpDeleteLink, "mnuPopUpDeleteLink", QStringLiteral("&Delete"),
                &Form1::mnuPopUpDeleteLink_Click);
    QMenu *rename = addSubMenu(link, mnuPopUpRenameLink, "mnuPopUpRenameLink", QStringLiteral("&Rename"));
    addMenuItem(rename, mnupopRenameLinkname, "mnupopRenameLinkname", QStringLiteral("&Link Name"),
                &Form1::mnupopRenameLinkname_Click);
    addMenuItem(rename, mnupoprenamewebaddress, "mnupoprenamewebaddress", QStringLiteral("&Web Address"),
                &Form1::mnupoprenamewebaddress_Click);
    addMenuItem(mnuPopUp, mnuPopUpAddNotation, "mnuPopUpAddNotation", QStringLiteral("&Notation"),
                &Form1::mnuPopUpAddNotation_Click);
}

void Form1::wireControls()
{
    // Filling a list never runs its handler; only the user's choice (or a command that
    // says so) does.
    connect(Combo1, &QComboBox::activated, this, [this](int) { Combo1_Click(); });
    connect(Combo2, &QComboBox::activated, this, [this](int) { Combo2_Click(); });
    connect(Combo6, &QComboBox::activated, this, &Form1::Combo6_Activated);
    connect(Command2, &QPushButton::clicked, this, [this]() { Command2_Click(); });
    connect(tmrWindowTrack, &QTimer::timeout, this, &Form1::tmrWindowTrack_Timer);
    wireKeywordSearch();
    wireBrowserEvents();
    wireTree();
    // Section links saved on a page arrive as a navigation to a post address: they are
    // stored, and the page is shown again as it is now.
    connect(results, &WebBrowser::BeforeNavigate2, this, [this](const QUrl &url, bool *cancel) {
        if (!m_pagePost->HandlePagePost(url))
            return;
        *cancel = true;
        QTimer::singleShot(0, this, [this]() {
            if (!CurrentPageFile.isEmpty())
                results->Navigate(ProgramFolder() + CurrentPageFile);
        });
    });
    TvwBestell->viewport()->installEventFilter(this);
    TvwBestell->installEventFilter(this);
    wireLinkDrops();
}

namespace {

// A drop on the tree copies: what was dragged stays where it came from (a text dragged out
// of an editor is not cut from it).
void acceptAsCopy(QDropEvent *event)
{
    if (event->possibleActions() & Qt::CopyAction) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->acceptProposedAction();
    }
}

} // namespace

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (TvwBestell && watched == TvwBestell && treeKeyEvent(event))
        return true;
    // The tree's mouse events, and its drags: the node under a drag is marked, and drops
    // are handled by the program (TvwBestell_OLEDragDrop), never by the tree control itself.
    if (TvwBestell && watched == TvwBestell->viewport()) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto *drag = static_cast<QDragMoveEvent *>(event);
            TvwBestell_OLEDragOver(drag, 0);
            acceptAsCopy(drag);
            return true;
        }
        case QEvent::DragLeave:
            TvwBestell_OLEDragOver(nullptr, 1);
            break;
        case QEvent::Drop: {
            auto *drop = static_cast<QDropEvent *>(event);
            TvwBestell_OLEDragDrop(drop);
            acceptAsCopy(drop);
            return true;
        }
        default:
            if (treeMouseEvent(event))
                return true;
            break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- The Sub-Topic's page: the page builder does the work ----------------------------------

bool Form1::BuildPageStylesheet(const QString &templateFile, const QString &caption1, const QString &caption2,
                                const QString &caption3, const QString &caption4, const QString &caption5,
                                const QString &caption6, const QString &sponsor)
{
    return m_pageBuilder->BuildPageStylesheet(templateFile, caption1, caption2, caption3, caption4, caption5,
                                              caption6, sponsor);
}

bool Form1::PrepareTopicHomePage(qint32 subTopicId)
{
    return m_pageBuilder->PrepareTopicHomePage(subTopicId);
}

bool Form1::WriteLinksXml(const QString &fileName, const QString &rootName)
{
    return m_pageBuilder->WriteLinksXml(fileName, rootName);
}

bool Form1::TransformXml(const QString &xmlFile, const QString &xslFile, const QString &outputFile)
{
    return m_pageBuilder->TransformXml(xmlFile, xslFile, outputFile);
}

void Form1::updatelinksdb(const QString &text, const QString &table)
{
    m_pagePost->updatelinksdb(text, table);
}
