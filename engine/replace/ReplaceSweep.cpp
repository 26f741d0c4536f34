#include "engine/replace/ReplaceSweep.h"

#include "engine/scan/FindText.h"

#include <algorithm>

ReplaceSweep::ReplaceSweep(QStringView original, qsizetype insertedChars, qsizetype scansBeforeFilter)
    : m_original(original)
    , m_expectedChars(original.size() + insertedChars)
    , m_scansBeforeFilter(scansBeforeFilter)
{
    // Room for the whole result from the start: growing would copy the head
    // again and again, and touch fresh memory each time.
    m_head.reserve(m_expectedChars);
}

qsizetype ReplaceSweep::locate(QStringView find)
{
    // Occurrences in the head start before those across its end, which start
    // before those in the tail.
    qsizetype at = locateInHead(find);
    if (at < 0)
        at = locateAcrossHeadEnd(find);
    if (at < 0)
        at = locateInTail(find);
    return at;
}

qsizetype ReplaceSweep::locateInHead(QStringView find)
{
    if (m_headGrams && !m_headGrams->mayContain(find))
        return -1;
    const qsizetype at = FindText(m_head, find);
    if (!m_headGrams) {
        m_headScanned += at < 0 ? m_head.size() : at + find.size();
        if (m_headScanned > m_scansBeforeFilter * m_head.size()) {
            m_headGrams.emplace(m_expectedChars);
            m_headGrams->add(m_head, 0, m_head.size());
        }
    }
    return at;
}

// An occurrence that starts in the head's last characters and ends in the tail.
qsizetype ReplaceSweep::locateAcrossHeadEnd(QStringView find)
{
    const qsizetype inHead = qMin(find.size() - 1, m_head.size());
    const qsizetype inTail = qMin(find.size() - 1, m_original.size() - m_tail);
    if (inHead <= 0 || inTail <= 0)
        return -1;
    QString seam = m_head.last(inHead);
    seam.append(m_original.sliced(m_tail, inTail));
    const qsizetype x = FindText(seam, find);
    if (x < 0 || x >= inHead)
        return -1; // one wholly in the tail is found there
    const qsizetype at = m_head.size() - inHead + x;
    moveFromTail(x + find.size() - inHead);
    return at;
}

// An occurrence wholly in the tail: the tail up to it moves to the head. The
// occurrence itself stays in the tail, so that its grams, about to be replaced
// as a rule, never reach the head's filter.
qsizetype ReplaceSweep::locateInTail(QStringView find)
{
    if (m_originalGrams && !m_originalGrams->mayContain(find))
        return -1;
    const qsizetype found = FindText(m_original, find, m_tail);
    if (found < 0) {
        m_tailMissed += m_original.size() - m_tail;
        if (!m_originalGrams && m_tailMissed > m_scansBeforeFilter * m_original.size()) {
            m_originalGrams.emplace(m_original.size());
            m_originalGrams->add(m_original, 0, m_original.size());
        }
        return -1;
    }
    moveFromTail(found - m_tail);
    return m_head.size();
}

void ReplaceSweep::moveFromTail(qsizetype count)
{
    if (count == 0)
        return;
    const qsizetype oldSize = m_head.size();
    const bool continuesLastRun = !m_runs.empty() && m_runs.back().origin >= 0
        && m_runs.back().origin + (oldSize - m_runs.back().headStart) == m_tail;
    if (!continuesLastRun)
        m_runs.push_back({oldSize, m_tail});
    m_head.append(m_original.sliced(m_tail, count));
    m_tail += count;
    headChanged(oldSize, m_head.size());
}

void ReplaceSweep::replace(qsizetype at, qsizetype length, QStringView replacement)
{
    if (at >= m_head.size()) { // in the tail
        moveFromTail(at - m_head.size());
        m_tail += length;
        const qsizetype oldSize = m_head.size();
        if (!replacement.isEmpty())
            m_runs.push_back({oldSize, -1});
        m_head.append(replacement);
        headChanged(oldSize, m_head.size());
        return;
    }
    if (at + length == m_head.size()) {
        m_head.truncate(at); // at the end: appending keeps the head's spare room
        m_head.append(replacement);
    } else {
        m_head.replace(at, length, replacement.data(), replacement.size());
    }
    replaceRuns(at, length, replacement.size());
    headChanged(at, at + replacement.size());
}

// Grams that start up to 15 characters before a change may run into it.
void ReplaceSweep::headChanged(qsizetype from, qsizetype to)
{
    if (m_headGrams)
        m_headGrams->add(m_head, from - 15, to);
}

std::vector<ReplaceSweep::Run>::const_iterator ReplaceSweep::runAt(qsizetype at) const
{
    return std::upper_bound(m_runs.begin(), m_runs.end(), at,
                            [](qsizetype position, const Run &run) { return position < run.headStart; })
        - 1;
}

// Makes a run start at `at`, inside the head.
void ReplaceSweep::cutRunAt(qsizetype at)
{
    const auto run = runAt(at);
    if (run->headStart == at)
        return;
    const qsizetype origin = run->origin < 0 ? -1 : run->origin + (at - run->headStart);
    m_runs.insert(run + 1, {at, origin});
}

void ReplaceSweep::replaceRuns(qsizetype at, qsizetype length, qsizetype inserted)
{
    const qsizetype end = at + length;
    const qsizetype oldSize = m_head.size() - inserted + length;
    cutRunAt(at);
    if (end < oldSize)
        cutRunAt(end);
    auto first = std::lower_bound(m_runs.begin(), m_runs.end(), at,
                                  [](const Run &run, qsizetype position) { return run.headStart < position; });
    auto last = std::lower_bound(first, m_runs.end(), end,
                                 [](const Run &run, qsizetype position) { return run.headStart < position; });
    first = m_runs.erase(first, last);
    if (inserted > 0)
        first = m_runs.insert(first, {at, -1}) + 1;
    for (auto run = first; run != m_runs.end(); ++run)
        run->headStart += inserted - length;
}

ReplaceSweep::Origin ReplaceSweep::originOf(qsizetype at, qsizetype length) const
{
    if (at >= m_head.size())
        return {m_tail + (at - m_head.size()), false};
    auto run = runAt(at);
    if (run->origin < 0)
        return {-1, true};
    const Origin origin{run->origin + (at - run->headStart), false};
    const qsizetype reach = at + length;
    for (;;) {
        const auto next = run + 1;
        const qsizetype runEnd = next == m_runs.end() ? m_head.size() : next->headStart;
        if (reach <= runEnd)
            return origin;
        if (next->origin != run->origin + (runEnd - run->headStart))
            return {origin.position, true};
        run = next;
    }
}

QString ReplaceSweep::takeText()
{
    m_head.append(m_original.sliced(m_tail));
    m_tail = m_original.size();
    return std::move(m_head);
}
