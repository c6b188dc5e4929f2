#pragma once
// "Cache Display": lists the addresses of the browsers' URL cache, deletes one or all of
// them, and shows a chosen one in the main window's browser.

#include <QDialog>
#include <QPointer>

class QLabel;
class QListWidget;
class QPushButton;
class WebBrowser;

class frmCache : public QDialog
{
    Q_OBJECT
public:
    // The dialog, made when first asked for, for the main window's browser.
    static frmCache *open(WebBrowser *browser, QWidget *parent = nullptr);
    static frmCache *existing() { return s_form; }

    QListWidget *List1 = nullptr;
    QPushButton *Command1 = nullptr;   // "Get Cache"
    QPushButton *Command2 = nullptr;   // "Delete Selected"
    QPushButton *Command3 = nullptr;   // "Delete All"
    QPushButton *Command5 = nullptr;   // "View URL"
    QPushButton *Command4 = nullptr;   // "Cancel"
    QLabel *Label1 = nullptr;          // "<n> files listed."
    QLabel *Label2 = nullptr;          // "Cached URL Addresses"

    void Form_Load();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command5_Click();
    void List1_Click();
    void Command4_Click();

private:
    frmCache(WebBrowser *browser, QWidget *parent);

    QPointer<WebBrowser> m_browser;
    static QPointer<frmCache> s_form;
};
