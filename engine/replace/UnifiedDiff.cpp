#include "engine/replace/UnifiedDiff.h"

#include "engine/scan/SourceLines.h"

#include <algorithm>
#include <vector>

namespace {

constexpr int Context = 3;

// A line with its sign, marked as patch wants it when the file ends without a break.
QString signedLine(const SourceLines &lines, int index, QChar sign)
{
    QString shown = sign + lines.line(index + 1).toString();
    if (!shown.endsWith(u'\n'))
        shown += QStringLiteral("\n\\ No newline at end of file\n");
    return shown;
}

struct Change {
    int oldFirst, oldLast, newFirst, newLast; // lines, inclusive
};

// A file name as git writes it in a header: as it is, or, when it holds a
// control character, a quote or a backslash, in quotes with C escapes (a
// line break would otherwise end the header).
QString quotedName(const QString &path)
{
    const bool plain = std::none_of(path.begin(), path.end(), [](QChar c) { return c < u' ' || c == u'\x7f' || c == u'"' || c == u'\\'; });
    if (plain)
        return path;
    QString quoted = QStringLiteral("\"");
    for (const QChar c : path) {
        switch (c.unicode()) {
        case u'\n': quoted += QLatin1String("\\n"); break;
        case u'\t': quoted += QLatin1String("\\t"); break;
        case u'"': quoted += QLatin1String("\\\""); break;
        case u'\\': quoted += QLatin1String("\\\\"); break;
        default:
            if (c < u' ' || c == u'\x7f')
                quoted += QStringLiteral("\\%1").arg(c.unicode(), 3, 8, QLatin1Char('0'));
            else
                quoted += c;
        }
    }
    return quoted + QLatin1Char('"');
}

} // namespace

QString UnifiedDiff(const QString &path, const QString &oldText, const QList<LiteralSpan> &before,
                    const QString &newText, const QList<LiteralSpan> &after)
{
    const SourceLines oldLines(oldText), newLines(newText);
    const auto lineOf = [&](const SourceLines &lines, qsizetype position) { // from 0; the text's last character at most
        const qsizetype last = qMax<qsizetype>(0, (&lines == &oldLines ? oldText : newText).size() - 1);
        return lines.lineOf(qMin(position, last)) - 1;
    };
    std::vector<Change> changes;
    for (qsizetype i = 0; i < qMin(before.size(), after.size()); ++i) {
        const LiteralSpan &a = before[i], &b = after[i];
        if (QStringView(oldText).sliced(a.start, a.length) == QStringView(newText).sliced(b.start, b.length))
            continue;
        // A literal's last line is that of its closing quote: a literal that ends with a
        // backslash-newline changes the line its quote stands on too.
        const Change change{lineOf(oldLines, a.start), lineOf(oldLines, a.start + a.length),
                            lineOf(newLines, b.start), lineOf(newLines, b.start + b.length)};
        if (!changes.empty() && change.oldFirst <= changes.back().oldLast + 2 * Context + 1) {
            changes.back().oldLast = qMax(changes.back().oldLast, change.oldLast); // one hunk
            changes.back().newLast = qMax(changes.back().newLast, change.newLast);
        } else {
            changes.push_back(change);
        }
    }
    if (changes.empty())
        return QString();
    const QString name = quotedName(path);
    QString diff = QStringLiteral("--- %1\n+++ %1\n").arg(name);
    for (const Change &c : changes) {
        const int from = qMax(0, c.oldFirst - Context), to = qMin(oldLines.count() - 1, c.oldLast + Context);
        const int newFrom = c.newFirst - (c.oldFirst - from), newTo = c.newLast + (to - c.oldLast);
        diff += QStringLiteral("@@ -%1,%2 +%3,%4 @@\n").arg(from + 1).arg(to - from + 1).arg(newFrom + 1).arg(newTo - newFrom + 1);
        for (int i = from; i < c.oldFirst; ++i)
            diff += signedLine(oldLines, i, u' ');
        for (int i = c.oldFirst; i <= c.oldLast; ++i)
            diff += signedLine(oldLines, i, u'-');
        for (int i = c.newFirst; i <= c.newLast; ++i)
            diff += signedLine(newLines, i, u'+');
        for (int i = c.oldLast + 1; i <= to; ++i)
            diff += signedLine(oldLines, i, u' ');
    }
    return diff;
}
