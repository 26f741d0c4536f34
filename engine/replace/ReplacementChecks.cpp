#include "engine/replace/ReplacementChecks.h"

#include "engine/scan/CodeStrings.h"
#include "engine/scan/Placeholders.h"

#include <algorithm>
#include <utility>

namespace {

// The printf conversions in order and the markers sorted: equal pairs, equal placeholders.
std::pair<QList<QStringView>, QList<QStringView>> comparable(QStringView text)
{
    QList<QStringView> printfs, markers;
    for (const Placeholder &placeholder : FindPlaceholders(text))
        (placeholder.isPrintf ? printfs : markers).append(placeholder.token);
    std::sort(markers.begin(), markers.end());
    return {printfs, markers};
}

bool endsLiteral(QStringView text)
{
    qsizetype backslashes = 0;
    for (const QChar c : text) {
        if (c == u'"' && backslashes % 2 == 0)
            return true;
        backslashes = c == u'\\' ? backslashes + 1 : 0;
    }
    return false;
}

bool escapesClosingQuote(QStringView text)
{
    qsizetype backslashes = 0;
    while (backslashes < text.size() && text[text.size() - 1 - backslashes] == u'\\')
        ++backslashes;
    return backslashes % 2 == 1;
}

bool hasLineBreak(QStringView text) { return text.contains(u'\n') || text.contains(u'\r'); }

void appendFormatProblems(const QString &found, const QString &replacement, QList<ReplacementProblem> &problems)
{
    if (comparable(found) != comparable(replacement))
        problems.append(ReplacementProblem::PlaceholdersDiffer);
    if (AccessKeyCount(found) != AccessKeyCount(replacement))
        problems.append(ReplacementProblem::AcceleratorsDiffer);
}

} // namespace

QList<ReplacementProblem> CheckReplacement(const QString &found, const QString &replacement)
{
    QList<ReplacementProblem> problems;
    const auto newly = [&](bool (*has)(QStringView), ReplacementProblem problem) {
        if (has(replacement) && !has(found))
            problems.append(problem);
    };
    newly(endsLiteral, ReplacementProblem::EndsLiteral);
    newly(escapesClosingQuote, ReplacementProblem::EscapesClosingQuote);
    newly(hasLineBreak, ReplacementProblem::LineBreak);
    appendFormatProblems(found, replacement, problems);
    return problems;
}

QList<ReplacementProblem> CheckRawReplacement(const QString &found, const QString &replacement,
                                              const QString &delimiter)
{
    QList<ReplacementProblem> problems;
    const QString closing = RawStringClosing(delimiter);
    if (replacement.contains(closing) && !found.contains(closing))
        problems.append(ReplacementProblem::EndsLiteral);
    appendFormatProblems(found, replacement, problems);
    return problems;
}

QList<ReplacementProblem> CheckFormat(const QString &text, const QString &translation)
{
    QList<ReplacementProblem> problems;
    appendFormatProblems(text, translation, problems);
    return problems;
}

QStringList PlaceholderTokens(const QString &text)
{
    QStringList tokens;
    for (const Placeholder &placeholder : FindPlaceholders(text))
        tokens.append(placeholder.token.toString());
    return tokens;
}

int AccessKeyCount(const QString &text)
{
    int keys = 0;
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'&')
            continue;
        if (text[i + 1] == u'&')
            ++i; // an ampersand
        else if (text[i + 1] != u' ')
            ++keys;
    }
    return keys;
}
