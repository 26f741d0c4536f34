// The fast ApplyPairs must give exactly what applying each row in turn gives.
#include "engine/ReplaceAndSave.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// Each row replaces the first occurrence of its found text in the text the
// rows before it left; an empty found text changes nothing.
QString ApplyPairsOneByOne(QString text, const QStringList &found, const QStringList &replacements)
{
    for (qsizetype i = 0; i < qMin(found.size(), replacements.size()); ++i) {
        if (found[i].isEmpty())
            continue;
        const qsizetype at = text.indexOf(found[i]);
        if (at >= 0)
            text = text.left(at) + replacements[i] + text.mid(at + found[i].size());
    }
    return text;
}

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QStringList fields = fieldsFrom(data, size);
    QStringList found, replacements;
    for (qsizetype i = 1; i < fields.size(); ++i)
        (i % 2 ? found : replacements).append(fields[i]);

    const QString expected = ApplyPairsOneByOne(fields[0], found, replacements);
    const QString actual = ApplyPairs(fields[0], found, replacements);
    if (actual != expected) {
        std::fprintf(stderr, "ApplyPairs: %lld rows\nexpected: %s\nactual:   %s\n",
                     static_cast<long long>(found.size()), qPrintable(expected), qPrintable(actual));
        std::abort();
    }
    return 0;
}
