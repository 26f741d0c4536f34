#include "app/CommandLine.h"

#include "app/words/ProblemWords.h"

#include "engine/catalog/Catalog.h"
#include "engine/Document.h"
#include "engine/files/DiskBatch.h"
#include "engine/files/FileError.h"
#include "engine/replace/OwnLiterals.h"
#include "engine/files/ParallelFor.h"
#include "engine/replace/ReplaceAndSave.h"
#include "engine/replace/ReplacementChecks.h"
#include "engine/scan/SourceLines.h"
#include "engine/files/SourcePaths.h"
#include "engine/files/Utf8NoBomFile.h"
#include "engine/replace/UnifiedDiff.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QThread>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <future>
#include <optional>
#include <utility>
#include <vector>

#include <sys/stat.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <unistd.h>

namespace {

// Files an import writes at once: each write mostly waits for the file system.
constexpr int WritingThreads = 16;

const char Usage[] =
    "用法：\n"
    "  zelvane export [--po] [--all] [--no-obsolete] [--language LANG] [--source-language LANG] -o FILE PATH...\n"
    "  zelvane import [--dry-run] [--force] [--all] FILE PATH...\n"
    "  zelvane --help | --version\n"
    "\n"
    "PATH 是一个文件或文件夹：文件夹中的 C++ 源文件和头文件（*.cpp *.cc *.cxx *.c++ *.h *.hh *.hpp\n"
    "*.hxx *.h++ *.inl）和 Qt Designer 界面文件（*.ui），包括子文件夹；跳过以“.”开头的文件夹，\n"
    "不进入指向文件夹的链接。C++ 的字符串按编译器的读法找出：不含注释和 #include 的文件名；\n"
    "界面文件取其中没有标记 notr=\"true\" 的 <string>，和 lupdate 一样。\n"
    "\n"
    "export  把所有字符串导出到翻译文件 FILE：每种文字一条，带上它出现的所有位置。\n"
    "        FILE 以 .po 或 .pot 结尾、或者给了 --po 时写成 gettext 的 .po，否则写成 Qt Linguist 的 .ts；\n"
    "        FILE 为 - 时写到标准输出，是设备或管道时写进去而不替换它。\n"
    "        每一条都注明它在哪个函数里、交给了什么（给翻译的人看）。每一处字符串分别判断：交给\n"
    "        进程、文件路径、设置的键、环境变量、正则表达式、调试输出……（也包括经过程序自己的函数\n"
    "        和宏交过去的），或者所在行的注释写着 no-tr、notr、NOTR、no_tr、i18n-ignore 的，看来是\n"
    "        程序用的数据。每一处都是数据的条目不导出；有的条目注明另有几处是数据、不会改动。\n"
    "        --all：也导出它们，并注明看来是数据。\n"
    "        FILE 已经存在时更新它，和 lupdate、msgmerge 一样：原文（和区分说明）相同的条目保留译文、\n"
    "        完成状态和译者的注释；与旧原文相近的新原文得到旧译文作为建议（未完成，旁边附上旧原文）；\n"
    "        不再出现的、有译文的条目保留为废弃条目。--no-obsolete：不保留废弃条目。\n"
    "import  把 FILE（.ts、.po 或 .pot）中已经完成的译文写进各文件自己的字符串（界面文件只改动\n"
    "        这些 <string> 的内容，其余的字节原样保留），原来的文件保存为“文件名.backup”；\n"
    "        没有改动的文件保持原样。未完成、模糊和废弃的条目不写入。\n"
    "        写入之前先核对 FILE 中记录的位置：PATH 下一个也没有这些文件时（按相对于 FILE 的路径，\n"
    "        或者按文件名）不写入并退出；--force：仍然写入。\n"
    "        看来是程序用的数据的地方保持原样（和 export 一样判断）；--all：每一处都写入译文。\n"
    "        --dry-run：什么也不写，输出要做的改动（统一格式的差异，可以用 patch -p0 应用）。\n"
    "\n"
    "退出状态：0 全部成功；1 有文件或翻译文件出错，或者有译文没有写入（原因逐条列在前面）；\n"
    "2 用法错误。\n";

void print(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

void report(const QString &problem) { print(stderr, QStringLiteral("zelvane: %1\n").arg(problem)); }

int usageError(const QString &problem)
{
    report(problem);
    print(stderr, QString::fromUtf8(Usage));
    return 2;
}

struct Options {
    QString command;
    bool po = false;
    bool all = false;
    bool dryRun = false;
    bool noObsolete = false;
    bool force = false;
    QString language, sourceLanguage, output, catalog;
    QStringList paths;
};

// An option as the user wrote it ("-dash" stays "-dash"): the parser keeps only its name.
QString asWritten(const QStringList &arguments, const QString &name)
{
    for (const QString &argument : arguments) {
        const QString bare = argument.section(u'=', 0, 0);
        if (bare.startsWith(u'-') && QStringView(bare).mid(bare.startsWith(QLatin1String("--")) ? 2 : 1) == name)
            return bare;
    }
    return QStringLiteral("--") + name;
}

// The options, or the problem with them.
std::optional<Options> parse(const QStringList &arguments, QString *problem)
{
    Options options;
    options.command = arguments.value(0);
    const bool exporting = options.command == u"export";
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption po(QStringLiteral("po")), all(QStringLiteral("all")), dryRun(QStringLiteral("dry-run")),
        noObsolete(QStringLiteral("no-obsolete")), force(QStringLiteral("force")),
        output(QStringLiteral("o"), QString(), QStringLiteral("FILE")), language(QStringLiteral("language"), QString(), QStringLiteral("LANG")),
        sourceLanguage(QStringLiteral("source-language"), QString(), QStringLiteral("LANG"));
    if (exporting)
        parser.addOptions({po, all, noObsolete, output, language, sourceLanguage});
    else
        parser.addOptions({dryRun, force, all});
    if (!parser.parse(QStringList{QStringLiteral("zelvane")} + arguments.mid(1))) {
        const QStringList unknown = parser.unknownOptionNames();
        const QString last = arguments.last();
        if (!unknown.isEmpty())
            *problem = QStringLiteral("不认识的选项 %1。").arg(asWritten(arguments, unknown.first()));
        else if (last.startsWith(u'-'))
            *problem = QStringLiteral("选项 %1 后面缺少值。").arg(last);
        else
            *problem = parser.errorText();
        return std::nullopt;
    }
    options.po = exporting && parser.isSet(po);
    options.all = parser.isSet(all);
    options.dryRun = !exporting && parser.isSet(dryRun);
    options.noObsolete = exporting && parser.isSet(noObsolete);
    options.force = !exporting && parser.isSet(force);
    if (exporting) {
        options.output = parser.value(output);
        options.language = parser.value(language);
        options.sourceLanguage = parser.value(sourceLanguage);
    }
    QStringList plain = parser.positionalArguments();
    if (!exporting && !plain.isEmpty())
        options.catalog = plain.takeFirst();
    options.paths = plain;
    if (exporting && options.output.isEmpty())
        *problem = QStringLiteral("缺少 -o FILE：导出到哪个翻译文件。");
    else if (!exporting && options.catalog.isEmpty())
        *problem = QStringLiteral("缺少翻译文件 FILE。");
    else if (options.paths.isEmpty())
        *problem = QStringLiteral("缺少 PATH：要处理的文件或文件夹。");
    if (!problem->isEmpty())
        return std::nullopt;
    return options;
}

// One line on a terminal, rewritten in place: files done of all, and the latest begun.
class Progress
{
public:
    explicit Progress(const QStringList &files) : m_files(files)
    {
#ifdef Q_OS_UNIX
        m_shown = isatty(fileno(stderr));
#endif
    }
    ~Progress()
    {
        if (m_shown)
            print(stderr, QStringLiteral("\r\033[K"));
    }
    void started(int i) { m_current = i; }
    void finished() { ++m_done; }
    void show() const
    {
        if (m_shown)
            print(stderr, QStringLiteral("\r\033[K%1/%2 %3").arg(m_done.load()).arg(m_files.size()).arg(m_files.value(m_current).left(100)));
    }

private:
    const QStringList &m_files;
    std::atomic<int> m_done{0};
    std::atomic<int> m_current{0};
    bool m_shown = false;
};

// The source files under the paths; what cannot be found is reported and counted.
QStringList sourceFiles(const QStringList &paths, int *failed)
{
    QStringList missing, badNames;
    const QStringList files = SourcePaths::SourceFilesUnder(paths, &missing, &badNames);
    for (const QString &path : missing)
        report(QStringLiteral("找不到 %1：它既不是文件也不是文件夹。").arg(path));
    for (const QString &path : badNames)
        report(QStringLiteral("无法处理 %1：文件名不是有效的 UTF-8。").arg(path));
    *failed += int(missing.size() + badNames.size());
    return files;
}

// Runs work(path) for every file on every core, showing the progress, and
// done(result) in the files' order as soon as their work is finished.
// Each file's work on every core, or on `threads` threads for work that mostly waits for the disk.
template <typename Work, typename Done> void forEachFile(const QStringList &files, Work work, Done done, int threads = 0)
{
    std::vector<decltype(work(QString()))> results(files.size());
    Progress progress(files);
    ParallelForInOrder(int(files.size()), threads, [&](int i) {
        progress.started(i);
        results[i] = work(files[i]);
        progress.finished();
    }, [&](int i) { done(std::exchange(results[i], {})); }, [&] { progress.show(); });
}

// The catalog an export updates: the one at -o, if there is one.
std::optional<Catalog> earlierCatalog(const QFileInfo &output)
{
    if (!output.isFile())
        return std::nullopt;
    return ReadCatalog(output.filePath(), true); // a malformed one throws: nothing is written over it
}

QString updateSummary(const CatalogUpdateCounts &counts, const Catalog &earlier)
{
    QString summary = QStringLiteral("更新了原有的翻译文件：保留 %1 条，建议译文 %2 条（未完成），新条目 %3 条，废弃 %4 条")
                          .arg(counts.kept).arg(counts.suggested).arg(counts.added).arg(counts.obsolete);
    if (counts.dropped > 0)
        summary += QStringLiteral("，去掉了 %1 条废弃条目").arg(counts.dropped);
    summary += QStringLiteral("。\n");
    if (!earlier.problems.isEmpty())
        summary += QStringLiteral("原有的翻译文件中另有 %1 条（复数形式等）无法读入，没有保留。\n").arg(earlier.problems.size());
    return summary;
}

// A file the export may write its catalog over: none yet, a device or pipe
// (written into), or a file named as a catalog. Else the problem, a usage error.
QString targetProblem(const QString &output)
{
    struct stat status;
    if (::stat(QFile::encodeName(output).constData(), &status) != 0)
        return QString();
    if (S_ISDIR(status.st_mode))
        return QStringLiteral("-o %1 是一个文件夹，不是翻译文件。").arg(output);
    const bool catalogName = output.endsWith(u".ts") || output.endsWith(u".po") || output.endsWith(u".pot");
    if (S_ISREG(status.st_mode) && !catalogName)
        return QStringLiteral("-o %1 已经存在，而且不是翻译文件（.ts、.po 或 .pot）：不会覆盖它。").arg(output);
    return QString();
}

// Whether the target is one of the files the export reads (the same file, by any name).
bool readsTarget(const QString &output, const QStringList &files)
{
    struct stat target, file;
    if (::stat(QFile::encodeName(output).constData(), &target) != 0)
        return false;
    return std::any_of(files.begin(), files.end(), [&](const QString &path) {
        return ::stat(QFile::encodeName(path).constData(), &file) == 0 && file.st_dev == target.st_dev && file.st_ino == target.st_ino;
    });
}

// The export's sources, each PATH's; empty when a PATH is missing or holds no
// source, reported: the export then stops before it writes anything.
QStringList exportSources(const QStringList &paths, int *failed)
{
    QStringList files;
    for (const QString &path : paths) {
        const int before = *failed;
        const QStringList under = sourceFiles({path}, failed);
        if (*failed == before && under.isEmpty())
            report(QStringLiteral("%1 中没有 C++ 源文件、头文件或界面文件。").arg(path));
        if (under.isEmpty())
            return QStringList();
        files += under;
    }
    return files;
}

// `-o -`: the catalog written whole to a temporary file first, in the format
// its name chooses, then copied to standard output.
void writeToStandardOutput(const Catalog &catalog, const QString &context, const Options &options)
{
    QTemporaryFile file(QDir::tempPath() + (options.po ? QStringLiteral("/zelvane-XXXXXX.po") : QStringLiteral("/zelvane-XXXXXX.ts")));
    if (!file.open())
        throw DeviceError(Problem::CannotWriteOutput, QString(), file);
    WriteCatalog(catalog, file.fileName(), context, options.language, options.sourceLanguage, options.po);
    const QByteArray bytes = Utf8NoBomFile::ReadBytes(file.fileName());
    if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size()) || std::fflush(stdout) != 0)
    {
        Problem problem = ProblemAbout(Problem::CannotWriteOutput, QString());
        problem.systemError = errno;
        throw FileError(problem);
    }
}

// Ends the process once a command's catalog and summary are out. What it read and built
// is left for the system to take back at once: freed string by string on one thread, a
// tree of 2,000 files' catalog, readings and flows took a tenth of the export's time.
[[noreturn]] void endProcess(int code)
{
    std::fflush(nullptr);
    std::_Exit(code);
}

int exportCommand(const Options &options)
{
    int failed = 0;
    const bool toFile = options.output != u"-";
    if (const QString problem = toFile ? targetProblem(options.output) : QString(); !problem.isEmpty())
        return usageError(problem);
    const QStringList sources = exportSources(options.paths, &failed);
    if (sources.isEmpty()) {
        report(QStringLiteral("什么也没有导出，%1 保持原样。").arg(options.output));
        return 1;
    }
    if (toFile && readsTarget(options.output, sources))
        return usageError(QStringLiteral("-o %1 是要读取的源文件之一：不会把翻译文件写在它上面。").arg(options.output));
    const QFileInfo output(options.output);
    // The catalog an update starts from is read while the sources are: as long, for a big one.
    std::future<std::optional<Catalog>> reading = std::async(std::launch::async, [&] {
        return toFile ? earlierCatalog(output) : std::nullopt;
    });
    const QString folder = output.absolutePath();
    // Each file read, scanned and turned into its catalog rows on every core, and merged in order.
    struct Read {
        Problems error;
        CatalogRows rows;
        qsizetype strings = 0;
        Problems note; // a mark of an interrupted write beside the file, which an export leaves as it is
    };
    QList<Problems> problems;
    qsizetype files = 0, strings = 0;
    CatalogMerger merger;
    const QDir current = QDir::current(); // asked once, not once a file
    forEachFile(sources, [&](const QString &path) {
        Document document = Document::LoadText(path, true);
        if (!document.error.isEmpty())
            return Read{document.error, {}, 0};
        // Nothing is written back and whole strings are read from the text: the bytes
        // go before the reading, whose peak they would add to.
        const qsizetype strings = document.rows.spans.size();
        document.bytes = QByteArray();
        const CatalogSource source{current.absoluteFilePath(path), document.text, document.rows, {}, true};
        return Read{{}, PrepareCatalogRows(source, folder), strings, document.recovered};
    }, [&](Read file) {
        ++files;
        if (!file.note.isEmpty())
            problems << file.note;
        if (!file.error.isEmpty()) {
            problems << file.error;
            ++failed;
            return;
        }
        merger.add(std::move(file.rows));
        strings += file.strings;
    });
    for (const Problems &problem : problems)
        report(ProblemWords(problem));
    std::optional<Catalog> earlier;
    try {
        earlier = reading.get();
    } catch (const FileError &error) {
        report(ProblemWords(error.problems()) + QStringLiteral("（没有改动它）"));
        return 1;
    }
    Catalog catalog = merger.take();
    const int dataPlaces = DataPlaces(catalog);
    const int data = options.all ? 0 : LeaveOutData(catalog);
    const qsizetype entries = catalog.entries.size(); // obsolete ones apart
    CatalogUpdateCounts updated;
    if (earlier)
        updated = UpdateCatalog(catalog, *earlier, !options.noObsolete);
    const QString context = options.paths.size() == 1 ? QFileInfo(QFileInfo(options.paths[0]).absoluteFilePath()).fileName()
                                                      : output.completeBaseName();
    try {
        if (options.output == u"-")
            writeToStandardOutput(catalog, context, options);
        else
            WriteCatalog(catalog, options.output, context, options.language, options.sourceLanguage, options.po);
    } catch (const FileError &error) {
        report(ProblemWords(error.problems()));
        return 1;
    }
    QString summary = QStringLiteral("读取 %1 个文件：字符串 %2 个，条目 %3 条，写入 %4；失败 %5 个。\n")
                          .arg(QString::number(files), QString::number(strings), QString::number(entries),
                               options.output == u"-" ? QStringLiteral("标准输出") : options.output, QString::number(failed));
    if (dataPlaces > 0)
        summary += QStringLiteral("%1 处字符串看来是程序用的数据，导入时不会改动。\n").arg(dataPlaces);
    if (data > 0)
        summary += QStringLiteral("另有 %1 条看来是程序用的数据，未导出；要导出全部请加 --all。\n").arg(data);
    if (earlier)
        summary += updateSummary(updated, *earlier);
    if (catalog.undecodable > 0)
        summary.prepend(QStringLiteral("%1 个字符串的转义序列代表字节而不是字符（或写法不对），没有导出。\n").arg(catalog.undecodable));
    print(stderr, summary);
    endProcess(failed > 0 ? 1 : 0);
}

// What happened to one file of an import.
struct Imported {
    enum { Failed, LeftAlone, Written } outcome = LeftAlone;
    qsizetype strings = 0;
    Problems problem;
    QStringList warnings; // translations that would break their literal or its format
    Problems notes;       // what earlier runs stopped half-way had left, and was put right
    Problems unwritable;  // translations that cannot be written into their raw string or form
    QSet<const CatalogEntry *> used;
    QSet<const CatalogEntry *> written;    // translations a string here already holds
    QSet<const CatalogEntry *> unfinished; // translations marked unfinished or fuzzy, of strings here
    QString diff;         // --dry-run
    int leftAsData = 0;   // places with a translation left alone as the program's data
    std::shared_ptr<PendingReplace> waiting; // written beside the file, to be renamed over it once the batch is on disk
};

QString problemWords(ReplacementProblem problem)
{
    switch (problem) {
    case ReplacementProblem::EndsLiteral: return QStringLiteral("会提前结束字符串");
    case ReplacementProblem::EscapesClosingQuote: return QStringLiteral("结尾的反斜杠会转义引号");
    case ReplacementProblem::LineBreak: return QStringLiteral("含有换行");
    case ReplacementProblem::PlaceholdersDiffer: return QStringLiteral("占位符和原文不同");
    case ReplacementProblem::AcceleratorsDiffer: return QStringLiteral("快捷键（&）的个数和原文不同");
    }
    return QString();
}

// The translations' placeholders and access keys against their texts': they warn, and never stop the write.
QStringList warningsOf(const Document &document, const FillResult &fill, const QList<LiteralSpan> &spans)
{
    QStringList warnings;
    const SourceLines lines(document.text);
    for (qsizetype i = 0; i < fill.filledRows.size(); ++i) {
        const CatalogEntry &entry = *fill.filledEntries[i];
        QStringList words;
        for (const ReplacementProblem problem : CheckFormat(entry.source, entry.translation))
            words << problemWords(problem);
        if (!words.isEmpty()) {
            const int line = lines.lineOf(spans[fill.filledRows[i]].start);
            warnings << QStringLiteral("警告：%1 第 %2 行：译文“%3”%4。") // one arg(): a path or a text may hold "%1"
                            .arg(document.path, QString::number(line), entry.translation, words.join(u'，'));
        }
    }
    return warnings;
}

// What the whole tree's functions do with their parameters, for judging each place on import.
struct TreeFlows {
    ProgramFlows flows;
    QHash<QString, int> fileNumbers;
};

Imported importInto(const QString &path, const CatalogIndex &catalog, const TreeFlows *tree, DiskBatch *batch, bool again = false)
{
    const bool dryRun = batch == nullptr;
    const MayRestore restore = [](const Problem &) { return true; };
    Document document = Document::Load(path, true, dryRun ? MayRestore() : restore);
    Imported imported;
    imported.strings = document.found.size();
    if (!document.error.isEmpty() || document.marked) { // a mark that stays: the replace would refuse the file
        imported.outcome = Imported::Failed;
        imported.problem = document.marked ? document.recovered : document.error;
        return imported;
    }
    imported.notes += document.recovered;
    // A form's rows are its texts; a C++ file's strings are its whole literals, joined as the compiler joins them.
    const bool code = !document.rows.xml;
    QList<LiteralSpan> spans = document.rows.spans;
    QStringList found = document.found;
    QStringList delimiters = document.rows.rawDelimiters;
    if (code) {
        spans.clear();
        delimiters.clear();
        for (const CodeLiteral &literal : document.rows.literals) {
            spans.append(literal.content);
            delimiters.append(literal.rawDelimiter);
        }
        found = LiteralsAt(document.text, spans);
    }
    const LiteralKinds kinds = code ? JudgeLiterals(document.text, document.rows, tree ? &tree->flows : nullptr, tree ? tree->fileNumbers.value(path, -1) : -1)
                                    : LiteralKinds();
    const FillResult fill = code ? FillWholeStrings(catalog, document.text, document.rows, kinds)
                                 : FillFromCatalog(catalog, found, found, document.rows);
    imported.leftAsData = fill.counts.leftAsData;
    imported.used = fill.used;
    imported.written = fill.written;
    imported.unfinished = fill.unfinished;
    imported.leftAsData = fill.counts.leftAsData;
    if (!fill.notWritableRows.isEmpty()) {
        const SourceLines lines(document.text);
        for (const int row : fill.notWritableRows) {
            const auto latin1 = fill.notLatin1.constFind(row);
            Problem problem = ProblemAt(latin1 != fill.notLatin1.cend() ? Problem::Latin1CannotHold : code ? Problem::RawStringCannotHold : Problem::FormCannotHold,
                                        document.path, lines.lineOf(spans[row].start), 0);
            problem.detail = delimiters.value(row);
            if (latin1 != fill.notLatin1.cend())
                problem.text = *latin1;
            imported.unwritable << problem;
        }
    }
    if (fill.counts.filled == 0)
        return imported;
    if (code) // a form's text is no C++ literal
        imported.warnings = warningsOf(document, fill, spans);
    if (dryRun) {
        const OwnLiterals own = ReplaceOwnLiterals(document.text, spans, fill.replacements);
        imported.diff = UnifiedDiff(document.path, document.text, spans, own.text, own.spans);
        imported.outcome = imported.diff.isEmpty() ? Imported::LeftAlone : Imported::Written;
        return imported;
    }
    ReplaceRequest request = document.saveRequest(true);
    request.found = found;
    request.replacements = fill.replacements;
    request.spans = spans;
    request.batch = batch;
    try {
        ReplaceResult result = ReplaceAndSave(request);
        imported.notes += result.recovered;
        if (result.refusal == Refusal::ChangedOnDisk && !again) { // another Zelvane wrote it meanwhile: once more from what it wrote
            Imported next = importInto(path, catalog, tree, batch, true);
            next.notes = imported.notes + next.notes;
            return next;
        }
        imported.outcome = result.written || result.pending ? Imported::Written : Imported::LeftAlone;
        imported.waiting = std::move(result.pending);
        if (result.refusal != Refusal::None) { // read-only, or changed since it was read: not asked here
            imported.outcome = Imported::Failed;
            imported.problem = {ProblemAbout(result.refusal == Refusal::ReadOnly ? Problem::ReadOnly : Problem::ChangedOnDisk, path)};
        }
    } catch (const FileError &error) {
        imported.outcome = Imported::Failed;
        imported.problem = error.problems();
    }
    return imported;
}

// Each kind of translation the catalog holds but the import could not write, counted.
QString notWrittenSummary(const Problems &problems)
{
    int counts[Problem::KindCount] = {};
    for (const Problem &problem : problems)
        ++counts[problem.kind];
    QStringList parts;
    for (int kind = 0; kind < Problem::KindCount; ++kind)
        if (counts[kind] > 0)
            parts << ProblemCountWords(Problem::Kind(kind), counts[kind]);
    return parts.join(QStringLiteral("，"));
}

// Whether a catalog belongs to the files an import would write: each file its
// places name, found among them by its path relative to the catalog's folder
// or, for a tree that has moved, by its name.
struct TreeMatch {
    QStringList found, missing; // the catalog's files
    bool byPath = false;        // one of them found by its path
    int entriesMissing = 0;     // translated entries with a place in a missing file
};

TreeMatch matchTree(const Catalog &catalog, const QString &catalogPath, const QStringList &files)
{
    const QDir folder = QFileInfo(catalogPath).absoluteDir();
    const QDir current = QDir::current();
    QSet<QString> relative, names;
    for (const QString &file : files) {
        relative.insert(QDir::cleanPath(folder.relativeFilePath(current.absoluteFilePath(file))));
        names.insert(QFileInfo(file).fileName());
    }
    TreeMatch match;
    QHash<QString, bool> there;
    for (const CatalogEntry &entry : catalog.entries) {
        if (entry.obsolete)
            continue;
        bool missing = false;
        for (const CatalogPlace &place : entry.places) {
            const auto known = there.constFind(place.file);
            const bool byPath = known == there.cend() && relative.contains(QDir::cleanPath(place.file));
            match.byPath = match.byPath || byPath;
            const bool found = known != there.cend() ? *known
                : *there.insert(place.file, byPath || names.contains(QFileInfo(place.file).fileName()));
            if (known == there.cend())
                (found ? match.found : match.missing) << place.file;
            missing = missing || !found;
        }
        match.entriesMissing += missing && !entry.translation.isEmpty();
    }
    return match;
}

// Stops an import into a tree that holds none of the catalog's files; notes the
// files it lacks. Found by name alone, half of them must be there: another
// program has its main.cpp and mainwindow.ui too.
bool belongsToTree(const TreeMatch &match, const Options &options, QStringList *problems)
{
    if (!match.missing.isEmpty() && (match.byPath || match.found.size() >= match.missing.size() || options.force))
        *problems << QStringLiteral("%1 中有 %2 条译文的位置所在的文件不在 %3 下：%4%5。")
                         .arg(options.catalog).arg(match.entriesMissing).arg(options.paths.join(QLatin1Char(' ')),
                              match.missing.mid(0, 5).join(QStringLiteral("、")),
                              match.missing.size() > 5 ? QStringLiteral(" 等 %1 个文件").arg(match.missing.size()) : QString());
    if (match.byPath || match.found.size() >= match.missing.size() || options.force)
        return true;
    report(QStringLiteral("%1 记录的 %2 个文件（如 %3）%4在 %5 下，按相对路径找不到%6：它看来不是这些文件的翻译。"
                          "没有写入任何文件；确实要导入请加 --force。")
               .arg(options.catalog).arg(match.found.size() + match.missing.size()).arg(match.missing.first(),
                    match.found.isEmpty() ? QStringLiteral("一个也不") : QStringLiteral("大多不"), options.paths.join(QLatin1Char(' ')),
                    match.found.isEmpty() ? QStringLiteral("，按文件名也找不到") : QStringLiteral("，按文件名只找到 %1 个").arg(match.found.size())));
    return false;
}

// The texts of some entries, quoted, five at most.
QString someTexts(const QSet<const CatalogEntry *> &entries)
{
    QStringList texts;
    for (const CatalogEntry *entry : entries)
        texts << QStringLiteral("“%1”").arg(entry->source.left(40).replace(QLatin1Char('\n'), QStringLiteral("↵"))); // the summary stays one line
    texts.sort();
    QString shown = texts.mid(0, 5).join(QStringLiteral("、"));
    return texts.size() > 5 ? shown + QStringLiteral("等") : shown;
}

int importCommand(const Options &options)
{
    Catalog catalog;
    try {
        catalog = ReadCatalog(options.catalog);
    } catch (const FileError &error) {
        report(ProblemWords(error.problems()));
        return 1;
    }
    int failed = 0;
    const CatalogIndex index(catalog);
    QStringList problems;
    Problems notWritten = catalog.problems; // and those of the files, as they come
    for (const Problem &problem : catalog.problems)
        problems << ProblemWords(problem);
    const QStringList sources = sourceFiles(options.paths, &failed);
    if (!belongsToTree(matchTree(catalog, options.catalog, sources), options, &problems))
        return 1;
    // Every file's functions read first: a place is judged by where the whole program takes it.
    std::optional<TreeFlows> tree;
    if (!options.all) {
        tree.emplace();
        forEachFile(sources, [](const QString &path) {
            const Document document = Document::LoadText(path, true);
            return document.error.isEmpty() && !document.rows.xml
                ? ReadStringUses(document.text, document.rows.spans, document.rows.regions).flows : FileFlows();
        }, [&, file = 0](FileFlows flows) mutable {
            tree->fileNumbers.insert(sources[file++], tree->flows.add(std::move(flows)));
        });
        tree->flows.resolve();
    }
    QSet<const CatalogEntry *> used, already, unfinished;
    int files = 0, written = 0, alone = 0, leftAsData = 0;
    qsizetype strings = 0;
    QString diff;
    // The files written are put on disk a batch at a time, by one wait for all of them, and only
    // then renamed over the files they replace.
    std::optional<DiskBatch> batch;
    if (!options.dryRun)
        batch.emplace();
    std::deque<Imported> held;
    const auto count = [&](const Imported &result) {
        ++files;
        leftAsData += result.leftAsData;
        if (!result.notes.isEmpty())
            problems << ProblemWords(result.notes);
        strings += result.strings;
        problems << result.warnings;
        for (const Problem &problem : result.unwritable)
            problems << ProblemWords(problem);
        notWritten += result.unwritable;
        used.unite(result.used);
        already.unite(result.written);
        unfinished.unite(result.unfinished);
        if (result.outcome == Imported::Failed) {
            problems << ProblemWords(result.problem);
            ++failed;
        }
        written += result.outcome == Imported::Written;
        alone += result.outcome == Imported::LeftAlone;
        diff += result.diff;
    };
    // Counted in the files' order, each once its batch has put it in place or given it up.
    const auto countFinished = [&] {
        while (!held.empty() && !(held.front().waiting && StillWaiting(*held.front().waiting))) {
            Imported &result = held.front();
            try {
                if (const std::shared_ptr<PendingReplace> pending = std::exchange(result.waiting, nullptr))
                    ThrowIfNotWritten(*pending);
            } catch (const FileError &error) {
                result.outcome = Imported::Failed;
                result.problem = error.problems();
            }
            count(result);
            held.pop_front();
        }
    };
    forEachFile(sources, [&](const QString &path) {
        return importInto(path, index, tree ? &*tree : nullptr, batch ? &*batch : nullptr);
    }, [&](Imported result) {
        held.push_back(std::move(result));
        countFinished();
    }, options.dryRun ? 0 : qMax(QThread::idealThreadCount(), WritingThreads));
    if (batch)
        batch->flush();
    countFinished();
    for (const QString &problem : problems)
        report(problem);
    print(stdout, diff);
    const QString verb = options.dryRun ? QStringLiteral("会改动") : QStringLiteral("写入");
    const QString notWrittenWords = notWrittenSummary(notWritten);
    QString summary = QStringLiteral("读取 %1 个文件：字符串 %2 个，条目 %3 条；%4 %5 个文件，未改动 %6 个，失败 %7 个。")
                          .arg(files).arg(strings).arg(catalog.entries.size()).arg(verb).arg(written).arg(alone).arg(failed);
    if (!notWrittenWords.isEmpty())
        summary += QStringLiteral("没有写入的译文：%1。").arg(notWrittenWords);
    if (leftAsData > 0)
        summary += QStringLiteral("有译文的字符串中 %1 处看来是程序用的数据，保持原样（要全部写入请加 --all）。").arg(leftAsData);
    if (!unfinished.isEmpty())
        summary += QStringLiteral("%1 条有译文的条目标记为未完成或模糊，没有写入：%2。").arg(unfinished.size()).arg(someTexts(unfinished));
    already.subtract(used);
    if (!already.isEmpty())
        summary += QStringLiteral("%1 条译文已经在这些文件中。").arg(already.size());
    const int unused = index.translations() - int(used.size() + already.size());
    if (unused > 0)
        summary += QStringLiteral("另有 %1 条译文在这些文件中没有对应的字符串。").arg(unused);
    print(stderr, summary + QLatin1Char('\n'));
    return failed > 0 || !notWritten.isEmpty() ? 1 : 0;
}

} // namespace

int RunCommandLine(const QStringList &arguments)
{
#ifdef __GLIBC__
    // Reading a tree on every core, the heaps grew a few pages at a time: some
    // 3,000 mprotect and 1,500 brk calls for a tree of 2,400 files. They grow by
    // 16 MB at a time instead; what is not touched takes no memory.
    mallopt(M_TOP_PAD, 16 << 20);
#endif
    const QString command = arguments.value(0);
    if (command == u"--help" || command == u"-h") {
        print(stdout, QString::fromUtf8(Usage));
        return 0;
    }
    if (command == u"--version") {
        print(stdout, QStringLiteral("zelvane %1\n").arg(QCoreApplication::applicationVersion()));
        return 0;
    }
    if (command != u"export" && command != u"import")
        return usageError(QStringLiteral("不认识的命令 %1。").arg(command));
    QString problem;
    const std::optional<Options> options = parse(arguments, &problem);
    if (!options)
        return usageError(problem);
    return command == u"export" ? exportCommand(*options) : importCommand(*options);
}
