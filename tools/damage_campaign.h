#pragma once
// Damages an edition in every way the repair has met, again and again, on copies of it in
// every page size from 512 to 65536 bytes and in UTF-16, repairs each damaged copy and
// checks what the repair says against the rows the edition held.

#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

// What the repairs of one kind of damage came to.
struct KindFigures {
    int runs = 0;                 // damaged copies put through the repair
    int notRepaired = 0;          // of them, those of which nothing was read or written
    int falseWhole = 0;           // "every row" told over a row lost, changed or not the edition's
    int unseenChanges = 0;        // "every row" over bytes changed inside values no index covers, which nothing tells
    int uncounted = 0;            // tables that lost or changed rows where no line tells of them
    int countsAbove = 0;          // tables told as having lost more rows than they did
    qint64 recovered = 0;         // rows that came back as they were
    qint64 held = 0;              // rows the damaged editions held
    qint64 added = 0;             // rows that were none of the editions', put in their tables untold (deleted rows, say)

    double share() const { return held > 0 ? 100.0 * double(recovered) / double(held) : 100.0; }
};

class DamageCampaign
{
public:
    // edition: the edition whose copies are damaged, once more rows are added to them;
    // empty: the empty edition a repair starts from; keep: a folder for the damaged copies
    // that break a rule, with the editions they were made from, or none.
    DamageCampaign(const QString &edition, const QString &empty, const QString &keep = {});
    ~DamageCampaign();

    // The kinds of damage, by name.
    static QStringList kinds();
    // Damages copies runs times in the way named, from a random sequence of the seed;
    // tell is handed a line for each copy that breaks a rule.
    KindFigures run(const QString &kind, int runs, quint32 seed, const std::function<void(const QString &)> &tell = {});
    // Why the editions to damage could not be made, or empty.
    QString failure() const { return m_failure; }

    // Repairs the damaged copy of the edition pristine (one kept by a campaign) and tells
    // each table's rows, lost and changed, against what the repair says.
    static void replay(const QString &pristine, const QString &empty, const QString &damaged,
                       const std::function<void(const QString &)> &tell);

private:
    struct Edition;
    const Edition &edition(int shape, const QString &variant);

    QString m_source;
    QString m_empty;
    QString m_keep;
    QString m_failure;
    QTemporaryDir m_work;
    QMap<QString, Edition *> m_editions;   // by shape and variant
};
