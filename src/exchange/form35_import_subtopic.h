#pragma once
// "Import Sub-Topic": lists the Sub-Topic files found in the program folder and its
// sub-folders. "Import" adds the selected one as a new Sub-Topic of the Topic chosen in the
// main window, then closes; "Delete" deletes the selected file after asking; "Cancel"
// closes. Each entry keeps the path of the file it was found as, so a file of a
// sub-folder is the one imported or deleted.

#include <QDialog>
#include <QString>

#include <functional>

class QLabel;
class QListWidget;
class QPushButton;

class Form35 : public QDialog
{
    Q_OBJECT
public:
    // The Topic the import goes to: its id (0 when none is chosen) and its name.
    struct Target {
        qint32 topicId = 0;
        QString topicName;
    };

    // afterImport runs once "Import" has done its work (also after a refusal), before
    // the dialog closes.
    Form35(const Target &target, std::function<void()> afterImport, QWidget *parent = nullptr);

    QLabel *Label1 = nullptr;          // "Sub-Topics available for Import"
    QListWidget *List1 = nullptr;      // base names of the files found
    QLabel *Label2 = nullptr;          // note on the folder
    QLabel *Label3 = nullptr;          // the program folder
    QPushButton *Command1 = nullptr;   // "Import"
    QPushButton *Command3 = nullptr;   // "Delete"
    QPushButton *Command2 = nullptr;   // "Cancel"

    // The id given to the Sub-Topic of the last import.
    qint32 ImportedSubTopicId = 0;

    void Form_Load();
    // Adds an entry for every Sub-Topic file found (the list is not emptied first).
    void LoadImportList();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    // Imports the file of the selected entry as importName (adjusted to the exact name
    // the file was exported under, when the file carries it); tells the user the outcome.
    void ImportSubTopicFile(const QString &importName);

private:
    Target m_target;
    std::function<void()> m_afterImport;
};
