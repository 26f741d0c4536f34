#pragma once

#include "engine/replace/GramFilter.h"

#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

// A text that rows change one after another, each at the first occurrence of
// its find. Rows of a source file mostly land in the order of the file, so the
// text is kept as a head, everything before the furthest place a row reached,
// as the rows left it, and a tail that is still the original text. A row looks
// in the head, across its end, then in the tail; only a row that lands behind
// the furthest place edits the middle of the head.
//
// Scanning the head again and again for finds that are not there would make
// many rows quadratic, so once the scans have read the head ScansBeforeFilter
// times over, its grams are kept in a filter that rules most such finds out.
// The original text gets one too once finds keep missing in the tail.
class ReplaceSweep
{
public:
    // A filter costs about as much to fill as this many plain scans of its text.
    static constexpr qsizetype ScansBeforeFilter = 16;

    // `original` must outlive the sweep; `insertedChars` is at most how many
    // characters the rows will put in (it sizes the head and the filters).
    ReplaceSweep(QStringView original, qsizetype insertedChars, qsizetype scansBeforeFilter = ScansBeforeFilter);

    // Where the first occurrence of the find (not empty) starts in the current
    // text, or -1.
    qsizetype locate(QStringView find);

    // Replaces `length` characters at `at`, a place that locate() returned.
    void replace(qsizetype at, qsizetype length, QStringView replacement);

    // Where the current characters [at, at + length) come from.
    struct Origin
    {
        qsizetype position = -1;    // in the original text; -1 when the first one was put in by a row
        bool inReplacement = false; // some were put in by a row, or were not next to each other originally
    };
    Origin originOf(qsizetype at, qsizetype length) const;

    // The whole text as the rows left it; the sweep is done with.
    QString takeText();

private:
    // A stretch of the head: from headStart to the next run's start. origin is
    // where it starts in the original text, or -1 for characters a row put in.
    struct Run
    {
        qsizetype headStart;
        qsizetype origin;
    };

    qsizetype locateInHead(QStringView find);
    qsizetype locateAcrossHeadEnd(QStringView find);
    qsizetype locateInTail(QStringView find);
    void moveFromTail(qsizetype count);
    void headChanged(qsizetype from, qsizetype to);
    void cutRunAt(qsizetype at);
    void replaceRuns(qsizetype at, qsizetype length, qsizetype inserted);
    std::vector<Run>::const_iterator runAt(qsizetype at) const;

    QStringView m_original;
    qsizetype m_tail = 0; // the tail is m_original from here on
    QString m_head;
    std::vector<Run> m_runs;
    qsizetype m_expectedChars;
    qsizetype m_scansBeforeFilter;

    std::optional<GramFilter> m_headGrams;
    std::optional<GramFilter> m_originalGrams;
    qsizetype m_headScanned = 0; // characters read in the head before its filter existed
    qsizetype m_tailMissed = 0;  // characters read in the tail by finds that were not there
};
