#pragma once
// The main window "Quorvane Desktop 2": the Topic, Sub-Topic and edition lists, the
// category tree on the left, the page browser on the right with the splitter bar between
// them, the keyword and web search boxes, the status bar and the menu bar.
//
// The window is created and loaded on first use of Form1::instance(); closing it ends the
// program. Other windows call its public members to refresh what it shows.
//
// Its controls are placed absolutely (in twips) on the central widget and re-laid out in
// proportion when the window is resized.

#include <QColor>
#include <QList>
#include <QMainWindow>
#include <QPair>
#include <QString>

#include <memory>

class QAction;
class QCloseEvent;
class QComboBox;
class QDragMoveEvent;
class QDropEvent;
class QMimeData;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QResizeEvent;
class QStatusBar;
class QTimer;
class QTreeWidget;
class QUrl;
class QVariant;
class ClsVSplit;
class PageExtras;
class PagePost;
class QImage;
class TopicPageBuilder;
struct XmlLoad;
struct _xmlNode;
class WebBrowser;
class cTreeView;
class TreeImageList;
class TreeNode;
struct _xmlDoc;

// Title of the page last opened by NavigateWebSite in mode 1; "" after any other call.
extern QString WebPageTitle;

class Form1 : public QMainWindow
{
    Q_OBJECT
public:
    // The one main window, created and loaded when first asked for.
    static Form1 *instance();
    // The main window when it exists, else nullptr (never creates it).
    static Form1 *existing();

    ~Form1() override;

    // ---- Controls ------------------------------------------------------------------------
    QComboBox *Combo1 = nullptr;        // Topics of the active edition
    QComboBox *Combo2 = nullptr;        // Sub-Topics of the chosen Topic
    QComboBox *Combo6 = nullptr;        // editions
    QLabel *Label2 = nullptr;           // caption "Edition"
    QTreeWidget *TvwBestell = nullptr;  // categories and links of the Sub-Topic
    WebBrowser *results = nullptr;      // the page browser
    QPushButton *Command2 = nullptr;    // splitter bar between tree and browser
    QComboBox *cb1 = nullptr;           // keyword search box
    QLineEdit *Text1 = nullptr;         // web search box
    QStatusBar *sbStatusBar = nullptr;  // panel 1 shows the browser's status text
    QLabel *sbStatusPanel1 = nullptr;
    QTimer *tmrWindowTrack = nullptr;   // tracks the user's browser windows
    cTreeView *moTree = nullptr;        // tree operations on TvwBestell
    _xmlDoc *xml_document = nullptr;    // XML document shown on request

    // ---- Menus (every item is an action; a sub-menu's action carries its menu) ----------
    QAction *mnuFile = nullptr;
    QAction *mnuExit = nullptr;

    QAction *mnuEd = nullptr;
    QAction *mnuAdddatabase = nullptr;
    QAction *mnuCreateEdition = nullptr;
    QAction *mnuClone = nullptr;
    QAction *mnuDeleteEdition = nullptr;
    QAction *mnuRenameEdition = nullptr;
    QAction *mnuRestoreEdition = nullptr;

    QAction *mnuEdit = nullptr;
    QAction *mnuTopic = nullptr;
    QAction *mnuTopicAdd = nullptr;
    QAction *mnutopicDelete = nullptr;
    QAction *mnuTopicRename = nullptr;
    QAction *mnuSubtopic = nullptr;
    QAction *mnusubTopicAdd = nullptr;
    QAction *mnuSubtopiccopy = nullptr;
    QAction *mnuSubtopicExport = nullptr;
    QAction *mnuSubtopicImport = nullptr;
    QAction *mnuSubtopicDelete = nullptr;
    QAction *mnuMoveSubtopic = nullptr;
    QAction *mnuSubtopicRename = nullptr;

    QAction *mnuMainIntranet = nullptr;
    QAction *mnuIntranet = nullptr;
    QAction *mnuSectionHeaderUpdate = nullptr;
    QAction *mnuEditLinks[6] = {};
    QAction *mnuColorSchema = nullptr;
    QAction *mnuFontSize = nullptr;

    QAction *mnuOptions = nullptr;
    QAction *mnuAddMSIE = nullptr;
    QAction *mnuDeleteMSIE = nullptr;
    QAction *mnuCompact = nullptr;
    QAction *mnuImportFav = nullptr;
    QAction *mnuInsearch = nullptr;
    QAction *mnuISon = nullptr;
    QAction *mnuIsOff = nullptr;
    QAction *mnuSearchdb = nullptr;
    QAction *mnuStoreAccount = nullptr;   // stores the logins typed into the shown page
    QAction *mnuOpenAccount = nullptr;    // opens a stored account's page and fills in its logins
    QAction *mnuDisplay = nullptr;
    QAction *mnuNormalDisplay = nullptr;
    QAction *mnuPageOnly = nullptr;
    QAction *mnuTreeOnly = nullptr;

    QAction *mnuHelp = nullptr;
    QAction *mnuAbout = nullptr;
    QAction *mnuHelpGuide = nullptr;

    // The tree's pop-up menu (not on the menu bar).
    QMenu *mnuPopUp = nullptr;
    QAction *mnuPopupCategory = nullptr;
    QAction *mnuPopupAddCategory = nullptr;
    QAction *mnuPopUpDeleteCategory = nullptr;
    QAction *mnuPopupRenameCategory = nullptr;
    QAction *mnuPopupLink = nullptr;
    QAction *mnuPopUpAddLink = nullptr;
    QAction *mnuPopUpDeleteLink = nullptr;
    QAction *mnuPopUpRenameLink = nullptr;
    QAction *mnupopRenameLinkname = nullptr;
    QAction *mnupoprenamewebaddress = nullptr;
    QAction *mnuPopUpAddNotation = nullptr;

    // 0 normal (tree and page), 1 page only, 3 tree only.
    int DisplayMode = 0;

    // ---- Window events ---------------------------------------------------------------------
    void Form_Load();
    void Form_Resize();
    // Closes every other window; answers true (cancel) when one of them stayed open.
    bool Form_QueryUnload();
    void Form_Unload();
    // True when the load could not finish (no usable edition list): the window is never shown.
    bool loadAborted() const { return m_loadAborted; }

    // ---- The active edition -------------------------------------------------------------
    // Opens the edition that the edition list marks active and lists its Topics. Answers
    // false when the main window had to close (no usable edition list) or the edition
    // could not be opened.
    bool LoadDb();
    // Fills the edition list and selects the active edition, which makes it active again
    // (Combo6_Click).
    void PrepareEditions();
    // Copies the active edition's database into the Backup folder; a damaged edition is
    // not copied, and the user is told so once.
    void BackupEdition();
    // The user's choice in the edition list (also raised by PrepareEditions). A switch to
    // an edition that cannot be opened is refused and changes nothing.
    void Combo6_Click();
    // The user picked entry index of the edition list: the entry already active does
    // nothing, any other one runs Combo6_Click.
    void Combo6_Activated(int index);

    // ---- Edition commands ------------------------------------------------------------------
    // True when the edition list has an edition of this display name (blanks around it
    // and letter case ignored).
    bool EditionNameListed(const QString &name) const;
    // Lists a new edition (mode 1, from the descriptor Create Edition made) or an imported
    // one (mode 0, from a descriptor the user picks), then refreshes the edition list.
    void AddEdition(int mode);
    void ImportEdition() { AddEdition(0); }
    // Shows the "Go To Edition" dialog, then backs the active edition up.
    void ShowEditionList();
    // Shows the "Export Edition" dialog.
    void ShowExportEdition();


    // ---- Topic and Sub-Topic selection ----------------------------------------------------
    void Combo1_Click();
    void Combo2_Click();
    // Rebuilds the category tree of CurrentSubTopicId (SelectedNodePath becomes "").
    void updateTree();
    // Refills the keyword box from a "|"-separated keyword list.
    void FillKeywordCombo(const QString &keywordList);

    // ---- Keyword search ------------------------------------------------------------------
    // A character typed in the keyword box (8 Backspace, 13 Enter, 27 Escape, else the
    // character): completes from the list while the search mode is on (the key becomes 0
    // when it was used up); Enter remembers the word and opens the web directory search.
    void cb1_KeyPress(int &keyAscii);
    // A character typed in the web search box: Enter opens the web search.
    void Text1_KeyPress(int keyAscii);
    // Remembers the keyword box's text with the shown Sub-Topic unless it has it already.
    void SaveKeyword();
    // True when the keyword box lists word (trimmed, without regard to case); the box
    // keeps word as its text.
    bool KeywordListed(const QString &word);
    // Asks for a keyword and marks the tree nodes that contain it.
    void SearchSubTopicTree();
    // Marks green (and selects) every tree node whose text contains keyword (case
    // matters); the others turn white. The last match stays selected.
    void HighlightKeywordNodes(const QString &keyword);

    // ---- The Sub-Topic's page ---------------------------------------------------------------
    bool BuildPageStylesheet(const QString &templateFile, const QString &caption1, const QString &caption2,
                             const QString &caption3, const QString &caption4, const QString &caption5,
                             const QString &caption6, const QString &sponsor);
    bool PrepareTopicHomePage(qint32 subTopicId);
    bool WriteLinksXml(const QString &fileName, const QString &rootName);
    bool TransformXml(const QString &xmlFile, const QString &xslFile, const QString &outputFile);
    // Stores the section links a page posted (the address of the submission with its query)
    // into one of the six section tables, then rebuilds the page.
    void updatelinksdb(const QString &text, const QString &table);

    // ---- Page data helpers and page extras (the page builder and PageExtras do the work) ----
    static QString FieldTypeName(int typeCode);
    bool CheckXmlParseError(const XmlLoad &load);
    bool WriteTextFile(const QString &text, const QString &fileName);
    static QList<QPair<QString, QString>> ParseQueryString(const QString &address);
    static bool TableExists(const QString &name);
    // Shows text (such as a page's source) in the desktop's text editor.
    bool ShowTextInNotepad(const QString &text);
    static bool PutPic(const QImage &picture, const QString &file, int number);
    static int GetNumPics(const QString &file);
    static bool GetPic(QImage &picture, const QString &file, int number);
    int LoadSearchEngines();
    static QString GetString(const QString &path, const QString &unused, const QString &replacement, int mode);
    static QString EscapeQuotes(const QString &text);
    static bool MakeXMLFile(const QString &text, const QString &name);
    QString DisplayDomNode(const QString &unused, _xmlNode *node);
    PageExtras &pageExtras();

    // ---- Topic and Sub-Topic editing ----------------------------------------------------
    // Deletes the Sub-Topic CurrentSubTopicId with every row it owns, all or nothing;
    // answers false (reason set) when nothing could be deleted.
    bool DeleteSub(QString *reason = nullptr);
    // Writes newName in every place the Sub-Topic CurrentSubTopicId keeps its name (under
    // the Topic chosen in Combo1) and deletes the page file of currentName; all or nothing.
    bool RenameSub(const QString &currentName, const QString &newName, QString *reason = nullptr);
    // True when the shown Sub-Topic has no category the user made.
    bool IsPredefinedSubTopic();

    // ---- Menu commands ------------------------------------------------------------------
    void mnuExit_Click();
    // The rest of an Exit that waited for a window to unwind.
    void exitOnceOthersClosed();
    void mnuNormalDisplay_Click();
    void mnuPageOnly_Click();
    void mnuTreeOnly_Click();
    void mnuHelpGuide_Click();
    void mnuAbout_Click();
    void mnuISon_Click();
    void mnuIsOff_Click();
    // Stores the search mode chosen, when it differs from the one stored.
    void saveSearchMode();
    void Command2_Click() {}

    // Commands whose windows come with the edition, editing and web-tool windows.
    void mnuAdddatabase_Click();
    void mnuCreateEdition_Click();
    void mnuClone_Click();
    void mnuDeleteEdition_Click();
    void mnuRenameEdition_Click();
    void mnuRestoreEdition_Click();
    void mnuTopicAdd_Click();
    void mnutopicDelete_Click();
    void mnuTopicRename_Click();
    void mnusubTopicAdd_Click();
    void mnuSubtopicExport_Click();
    void mnuSubtopicImport_Click();
    void mnuSubtopicDelete_Click();
    void mnuMoveSubtopic_Click();
    void mnuSubtopicRename_Click();
    void mnuSectionHeaderUpdate_Click();
    void mnuEditLinks_Click(int index);
    void mnuColorSchema_Click();
    void mnuFontSize_Click();
    void mnuAddMSIE_Click();
    void mnuDeleteMSIE_Click();
    void mnuCompact_Click();
    void mnuImportFav_Click();
    void mnuSearchdb_Click();
    void mnuPopupAddCategory_Click();
    void mnuPopUpDeleteCategory_Click();
    void mnuPopupRenameCategory_Click();
    void mnuPopUpAddLink_Click();
    void mnuPopUpDeleteLink_Click();
    void mnupopRenameLinkname_Click();
    void mnupoprenamewebaddress_Click();
    void mnuPopUpAddNotation_Click();

    // ---- Stored web-account logins ---------------------------------------------------------
    // Asks for a title and stores the logins typed into the page shown under it.
    void AskAccountTitle();
    // Stores the filled-in text and password inputs of the page shown under title.
    void StoreAccountInfo(const QString &title);
    // Lets the user choose a stored account, opens its page and fills in its logins.
    void OpenStoredAccount();
    // Waits (at most a minute) until the page at url has loaded, then fills the logins
    // of the account title stored for url into it, when the page shown is still that page.
    void GoTOUrl(const QString &url, const QString &title);

    // Shows the link check of the shown Sub-Topic (no menu item opens it); does nothing
    // while no Sub-Topic is shown.
    void ShowLinkChecker();

    // ---- Browser commands and tools -----------------------------------------------------------
    // A button of the browser's button bar, by its number: 1 Back, 2 Forward, 3 Stop,
    // 4 Refresh, 5 Home, 6 Find, 7 Print, 8 Text size, 9 Page source, 10 History, 11 Web
    // mail, 12 Promotions; any other number does nothing.
    void BrowserButtonClick(int index);
    // Installs the window's message hook (once) and shows the browser toolbar button's
    // menu items as the machine stands.
    void HookWindowProc();

    // ---- Category tree: filling, selection and events -----------------------------------
    // The tree's pictures: folders, documents and the file-type icons added while filling.
    TreeImageList *imgDialog = nullptr;
    // Counted into by CheckNode; the caller sets them first.
    int CategoryCount = 0;
    int LinkCount = 0;
    bool CountCategoriesFlag = false;
    // 0 after any press or release in the tree; a popup command sets it to 1 when it is
    // done, and a click then opens no link.
    qint16 PopupCommandDone = 0;
    // Position of the last press in the tree, in pixels of its viewport.
    qint16 TreeMouseX = 0;
    qint16 TreeMouseY = 0;
    // The node under the pointer at the last right release (nullptr once it is removed),
    // and SelectedNodePath as it was then for a root or category.
    TreeNode *PopupNode = nullptr;
    QString PopupNodePath;

    // Expands the node at SelectedNodeIndex with its ancestors and selects it.
    void SelectParentChain();
    // Selects, reveals and expands the node with that index.
    void SelecteerNode(qint32 index);
    // Counts node, its subtree and its later siblings into CategoryCount and LinkCount.
    void CheckNode(TreeNode *&node);
    void WalkTree(TreeNode *&node);
    // "<categories>,<links>" among the selected node's children.
    QString FindTreeChildern(QTreeWidget *tree);
    // Expanded := flag down the chain from node; later link siblings turn blue.
    void ExpandSubtree(TreeNode *node, bool flag);
    // Links can be dragged out of the tree while this is on.
    void EnableTreeDrag();
    void DisableTreeDrag();
    // True while the tree is being filled.
    bool treeFilling() const { return m_treeFilling; }

    // Mouse handlers of the tree: button 1 left, 2 right, 4 middle; x and y in pixels of
    // the tree's viewport. A right release shows the popup menu.
    void TvwBestell_MouseDown(int button, int shift, double x, double y);
    void TvwBestell_MouseMove(int button, int shift, double x, double y);
    void TvwBestell_MouseUp(int button, int shift, double x, double y);
    void TvwBestell_Click();
    void TvwBestell_Expand(TreeNode *node);
    void TvwBestell_Collapse(TreeNode *node);

    // ---- Browser integration and window tracking ----------------------------------------
    // Opens the address in a separate browser window of this program. Mode 1 loads the
    // page in a hidden window only to read its title into WebPageTitle, then closes it;
    // any other mode shows the window in front.
    void NavigateWebSite(const QString &address, qint16 mode = 0);
    // Where the page shows, on the screen: link windows open over it, not over the tree.
    QRect pageArea() const;
    // "<name>,<address>" for the address in DroppedLinkUrl: named after an open browser
    // window showing it, or after its link on the page of the tracked browser window, or
    // after itself.
    QString CollectPageLinks();
    void results_StatusTextChange(const QString &text);
    void results_DocumentComplete(const QUrl &url, bool ok);
    // A page of the browser asks for a new window: it opens in a new browser window.
    void results_NewWindow2(WebBrowser **target, bool *cancel);
    // True when the browser's "Disable Script Debugger" setting holds "yes".
    bool IsScriptDebuggerDisabled();
    bool PathExists(const QString &path);
    // Asks for a page file and shows it in the browser.
    void OpenHtmlFile();
    void PrintPage();
    void PrintPreviewPage();
    void SavePageAs();
    // Opens an address with the desktop's default program; tells the user when it cannot.
    void NavigateUrl(const QString &address);
    // Stores a value (REG_SZ or REG_DWORD) in an existing key of HKEY_CURRENT_USER; answers
    // the registry result code.
    long SaveUserRegValue(const QString &key, const QString &name, const QVariant &value, quint32 type);
    // Keeps a window above all others.
    void SetTopMost(QWidget *window);

    // ---- Category and link editing ---------------------------------------------------------
    // The popup commands' work: Add asks for a category name and adds it under the selected
    // node; Rename renames the right-clicked category with everything below it; both then
    // re-select the Topic and Sub-Topic lists, which rebuilds the page and the tree.
    void AddCategory();
    void RenameCategory();
    // Rewrites the stored paths ("/" form) of the category at oldPath and of every category
    // below it to begin with newPath; false (after saying why) when nothing could be written.
    bool DoRenameCategory(const QString &oldPath, const QString &newPath);
    // Deletes the category at SelectedNodePath with its sub-categories and links, all or
    // nothing (never the root); false when nothing was deleted (a failure is reported).
    bool DeleteCategory();
    // Deletes the sub-categories and links below node (rows and nodes), all or nothing,
    // keeping the node's own row; false when nothing was deleted (a failure is reported).
    bool FullCategoryDelete(TreeNode *node);
    // Deletes the link of the selection (its category from SelectedNodePath, its name and
    // address) from the edition; a link outside any category is refused (LinkDeleteRefused).
    void DeleteLink();
    // Asks, deletes the selected link, rebuilds the tree and selects ReselectNodeIndex.
    void DeleteSelectedLink();
    // A drag out of the tree starts: the data the dragged link carries (nullptr: no drag).
    QMimeData *TvwBestell_OLEStartDrag();
    // The pointer moves over the tree while dragging (state 1: it leaves the tree): the
    // node under it is marked as the drop target.
    void TvwBestell_OLEDragOver(QDragMoveEvent *event, int state);

    // Events of controls that the tree, search and browser commands handle.
    void TvwBestell_OLEDragDrop(QDropEvent *event);
    void tmrWindowTrack_Timer();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

public:
    void setVisible(bool visible) override;

private:
    explicit Form1(QWidget *parent = nullptr);

    void createControls();
    void createMenus();
    // Adds an item to a menu as member, named name, that runs handler (when given) when chosen.
    QAction *addMenuItem(QMenu *menu, QAction *&member, const char *name, const QString &caption,
                         void (Form1::*handler)());
    void createTreePopupMenu();
    void wireControls();
    void wireKeywordSearch();   // key handling of the keyword and web search boxes
    void wireBrowserEvents();   // events of the browser control results
    void wireTree();            // events of the category tree TvwBestell
    // A mouse event on the tree's viewport (eventFilter hands them over); true swallows it.
    bool treeMouseEvent(QEvent *event);
    // A key event of the tree itself: the Menu key and Shift+F10 show the popup menu of the
    // current node, as a right click on it does; true swallows it.
    bool treeKeyEvent(QEvent *event);

    void ShowNormalLayout();
    void ShowPageOnly();
    void ShowTreeOnly();

    // Ends a load that cannot go on: tells the user why and ends the program.
    void abortLoad(const QString &reason);
    void clearTree();
    // Shows the Topic's Sub-Topics afresh after one of them changed: no Sub-Topic chosen,
    // no tree, a blank page.
    void showTopicAfresh(const QString &topic);
    void setEditLinksEnabled(bool enabled);

    std::unique_ptr<ClsVSplit> m_split;
    std::unique_ptr<TopicPageBuilder> m_pageBuilder;
    std::unique_ptr<PagePost> m_pagePost;
    std::shared_ptr<PageExtras> m_pageExtras;   // made on first use
    bool m_loaded = false;
    bool m_loadAborted = false;
    bool m_unloaded = false;
    bool m_exitPending = false;    // an Exit waits for a window to unwind
    QString m_lastOpenFailure;   // the edition that could not be opened last time
    QString m_damageTold;        // the damaged edition the user was told of last

    // Category tree: a fill is running / another was asked for meanwhile; depth of nested
    // expand handlers; a mouse button is down in the tree.
    bool m_treeFilling = false;
    bool m_treeRefillWanted = false;
    int m_treeExpandDepth = 0;
    bool m_treeMouseDown = false;

    // Category and link editing: re-selection of the lists after an edit; wiring of link
    // drags; the node marked as drop target (by index) and the colour it had.
    void reloadListsAfterCategoryEdit();
    void wireLinkDrops();
    int m_dropHighlightIndex = 0;
    QColor m_dropHighlightBack;

    static Form1 *s_instance;
};
