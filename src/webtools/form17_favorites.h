#pragma once
// "IE Favorites": lists the user's favourites (or, in its second mode "List of Links",
// the links of the page in the main window's browser), one row per link with its name
// and address. A row dragged onto a category of the main window's tree becomes a link
// there; "Launch Link" opens the row's address in a browser window of its own. Shown
// without the modal flag; one at a time.

#include <QDialog>
#include <QPointer>
#include <QTreeWidget>

class QLabel;
class QPushButton;
class WebBrowser;

// 0: the favourites of the Favorites folder; 1: the links of the main window's page.
extern qint16 FavImportMode;

// The list of Form17: rows dragged out of it carry a link of this program.
class FavoritesListView : public QTreeWidget
{
    Q_OBJECT
public:
    explicit FavoritesListView(QWidget *parent = nullptr);

protected:
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QList<QTreeWidgetItem *> &items) const override;
};

class Form17 : public QDialog
{
    Q_OBJECT
public:
    // The dialog, made when first asked for, for the main window's browser.
    static Form17 *open(WebBrowser *browser, QWidget *parent = nullptr);
    static Form17 *existing() { return s_form; }

    FavoritesListView *ListView1 = nullptr;   // "Link Name", "URL"
    QPushButton *Command1 = nullptr;          // "Get Favorites" / "Get Links"
    QPushButton *Command4 = nullptr;          // "Launch Link"
    QPushButton *Command2 = nullptr;          // "Cancel"
    QLabel *Label1 = nullptr;

    void Form_Load();
    void Command1_Click();
    void Command4_Click();
    void ListView1_DblClick();
    void ListView1_ColumnClick(int column);
    void Command2_Click();

    // The drag text of the marked rows: their names (CR LF between them), "," and the
    // address of the current row.
    QString dragText() const;
    // True while the page's links are being collected.
    bool collecting() const { return m_collecting; }

signals:
    // A collection has finished filling the list.
    void collected();

private:
    Form17(WebBrowser *browser, QWidget *parent);
    void addRow(const QString &name, const QString &address);
    void finishCollecting();
    // What the user is told when Get Favorites finds none in folder: where they are read from.
    static QString noFavoritesMessage(const QString &folder);

    QPointer<WebBrowser> m_browser;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    bool m_collecting = false;
    static QPointer<Form17> s_form;
};
