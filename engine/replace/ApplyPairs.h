#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Applies each (found, replacement) row in order, each to the first occurrence
// of its found text in the text the rows before it left. Rows whose found text
// does not occur change nothing; rows beyond the shorter list are ignored.
QString ApplyPairs(QString text, const QStringList &found, const QStringList &replacements);

// One replace as a row made it: `removed` characters at `at` in the text as the
// rows before it left it gave way to `inserted` characters.
using PairEdited = std::function<void(qsizetype at, qsizetype removed, qsizetype inserted)>;

// ApplyPairs, telling `edited` of every replace in the order they are made.
QString ApplyPairs(QString text, const QStringList &found, const QStringList &replacements, const PairEdited &edited);

// True when the row changes the text where it lands: an empty find has no
// occurrence, and replacing a text by itself changes nothing.
inline bool RowChanges(const QString &find, const QString &replacement)
{
    return !find.isEmpty() && find != replacement;
}
