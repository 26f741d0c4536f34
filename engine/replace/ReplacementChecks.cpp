#include "engine/replace/ReplacementChecks.h"

#include "engine/scan/CodeStrings.h"

#include <algorithm>
#include <utility>

namespace {

struct Placeholder {
    bool isPrintf = false; // a printf conversion, else a %1 / %L1 marker
    QStringView token;
};

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// Past a '*' or a run of digits at `at`, or `at` itself when there is neither.
qsizetype pastCount(QStringView text, qsizetype at)
{
    if (at < text.size() && text[at] == u'*')
        return at + 1;
    while (at < text.size() && isDigit(text[at]))
        ++at;
    return at;
}

// The length of the printf length modifier at `at`, longest first.
qsizetype modifierLength(QStringView text, qsizetype at)
{
    static const char16_t *const Modifiers[] = {u"hh", u"h", u"ll", u"l", u"L", u"z", u"j", u"t", u"q", u"I64", u"I32"};
    const QStringView rest = text.sliced(at);
    for (const char16_t *modifier : Modifiers) {
        if (rest.startsWith(QStringView(modifier)))
            return QStringView(modifier).size();
    }
    return 0;
}

// %[-+#0]*(\*|[0-9]+)?(\.(\*|[0-9]+))?(modifier)?letter, `at` just after the '%'.
// The token (modifier and letter) is set and the end returned, or -1.
qsizetype matchPrintf(QStringView text, qsizetype at, QStringView *token)
{
    while (at < text.size() && QStringView(u"-+#0").contains(text[at]))
        ++at;
    at = pastCount(text, at);
    if (at + 1 < text.size() && text[at] == u'.' && pastCount(text, at + 1) > at + 1)
        at = pastCount(text, at + 1);
    const qsizetype modifier = at;
    at += modifierLength(text, at);
    if (at >= text.size() || !QStringView(u"diouxXfFeEgGaAcspn").contains(text[at]))
        return -1;
    *token = text.sliced(modifier, at + 1 - modifier);
    return at + 1;
}

// %L?[1-9][0-9]?, `at` just after the '%'; the end, or -1.
qsizetype matchMarker(QStringView text, qsizetype at)
{
    if (at < text.size() && text[at] == u'L')
        ++at;
    if (at >= text.size() || text[at] < u'1' || text[at] > u'9')
        return -1;
    ++at;
    return at < text.size() && isDigit(text[at]) ? at + 1 : at;
}

QList<Placeholder> placeholders(QStringView text)
{
    QList<Placeholder> found;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'%')
            continue;
        if (i + 1 < text.size() && text[i + 1] == u'%') {
            ++i;
            continue;
        }
        QStringView token;
        qsizetype end = matchPrintf(text, i + 1, &token);
        const bool isPrintf = end >= 0;
        if (!isPrintf && (end = matchMarker(text, i + 1)) >= 0)
            token = text.sliced(i + 1, end - i - 1);
        if (end >= 0) {
            found.append({isPrintf, token});
            i = end - 1;
        }
    }
    return found;
}

// The printf conversions in order and the markers sorted: equal pairs, equal placeholders.
std::pair<QList<QStringView>, QList<QStringView>> comparable(QStringView text)
{
    QList<QStringView> printfs, markers;
    for (const Placeholder &placeholder : placeholders(text))
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
    for (const Placeholder &placeholder : placeholders(text))
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
