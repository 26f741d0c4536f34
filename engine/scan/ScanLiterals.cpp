#include "engine/scan/ScanLiterals.h"

#include "engine/scan/FindText.h"

namespace {

constexpr char16_t Quote = u'"';
constexpr char16_t Backslash = u'\\';
constexpr char16_t Space = u' ';
constexpr char16_t Tab = u'\t';

} // namespace

QList<LiteralSpan> ScanLiteralSpans(QStringView text)
{
    QList<LiteralSpan> spans;
    qsizetype cursor = 0; // index just after the last mark consumed
    for (;;) {
        const qsizetype opening = FindChar(text, Quote, cursor);
        if (opening < 0)
            break;
        const qsizetype closing = FindChar(text, Quote, opening + 1);
        if (closing < 0)
            break; // a last unpaired mark is ignored
        cursor = closing + 1;

        if (opening > 0 && text[opening - 1] == Backslash)
            continue; // the pair opens on an escaped mark
        qsizetype begin = opening + 1;
        qsizetype end = closing;
        while (begin < end && text[begin] == Space)
            ++begin;
        while (end > begin && text[end - 1] == Space)
            --end;
        if (begin == end || FindChar(text.sliced(begin, end - begin), Tab) >= 0)
            continue;
        spans.append({begin, end - begin});
    }
    return spans;
}

QStringList ScanLiterals(QStringView text)
{
    return LiteralsAt(text, ScanLiteralSpans(text));
}

QStringList LiteralsAt(QStringView text, const QList<LiteralSpan> &spans)
{
    QStringList rows;
    rows.reserve(spans.size());
    for (const LiteralSpan &span : spans)
        rows.append(text.sliced(span.start, span.length).toString());
    return rows;
}
