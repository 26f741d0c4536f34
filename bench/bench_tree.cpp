// The command line on a whole tree: `zelvane export` beside `xgettext -a` over
// the same files, and `zelvane import` writing every file; the programs run as
// a user runs them.
#include "BenchSupport.h"

#include "engine/Catalog.h"
#include "engine/Document.h"
#include "engine/SourcePaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

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

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const bool smoke = app.arguments().contains(QStringLiteral("--smoke"));
    const int files = smoke ? 20 : 2000, runs = smoke ? 1 : 3;
    QTemporaryDir folder;
    QDir(folder.path()).mkpath(QStringLiteral("tree"));
    QStringList names;
    qint64 bytes = 0;
    for (int i = 0; i < files; ++i) {
        const QString name = QStringLiteral("tree/d%1/f%2.cpp").arg(i / 100).arg(i);
        QDir(folder.path()).mkpath(QStringLiteral("tree/d%1").arg(i / 100));
        const QByteArray text = GeneratedSource(LiteralsPerFile, CharsPerLiteral, quint32(i + 1)).toUtf8();
        WriteFile(folder.filePath(name), text);
        names << name;
        bytes += text.size();
    }
    WriteFile(folder.filePath(QStringLiteral("files.txt")), names.join(u'\n').toUtf8());
    const QString input = QString::asprintf("%d files, %.1f MB", files, bytes / 1e6);

    PrintTable("A tree from the command line", {"What", "Input", "Figure", "Baseline in the same run", "Ratio"});
    const QString program = QStringLiteral(ZELVANE_PROGRAM);
    const double exported = MedianMs(runs, [&] { runOrDie(folder.path(), program, {"export", "-o", "cat.ts", "tree"}); });
    const double xgettext = MedianMs(runs, [&] {
        runOrDie(folder.path(), "xgettext", {"-a", "--from-code=UTF-8", "-L", "C++", "-f", "files.txt", "-o", "x.pot"});
    });
    PrintRow({"zelvane export", input, Ms(exported), "xgettext -a: " + Ms(xgettext), QString::asprintf("%.2f", exported / xgettext)});

    // Every entry translated, then written into every file; the tree comes back before each run.
    Catalog catalog = ReadCatalog(folder.filePath(QStringLiteral("cat.ts")));
    QStringList sources;
    for (const CatalogEntry &entry : catalog.entries)
        sources << entry.source;
    const QStringList translated = Translations(sources);
    for (qsizetype i = 0; i < catalog.entries.size(); ++i) {
        catalog.entries[i].translation = translated[i];
        catalog.entries[i].finished = true;
    }
    WriteCatalog(catalog, folder.filePath(QStringLiteral("tr.ts")), "tree");
    QList<QByteArray> originals;
    for (const QString &name : names)
        originals << GeneratedSource(LiteralsPerFile, CharsPerLiteral, quint32(originals.size() + 1)).toUtf8();
    const double imported = MedianMs(runs, [&] { runOrDie(folder.path(), program, {"import", "tr.ts", "tree"}); }, [&] {
        for (qsizetype i = 0; i < names.size(); ++i)
            WriteFile(folder.filePath(names[i]), originals[i]);
    });
    PrintRow({"zelvane import, every file written", input, Ms(imported), "goal: 5 s", QString::asprintf("%.2f", imported / 5000)});
    return 0;
}
