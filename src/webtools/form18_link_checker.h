#pragma once
// "Check Sub-Topic Links": lists every link of the shown Sub-Topic (its filed links and
// the links of its page sections), asks each link's web server whether it answers (the
// selected link, or all of them in turn until Stop), opens a link in a new browser window
// and deletes a filed link from the edition.

#include "webtools/link_check.h"

#include <QDialog>
#include <QVector>

class QCheckBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class TreeNode;
class WebToolsHost;

class Form18 : public QDialog
{
    Q_OBJECT
public:
    explicit Form18(WebToolsHost *host, QWidget *parent = nullptr);
    ~Form18() override;

    QLabel *Label1 = nullptr;          // "Topic"
    QLabel *Label2 = nullptr;          // the Topic's name
    QLabel *Label3 = nullptr;          // "Sub Topic:"
    QLabel *Label4 = nullptr;          // the Sub-Topic's name
    QTreeWidget *ListView1 = nullptr;  // "Title", "URL", "Status"
    QCheckBox *Check1 = nullptr;       // "Check All Links"
    QPushButton *Command3 = nullptr;   // "Check"
    QPushButton *Command5 = nullptr;   // "Stop"
    QPushButton *Command1 = nullptr;   // "Delete Link"
    QPushButton *Command4 = nullptr;   // "Launch Link"
    QPushButton *Command2 = nullptr;   // "Cancel"

    // Non-zero when Stop was clicked during a run.
    int StopRequested = 0;
    // Index of the tree node of the link last deleted (0 when none was found).
    int FoundNodeIndex = 0;

    void Form_Load();
    void LoadLinks();
    void Command3_Click();
    void Command5_Click();
    void Command1_Click();
    void Command4_Click();
    void ListView1_DblClick();
    // column: 1 "Title", 2 "URL", 3 "Status".
    void ListView1_ColumnClick(int column);
    void Check1_Click();
    void Command2_Click();

    // True while a check runs.
    bool checking() const { return m_checking; }
    // The row of the list that is the link row (for tests): its name, address and origin.
    LinkCheckRow rowData(const QTreeWidgetItem *item) const;

    void done(int result) override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // Walks the tree below parent, level group by level group, and notes every node whose
    // Tag equals tag, in that order.
    void FindNodeByTag(TreeNode *parent, const QString &tag, QList<TreeNode *> &found);
    void checkRow(QTreeWidgetItem *item);
    void setChecking(bool on);
    void updateControls();
    void selectFirstRow();

    WebToolsHost *m_host;
    QVector<LinkCheckRow> m_rows;   // a row's index in here is kept in its item
    int m_titleOrder = 0;
    int m_urlOrder = 0;
    bool m_checking = false;
    bool m_closeWanted = false;
};
