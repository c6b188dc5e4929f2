// The main window's keyword box, web search box and tree search: key handling, the
// keyword list, and the searches opened in a separate browser window.

#include "mainwindow/form1.h"

#include "mainwindow/keyword_search.h"
#include "platform/dialogs.h"
#include "shared/combo_type_ahead.h"
#include "shared/globals.h"
#include "shared/tree_nodes.h"

#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QSignalBlocker>
#include <QTreeWidget>

namespace {

constexpr qint32 ColourWhite = 0xFFFFFF;
constexpr qint32 ColourGreen = 0x00FF00;

// Hands the characters typed in the keyword box to Form1::cb1_KeyPress, which decides
// whether the edit field still gets them.
class KeywordBoxKeys : public QObject
{
public:
    KeywordBoxKeys(Form1 *form, ComboTypeAhead *typeAhead)
        : QObject(form->cb1)
        , m_form(form)
        , m_typeAhead(typeAhead)
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::FocusOut) {
            if (m_typeAhead)
                m_typeAhead->hideDropDown();
            return false;
        }
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        const int code = KeyPressCharCode(static_cast<QKeyEvent *>(event));
        // Keys without a character, and control shortcuts (copy, paste, select all ...),
        // keep their usual meaning in the edit field.
        if (code < 0 || (code < 32 && code != KeyBackspace && code != KeyEnter && code != KeyEscape))
            return false;
        int key = code;
        m_form->cb1_KeyPress(key);
        return key == 0 || key == KeyEnter;
    }

private:
    Form1 *m_form;
    QPointer<ComboTypeAhead> m_typeAhead;
};

} // namespace

void Form1::wireKeywordSearch()
{
    // Completion runs only while the search mode is on, so the keyword box's keys go
    // through cb1_KeyPress; the type-ahead only lends its drop-down list.
    ComboTypeAhead *typeAhead = ComboTypeAhead::attach(cb1);
    typeAhead->setCompleting(false);
    // The box holds the focus and passes keys on to its edit field: watch both.
    auto *keys = new KeywordBoxKeys(this, typeAhead);
    cb1->installEventFilter(keys);
    cb1->lineEdit()->installEventFilter(keys);
    connect(Text1, &QLineEdit::returnPressed, this, [this]() { Text1_KeyPress(KeyEnter); });
}

void Form1::cb1_KeyPress(int &keyAscii)
{
    if (mnuISon->isChecked())
        keyAscii = AutoCompleteComboBox(cb1, keyAscii);
    if (keyAscii == KeyEnter && !cb1->currentText().trimmed().isEmpty()) {
        SaveKeyword();
        NavigateWebSite(KeywordSearch::directorySearchAddress(cb1->currentText()), 0);
    }
}

void Form1::Text1_KeyPress(int keyAscii)
{
    if (keyAscii == KeyEnter && !Text1->text().trimmed().isEmpty())
        NavigateWebSite(KeywordSearch::webSearchAddress(Text1->text()), 0);
}

void Form1::FillKeywordCombo(const QString &keywordList)
{
    const QSignalBlocker block(cb1);
    cb1->clear();
    cb1->setEditText(QString());
    cb1->addItem(QString());
    for (const QString &word : KeywordSearch::keywordItems(keywordList))
        cb1->addItem(word);
    cb1->setCurrentIndex(0);
}

void Form1::SaveKeyword()
{
    const QString word = cb1->currentText();
    if (KeywordListed(word))
        return;
    KeywordSearch::rememberKeyword(CurrentSubTopicId, word);
}

bool Form1::KeywordListed(const QString &word)
{
    QStringList items;
    for (int i = 0; i < cb1->count(); ++i)
        items.append(cb1->itemText(i));
    const bool listed = KeywordSearch::isListed(items, word);
    cb1->setEditText(word);
    return listed;
}

void Form1::SearchSubTopicTree()
{
    const QString keyword =
        InputBox(QStringLiteral("Please enter a keyword to search:"), QStringLiteral("Search Sub-Topic Tree"), QString());
    if (!keyword.isEmpty())
        HighlightKeywordNodes(keyword);
}

void Form1::HighlightKeywordNodes(const QString &keyword)
{
    TreeNodes *nodes = TreeNodes::of(TvwBestell);
    const int count = nodes->Count();
    for (int i = 1; i <= count; ++i) {
        TreeNode *node = nodes->Item(i);
        if (!node)
            continue;
        node->setBackColor(ColourWhite);
        if (node->Text().contains(keyword, Qt::CaseSensitive)) {
            // Opening a collapsed branch selects the opened node: open it first, so that
            // the match itself ends up selected.
            node->EnsureVisible();
            node->setSelected(true);
            node->setBackColor(ColourGreen);
        }
    }
}
