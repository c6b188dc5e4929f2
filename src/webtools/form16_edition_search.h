#pragma once
// "Search Current Edition (<edition>)": searches the whole active edition for a keyword
// and lists the hits (name, address). The user sorts the list by either column, opens a
// hit in a new browser window (Go or a double click) and reads a filed link's notation
// through the right-click menu.

#include <QDialog>

class QLabel;
class QLineEdit;
class QMenu;
class QAction;
class QPushButton;
class QTimer;
class QTreeWidget;
class WebToolsHost;

class Form16 : public QDialog
{
    Q_OBJECT
public:
    explicit Form16(WebToolsHost *host, QWidget *parent = nullptr);
    ~Form16() override;

    QLabel *Label1 = nullptr;          // "Keyword:"
    QLineEdit *Text1 = nullptr;        // the keyword
    QPushButton *Command1 = nullptr;   // "Search"
    QPushButton *Command3 = nullptr;   // "Go"
    QPushButton *Command2 = nullptr;   // "Cancel"
    QTreeWidget *ListView1 = nullptr;  // the hits: "Title", "URL"
    QLabel *Label2 = nullptr;          // "<n> items found."
    QTimer *Timer1 = nullptr;          // a right click is pending while it runs
    QMenu *mnuPopUp = nullptr;
    QAction *mnuPopUpReadNotation = nullptr;

    void Form_Load();
    void Command1_Click();
    // Enter in the keyword box searches unless the box holds only blanks.
    void Text1_Return();
    void Command3_Click();
    void ListView1_DblClick();
    // column: 1 "Title", 2 "URL".
    void ListView1_ColumnClick(int column);
    // A mouse button released over the list (1 left, 2 right) at pos in the list's
    // viewport; a right release opens the notation menu there.
    void ListView1_MouseUp(int button, const QPoint &pos);
    void ListView1_MouseMove();
    void Timer1_Timer();
    void mnuPopUpReadNotation_Click();
    void Command2_Click();

    // The sort orders of the two columns (0 ascending, 1 descending).
    int titleSortOrder() const { return m_titleOrder; }
    int urlSortOrder() const { return m_urlOrder; }
    // True while a search runs.
    bool searching() const { return m_searching; }
    // Whether the last right-clicked hit is a filed link (its notation can be changed).
    bool notationEditable() const { return m_notationFound; }

    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void SelectListItem();
    void GetSummary();
    void setBusy(bool busy);

    WebToolsHost *m_host;
    int m_titleOrder = 0;
    int m_urlOrder = 0;
    bool m_searching = false;
    bool m_closeWanted = false;
    bool m_notationFound = false;
};
