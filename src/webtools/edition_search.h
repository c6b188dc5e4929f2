#pragma once
// The search of the whole active edition for a keyword: the names and notations of the
// filed links (Sit), then the names of the section links of every Sub-Topic, table by
// table. Works on the open edition; no window is needed.
//
// The keyword stands as typed between "%" signs of a LIKE match (letter case ignored;
// "%" and "_" typed by the user keep their wildcard meaning).

#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

struct SearchHit {
    QString name;
    QString url;
    bool filed = false;   // a link of the Sit table (else a section link)
};

class EditionSearch
{
public:
    // The section tables in the order the search reads them.
    static const QStringList &sectionTables();
    // The LIKE pattern of a keyword.
    static QString pattern(const QString &keyword);

    // Called before each section table is read (with its name) and now and then while
    // rows are read (with an empty name), so that a window can handle pending events.
    using Progress = std::function<void(const QString &table)>;

    // Appends the hits of keyword to hits: filed links first, in the order the table
    // holds them, then the section links whose address is not blank. Answers false when
    // the edition could not be read (lastError says why; hits keeps what was found).
    bool run(const QString &keyword, QVector<SearchHit> &hits, const Progress &progress = {});

    // The notation (Summary) of the first filed link with exactly that name and address;
    // false when there is none.
    static bool linkNotation(const QString &name, const QString &url, QString &notation);

    QString lastError() const { return m_error; }

private:
    QString m_error;
};
