// The scanner, ApplyPairs and PlanLandings must give exactly what the plain rules give.
#include "Reference.h"

#include "engine/ApplyPairs.h"
#include "engine/ReplaceSweep.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// A small alphabet makes finds occur often; the scanner's marks, surrogate
// halves and a CJK character keep code-unit comparisons honest.
constexpr char16_t Alphabet[] = {u'a', u'b', u'c', u' ', u'"', u'\\', u'\t', u'\n', u'中', 0xD83D, 0xDE00};
constexpr uint8_t FieldEnd = 0xFF; // ends the text or a row's field
constexpr uint8_t Repeat = 0xFE;   // the next byte says how often the field so far repeats

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
    QString spans, expectedSpans;
    for (const LiteralSpan &span : ReferenceSpans(text)) {
        expectedSpans += QStringLiteral("%1,%2 ").arg(span.start).arg(span.length);
        found.append(text.mid(span.start, span.length));
        replacements.append(found.size() % 3 ? found.last() : found.last().left(1));
    }
    for (const LiteralSpan &span : ScanLiteralSpans(text))
        spans += QStringLiteral("%1,%2 ").arg(span.start).arg(span.length);
    if (spans != expectedSpans || ScanLiterals(text) != found) {
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
    return 0;
}
