// Prints the text engine's figures beside baselines measured in the same run:
// reading and scanning, and ApplyPairs and PlanLandings against the
// straightforward loop over a matrix of workloads; the replaces that keep the
// literals' places, and the replacement checks. --smoke runs every step once
// on tiny inputs (for CTest).
#include "BenchSupport.h"

#include "engine/replace/ApplyPairs.h"
#include "engine/catalog/Catalog.h"
#include "engine/scan/CodeStrings.h"
#include "engine/replace/Landing.h"
#include "engine/replace/OwnLiterals.h"
#include "engine/replace/ReplaceAndSave.h"
#include "engine/replace/ReplacementChecks.h"
#include "engine/scan/ScanLiterals.h"
#include "engine/files/Utf8NoBomFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstring>

using namespace Bench;

namespace {

bool g_smoke = false;
int runs() { return g_smoke ? 1 : 5; }

enum class Kind { Empty, Shorter, Equal, Longer, Long1000, Long1600, Long2000 };
const char *const KindNames[] = {"empty", "shorter", "same length", "longer", "1,000 chars", "1,600 chars", "2,000 chars"};

// Literals msg_<row>_<random> behind `gap` random lowercase letters, one a
// line; every 50th row's literal is "," or "a", which also occur elsewhere.
QString matrixText(qsizetype rows, int gap, QStringList *found)
{
    QRandomGenerator random(quint32(rows * 1000 + gap));
    const auto letters = [&random](int count) {
        QString out(count, Qt::Uninitialized);
        for (QChar &c : out)
            c = QChar(u'a' + random.bounded(26));
        return out;
    };
    QString text;
    for (qsizetype row = 0; row < rows; ++row) {
        const QString literal = row % 50 == 7 ? QString(row % 100 == 7 ? u',' : u'a')
                                              : QStringLiteral("msg_%1_%2").arg(row).arg(letters(6));
        text += letters(gap) + u'"' + literal + QStringLiteral("\", ");
        found->append(literal);
    }
    return text;
}

QString replacementFor(const QString &find, Kind kind)
{
    switch (kind) {
    case Kind::Empty: return QString();
    case Kind::Shorter: return find.left((find.size() + 1) / 2 - (find.size() == 1));
    case Kind::Equal: return find.toUpper() == find ? QStringLiteral(";") : find.toUpper();
    case Kind::Longer: return find.toUpper() + QStringLiteral("_DONE");
    case Kind::Long1000: return QString(1000, u'X');
    case Kind::Long1600: return QString(1600, u'Y');
    case Kind::Long2000: return QString(2000, u'Z');
    }
    return QString();
}

QString ratio(double figure, double baseline) { return QString::asprintf("%.2f", figure / baseline); }

// ApplyPairs against the straightforward loop; the goal is at most 1.2 times its time plus 2 ms.
void compare(const QString &workload, const QString &text, const QStringList &found, const QStringList &replacements)
{
    QString fast, plain;
    const double fastMs = MedianMs(runs(), [&] { fast = ApplyPairs(text, found, replacements); });
    const double once = MedianMs(1, [&] { plain = StraightforwardApply(text, found, replacements); });
    const double plainMs = once > 2000 ? once : MedianMs(runs(), [&] { plain = StraightforwardApply(text, found, replacements); });
    qsizetype changed = 0;
    for (qsizetype i = 0; i < found.size(); ++i)
        changed += found[i] != replacements[i];
    PrintRow({workload, QString::number(found.size()), QString::number(changed),
              QString::asprintf("%.1f MB", text.size() * 2 / 1e6), Ms(fastMs), Ms(plainMs), ratio(fastMs, plainMs),
              fast != plain ? "DIFFERENT TEXT" : fastMs <= 1.2 * plainMs + 2 ? "yes" : "NO"});
}

void applyPairsMatrix()
{
    PrintTable("ApplyPairs against the straightforward loop",
               {"Workload", "Rows", "Changed", "Text", "ApplyPairs", "Straightforward", "Ratio", "Within 1.2x + 2 ms"});
    const QList<qsizetype> rowCounts = g_smoke ? QList<qsizetype>{100} : QList<qsizetype>{100, 3000, 32767};
    for (const qsizetype rows : rowCounts) {
        for (const int gap : {0, 80, 300}) {
            QStringList found;
            const QString text = matrixText(rows, gap, &found);
            for (const Kind kind : {Kind::Empty, Kind::Shorter, Kind::Equal, Kind::Longer, Kind::Long2000}) {
                if ((rows > 3000 && kind == Kind::Long2000) || (rows > 3000 && gap != 80 && kind != Kind::Longer))
                    continue; // the straightforward loop would take hours, or just repeat a row above
                for (const int every : {1, 100}) {
                    QStringList replacements = found;
                    for (qsizetype i = 0; i < found.size(); i += every)
                        replacements[i] = replacementFor(found[i], kind);
                    compare(QStringLiteral("%1 letters between, %2, %3").arg(gap).arg(KindNames[int(kind)])
                                .arg(every == 1 ? "all changed" : "1% changed"),
                            text, found, replacements);
                }
            }
        }
    }
    // Texts that grow a lot, and C++-like sources whose literals repeat and also occur in code.
    for (const auto &[rows, gap, kind] : {std::tuple{1000, 300, Kind::Long1000}, std::tuple{8000, 80, Kind::Long1600}}) {
        QStringList found;
        const QString text = matrixText(g_smoke ? 100 : rows, gap, &found);
        QStringList replacements;
        for (const QString &find : found)
            replacements.append(replacementFor(find, kind));
        compare(QStringLiteral("%1 letters between, %2, all changed").arg(gap).arg(KindNames[int(kind)]), text, found,
                replacements);
    }
    for (const qsizetype literals : {217, 3000, 32767}) {
        const QString text = GeneratedSource(g_smoke ? 30 : literals, 125, quint32(literals));
        const QStringList found = ScanLiterals(text);
        compare(QStringLiteral("C++-like source, every literal translated"), text, found, Translations(found));
    }
}

// Where the marks come from: PlanLandings on the same rows as ApplyPairs.
void planLandings()
{
    PrintTable("PlanLandings", {"Workload", "Rows", "PlanLandings", "ApplyPairs on the same rows", "Target"});
    for (const qsizetype rows : {3000, 32767}) {
        QStringList found;
        const QString text = matrixText(g_smoke ? 100 : rows, 80, &found);
        QStringList replacements;
        for (const QString &find : found)
            replacements.append(replacementFor(find, Kind::Longer));
        const double plan = MedianMs(runs(), [&] { (void)PlanLandings(text, found, replacements); });
        const double apply = MedianMs(runs(), [&] { (void)ApplyPairs(text, found, replacements); });
        PrintRow({QStringLiteral("80 letters between, all changed"), QString::number(found.size()), Ms(plan), Ms(apply),
                  rows > 3000 ? "well under a second" : "-"});
        // After a replace the finds are gone from the text: every row finds nothing.
        const QString written = ApplyPairs(text, found, replacements);
        const double after = MedianMs(runs(), [&] { (void)PlanLandings(written, found, replacements); });
        PrintRow({QStringLiteral("the same after the replace (no row finds its text)"), QString::number(found.size()),
                  Ms(after), "-", "-"});
    }
}

void readScanAndReplace(const QString &folder)
{
    PrintTable("Reading, scanning and the whole replace", {"What", "Input", "Figure", "Baseline in the same run"});
    const QString text = GeneratedSource(g_smoke ? 300 : 32767, 100);
    const QByteArray bytes = text.toUtf8();
    const QString path = folder + QStringLiteral("/big.cpp");
    WriteFile(path, bytes);
    const QString input = QString::asprintf("%.1f MB, %lld literals", bytes.size() / 1e6,
                                            qlonglong(ScanLiterals(text).size()));

    const double read = MedianMs(runs(), [&] { QFile f(path); f.open(QIODevice::ReadOnly); (void)f.readAll(); });
    const double decode = MedianMs(runs(), [&] { (void)Utf8NoBomFile::ReadUtf8Text(path); });
    PrintRow({"ReadUtf8Text", input, Ms(decode), "reading the bytes alone: " + Ms(read)});

    const double scan = MedianMs(runs(), [&] { (void)ScanLiterals(text); });
    volatile qsizetype quoteCount = 0; // read, so that the count is not optimised away
    const double quotes = MedianMs(runs(), [&] {
        qsizetype count = 0;
        for (const char *p = bytes.constData(), *end = p + bytes.size();
             (p = static_cast<const char *>(std::memchr(p, '"', size_t(end - p)))); ++p)
            ++count;
        quoteCount = count;
    });
    PrintRow({"ScanLiterals", input, Ms(scan), "counting the quotation marks with memchr: " + Ms(quotes)});

    const ReplaceRequest request{text, ScanLiterals(text), Translations(ScanLiterals(text)), path};
    const double whole = MedianMs(runs(), [&] { (void)ReplaceAndSave(request); }, [&] { WriteFile(path, bytes); });
    const double apply = MedianMs(runs(), [&] { (void)ApplyPairs(request.sourceText, request.found, request.replacements); });
    PrintRow({"ReplaceAndSave: pairs, backup, write", input + ", every literal translated", Ms(whole),
              "ApplyPairs alone: " + Ms(apply)});
}

// Every literal of a large source translated, with the literals' places kept.
void ownLiteralsAndChecks()
{
    PrintTable("Replaces that keep the literals' places, and the checks",
               {"What", "Input", "Figure", "Baseline in the same run", "Ratio"});
    const QString text = GeneratedSource(g_smoke ? 300 : 32767, 104);
    const QList<LiteralSpan> spans = ScanLiteralSpans(text);
    const QStringList found = ScanLiterals(text);
    const QStringList replacements = Translations(found);
    const QString input = QString::asprintf("%.1f MB, %lld rows", text.toUtf8().size() / 1e6, qlonglong(spans.size()));

    const double own = MedianMs(runs(), [&] { (void)ReplaceOwnLiterals(text, spans, replacements); });
    const double copy = MedianMs(runs(), [&] { QString copied(text.constData(), text.size()); });
    const double scan = MedianMs(runs(), [&] { (void)ScanLiteralSpans(text); });
    PrintRow({"ReplaceOwnLiterals", input, Ms(own), "one copy of the text: " + Ms(copy), ratio(own, copy)});
    PrintRow({"", "", "", "ScanLiteralSpans: " + Ms(scan), ratio(own, scan)});

    const double tracking = MedianMs(runs(), [&] { (void)ApplyPairsTrackingSpans(text, spans, found, replacements); });
    const double apply = MedianMs(runs(), [&] { (void)ApplyPairs(text, found, replacements); });
    PrintRow({"ApplyPairsTrackingSpans", input, Ms(tracking), "ApplyPairs: " + Ms(apply), ratio(tracking, apply)});

    volatile qsizetype problems = 0; // read, so that the checks are not optimised away
    const double checks = MedianMs(runs(), [&] {
        qsizetype count = 0;
        for (qsizetype i = 0; i < found.size(); ++i)
            count += CheckReplacement(found[i], replacements[i]).size();
        problems = count;
    });
    PrintRow({"CheckReplacement on every row", input, Ms(checks), "ScanLiteralSpans: " + Ms(scan), ratio(checks, scan)});
}

// The C++ reading against the quote pairing over the same 20 MB of code.
void codeStrings()
{
    PrintTable("Reading the code's strings", {"What", "Input", "Figure", "Baseline in the same run", "Ratio"});
    const QString text = GeneratedSource(g_smoke ? 300 : 200000, 104);
    const QString input = QString::asprintf("%.1f MB, %lld strings", text.toUtf8().size() / 1e6,
                                            qlonglong(ScanCodeStrings(text).size()));
    const double code = MedianMs(runs(), [&] { (void)ScanCodeStrings(text); });
    const double pairs = MedianMs(runs(), [&] { (void)ScanLiteralSpans(text); });
    PrintRow({"ScanCodeStrings", input, Ms(code), "ScanLiteralSpans: " + Ms(pairs), ratio(code, pairs)});
}

// Export and import of every row of a large file, as the window does them.
void catalogs(const QString &folder)
{
    PrintTable("Translation files", {"What", "Input", "Figure", "Baseline in the same run", "Ratio"});
    const QString text = GeneratedSource(g_smoke ? 300 : 32767, 104);
    const TextRows rows = ScanRows(text, true);
    const QStringList found = LiteralsAt(text, rows.spans);
    const QString input = QString::asprintf("%lld rows", qlonglong(found.size()));
    const double scan = MedianMs(runs(), [&] { (void)ScanRows(text, true); });
    for (const char *suffix : {"ts", "po"}) {
        const QString path = folder + QStringLiteral("/big.") + QLatin1String(suffix);
        const double out = MedianMs(runs(), [&] {
            WriteCatalog(CatalogFromRows({CatalogSource{folder + QStringLiteral("/big.cpp"), text, rows, found}}, folder), path, "big.cpp");
        });
        // Translated: every entry finished, as a translator hands it back.
        Catalog translated = CatalogFromRows({CatalogSource{folder + QStringLiteral("/big.cpp"), text, rows, Translations(found)}}, folder);
        WriteCatalog(translated, path, "big.cpp");
        const double in = MedianMs(runs(), [&] { (void)FillFromCatalog(ReadCatalog(path), found, found, rows); });
        PrintRow({QStringLiteral("export .%1").arg(suffix), input, Ms(out), "ScanRows: " + Ms(scan), ratio(out, scan)});
        PrintRow({QStringLiteral("import .%1 (read and fill)").arg(suffix), input, Ms(in), "ScanRows: " + Ms(scan), ratio(in, scan)});
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    g_smoke = app.arguments().contains(QStringLiteral("--smoke"));
    QTemporaryDir folder;
    if (!folder.isValid())
        qFatal("no temporary folder");
    readScanAndReplace(folder.path());
    codeStrings();
    catalogs(folder.path());
    ownLiteralsAndChecks();
    planLandings();
    applyPairsMatrix();
    return 0;
}
