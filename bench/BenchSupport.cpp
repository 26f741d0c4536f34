#include "BenchSupport.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QStringDecoder>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#ifndef ZELVANE_BUILD_TYPE
#define ZELVANE_BUILD_TYPE "unknown"
#endif

namespace Bench {
namespace {

const char *const Words[] = {
    "open", "file", "cannot", "save", "the", "changes", "before", "closing", "window", "error",
    "value", "invalid", "name", "folder", "select", "replace", "all", "text", "found", "not",
    "settings", "network", "connection", "failed", "retry", "later", "please", "enter", "a", "number",
    "between", "and", "user", "password", "login", "account", "created", "deleted", "item", "items",
    "list", "empty", "loading", "done", "warning", "unknown", "format", "version", "update", "available"};
constexpr int WordCount = int(std::size(Words));

const char *const CommonLiterals[] = {"OK", "Cancel", "%s", "Error", "\\n", "Yes", "No", "%d items", "File", "Edit"};

QString literalText(QRandomGenerator &random)
{
    if (random.bounded(20) == 0) // repeated texts, as real files have
        return QString::fromLatin1(CommonLiterals[random.bounded(int(std::size(CommonLiterals)))]);
    QStringList words;
    const int count = 2 + random.bounded(5);
    for (int i = 0; i < count; ++i)
        words.append(QString::fromLatin1(Words[random.bounded(WordCount)]));
    if (random.bounded(2))
        words.append(QString::number(random.bounded(100000)));
    words.first()[0] = words.first()[0].toUpper();
    return words.join(QLatin1Char(' '));
}

QString codeLine(QRandomGenerator &random, int n, const QString &literal)
{
    switch (random.bounded(4)) {
    case 0: return QStringLiteral("    label%1->setText(tr(\"%2\"));\n").arg(n).arg(literal);
    case 1: return QStringLiteral("    if (count_%1 > limit) report(QStringLiteral(\"%2\"), count_%1);\n").arg(n).arg(literal);
    case 2: return QStringLiteral("    const char *message%1 = \"%2\";\n").arg(n).arg(literal);
    default: return QStringLiteral("    std::printf(\"%2\\n\", value%1);\n").arg(n).arg(literal);
    }
}

QString fillerLine(QRandomGenerator &random, int n)
{
    if (random.bounded(2))
        return QStringLiteral("    // %1 %2 %3 for item %4\n").arg(Words[random.bounded(WordCount)],
                                                                  Words[random.bounded(WordCount)],
                                                                  Words[random.bounded(WordCount)]).arg(n);
    return QStringLiteral("    total += compute(value%1, offset[%2]);\n").arg(n).arg(random.bounded(64));
}

} // namespace

double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double MedianMs(int runs, const std::function<void()> &measured, const std::function<void()> &prepare)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        if (prepare)
            prepare();
        QElapsedTimer timer;
        timer.start();
        measured();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    return Median(times);
}

std::pair<double, double> AlternatingMedianMs(int runs, const std::function<void()> &first,
                                              const std::function<void()> &second,
                                              const std::function<void()> &prepare)
{
    std::vector<double> firstTimes, secondTimes;
    for (int i = 0; i < runs; ++i) {
        firstTimes.push_back(MedianMs(1, first, prepare));
        secondTimes.push_back(MedianMs(1, second));
    }
    return {Median(firstTimes), Median(secondTimes)};
}

QString GeneratedSource(qsizetype literals, qsizetype charsPerLiteral, quint32 seed)
{
    QRandomGenerator random(seed);
    QString text = QStringLiteral("#include <cstdio>\n\nvoid generated()\n{\n");
    for (qsizetype i = 0; i < literals; ++i) {
        const qsizetype target = text.size() + charsPerLiteral;
        text += codeLine(random, int(i), literalText(random));
        while (text.size() + 20 < target) // lines of about 40 characters: overshoot by half of one
            text += fillerLine(random, int(i));
    }
    text += QStringLiteral("}\n");
    return text;
}

QString Translated(const QString &literal)
{
    // Two CJK characters per word, chosen by the word, so equal texts translate alike.
    QString out;
    for (const QString &word : literal.split(QLatin1Char(' '))) {
        const uint hash = qHash(word);
        out += QChar(char16_t(0x4E00 + hash % 0x5000));
        out += QChar(char16_t(0x4E00 + (hash / 0x5000) % 0x5000));
    }
    return out;
}

QStringList Translations(const QStringList &found, qsizetype stride)
{
    QStringList replacements;
    replacements.reserve(found.size());
    for (qsizetype i = 0; i < found.size(); ++i)
        replacements.append(i % stride == 0 ? Translated(found[i]) : found[i]);
    return replacements;
}

QByteArray InstalledCppSource(qsizetype bytes)
{
    QStringList paths;
    for (const char *root : {"/usr/include/c++", "/usr/include/x86_64-linux-gnu/qt6"}) {
        QDirIterator it(QString::fromLatin1(root), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            paths.append(it.next());
    }
    std::sort(paths.begin(), paths.end());
    QByteArray source;
    for (const QString &path : std::as_const(paths)) {
        if (source.size() >= bytes)
            break;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray content = file.readAll();
        QStringDecoder decoder(QStringConverter::Utf8);
        (void)decoder.decode(content);
        if (!decoder.hasError())
            source += content;
    }
    return source; // whole files only, so the bytes stay valid UTF-8
}

qsizetype CountQuotes(const QByteArray &bytes)
{
    const char *p = bytes.constData();
    const char *const end = p + bytes.size();
    qsizetype count = 0;
    while ((p = static_cast<const char *>(std::memchr(p, '"', size_t(end - p))))) {
        ++count;
        ++p;
    }
    return count;
}

double MegabytesPerSecond(qsizetype bytes, double ms)
{
    return bytes / 1e6 / (ms / 1e3);
}

QString Ms(double value)
{
    return QString::asprintf("%.1f ms", value);
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

void PrintHeader(const char *title, int runs)
{
    std::printf("%s (build type %s; medians of %d runs unless noted)\n\n", title, ZELVANE_BUILD_TYPE, runs);
    std::printf("| What | Input | Figure | Baseline in the same run | Target |\n|---|---|---|---|---|\n");
}

void PrintRow(const QString &what, const QString &input, const QString &figure, const QString &baseline,
              const QString &target)
{
    std::printf("| %s | %s | %s | %s | %s |\n", qPrintable(what), qPrintable(input), qPrintable(figure),
                qPrintable(baseline), qPrintable(target));
    std::fflush(stdout);
}

} // namespace Bench
