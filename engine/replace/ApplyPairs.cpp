#include "engine/replace/ApplyPairs.h"

#include "engine/replace/ReplaceSweep.h"

QString ApplyPairs(QString text, const QStringList &found, const QStringList &replacements)
{
    return ApplyPairs(std::move(text), found, replacements, PairEdited());
}

QString ApplyPairs(QString text, const QStringList &found, const QStringList &replacements, const PairEdited &edited)
{
    const qsizetype rows = qMin(found.size(), replacements.size());
    qsizetype inserted = 0;
    for (qsizetype i = 0; i < rows; ++i)
        inserted += RowChanges(found[i], replacements[i]) ? replacements[i].size() : 0;

    ReplaceSweep sweep(text, inserted);
    bool changed = false;
    for (qsizetype i = 0; i < rows; ++i) {
        if (!RowChanges(found[i], replacements[i]))
            continue;
        const qsizetype at = sweep.locate(found[i]);
        if (at >= 0) {
            sweep.replace(at, found[i].size(), replacements[i]);
            changed = true;
            if (edited)
                edited(at, found[i].size(), replacements[i].size());
        }
    }
    return changed ? sweep.takeText() : text;
}
