// Prints the text engine's figures beside baselines measured in the same run.
// The straightforward replace of the largest case runs once, in full (several
// seconds). --smoke runs every step once on tiny inputs (for CTest).
#include "BenchSupport.h"
#include "support/FakeWindow.h"
#include "support/ReferenceApplyPairs.h"

#include "engine/ReplaceAndSave.h"
#include "engine/ScanLiterals.h"
#include "engine/Utf8NoBomFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

using namespace Bench;

namespace {

struct Sizes
{
    qsizetype bigLiterals = 32767;
    qsizetype smallLiterals = 3000;
    qsizetype charsPerLiteral = 100;
    qsizetype realSourceBytes = 20'000'000;
    int runs = 7;
};

QString rate(qsizetype bytes, double value) { return QString::asprintf("%.0f MB/s", MegabytesPerSecond(bytes, value)); }
QString ratio(double figure, double baseline) { return QString::asprintf("%.1fx", figure / baseline); }

void readAndScan(const Sizes &sizes, const QString &folder)
{
    const QString text = GeneratedSource(sizes.bigLiterals, sizes.charsPerLiteral);
    const QByteArray bytes = text.toUtf8();
    const QString path = folder + QStringLiteral("/big.cpp");
    WriteFile(path, bytes);
    const QString input = QString::asprintf("%.1f MB generated, %lld literals", bytes.size() / 1e6,
                                            qlonglong(ScanLiterals(text).size()));

    const double readOnly = MedianMs(sizes.runs, [&] { QFile f(path); f.open(QIODevice::ReadOnly); (void)f.readAll(); });
    const double readDecode = MedianMs(sizes.runs, [&] { (void)Utf8NoBomFile::ReadUtf8Text(path); });
    PrintRow("ReadUtf8Text (read and decode)", input, rate(bytes.size(), readDecode) + " (" + Ms(readDecode) + ")",
             "read only: " + rate(bytes.size(), readOnly), "-");

    QStringList rows;
    const double scan = MedianMs(sizes.runs, [&] { rows = ScanLiterals(text); }, [&] { rows = QStringList(); });
    const double quotes = MedianMs(sizes.runs, [&] { (void)CountQuotes(bytes); });
    PrintRow("ScanLiterals", input, rate(bytes.size(), scan) + " (" + Ms(scan) + ")",
             "memchr quote count: " + rate(bytes.size(), quotes) + "; scan is " + ratio(scan, quotes), "-");
}

void scanRealSource(const Sizes &sizes)
{
    const QByteArray bytes = InstalledCppSource(sizes.realSourceBytes);
    const QString text = QString::fromUtf8(bytes);
    QStringList rows;
    const auto [scan, quotes] = AlternatingMedianMs(
        sizes.runs, [&] { rows = ScanLiterals(text); }, [&] { (void)CountQuotes(bytes); },
        [&] { rows = QStringList(); });
    const auto [hotScan, hotQuotes] = std::pair(
        MedianMs(sizes.runs, [&] { rows = ScanLiterals(text); }, [&] { rows = QStringList(); }),
        MedianMs(sizes.runs, [&] { (void)CountQuotes(bytes); }));
    const QString input = QString::asprintf("%.1f MB of installed C++ headers, %lld rows", bytes.size() / 1e6,
                                            qlonglong(rows.size()));
    PrintRow("ScanLiterals, text in memory (runs alternating with the quote count)", input,
             rate(bytes.size(), scan) + " (" + Ms(scan) + ")",
             "memchr quote count: " + rate(bytes.size(), quotes) + " (" + Ms(quotes) + "); scan is "
                 + ratio(scan, quotes),
             "within 5x");
    PrintRow("The same, each pass repeated on its own (caches warm)", input,
             rate(bytes.size(), hotScan) + " (" + Ms(hotScan) + ")",
             "memchr quote count: " + rate(bytes.size(), hotQuotes) + " (" + Ms(hotQuotes) + "); scan is "
                 + ratio(hotScan, hotQuotes),
             "-");
}

// The straightforward replace, run in full: its later rows search further,
// so a prefix would not scale up honestly. Slow cases run once.
QString plainBaseline(const QString &text, const QStringList &found, const QStringList &replacements,
                      const QString &fastResult, int runs, double *plain)
{
    QString result;
    *plain = MedianMs(runs, [&] { result = ApplyPairsOneByOne(text, found, replacements); });
    return QString::asprintf("straightforward: %.0f ms%s; %s", *plain, runs == 1 ? " (one run)" : "",
                             result == fastResult ? "same text" : "DIFFERENT TEXT");
}

// Returns the straightforward replace's time.
double applyPairs(const Sizes &sizes, qsizetype literals, qsizetype stride, const QString &target)
{
    const QString text = GeneratedSource(literals, sizes.charsPerLiteral, quint32(literals));
    const QStringList found = ScanLiterals(text);
    const QStringList replacements = Translations(found, stride);
    qsizetype changed = 0;
    for (qsizetype i = 0; i < found.size(); ++i)
        changed += found[i] != replacements[i];
    const QString input = QString::asprintf("%lld rows (%lld changed) over %.1f MB", qlonglong(found.size()),
                                            qlonglong(changed), text.toUtf8().size() / 1e6);

    QString result;
    const double fast = MedianMs(sizes.runs, [&] { result = ApplyPairs(text, found, replacements); });
    const int plainRuns = changed > sizes.smallLiterals ? 1 : 3;
    double plain = 0;
    const QString baseline = plainBaseline(text, found, replacements, result, plainRuns, &plain);
    PrintRow(stride == 1 ? "ApplyPairs, every row changed" : "ApplyPairs, few rows changed", input, Ms(fast),
             baseline + QString::asprintf(" (%.0fx faster)", plain / fast), target);
    return plain;
}

// The same text and rows as the largest replace above, whose straightforward time is given.
void wholeReplace(const Sizes &sizes, const QString &folder, double plainApply)
{
    FakeWindow host;
    host.folder = folder;
    host.selected = QStringLiteral("replace.cpp");
    const QString original = GeneratedSource(sizes.bigLiterals, sizes.charsPerLiteral, quint32(sizes.bigLiterals));
    host.found = ScanLiterals(original);
    host.replacements = Translations(host.found);
    const QString path = folder + QLatin1Char('/') + host.selected;
    host.loaded = path;
    const double whole = MedianMs(
        sizes.runs, [&] { ReplaceAndSave(host); },
        [&] {
            WriteFile(path, original.toUtf8());
            host.text = original;
        });
    const double apply = MedianMs(sizes.runs, [&] { (void)ApplyPairs(original, host.found, host.replacements); });
    PrintRow("The whole replace: pairs, backup, write (engine, no window)",
             QString::asprintf("%lld changed rows over %.1f MB", qlonglong(host.found.size()),
                               original.toUtf8().size() / 1e6),
             Ms(whole),
             "ApplyPairs alone: " + Ms(apply) + QString::asprintf("; straightforward ApplyPairs alone: %.0f ms", plainApply),
             "at most 400 ms");
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    Sizes sizes;
    if (args.contains(QStringLiteral("--smoke"))) {
        sizes = {300, 30, 100, 200'000, 1};
    }

    QTemporaryDir folder;
    if (!folder.isValid())
        qFatal("no temporary folder");
    PrintHeader("Zelvane text engine", sizes.runs);
    readAndScan(sizes, folder.path());
    scanRealSource(sizes);
    const double plainBig = applyPairs(sizes, sizes.bigLiterals, 1, "at most 300 ms");
    applyPairs(sizes, sizes.smallLiterals, 1, "at most 10 ms");
    applyPairs(sizes, sizes.bigLiterals, 300, "-");
    wholeReplace(sizes, folder.path(), plainBig);
    return 0;
}
