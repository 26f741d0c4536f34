// Prints the text engine's figures beside baselines measured in the same run.
// --smoke runs every step once on tiny inputs (for CTest); --full-baseline
// runs the straightforward replace of the largest case in full (about 20 s)
// instead of estimating it from its first rows.
#include "BenchSupport.h"

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
    qsizetype plainPrefixRows = 2000;
    int runs = 7;
    bool fullBaseline = false;
};

// A replace host with no window: the rows and the file, messages counted.
class BenchHost : public ReplaceHost
{
public:
    QString text, folder, fileName;
    QStringList found, replacements;
    int messages = 0;

    QString sourceText() const override { return text; }
    void setSourceText(const QString &t) override { text = t; }
    void setCurrentPath(const QString &) override {}
    QStringList foundRows() const override { return found; }
    QStringList replacementRows() const override { return replacements; }
    QString fileFolder() const override { return folder; }
    QString selectedFileName() const override { return fileName; }
    QString loadedFilePath() const override { return folder + QLatin1Char('/') + fileName; }
    void showMessage(const QString &, const QString &, MessageIcon) override { ++messages; }
};

QString ms(double value) { return QString::asprintf("%.1f ms", value); }
QString rate(qsizetype bytes, double value) { return QString::asprintf("%.0f MB/s", MegabytesPerSecond(bytes, value)); }
QString ratio(double figure, double baseline) { return QString::asprintf("%.1fx", figure / baseline); }

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

void readAndScan(const Sizes &sizes, const QString &folder)
{
    const QString text = GeneratedSource(sizes.bigLiterals, sizes.charsPerLiteral);
    const QByteArray bytes = text.toUtf8();
    const QString path = folder + QStringLiteral("/big.cpp");
    writeFile(path, bytes);
    const QString input = QString::asprintf("%.1f MB generated, %lld literals", bytes.size() / 1e6,
                                            qlonglong(ScanLiterals(text).size()));

    const double readOnly = MedianMs(sizes.runs, [&] { QFile f(path); f.open(QIODevice::ReadOnly); (void)f.readAll(); });
    const double readDecode = MedianMs(sizes.runs, [&] { (void)Utf8NoBomFile::ReadUtf8Text(path); });
    PrintRow("ReadUtf8Text (read and decode)", input, rate(bytes.size(), readDecode) + " (" + ms(readDecode) + ")",
             "read only: " + rate(bytes.size(), readOnly), "-");

    QStringList rows;
    const double scan = MedianMs(sizes.runs, [&] { rows = ScanLiterals(text); }, [&] { rows = QStringList(); });
    const double quotes = MedianMs(sizes.runs, [&] { (void)CountQuotes(bytes); });
    PrintRow("ScanLiterals", input, rate(bytes.size(), scan) + " (" + ms(scan) + ")",
             "memchr quote count: " + rate(bytes.size(), quotes) + "; scan is " + ratio(scan, quotes), "-");
}

void scanRealSource(const Sizes &sizes)
{
    const QByteArray bytes = InstalledCppSource(sizes.realSourceBytes);
    const QString text = QString::fromUtf8(bytes);
    QStringList rows;
    const double scan = MedianMs(sizes.runs, [&] { rows = ScanLiterals(text); }, [&] { rows = QStringList(); });
    const double quotes = MedianMs(sizes.runs, [&] { (void)CountQuotes(bytes); });
    const QString input = QString::asprintf("%.1f MB of installed C++ headers, %lld rows", bytes.size() / 1e6,
                                            qlonglong(rows.size()));
    PrintRow("ScanLiterals, text in memory", input, rate(bytes.size(), scan) + " (" + ms(scan) + ")",
             "memchr quote count: " + rate(bytes.size(), quotes) + " (" + ms(quotes) + "); scan is "
                 + ratio(scan, quotes),
             "within 5x");
}

// The straightforward replace of all rows, or of a prefix scaled up.
QString plainBaseline(const QString &text, const QStringList &found, const QStringList &replacements,
                      qsizetype prefixRows, int runs)
{
    if (prefixRows >= found.size()) {
        const double plain = MedianMs(runs, [&] { (void)ApplyPairsPlainly(text, found, replacements); });
        return "straightforward: " + ms(plain);
    }
    const double prefix = MedianMs(1, [&] {
        (void)ApplyPairsPlainly(text, found.first(prefixRows), replacements.first(prefixRows));
    });
    const double estimate = prefix * double(found.size()) / double(prefixRows);
    return QString::asprintf("straightforward: about %.0f ms (estimated: first %lld rows took %.0f ms, scaled)",
                             estimate, qlonglong(prefixRows), prefix);
}

void applyPairs(const Sizes &sizes, qsizetype literals, qsizetype stride, const QString &target)
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
    const bool fullPlain = sizes.fullBaseline || found.size() <= sizes.smallLiterals || stride > 1;
    const qsizetype prefix = fullPlain ? found.size() : sizes.plainPrefixRows;
    QString baseline = plainBaseline(text, found, replacements, prefix, fullPlain && found.size() > sizes.smallLiterals ? 1 : 3);
    if (prefix >= found.size())
        baseline += ApplyPairsPlainly(text, found, replacements) == result ? "; same text" : "; DIFFERENT TEXT";
    PrintRow(stride == 1 ? "ApplyPairs, every row changed" : "ApplyPairs, few rows changed", input, ms(fast),
             baseline, target);
}

void wholeReplace(const Sizes &sizes, const QString &folder)
{
    BenchHost host;
    host.folder = folder;
    host.fileName = QStringLiteral("replace.cpp");
    const QString original = GeneratedSource(sizes.bigLiterals, sizes.charsPerLiteral, 7);
    host.found = ScanLiterals(original);
    host.replacements = Translations(host.found);
    const QString path = folder + QLatin1Char('/') + host.fileName;
    const double whole = MedianMs(
        sizes.runs, [&] { ReplaceAndSave(host); },
        [&] {
            writeFile(path, original.toUtf8());
            host.text = original;
        });
    const double apply = MedianMs(sizes.runs, [&] { (void)ApplyPairs(original, host.found, host.replacements); });
    PrintRow("The whole replace: pairs, backup, write (engine, no window)",
             QString::asprintf("%lld changed rows over %.1f MB", qlonglong(host.found.size()), original.size() / 1e6),
             ms(whole), "of which ApplyPairs: " + ms(apply), "at most 400 ms");
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    Sizes sizes;
    if (args.contains(QStringLiteral("--smoke"))) {
        sizes = {300, 30, 100, 200'000, 20, 1, false};
    }
    sizes.fullBaseline = args.contains(QStringLiteral("--full-baseline"));

    QTemporaryDir folder;
    if (!folder.isValid())
        qFatal("no temporary folder");
    PrintHeader("Zelvane text engine", sizes.runs);
    readAndScan(sizes, folder.path());
    scanRealSource(sizes);
    applyPairs(sizes, sizes.bigLiterals, 1, "at most 300 ms");
    applyPairs(sizes, sizes.smallLiterals, 1, "at most 10 ms");
    applyPairs(sizes, sizes.bigLiterals, 300, "-");
    wholeReplace(sizes, folder.path());
    return 0;
}
