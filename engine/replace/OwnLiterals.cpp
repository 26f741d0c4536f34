#include "engine/replace/OwnLiterals.h"

#include "engine/replace/ApplyPairs.h"

#include <vector>

namespace {

// Ascending positions in a text that follow it through edits. They are kept as
// the steps between neighbours in a Fenwick tree, so an edit moves all the
// positions after it by changing one step, and gathers those inside what it
// removed by zeroing theirs. Each edit makes at most two steps non-zero, so the
// zeroing costs no more in all than the edits and positions together.
class MovingPositions
{
public:
    explicit MovingPositions(std::vector<qsizetype> positions);

    // `removed` characters at `at` give way to `inserted` ones. A position up
    // to `at` stays; one at or after the removed stretch moves with the text;
    // one strictly inside goes to `inside`.
    void edit(qsizetype at, qsizetype removed, qsizetype inserted, qsizetype inside);

    std::vector<qsizetype> positions() const;

private:
    qsizetype size() const { return qsizetype(m_steps.size()); }
    qsizetype valueAt(qsizetype index) const;
    qsizetype firstAbove(qsizetype value) const;
    void addToStep(qsizetype index, qsizetype amount);
    void gather(qsizetype first, qsizetype last, qsizetype to);

    std::vector<qsizetype> m_steps; // each position minus the one before it (the first: minus 0); never negative
    std::vector<qsizetype> m_tree;  // the Fenwick sums of m_steps, from index 1
};

MovingPositions::MovingPositions(std::vector<qsizetype> positions)
    : m_steps(std::move(positions))
    , m_tree(m_steps.size() + 1, 0)
{
    for (qsizetype i = size() - 1; i > 0; --i)
        m_steps[size_t(i)] -= m_steps[size_t(i - 1)];
    for (qsizetype i = 1; i <= size(); ++i) {
        m_tree[size_t(i)] += m_steps[size_t(i - 1)];
        const qsizetype parent = i + (i & -i);
        if (parent <= size())
            m_tree[size_t(parent)] += m_tree[size_t(i)];
    }
}

qsizetype MovingPositions::valueAt(qsizetype index) const
{
    qsizetype sum = 0;
    for (qsizetype i = index + 1; i > 0; i -= i & -i)
        sum += m_tree[size_t(i)];
    return sum;
}

// The index of the first position above `value`, or size(): the steps are never
// negative, so the sums only grow and one descent of the tree finds it.
qsizetype MovingPositions::firstAbove(qsizetype value) const
{
    qsizetype index = 0;
    qsizetype sum = 0;
    qsizetype stride = 1;
    while (stride * 2 <= size())
        stride *= 2;
    for (; stride > 0; stride /= 2) {
        if (index + stride <= size() && sum + m_tree[size_t(index + stride)] <= value) {
            index += stride;
            sum += m_tree[size_t(index)];
        }
    }
    return index;
}

void MovingPositions::addToStep(qsizetype index, qsizetype amount)
{
    m_steps[size_t(index)] += amount;
    for (qsizetype i = index + 1; i <= size(); i += i & -i)
        m_tree[size_t(i)] += amount;
}

// Positions [first, last) all become `to`, which is not below the one before first.
void MovingPositions::gather(qsizetype first, qsizetype last, qsizetype to)
{
    addToStep(first, to - valueAt(first));
    for (qsizetype i = firstAbove(to); i < last; i = firstAbove(to))
        addToStep(i, -m_steps[size_t(i)]);
}

void MovingPositions::edit(qsizetype at, qsizetype removed, qsizetype inserted, qsizetype inside)
{
    const qsizetype first = firstAbove(at);
    const qsizetype after = qMax(first, firstAbove(at + removed - 1)); // the first one not inside
    const qsizetype movedTo = after < size() ? valueAt(after) + inserted - removed : 0;
    if (after > first)
        gather(first, after, inside);
    if (after < size())
        addToStep(after, movedTo - valueAt(after));
}

std::vector<qsizetype> MovingPositions::positions() const
{
    std::vector<qsizetype> out(m_steps.size());
    qsizetype sum = 0;
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = sum += m_steps[i];
    return out;
}

} // namespace

OwnLiterals ReplaceOwnLiterals(const QString &text, const QList<LiteralSpan> &spans, const QStringList &replacements)
{
    const qsizetype rows = qMin(spans.size(), replacements.size());
    qsizetype size = text.size();
    for (qsizetype i = 0; i < rows; ++i)
        size += replacements[i].size() - spans[i].length;

    OwnLiterals result;
    result.text.reserve(size);
    result.spans.reserve(spans.size());
    const QStringView original(text);
    qsizetype copied = 0; // the original text is written out up to here
    for (qsizetype i = 0; i < spans.size(); ++i) {
        const LiteralSpan &span = spans[i];
        result.text.append(original.sliced(copied, span.start - copied));
        // A row whose replacement is its literal writes the same characters.
        const QStringView literal = i < rows ? QStringView(replacements[i]) : original.sliced(span.start, span.length);
        result.spans.append({result.text.size(), literal.size()});
        result.text.append(literal);
        copied = span.start + span.length;
    }
    result.text.append(original.sliced(copied));
    return result;
}

OwnLiterals ApplyPairsTrackingSpans(const QString &text, const QList<LiteralSpan> &spans, const QStringList &found,
                                    const QStringList &replacements)
{
    std::vector<qsizetype> starts, ends;
    starts.reserve(size_t(spans.size()));
    ends.reserve(size_t(spans.size()));
    for (const LiteralSpan &span : spans) {
        starts.push_back(span.start);
        ends.push_back(span.start + span.length);
    }
    MovingPositions movingStarts(std::move(starts));
    MovingPositions movingEnds(std::move(ends));
    OwnLiterals result;
    result.text = ApplyPairs(text, found, replacements, [&](qsizetype at, qsizetype removed, qsizetype inserted) {
        movingStarts.edit(at, removed, inserted, at);
        movingEnds.edit(at, removed, inserted, at + inserted);
    });
    starts = movingStarts.positions();
    ends = movingEnds.positions();
    result.spans.reserve(spans.size());
    for (size_t i = 0; i < starts.size(); ++i)
        result.spans.append({starts[i], ends[i] - starts[i]});
    return result;
}
