#pragma once

#include <QChar>
#include <QtGlobal>

#include <vector>

// For each gram (a run of 1 to 4 characters) the ascending list of the blocks
// of a blocked text in which it starts; a gram that runs into the next block
// belongs to the block it starts in. A list may name blocks that no longer hold
// its gram (they only cost a failed check), but must never miss one.
//
// Grams are kept under their exact characters, so a block may be dropped from
// a gram's list once the gram is seen to be gone from it. The lists live in one
// pool; a list that outgrows its room moves to the pool's end.
class GramIndex
{
public:
    explicit GramIndex(int gramLength);

    int gramLength() const { return m_gramLength; }

    // The characters of a gram packed into one exact key.
    quint64 keyOf(const QChar *gram) const;
    // The key of the gram that follows one starting one character earlier.
    quint64 nextKey(quint64 key, QChar next) const
    {
        return (key >> 16) | (quint64(next.unicode()) << m_lastShift);
    }

    // The list of a gram: -1 when no block ever held it.
    qsizetype listOf(quint64 key) const;
    qsizetype size(qsizetype list) const { return m_slots[list].size; }
    qint32 *blocks(qsizetype list) { return m_pool.data() + m_slots[list].offset; }
    // Removes the entries set to -1 among the list's first `upTo`.
    void removeMarked(qsizetype list, qsizetype upTo);

    // Filling from scratch: clear, then the grams of every block in block
    // order, then finish, which lays the lists out in the pool at once.
    void clear(qsizetype expectedGrams = 0);
    // Lists the block under the grams starting at the first `starts`
    // characters; the gram length less one characters follow them.
    void addWhileFilling(const QChar *chars, qsizetype starts, qint32 block);
    void finishFilling();

    // Adds a block anywhere, keeping the list ascending and free of repeats.
    void insert(quint64 key, qint32 block);

private:
    static constexpr quint64 HashFactor = 0x9E3779B97F4A7C15ull; // Fibonacci hashing

    // A list has room for the next power of two of its size, at least two.
    struct Slot
    {
        quint64 key = 0;
        qint32 offset = -1; // of the list in the pool; -1 for a free slot
        qint32 size = 0;
    };

    size_t findSlot(quint64 key) const; // the key's slot, or the free slot where it would go
    Slot &slotFor(quint64 key); // the key's slot, taken with an empty list when new
    void makeRoom(Slot &slot);
    qint32 lastOf(const Slot &slot) const { return slot.size > 0 ? m_pool[slot.offset + slot.size - 1] : -1; }
    void growTable();
    void addSlot(size_t &at, quint64 key);

    int m_gramLength;
    int m_lastShift;
    int m_shift = 64;
    qsizetype m_used = 0;
    std::vector<Slot> m_slots; // open addressing, by hash of the key
    std::vector<qint32> m_pool;
    // While filling, each slot's offset holds the last block added and its
    // size the count; the pairs wait here until finishFilling.
    struct Filled
    {
        Filled() {} // left uninitialised: the buffer is written ahead of its use
        qint32 slot;
        qint32 block;
    };
    std::vector<Filled> m_filled;
    qsizetype m_filledCount = 0;
};

inline size_t GramIndex::findSlot(quint64 key) const
{
    const size_t mask = m_slots.size() - 1;
    size_t at = (key * HashFactor) >> m_shift;
    while (m_slots[at].offset >= 0 && m_slots[at].key != key)
        at = (at + 1) & mask;
    return at;
}
