#pragma once

#include <QStringList>

// The plain rule the fast ApplyPairs must match: each row in turn replaces the
// first occurrence of its found text in the text the rows before it left. An
// empty found text, or a row left as found, changes nothing; rows beyond the
// shorter list are ignored.
inline QString ApplyPairsOneByOne(QString text, const QStringList &found, const QStringList &replacements)
{
    for (qsizetype i = 0; i < qMin(found.size(), replacements.size()); ++i) {
        if (found[i].isEmpty() || found[i] == replacements[i])
            continue;
        const qsizetype at = text.indexOf(found[i]);
        if (at >= 0)
            text.replace(at, found[i].size(), replacements[i]);
    }
    return text;
}
