#pragma once
// A statement the Sub-Topic import and export run many times, prepared once on the shared
// connection's own SQLite handle: texts pass as UTF-8 without the driver's conversions, a
// null text as NULL, as the connection's queries pass them. A failure reads as the same
// failure of such a query (DatabaseErrorText()).

#include <QByteArray>
#include <QString>

#include <array>

struct sqlite3;
struct sqlite3_stmt;

class SubTopicStatement
{
public:
    explicit SubTopicStatement(const char *sql);
    ~SubTopicStatement();
    SubTopicStatement(const SubTopicStatement &) = delete;
    SubTopicStatement &operator=(const SubTopicStatement &) = delete;

    // False (error set) when the statement could not be made.
    bool ready(QString &error) const;

    // Parameters count from 1, at most 8 of them texts.
    SubTopicStatement &bind(int parameter, qint64 value);
    SubTopicStatement &bind(int parameter, QStringView value);

    // Writes the bound row; false (error set) when the edition refused it.
    bool run(QString &error);
    // The next row of the result; false at its end, or (error set) when it could not be read.
    bool next(QString &error);
    // Columns of the current row, counted from 0; NULL reads as 0 and as a null text.
    qint64 integer(int column) const;
    QString text(int column) const;

private:
    // The step's result: true for a row, false at the end or (error set) on a failure.
    bool step(bool *row, QString &error);
    void bound(int code);
    QString failure(const QString &what, int type, int code) const;

    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_stmt = nullptr;
    QString m_prepareError;
    int m_bindCode = 0;   // the first failed binding of the row
    std::array<QByteArray, 8> m_texts;
};
