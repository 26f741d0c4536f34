#include "engine/replace/Landing.h"

#include "engine/replace/ApplyPairs.h"
#include "engine/replace/ReplaceSweep.h"
#include "engine/scan/ScanLiterals.h"

QList<Landing> PlanLandings(const QString &text, const QList<LiteralSpan> &spans, const QStringList &found,
                            const QStringList &replacements)
{
    const auto changes = [&](qsizetype row) {
        return row < replacements.size() && RowChanges(found[row], replacements[row]);
    };
    qsizetype inserted = 0;
    for (qsizetype i = 0; i < found.size(); ++i)
        inserted += changes(i) ? replacements[i].size() : 0;

    ReplaceSweep sweep(text, inserted);
    QList<Landing> landings(found.size());
    for (qsizetype i = 0; i < found.size(); ++i) {
        if (!changes(i))
            continue;
        const QString &find = found[i];
        const qsizetype at = sweep.locate(find);
        if (at < 0)
            continue;
        const ReplaceSweep::Origin origin = sweep.originOf(at, find.size());
        Landing &landing = landings[i];
        landing.position = origin.position;
        landing.inReplacement = origin.inReplacement;
        landing.ownLiteral = !origin.inReplacement && i < spans.size() && spans[i].start == origin.position
            && spans[i].length == find.size();
        sweep.replace(at, find.size(), replacements[i]);
    }
    return landings;
}
