// The tree's Link and Notation commands, and links dragged out of the tree and dropped
// onto it: add a link, delete one, rename it or give it a new address, edit the notation
// of a link or category, and store a link dropped on a category.

#include "mainwindow/form1.h"

#include "editing/category_editing.h"
#include "mainwindow/form1_category_tree_host.h"
#include "editing/form22_rename_web_address.h"
#include "editing/form31_notation.h"
#include "editing/form3_add_link.h"
#include "editing/form4_rename_link.h"
#include "editing/link_dialog_parts.h"
#include "editing/link_drop.h"
#include "editing/link_editing.h"
#include "editing/link_tree_widget.h"
#include "platform/dialogs.h"
#include "shared/database.h"
#include "shared/globals.h"
#include "shared/tree_nodes.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTreeWidget>

namespace {

qint32 colourValue(const QColor &colour)
{
    return qint32(colour.red()) | (qint32(colour.green()) << 8) | (qint32(colour.blue()) << 16);
}

// Runs one of the dialogs that change the selected link (its name or its address), then
// shows the tree again with the link's category chain selected.
template <class Dialog>
void changeSelectedLink(Form1 *form)
{
    form->PopupCommandDone = 0;
    if (SelectedNodePath.isEmpty()) {
        MsgBox(LinkEditing::selectLinkMessage(), vbOKOnly, LinkEditing::selectLinkTitle());
        return;
    }
    form->PopupCommandDone = 1;
    {
        Form1CategoryTreeHost host(form);
        Dialog dialog(host, form);
        dialog.Form_Load();
        dialog.exec();
    }
    form->updateTree();
    form->SelectParentChain();
}

} // namespace

void Form1::wireLinkDrops()
{
    if (auto *tree = qobject_cast<LinkTreeWidget *>(TvwBestell))
        tree->setDragData([this]() { return TvwBestell_OLEStartDrag(); });
    TvwBestell->setDefaultDropAction(Qt::CopyAction);
}

// ---- Popup commands ------------------------------------------------------------------------

void Form1::mnuPopUpAddLink_Click()
{
    if (SelectedNodePath.isEmpty()) {
        MsgBox(LinkEditing::selectCategoryMessage(), vbOKOnly, QString());
        return;
    }
    {
        Form1CategoryTreeHost host(this);
        Form3 dialog(host, this);
        dialog.Form_Load();
        dialog.exec();
    }
    SelectParentChain();
}

void Form1::mnuPopUpDeleteLink_Click()
{
    PopupCommandDone = 0;
    DeleteSelectedLink();
    PopupCommandDone = 1;
}

void Form1::DeleteSelectedLink()
{
    PopupCommandDone = 0;
    if (MsgBox(LinkEditing::deleteConfirmMessage(), vbYesNo | vbQuestion, LinkEditing::deleteTitle()) != vbYes)
        return;
    DeleteLink();
    PopupCommandDone = 1;
    updateTree();
    Form1CategoryTreeHost(this).showFirstNodes();
    SelecteerNode(ReselectNodeIndex);
}

void Form1::DeleteLink()
{
    if (!SelectedNodePath.contains(QLatin1Char('\\'))) {
        // A link of the page's sections, not of a category.
        MsgBox(LinkEditing::sectionLinkMessage(), vbOKOnly, LinkEditing::sectionLinkTitle());
        LinkDeleteRefused = 1;
        return;
    }
    PopupCommandDone = 1;
    OpenDatabase(CurrentDatabaseFile);
    LinkEditing links(CurrentSubTopicId);
    if (links.remove(LinkEditing::categoryPathOf(SelectedNodePath), LinkEditing::linkNameOf(SelectedNodePath),
                     SelectedLinkUrl)
        == LinkEditing::Status::Failed)
        MsgBox(QStringLiteral("The Link could not be deleted. Nothing was changed.\n\n") + links.lastError(),
               vbOKOnly | vbExclamation, LinkEditing::deleteTitle());
    PopupCommandDone = 1;
}

void Form1::mnupopRenameLinkname_Click()
{
    changeSelectedLink<Form4>(this);
}

void Form1::mnupoprenamewebaddress_Click()
{
    changeSelectedLink<Form22>(this);
}

void Form1::mnuPopUpAddNotation_Click()
{
    PopupCommandDone = 0;
    {
        Form31 dialog(this);
        dialog.Form_Load();
        dialog.exec();
    }
    PopupCommandDone = 1;
}

// ---- Dragging and dropping -----------------------------------------------------------------

QMimeData *Form1::TvwBestell_OLEStartDrag()
{
    TreeNode *selected = TreeNode::from(TvwBestell->currentItem());
    if (!selected)
        return nullptr;
    TreeNode *node = TreeNodes::of(TvwBestell)->Item(selected->Index());
    if (!node)
        return nullptr;
    SelectedLinkUrl = node->Tag();
    SelectedLinkName = node->Text();
    // Only links are dragged: a category has no address to carry.
    if (SelectedLinkUrl.isEmpty())
        return nullptr;
    return LinkDrop::dragData(SelectedLinkName, SelectedLinkUrl);
}

void Form1::TvwBestell_OLEDragOver(QDragMoveEvent *event, int state)
{
    TreeNode *target = nullptr;
    if (state != 1 && event)
        target = TreeNode::from(TvwBestell->itemAt(event->position().toPoint()));

    TreeNodes *nodes = TreeNodes::of(TvwBestell);
    TreeNode *marked = m_dropHighlightIndex > 0 ? nodes->Item(m_dropHighlightIndex) : nullptr;
    if (marked && marked == target)
        return;
    if (marked) {
        if (m_dropHighlightBack.isValid())
            marked->setBackColor(colourValue(m_dropHighlightBack));
        else
            marked->setBackColor(vbWindowBackground);
    }
    m_dropHighlightIndex = 0;
    if (!target)
        return;
    m_dropHighlightIndex = target->Index();
    m_dropHighlightBack = target->BackColor();
    target->setBackColor(colourValue(TvwBestell->palette().color(QPalette::Highlight).lighter(160)));
}

void Form1::TvwBestell_OLEDragDrop(QDropEvent *event)
{
    DroppedLinkUrl.clear();
    TvwBestell_OLEDragOver(nullptr, 1);
    if (!event)
        return;
    TreeNode *target = TreeNode::from(TvwBestell->itemAt(event->position().toPoint()));

    const LinkDrop::Dropped dropped = LinkDrop::read(event->mimeData());
    if (!dropped.hasText)
        return;
    DroppedLinkUrl = dropped.text;

    // Only a category below the root takes a link.
    if (!target)
        return;
    SelectedNodeIndex = target->Index();
    if (SelectedNodeIndex == 0 || !target->Tag().isEmpty() || SelectedNodeIndex == 1)
        return;

    OpenDatabase(CurrentDatabaseFile);
    QString name = dropped.name;
    QString address = dropped.address;
    if (!dropped.fromProgram && name.isEmpty()) {
        // An address alone: named after an open browser window showing it, else after its
        // link on the page the user came from, else after itself.
        bool named = false;
        for (const BrowserPage &page : OpenBrowserPages()) {
            if (page.address == DroppedLinkUrl) {
                name = page.title;
                DroppedLinkUrl = page.title + QLatin1Char(',') + page.address;
                named = true;
                break;
            }
        }
        if (!named) {
            DroppedLinkUrl = CollectPageLinks();
            const QString tail = QLatin1Char(',') + address;
            if (DroppedLinkUrl.endsWith(tail))
                name = DroppedLinkUrl.left(DroppedLinkUrl.size() - tail.size());
            else
                LinkDrop::splitLinkText(DroppedLinkUrl, name, address);
            // No page told its name: the text the browser handed over with the dragged link.
            if (name == address && !dropped.linkText.isEmpty()) {
                name = dropped.linkText;
                DroppedLinkUrl = name + tail;
            }
        }
    }

    ClickedNodeText = target->Text();
    switch (LinkDrop::prepare(name, address)) {
    case LinkDrop::Check::Ok:
        break;
    case LinkDrop::Check::EmptyAddress:
        return;
    case LinkDrop::Check::NoTextCharacter:
    case LinkDrop::Check::Numeric:
        MsgBox(LinkEditing::nameErrorMessage(), vbOKOnly, LinkEditing::nameErrorTitle());
        return;
    }
    if (LinkEditing::FindTVString(target, name, ClickedNodeText) >= 1) {
        MsgBox(LinkEditing::dropDuplicateMessage(), vbOKOnly, LinkEditing::linkErrorTitle());
        return;
    }

    LinkEditing links(CurrentSubTopicId);
    const QString category = target->FullPath();
    const LinkEditing::Status added = links.add(CategoryEditing::rowPath(category), name, address);
    if (added != LinkEditing::Status::Done) {
        LinkDialogParts::reportAddFailure(added == LinkEditing::Status::NotFound, category, links.lastError());
        return;
    }
    updateTree();
    Form1CategoryTreeHost(this).showFirstNodes();
    SelecteerNode(SelectedNodeIndex);
}
