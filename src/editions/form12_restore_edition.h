#pragma once
// "Restore Edition": the editions kept in the Backup folder with their dates. "Restore"
// copies the selected one back into the program folder, "Delete" deletes the backup,
// "Cancel" closes.

#include "editions/edition_restore.h"

#include <QDialog>

class EditionHost;
class QLabel;
class QPushButton;
class QTreeWidget;

class Form12 : public QDialog
{
    Q_OBJECT
public:
    explicit Form12(EditionHost &host, QWidget *parent = nullptr);

    QLabel *Label1 = nullptr;
    QTreeWidget *ListView1 = nullptr;   // "Edition Name", "Backup Date"
    QLabel *Label2 = nullptr;
    QPushButton *Command1 = nullptr;    // "Restore"
    QPushButton *Command3 = nullptr;    // "Delete"
    QPushButton *Command2 = nullptr;    // "Cancel"

    void Form_Load();
    void LoadBackupList();
    void Command1_Click();
    void Command3_Click();

private:
    const BackupEntry *selectedBackup() const;
    // Selects the first backup, when there is one, and shows it.
    void selectFirst();

    EditionRestore m_restore;
    QList<BackupEntry> m_backups;
};
