#include "engine/replace/RowAnalysis.h"

#include "engine/replace/ApplyPairs.h"

RowAnalysis AnalyseRows(const QString &text, const QList<LiteralSpan> &spans, const QStringList &rawDelimiters,
                        const QStringList &found, const QStringList &replacements, bool ownLiterals)
{
    RowAnalysis analysis;
    const qsizetype count = qMin(found.size(), replacements.size());
    if (!ownLiterals)
        analysis.landings = PlanLandings(text, spans, found, replacements);
    analysis.problems.resize(count);
    analysis.marked.assign(size_t(count), false);
    for (qsizetype i = 0; i < count; ++i) {
        if (!RowChanges(found[i], replacements[i]))
            continue;
        const bool raw = i < rawDelimiters.size() && !rawDelimiters[i].isNull();
        analysis.problems[i] = raw ? CheckRawReplacement(found[i], replacements[i], rawDelimiters[i])
                                   : CheckReplacement(found[i], replacements[i]);
        const Landing *landing = ownLiterals || i >= analysis.landings.size() ? nullptr : &analysis.landings[i];
        const bool elsewhere = landing && !landing->ownLiteral && (landing->position >= 0 || landing->inReplacement);
        analysis.marked[size_t(i)] = elsewhere || !analysis.problems[i].isEmpty();
        analysis.markedCount += analysis.marked[size_t(i)];
    }
    return analysis;
}

PressRows RowsPressed(const QString &text, const QList<LiteralSpan> &spans, const QStringList &found,
                      const QStringList &replacements, const QStringList &written, const QList<Landing> &landings,
                      bool ownLiterals)
{
    PressRows pressed;
    const qsizetype count = qMin(found.size(), replacements.size());
    for (qsizetype i = 0; i < count; ++i) {
        if (ownLiterals) {
            if (i < spans.size() && QStringView(text).sliced(spans[i].start, spans[i].length) != replacements[i])
                pressed.unwritten.append(int(i));
            continue;
        }
        const bool lands = i < landings.size() && (landings[i].position >= 0 || landings[i].inReplacement);
        const QString &before = i < written.size() ? written[i] : found[i];
        if (lands && replacements[i] != before)
            pressed.unwritten.append(int(i));
        if (lands && before != found[i])
            pressed.again.append(int(i));
    }
    return pressed;
}
