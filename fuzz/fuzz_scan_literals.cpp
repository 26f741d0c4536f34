// Every literal the scanner lists must hold the invariants the editor and the
// replace rely on, whatever the text, lone surrogates included.
#include "support/ScanInvariants.h"

#include "engine/ScanLiterals.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The input's bytes, two at a time, as UTF-16 code units (little-endian).
    QString text(qsizetype(size / 2), Qt::Uninitialized);
    for (size_t i = 0; i + 1 < size; i += 2)
        text[qsizetype(i / 2)] = QChar(char16_t(data[i] | (data[i + 1] << 8)));

    const QString broken = ScanInvariantBroken(text, ScanLiterals(text));
    if (!broken.isEmpty()) {
        std::fprintf(stderr, "ScanLiterals: %s\n", qPrintable(broken));
        std::abort();
    }
    return 0;
}
