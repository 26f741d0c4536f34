#include "engine/GramIndex.h"

#include <QtMath>

#include <algorithm>

namespace {

constexpr int SmallestTableBits = 10;
constexpr qint32 FirstRoom = 2;

} // namespace

GramIndex::GramIndex(int gramLength)
    : m_gramLength(gramLength)
    , m_lastShift(16 * (gramLength - 1))
{
    clear();
}

quint64 GramIndex::keyOf(const QChar *gram) const
{
    quint64 key = 0;
    for (int i = 0; i < m_gramLength; ++i)
        key |= quint64(gram[i].unicode()) << (16 * i);
    return key;
}

qsizetype GramIndex::listOf(quint64 key) const
{
    const size_t at = findSlot(key);
    return m_slots[at].offset >= 0 ? qsizetype(at) : -1;
}

// Takes the free slot found for the key, growing the table first when it is half full.
void GramIndex::addSlot(size_t &at, quint64 key)
{
    if (2 * (m_used + 1) > qsizetype(m_slots.size())) {
        growTable();
        at = findSlot(key);
    }
    ++m_used;
    m_slots[at] = {key, -1, 0};
}

GramIndex::Slot &GramIndex::slotFor(quint64 key)
{
    size_t at = findSlot(key);
    if (m_slots[at].offset < 0) {
        addSlot(at, key);
        m_slots[at].offset = qint32(m_pool.size());
        m_pool.resize(m_pool.size() + FirstRoom);
    }
    return m_slots[at];
}

void GramIndex::makeRoom(Slot &slot)
{
    const bool full = slot.size >= FirstRoom && (slot.size & (slot.size - 1)) == 0;
    if (!full)
        return;
    const qint32 offset = qint32(m_pool.size());
    m_pool.resize(m_pool.size() + 2 * size_t(slot.size));
    std::copy_n(m_pool.begin() + slot.offset, slot.size, m_pool.begin() + offset);
    slot.offset = offset;
}


// Branch-free bookkeeping: whether a gram is new to the block is as likely
// as not, and a mispredicted branch per character would cost more than the rest.
void GramIndex::addWhileFilling(const QChar *chars, qsizetype starts, qint32 block)
{
    if (starts <= 0)
        return;
    m_filled.resize(size_t(m_filledCount + starts));
    quint64 key = keyOf(chars);
    for (qsizetype i = 0;;) {
        size_t at = findSlot(key);
        if (m_slots[at].offset < 0)
            addSlot(at, key);
        Slot &slot = m_slots[at];
        const bool isNew = slot.offset != block;
        slot.offset = block;
        slot.size += isNew;
        Filled &pair = m_filled[size_t(m_filledCount)];
        pair.slot = qint32(at);
        pair.block = block;
        m_filledCount += isNew;
        if (++i == starts)
            break;
        key = nextKey(key, chars[i + m_gramLength - 1]);
    }
}

void GramIndex::finishFilling()
{
    qsizetype pooled = 0;
    for (Slot &slot : m_slots) {
        if (slot.offset < 0)
            continue;
        slot.offset = qint32(pooled);
        pooled += qMax<qsizetype>(FirstRoom, qNextPowerOfTwo(quint32(slot.size)));
        slot.size = 0;
    }
    m_pool.reserve(size_t(pooled + pooled / 2));
    m_pool.resize(size_t(pooled));
    for (qsizetype i = 0; i < m_filledCount; ++i) {
        Slot &slot = m_slots[m_filled[size_t(i)].slot];
        m_pool[slot.offset + slot.size++] = m_filled[size_t(i)].block;
    }
    m_filled = {};
    m_filledCount = 0;
}

void GramIndex::insert(quint64 key, qint32 block)
{
    Slot &slot = slotFor(key);
    if (lastOf(slot) < block) {
        makeRoom(slot);
        m_pool[slot.offset + slot.size++] = block;
        return;
    }
    qint32 *begin = m_pool.data() + slot.offset;
    qint32 *at = std::lower_bound(begin, begin + slot.size, block);
    if (*at == block)
        return;
    const qsizetype index = at - begin;
    makeRoom(slot);
    begin = m_pool.data() + slot.offset;
    std::copy_backward(begin + index, begin + slot.size, begin + slot.size + 1);
    begin[index] = block;
    ++slot.size;
}

void GramIndex::removeMarked(qsizetype list, qsizetype upTo)
{
    Slot &slot = m_slots[list];
    qint32 *begin = m_pool.data() + slot.offset;
    qint32 *const kept = std::remove(begin, begin + upTo, -1);
    std::copy(begin + upTo, begin + slot.size, kept);
    slot.size -= qint32(begin + upTo - kept);
}

void GramIndex::clear(qsizetype expectedGrams)
{
    int bits = SmallestTableBits;
    while ((qsizetype(1) << bits) < 2 * expectedGrams)
        ++bits;
    m_shift = 64 - bits;
    m_slots.assign(size_t(1) << bits, Slot());
    m_used = 0;
    m_pool.clear();
    m_filled.clear();
    m_filledCount = 0;
}

void GramIndex::growTable()
{
    const std::vector<Slot> old = std::move(m_slots);
    m_shift -= 1;
    m_slots.assign(old.size() * 2, Slot());
    std::vector<qint32> movedTo(m_filledCount == 0 ? 0 : old.size());
    const size_t mask = m_slots.size() - 1;
    for (size_t from = 0; from < old.size(); ++from) {
        if (old[from].offset < 0)
            continue;
        size_t at = (old[from].key * HashFactor) >> m_shift;
        while (m_slots[at].offset >= 0)
            at = (at + 1) & mask;
        m_slots[at] = old[from];
        if (!movedTo.empty())
            movedTo[from] = qint32(at);
    }
    for (qsizetype i = 0; i < m_filledCount; ++i)
        m_filled[size_t(i)].slot = movedTo[size_t(m_filled[size_t(i)].slot)];
}
