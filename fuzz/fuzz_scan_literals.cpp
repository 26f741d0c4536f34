// The scanner must list exactly what the plain rule lists, whatever the text,
// lone surrogates included.
#include "Reference.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The input's bytes, two at a time, as UTF-16 code units (little-endian).
    QString text(qsizetype(size / 2), Qt::Uninitialized);
    for (size_t i = 0; i + 1 < size; i += 2)
        text[qsizetype(i / 2)] = QChar(char16_t(data[i] | (data[i + 1] << 8)));

    const QList<LiteralSpan> expected = ReferenceSpans(text);
    const QList<LiteralSpan> spans = ScanLiteralSpans(text);
    const QStringList rows = ScanLiterals(text);
    bool same = spans.size() == expected.size() && rows.size() == expected.size();
    for (qsizetype i = 0; same && i < spans.size(); ++i) {
        same = spans[i].start == expected[i].start && spans[i].length == expected[i].length
            && rows[i] == text.mid(expected[i].start, expected[i].length);
    }
    if (!same) {
        std::fprintf(stderr, "ScanLiterals differs from the plain rule on: %s\n", qPrintable(text));
        std::abort();
    }
    return 0;
}
