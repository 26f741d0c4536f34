#pragma once

#include <QChar>
#include <QtGlobal>

#include <vector>

// For each gram (a run of 1 to 4 characters) the ascending list of the blocks
// of a blocked text in which it starts; a gram that runs into the next block
// belongs to the block it starts in. A list may name blocks that no longer hold
// its gram (they only cost a failed check), but must never miss one.
class GramIndex
{
public:
    explicit GramIndex(int gramLength);

    int gramLength() const { return m_gramLength; }

    // The characters of a gram packed into one exact key (no collisions).
    quint64 keyOf(const QChar *gram) const;

    // The blocks listed for a gram, or null when no block ever held it.
    std::vector<qint32> *blocksOf(quint64 key);

    // Adds a block while filling in block order: the block is never below one already listed.
    void appendInOrder(quint64 key, qint32 block);
    // Adds a block anywhere, keeping the list ascending and free of repeats.
    void insert(quint64 key, qint32 block);

    void clear();

private:
    std::vector<qint32> &listFor(quint64 key);
    void growTable();

    int m_gramLength;
    int m_shift = 64;
    std::vector<quint64> m_keys;   // open addressing, by hash of the key
    std::vector<qint32> m_listAt;  // index into m_lists, -1 for a free slot
    std::vector<std::vector<qint32>> m_lists;
};
