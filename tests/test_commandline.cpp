// The command line as a user runs it, with no display: a small tree exported,
// translated with gettext's and Qt's own tools, imported, dry-run and real.

#include "support/Window.h"

#include "engine/catalog/Catalog.h"
#include "engine/replace/WritingMark.h"

#include <QLibraryInfo>
#include <QProcess>

#include <cstdio>

#include <unistd.h>

namespace {

struct Run {
    int status = -1;
    QString out, err;
};

Run run(const QString &folder, const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    environment.remove("QT_QPA_PLATFORM");
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    process.waitForFinished(120000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

// Every file under the folder with its bytes, backups and catalogs left out.
QMap<QString, QByteArray> tree(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (path.endsWith(".cpp"))
            files.insert(QDir(folder).relativeFilePath(path), readBytes(path));
    }
    return files;
}

const QByteArray Old = "x(\"Hello\");\n";
const QByteArray New = "x(\"你好\");\n";

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
    Run zelvane(const QStringList &arguments) const { return run(m_dir.path(), ZELVANE_PROGRAM, arguments); }

private slots:
    void exportTranslateImport()
    {
        QDir(m_dir.path()).mkpath("src/ui");
        QDir(m_dir.path()).mkpath("src/.hidden");
        QDir(m_dir.path()).mkpath("outside");
        writeBytes(path("src/main.cpp"), "#include \"app.h\"\n// puts(\"old\");\nint main() { puts(\"Hello\"); puts(\"Say \\\"hi\\\"\"); }\n");
        writeBytes(path("src/ui/form.cpp"), "void f() { tr(\"Hello\"); tr(\"%1 files\"); auto r = R\"(a \"raw\" one)\"; }\n");
        writeBytes(path("src/.hidden/skip.cpp"), "x(\"hidden\");\n");
        writeBytes(path("outside/linked.cpp"), "x(\"linked\");\n");
        QVERIFY(QFile::link(path("outside"), path("src/link")));
        writeBytes(path("src/bad.cpp"), "x(\"\xff\");\n");

        Run exported = zelvane({"export", "-o", "cat.ts", "src"});
        QCOMPARE(exported.status, 1); // the file that is not UTF-8
        QVERIFY2(exported.err.contains("src/bad.cpp") && exported.err.contains("条目 4 条"), qPrintable(exported.err));
        const QString ts = QString::fromUtf8(readBytes(path("cat.ts")));
        QCOMPARE(ts.count("<source>Hello</source>"), 1);
        QVERIFY(ts.contains("<location filename=\"src/main.cpp\" line=\"3\"/>") && ts.contains("<location filename=\"src/ui/form.cpp\" line=\"1\"/>"));
        QVERIFY(!ts.contains("hidden") && !ts.contains("linked") && !ts.contains("old"));
        const QString lconvert = QLibraryInfo::path(QLibraryInfo::BinariesPath) + "/lconvert";
        for (const QStringList &step : {QStringList{lconvert, "-i", "cat.ts", "-o", "cat.po"}, {"msgen", "-o", "en.po", "cat.po"},
                                        {"msgfilter", "--keep-header", "-i", "en.po", "-o", "tr.po", "sed", "-e", "s/^/T /"},
                                        {lconvert, "-i", "tr.po", "-o", "tr.ts"}}) {
            const Run tool = run(m_dir.path(), step[0], step.mid(1));
            QVERIFY2(tool.status == 0 && tool.err.isEmpty(), qPrintable(step[0] + tool.err));
        }

        const QMap<QString, QByteArray> original = tree(m_dir.path());
        QVERIFY(zelvane({"import", "cat.ts", "src"}).err.contains("写入 0 个文件")); // nothing translated: nothing changes
        QCOMPARE(tree(m_dir.path()), original);
        const Run dry = zelvane({"import", "--dry-run", "tr.ts", "src"});
        QCOMPARE(dry.status, 1);
        QCOMPARE(tree(m_dir.path()), original);
        writeBytes(path("dry.diff"), dry.out.toUtf8());
        const Run patched = run(m_dir.path(), "sh", {"-c", "mkdir patched && cp -r src patched && cd patched && patch -p0 -s < ../dry.diff"});
        QVERIFY2(patched.status == 0, qPrintable(patched.err));

        const Run imported = zelvane({"import", "tr.ts", "src"});
        QCOMPARE(imported.status, 1);
        QVERIFY2(imported.err.contains("src/bad.cpp") && imported.err.contains("写入 2 个文件"), qPrintable(imported.err));
        QCOMPARE(readBytes(path("src/main.cpp")), "#include \"app.h\"\n// puts(\"old\");\nint main() { puts(\"T Hello\"); puts(\"T Say \\\"hi\\\"\"); }\n");
        QCOMPARE(readBytes(path("src/ui/form.cpp")), "void f() { tr(\"T Hello\"); tr(\"T %1 files\"); auto r = R\"(T a \"raw\" one)\"; }\n");
        QCOMPARE(readBytes(path("src/main.cpp.backup")), original["src/main.cpp"]);
        QCOMPARE(readBytes(path("patched/src/main.cpp")), readBytes(path("src/main.cpp")));
        QCOMPARE(readBytes(path("patched/src/ui/form.cpp")), readBytes(path("src/ui/form.cpp")));

        const QMap<QString, QByteArray> translated = tree(m_dir.path());
        QVERIFY2(zelvane({"import", "tr.ts", "src"}).err.contains("写入 0 个文件"), "a second import writes nothing");
        QCOMPARE(tree(m_dir.path()), translated);
        QCOMPARE(zelvane({"--version"}).out, "zelvane " ZELVANE_VERSION "\n");
    }

    // A sentence written as adjacent literals is one entry, spaces and all; its
    // translation, imported, is exactly what the compiler makes of the
    // literals, on the same lines. A catalog of trimmed rows still reaches them.
    void sentencesRoundTrip()
    {
        QDir(m_dir.path()).mkpath("join");
        const QByteArray code = "constexpr const char text[] = u8\"Could not read \" // why\n    \"the key, \"\n"
                                "    \"file \" R\"(\"missing\")\" \".\";\nconstexpr const char pad[] = \" for \";\n"
                                "constexpr const char old[] = \"wsl \";\n";
        writeBytes(path("join/a.cpp"), code);
        QCOMPARE(zelvane({"export", "--all", "-o", "join.ts", "join"}).status, 0);
        Catalog catalog = ReadCatalog(path("join.ts"));
        QStringList sources;
        for (const CatalogEntry &entry : std::as_const(catalog.entries))
            sources << entry.source;
        QCOMPARE(sources, (QStringList{"Could not read the key, file \"missing\".", " for ", "wsl "}));
        catalog.entries[0].translation = "无法读取密钥：文件“missing”\\不存在\t。";
        catalog.entries[1].translation = "的"; // the translator drops the spaces
        catalog.entries[2] = CatalogEntry{"wsl", "WSL 子系统"}; // as an older catalog has it
        for (CatalogEntry &entry : catalog.entries)
            entry.finished = true;
        WriteCatalog(catalog, path("tr.ts"), "tr");
        QCOMPARE(zelvane({"import", "tr.ts", "join"}).status, 0);
        const QByteArray imported = readBytes(path("join/a.cpp"));
        QCOMPARE(imported.count('\n'), code.count('\n'));
        writeBytes(path("check.cpp"), "#include \"join/a.cpp\"\nconstexpr bool same(const char *a, const char *b) "
                                      "{ return *a == *b && (!*a || same(a + 1, b + 1)); }\n"
                                      "static_assert(same(text, \"" + catalog.entries[0].translation.toUtf8().replace("\\", "\\\\").replace("\t", "\\t") + "\"));\n"
                                      "static_assert(same(pad, \"的\"));\nstatic_assert(same(old, \"WSL 子系统 \"));\n");
        const Run compiled = run(m_dir.path(), "g++", {"-std=c++17", "-fsyntax-only", "check.cpp"});
        QVERIFY2(compiled.status == 0, qPrintable(compiled.err + imported));
    }

    // A Qt program whose code compares a button's text with its form's: the
    // form's entries are lupdate's, the shared text is one entry, and
    // translated through gettext's and Qt's tools the program still builds and
    // the comparison still holds; the form changes only inside its texts.
    void aQtProgramWithItsForm()
    {
        const QString folder = path("qtclient");
        QVERIFY(run(m_dir.path(), "cp", {"-r", ZELVANE_SOURCE_DIR "/tests/data/qtclient", folder}).status == 0);
        writeBytes(path("qtclient/broken.ui"), "<ui>\n <widget>\n  <string>x</widget>\n</ui>\n");
        const QString bin = QLibraryInfo::path(QLibraryInfo::BinariesPath);
        QCOMPARE(run(folder, ZELVANE_PROGRAM, {"export", "-o", "all.ts", "."}).status, 1);
        QVERIFY(run(folder, bin + "/lupdate", {"frmtcp.ui", "-ts", "lupdate.ts"}).status == 0);
        const auto formEntries = [](const QString &ts, bool ours) { // ours end their note with where each is used
            QSet<QString> entries;
            const Catalog catalog = ReadCatalog(ts);
            for (const CatalogEntry &entry : catalog.entries) {
                const bool inForm = std::any_of(entry.places.begin(), entry.places.end(), [](const CatalogPlace &place) {
                    return place.file.endsWith(".ui");
                });
                if (inForm)
                    entries << entry.source + "|" + entry.context + "|" + (ours ? entry.note.section(u'\n', 0, -2) : entry.note) + "|" + entry.owner;
            }
            return entries;
        };
        QCOMPARE(formEntries(folder + "/lupdate.ts", false).size(), 5);
        QCOMPARE(formEntries(folder + "/all.ts", true), formEntries(folder + "/lupdate.ts", false));
        QVERIFY(QString::fromUtf8(readBytes(folder + "/all.ts")).contains(
            "<location filename=\"frmtcp.ui\" line=\"15\"/>\n            <location filename=\"main.cpp\" line=\"14\"/>\n            <source>连接</source>"));
        QVERIFY(QString::fromUtf8(readBytes(folder + "/all.ts")).contains("<name>frmtcp.h</name>\n        <message>\n            <location filename=\"frmtcp.h\""));

        for (const QStringList &step : {QStringList{bin + "/lconvert", "-i", "all.ts", "-o", "all.po"}, {"msgen", "-o", "en.po", "all.po"},
                                        {"msgfilter", "--keep-header", "-i", "en.po", "-o", "tr.po", "sed", "-e", "s/^/T<\\&\"> /"},
                                        {bin + "/lconvert", "-i", "tr.po", "-o", "tr.ts"}})
            QVERIFY2(run(folder, step[0], step.mid(1)).status == 0, qPrintable(step.join(' ')));
        const QByteArray form = readBytes(folder + "/frmtcp.ui");
        const Run imported = run(folder, ZELVANE_PROGRAM, {"import", "tr.ts", "."});
        QCOMPARE(imported.status, 1);
        QVERIFY2(imported.err.contains("broken.ui：第 3 行第") && imported.err.contains("写入 3 个文件"), qPrintable(imported.err));
        const QByteArray translated = readBytes(folder + "/frmtcp.ui");
        QCOMPARE(translated.count("T&lt;&amp;\"&gt; "), 5);
        QCOMPARE(QByteArray(translated).replace("T&lt;&amp;\"&gt; ", ""), form);
        const QString build = "cmake -S . -B build -G Ninja >/dev/null && cmake --build build >/dev/null && QT_QPA_PLATFORM=offscreen build/qtclient";
        const Run program = run(folder, "sh", {"-c", build});
        QVERIFY2(program.status == 0 && program.out.startsWith("same T<&\"> 已连接\n"), qPrintable(program.out + program.err));
    }

    // The default export leaves out what only the program reads and keeps what
    // a person sees; --all keeps all, marked; each note names function and call.
    void textsAndData()
    {
        QDir(m_dir.path()).mkpath("uses");
        writeBytes(path("uses/w.cpp"), "#pragma execution_character_set(\"utf-8\")\n"
                                       "void W::init() {\n  setObjectName(\"mainWindow\");\n  settings.value(\"window/geometry\");\n"
                                       "  icon = QIcon(\":/img/app.png\");\n  btn->setText(\"连接\");\n"
                                       "  if (btn->text() == \"断开\") show(\"断开\");\n}\n");
        const Run plain = run(path("uses"), ZELVANE_PROGRAM, {"export", "-o", "a.ts", "w.cpp"});
        QVERIFY2(plain.status == 0 && plain.err.contains("条目 2 条") && plain.err.contains("另有 4 条看来是程序用的数据，未导出"), qPrintable(plain.err));
        const QString ts = QString::fromUtf8(readBytes(path("uses/a.ts")));
        QVERIFY2(ts.contains("<source>连接</source>\n            <extracomment>W::init → setText</extracomment>")
                     && ts.contains("<source>断开</source>\n            <extracomment>W::init → 比较（== 或 !=）；W::init → show</extracomment>"), qPrintable(ts));
        const Run all = run(path("uses"), ZELVANE_PROGRAM, {"export", "--all", "-o", "all.ts", "w.cpp"});
        QVERIFY2(all.status == 0 && all.err.contains("条目 6 条"), qPrintable(all.err));
        QVERIFY(QString::fromUtf8(readBytes(path("uses/all.ts"))).contains("<extracomment>看来是程序用的数据：W::init → setObjectName</extracomment>"));
    }

    // What a catalog translates but cannot be written is reported with its
    // line and counted, and the exit status says so; nothing of it is written.
    void catalogsOutOfTheOrdinary_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("catalog");
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said");
        QTest::addColumn<QByteArray>("written");
        const QByteArray po = "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n\n";
        const QByteArray ts = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!DOCTYPE TS>\n<TS version=\"2.1\">\n<context><name>c</name>\n";
        QTest::newRow("a .po in GBK") << "t.po" << QByteArray("msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=GBK\\n\"\n\nmsgid \"Hello\"\nmsgstr \"\xc4\xe3\xba\xc3\"\n")
                                      << QByteArray("x(\"Hello\");\n") << 0 << "写入 1 个文件" << QByteArray("x(\"你好\");\n");
        QTest::newRow("a charset unknown") << "t.po" << QByteArray("msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=NO-SUCH-9\\n\"\n\nmsgid \"Hello\"\nmsgstr \"Hi\"\n")
                                           << QByteArray("x(\"Hello\");\n") << 1 << "字符集 NO-SUCH-9 无法识别" << QByteArray("x(\"Hello\");\n");
        QTest::newRow("a NUL") << "t.po" << po + "msgid \"A\"\nmsgstr \"A\\0B\"\n\nmsgid \"Close\"\nmsgstr \"关闭\"\n" << QByteArray("x(\"A\", \"Close\");\n")
                               << 1 << "第 5 行：“A”的译文含有 NUL 字符|含 NUL 1 条" << QByteArray("x(\"A\", \"关闭\");\n");
        QTest::newRow("a NUL after a tab") << "t.po" << po + "msgid\t\"A\"\nmsgstr\t\"保存\\0并退出\"\n\nmsgid \"Close\"\nmsgstr\n\"关闭\"\n" << QByteArray("x(\"A\", \"Close\");\n")
                                       << 1 << "第 5 行：“A”的译文含有 NUL 字符" << QByteArray("x(\"A\", \"关闭\");\n");
        QTest::newRow("a .po's lone surrogate") << "t.po" << po + "msgid \"A\"\nmsgstr \"\\355\\240\\200\"\n\nmsgid \"Close\"\nmsgstr \"关闭\"\n" << QByteArray("x(\"A\", \"Close\");\n")
                                            << 1 << "第 5 行：“A”含有无法编码的字符|无法编码的字符 1 条" << QByteArray("x(\"A\", \"关闭\");\n");
        const QByteArray tsAC = "<message><source>Close</source><translation>关闭</translation></message></context></TS>\n";
        QTest::newRow("a .ts NUL") << "t.ts" << ts + "<message><source>A</source><translation>B<byte value=\"x0\"/></translation></message>\n" + tsAC
                                   << QByteArray("x(\"A\", \"Close\");\n") << 1 << "第 5 行：“A”的译文含有 NUL 字符" << QByteArray("x(\"A\", \"关闭\");\n");
        QTest::newRow("variants") << "t.ts" << ts + "<message><source>A</source><translation variants=\"yes\">\n<lengthvariant>B</lengthvariant>\n"
                                                    "<lengthvariant>b</lengthvariant>\n</translation></message>\n" + tsAC
                                  << QByteArray("x(\"A\", \"Close\");\n") << 1 << "第 5 行：“A”的译文分成了几种长度|分成几种长度 1 条" << QByteArray("x(\"A\", \"关闭\");\n");
        QTest::newRow("an element") << "t.ts" << ts + "<message><source>A</source><translation><b>打</b>开</translation></message>\n" + tsAC
                                    << QByteArray("x(\"A\", \"Close\");\n") << 1 << "第 5 行：“A”含有元素 <b>|含有元素 1 条" << QByteArray("x(\"A\", \"关闭\");\n");
        QTest::newRow("a .ts lone surrogate") << "t.ts" << ts + "<message><source>A</source><translation>B<byte value=\"xd800\"/></translation></message>\n" + tsAC
                                              << QByteArray("x(\"A\", \"Close\");\n") << 1 << "第 5 行：“A”含有无法编码的字符" << QByteArray("x(\"A\", \"关闭\");\n");
        QTest::newRow("a place in isolates") << "t.po" << po + "#: \xE2\x81\xA8old dir/a.cpp\xE2\x81\xA9:1\nmsgid \"Close\"\nmsgstr \"关闭\"\n"
                                             << QByteArray("x(\"Close\");\n") << 0 << "写入 1 个文件" << QByteArray("x(\"关闭\");\n");
        QTest::newRow("plural forms") << "t.po" << po + "msgid \"file\"\nmsgid_plural \"files\"\nmsgstr[0] \"F\"\nmsgstr[1] \"Fs\"\n"
                                      << QByteArray("x(\"file\");\n") << 1 << "第 6 行：“file”是复数形式|复数形式 1 条" << QByteArray("x(\"file\");\n");
        QTest::newRow("a context") << "t.po" << po + "msgctxt \"menu\"\nmsgid \"Open\"\nmsgstr \"打开\"\n" << QByteArray("x(\"Open\");\n")
                                   << 0 << "另有 1 条译文在这些文件中没有对应的字符串" << QByteArray("x(\"Open\");\n");
        QTest::newRow("an external entity") << "t.ts" << QByteArray("<?xml version=\"1.0\"?>\n<!DOCTYPE TS [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>\n<TS version=\"2.1\"><context><name>c</name>\n"
                                                                  "<message><source>XY</source><translation>X&x;Y</translation></message></context></TS>\n")
                                            << QByteArray("x(\"XY\");\n") << 1 << "第 4 行：“XY”含有无法展开的实体 &x;|实体无法展开 1 条" << QByteArray("x(\"XY\");\n");
        QTest::newRow("two translations") << "t.ts" << ts + "<message><source>Hi</source><translation>Ho</translation></message></context>\n"
                                                            "<context><name>d</name>\n<message><source>Hi</source><translation>He</translation></message></context></TS>\n"
                                          << QByteArray("x(\"Hi\");\n") << 1 << "第 5 行和第 7 行把“Hi”译成了不同的文字|两种译法 1 条" << QByteArray("x(\"Hi\");\n");
        QTest::newRow("a raw string's closing") << "t.ts" << ts + "<message><source>原始</source><translation>a)\"b</translation></message></context></TS>\n"
                                                << QByteArray("auto r = R\"(原始)\";\n") << 1 << "a.cpp 第 1 行：译文含有原始字符串的结束符 )\"|写不进原始字符串 1 处"
                                                << QByteArray("auto r = R\"(原始)\";\n");
        // Read as Latin-1 from a UTF-8 file: past ASCII as octal escapes, past Latin-1 not at all.
        QTest::newRow("Latin-1 strings") << "t.ts" << ts + "<message><source>Open</source><translation>打开</translation></message>\n"
                                                    "<message><source>Size</source><translation>Größe</translation></message>\n"
                                                    "<message><source>Exit</source><translation>Sortie</translation></message>\n"
                                                    "<message><source>Close</source><translation>关闭</translation></message>\n"
                                                    "<message><source>Quit now</source><translation>退出</translation></message></context></TS>\n"
                                         << QByteArray("x(QLatin1String(\"Open\"), QLatin1String(\"Size\"), \"Exit\"_L1, QString::fromLatin1(\"Close\"));\n"
                                                       "void f() { const QLatin1String quit(\"Quit now\"); show(quit); }\n")
                                         << 1 << "a.cpp 第 1 行：这个字符串按 Latin-1 读|“打”|“关”|a.cpp 第 2 行|写不进按 Latin-1 读的字符串 3 处"
                                         << QByteArray("x(QLatin1String(\"Open\"), QLatin1String(\"Gr\\366\\337e\"), \"Sortie\"_L1, QString::fromLatin1(\"Close\"));\n"
                                                       "void f() { const QLatin1String quit(\"Quit now\"); show(quit); }\n");
    }

    void catalogsOutOfTheOrdinary()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, catalog);
        QFETCH(QByteArray, source);
        QFETCH(int, status);
        QFETCH(QString, said);
        QFETCH(QByteArray, written);
        const QString folder = QStringLiteral("odd/") + QTest::currentDataTag();
        QDir(m_dir.path()).mkpath(folder);
        writeBytes(path(folder + "/" + name), catalog);
        writeBytes(path(folder + "/a.cpp"), source);
        const Run imported = run(path(folder), ZELVANE_PROGRAM, {"import", name, "a.cpp"});
        QCOMPARE(imported.status, status);
        for (const QString &words : said.split(u'|'))
            QVERIFY2(imported.err.contains(words), qPrintable(imported.err));
        QCOMPARE(readBytes(path(folder + "/a.cpp")), written);
    }

    // A form keeps its own encoding: a byte-order mark stays and is no text, a
    // declared ISO-8859-1 is read and written in it (a character it cannot hold
    // goes in as a reference), one unknown here is refused with nothing written;
    // uic reads the translation from the form written.
    void formsInTheirEncoding_data()
    {
        QTest::addColumn<QByteArray>("form");
        QTest::addColumn<QString>("translation");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("string"); // the translated <string> as written; empty: the form left as it was
        const auto form = [](const QByteArray &start, const QByteArray &tip) {
            return start + "\n<ui version=\"4.0\">\n <class>Form</class>\n <widget class=\"QWidget\" name=\"Form\">\n"
                           "  <widget class=\"QLabel\" name=\"label\">\n   <property name=\"text\">\n    <string>Hello</string>\n   </property>\n"
                           "   <property name=\"toolTip\">\n    <string>" + tip + "</string>\n   </property>\n  </widget>\n </widget>\n</ui>\n";
        };
        const QByteArray latin = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>";
        QTest::newRow("a byte-order mark") << form("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "Gr\xC3\xBC\xC3\x9F") << "你好" << 0
                                           << QByteArray("<string>你好</string>");
        QTest::newRow("ISO-8859-1, held") << form(latin, "Gr\xFC\xDF") << "Grüß dich" << 0 << QByteArray("<string>Gr\xFC\xDF dich</string>");
        QTest::newRow("ISO-8859-1, not held") << form(latin, "Gr\xFC\xDF") << "你好 &" << 0 << QByteArray("<string>&#x4F60;&#x597D; &amp;</string>");
        QTest::newRow("an encoding unknown here") << form("<?xml version=\"1.0\" encoding=\"X-NO-SUCH\"?>", "x") << "你好" << 1 << QByteArray();
    }

    void formsInTheirEncoding()
    {
        QFETCH(QByteArray, form);
        QFETCH(QString, translation);
        QFETCH(int, status);
        QFETCH(QByteArray, string);
        const QString folder = QStringLiteral("forms/") + QTest::currentDataTag();
        QDir(m_dir.path()).mkpath(folder);
        writeBytes(path(folder + "/form.ui"), form);
        QString ts = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<TS version=\"2.1\"><context><name>c</name>\n"
                     "<message><source>Hello</source><translation></translation></message></context></TS>\n";
        writeBytes(path(folder + "/tr.ts"), ts.replace("<translation>", "<translation>" + translation.toHtmlEscaped()).toUtf8());
        const Run exported = run(path(folder), ZELVANE_PROGRAM, {"export", "-o", "all.ts", "form.ui"});
        QVERIFY2(status != 0 || QString::fromUtf8(readBytes(path(folder + "/all.ts"))).contains("<source>Hello</source>"), qPrintable(exported.err));
        const Run imported = run(path(folder), ZELVANE_PROGRAM, {"import", "tr.ts", "form.ui"});
        QVERIFY2(imported.status == status, qPrintable(imported.err));
        const QByteArray written = readBytes(path(folder + "/form.ui"));
        if (string.isEmpty()) {
            QCOMPARE(written, form);
            QVERIFY2(imported.err.contains("form.ui") && imported.err.contains("X-NO-SUCH"), qPrintable(imported.err));
            return;
        }
        QCOMPARE(written, QByteArray(form).replace("<string>Hello</string>", string));
        const Run uic = run(path(folder), QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath) + "/uic", {"form.ui"});
        QByteArray escaped; // uic writes each byte of UTF-8 beyond ASCII as an octal escape
        for (const char c : translation.toUtf8())
            escaped += uchar(c) < 0x80 ? QByteArray(1, c) : "\\" + QByteArray::number(uchar(c), 8);
        QVERIFY2(uic.status == 0 && uic.out.toUtf8().contains("translate(\"Form\", \"" + escaped + "\""), qPrintable(uic.out + uic.err));
    }

    // "\r", "\r\n" and "\n" stay three texts through a .ts and Qt's own tools.
    void lineEndsThroughTs()
    {
        QDir(m_dir.path()).mkpath("ends");
        writeBytes(path("ends/a.cpp"), "a(\"\\r\"); b(\"\\r\\n\"); c(\"\\n\");\n");
        QCOMPARE(run(path("ends"), ZELVANE_PROGRAM, {"export", "--all", "-o", "a.ts", "a.cpp"}).status, 0);
        const QString lconvert = QLibraryInfo::path(QLibraryInfo::BinariesPath) + "/lconvert";
        QCOMPARE(run(path("ends"), lconvert, {"-i", "a.ts", "-o", "a.po"}).status, 0);
        const QByteArray po = readBytes(path("ends/a.po"));
        QVERIFY2(po.contains("msgid \"\\r\"") && po.contains("msgid \"\\r\\n\"") && po.contains("msgid \"\\n\""), po.constData());
    }

    // The next version's export onto a translated catalog keeps the work, in
    // either format, through a second update; import writes finished
    // translations only, says what it left and why, and stops at a tree the
    // catalog does not belong to.
    void updateThenImport_data()
    {
        QTest::addColumn<QString>("catalog");
        QTest::newRow(".ts") << "app.ts";
        QTest::newRow(".po") << "app.po";
    }
    void updateThenImport()
    {
        QFETCH(QString, catalog);
        const QString folder = path(QTest::currentDataTag() + 1);
        QDir().mkpath(folder + "/app-1.0");
        QDir().mkpath(folder + "/app-1.1");
        QDir().mkpath(folder + "/other");
        writeBytes(folder + "/app-1.0/a.cpp", "f() { tr(\"Open\"); tr(\"Save the file\"); tr(\"Gone\"); tr(\"Also gone\"); }\n");
        writeBytes(folder + "/app-1.1/a.cpp", "f() { tr(\"Open\"); tr(\"Save the files\"); tr(\"New text\"); }\n");
        writeBytes(folder + "/other/b.cpp", "g() { tr(\"Open\"); }\n");
        const auto zelvaneIn = [&](const QStringList &arguments) { return run(folder, ZELVANE_PROGRAM, arguments); };
        QCOMPARE(zelvaneIn({"export", "-o", catalog, "app-1.0"}).status, 0);
        Catalog translated = ReadCatalog(folder + "/" + catalog);
        for (CatalogEntry &entry : translated.entries)
            entry = CatalogEntry{entry.source, "T " + entry.source, true, entry.places, {}, {}, 0, false, {}, "checked"};
        WriteCatalog(translated, folder + "/" + catalog, "app");

        for (const char *again : {"first update", "second update"}) {
            const Run updated = zelvaneIn({"export", "-o", catalog, "app-1.1"});
            QVERIFY2(updated.status == 0 && updated.err.contains(again == QString("first update")
                         ? "保留 1 条，建议译文 1 条（未完成），新条目 1 条，废弃 3 条" : "保留 3 条，建议译文 0 条（未完成），新条目 0 条，废弃 3 条"),
                     qPrintable(updated.err));
            QStringList entries;
            for (const CatalogEntry &entry : ReadCatalog(folder + "/" + catalog).entries)
                entries << QStringList{entry.source, entry.translation, entry.finished ? "finished" : "", entry.comment, entry.oldSource,
                                       entry.obsolete ? "obsolete" : entry.places.value(0).file}.join(u'|');
            QCOMPARE(entries, QStringList({"Open|T Open|finished|checked||app-1.1/a.cpp",
                                           "Save the files|T Save the file||checked|Save the file|app-1.1/a.cpp", "New text|||||app-1.1/a.cpp",
                                           "Save the file|T Save the file|finished|checked||obsolete", "Gone|T Gone|finished|checked||obsolete", "Also gone|T Also gone|finished|checked||obsolete"}));
        }
        const QString lconvert = QLibraryInfo::path(QLibraryInfo::BinariesPath) + "/lconvert";
        const Run tool = catalog.endsWith(".po") ? run(folder, "msgfmt", {"--check", "-o", "/dev/null", catalog})
                                                 : run(folder, lconvert, {"-i", catalog, "-o", "check.po"});
        QVERIFY2(tool.status == 0, qPrintable(tool.err));

        const QByteArray other = readBytes(folder + "/other/b.cpp");
        const Run refused = zelvaneIn({"import", catalog, "other"});
        QVERIFY2(refused.status == 1 && refused.err.contains("一个也不在 other 下") && refused.err.contains("--force"), qPrintable(refused.err));
        QCOMPARE(readBytes(folder + "/other/b.cpp"), other);
        QVERIFY(run(folder, "cp", {"-r", "app-1.1", "other/moved"}).status == 0); // found by name
        QVERIFY(zelvaneIn({"import", "--dry-run", catalog, "other/moved"}).out.contains("+f() { tr(\"T Open\");"));
        QVERIFY(zelvaneIn({"import", "--dry-run", "--force", catalog, "other"}).out.contains("+g() { tr(\"T Open\"); }"));

        const Run imported = zelvaneIn({"import", catalog, "app-1.1"});
        QVERIFY2(imported.status == 0 && imported.err.contains("1 条有译文的条目标记为未完成或模糊，没有写入：“Save the files”"), qPrintable(imported.err));
        QCOMPARE(readBytes(folder + "/app-1.1/a.cpp"), "f() { tr(\"T Open\"); tr(\"Save the files\"); tr(\"New text\"); }\n");
        const Run twice = zelvaneIn({"import", catalog, "app-1.1"});
        QVERIFY2(twice.err.contains("写入 0 个文件") && twice.err.contains("1 条译文已经在这些文件中") && !twice.err.contains("没有对应"),
                 qPrintable(twice.err));
        const Run dropped = zelvaneIn({"export", "--no-obsolete", "-o", catalog, "app-1.1"});
        QVERIFY2(dropped.err.contains("废弃 0 条，去掉了 4 条废弃条目"), qPrintable(dropped.err)); // "Open" too: the file holds its translation now
    }

    // Usage errors say what is wrong and exit 2; nothing starts a window.
    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("problem");
        QTest::newRow("a mistyped command") << QStringList{"exprot", "-o", "x.po", "src"} << "不认识的命令 exprot";
        QTest::newRow("an unknown option") << QStringList{"export", "--pox", "-o", "x.po", "src"} << "不认识的选项 --pox";
        QTest::newRow("another command's option") << QStringList{"import", "--po", "x.po", "src"} << "不认识的选项 --po";
        QTest::newRow("a value missing") << QStringList{"export", "src", "-o"} << "选项 -o 后面缺少值";
        QTest::newRow("no output") << QStringList{"export", "src"} << "缺少 -o FILE";
        QTest::newRow("no catalog") << QStringList{"import"} << "缺少翻译文件";
    }

    void usageErrors()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, problem);
        const Run usage = zelvane(arguments);
        QCOMPARE(usage.status, 2);
        QVERIFY2(usage.err.contains(problem) && usage.err.contains("用法："), qPrintable(usage.err));
    }

    // An export that would throw away what the user has stops before it writes:
    // the file at -o keeps its bytes.
    void exportRefusals_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QByteArray>("bytes"); // the target's before the export; none: a hard link to src/a.cpp
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said");
        const QByteArray work = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<TS version=\"2.1\"><context><name>c</name>\n"
                                "<message><source>Hi</source><translation>嗨</translation></message></context></TS>\n";
        QTest::newRow("an unreadable catalog") << "work.po" << QByteArray("msgid \"a\"\nmsgstr \"b\"\nmsgid\n") << "src" << 1 << "第 4 行";
        QTest::newRow("a missing path") << "work.ts" << work << "sr" << 1 << "找不到 sr";
        QTest::newRow("a path with no source") << "work.ts" << work << "empty" << 1 << "empty 中没有 C++ 源文件";
        QTest::newRow("onto a source") << "src/a.cpp" << QByteArray() << "src" << 2 << "不是翻译文件";
        QTest::newRow("a mistyped extension") << "work.tss" << work << "src" << 2 << "不是翻译文件";
        QTest::newRow("a source by another name") << "linked.ts" << QByteArray() << "src" << 2 << "是要读取的源文件之一";
        QTest::newRow("a folder") << "src" << QByteArray() << "src" << 2 << "是一个文件夹";
    }

    void exportRefusals()
    {
        QFETCH(QString, target);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, source);
        QFETCH(int, status);
        QFETCH(QString, said);
        const QString folder = path(QStringLiteral("refusals/") + QTest::currentDataTag());
        QDir().mkpath(folder + "/src");
        QDir().mkpath(folder + "/empty");
        writeBytes(folder + "/src/a.cpp", "x(\"Hi\");\n");
        QVERIFY(::link(QFile::encodeName(folder + "/src/a.cpp").constData(), QFile::encodeName(folder + "/linked.ts").constData()) == 0);
        if (!bytes.isNull())
            writeBytes(folder + "/" + target, bytes);
        const QByteArray before = QFileInfo(folder + "/" + target).isFile() ? readBytes(folder + "/" + target) : QByteArray();
        const Run refused = run(folder, ZELVANE_PROGRAM, {"export", "-o", target, source});
        QVERIFY2(refused.status == status && refused.err.contains(said), qPrintable(refused.err));
        if (QFileInfo(folder + "/" + target).isFile())
            QCOMPARE(readBytes(folder + "/" + target), before);
        QCOMPARE(readBytes(folder + "/src/a.cpp"), "x(\"Hi\");\n");
    }

    // A catalog target that is no ordinary file is written into, never
    // replaced; "-" is standard output.
    void catalogIntoPipeOrStandardOutput()
    {
        QDir().mkpath(path("pipe"));
        writeBytes(path("pipe/a.cpp"), "x(\"Hi\");\n");
        const Run piped = run(path("pipe"), "sh", {"-c", QStringLiteral("mkfifo f.ts && { cat f.ts > got & %1 export -o f.ts a.cpp; wait; } && test -p f.ts")
                                                             .arg(ZELVANE_PROGRAM)});
        QVERIFY2(piped.status == 0, qPrintable(piped.err));
        QVERIFY(readBytes(path("pipe/got")).contains("<source>Hi</source>"));
        const Run out = run(path("pipe"), ZELVANE_PROGRAM, {"export", "--po", "-o", "-", "a.cpp"});
        QVERIFY2(out.status == 0 && out.out.contains("msgid \"Hi\"") && out.err.contains("写入 标准输出"), qPrintable(out.err));
    }

    // A mark left by a write into a file stopped half-way, and what was done
    // since: export and the dry run change nothing and report it; an import
    // restores only a file that is still what that write left.
    void marksOfInterruptedWrites_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("change"); // 1 the backup's bytes changed, 2 the backup a link to the same bytes, 3 the mark a folder
        QTest::addColumn<QList<int>>("statuses"); // export, dry run, import
        QTest::addColumn<QByteArray>("imported");
        QTest::addColumn<QString>("said");
        const QByteArray edited = "x(\"Hello\"); y(\"mine\");\n";
        QTest::newRow("interrupted write") << QByteArray() << 0 << QList<int>{1, 1, 0} << New << "已经用备份";
        QTest::newRow("the whole new text") << New << 0 << QList<int>{0, 0, 0} << New << "文件是完整的";
        QTest::newRow("later user edit") << edited << 0 << QList<int>{0, 1, 1} << edited << "又被修改过";
        QTest::newRow("unrelated backup") << QByteArray() << 1 << QList<int>{1, 1, 1} << QByteArray() << "已经不是那次写入时的备份";
        QTest::newRow("linked backup") << QByteArray() << 2 << QList<int>{1, 1, 1} << QByteArray() << "是一个链接";
        QTest::newRow("mark as a folder") << Old << 3 << QList<int>{0, 1, 1} << Old << "是一个文件夹";
    }

    void marksOfInterruptedWrites()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, change);
        QFETCH(QList<int>, statuses);
        QFETCH(QByteArray, imported);
        QFETCH(QString, said);
        const QString folder = path(QStringLiteral("marks/") + QTest::currentDataTag());
        QDir().mkpath(folder);
        writeBytes(folder + "/t.po", "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n\nmsgid \"Hello\"\nmsgstr \"你好\"\n");
        writeBytes(folder + "/a.cpp", file);
        writeBytes(folder + "/outside.cpp", Old);
        writeBytes(folder + "/a.cpp.backup", change == 1 ? "other work\n" : Old);
        writeBytes(folder + "/.a.cpp.writing", WritingMark::Record(Old, New));
        if (change == 2)
            QVERIFY(QFile::remove(folder + "/a.cpp.backup") && QFile::link("outside.cpp", folder + "/a.cpp.backup"));
        if (change == 3)
            QVERIFY(QFile::remove(folder + "/.a.cpp.writing") && QDir().mkdir(folder + "/.a.cpp.writing"));
        const auto all = [&] { // every name in the folder, with its bytes or where it links
            QMap<QString, QByteArray> names;
            for (const QFileInfo &entry : QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
                names.insert(entry.fileName(), entry.isSymLink() ? entry.symLinkTarget().toUtf8() : entry.isFile() ? readBytes(entry.filePath()) : "folder");
            return names;
        };
        const QMap<QString, QByteArray> before = all();
        const QList<QStringList> runs{{"export", "-o", "t.ts", "a.cpp"}, {"import", "--dry-run", "t.po", "a.cpp"}, {"import", "t.po", "a.cpp"}};
        for (int i = 0; i < 3; ++i) {
            const Run ran = run(folder, ZELVANE_PROGRAM, runs[i]);
            QVERIFY2(ran.status == statuses[i] && ran.err.contains(i < 2 && said == "已经用备份" ? "会用备份恢复" : said), qPrintable(runs[i].join(' ') + ran.err));
            QFile::remove(folder + "/t.ts");
            if (i < 2)
                QCOMPARE(all(), before);
        }
        QCOMPARE(readBytes(folder + "/a.cpp"), imported);
        QCOMPARE(QFileInfo::exists(folder + "/.a.cpp.writing"), statuses[2] != 0);
        QCOMPARE(readBytes(folder + "/outside.cpp"), Old);
    }

    // Two imports at once on one tree of 20 folders, again and again: neither
    // waits for the other's folders while holding its own (each would give up
    // after 10 s and refuse files), each file ends translated with its backup
    // whole, and nothing hidden stays behind.
    void twoImportsAtOnce()
    {
        QByteArray po = "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n\nmsgid \"你好\"\nmsgstr \"Hello\"\n";
        QDir(m_dir.path()).mkpath("two");
        writeBytes(path("two/t.po"), po);
        const auto file = [this](int i) { return path(QStringLiteral("two/src/d%1/f%2.cpp").arg(i % 20).arg(i)); };
        for (int round = 0; round < 10; ++round) {
            for (int i = 0; i < 40; ++i) {
                QDir().mkpath(QFileInfo(file(i)).path());
                writeBytes(file(i), "puts(\"你好\");\n");
            }
            QProcess first, second;
            for (QProcess *process : {&first, &second}) {
                process->setWorkingDirectory(path("two"));
                process->start(ZELVANE_PROGRAM, {"import", "t.po", "src"});
            }
            QVERIFY(first.waitForFinished(60000) && second.waitForFinished(60000));
            QCOMPARE(first.exitStatus(), QProcess::NormalExit);
            QCOMPARE(second.exitStatus(), QProcess::NormalExit);
            QVERIFY2(first.exitCode() + second.exitCode() == 0, (first.readAllStandardError() + second.readAllStandardError()).constData());
            QStringList names;
            for (QDirIterator files(path("two/src"), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); files.hasNext();)
                names << files.next();
            QCOMPARE(names.size(), 80);
            for (int i = 0; i < 40; ++i) {
                QCOMPARE(readBytes(file(i)), "puts(\"Hello\");\n");
                QCOMPARE(readBytes(file(i) + ".backup"), "puts(\"你好\");\n");
            }
            QDir(path("two/src")).removeRecursively();
        }
    }

    // A catalog written onto a full disk (a small file system of the test's own)
    // fails with the reason and leaves the older catalog whole; a file name that
    // is no UTF-8 is reported, not skipped.
    void fullDiskAndBadNames()
    {
        QDir(m_dir.path()).mkpath("disk/src");
        QByteArray many;
        for (int i = 0; i < 400; ++i)
            many += "puts(\"string number " + QByteArray::number(i) + " with some words to fill the disk\");\n";
        writeBytes(path("disk/src/many.cpp"), many);
        std::FILE *bad = std::fopen(QFile::encodeName(path("disk/src/")) + "bad\xff.cpp", "w"); // a name Qt cannot hold
        QVERIFY(bad && std::fclose(bad) == 0);
        const Run named = zelvane({"export", "-o", "disk/x.ts", "disk/src"});
        QCOMPARE(named.status, 1);
        QVERIFY2(named.err.contains("disk/src/bad\\xff.cpp：文件名不是有效的 UTF-8") && named.err.contains("读取 1 个文件"), qPrintable(named.err));
        std::remove(QFile::encodeName(path("disk/src/")) + "bad\xff.cpp");

        const QString script = QStringLiteral("mount -t tmpfs -o size=16k tmpfs disk/full || exit 77; cd disk; echo 'puts(\"a\");' > a.cpp;"
                                              "%1 export -o full/old.po a.cpp && %1 export -o full/old.ts a.cpp && cp full/old.* . || exit 1;"
                                              "%1 export --po -o full/old.po src/many.cpp; echo \" $?\" >&2;"
                                              "%1 export -o full/old.ts src/many.cpp; echo \" $?\" >&2; cmp old.po full/old.po && cmp old.ts full/old.ts && echo whole >&2")
                                   .arg(ZELVANE_PROGRAM);
        QDir().mkpath(path("disk/full"));
        const Run full = run(m_dir.path(), "unshare", {"-m", "sh", "-c", script});
        if (full.status == 77 || full.err.contains("unshare"))
            QSKIP("a file system of the test's own needs root and mount namespaces (CI runs as root)");
        QCOMPARE(full.err.count("磁盘空间不足"), 2);
        QVERIFY2(full.err.count(" 1\n") == 2 && full.err.endsWith("whole\n"), qPrintable(full.err));
    }
};

QTEST_APPLESS_MAIN(TestCommandLine)
#include "test_commandline.moc"
