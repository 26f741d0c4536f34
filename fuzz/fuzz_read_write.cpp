// Arbitrary bytes on disk: valid UTF-8 must survive reading and writing back
// byte for byte; anything else must be refused with a message naming the file
// and the first bad byte. Nothing may crash, and no temporary file may stay.
#include "engine/files/FileError.h"
#include "engine/files/Utf8NoBomFile.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "read/write: %s\n", what);
    std::abort();
}

// Bytes are valid UTF-8 when decoding and encoding them again gives them back:
// every ill-formed sequence decodes to U+FFFD, which encodes otherwise. Leading
// byte-order marks are valid, but fromUtf8 drops one.
bool isValidUtf8(QByteArray bytes)
{
    while (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("输入.cpp"));
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    Utf8NoBomFile::WriteAtomically(bytes, path);
    try {
        Utf8NoBomFile::WriteUtf8NoBom(Utf8NoBomFile::ReadUtf8Text(path), path);
        QFile file(path);
        if (!isValidUtf8(bytes) || !file.open(QIODevice::ReadOnly) || file.readAll() != bytes)
            fail("the bytes did not come back, or were not valid UTF-8");
    } catch (const FileError &error) {
        // The bytes before the one the problem names are valid; with it they are not; its line is the one it stands on.
        const qsizetype bad = error.offset();
        const bool named = error.path() == path && error.problem().line == bytes.left(qMax<qsizetype>(bad, 0)).count('\n') + 1;
        if (isValidUtf8(bytes) || !named || bad < 0 || !isValidUtf8(bytes.left(bad)))
            fail("a wrong refusal");
    }
    if (QDir(folder.path()).entryList(QDir::Files | QDir::Hidden) != QStringList{QStringLiteral("输入.cpp")})
        fail("a temporary file was left in the folder");
    return 0;
}
