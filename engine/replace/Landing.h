#pragma once

#include "engine/scan/ScanLiterals.h"

#include <QList>
#include <QString>
#include <QStringList>

// Where ApplyPairs will change the text for one row.
struct Landing {
    qsizetype position = -1;    // 0-based index in `text` where the occurrence that ApplyPairs replaces for
                                // this row starts; -1 when the row finds nothing, or finds text that an
                                // earlier changed row put there
    bool inReplacement = false; // that occurrence overlaps text inserted by an earlier changed row, or is
                                // joined across text an earlier row removed
    bool ownLiteral = false;    // position is the start of row i's span and found[i] is exactly that literal
};

// One landing per row of `found`, by the rule of ApplyPairs. A row left as
// found (or without a replacement) replaces nothing: it gets no landing.
// `spans` say where each row's own literal stands in the text.
QList<Landing> PlanLandings(const QString &text, const QList<LiteralSpan> &spans, const QStringList &found,
                            const QStringList &replacements);

// The same, each row's own literal being row i of ScanLiteralSpans(text).
inline QList<Landing> PlanLandings(const QString &text, const QStringList &found, const QStringList &replacements)
{
    return PlanLandings(text, ScanLiteralSpans(text), found, replacements);
}
