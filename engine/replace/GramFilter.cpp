#include "engine/replace/GramFilter.h"

#include <cstring>

namespace {

// Grams are hashed from the characters' raw code units, read a few at a time.
quint32 load2(const QChar *at)
{
    quint32 value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

quint64 load4(const QChar *at)
{
    quint64 value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

// One multiplier per gram length, so that grams of different lengths rarely share bits.
quint64 hash2(const QChar *at) { return load2(at) * 0x9E3779B97F4A7C15ull; }
quint64 hash4(const QChar *at) { return load4(at) * 0xC2B2AE3D27D4EB4Full; }
quint64 hash8(const QChar *at) { return ((load4(at) * 0x165667B19E3779F9ull) ^ load4(at + 4)) * 0xD6E8FEB86659FD93ull; }
quint64 hash16(const QChar *at) { return ((hash8(at) ^ load4(at + 8)) * 0x9FB21C651E98DF25ull ^ load4(at + 12)) * 0xC2B2AE3D27D4EB4Full; }

constexpr int GramLengths[] = {16, 8, 4, 2}; // the longest rule out the most

quint64 hashOf(int gramLength, const QChar *at)
{
    switch (gramLength) {
    case 16: return hash16(at);
    case 8: return hash8(at);
    case 4: return hash4(at);
    default: return hash2(at);
    }
}

} // namespace

GramFilter::GramFilter(qsizetype expectedChars)
{
    // About four bits per character. Four grams start at each, but most grams
    // of a source file repeat; a larger table costs more in cache misses than
    // its fewer false "maybe"s save (measured with the engine benchmark).
    int bits = 12;
    while (bits < 31 && (qsizetype(1) << bits) < expectedChars * 4)
        ++bits;
    m_shift = 64 - bits;
    m_words.assign(size_t(1) << (bits - 6), 0);
}

bool GramFilter::has(quint64 hash) const
{
    const quint64 bit = hash >> m_shift;
    return (m_words[bit >> 6] >> (bit & 63)) & 1;
}

void GramFilter::set(quint64 hash)
{
    const quint64 bit = hash >> m_shift;
    m_words[bit >> 6] |= quint64(1) << (bit & 63);
}

void GramFilter::add(QStringView text, qsizetype from, qsizetype to)
{
    const QChar *chars = text.data();
    const qsizetype size = text.size();
    for (qsizetype i = qMax<qsizetype>(0, from); i < to; ++i) {
        if (i + 2 > size)
            break;
        set(hash2(chars + i));
        if (i + 4 <= size)
            set(hash4(chars + i));
        if (i + 8 <= size)
            set(hash8(chars + i));
        if (i + 16 <= size)
            set(hash16(chars + i));
    }
}

bool GramFilter::mayContain(QStringView find) const
{
    for (const int gram : GramLengths) {
        for (qsizetype i = 0; i + gram <= find.size(); ++i) {
            if (!has(hashOf(gram, find.data() + i)))
                return false;
        }
    }
    return true;
}
