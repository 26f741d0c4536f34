#include "engine/BlockedText.h"

#include <algorithm>

namespace {

// A block that grows past this many times the block size is split up again.
constexpr qsizetype GrowthBeforeSplit = 4;
// A replacement that empties more blocks than this leaves a gap worth closing.
constexpr qsizetype EmptiedBeforeRebuild = 8;

// Grams of 4 characters are rare enough to skip most blocks; shorter finds
// need shorter grams.
int gramLengthFor(qsizetype findLength)
{
    return findLength >= 4 ? 4 : findLength >= 2 ? 2 : 1;
}

int slotFor(int gramLength)
{
    return gramLength == 4 ? 2 : gramLength - 1;
}

} // namespace

BlockedText::BlockedText(QStringView text, qsizetype blockChars)
    : m_blockChars(qMax<qsizetype>(1, blockChars))
{
    split(text);
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
// Blocks found not to hold the gram at all are dropped from its list.
std::optional<BlockedText::Position> BlockedText::findFirst(QStringView find)
{
    GramIndex &index = indexFor(find.size());
    const int gramLength = index.gramLength();
    std::vector<qint32> *rarest = nullptr;
    qsizetype gramOffset = 0;
    for (qsizetype offset = 0; offset + gramLength <= find.size(); ++offset) {
        std::vector<qint32> *blocks = index.blocksOf(index.keyOf(find.data() + offset));
        if (!blocks)
            return std::nullopt; // a gram of the find occurs nowhere
        if (!rarest || blocks->size() < rarest->size()) {
            rarest = blocks;
            gramOffset = offset;
        }
    }
    const QStringView gram = find.sliced(gramOffset, gramLength);
    std::optional<Position> found;
    bool dropped = false;
    size_t i = 0;
    for (; i < rarest->size(); ++i) {
        const qint32 block = (*rarest)[i];
        found = findWithGramIn(block, find, gramOffset);
        if (found)
            break;
        if (find.size() == gramLength || !findWithGramIn(block, gram, 0)) {
            (*rarest)[i] = -1;
            dropped = true;
        }
    }
    if (dropped)
        rarest->erase(std::remove(rarest->begin(), rarest->begin() + i, -1), rarest->begin() + i);
    return found;
}

// The first occurrence of find whose character at gramOffset lies in the
// block. Such an occurrence may start in an earlier block or run into later
// ones; the three cases are searched in the order of their starts.
std::optional<BlockedText::Position> BlockedText::findWithGramIn(qint32 block, QStringView find,
                                                                 qsizetype gramOffset) const
{
    const QString &chars = m_blocks[block];
    const qsizetype length = chars.size();
    if (length == 0)
        return std::nullopt;

    if (gramOffset > 0) { // starting in an earlier block
        const Stretch before = charsBefore({block, 0}, gramOffset);
        const qsizetype ahead = before.chars.size();
        if (ahead > 0) {
            const QString window = before.chars + charsFrom({block, 0}, find.size() - 1);
            const qsizetype at = QStringView(window).indexOf(find);
            if (at >= 0 && at < ahead && at - ahead + gramOffset < length)
                return before.where[at];
        }
    }

    const qsizetype inside = QStringView(chars).indexOf(find);
    if (inside >= 0)
        return Position{block, inside};

    const qsizetype beyond = find.size() - 1 - gramOffset; // characters needed after the block
    if (beyond > 0 && block + 1 < qint32(m_blocks.size())) { // running into later blocks
        const qsizetype tail = qMax<qsizetype>(0, length - (find.size() - 1));
        const QString window = chars.sliced(tail) + charsFrom({block + 1, 0}, beyond);
        const qsizetype at = QStringView(window).indexOf(find);
        if (at >= 0 && tail + at + gramOffset < length)
            return Position{block, tail + at};
    }
    return std::nullopt;
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
    stretch.chars.reserve(stretch.where.size());
    for (const Position &p : stretch.where)
        stretch.chars.append(m_blocks[p.block][p.offset]);
    return stretch;
}

QString BlockedText::charsFrom(Position at, qsizetype count) const
{
    QString chars;
    for (qint32 block = at.block; block < qint32(m_blocks.size()) && chars.size() < count; ++block) {
        const qsizetype from = block == at.block ? at.offset : 0;
        chars.append(QStringView(m_blocks[block]).sliced(from).first(
            qMin(m_blocks[block].size() - from, count - chars.size())));
    }
    return chars;
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
    const QString window = before.chars + charsFrom(at, replacementLength + gramLength - 1);
    const qsizetype starts = before.chars.size() + replacementLength;
    for (qsizetype i = 0; i < starts && i + gramLength <= window.size(); ++i) {
        const qint32 block = i < before.chars.size() ? before.where[i].block : at.block;
        index.insert(index.keyOf(window.constData() + i), block);
    }
}

GramIndex &BlockedText::indexFor(qsizetype findLength)
{
    const int gramLength = gramLengthFor(findLength);
    std::unique_ptr<GramIndex> &index = m_indexes[slotFor(gramLength)];
    if (!index) {
        index = std::make_unique<GramIndex>(gramLength);
        fillIndex(*index);
    }
    return *index;
}

void BlockedText::fillIndex(GramIndex &index) const
{
    const int gramLength = index.gramLength();
    for (qint32 block = 0; block < qint32(m_blocks.size()); ++block) {
        const QString &chars = m_blocks[block];
        if (chars.isEmpty())
            continue;
        // The block and the first characters after it, for the grams that run on.
        const QString window = chars + charsFrom({block + 1, 0}, gramLength - 1);
        for (qsizetype i = 0; i < chars.size() && i + gramLength <= window.size(); ++i)
            index.appendInOrder(index.keyOf(window.constData() + i), block);
    }
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
            index->clear();
            fillIndex(*index);
        }
    }
}
