#pragma once

#include "engine/GramIndex.h"

#include <QString>
#include <QStringView>
#include <QVarLengthArray>

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
    // Finds of each gram length (see GramSlotFor) are looked up through an
    // index when `indexed` says so, otherwise by reading the blocks in order.
    BlockedText(QStringView text, qsizetype blockChars, std::array<bool, 3> indexed);

    // 0, 1 or 2 for finds looked up through grams of 1, 2 or 4 characters.
    static int GramSlotFor(qsizetype findLength);

    // Replaces the first occurrence of find (not empty); false when there is none.
    bool replaceFirst(QStringView find, QStringView replacement);

    QString toString() const;

private:
    struct Position
    {
        qint32 block;
        qsizetype offset;
    };
    // Characters gathered across blocks; short enough to stay off the heap.
    using Chars = QVarLengthArray<QChar, 64>;
    // Characters just before a place, with where each came from.
    struct Stretch
    {
        Chars chars;
        QVarLengthArray<Position, 16> where;
    };

    // What one block says about a find, through one of its grams.
    struct BlockCheck
    {
        std::optional<Position> found; // the first occurrence whose gram starts in the block
        bool holdsGram = false;
    };

    struct GramChoice
    {
        qsizetype list = -1;   // in the index
        qsizetype offset = 0;  // of the gram in the find
    };

    std::optional<Position> findFirst(QStringView find);
    bool chooseGrams(const GramIndex &index, QStringView find, GramChoice *rarest, GramChoice *second) const;
    std::optional<Position> findByReading(QStringView find) const;
    bool listsBlockNear(GramIndex &index, qsizetype list, qint32 block, qsizetype distance);
    BlockCheck checkBlock(qint32 block, QStringView find, qsizetype gramOffset, QStringView gram) const;
    std::optional<Position> occurrenceAt(qint32 block, qsizetype offset, QStringView find) const;
    Stretch charsBefore(Position at, qsizetype count) const;
    void appendCharsFrom(Position at, qsizetype count, Chars &out) const;

    // Returns how many blocks the replaced occurrence emptied.
    qsizetype replaceAt(Position at, qsizetype length, QStringView replacement);
    void indexNewGrams(GramIndex &index, Position at, qsizetype replacementLength);

    GramIndex &indexFor(int gramSlot);
    void fillIndex(GramIndex &index) const;
    qsizetype expectedGrams(int gramLength) const;
    void split(QStringView text);
    void rebuild();

    qsizetype m_blockChars;
    std::vector<QString> m_blocks;
    std::array<bool, 3> m_indexed;
    std::array<std::unique_ptr<GramIndex>, 3> m_indexes; // grams of 1, 2 and 4 characters, built when first needed
};
