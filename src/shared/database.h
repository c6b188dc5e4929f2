#pragma once
// The one connection to the active edition's database, and the small record-set class
// the windows read and write rows through.

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <functional>

class QSqlError;
class QSqlQuery;

// The one connection of the program (named "edition"); not necessarily open.
QSqlDatabase DbConnection();

// Opens the connection on an edition file of the program folder unless it is open already
// (then answers true at once and stays on the file it is open on). Never creates a missing
// file; answers false, leaving the connection closed, for a missing file or a file that is
// not an edition database.
bool OpenDatabase(const QString &file);
// Opens the current edition (CurrentDatabaseFile) as OpenDatabase does; when it cannot,
// error says which edition could not be opened.
bool OpenCurrentDatabase(QString &error);
// True when the file at path (a full path) is an edition database that OpenDatabase
// would open: an SQLite database holding the edition's tables. Reads the file through a
// connection of its own, leaving the edition connection as it is.
bool IsEditionFile(const QString &path);
// Opens the database file at path (a full path) read-only on a connection of its own,
// which nothing can write through, and answers what read answers of it; false for a
// missing or empty file or one SQLite cannot open.
bool ReadDatabaseFile(const QString &path, const std::function<bool(const QSqlDatabase &)> &read);
// Closes the connection when it is open (the next OpenDatabase opens it again).
void CloseDatabase();
bool DatabaseIsOpen();
// Closes and forgets the connection for good (the main window does this when it closes).
void ReleaseDatabase();

// The folder edition files are opened from, ending in "/": the program folder, or the
// current directory while UseCurrentDir is non-zero.
QString GetAppPath();

// The id rule of every writer: the largest value of keyColumn over the whole table plus 1,
// or 1 for an empty table. Answers 0 when the table cannot be read or no 32-bit id is
// left; error, when given, then receives the reason.
qint32 NextId(const QString &table, const QString &keyColumn, QString *error = nullptr);
// The same rule for ids that must fit 16 bits: answers -1 past 32767 (nothing may be added).
qint32 NextId16(const QString &table, const QString &keyColumn, QString *error = nullptr);

// The text a user reads for a failed statement: a write refused because the edition file
// or the folder it is in is read-only, the disk is full or refused the write, another
// program holds the edition or its file is damaged says so in plain words; any other
// failure keeps the database's own text.
QString DatabaseErrorText(const QSqlError &error);

// Prepares sql on q, binds values in their order and runs it; answers false on failure (q
// then holds the reason).
bool BindAndExec(QSqlQuery &q, const QString &sql, const QVariantList &values);
// Runs one statement with bound values on the edition; answers false on failure.
bool ExecSql(const QString &sql, const QVariantList &values = {});
// The first column of the first row of a query, or an invalid value when there is none.
QVariant QueryValue(const QString &sql, const QVariantList &values = {});

// Runs a group of writes as one transaction: commit() makes them land, and a guard that
// is destroyed without commit() rolls all of them back.
class Transaction
{
public:
    Transaction();
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;
    bool started() const { return m_started; }
    bool commit();

private:
    bool m_started = false;
    bool m_done = false;
};

// A read result held in memory, rows in the order the query returned them. Rows of a
// single table can be changed and written back (select "rowid AS rowid" with them: a
// table with an integer key would otherwise name that column after its key), and new rows
// added with addNew() ... update().
class Recordset
{
public:
    bool open(const QString &sql, const QVariantList &values = {});
    void close();
    bool isOpen() const { return m_open; }
    QString lastError() const { return m_error; }

    int recordCount() const { return int(m_rows.size()); }
    bool eof() const { return m_pos >= m_rows.size() || m_rows.isEmpty(); }
    bool bof() const { return m_pos < 0 || m_rows.isEmpty(); }
    int position() const { return int(m_pos); }
    void moveFirst() { m_pos = 0; }
    void moveLast() { m_pos = m_rows.isEmpty() ? 0 : m_rows.size() - 1; }
    void moveNext() { if (m_pos < m_rows.size()) ++m_pos; }
    void movePrevious() { if (m_pos >= 0) --m_pos; }

    QStringList columns() const { return m_columns; }
    // The value of a column of the current row (null when there is no such row or column).
    QVariant value(const QString &column) const;
    // The same as text; a null value gives "".
    QString text(const QString &column) const;
    int integer(const QString &column) const { return value(column).toInt(); }
    bool flag(const QString &column) const { return value(column).toLongLong() != 0; }

    // Changes a value of the current row (or of the new row after addNew).
    void setValue(const QString &column, const QVariant &v);
    // Starts a new row for table; update() inserts it.
    void addNew(const QString &table);
    // Writes the new row, or the changed values of the current row of table.
    bool update(const QString &table = QString());

private:
    int columnIndex(const QString &column) const;

    bool m_open = false;
    QString m_error;
    QStringList m_columns;
    QVector<QVector<QVariant>> m_rows;
    qsizetype m_pos = 0;
    // Pending new row or changes.
    bool m_adding = false;
    QString m_addTable;
    QStringList m_changedColumns;
    QVariantList m_changedValues;
};
