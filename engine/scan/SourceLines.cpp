#include "engine/scan/SourceLines.h"

#include <algorithm>

namespace {

constexpr qsizetype ExcerptChars = 80; // of the line around a place
constexpr qsizetype LongestMark = 40;  // of the place itself

const QChar Ellipsis(0x2026);

} // namespace

SourceLines::SourceLines(const QString &text)
    : m_text(text)
{
    m_starts.push_back(0);
    for (qsizetype at = text.indexOf(u'\n'); at >= 0; at = text.indexOf(u'\n', at + 1))
        m_starts.push_back(at + 1);
}

int SourceLines::lineOf(qsizetype position) const
{
    return int(std::upper_bound(m_starts.begin(), m_starts.end(), position) - m_starts.begin());
}

QString SourceLines::excerpt(qsizetype position, qsizetype length) const
{
    const int line = lineOf(position);
    qsizetype start = m_starts[size_t(line - 1)];
    qsizetype end = size_t(line) < m_starts.size() ? m_starts[size_t(line)] - 1 : m_text.size();
    if (end > start && m_text[end - 1] == u'\r')
        --end;
    while (start < position && m_text[start].isSpace())
        ++start; // the line's indentation says nothing
    const qsizetype markEnd = qMin(position + length, qMax(end, position));
    QString mark = m_text.mid(position, markEnd - position);
    if (mark.size() > LongestMark)
        mark = mark.left(LongestMark / 2) + Ellipsis + mark.right(LongestMark / 2 - 1);
    if (position + length > markEnd)
        mark += Ellipsis; // it runs on over the next line
    const qsizetype room = qMax<qsizetype>(0, ExcerptChars - mark.size());
    const qsizetype before = qMin(position - start, qMax(room / 2, room - (end - markEnd)));
    const qsizetype after = qMin(end - markEnd, room - before);
    QString shown = position - before > start ? QString(Ellipsis) : QString();
    shown += QStringView(m_text).sliced(position - before, before);
    shown += QStringLiteral("【") + mark + QStringLiteral("】");
    shown += QStringView(m_text).sliced(markEnd, after);
    if (markEnd + after < end)
        shown += Ellipsis;
    return shown;
}

int SourceLines::count() const
{
    return m_text.isEmpty() ? 0 : int(m_starts.size()) - (m_starts.back() == m_text.size());
}

QStringView SourceLines::line(int line) const
{
    const qsizetype start = m_starts[size_t(line - 1)];
    const qsizetype end = size_t(line) < m_starts.size() ? m_starts[size_t(line)] : m_text.size();
    return QStringView(m_text).sliced(start, end - start);
}
