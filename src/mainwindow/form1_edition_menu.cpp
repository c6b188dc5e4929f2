// The main window's edition commands: create, copy, delete, rename, restore, compact, and
// the Go To Edition and Export Edition dialogs.

#include "mainwindow/form1.h"

#include "editions/edition_compact.h"
#include "editions/edition_create.h"
#include "editions/edition_host.h"
#include "editions/edition_list.h"
#include "editions/edition_loader.h"
#include "editions/form12_restore_edition.h"
#include "editions/form15_delete_edition.h"
#include "editions/form24_rename_edition.h"
#include "editions/form29_export_edition.h"
#include "editions/form34_copy_edition.h"
#include "editions/form8_go_to_edition.h"
#include "platform/dialogs.h"
#include "platform/programfolder.h"
#include "shared/database.h"
#include "shared/globals.h"

#include <QComboBox>

namespace {

class Form1EditionHost : public EditionHost
{
public:
    explicit Form1EditionHost(Form1 *form)
        : m_form(form)
    {
    }
    void refreshEditions() override { m_form->PrepareEditions(); }
    QString shownEdition() const override { return m_form->Combo6->currentText(); }

private:
    Form1 *m_form;
};

template <typename Dialog>
void showEditionDialog(Form1 *form)
{
    Form1EditionHost host(form);
    Dialog dialog(host, form);
    dialog.Form_Load();
    dialog.exec();
}

} // namespace

bool Form1::EditionNameListed(const QString &name) const
{
    return EditionList::displayNameListed(EditionList::listPath(ProgramFolder()), name);
}

void Form1::mnuCreateEdition_Click()
{
    Form1EditionHost host(this);
    EditionCreator(&host).createEdition();
}

void Form1::AddEdition(int mode)
{
    Form1EditionHost host(this);
    EditionCreator(&host).addEdition(mode);
}

void Form1::ShowEditionList()
{
    showEditionDialog<Form8>(this);
    BackupEdition();
}

void Form1::ShowExportEdition()
{
    showEditionDialog<Form29>(this);
}

void Form1::mnuClone_Click()
{
    showEditionDialog<Form34>(this);
}

void Form1::mnuDeleteEdition_Click()
{
    showEditionDialog<Form15>(this);
}

void Form1::mnuRenameEdition_Click()
{
    showEditionDialog<Form24>(this);
}

void Form1::mnuRestoreEdition_Click()
{
    showEditionDialog<Form12>(this);
}

void Form1::mnuCompact_Click()
{
    // The file is replaced only while no connection is open on it.
    CloseDatabase();
    EditionCompaction compaction(FindProgramFile(CurrentDatabaseFile), FindProgramFile(QStringLiteral("untitled.mdb")),
                                 ProgramFolder() + QStringLiteral("Backup"));
    const EditionCompaction::Result result = CurrentDatabaseFile.isEmpty() ? EditionCompaction::Result::Failed
                                                                           : compaction.run();
    CloseDatabase();
    OpenDatabase(CurrentDatabaseFile);
    if (result == EditionCompaction::Result::Repaired) {
        // Rows may be gone: the Topic list and the pages are made afresh from what is left.
        EditionLoader().deletePageFiles();
        LoadDb();
    }
    const QString message = CurrentDatabaseFile.isEmpty() ? QStringLiteral("There is no active edition to compact.")
                                                          : compaction.message();
    MsgBox(message, result == EditionCompaction::Result::Compacted ? vbInformation : vbExclamation,
           QStringLiteral("Compact/Repair Database"));
}
