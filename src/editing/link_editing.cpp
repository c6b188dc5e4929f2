#include "editing/link_editing.h"

#include "editing/category_editing.h"
#include "editing/edit_names.h"
#include "shared/edit_sql.h"
#include "shared/routines.h"
#include "shared/tree_nodes.h"

#include <limits>

namespace {

const QString kOutOfIds = QStringLiteral("The edition has no link ids left.");

} // namespace

// ---- Checks and texts --------------------------------------------------------------------------

LinkEditing::AddCheck LinkEditing::checkAdd(const QString &name, const QString &address)
{
    if (TrimBlanks(name).isEmpty())
        return AddCheck::EmptyName;
    if (TrimBlanks(address).isEmpty())
        return AddCheck::EmptyAddress;
    if (!ContainsTextChar(name))
        return AddCheck::NoTextCharacter;
    if (EditNames::IsNumeric(name))
        return AddCheck::Numeric;
    if (EditNames::HasProhibitedCharacter(name))
        return AddCheck::Prohibited;
    return AddCheck::Ok;
}

LinkEditing::AddressCheck LinkEditing::checkAddress(const QString &typed)
{
    const QString address = TrimBlanks(typed);
    if (address.isEmpty())
        return AddressCheck::Empty;
    if (EditNames::HasProhibitedAddressCharacter(address))
        return AddressCheck::Prohibited;
    return AddressCheck::Ok;
}

QString LinkEditing::selectCategoryMessage()
{
    return QStringLiteral("Please select a Category or Sub-Category.");
}

QString LinkEditing::addErrorTitle()
{
    return QStringLiteral("Add Link Error");
}

QString LinkEditing::enterNameMessage()
{
    return QStringLiteral("Please enter a Link Name.");
}

QString LinkEditing::enterAddressMessage()
{
    return QStringLiteral("Please enter a Link URL.");
}

QString LinkEditing::nameErrorMessage()
{
    return QStringLiteral("The Link Name field must contain at least one text character.");
}

QString LinkEditing::nameErrorTitle()
{
    return QStringLiteral("Link Name Error");
}

QString LinkEditing::prohibitedMessage()
{
    return QStringLiteral("The Link Name field created contains a character or characters that may not be used. "
                          "Please delete these characters before proceeding.\n\n");
}

QString LinkEditing::prohibitedTitle()
{
    return QStringLiteral("Prohibited Characters");
}

QString LinkEditing::duplicateMessage(const QString &name)
{
    return QStringLiteral("The Link Name '") + name
        + QStringLiteral("' already exists in the parent folder. Please select an alternate name.");
}

QString LinkEditing::linkErrorTitle()
{
    return QStringLiteral("Link Error");
}

QString LinkEditing::dropDuplicateMessage()
{
    return QStringLiteral("The Link Name or Web Address already exist in this tree.");
}

QString LinkEditing::deleteConfirmMessage()
{
    return QStringLiteral("Are you sure you want to delete this Link?");
}

QString LinkEditing::deleteTitle()
{
    return QStringLiteral("Delete Link");
}

QString LinkEditing::sectionLinkMessage()
{
    return QStringLiteral("This Link is located on your Sub-Topic Page. Please select the 'Headers & Links' option "
                          "from the Page Menu bar to delete.");
}

QString LinkEditing::sectionLinkTitle()
{
    return QStringLiteral("Delete Link Error");
}

QString LinkEditing::selectLinkMessage()
{
    return QStringLiteral("Please select Link.");
}

QString LinkEditing::selectLinkTitle()
{
    return QStringLiteral("Select Link");
}

QString LinkEditing::renameErrorTitle()
{
    return QStringLiteral("Rename Link Error");
}

QString LinkEditing::renameProhibitedMessage()
{
    return QStringLiteral("The New Link Name field contains a character or characters that may not be used. "
                          "Please delete these characters before proceeding.\n\n");
}

QString LinkEditing::treeDuplicateMessage()
{
    return QStringLiteral("The Link Name or Address already exists in this tree.");
}

QString LinkEditing::enterNewAddressMessage()
{
    return QStringLiteral("Please enter a Link Address.");
}

QString LinkEditing::editAddressErrorTitle()
{
    return QStringLiteral("Edit Link Error");
}

QString LinkEditing::addressProhibitedMessage()
{
    return renameProhibitedMessage() + QStringLiteral("Note: Characters that may not be used are as follows:/ < > ' \"");
}

QString LinkEditing::categoryPathOf(const QString &linkTreePath)
{
    const qsizetype cut = linkTreePath.lastIndexOf(QLatin1Char('\\'));
    return cut < 0 ? QString() : CategoryEditing::rowPath(linkTreePath.left(cut));
}

QString LinkEditing::linkNameOf(const QString &linkTreePath)
{
    return linkTreePath.mid(linkTreePath.lastIndexOf(QLatin1Char('\\')) + 1);
}

// ---- The tree test -----------------------------------------------------------------------------

int LinkEditing::FindTVString(TreeNode *start, const QString &name, const QString &clickedNodeText)
{
    if (!start)
        return 0;
    const QString wanted = name.toLower();
    if (start->Text().toLower() == wanted)
        return start->Index();
    TreeNode *child = start->Child();
    if (!child)
        return 0;

    // How deep the first child lies below the clicked node, counted in "\" of its path.
    const QString path = child->FullPath();
    const qsizetype found = path.indexOf(clickedNodeText);
    const qsizetype position = found < 0 ? 0 : found + 1;
    const int depth = int(path.right(path.size() - position).count(QLatin1Char('\\')));

    for (TreeNode *node = child; node; node = node->Next()) {
        if (node->Children() > 0) {
            if (const int index = FindTVString(node, name, clickedNodeText))
                return index;
        } else if (depth == 1 && node->Text().toLower() == wanted) {
            return node->Index();
        }
    }
    return 0;
}

// ---- Rows --------------------------------------------------------------------------------------

LinkEditing::LinkEditing(qint32 subTopicId)
    : m_subTopicId(subTopicId)
{
}

qint32 LinkEditing::categoryId(const QString &categoryPath)
{
    QVariant id;
    if (!EditSql::scalar(QStringLiteral("SELECT LksId FROM Lks WHERE LksUrl = ? AND TopicId = ? "
                                        "ORDER BY (LksUrl = ? COLLATE BINARY) DESC, rowid"),
                         {categoryPath, m_subTopicId, categoryPath}, id, m_error))
        return 0;
    return qint32(id.toLongLong());
}

bool LinkEditing::nameExists(const QString &categoryPath, const QString &name)
{
    const qint32 category = categoryId(categoryPath);
    if (category == 0)
        return false;
    QVariant count;
    if (!EditSql::scalar(QStringLiteral("SELECT count(*) FROM LksSit JOIN Sit ON LksSit.SitId = Sit.SitId "
                                        "WHERE LksSit.LksId = ? AND Sit.SitName = ?"),
                         {category, name}, count, m_error))
        return false;
    return count.toLongLong() > 0;
}

LinkEditing::Status LinkEditing::add(const QString &categoryPath, const QString &name, const QString &address)
{
    m_addedSitId = 0;
    m_error.clear();
    const qint32 category = categoryId(categoryPath);
    if (category == 0)
        return m_error.isEmpty() ? Status::NotFound : Status::Failed;

    qint32 site = 0;
    QVariant lastSite;
    if (!EditSql::nextId(QStringLiteral("Sit"), QStringLiteral("SitId"), site, m_error)
        || !EditSql::scalar(QStringLiteral("SELECT SitId FROM LksSit ORDER BY rowid DESC LIMIT 1"), {}, lastSite,
                            m_error))
        return Status::Failed;
    const qint64 seq = lastSite.isNull() ? 1 : lastSite.toLongLong() + 1;
    if (seq > std::numeric_limits<qint32>::max()) {
        m_error = kOutOfIds;
        return Status::Failed;
    }

    Transaction transaction;
    if (!EditSql::started(transaction, m_error)
        || !EditSql::exec(QStringLiteral("UPDATE Lks SET IsLeaf = 1 WHERE LksId = ?"), {category}, m_error)
        || !EditSql::exec(QStringLiteral("INSERT INTO Sit (SitId, SitName, SitUrl, Summary) VALUES (?, ?, ?, '')"),
                          {site, name, address}, m_error)
        || !EditSql::exec(QStringLiteral("INSERT INTO LksSit (LksId, SitId, Seq) VALUES (?, ?, ?)"),
                          {category, site, qint32(seq)}, m_error)
        || !EditSql::commit(transaction, m_error))
        return Status::Failed;
    m_addedSitId = site;
    return Status::Done;
}

LinkEditing::Status LinkEditing::findLink(const QString &categoryPath, const QString &name, const QString &address,
                                          LinkRow &row, bool anywhere)
{
    row = {};
    if (categoryPath.isEmpty()) {
        if (!anywhere)
            return Status::NotFound;
        // No category known: the first link of that name and address in the edition.
        QSqlQuery q(DbConnection());
        if (!EditSql::run(q, QStringLiteral("SELECT SitId, SitName, SitUrl FROM Sit WHERE SitName = ? ORDER BY rowid"),
                          {name}, m_error))
            return Status::Failed;
        while (q.next())
            if (q.value(2).toString() == address) {
                row.sitId = qint32(q.value(0).toLongLong());
                return Status::Done;
            }
        return Status::NotFound;
    }

    row.lksId = categoryId(categoryPath);
    if (row.lksId == 0)
        return m_error.isEmpty() ? Status::NotFound : Status::Failed;
    QSqlQuery q(DbConnection());
    if (!EditSql::run(q, QStringLiteral("SELECT Sit.SitId, Sit.SitName, Sit.SitUrl FROM LksSit JOIN Sit ON "
                                        "LksSit.SitId = Sit.SitId WHERE LksSit.LksId = ? ORDER BY LksSit.rowid"),
                      {row.lksId}, m_error))
        return Status::Failed;
    qint32 byAddress = 0;
    while (q.next()) {
        if (q.value(2).toString() != address)
            continue;
        const qint32 site = qint32(q.value(0).toLongLong());
        if (q.value(1).toString() == name) {
            row.sitId = site;
            return Status::Done;
        }
        if (byAddress == 0)
            byAddress = site;
    }
    if (byAddress == 0)
        return Status::NotFound;
    row.sitId = byAddress;
    return Status::Done;
}

bool LinkEditing::ownRow(const LinkRow &row, qint32 &sitId)
{
    // A Sit row that other categories hold as well is copied first, so that a change made
    // here stays in this category.
    sitId = row.sitId;
    QVariant others;
    if (!EditSql::scalar(QStringLiteral("SELECT count(*) FROM LksSit WHERE SitId = ? AND LksId <> ?"),
                         {row.sitId, row.lksId}, others, m_error))
        return false;
    if (row.lksId == 0 || others.toLongLong() == 0)
        return true;
    qint32 copy = 0;
    if (!EditSql::nextId(QStringLiteral("Sit"), QStringLiteral("SitId"), copy, m_error)
        || !EditSql::exec(QStringLiteral("INSERT INTO Sit (SitId, SitName, SitUrl, Summary) "
                                         "SELECT ?, SitName, SitUrl, Summary FROM Sit WHERE SitId = ?"),
                          {copy, row.sitId}, m_error)
        || !EditSql::exec(QStringLiteral("UPDATE LksSit SET SitId = ? WHERE SitId = ? AND LksId = ?"),
                          {copy, row.sitId, row.lksId}, m_error))
        return false;
    sitId = copy;
    return true;
}

LinkEditing::Status LinkEditing::remove(const QString &categoryPath, const QString &name, const QString &address)
{
    m_error.clear();
    LinkRow row;
    const Status found = findLink(categoryPath, name, address, row, false);
    if (found != Status::Done)
        return found;

    Transaction transaction;
    if (!EditSql::started(transaction, m_error)
        || !EditSql::exec(QStringLiteral("DELETE FROM LksSit WHERE LksId = ? AND SitId = ?"),
                          {row.lksId, row.sitId}, m_error)
        || !EditSql::exec(
            QStringLiteral("DELETE FROM Sit WHERE SitId = ? AND NOT EXISTS (SELECT 1 FROM LksSit WHERE SitId = ?)"),
            {row.sitId, row.sitId}, m_error)
        || !EditSql::commit(transaction, m_error))
        return Status::Failed;
    return Status::Done;
}

LinkEditing::Status LinkEditing::changeColumn(const QString &categoryPath, const QString &name,
                                              const QString &address, const QString &column, const QString &value,
                                              bool anywhere)
{
    m_error.clear();
    LinkRow row;
    const Status found = findLink(categoryPath, name, address, row, anywhere);
    if (found != Status::Done)
        return found;

    Transaction transaction;
    qint32 site = 0;
    if (!EditSql::started(transaction, m_error) || !ownRow(row, site)
        || !EditSql::exec(QStringLiteral("UPDATE Sit SET %1 = ? WHERE SitId = ?").arg(column), {value, site}, m_error)
        || !EditSql::commit(transaction, m_error))
        return Status::Failed;
    return Status::Done;
}

LinkEditing::Status LinkEditing::rename(const QString &categoryPath, const QString &name, const QString &address,
                                        const QString &newName)
{
    return changeColumn(categoryPath, name, address, QStringLiteral("SitName"), newName, false);
}

LinkEditing::Status LinkEditing::changeAddress(const QString &categoryPath, const QString &name,
                                               const QString &address, const QString &newAddress)
{
    return changeColumn(categoryPath, name, address, QStringLiteral("SitUrl"), newAddress, false);
}

LinkEditing::Status LinkEditing::setNotation(const QString &categoryPath, const QString &name,
                                             const QString &address, const QString &text)
{
    return changeColumn(categoryPath, name, address, QStringLiteral("Summary"), text, true);
}

LinkEditing::Status LinkEditing::notation(const QString &categoryPath, const QString &name, const QString &address,
                                          QString &text)
{
    m_error.clear();
    LinkRow row;
    const Status found = findLink(categoryPath, name, address, row, false);
    if (found != Status::Done)
        return found;
    QVariant value;
    if (!EditSql::scalar(QStringLiteral("SELECT Summary FROM Sit WHERE SitId = ?"), {row.sitId}, value, m_error))
        return Status::Failed;
    text = value.toString();
    return Status::Done;
}
