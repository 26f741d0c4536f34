#include "engine/UnifiedDiff.h"

#include <algorithm>
#include <vector>

namespace {

constexpr int Context = 3;

// Where each line of a text starts; a last line without a line break counts.
struct Lines {
    explicit Lines(const QString &text) : text(text)
    {
        starts.push_back(0);
        for (qsizetype at = text.indexOf(u'\n'); at >= 0 && at + 1 < text.size(); at = text.indexOf(u'\n', at + 1))
            starts.push_back(at + 1);
    }
    int count() const { return text.isEmpty() ? 0 : int(starts.size()); }
    int lineOf(qsizetype position) const
    {
        return int(std::upper_bound(starts.begin(), starts.end(), position) - starts.begin()) - 1;
    }
    // The line with its break, marked as patch wants it when the file ends without one.
    QString line(int i, QChar sign) const
    {
        const qsizetype end = size_t(i + 1) < starts.size() ? starts[size_t(i + 1)] : text.size();
        QString shown = sign + text.mid(starts[size_t(i)], end - starts[size_t(i)]);
        if (!shown.endsWith(u'\n'))
            shown += QStringLiteral("\n\\ No newline at end of file\n");
        return shown;
    }
    const QString &text;
    std::vector<qsizetype> starts;
};

struct Change {
    int oldFirst, oldLast, newFirst, newLast; // lines, inclusive
};

} // namespace

QString UnifiedDiff(const QString &path, const QString &oldText, const QList<LiteralSpan> &before,
                    const QString &newText, const QList<LiteralSpan> &after)
{
    const Lines oldLines(oldText), newLines(newText);
    std::vector<Change> changes;
    for (qsizetype i = 0; i < qMin(before.size(), after.size()); ++i) {
        const LiteralSpan &a = before[i], &b = after[i];
        if (QStringView(oldText).sliced(a.start, a.length) == QStringView(newText).sliced(b.start, b.length))
            continue;
        const Change change{oldLines.lineOf(a.start), oldLines.lineOf(a.start + qMax<qsizetype>(0, a.length - 1)),
                            newLines.lineOf(b.start), newLines.lineOf(b.start + qMax<qsizetype>(0, b.length - 1))};
        if (!changes.empty() && change.oldFirst <= changes.back().oldLast + 2 * Context + 1) {
            changes.back().oldLast = qMax(changes.back().oldLast, change.oldLast); // one hunk
            changes.back().newLast = qMax(changes.back().newLast, change.newLast);
        } else {
            changes.push_back(change);
        }
    }
    if (changes.empty())
        return QString();
    QString diff = QStringLiteral("--- %1\n+++ %1\n").arg(path);
    for (const Change &c : changes) {
        const int from = qMax(0, c.oldFirst - Context), to = qMin(oldLines.count() - 1, c.oldLast + Context);
        const int newFrom = c.newFirst - (c.oldFirst - from), newTo = c.newLast + (to - c.oldLast);
        diff += QStringLiteral("@@ -%1,%2 +%3,%4 @@\n").arg(from + 1).arg(to - from + 1).arg(newFrom + 1).arg(newTo - newFrom + 1);
        for (int i = from; i < c.oldFirst; ++i)
            diff += oldLines.line(i, u' ');
        for (int i = c.oldFirst; i <= c.oldLast; ++i)
            diff += oldLines.line(i, u'-');
        for (int i = c.newFirst; i <= c.newLast; ++i)
            diff += newLines.line(i, u'+');
        for (int i = c.oldLast + 1; i <= to; ++i)
            diff += oldLines.line(i, u' ');
    }
    return diff;
}
