#include "webtools/stored_accounts.h"

#include "shared/database.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

constexpr int kLongAddress = 250;

} // namespace

QString StoredAccounts::inputKind(const QString &typeAttribute)
{
    static const QStringList kinds = {
        QStringLiteral("TEXT"),   QStringLiteral("PASSWORD"), QStringLiteral("CHECKBOX"), QStringLiteral("RADIO"),
        QStringLiteral("SUBMIT"), QStringLiteral("RESET"),    QStringLiteral("FILE"),     QStringLiteral("HIDDEN"),
        QStringLiteral("IMAGE"),  QStringLiteral("BUTTON"),
    };
    const QString type = typeAttribute.trimmed().toUpper();
    return kinds.contains(type) ? type : QStringLiteral("TEXT");
}

QVector<AccountRow> StoredAccounts::rowsOf(const QString &title, const QString &address,
                                           const QVector<PageElement> &elements)
{
    QVector<AccountRow> rows;
    QString url = address;
    int frameCount = 0;
    int formCount = 0;
    auto take = [&](const PageElement &input) {
        const QString kind = inputKind(input.type);
        if (kind != QLatin1String("TEXT") && kind != QLatin1String("PASSWORD") && kind != QLatin1String("INPUT"))
            return;
        if (input.value.isEmpty() || !input.shown)
            return;
        rows.append({title, input.name, input.value, formCount, url});
    };
    for (const PageElement &element : elements) {
        const bool frame = element.tag == QLatin1String("FRAME");
        if (frame)
            ++frameCount;
        if (element.tag.contains(QLatin1String("FORM")))
            ++formCount;
        if (frameCount == 0 && element.tag == QLatin1String("INPUT"))
            take(element);
        if (frame) {
            for (const PageElement &input : element.frameInputs) {
                if (url.size() > kLongAddress) {
                    const qsizetype query = url.indexOf(QLatin1Char('?'));
                    if (query >= 0)
                        url = url.left(query);
                }
                take(input);
            }
        }
    }
    return rows;
}

bool StoredAccounts::titleExists(const QString &title)
{
    m_error.clear();
    QSqlQuery q(DbConnection());
    if (!BindAndExec(q, QStringLiteral("SELECT count(*) FROM PersonalInformation WHERE Title = ?"), {title})
        || !q.next()) {
        m_error = DatabaseErrorText(q.lastError());
        return false;
    }
    return q.value(0).toInt() > 0;
}

bool StoredAccounts::store(const QVector<AccountRow> &rows)
{
    m_error.clear();
    Transaction transaction;
    for (const AccountRow &row : rows) {
        QSqlQuery q(DbConnection());
        if (!BindAndExec(q,
                         QStringLiteral("INSERT INTO PersonalInformation (Title, FieldName, FieldValue, FormNumber, URL) "
                                        "VALUES (?, ?, ?, ?, ?)"),
                         {row.title, row.fieldName, row.fieldValue, row.formNumber, row.url})) {
            m_error = DatabaseErrorText(q.lastError());
            return false;
        }
    }
    if (!transaction.commit()) {
        m_error = DatabaseErrorText(DbConnection().lastError());
        return false;
    }
    return true;
}

bool StoredAccounts::list(QVector<AccountEntry> &entries)
{
    m_error.clear();
    QSqlQuery q(DbConnection());
    if (!BindAndExec(q,
                     QStringLiteral("SELECT Title, URL FROM PersonalInformation GROUP BY Title, URL ORDER BY min(rowid)"),
                     {})) {
        m_error = DatabaseErrorText(q.lastError());
        return false;
    }
    while (q.next())
        entries.append({q.value(0).toString(), q.value(1).toString()});
    return true;
}

bool StoredAccounts::remove(const QString &title)
{
    m_error.clear();
    QSqlQuery q(DbConnection());
    if (!BindAndExec(q, QStringLiteral("DELETE FROM PersonalInformation WHERE Title = ?"), {title})) {
        m_error = DatabaseErrorText(q.lastError());
        return false;
    }
    return true;
}

bool StoredAccounts::rowsFor(const QString &title, const QString &address, QVector<AccountRow> &rows)
{
    m_error.clear();
    QSqlQuery q(DbConnection());
    if (!BindAndExec(q,
                     QStringLiteral("SELECT Title, FieldName, FieldValue, FormNumber, URL FROM PersonalInformation "
                                    "WHERE Title = ? AND URL = ? ORDER BY rowid"),
                     {title, address})) {
        m_error = DatabaseErrorText(q.lastError());
        return false;
    }
    while (q.next())
        rows.append({q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3).toInt(),
                     q.value(4).toString()});
    return true;
}
