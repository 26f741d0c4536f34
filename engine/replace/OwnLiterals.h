#pragma once

#include "engine/scan/ScanLiterals.h"

#include <QList>
#include <QString>
#include <QStringList>

// A text with rows written in, and where each row's literal now stands.
struct OwnLiterals {
    QString text;             // the text with the edits written in
    QList<LiteralSpan> spans; // where each row's literal stands in `text`, one per span given
};

// Writes each row's replacement over its own literal: row i replaces the
// characters at spans[i], for every i below both sizes; nothing else changes.
// `spans` are ordered and disjoint, as ScanLiteralSpans gives them; rows
// without a replacement keep their literal.
OwnLiterals ReplaceOwnLiterals(const QString &text, const QList<LiteralSpan> &spans, const QStringList &replacements);

// ApplyPairs' text, and where every span ends up through its edits. For each
// edit, a boundary at or before its place stays; one at or after the end of
// what it removed moves with the text; one strictly inside goes to the edit's
// place if it starts a span, and to the end of what it put in if it ends one.
OwnLiterals ApplyPairsTrackingSpans(const QString &text, const QList<LiteralSpan> &spans, const QStringList &found,
                                    const QStringList &replacements);
