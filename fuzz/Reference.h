#pragma once

// The plain rules the engine must match, written as directly as they are stated.

#include "engine/Landing.h"
#include "engine/OwnLiterals.h"
#include "engine/ScanLiterals.h"

#include <vector>

// The scanner's steps one by one: pair the marks in order; skip a pair opened
// after a backslash, an empty one, one empty once trimmed of spaces, one holding
// a TAB; list the rest trimmed.
inline QList<LiteralSpan> ReferenceSpans(const QString &text)
{
    QList<LiteralSpan> spans;
    qsizetype cursor = 0;
    for (;;) {
        const qsizetype opening = text.indexOf(u'"', cursor);
        const qsizetype closing = opening < 0 ? -1 : text.indexOf(u'"', opening + 1);
        if (closing < 0)
            return spans;
        cursor = closing + 1;
        if (opening > 0 && text[opening - 1] == u'\\')
            continue;
        qsizetype begin = opening + 1, end = closing;
        while (begin < end && text[begin] == u' ')
            ++begin;
        while (end > begin && text[end - 1] == u' ')
            --end;
        if (begin < end && !text.mid(begin, end - begin).contains(u'\t'))
            spans.append({begin, end - begin});
    }
}

// Each row in turn replaces the first occurrence of its find in the text the
// rows before it left, remembering where every character came from (-1 for
// one a row put in). Rows left as found, or with an empty find, change nothing
// and get no landing.
struct ReferenceRun
{
    QString text;
    QList<Landing> landings;
};

inline ReferenceRun ReferenceApply(const QString &original, const QStringList &found, const QStringList &replacements)
{
    const QList<LiteralSpan> spans = ReferenceSpans(original);
    ReferenceRun run{original, QList<Landing>(found.size())};
    std::vector<qsizetype> origin(size_t(original.size()));
    for (size_t i = 0; i < origin.size(); ++i)
        origin[i] = qsizetype(i);
    for (qsizetype row = 0; row < found.size(); ++row) {
        const QString &find = found[row];
        if (find.isEmpty() || row >= replacements.size() || replacements[row] == find)
            continue;
        const qsizetype at = run.text.indexOf(find);
        if (at < 0)
            continue;
        Landing &landing = run.landings[row];
        for (qsizetype k = 0; k < find.size(); ++k)
            landing.inReplacement |= origin[size_t(at + k)] < 0 || origin[size_t(at + k)] != origin[size_t(at)] + k;
        landing.position = origin[size_t(at)];
        landing.ownLiteral = !landing.inReplacement && row < spans.size() && spans[row].start == landing.position
            && spans[row].length == find.size();
        run.text.replace(at, find.size(), replacements[row]);
        origin.erase(origin.begin() + at, origin.begin() + at + find.size());
        origin.insert(origin.begin() + at, size_t(replacements[row].size()), -1);
    }
    return run;
}

// Each row in turn writes its replacement over its own literal, when they
// differ; the literals after it shift by the change in length.
inline OwnLiterals ReferenceOwnLiterals(QString text, QList<LiteralSpan> spans, const QStringList &replacements)
{
    qsizetype shift = 0;
    for (qsizetype row = 0; row < spans.size(); ++row) {
        LiteralSpan &span = spans[row];
        span.start += shift;
        if (row < replacements.size() && replacements[row] != text.mid(span.start, span.length)) {
            text.replace(span.start, span.length, replacements[row]);
            shift += replacements[row].size() - span.length;
            span.length = replacements[row].size();
        }
    }
    return {text, spans};
}

// The rows as ReferenceApply makes them; after each replace every span's start
// and end move by the boundary rule.
inline OwnLiterals ReferenceTracking(QString text, QList<LiteralSpan> spans, const QStringList &found,
                                     const QStringList &replacements)
{
    for (qsizetype row = 0; row < qMin(found.size(), replacements.size()); ++row) {
        const QString &find = found[row];
        const qsizetype at = find.isEmpty() || replacements[row] == find ? -1 : text.indexOf(find);
        if (at < 0)
            continue;
        const qsizetype removed = find.size(), inserted = replacements[row].size();
        const auto moved = [&](qsizetype p, qsizetype inside) {
            return p <= at ? p : p >= at + removed ? p + inserted - removed : inside;
        };
        text.replace(at, removed, replacements[row]);
        for (LiteralSpan &span : spans) {
            const qsizetype end = moved(span.start + span.length, at + inserted);
            span.start = moved(span.start, at);
            span.length = end - span.start;
        }
    }
    return {text, spans};
}
