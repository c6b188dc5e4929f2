#pragma once
// Program-wide state shared by the windows. Each window reads and writes only the
// values its commands are about; the comments say what each one holds.

#include <QString>
#include <QStringList>

// The active edition.
extern QString CurrentDatabaseFile;   // database file (no folder) of the active edition
extern QString CurrentEditionTitle;   // display name of the active edition
extern QString NewEditionName;        // display name handed between the edition windows
extern int UseCurrentDir;             // non-zero: GetAppPath answers the current directory

// Start-up.
extern bool IsOnline;                 // the machine was online at start-up

// The shown Sub-Topic and its page.
extern qint32 CurrentSubTopicId;      // id of the shown Sub-Topic
extern QString CurrentPageFile;       // page file name of the shown Sub-Topic, "" when none

// Selection in the category tree.
extern qint32 SelectedNodeIndex;      // index of the pressed node
extern qint32 ReselectNodeIndex;      // index of the right-clicked node's parent
extern QString SelectedNodePath;      // full path of the pressed node, "" after a rebuild
extern QString SelectedLinkUrl;       // address of the pressed or dragged link
extern QString SelectedLinkName;      // name of the pressed or dragged link
extern QString ClickedNodeText;       // text of the node last pressed or dropped on
extern QString NotationText;          // notation of the right-clicked node
extern int NotationIsSite;            // 1 for a link, 0 for a category or root
extern QString DroppedLinkUrl;        // the dropped or scanned link text
extern int LinkDeleteRefused;         // 1 when a link outside any category was not deleted

// Section editing.
extern QString CurrentSectionTable;   // section table being edited
extern int SectionDialogChanged;      // 1 after a section or colour dialog changed the page

// Browser window tracking.
extern QStringList TrackedWindows;    // titles of the last foreground browser windows
extern QString TrackedBrowserTitle;
extern QString TrackedBrowserHandle;

// Connection settings of this run and the next HTTP target.
extern QString ProxyServer;
extern QString ProxyPort;
extern QString ProxyUserId;
extern QString ProxyPassword;
extern int ProxyConfirmed;
extern int DownloadDone;              // 0 while a plug-in edition downloads, 1 ends the transfer loop
extern QString HttpTarget;

// Web-account pages.
extern QString AccountPageUrl;
extern int AccountPageReady;
