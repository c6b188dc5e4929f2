// Damages an edition in every way the repair has met, on copies of it in every page size
// and in UTF-16, and checks what the repair says of each copy against the rows the edition
// held: no "every row" over a row lost, changed or not the edition's (but for bytes flipped
// or written at random inside a value no index covers, which nothing in the file tells), no
// table that lost or changed rows without a line that tells of it, no row that was none of
// the edition's put in a table but as found outside the tables, and no count of rows lost
// above the rows really lost.
// Prints, for each kind, the copies repaired, the rules broken and the rows that came back.
//
//   repair_campaign <edition> <empty edition> <runs of each kind> [seed] [kind,kind,...] [folder for the copies that break a rule]
//   repair_campaign --replay <edition a copy was made from> <empty edition> <damaged copy>

#include "damage_campaign.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const QStringList args = app.arguments().mid(1);
    const auto print = [](const QString &line) { std::printf("%s\n", qPrintable(line)); };
    if (args.size() == 4 && args.first() == QLatin1String("--replay")) {
        DamageCampaign::replay(args.at(1), args.at(2), args.at(3), print);
        return 0;
    }
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: repair_campaign <edition> <empty edition> <runs of each kind> [seed] [kind,...] [folder]\n"
                             "       repair_campaign --replay <edition> <empty edition> <damaged copy>\nkinds: %s\n",
                     qPrintable(DamageCampaign::kinds().join(QLatin1Char(','))));
        return 2;
    }
    const int runs = args.at(2).toInt();
    const quint32 seed = args.value(3, QStringLiteral("1")).toUInt();
    const QStringList kinds = args.size() > 4 && !args.at(4).isEmpty() ? args.at(4).split(QLatin1Char(',')) : DamageCampaign::kinds();
    DamageCampaign campaign(args.at(0), args.at(1), args.value(5));
    if (!campaign.failure().isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(campaign.failure()));
        return 2;
    }
    QList<QPair<QString, KindFigures>> table;
    bool broken = false;
    for (const QString &kind : kinds) {
        const KindFigures f = campaign.run(kind, runs, seed, print);
        table.append({kind, f});
        broken = broken || f.falseWhole > 0 || f.uncounted > 0 || f.countsAbove > 0;
    }
    std::printf("%-36s %5s %8s %15s %9s %10s %8s %8s  %s\n", "kind", "runs", "not read", "false every row", "uncounted",
                "above loss", "unseen", "added", "rows recovered");
    for (const auto &[kind, f] : std::as_const(table))
        std::printf("%-36s %5d %8d %15d %9d %10d %8d %8lld  %lld of %lld (%.1f %%)\n", qPrintable(kind), f.runs, f.notRepaired,
                    f.falseWhole, f.uncounted, f.countsAbove, f.unseenChanges, qlonglong(f.added), qlonglong(f.recovered),
                    qlonglong(f.held), f.share());
    return broken ? 1 : 0;
}
