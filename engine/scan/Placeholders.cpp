#include "engine/scan/Placeholders.h"

namespace {

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

} // namespace

QList<Placeholder> FindPlaceholders(QStringView text)
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
            found.append({isPrintf, token, i, end});
            i = end - 1;
        }
    }
    return found;
}

