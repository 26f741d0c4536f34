// Every literal the scanner lists must hold the invariants the editor and the
// replace rely on, whatever the text, lone surrogates included.
#include "engine/ScanLiterals.h"

#include <cstdint>
#include <cstdlib>
#include <cstdio>

namespace {

void fail(const char *what, const QString &literal)
{
    std::fprintf(stderr, "ScanLiterals: %s: \"%s\"\n", what, qPrintable(literal));
    std::abort();
}

// The input's bytes, two at a time, as UTF-16 code units (little-endian).
QString textFrom(const uint8_t *data, size_t size)
{
    QString text(qsizetype(size / 2), Qt::Uninitialized);
    for (size_t i = 0; i + 1 < size; i += 2)
        text[qsizetype(i / 2)] = QChar(char16_t(data[i] | (data[i + 1] << 8)));
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = textFrom(data, size);
    const QStringList literals = ScanLiterals(text);

    if (literals.size() > text.count(u'"') / 2)
        fail("more literals than pairs of marks", QString::number(literals.size()));

    qsizetype from = 0;
    for (const QString &literal : literals) {
        if (literal.isEmpty())
            fail("empty literal", literal);
        if (literal.startsWith(u' ') || literal.endsWith(u' '))
            fail("untrimmed space", literal);
        if (literal.contains(u'"') || literal.contains(u'\t'))
            fail("holds a mark or a TAB", literal);
        const qsizetype at = text.indexOf(literal, from);
        if (at < 0)
            fail("not found verbatim, in order", literal);
        from = at + literal.size();
    }
    return 0;
}
