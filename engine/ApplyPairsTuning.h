#pragma once

#include <QString>
#include <QStringList>

#include <array>

// How ApplyPairs trades plain searching for a blocked text and its gram
// indexes. Tests shrink the blocks and move the thresholds to exercise every
// path on small texts.
struct ApplyPairsTuning
{
    qsizetype blockChars = 2048;
    // With at most this many changed rows the plain loop is used: each row
    // costs about one pass over the text, less than splitting it into blocks.
    qsizetype plainPasses = 8;
    // Finds whose grams have 1, 2 or 4 characters (finds of 1, 2-3 and 4 or
    // more) are looked up through an index of those grams when at least this
    // many changed rows have such finds; fewer rows scan the blocks in order,
    // which costs less than filling the index.
    std::array<qsizetype, 3> rowsBeforeIndex = {64, 100, 200};
};

QString ApplyPairsTuned(QString text, const QStringList &found, const QStringList &replacements,
                        const ApplyPairsTuning &tuning);
