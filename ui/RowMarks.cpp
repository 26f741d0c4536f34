#include "ui/LandingMarks.h"

#include "engine/ApplyPairs.h"

#include <algorithm>

namespace {

constexpr qsizetype LongestShownLine = 80;

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

QString SourceLines::show(int line) const
{
    const qsizetype start = m_starts[line - 1];
    const qsizetype end = size_t(line) < m_starts.size() ? m_starts[line] : m_text.size();
    const QString shown = QStringView(m_text).sliced(start, end - start).trimmed().toString();
    return shown.size() > LongestShownLine ? shown.left(LongestShownLine) + QChar(0x2026) : shown;
}

LandingMarks::LandingMarks(QObject *parent)
    : QObject(parent)
{
    m_pool.setMaxThreadCount(1);
}

LandingMarks::~LandingMarks()
{
    m_pool.waitForDone();
}

void LandingMarks::setText(const QString &text)
{
    m_plan = Plan(); // its places are in the text before
    m_text = text;
    m_lines = SourceLines(text);
    m_spans = ScanLiteralSpans(text);
}

void LandingMarks::update(const QStringList &found, const QStringList &replacements)
{
    ++m_generation;
    m_pending = {found, replacements, {}};
    m_hasPending = true;
    if (!m_running)
        startPending();
}

void LandingMarks::startPending()
{
    m_hasPending = false;
    Plan plan = std::move(m_pending);
    bool anyChanged = false;
    for (qsizetype i = 0; i < qMin(plan.found.size(), plan.replacements.size()) && !anyChanged; ++i)
        anyChanged = RowChanges(plan.found[i], plan.replacements[i]);
    if (!anyChanged) { // nothing can be marked: no need to look
        finished(m_generation, plan);
        return;
    }
    m_running = true;
    m_pool.start([this, plan = std::move(plan), text = m_text, generation = m_generation]() mutable {
        plan.landings = PlanLandings(text, plan.found, plan.replacements);
        QMetaObject::invokeMethod(this, [this, plan = std::move(plan), generation] {
            m_running = false;
            finished(generation, plan);
        }, Qt::QueuedConnection);
    });
}

void LandingMarks::finished(int generation, const Plan &plan)
{
    if (generation == m_generation) {
        m_plan = plan;
        emit marksChanged();
    }
    if (m_hasPending && !m_running)
        startPending();
}

// The landing of a row whose stored edit changes the text, or none.
const Landing *LandingMarks::landingOf(int row) const
{
    if (row < 0 || row >= m_plan.landings.size() || row >= m_plan.replacements.size()
        || !RowChanges(m_plan.found[row], m_plan.replacements[row]))
        return nullptr;
    return &m_plan.landings[row];
}

bool LandingMarks::marked(int row) const
{
    const Landing *landing = landingOf(row);
    return landing && !landing->ownLiteral && (landing->position >= 0 || landing->inReplacement);
}

QString LandingMarks::sourceTip(int row) const
{
    if (row < 0 || row >= m_spans.size())
        return QString();
    const int line = m_lines.lineOf(m_spans[row].start);
    return QStringLiteral("第 %1 行：%2").arg(line).arg(m_lines.show(line));
}

QString LandingMarks::landingTip(int row) const
{
    const QString note = landingNote(row);
    const QString source = sourceTip(row);
    return note.isEmpty() ? source : source.isEmpty() ? note : source + QLatin1Char('\n') + note;
}

// What the row's edit does, in words; empty for a row left as found.
QString LandingMarks::landingNote(int row) const
{
    const Landing *found = landingOf(row);
    if (!found)
        return QString();
    const Landing &landing = *found;
    if (landing.ownLiteral)
        return QStringLiteral("替换文件时改动的正是这个字符串。");
    if (landing.position < 0 && !landing.inReplacement)
        return QStringLiteral("文件中找不到这个字符串：按“替换文件”时将跳过这一行。");
    const QString warning = QStringLiteral("注意：替换文件时，这一行改动的不是它自己的字符串，\n");
    if (landing.position < 0)
        return warning + QStringLiteral("而是前面的行替换进去的文字。");
    const int line = m_lines.lineOf(landing.position);
    QString note = warning + QStringLiteral("而是第 %1 行%2").arg(line).arg(placeOf(row, landing.position));
    if (landing.inReplacement)
        note += QStringLiteral("，并且连带前面的行改动过的文字");
    return note + QStringLiteral("：\n第 %1 行：%2").arg(line).arg(m_lines.show(line));
}

// What stands at the position: a literal of the text, or code and comments.
QString LandingMarks::placeOf(int row, qsizetype position) const
{
    const auto after = std::upper_bound(m_spans.begin(), m_spans.end(), position,
                                        [](qsizetype at, const LiteralSpan &span) { return at < span.start; });
    if (after != m_spans.begin()) {
        const LiteralSpan &span = *(after - 1);
        if (position < span.start + span.length)
            return after - 1 - m_spans.begin() == row ? QStringLiteral("的这个字符串中的一部分")
                                                      : QStringLiteral("的另一个字符串");
    }
    return QStringLiteral("的代码或注释");
}
