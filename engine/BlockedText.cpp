#include "engine/BlockedText.h"

#include "engine/FindText.h"

#include <algorithm>

namespace {

// A block that grows past this many times the block size is split up again.
constexpr qsizetype GrowthBeforeSplit = 4;
// A replacement that empties more blocks than this leaves a gap worth closing.
constexpr qsizetype EmptiedBeforeRebuild = 8;

// Looking up every gram of a long find costs more than the rarest one saves.
constexpr qsizetype GramsSampled = 8;

constexpr int GramLengths[] = {1, 2, 4};

} // namespace

BlockedText::BlockedText(QStringView text, qsizetype blockChars, std::array<bool, 3> indexed)
    : m_blockChars(qMax<qsizetype>(1, blockChars))
    , m_indexed(indexed)
{
    split(text);
}

// Grams of 4 characters are rare enough to skip most blocks; shorter finds
// need shorter grams.
int BlockedText::GramSlotFor(qsizetype findLength)
{
    return findLength >= 4 ? 2 : findLength >= 2 ? 1 : 0;
}

QString BlockedText::toString() const
{
    qsizetype size = 0;
    for (const QString &block : m_blocks)
        size += block.size();
    QString text;
    text.reserve(size);
    for (const QString &block : m_blocks)
        text.append(block);
    return text;
}

bool BlockedText::replaceFirst(QStringView find, QStringView replacement)
{
    const std::optional<Position> at = findFirst(find);
    if (!at)
        return false;
    const qsizetype emptied = replaceAt(*at, find.size(), replacement);
    if (emptied > EmptiedBeforeRebuild || m_blocks[at->block].size() > GrowthBeforeSplit * m_blockChars) {
        rebuild();
        return true;
    }
    for (const auto &index : m_indexes) {
        if (index)
            indexNewGrams(*index, *at, replacement.size());
    }
    return true;
}

// Walks the blocks listed for the find's rarest gram in ascending order; the
// first block that holds an occurrence through that gram holds the first one.
// The find's second rarest gram rules out most blocks without reading them.
// Blocks found not to hold the gram any more are dropped from its list.
std::optional<BlockedText::Position> BlockedText::findFirst(QStringView find)
{
    const int gramSlot = GramSlotFor(find.size());
    if (!m_indexed[gramSlot])
        return findByReading(find);
    GramIndex &index = indexFor(gramSlot);
    GramChoice rarest, second;
    if (!chooseGrams(index, find, &rarest, &second))
        return std::nullopt; // a gram of the find occurs nowhere
    const QStringView gram = find.sliced(rarest.offset, index.gramLength());
    qint32 *const blocks = index.blocks(rarest.list);
    const qsizetype count = index.size(rarest.list);
    std::optional<Position> found;
    bool dropped = false;
    qsizetype i = 0;
    for (; i < count && !found; ++i) {
        if (second.list >= 0 && !listsBlockNear(index, second.list, blocks[i], second.offset - rarest.offset))
            continue;
        const BlockCheck check = checkBlock(blocks[i], find, rarest.offset, gram);
        found = check.found;
        if (!check.holdsGram) {
            blocks[i] = -1;
            dropped = true;
        }
    }
    if (dropped)
        index.removeMarked(rarest.list, i);
    return found;
}

// The two grams of the find listed in the fewest blocks (the second one
// absent when all grams are alike); false when a gram occurs nowhere. A long
// find's grams are sampled: any of them leads to every occurrence.
bool BlockedText::chooseGrams(const GramIndex &index, QStringView find, GramChoice *rarest,
                              GramChoice *second) const
{
    const qsizetype offsets = find.size() - index.gramLength() + 1;
    const qsizetype sampled = qMin<qsizetype>(offsets, GramsSampled);
    for (qsizetype j = 0; j < sampled; ++j) {
        const qsizetype offset = sampled == 1 ? 0 : j * (offsets - 1) / (sampled - 1);
        const qsizetype list = index.listOf(index.keyOf(find.data() + offset));
        if (list < 0)
            return false;
        if (rarest->list < 0 || index.size(list) < index.size(rarest->list)) {
            *second = *rarest;
            *rarest = {list, offset};
        } else if (list != rarest->list && (second->list < 0 || index.size(list) < index.size(second->list))) {
            *second = {list, offset};
        }
    }
    return true;
}

// The first block holding the start of an occurrence holds the first one.
std::optional<BlockedText::Position> BlockedText::findByReading(QStringView find) const
{
    for (qint32 block = 0; block < qint32(m_blocks.size()); ++block) {
        if (const std::optional<Position> found = checkBlock(block, find, 0, find).found)
            return found;
    }
    return std::nullopt;
}

// Whether the list names a block where a gram could start `distance`
// characters after (before, when negative) a character of the given block.
bool BlockedText::listsBlockNear(GramIndex &index, qsizetype list, qint32 block, qsizetype distance)
{
    qint32 low = block;
    qint32 high = block;
    if (distance > 0) {
        for (qsizetype left = distance; high + 1 < qint32(m_blocks.size()) && left > 0;) {
            ++high;
            if (m_blocks[high].size() >= left)
                break;
            left -= m_blocks[high].size();
        }
    } else {
        for (qsizetype left = -distance; low > 0 && left > 0;) {
            --low;
            if (m_blocks[low].size() >= left)
                break;
            left -= m_blocks[low].size();
        }
    }
    const qint32 *begin = index.blocks(list);
    const qint32 *end = begin + index.size(list);
    const qint32 *at = std::lower_bound(begin, end, low);
    return at != end && *at <= high;
}

// Looks at each place where the gram starts in the block, including a gram
// that runs into the next block, in order, and checks the whole find around it.
BlockedText::BlockCheck BlockedText::checkBlock(qint32 block, QStringView find, qsizetype gramOffset,
                                                QStringView gram) const
{
    BlockCheck check;
    const QStringView chars = m_blocks[block];
    for (qsizetype at = FindText(chars, gram); at >= 0; at = FindText(chars, gram, at + 1)) {
        check.holdsGram = true;
        check.found = occurrenceAt(block, at - gramOffset, find);
        if (check.found)
            return check;
    }
    // Grams that start in the block's last characters and run into the next block.
    const qsizetype runOn = qMin(chars.size(), gram.size() - 1);
    if (runOn > 0) {
        const qsizetype tail = chars.size() - runOn;
        Chars window;
        window.append(chars.data() + tail, runOn);
        appendCharsFrom({block + 1, 0}, gram.size() - 1, window);
        const QStringView windowView(window.data(), window.size());
        for (qsizetype at = FindText(windowView, gram); at >= 0 && at < runOn;
             at = FindText(windowView, gram, at + 1)) {
            check.holdsGram = true;
            check.found = occurrenceAt(block, tail + at - gramOffset, find);
            if (check.found)
                return check;
        }
    }
    return check;
}

// Whether find occurs at the offset from the start of the block; the offset
// may lie before the block, and the find may run past its end.
std::optional<BlockedText::Position> BlockedText::occurrenceAt(qint32 block, qsizetype offset,
                                                               QStringView find) const
{
    const QString &chars = m_blocks[block];
    if (offset >= 0 && offset + find.size() <= chars.size()) {
        if (QStringView(chars).sliced(offset, find.size()) == find)
            return Position{block, offset};
        return std::nullopt;
    }
    Chars around;
    if (offset < 0) {
        const Stretch before = charsBefore({block, 0}, -offset);
        if (before.chars.size() < -offset)
            return std::nullopt; // it would start before the text
        around = before.chars;
        appendCharsFrom({block, 0}, find.size() + offset, around);
        if (QStringView(around.data(), around.size()) != find)
            return std::nullopt;
        return before.where.front();
    }
    appendCharsFrom({block, offset}, find.size(), around);
    if (QStringView(around.data(), around.size()) != find)
        return std::nullopt;
    return Position{block, offset};
}

BlockedText::Stretch BlockedText::charsBefore(Position at, qsizetype count) const
{
    Stretch stretch;
    qint32 block = at.block;
    qsizetype offset = at.offset;
    while (qsizetype(stretch.where.size()) < count) {
        if (offset == 0) {
            if (block == 0)
                break;
            --block;
            offset = m_blocks[block].size();
            continue;
        }
        --offset;
        stretch.where.push_back({block, offset});
    }
    std::reverse(stretch.where.begin(), stretch.where.end());
    for (const Position &p : stretch.where)
        stretch.chars.append(m_blocks[p.block][p.offset]);
    return stretch;
}

void BlockedText::appendCharsFrom(Position at, qsizetype count, Chars &out) const
{
    for (qint32 block = at.block; block < qint32(m_blocks.size()) && count > 0; ++block) {
        const qsizetype from = block == at.block ? at.offset : 0;
        const qsizetype taken = qMin(m_blocks[block].size() - from, count);
        out.append(m_blocks[block].constData() + from, taken);
        count -= taken;
    }
}

qsizetype BlockedText::replaceAt(Position at, qsizetype length, QStringView replacement)
{
    QString &first = m_blocks[at.block];
    const qsizetype inFirst = qMin(length, first.size() - at.offset);
    qsizetype rest = length - inFirst;
    qsizetype emptied = 0;
    // The end of an occurrence that runs on stays in the block it lies in, so
    // the grams starting there keep their block.
    for (qint32 block = at.block + 1; rest > 0; ++block) {
        QString &next = m_blocks[block];
        const qsizetype taken = qMin(rest, next.size());
        if (taken == next.size()) {
            next = QString();
            ++emptied;
        } else {
            next.remove(0, taken);
        }
        rest -= taken;
    }
    first.replace(at.offset, inFirst, replacement.data(), replacement.size());
    return emptied;
}

// Lists the grams that now run through the replacement or its two junctions,
// each under the block it starts in.
void BlockedText::indexNewGrams(GramIndex &index, Position at, qsizetype replacementLength)
{
    const int gramLength = index.gramLength();
    const Stretch before = charsBefore(at, gramLength - 1);
    Chars window = before.chars;
    appendCharsFrom(at, replacementLength + gramLength - 1, window);
    const qsizetype starts = before.chars.size() + replacementLength;
    for (qsizetype i = 0; i < starts && i + gramLength <= window.size(); ++i) {
        const qint32 block = i < before.chars.size() ? before.where[i].block : at.block;
        index.insert(index.keyOf(window.data() + i), block);
    }
}

GramIndex &BlockedText::indexFor(int gramSlot)
{
    std::unique_ptr<GramIndex> &index = m_indexes[gramSlot];
    if (!index) {
        index = std::make_unique<GramIndex>(GramLengths[gramSlot]);
        index->clear(expectedGrams(index->gramLength()));
        fillIndex(*index);
    }
    return *index;
}

void BlockedText::fillIndex(GramIndex &index) const
{
    const int gramLength = index.gramLength();
    for (qint32 block = 0; block < qint32(m_blocks.size()); ++block) {
        const QChar *chars = m_blocks[block].constData();
        const qsizetype length = m_blocks[block].size();
        const qsizetype inside = qMax<qsizetype>(0, length - gramLength + 1); // grams within the block
        index.addWhileFilling(chars, inside, block);
        if (inside < length) { // grams that run into the next blocks
            Chars window;
            window.append(chars + inside, length - inside);
            appendCharsFrom({block + 1, 0}, gramLength - 1, window);
            index.addWhileFilling(window.data(), qMin(length - inside, window.size() - gramLength + 1), block);
        }
    }
    index.finishFilling();
}

// Sizes the gram table for a typical source text (about one new gram of 4 in
// 40 characters, a few thousand of 2); it grows when needed.
qsizetype BlockedText::expectedGrams(int gramLength) const
{
    qsizetype size = 0;
    for (const QString &block : m_blocks)
        size += block.size();
    return gramLength == 4 ? size / 32 : qMin<qsizetype>(size / 32, 4096);
}

void BlockedText::split(QStringView text)
{
    m_blocks.clear();
    m_blocks.reserve(text.size() / m_blockChars + 1);
    for (qsizetype from = 0; from < text.size(); from += m_blockChars)
        m_blocks.push_back(text.sliced(from, qMin(m_blockChars, text.size() - from)).toString());
}

void BlockedText::rebuild()
{
    split(toString());
    for (const auto &index : m_indexes) {
        if (index) {
            index->clear(expectedGrams(index->gramLength()));
            fillIndex(*index);
        }
    }
}
