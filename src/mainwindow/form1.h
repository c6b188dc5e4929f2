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

#include <QMainWindow>
#include <QString>

#include <memory>

class QAction;
class QCloseEvent;
class QComboBox;
class QDropEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QResizeEvent;
class QStatusBar;
class QTimer;
class QTreeWidget;
class ClsVSplit;
class PagePost;
class TopicPageBuilder;
class WebBrowser;
class cTreeView;
struct _xmlDoc;

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
    // false when the main window had to close (no usable edition list).
    bool LoadDb();
    // Fills the edition list and selects the active edition, which makes it active again
    // (Combo6_Click).
    void PrepareEditions();
    // Copies the active edition's database into the Backup folder.
    void BackupEdition();
    // The user's choice in the edition list (also raised by PrepareEditions).
    void Combo6_Click();

    // ---- Topic and Sub-Topic selection ----------------------------------------------------
    void Combo1_Click();
    void Combo2_Click();
    // Rebuilds the category tree of CurrentSubTopicId (for now only empties it).
    void updateTree();
    // Refills the keyword box from a "|"-separated keyword list.
    void FillKeywordCombo(const QString &keywordList);

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

    // ---- Menu commands ------------------------------------------------------------------
    void mnuExit_Click();
    void mnuNormalDisplay_Click();
    void mnuPageOnly_Click();
    void mnuTreeOnly_Click();
    void mnuHelpGuide_Click();
    void mnuAbout_Click();
    void mnuISon_Click();
    void mnuIsOff_Click();
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
    void createTreePopupMenu();
    void wireControls();

    void ShowNormalLayout();
    void ShowPageOnly();
    void ShowTreeOnly();

    // Ends a load that cannot go on: tells the user why and ends the program.
    void abortLoad(const QString &reason);
    void clearTree();
    void setEditLinksEnabled(bool enabled);

    std::unique_ptr<ClsVSplit> m_split;
    std::unique_ptr<TopicPageBuilder> m_pageBuilder;
    std::unique_ptr<PagePost> m_pagePost;
    bool m_loaded = false;
    bool m_loadAborted = false;
    bool m_unloaded = false;
    QString m_lastOpenFailure;   // the edition that could not be opened last time

    static Form1 *s_instance;
};
