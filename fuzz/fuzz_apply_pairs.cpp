// The scanner, ApplyPairs, PlanLandings and the span-keeping replaces must give exactly what the plain rules give.
#include "Reference.h"

#include "engine/replace/ApplyPairs.h"
#include "engine/replace/OwnLiterals.h"
#include "engine/replace/ReplaceSweep.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// A small alphabet makes finds occur often; the scanner's marks, surrogate
// halves and a CJK character keep code-unit comparisons honest.
constexpr char16_t Alphabet[] = {u'a', u'b', u'c', u' ', u'"', u'\\', u'\t', u'\n', u'中', 0xD83D, 0xDE00};
constexpr uint8_t FieldEnd = 0xFF; // ends the text or a row's field
constexpr uint8_t Repeat = 0xFE;   // the next byte says how often the field so far repeats

QString described(const QList<LiteralSpan> &spans)
{
    QString out;
    for (const LiteralSpan &span : spans)
        out += QStringLiteral("%1,%2 ").arg(span.start).arg(span.length);
    return out;
}

QString described(const QList<Landing> &landings)
{
    QString out;
    for (const Landing &landing : landings)
        out += QStringLiteral("%1%2%3 ").arg(landing.position).arg(landing.inReplacement).arg(landing.ownLiteral);
    return out;
}

// ApplyPairs's loop over a sweep whose filters are there from the first row:
// short inputs rarely scan enough to make them otherwise.
QString appliedWithFilters(const QString &text, const QStringList &found, const QStringList &replacements)
{
    ReplaceSweep sweep(text, 0, 0);
    for (qsizetype i = 0; i < qMin(found.size(), replacements.size()); ++i) {
        const qsizetype at = RowChanges(found[i], replacements[i]) ? sweep.locate(found[i]) : -1;
        if (at >= 0)
            sweep.replace(at, found[i].size(), replacements[i]);
    }
    return sweep.takeText();
}

// The given fields, one a row, written over the text's own literals: each
// span then holds its row's replacement, or its old literal past the last row.
void checkOwnLiterals(const QString &text, const QList<LiteralSpan> &spans, const QStringList &rows)
{
    const OwnLiterals own = ReplaceOwnLiterals(text, spans, rows);
    const OwnLiterals expected = ReferenceOwnLiterals(text, spans, rows);
    bool held = own.spans.size() == spans.size();
    for (qsizetype i = 0; held && i < spans.size(); ++i)
        held = own.text.mid(own.spans[i].start, own.spans[i].length)
            == (i < rows.size() ? rows[i] : text.mid(spans[i].start, spans[i].length));
    if (!held || own.text != expected.text || described(own.spans) != described(expected.spans)) {
        std::fprintf(stderr, "ReplaceOwnLiterals differs from the plain rule\ntext: %s\nrows: %s\n",
                     qPrintable(text), qPrintable(rows.join(u'|')));
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Field 0 is the text; then found, replacement, found, replacement, ...
    QStringList fields{QString()};
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == FieldEnd)
            fields.append(QString());
        else if (data[i] == Repeat && i + 1 < size && fields.last().size() < 64)
            fields.last() = fields.last().repeated(1 + data[++i] % 64); // long texts cross the filters' thresholds
        else
            fields.last().append(QChar(Alphabet[data[i] % std::size(Alphabet)]));
    }
    // The rows the window would list for the text, every third changed, then the given rows.
    const QString &text = fields[0];
    QStringList found, replacements;
    const QList<LiteralSpan> spans = ScanLiteralSpans(text);
    for (const LiteralSpan &span : ReferenceSpans(text)) {
        found.append(text.mid(span.start, span.length));
        replacements.append(found.size() % 3 ? found.last() : found.last().left(1));
    }
    if (described(spans) != described(ReferenceSpans(text)) || ScanLiterals(text) != found) {
        std::fprintf(stderr, "ScanLiterals differs from the plain rule on: %s\n", qPrintable(text));
        std::abort();
    }
    for (qsizetype i = 1; i < fields.size(); ++i)
        (i % 2 ? found : replacements).append(fields[i]);

    const ReferenceRun expected = ReferenceApply(text, found, replacements);
    const bool applied = ApplyPairs(text, found, replacements) == expected.text
        && appliedWithFilters(text, found, replacements) == expected.text;
    if (!applied || described(PlanLandings(text, found, replacements)) != described(expected.landings)) {
        std::fprintf(stderr, "%s differs from the plain rule\ntext: %s\nrows: %s\n", applied ? "PlanLandings" : "ApplyPairs",
                     qPrintable(text), qPrintable(found.join(u'|')));
        std::abort();
    }
    checkOwnLiterals(text, spans, fields.mid(1));
    const OwnLiterals tracked = ApplyPairsTrackingSpans(text, spans, found, replacements);
    if (tracked.text != expected.text
        || described(tracked.spans) != described(ReferenceTracking(text, spans, found, replacements).spans)) {
        std::fprintf(stderr, "ApplyPairsTrackingSpans differs from the plain rule\ntext: %s\nrows: %s\n",
                     qPrintable(text), qPrintable(found.join(u'|')));
        std::abort();
    }
    return 0;
}
