// The command line on a whole tree: `zelvane export` beside `xgettext -a` over
// the same files, and `zelvane import` writing every file; the programs run as
// a user runs them.
#include "BenchSupport.h"

#include "engine/catalog/Catalog.h"
#include "engine/Document.h"
#include "engine/files/SourcePaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <tuple>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

using namespace Bench;

namespace {

// As dense as real code: 152 real Qt source files held 2,680 strings, about 18 a
// file; 18 strings and 10 KB a file make 2,000 files 20 MB.
constexpr int LiteralsPerFile = 18;
constexpr int CharsPerLiteral = 560;

void runOrDie(const QString &folder, const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitCode() != 0)
        qFatal("%s failed: %s", qPrintable(program), process.readAllStandardError().constData());
}

// A Designer form with as many texts as a source file has strings.
QByteArray generatedForm(quint32 seed)
{
    QByteArray form = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ui version=\"4.0\">\n <class>Form</class>\n"
                      " <widget class=\"QWidget\" name=\"Form\">\n";
    for (int i = 0; i < LiteralsPerFile; ++i)
        form += "  <widget class=\"QLabel\" name=\"label" + QByteArray::number(i) + "\">\n   <property name=\"text\">\n    <string>"
            + QByteArray("标签 &amp; text ") + QByteArray::number(seed * 100 + quint32(i)) + "</string>\n   </property>\n  </widget>\n";
    return form + " </widget>\n</ui>\n";
}

// The files of a tree: `folders` folders holding them in turn; beside every
// tenth source file a header and a form. The C++ files go into `names`.
QStringList writeTree(const QString &root, int files, int folders, qint64 *bytes)
{
    QStringList names;
    const auto write = [&](const QString &name, const QByteArray &text) {
        WriteFile(QDir(root).filePath(name), text);
        *bytes += text.size();
    };
    for (int i = 0; i < files; ++i) {
        const QString folder = QStringLiteral("tree/d%1").arg(i % folders);
        QDir(root).mkpath(folder);
        const QString name = folder + QStringLiteral("/f%1").arg(i);
        write(name + ".cpp", GeneratedSource(LiteralsPerFile, CharsPerLiteral, quint32(i + 1)).toUtf8());
        names << name + ".cpp";
        if (i % 10 == 0) {
            write(name + ".h", GeneratedSource(LiteralsPerFile / 3, CharsPerLiteral, quint32(files + i)).toUtf8());
            write(name + ".ui", generatedForm(quint32(i)));
            names << name + ".h";
        }
    }
    return names;
}

// Every entry of the tree's catalog translated, as tr.ts.
void writeTranslations(const QString &root)
{
    Catalog catalog = ReadCatalog(QDir(root).filePath(QStringLiteral("cat.ts")));
    QStringList sources;
    for (const CatalogEntry &entry : catalog.entries)
        sources << entry.source;
    const QStringList translated = Translations(sources);
    for (qsizetype i = 0; i < catalog.entries.size(); ++i) {
        catalog.entries[i].translation = translated[i];
        catalog.entries[i].finished = true;
    }
    WriteCatalog(catalog, QDir(root).filePath(QStringLiteral("tr.ts")), "tree");
}

// Medians of two works run in turn, so that whatever else the machine does
// at the time falls on both alike.
std::pair<double, double> MediansInTurn(int runs, const std::function<void()> &first, const std::function<void()> &second)
{
    std::vector<double> firsts, seconds;
    for (int i = 0; i < runs; ++i) {
        firsts.push_back(MedianMs(1, first));
        seconds.push_back(MedianMs(1, second));
    }
    std::sort(firsts.begin(), firsts.end());
    std::sort(seconds.begin(), seconds.end());
    return {firsts[firsts.size() / 2], seconds[seconds.size() / 2]};
}

// Many small files: the import that writes each against the dry run that writes none, on the same
// tree in the same round. Each round lays a tree of its own: beside the trees before it, as a user's
// tree stands, and then where the tree before was just deleted. A file system without a journal
// (ext4 made without one) passes over the inodes freed in the last minutes each time it gives out a
// new one, and every written file takes one: the second row shows what that costs there.
void printSmallFileRows(const QString &program, bool smoke)
{
    QTemporaryDir folder;
    const int small = smoke ? 50 : 2000, rounds = smoke ? 1 : 5;
    Catalog catalog;
    catalog.entries.append(CatalogEntry{QStringLiteral("Open"), QStringLiteral("打开"), true, {}});
    const auto layTree = [&](const QString &root) {
        for (int i = 0; i < small; ++i) {
            const QString name = QStringLiteral("small/d%1/f%2.cpp").arg(i % 100).arg(i);
            QDir(root).mkpath(QFileInfo(QDir(root).filePath(name)).path());
            WriteFile(QDir(root).filePath(name), "void f() { tr(\"Open\"); }\n");
        }
        WriteCatalog(catalog, QDir(root).filePath(QStringLiteral("tr.ts")), "small");
        ::sync(); // the tree's own writing-back is not to fall into the runs measured
    };
    std::vector<double> dry, besides, overDeleted;
    for (int round = 0; round < rounds; ++round) {
        const QString root = folder.filePath(QString::number(round));
        layTree(root);
        dry.push_back(MedianMs(1, [&] { runOrDie(root, program, {"import", "--dry-run", "tr.ts", "small"}); }));
        besides.push_back(MedianMs(1, [&] { runOrDie(root, program, {"import", "tr.ts", "small"}); }));
    }
    const QString reused = folder.filePath(QStringLiteral("again"));
    for (int round = 0; round <= rounds; ++round) { // the first round only leaves a tree to delete
        QDir(reused).removeRecursively();
        layTree(reused);
        const double ms = MedianMs(1, [&] { runOrDie(reused, program, {"import", "tr.ts", "small"}); });
        if (round > 0)
            overDeleted.push_back(ms);
    }
    for (std::vector<double> *runs : {&dry, &besides, &overDeleted})
        std::sort(runs->begin(), runs->end());
    const double dryMs = dry[dry.size() / 2];
    const QString input = QString::asprintf("%d files of one string in 100 folders", small);
    PrintRow({"zelvane import, every file written", input + ", a new tree each run", Ms(besides[besides.size() / 2]),
              "--dry-run: " + Ms(dryMs), QString::asprintf("%.2f", besides[besides.size() / 2] / dryMs)});
    PrintRow({"zelvane import, every file written", input + ", each tree laid where the one before was just deleted",
              Ms(overDeleted[overDeleted.size() / 2]), "--dry-run: " + Ms(dryMs),
              QString::asprintf("%.2f", overDeleted[overDeleted.size() / 2] / dryMs)});
}

// One big source exported: the peak memory of the export against the source's size. The export
// is the first and the largest child this program waits for, so the children's peak is its own.
void printMemoryRow(const QString &program, bool smoke)
{
    QTemporaryDir folder;
    const qsizetype literals = smoke ? 4000 : 360000; // as dense as the tree's files: 560 characters a string
    const QByteArray source = GeneratedSource(literals, CharsPerLiteral, 7).toUtf8();
    WriteFile(folder.filePath(QStringLiteral("big.cpp")), source);
    runOrDie(folder.path(), program, {"export", "-o", "big.ts", "big.cpp"});
    struct rusage children {};
    ::getrusage(RUSAGE_CHILDREN, &children);
    const double peak = double(children.ru_maxrss) * 1024;
    PrintRow({"zelvane export, peak memory", QString::asprintf("one source of %.0f MB", source.size() / 1e6),
              QString::asprintf("%.0f MB", peak / 1e6), "the source's size", QString::asprintf("%.2f (goal: 6 at most)", peak / source.size())});
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const bool smoke = app.arguments().contains(QStringLiteral("--smoke"));
    const bool exportOnly = app.arguments().contains(QStringLiteral("--export-only")); // the first row alone: a quick look
    const bool smallFilesOnly = app.arguments().contains(QStringLiteral("--small-files")); // the last two rows alone
    const bool memoryOnly = app.arguments().contains(QStringLiteral("--memory")); // the memory row alone
    const qsizetype keep = app.arguments().indexOf(QStringLiteral("--write-tree"));
    if (keep > 0 && keep + 1 < app.arguments().size()) { // the tree alone, to look at or profile
        qint64 bytes = 0;
        writeTree(app.arguments()[keep + 1], 2000, 20, &bytes);
        return 0;
    }
    const int files = smoke ? 20 : 2000, runs = smoke ? 1 : 3;
    const QString program = QStringLiteral(ZELVANE_PROGRAM);
    PrintTable("A tree from the command line", {"What", "Input", "Figure", "Baseline in the same run", "Ratio"});
    if (smallFilesOnly) {
        printSmallFileRows(program, smoke);
        return 0;
    }
    if (!exportOnly) // first: no child before it may have a larger peak
        printMemoryRow(program, smoke);
    if (memoryOnly)
        return 0;
    double baseline[2] = {};
    // The same files in 20 folders, all in one, and each in a folder of its own.
    for (const int folders : {20, 1, files}) {
        QTemporaryDir folder;
        qint64 bytes = 0;
        const QStringList names = writeTree(folder.path(), files, folders, &bytes);
        const QString input = QString::asprintf("%d .cpp (+%d .h, .ui) in %d folders, %.1f MB", files, files / 10, folders, bytes / 1e6);
        ::sync(); // the tree's own writing-back is not to fall into the first run measured
        // A fresh export each time: onto the catalog of the run before, it would be an update.
        const auto exportTree = [&] {
            QFile::remove(folder.filePath(QStringLiteral("cat.ts")));
            runOrDie(folder.path(), program, {"export", "-o", "cat.ts", "tree"});
        };
        double exported = 0;
        if (folders == 20) {
            WriteFile(folder.filePath(QStringLiteral("files.txt")), names.join(u'\n').toUtf8());
            double xgettext = 0;
            std::tie(exported, xgettext) = MediansInTurn(smoke ? 1 : 7, exportTree, [&] {
                runOrDie(folder.path(), "xgettext", {"-a", "--from-code=UTF-8", "-L", "C++", "-f", "files.txt", "-o", "x.pot"});
            });
            PrintRow({"zelvane export", input, Ms(exported), "xgettext -a: " + Ms(xgettext), QString::asprintf("%.2f", exported / xgettext)});
            if (exportOnly)
                return 0;
        } else {
            exported = MedianMs(runs, exportTree);
            PrintRow({"zelvane export", input, Ms(exported), "20 folders: " + Ms(baseline[0]), QString::asprintf("%.2f", exported / baseline[0])});
        }
        writeTranslations(folder.path());
        if (folders == 20) { // the same export onto the translated catalog: every entry kept
            QFile::copy(folder.filePath(QStringLiteral("tr.ts")), folder.filePath(QStringLiteral("upd.ts")));
            const auto [fresh, updated] = MediansInTurn(smoke ? 1 : 7, exportTree, [&] {
                runOrDie(folder.path(), program, {"export", "-o", "upd.ts", "tree"});
            });
            PrintRow({"zelvane export onto the translated catalog (update)", input, Ms(updated), "fresh export: " + Ms(fresh),
                      QString::asprintf("%.2f (goal: 1.5 at most)", updated / fresh)});
        }
        // Written into every file, from files without a backup; the tree comes back before each run.
        const double imported = MedianMs(runs, [&] { runOrDie(folder.path(), program, {"import", "tr.ts", "tree"}); }, [&] {
            qint64 ignored = 0;
            writeTree(folder.path(), files, folders, &ignored);
            QDirIterator backups(folder.path(), {QStringLiteral("*.backup")}, QDir::Files, QDirIterator::Subdirectories);
            while (backups.hasNext())
                QFile::remove(backups.next());
        });
        if (folders == 20) {
            baseline[0] = exported;
            baseline[1] = imported;
            PrintRow({"zelvane import, every file written", input, Ms(imported), "goal: 5 s", QString::asprintf("%.2f", imported / 5000)});
        } else {
            PrintRow({"zelvane import, every file written", input, Ms(imported), "20 folders: " + Ms(baseline[1]),
                      QString::asprintf("%.2f", imported / baseline[1])});
        }
    }
    // One text in many places: the .po's "#:" lines against the .ts's <location>s.
    {
        QTemporaryDir folder;
        const int places = smoke ? 400 : 40000;
        QByteArray source;
        for (int i = 0; i < places; ++i)
            source += "void f" + QByteArray::number(i) + "() { tr(\"Save the file\"); }\n";
        WriteFile(folder.filePath(QStringLiteral("one.cpp")), source);
        // Fresh each time (onto the catalog of the run before it would be an update), then updates.
        const auto exportTo = [&](const QString &name, bool fresh) {
            if (fresh)
                QFile::remove(folder.filePath(name));
            runOrDie(folder.path(), program, {"export", "-o", name, "one.cpp"});
        };
        for (const bool fresh : {true, false}) {
            const auto [po, ts] = MediansInTurn(smoke ? 1 : 5, [&] { exportTo(QStringLiteral("one.po"), fresh); },
                                                [&] { exportTo(QStringLiteral("one.ts"), fresh); });
            PrintRow({fresh ? "zelvane export .po" : "zelvane export .po onto its own catalog (update)",
                      QString::asprintf("one text in %d places", places), Ms(po), ".ts: " + Ms(ts), QString::asprintf("%.2f", po / ts)});
        }
    }
    printSmallFileRows(program, smoke);
    return 0;
}
