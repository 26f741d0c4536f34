// The dry run's diff says exactly what the import writes: `patch` applied with
// it to the old text gives, byte for byte, the text the import writes, on
// random texts of strings, line breaks of every kind, and backslash-newlines
// anywhere (the last line too), each string given a translation or not.
#include "engine/replace/OwnLiterals.h"
#include "engine/replace/UnifiedDiff.h"
#include "engine/scan/CodeStrings.h"
#include "engine/scan/CppEscapes.h"
#include "engine/scan/ScanLiterals.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

namespace {

const char16_t *const Pieces[] = {
    u"\"", u"\\", u"\n", u"\r\n", u"\r", u"\\\n", u"\\\r\n", u"a", u"中", u" ", u"x(", u");", u"//", u"/*", u"*/",
    u"R\"(", u")\"", u"'", u"\t", u"\"\\n\"", u"b\n", u"\n\n\n\n",
};
const char16_t *const Translations[] = {u"", u"你好", u"a\nb", u"x\\y", u"\"q\"", u"\r", u"line one\nline two\nline three"};

std::string folder()
{
    static std::string made = [] {
        char name[] = "/tmp/fuzz_diff_patch.XXXXXX";
        if (!mkdtemp(name))
            std::abort();
        return std::string(name);
    }();
    return made;
}

void writeFile(const std::string &path, const QByteArray &bytes)
{
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(bytes.constData(), 1, size_t(bytes.size()), file) != size_t(bytes.size()) || std::fclose(file) != 0)
        std::abort();
}

QByteArray readFile(const std::string &path)
{
    QByteArray bytes;
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (!file)
        std::abort();
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        bytes.append(buffer, qsizetype(n));
    std::fclose(file);
    return bytes;
}

[[noreturn]] void fail(const char *what, const QString &text, const QString &diff)
{
    std::fprintf(stderr, "%s\n--- text:\n%s\n--- diff:\n%s\n", what, qPrintable(text), qPrintable(diff));
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The bytes up to the first 0xFF pick the text's pieces; those after it pick each string's translation.
    size_t split = 0;
    QString text;
    for (; split < size && data[split] != 0xFF; ++split)
        text += QStringView(Pieces[data[split] % std::size(Pieces)]);
    const uint8_t *choices = data + split + (split < size);
    const size_t choiceCount = size - split - (split < size);

    const TextRows rows = ScanRows(text, true);
    const QStringList found = LiteralsAt(text, rows.spans);
    QStringList replacements = found;
    for (qsizetype i = 0; i < found.size() && choiceCount > 0; ++i) {
        const uint8_t choice = choices[size_t(i) % choiceCount];
        if (choice & 1)
            continue;
        const QString translation = QString::fromUtf16(Translations[(choice >> 1) % std::size(Translations)]);
        const bool raw = !rows.rawDelimiters.value(i).isNull();
        replacements[i] = raw ? QString(translation).remove(u'"').remove(u')') : EncodeCppEscapes(translation);
    }
    const OwnLiterals own = ReplaceOwnLiterals(text, rows.spans, replacements);
    const QString diff = UnifiedDiff(QStringLiteral("f.cpp"), text, rows.spans, own.text, own.spans);
    if (diff.isEmpty() != (own.text == text))
        fail("the diff is empty exactly when nothing changes", text, diff);
    if (diff.isEmpty())
        return 0;
    const std::string dir = folder();
    writeFile(dir + "/f.cpp", text.toUtf8());
    writeFile(dir + "/d.diff", diff.toUtf8());
    const std::string patch = "cd " + dir + " && patch -s -p0 --no-backup-if-mismatch -r - -i d.diff >/dev/null 2>&1";
    if (std::system(patch.c_str()) != 0)
        fail("patch refused the diff", text, diff);
    if (readFile(dir + "/f.cpp") != own.text.toUtf8())
        fail("patch with the diff gave other bytes than the import writes", text, diff);
    return 0;
}
