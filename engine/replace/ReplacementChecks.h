#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// What a replacement would break in the literal it is written into, or in the
// program that formats it.
enum class ReplacementProblem {
    EndsLiteral,         // a " after an even run of backslashes (none included): the literal would end there
    EscapesClosingQuote, // it ends with an odd run of backslashes: the closing " would be escaped
    LineBreak,           // it holds a CR or LF: a literal cannot run over a line
    PlaceholdersDiffer,  // its %1..%99 / %L1.. markers (as a multiset) or its printf conversions
                         // (length modifier + conversion letter, in order) differ from the found text's
    AcceleratorsDiffer,  // its number of & access keys differs from the found text's
};

// Each problem at most once, in the order declared. The first three count only
// when the found text does not have them too: a literal the scanner paired
// across an escaped mark may already hold a line break.
QList<ReplacementProblem> CheckReplacement(const QString &found, const QString &replacement);

// The same checks for a replacement written into a raw string with this delimiter: only a ")d\""
// that the found text does not already hold ends it (EndsLiteral); a line break or a trailing
// backslash is fine there; placeholders and access keys as CheckReplacement.
QList<ReplacementProblem> CheckRawReplacement(const QString &found, const QString &replacement,
                                              const QString &delimiter);

// Only the placeholders and access keys: a text and its translation, as they read.
QList<ReplacementProblem> CheckFormat(const QString &text, const QString &translation);

// The placeholders in text order, each as written after its '%': printf
// conversions by their length modifier and letter ("d", "ld"), markers whole
// ("1", "L2"). "%%" is a percent sign.
QStringList PlaceholderTokens(const QString &text);

// The & access keys: "&&" is an ampersand, and a '&' at the end or before a
// space marks nothing.
int AccessKeyCount(const QString &text);
