#include "shared/database.h"

#include "platform/dialogs.h"
#include "platform/programfolder.h"
#include "shared/globals.h"
#include "shared/text_folding.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>

#include <limits>

namespace {

const char *const kConnectionName = "edition";

// The tables every edition is made with and the program reads.
const QStringList kEditionTables = {
    QStringLiteral("Topics"),       QStringLiteral("SubTopics"),         QStringLiteral("ColorLinks"),
    QStringLiteral("Lks"),          QStringLiteral("Sit"),               QStringLiteral("LksSit"),
    QStringLiteral("NewsLinks"),    QStringLiteral("SearchLinks"),       QStringLiteral("OrganizationLinks"),
    QStringLiteral("RelatedLinks"), QStringLiteral("FavoriteLinks"),     QStringLiteral("LocalLinks")};

// Whether the open database holds every table an edition is made with (the first read also
// tells whether the file is a database at all).
bool HoldsEditionTables(const QSqlDatabase &db)
{
    QSqlQuery probe(db);
    const QString list = QLatin1Char('\'') + kEditionTables.join(QLatin1String("','")) + QLatin1Char('\'');
    return probe.exec(QStringLiteral("SELECT count(DISTINCT lower(name)) FROM sqlite_master WHERE type = 'table' "
                                     "AND lower(name) IN (%1)").arg(list.toLower()))
        && probe.next() && probe.value(0).toInt() == kEditionTables.size();
}

// SQLite opens a write-protected file for reading only, without a word, and every later
// change fails. The user hears of it once per edition file and run.
void warnWhenReadOnly(const QSqlDatabase &db, const QString &path)
{
    static QSet<QString> warned;
    // Writing the header's user version back unchanged, then rolling back, is the least
    // write there is: it fails only where nothing can be written.
    QSqlQuery probe(db);
    if (!probe.exec(QStringLiteral("PRAGMA user_version")) || !probe.next())
        return;
    const int version = probe.value(0).toInt();
    probe.finish();
    if (!probe.exec(QStringLiteral("BEGIN")))
        return;
    const bool writable = probe.exec(QStringLiteral("PRAGMA user_version = %1").arg(version));
    const QString code = probe.lastError().nativeErrorCode();
    probe.exec(QStringLiteral("ROLLBACK"));
    constexpr int sqliteBusy = 5;
    constexpr int sqliteLocked = 6;
    if (writable || code.toInt() == sqliteBusy || code.toInt() == sqliteLocked || warned.contains(path))
        return;
    warned.insert(path);
    MsgBox(QStringLiteral("The edition %1 is read-only: nothing can be saved in it.")
               .arg(QDir::toNativeSeparators(path)),
           vbExclamation, QStringLiteral("Read-Only Edition"));
}

} // namespace

bool BindAndExec(QSqlQuery &q, const QString &sql, const QVariantList &values)
{
    if (!q.prepare(sql))
        return false;
    for (const QVariant &v : values)
        q.addBindValue(v);
    return q.exec();
}

QSqlDatabase DbConnection()
{
    const QString name = QLatin1String(kConnectionName);
    if (QSqlDatabase::contains(name))
        return QSqlDatabase::database(name, false);
    return QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
}

bool OpenDatabase(const QString &file)
{
    QSqlDatabase db = DbConnection();
    if (db.isOpen())
        return true;

    const QString path = FindFileNoCase(GetAppPath(), file);
    const QFileInfo info(path);
    if (file.isEmpty() || !info.isFile())
        return false;

    // Open read-write through a URI so that SQLite never creates a missing file.
    QUrl url = QUrl::fromLocalFile(info.absoluteFilePath());
    url.setQuery(QStringLiteral("mode=rw"));
    db.setDatabaseName(url.toString(QUrl::FullyEncoded));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open())
        return false;
    InstallTextFolding(db);

    // SQLite opens any file, and takes an empty file for an empty database: the first read
    // tells whether it is a database, and an edition is one that holds every table an
    // edition is made with.
    if (!HoldsEditionTables(db)) {
        db.close();
        return false;
    }
    QSqlQuery probe(db);
    // A large edition is read whole on every rebuild of the tree: keep its pages in memory
    // (up to 32 MB) instead of the 2 MB SQLite keeps by default.
    probe.exec(QStringLiteral("PRAGMA cache_size = -32768"));
    probe = QSqlQuery();
    // Indexes built where case was folded for A to Z only are put in the program's order
    // (once per file; a read-only file keeps them).
    OrderIndexesByFolding(db);
    warnWhenReadOnly(db, info.absoluteFilePath());
    return true;
}

bool OpenCurrentDatabase(QString &error)
{
    if (OpenDatabase(CurrentDatabaseFile))
        return true;
    error = QStringLiteral("The edition %1 could not be opened.").arg(CurrentDatabaseFile);
    return false;
}

void CloseDatabase()
{
    QSqlDatabase db = DbConnection();
    if (db.isOpen())
        db.close();
}

bool DatabaseIsOpen()
{
    return QSqlDatabase::contains(QLatin1String(kConnectionName)) && DbConnection().isOpen();
}

void ReleaseDatabase()
{
    const QString name = QLatin1String(kConnectionName);
    if (!QSqlDatabase::contains(name))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

QString GetAppPath()
{
    QString folder = UseCurrentDir == 0 ? ProgramFolder() : QDir::currentPath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

QString DatabaseErrorText(const QSqlError &error)
{
    // SQLite's primary result codes (the low byte of an extended code): 8 is a write to a
    // read-only database (also a file that is not writable, or a folder where no journal
    // can be made); 14 is a file SQLite cannot open, which during a write is the journal
    // beside an edition in a read-only folder.
    // 13 is a full disk, 10 a write the system refused (a full disk or a file that may not
    // grow), 5 and 6 an edition another program holds, 11 and 26 a damaged edition file.
    bool isNumber = false;
    const int code = error.nativeErrorCode().toInt(&isNumber) & 0xff;
    QString why;
    switch (isNumber ? code : 0) {
    case 8:
    case 14:
        why = QStringLiteral("it is read-only: the edition file, or the folder it is in, may not be written to");
        break;
    case 13: why = QStringLiteral("the disk is full"); break;
    case 10: why = QStringLiteral("its file could not be written to the disk: the disk may be full"); break;
    case 5:
    case 6: why = QStringLiteral("another program is using it"); break;
    case 11:
    case 26: why = QStringLiteral("its file is damaged"); break;
    default: return error.text();
    }
    return QStringLiteral("The edition cannot be changed because ") + why + QStringLiteral(". Nothing has been changed.");
}

qint32 NextId(const QString &table, const QString &keyColumn, QString *error)
{
    QSqlQuery q(DbConnection());
    if (!q.exec(QStringLiteral("SELECT max(%1) FROM %2").arg(keyColumn, table)) || !q.next()) {
        if (error)
            *error = DatabaseErrorText(q.lastError());
        return 0;
    }
    const qint64 largest = q.value(0).toLongLong();   // null (an empty table) reads as 0
    if (largest >= std::numeric_limits<qint32>::max()) {
        if (error)
            *error = QStringLiteral("The edition has no ids left in the table %1.").arg(table);
        return 0;
    }
    return largest < 1 ? 1 : qint32(largest + 1);
}

qint32 NextId16(const QString &table, const QString &keyColumn, QString *error)
{
    const qint32 id = NextId(table, keyColumn, error);
    return id > 32767 ? -1 : id;
}

bool ExecSql(const QString &sql, const QVariantList &values)
{
    QSqlQuery q(DbConnection());
    return BindAndExec(q, sql, values);
}

QVariant QueryValue(const QString &sql, const QVariantList &values)
{
    QSqlQuery q(DbConnection());
    if (!BindAndExec(q, sql, values) || !q.next())
        return QVariant();
    return q.value(0);
}

Transaction::Transaction()
{
    m_started = DbConnection().transaction();
}

Transaction::~Transaction()
{
    if (m_started && !m_done)
        DbConnection().rollback();
}

bool Transaction::commit()
{
    if (!m_started || m_done)
        return false;
    m_done = true;
    if (DbConnection().commit())
        return true;
    DbConnection().rollback();
    return false;
}

bool Recordset::open(const QString &sql, const QVariantList &values)
{
    close();
    QSqlQuery q(DbConnection());
    q.setForwardOnly(true);
    if (!BindAndExec(q, sql, values)) {
        m_error = DatabaseErrorText(q.lastError());
        return false;
    }
    const QSqlRecord rec = q.record();
    for (int i = 0; i < rec.count(); ++i)
        m_columns.append(rec.fieldName(i));
    while (q.next()) {
        QVector<QVariant> row(rec.count());
        for (int i = 0; i < rec.count(); ++i)
            row[i] = q.value(i);
        m_rows.append(row);
    }
    m_open = true;
    m_pos = 0;
    return true;
}

void Recordset::close()
{
    m_open = false;
    m_error.clear();
    m_columns.clear();
    m_rows.clear();
    m_pos = 0;
    m_adding = false;
    m_addTable.clear();
    m_changedColumns.clear();
    m_changedValues.clear();
}

int Recordset::columnIndex(const QString &column) const
{
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns.at(i).compare(column, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVariant Recordset::value(const QString &column) const
{
    if (m_adding) {
        const int i = int(m_changedColumns.indexOf(column));
        if (i >= 0)
            return m_changedValues.at(i);
    }
    const int c = columnIndex(column);
    if (c < 0 || m_pos < 0 || m_pos >= m_rows.size())
        return QVariant();
    return m_rows.at(m_pos).at(c);
}

QString Recordset::text(const QString &column) const
{
    const QVariant v = value(column);
    return v.isNull() ? QString(QLatin1String("")) : v.toString();
}

void Recordset::setValue(const QString &column, const QVariant &v)
{
    const int i = int(m_changedColumns.indexOf(column));
    if (i >= 0) {
        m_changedValues[i] = v;
    } else {
        m_changedColumns.append(column);
        m_changedValues.append(v);
    }
    if (!m_adding) {
        const int c = columnIndex(column);
        if (c >= 0 && m_pos >= 0 && m_pos < m_rows.size())
            m_rows[m_pos][c] = v;
    }
}

void Recordset::addNew(const QString &table)
{
    m_adding = true;
    m_addTable = table;
    m_changedColumns.clear();
    m_changedValues.clear();
}

bool Recordset::update(const QString &table)
{
    bool ok = false;
    if (m_adding) {
        QStringList marks;
        for (int i = 0; i < m_changedColumns.size(); ++i)
            marks.append(QStringLiteral("?"));
        ok = ExecSql(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                         .arg(m_addTable, m_changedColumns.join(QLatin1String(", ")), marks.join(QLatin1String(", "))),
                     m_changedValues);
        if (ok) {
            // Keep the new row visible to the reader, as the last row.
            QVector<QVariant> row(m_columns.size());
            for (int i = 0; i < m_changedColumns.size(); ++i) {
                const int c = columnIndex(m_changedColumns.at(i));
                if (c >= 0)
                    row[c] = m_changedValues.at(i);
            }
            if (!m_columns.isEmpty()) {
                m_rows.append(row);
                m_pos = m_rows.size() - 1;
            }
        }
        m_adding = false;
    } else {
        const int rowidColumn = columnIndex(QStringLiteral("rowid"));
        if (table.isEmpty() || rowidColumn < 0 || m_pos < 0 || m_pos >= m_rows.size()) {
            m_error = QStringLiteral("no row to update");
            return false;
        }
        if (m_changedColumns.isEmpty())
            return true;
        QStringList sets;
        for (const QString &c : std::as_const(m_changedColumns))
            sets.append(c + QLatin1String(" = ?"));
        QVariantList values = m_changedValues;
        values.append(m_rows.at(m_pos).at(rowidColumn));
        ok = ExecSql(QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?").arg(table, sets.join(QLatin1String(", "))),
                     values);
    }
    m_changedColumns.clear();
    m_changedValues.clear();
    return ok;
}

bool IsEditionFile(const QString &path)
{
    return ReadDatabaseFile(path, HoldsEditionTables);
}

bool ReadDatabaseFile(const QString &path, const std::function<bool(const QSqlDatabase &)> &read)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.size() == 0)
        return false;
    const QString name = QStringLiteral("edition-probe");
    bool answer = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        QUrl url = QUrl::fromLocalFile(info.absoluteFilePath());
        url.setQuery(QStringLiteral("mode=ro"));
        db.setDatabaseName(url.toString(QUrl::FullyEncoded));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
        if (db.open()) {
            InstallTextFolding(db);
            answer = read(db);
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return answer;
}
