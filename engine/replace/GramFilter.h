#pragma once

#include <QStringView>

#include <vector>

// The grams (runs of 2, 4, 8 or 16 characters) that occur in a text, kept as bits
// of one table the way a Bloom filter keeps them: it may say "maybe" for a
// find that does not occur, never "no" for one that does.
class GramFilter
{
public:
    explicit GramFilter(qsizetype expectedChars);

    // Adds the grams that start in [from, to) and end inside the text.
    void add(QStringView text, qsizetype from, qsizetype to);

    // False only when the find cannot occur in a text whose grams were all
    // added. A find of one character always may.
    bool mayContain(QStringView find) const;

private:
    bool has(quint64 hash) const;
    void set(quint64 hash);

    std::vector<quint64> m_words;
    int m_shift = 64; // a hash's top bits pick the bit
};
