// Commands of the main window whose windows and work come with the edition, editing,
// tree, keyword and web-tool parts of the program. Each is wired to its menu item or
// control, and does nothing until the window or work behind it is added.

#include "mainwindow/form1.h"

#include <QDropEvent>

// Edition menu.
void Form1::mnuAdddatabase_Click() {}
void Form1::mnuCreateEdition_Click() {}
void Form1::mnuClone_Click() {}
void Form1::mnuDeleteEdition_Click() {}
void Form1::mnuRenameEdition_Click() {}
void Form1::mnuRestoreEdition_Click() {}

// Database menu.
void Form1::mnuTopicAdd_Click() {}
void Form1::mnutopicDelete_Click() {}
void Form1::mnuTopicRename_Click() {}
void Form1::mnusubTopicAdd_Click() {}
void Form1::mnuSubtopicExport_Click() {}
void Form1::mnuSubtopicImport_Click() {}
void Form1::mnuSubtopicDelete_Click() {}
void Form1::mnuMoveSubtopic_Click() {}
void Form1::mnuSubtopicRename_Click() {}

// Page menu.
void Form1::mnuFontSize_Click() {}

// Options menu.
void Form1::mnuAddMSIE_Click() {}
void Form1::mnuDeleteMSIE_Click() {}
void Form1::mnuCompact_Click() {}
void Form1::mnuImportFav_Click() {}
void Form1::mnuSearchdb_Click() {}

// The tree's pop-up menu.
void Form1::mnuPopupAddCategory_Click() {}
void Form1::mnuPopUpDeleteCategory_Click() {}
void Form1::mnuPopupRenameCategory_Click() {}
void Form1::mnuPopUpAddLink_Click() {}
void Form1::mnuPopUpDeleteLink_Click() {}
void Form1::mnupopRenameLinkname_Click() {}
void Form1::mnupoprenamewebaddress_Click() {}
void Form1::mnuPopUpAddNotation_Click() {}

// Controls.
void Form1::TvwBestell_OLEDragDrop(QDropEvent *event) { Q_UNUSED(event); }
void Form1::FillKeywordCombo(const QString &keywordList) { Q_UNUSED(keywordList); }
void Form1::tmrWindowTrack_Timer() {}
