#include "BenchSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
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
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
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

namespace {

QString translated(const QString &literal)
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

} // namespace

QStringList Translations(const QStringList &found, qsizetype stride)
{
    QStringList replacements;
    replacements.reserve(found.size());
    for (qsizetype i = 0; i < found.size(); ++i)
        replacements.append(i % stride == 0 ? translated(found[i]) : found[i]);
    return replacements;
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

QString StraightforwardApply(QString text, const QStringList &found, const QStringList &replacements)
{
    for (qsizetype i = 0; i < qMin(found.size(), replacements.size()); ++i) {
        if (found[i].isEmpty() || found[i] == replacements[i])
            continue;
        const qsizetype at = text.indexOf(found[i]);
        if (at >= 0)
            text.replace(at, found[i].size(), replacements[i]);
    }
    return text;
}

void PrintTable(const char *title, const QStringList &columns)
{
    std::printf("\n%s (build type %s; medians)\n\n| %s |\n|", title, ZELVANE_BUILD_TYPE, qPrintable(columns.join(" | ")));
    for (qsizetype i = 0; i < columns.size(); ++i)
        std::printf("---|");
    std::printf("\n");
}

void PrintRow(const QStringList &cells)
{
    std::printf("| %s |\n", qPrintable(cells.join(" | ")));
    std::fflush(stdout);
}

} // namespace Bench
