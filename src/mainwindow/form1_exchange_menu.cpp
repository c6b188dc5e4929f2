// The main window's Sub-Topic exchange: "Export" writes the shown Sub-Topic into a
// Sub-Topic file of the program folder under a name the user may change; "Import" shows
// the import dialog, which adds a listed file's Sub-Topic to the chosen Topic.

#include "mainwindow/form1.h"

#include "exchange/form35_import_subtopic.h"
#include "exchange/subtopic_export.h"
#include "exchange/subtopic_file.h"
#include "platform/dialogs.h"
#include "platform/programfolder.h"
#include "shared/database.h"
#include "shared/globals.h"
#include "shared/routines.h"
#include "shared/wait_cursor.h"

#include <QComboBox>

void Form1::mnuSubtopicExport_Click()
{
    if (Combo2->currentIndex() <= 0)
        return;
    const QString title = QStringLiteral("Export Sub-Topic");
    const QString subTopic = Combo2->currentText();
    const QString folder = ProgramFolder();

    const QString answer = InputBox(
        QStringLiteral("The Sub-Topic '") + subTopic + QStringLiteral("' will be exported to the file: \n") + folder
            + SubTopicFile::fileBaseName(subTopic) + SubTopicFile::Extension
            + QStringLiteral("\n\nTo change the name of the exported file please overtype text in the box below.\n\n"
                             "Use the Import function to copy this Sub-Topic into another Topic of the same or any "
                             "other editions, or share with other users.\n"),
        title, subTopic);
    const QString exportName = TrimBlanks(answer);
    if (exportName.isEmpty())
        return;
    if (!SubTopicExport::nameAllowed(exportName)) {
        MsgBox(QStringLiteral("Only alphabetical or numeric characters are allowed in a Sub-Topic Name.\n\n"
                              "Please amend your Sub-Topic Name."),
               vbOKOnly, title);
        return;
    }
    if (SubTopicExport::FindExportFile(folder, exportName)
        && MsgBox(QStringLiteral("The Sub-Topic ") + exportName
                      + QStringLiteral(" already exists in the Export Directory. \nDo you want to overwrite this file?"),
                  vbYesNo, title)
               != vbYes)
        return;

    SubTopicExport exporter;
    bool written = false;
    {
        const WaitCursor busy;
        CurrentSubTopicId = qint32(Combo2->currentData().toLongLong());
        OpenDatabase(CurrentDatabaseFile);
        written = exporter.write(folder, qint32(Combo1->currentData().toLongLong()), CurrentSubTopicId, subTopic,
                                 exportName);
    }
    if (!written) {
        MsgBox(QStringLiteral("The Sub-Topic '") + subTopic + QStringLiteral("' could not be exported.\n\n")
                   + exporter.lastError(),
               vbExclamation, title);
        return;
    }
    MsgBox(QStringLiteral("The Sub-Topic '") + subTopic + QStringLiteral("' has been successfully exported to the file ")
               + SubTopicFile::fileBaseName(exportName) + SubTopicFile::Extension
               + QStringLiteral("\nUse the Import function to place this Sub-Topic in another Edition."),
           vbOKOnly, title);
}

void Form1::mnuSubtopicImport_Click()
{
    OpenDatabase(CurrentDatabaseFile);
    const Form35::Target target{Combo1->currentIndex() > 0 ? qint32(Combo1->currentData().toLongLong()) : 0,
                                Combo1->currentText()};
    Form35 dialog(target,
                  [this] {
                      // The lists start afresh; the new Sub-Topic shows once its Topic is chosen.
                      Combo1->setCurrentIndex(0);
                      Combo1_Click();
                  },
                  this);
    dialog.Form_Load();
    dialog.exec();
}
