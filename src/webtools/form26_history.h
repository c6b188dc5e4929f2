#pragma once
// "Internet History": lists the addresses of the browsers' history index files below the
// History folder, or the typed addresses ("AutoComplete Entries"), clears either on
// request, and opens a chosen address in the main window's browser. Shown without the
// modal flag; one at a time.

#include <QDialog>
#include <QPointer>
#include <QStringList>

class QListWidget;
class QPushButton;
class WebBrowser;

class Form26 : public QDialog
{
    Q_OBJECT
public:
    // The dialog, made when first asked for, for the main window's browser.
    static Form26 *open(WebBrowser *browser, QWidget *parent = nullptr);
    static Form26 *existing() { return s_form; }

    QListWidget *List1 = nullptr;
    QPushButton *Command1 = nullptr;   // "Get History"
    QPushButton *Command2 = nullptr;   // "Get  AutoComplete Entries"
    QPushButton *Command3 = nullptr;   // "Delete History"
    QPushButton *Command4 = nullptr;   // "Delete  AutoComplete Entries"
    QPushButton *Command5 = nullptr;   // "Launch Link"
    QPushButton *Command6 = nullptr;   // "Cancel"

    void Form_Load();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void List1_DblClick();
    void Command6_Click();

    // The index files the last search found.
    QStringList indexFiles() const { return m_indexFiles; }
    // Collects the history index files of folder and its subfolders.
    void SearchIndexFiles(const QString &folder);
    // Removes repeated lines of the list; answers how many.
    int RemoveDuplicates();

private:
    Form26(WebBrowser *browser, QWidget *parent);
    // The History folder named by the registry's Shell Folders key; "" when none.
    QString historyFolder();
    void showLines(const QStringList &lines);

    QPointer<WebBrowser> m_browser;
    QStringList m_indexFiles;
    bool m_busy = false;
    static QPointer<Form26> s_form;
};
