#pragma once

#include <QString>
#include <QStringList>

// Applies each (found, replacement) row in order, each to the first occurrence
// of its found text in the text the rows before it left. Rows whose found text
// does not occur change nothing; rows beyond the shorter list are ignored.
QString ApplyPairs(QString text, const QStringList &found, const QStringList &replacements);

// True when the row changes the text where it lands: an empty find has no
// occurrence, and replacing a text by itself changes nothing.
inline bool RowChanges(const QString &find, const QString &replacement)
{
    return !find.isEmpty() && find != replacement;
}
