#pragma once

#include "engine/replace/Landing.h"
#include "engine/replace/ReplacementChecks.h"
#include "engine/scan/ScanLiterals.h"

#include <QList>
#include <QStringList>

#include <vector>

// What each row's stored edit will do, and what is wrong with it.
struct RowAnalysis
{
    QList<Landing> landings; // by the first-occurrence rule; empty with own literals
    QList<QList<ReplacementProblem>> problems;
    std::vector<bool> marked; // lands anywhere but on its own literal, or has a problem
    int markedCount = 0;
};

// The rows of a text (`rawDelimiters[i]` not null: row i is in a raw string),
// with their replacements, written by the first-occurrence rule or, with
// `ownLiterals`, each over its own literal. The window runs it off its thread;
// the command line runs it as it is.
RowAnalysis AnalyseRows(const QString &text, const QList<LiteralSpan> &spans, const QStringList &rawDelimiters,
                        const QStringList &found, const QStringList &replacements, bool ownLiterals);

// Which rows the next press changes. `written` holds each row's replacement as
// the last press left it (its found text when no press wrote it).
struct PressRows
{
    QList<int> unwritten; // their stored edit is not in the file yet, and the press writes it
    QList<int> again;     // a press wrote an edit of theirs before, and their found text, still in the file
                          // elsewhere, would change again (the first-occurrence rule only)
};

// `landings` by PlanLandings for the first-occurrence rule; with `ownLiterals`
// a row is unwritten while its literal in `text` differs from its replacement.
PressRows RowsPressed(const QString &text, const QList<LiteralSpan> &spans, const QStringList &found,
                      const QStringList &replacements, const QStringList &written, const QList<Landing> &landings,
                      bool ownLiterals);
