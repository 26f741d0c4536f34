#include "engine/GramIndex.h"

#include <algorithm>

namespace {

constexpr quint64 HashFactor = 0x9E3779B97F4A7C15ull; // Fibonacci hashing
constexpr int SmallestTableBits = 10;

} // namespace

GramIndex::GramIndex(int gramLength)
    : m_gramLength(gramLength)
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

std::vector<qint32> *GramIndex::blocksOf(quint64 key)
{
    const size_t mask = m_keys.size() - 1;
    for (size_t slot = (key * HashFactor) >> m_shift;; slot = (slot + 1) & mask) {
        const qint32 list = m_listAt[slot];
        if (list < 0)
            return nullptr;
        if (m_keys[slot] == key)
            return &m_lists[list];
    }
}

std::vector<qint32> &GramIndex::listFor(quint64 key)
{
    const size_t mask = m_keys.size() - 1;
    size_t slot = (key * HashFactor) >> m_shift;
    for (;; slot = (slot + 1) & mask) {
        const qint32 list = m_listAt[slot];
        if (list < 0)
            break;
        if (m_keys[slot] == key)
            return m_lists[list];
    }
    if (2 * (m_lists.size() + 1) > m_keys.size()) {
        growTable();
        return listFor(key);
    }
    m_keys[slot] = key;
    m_listAt[slot] = qint32(m_lists.size());
    m_lists.emplace_back();
    return m_lists.back();
}

void GramIndex::appendInOrder(quint64 key, qint32 block)
{
    std::vector<qint32> &blocks = listFor(key);
    if (blocks.empty() || blocks.back() != block)
        blocks.push_back(block);
}

void GramIndex::insert(quint64 key, qint32 block)
{
    std::vector<qint32> &blocks = listFor(key);
    const auto at = std::lower_bound(blocks.begin(), blocks.end(), block);
    if (at == blocks.end() || *at != block)
        blocks.insert(at, block);
}

void GramIndex::clear()
{
    m_shift = 64 - SmallestTableBits;
    m_keys.assign(size_t(1) << SmallestTableBits, 0);
    m_listAt.assign(m_keys.size(), -1);
    m_lists.clear();
}

void GramIndex::growTable()
{
    const std::vector<quint64> oldKeys = std::move(m_keys);
    const std::vector<qint32> oldListAt = std::move(m_listAt);
    m_shift -= 1;
    m_keys.assign(oldKeys.size() * 2, 0);
    m_listAt.assign(m_keys.size(), -1);
    const size_t mask = m_keys.size() - 1;
    for (size_t i = 0; i < oldKeys.size(); ++i) {
        if (oldListAt[i] < 0)
            continue;
        size_t slot = (oldKeys[i] * HashFactor) >> m_shift;
        while (m_listAt[slot] >= 0)
            slot = (slot + 1) & mask;
        m_keys[slot] = oldKeys[i];
        m_listAt[slot] = oldListAt[i];
    }
}
