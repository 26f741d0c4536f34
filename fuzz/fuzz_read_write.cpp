// Arbitrary bytes on disk: valid UTF-8 must survive reading and writing back
// byte for byte; anything else must be refused with a message naming the file.
// Nothing may crash, and no temporary file may be left behind.
#include "engine/FileError.h"
#include "engine/Utf8NoBomFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void fail(const char *what)
{
    std::fprintf(stderr, "read/write: %s\n", what);
    std::abort();
}

// Well-formed UTF-8, checked by decoding each code point: no overlong forms,
// no surrogates, nothing beyond U+10FFFF, no truncated sequence.
bool isValidUtf8(const QByteArray &bytes)
{
    qsizetype i = 0;
    while (i < bytes.size()) {
        const uint8_t lead = uint8_t(bytes[i]);
        int extra = lead < 0x80 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
        if (extra < 0 || lead > 0xF7 || i + extra >= bytes.size())
            return false;
        uint32_t codePoint = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            const uint8_t next = uint8_t(bytes[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            codePoint = (codePoint << 6) | (next & 0x3F);
        }
        const uint32_t smallest[] = {0, 0x80, 0x800, 0x10000};
        if (codePoint < smallest[extra] || codePoint > 0x10FFFF
            || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail("cannot read back the written file");
    return file.readAll();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("输入.cpp"));
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            fail("cannot prepare the input file");
    }

    const bool valid = isValidUtf8(bytes);
    try {
        const QString text = Utf8NoBomFile::ReadUtf8Text(path);
        if (!valid)
            fail("invalid UTF-8 was accepted");
        Utf8NoBomFile::WriteUtf8NoBom(text, path);
        if (contentOf(path) != bytes)
            fail("valid UTF-8 did not come back byte for byte");
    } catch (const FileError &error) {
        if (valid)
            fail("valid UTF-8 was refused");
        if (!error.message().contains(path))
            fail("the refusal does not name the file");
    }

    if (QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::System) != QStringList{"输入.cpp"})
        fail("a temporary file was left in the folder");
    return 0;
}
