#include "engine/scan/FindText.h"

#include <algorithm>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

bool middleMatches(const QChar *at, QStringView needle)
{
    return std::memcmp(at + 1, needle.data() + 1, (needle.size() - 2) * sizeof(QChar)) == 0;
}

} // namespace

qsizetype FindText(QStringView haystack, QStringView needle, qsizetype from)
{
    const qsizetype n = needle.size();
    if (n == 0)
        return from <= haystack.size() ? qMax<qsizetype>(0, from) : -1;
    if (n == 1)
        return haystack.indexOf(needle.front(), from);
    const qsizetype lastStart = haystack.size() - n; // the last position an occurrence can start at
    const QChar *text = haystack.data();
    const char16_t first = needle.front().unicode();
    const char16_t last = needle.back().unicode();
    qsizetype i = qMax<qsizetype>(0, from);
#ifdef __SSE2__
    // Eight starting positions at a time: compare the first and the last
    // character of each, then the middle of the few that pass.
    const __m128i firsts = _mm_set1_epi16(short(first));
    const __m128i lasts = _mm_set1_epi16(short(last));
    for (; i + 7 <= lastStart; i += 8) {
        const __m128i heads = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text + i));
        const __m128i tails = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text + i + n - 1));
        unsigned mask = unsigned(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi16(heads, firsts),
                                                                 _mm_cmpeq_epi16(tails, lasts))));
        while (mask) {
            const int bit = __builtin_ctz(mask);
            if (middleMatches(text + i + bit / 2, needle))
                return i + bit / 2;
            mask &= ~(3u << bit);
        }
    }
#endif
    for (; i <= lastStart; ++i) {
        if (text[i].unicode() == first && text[i + n - 1].unicode() == last && middleMatches(text + i, needle))
            return i;
    }
    return -1;
}

qsizetype FindChar(QStringView haystack, char16_t c, qsizetype from)
{
    const char16_t *text = haystack.utf16();
    const qsizetype size = haystack.size();
    qsizetype i = qMax<qsizetype>(0, from);
#ifdef __SSE2__
    const __m128i wanted = _mm_set1_epi16(short(c));
    auto matches = [&](qsizetype at) {
        return _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i *>(text + at)), wanted);
    };
    for (; i + 32 <= size; i += 32) {
        const __m128i a = matches(i), b = matches(i + 8), d = matches(i + 16), e = matches(i + 24);
        if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(d, e))) == 0)
            continue;
        const quint64 mask = quint64(unsigned(_mm_movemask_epi8(a))) | quint64(unsigned(_mm_movemask_epi8(b))) << 16
            | quint64(unsigned(_mm_movemask_epi8(d))) << 32 | quint64(unsigned(_mm_movemask_epi8(e))) << 48;
        return i + __builtin_ctzll(mask) / 2;
    }
#endif
    for (; i < size; ++i) {
        if (text[i] == c)
            return i;
    }
    return -1;
}

qsizetype FindAnyOf(QStringView haystack, QStringView wanted, qsizetype from)
{
    Q_ASSERT(!wanted.isEmpty() && wanted.size() <= 4);
    const char16_t *text = haystack.utf16();
    const qsizetype size = haystack.size();
    qsizetype i = qMax<qsizetype>(0, from);
    char16_t w[4];
    for (int k = 0; k < 4; ++k)
        w[k] = wanted[qMin<qsizetype>(k, wanted.size() - 1)].unicode(); // repeats fill the unused lanes
#ifdef __SSE2__
    // 32 characters a step, narrowed to bytes first: anything above 0xFF
    // saturates to 0x00 or 0xFF, which no wanted character (all below 0x80 here) can be.
    const bool narrow = std::all_of(w, w + 4, [](char16_t c) { return c > 0 && c < 0x80; });
    if (narrow) {
        const __m128i w0 = _mm_set1_epi8(char(w[0])), w1 = _mm_set1_epi8(char(w[1]));
        const __m128i w2 = _mm_set1_epi8(char(w[2])), w3 = _mm_set1_epi8(char(w[3]));
        auto load = [&](qsizetype at) { return _mm_loadu_si128(reinterpret_cast<const __m128i *>(text + at)); };
        auto matches = [&](qsizetype at) {
            const __m128i bytes = _mm_packus_epi16(load(at), load(at + 8));
            return _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, w0), _mm_cmpeq_epi8(bytes, w1)),
                                _mm_or_si128(_mm_cmpeq_epi8(bytes, w2), _mm_cmpeq_epi8(bytes, w3)));
        };
        for (; i + 32 <= size; i += 32) {
            const quint32 mask = quint32(_mm_movemask_epi8(matches(i))) | quint32(_mm_movemask_epi8(matches(i + 16))) << 16;
            if (mask)
                return i + __builtin_ctz(mask);
        }
    }
#endif
    for (; i < size; ++i) {
        const char16_t c = text[i];
        if (c == w[0] || c == w[1] || c == w[2] || c == w[3])
            return i;
    }
    return -1;
}

qsizetype CountChar(QStringView haystack, char16_t c)
{
    const char16_t *text = haystack.utf16();
    const qsizetype size = haystack.size();
    qsizetype i = 0, count = 0;
#ifdef __SSE2__
    // Each lane counts its matches down from zero (a match compares as -1), for
    // at most 0x7FFF steps before the lanes are added up.
    const __m128i wanted = _mm_set1_epi16(short(c));
    while (i + 8 <= size) {
        __m128i lanes = _mm_setzero_si128();
        const qsizetype end = i + qMin<qsizetype>((size - i) / 8, 0x7FFF) * 8;
        for (; i < end; i += 8)
            lanes = _mm_add_epi16(lanes, _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i *>(text + i)), wanted));
        alignas(16) qint16 sums[8];
        _mm_store_si128(reinterpret_cast<__m128i *>(sums), lanes);
        for (const qint16 sum : sums)
            count -= sum;
    }
#endif
    for (; i < size; ++i)
        count += text[i] == c;
    return count;
}
