// The fast ApplyPairs must give exactly what applying each row in turn gives,
// also with blocks and an index small enough for a short input to cross them.
#include "support/ReferenceApplyPairs.h"

#include "engine/ApplyPairsTuning.h"
#include "engine/ReplaceAndSave.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// A small alphabet makes found texts occur often; surrogate halves and a
// CJK character keep code-unit comparisons honest.
constexpr char16_t Alphabet[] = {u'a', u'b', u'c', u' ', u'"', u'\\', u'\n', u'中', 0xD83D, 0xDE00};
constexpr uint8_t FieldEnd = 0xFF;   // ends the text or a row's field
constexpr uint8_t RawUnit = 0xFE;    // the next two bytes are one code unit

// Field 0 is the text; then found, replacement, found, replacement, ...
QStringList fieldsFrom(const uint8_t *data, size_t size)
{
    QStringList fields{QString()};
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == FieldEnd) {
            fields.append(QString());
        } else if (data[i] == RawUnit && i + 2 < size) {
            fields.last().append(QChar(char16_t(data[i + 1] | (data[i + 2] << 8))));
            i += 2;
        } else {
            fields.last().append(QChar(Alphabet[data[i] % std::size(Alphabet)]));
        }
    }
    return fields;
}

void check(const QString &actual, const QString &expected, const char *how, qsizetype rows)
{
    if (actual == expected)
        return;
    std::fprintf(stderr, "ApplyPairs (%s): %lld rows\nexpected: %s\nactual:   %s\n", how,
                 static_cast<long long>(rows), qPrintable(expected), qPrintable(actual));
    std::abort();
}

} // namespace

// The first byte picks the small tuning; the rest are the text and the rows.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    ApplyPairsTuning small;
    small.blockChars = 1 + data[0] % 8;
    small.plainPasses = data[0] / 8 % 3; // 0: blocks from the first changed row
    if (data[0] / 24 % 2 == 0)
        small.rowsBeforeIndex = {0, 0, 0}; // look every find up through the gram index

    const QStringList fields = fieldsFrom(data + 1, size - 1);
    QStringList found, replacements;
    for (qsizetype i = 1; i < fields.size(); ++i)
        (i % 2 ? found : replacements).append(fields[i]);

    const QString expected = ApplyPairsOneByOne(fields[0], found, replacements);
    check(ApplyPairs(fields[0], found, replacements), expected, "as shipped", found.size());
    check(ApplyPairsTuned(fields[0], found, replacements, small), expected, "small blocks", found.size());
    return 0;
}
