#pragma once

#include "engine/GramIndex.h"

#include <QString>
#include <QStringView>

#include <array>
#include <memory>
#include <optional>
#include <vector>

// A text kept as a row of short blocks with an index of the grams each block
// holds, so that the first occurrence of a found text is located without
// reading the whole text before it, and a replacement only moves one block.
class BlockedText
{
public:
    BlockedText(QStringView text, qsizetype blockChars);

    // Replaces the first occurrence of find (not empty); false when there is none.
    bool replaceFirst(QStringView find, QStringView replacement);

    QString toString() const;

private:
    struct Position
    {
        qint32 block;
        qsizetype offset;
    };
    // Characters gathered across blocks, with where each came from when asked.
    struct Stretch
    {
        QString chars;
        std::vector<Position> where;
    };

    std::optional<Position> findFirst(QStringView find);
    std::optional<Position> findWithGramIn(qint32 block, QStringView find, qsizetype gramOffset) const;
    Stretch charsBefore(Position at, qsizetype count) const;
    QString charsFrom(Position at, qsizetype count) const;

    // Returns how many blocks the replaced occurrence emptied.
    qsizetype replaceAt(Position at, qsizetype length, QStringView replacement);
    void indexNewGrams(GramIndex &index, Position at, qsizetype replacementLength);

    GramIndex &indexFor(qsizetype findLength);
    void fillIndex(GramIndex &index) const;
    void split(QStringView text);
    void rebuild();

    qsizetype m_blockChars;
    std::vector<QString> m_blocks;
    std::array<std::unique_ptr<GramIndex>, 3> m_indexes; // grams of 1, 2 and 4 characters, built when first needed
};
