#pragma once

#include <QString>
#include <QStringList>

// How ApplyPairs trades plain searching for an indexed, blocked text. Tests
// shrink the blocks and index from the first row to exercise the blocked path
// on small texts.
struct ApplyPairsTuning
{
    qsizetype blockChars = 2048;
    // Changed rows cost about one pass over the plain text each; after this many
    // passes the index pays for itself.
    qsizetype plainPasses = 8;
};

QString ApplyPairsTuned(QString text, const QStringList &found, const QStringList &replacements,
                        const ApplyPairsTuning &tuning);
