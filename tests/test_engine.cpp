// The text engine's rules as tables, and the replace on real folders: bytes,
// backup, refusals, and a stop after every step on disk. The fuzzers hold the
// random comparisons against the plain rules.

#include "support/Window.h"

#include "engine/catalog/Catalog.h"
#include "engine/catalog/CatalogFormats.h"
#include "engine/scan/CodeStrings.h"
#include "engine/scan/CppEscapes.h"
#include "engine/Document.h"
#include "app/words/ProblemWords.h"
#include "engine/files/DiskBatch.h"
#include "engine/files/FileError.h"
#include "engine/replace/Landing.h"
#include "engine/replace/OwnLiterals.h"
#include "engine/files/ParallelFor.h"
#include "engine/replace/ReplaceAndSave.h"
#include "engine/replace/ReplacementChecks.h"
#include "engine/scan/ScanLiterals.h"
#include "engine/files/SourcePaths.h"
#include "engine/scan/StringUses.h"
#include "engine/replace/UnifiedDiff.h"
#include "engine/scan/Placeholders.h"
#include "engine/scan/XmlText.h"
#include "engine/files/Utf8NoBomFile.h"
#include "engine/files/WriteLock.h"

#include <QProcess>
#include <QThread>

#include <atomic>
#include <stdexcept>
#include <vector>

#include <signal.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

template <typename Call> QString failureOf(Call call)
{
    try {
        call();
    } catch (const FileError &error) {
        return ProblemWords(error.problems());
    }
    return QString();
}

// "position flags" for each row: r inReplacement, o ownLiteral.
QString describe(const QList<Landing> &landings)
{
    QStringList rows;
    for (const Landing &landing : landings)
        rows << QString::number(landing.position) + (landing.inReplacement ? "r" : "") + (landing.ownLiteral ? "o" : "");
    return rows.join(u' ');
}

const QByteArray Source = "a(\"hello\"); b(\"world\");\n";
const QByteArray OldBackup = "an older backup\n";
const QByteArray Written = "a(\"你好\"); b(\"world\");\n";
const MayRestore Restore = [](const Problem &) { return true; };

} // namespace

class TestEngine : public QObject
{
    Q_OBJECT

    QScopedPointer<QTemporaryDir> m_dir;
    QString path(const QString &name = "main.cpp") const { return m_dir->filePath(name); }
    QStringList entries() const { return QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name); }

    // main.cpp and an older backup on disk, loaded, its first row changed.
    ReplaceRequest loaded() const
    {
        writeBytes(path(), Source);
        writeBytes(path("main.cpp.backup"), OldBackup);
        const QString text = Utf8NoBomFile::ReadUtf8Text(path());
        return {text, ScanLiterals(text), {"你好", "world"}, path(), ScanLiteralSpans(text), false, Source};
    }

private slots:
    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
    }

    void scan_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("escapes stay") << "printf(\"Hello, %s\\n\", name);" << QStringList{"Hello, %s\\n"};
        QTest::newRow("trimmed of spaces only") << "s = \"  pad \r\n  \";" << QStringList{"pad \r\n"};
        QTest::newRow("a TAB inside drops the row") << "a(\"x\ty\"); b(\"z\");" << QStringList{"z"};
        QTest::newRow("empty and blank pairs") << "x = \"\"; y = \"   \";" << QStringList{};
        QTest::newRow("repeats, prefixes, comments") << "a = L\"one\"; // \"one\"" << QStringList{"one", "one"};
        QTest::newRow("escaped marks shift the pairing") << "msg = \"say \\\"hi\\\" now\";" << QStringList{"say \\"};
        QTest::newRow("an opening after a backslash") << "f(\\\"q\\\") \"z\"" << QStringList{"z"};
        QTest::newRow("a character literal") << "char c = '\"'; const char* s = \"x\";" << QStringList{"'; const char* s ="};
        QTest::newRow("raw strings") << "auto r = R\"(a \"b\" c)\";" << QStringList{"(a", "c)"};
        QTest::newRow("a mark at the start") << "\"abc\" x" << QStringList{"abc"};
        QTest::newRow("the last mark unpaired") << "a = \"x\"; b = \"y" << QStringList{"x"};
    }

    void scan()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, rows);
        QCOMPARE(ScanLiterals(text), rows); // the spans agree with the rows: the fuzzer checks that
    }

    // The C++ reading: each row as its text, a raw string's as R<delimiter>:text.
    void codeStrings_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("line comment") << "f(\"a\"); // g(\"b\")\nh(\"c\");" << QStringList{"a", "c"};
        QTest::newRow("line comment continued by a backslash") << "// x \\\r\n \"b\"\n\"c\"" << QStringList{"c"};
        QTest::newRow("block comment, and one left open") << "/* \"a\" */ \"b\" /* \"c\"" << QStringList{"b"};
        QTest::newRow("a quote in a character literal") << "c = '\"'; s = \"x\"; t = '\\''; u = \"y\";" << QStringList{"x", "y"};
        QTest::newRow("an escaped quote in a literal") << "a = \"\\\"\"; b = \"say \\\"hi\\\"\";" << QStringList{"\\\"", "say \\\"hi\\\""};
        QTest::newRow("a trailing backslash") << "p = \"C:\\\\\"; q = \"z\";" << QStringList{"C:\\\\", "z"};
        QTest::newRow("digit separators, u8 and L characters") << "n = 1'000'000 + 0x1'FF; c = u8'a'; d = L'\"'; s = \"k\";" << QStringList{"k"};
        QTest::newRow("a separator before a sign, and after one") << "x = 1e+1'0; y = 1'\"'; z = \"m\";" << QStringList{"m"};
        QTest::newRow("raw strings") << "R\"(say \"hi\")\" u8R\"d(a)\" b)d\" R\"x (y)x\"" << QStringList{"R:say \"hi\"", "Rd:a)\" b", "x (y)x"};
        QTest::newRow("not a raw prefix, and an open raw string") << "FR\"(a)\" R\"(b" << QStringList{"(a)"};
        QTest::newRow("unterminated literal ends at its line") << "a = \"open\nb = \"shut\";" << QStringList{"shut"};
        QTest::newRow("a backslash-newline continues a literal") << "a = \"one \\\ntwo\";" << QStringList{"one \\\ntwo"};
        QTest::newRow("header names") << "\xEF\xBB\xBF#include \"a.h\"\n  # import \"b.h\"\n#include_next \"c.h\"\nx #include \"d\"" << QStringList{"d"};
        QTest::newRow("prefixes, suffixes, adjacent, extern, pragma") << "L\"w\" \"km\"_s \"a\" \"b\" extern \"C\" #pragma \"p\"" << QStringList{"w", "km", "a", "b", "C", "p"};
        QTest::newRow("trimmed rows, blank and TAB rows dropped") << "\"  pad \" \"   \" \"a\tb\" \"\"" << QStringList{"pad"};
    }

    void codeStrings()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, rows);
        QStringList listed;
        for (const CodeString &s : ScanCodeStrings(text)) {
            const QString row = text.mid(s.span.start, s.span.length);
            listed << (s.rawDelimiter.isNull() ? row : "R" + s.rawDelimiter + ":" + row);
        }
        QCOMPARE(listed, rows);
    }

    // What each code string is given to, and in which function: "function → call"
    // per row, and the kind a place of that use and text is (t text, d data, ? unknown).
    void stringUses_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QStringList>("uses");
        QTest::addColumn<QString>("kinds");
        QTest::newRow("nesting") << "void A::f() { QMessageBox::warning(this, tr(\"标题\"), QString(\"文件 %1\").arg(name)); }"
                                 << QStringList{"A::f → tr", "A::f → QString"} << "tt";
        QTest::newRow("member calls") << "void f() { btn->setText(\"Go\"); s.arg(\"x y\"); o.setObjectName(\"btnGo\"); }"
                                      << QStringList{"f → setText", "f → arg", "f → setObjectName"} << "t?d";
        QTest::newRow("a lambda inside a call") << "void W::g() { connect(b, &B::c, this, [this] { label->setText(\"Done\"); }); }"
                                                << QStringList{"W::g → setText"} << "t";
        QTest::newRow("constructors") << "void f() { auto *l = new QLabel(\"Name\"); QLabel m(\"Age\"); QFile file{\"a.txt\"}; }"
                                      << QStringList{"f → QLabel", "f → QLabel", "f → QFile"} << "ttd";
        QTest::newRow("out of its class, a return") << "void A::B::f() const {\n  return \"x y\";\n}" << QStringList{"A::B::f 的返回值"} << "?";
        QTest::newRow("in its class") << "class W : public QWidget {\n  void f() { g(\"a b\"); }\n};" << QStringList{"W::f → g"} << "?";
        QTest::newRow("an initializer list") << "W::W(QWidget *p) : QWidget(p), m_l(new QLabel(\"Hi\")) { setWindowTitle(\"Hello\"); }"
                                             << QStringList{"W::W → QLabel", "W::W → setWindowTitle"} << "tt";
        QTest::newRow("tables, assignments, default arguments, macros")
            << "namespace { const char *k = \"Some text\"; }\nstatic const char *const names[] = {\"One\", {\"Two\"}};\n"
               "void W::f() { m_title = \"Main window\"; s += \"more\"; if (a <= \"z\") {} }\n"
               "class W {\n  void show(int a = 1, const QString &s = \"Hello there\");\n};\n#define GREETING \"Hello there\""
            << QStringList{"→ 赋给 k", "→ 表 names 的元素", "→ 表 names 的元素", "W::f → 赋给 m_title", "W::f → 赋给 s", "W::f",
                           "→ W::show 的默认参数", "→ 宏 GREETING"} << "????dd??"; // a small word added to a variable the code does not show is a name
        QTest::newRow("trailing return types, lambdas")
            << "auto A::f() const -> bool {\n  g(\"a b\");\n  auto l = [](int a) -> bool { return h(\"c d\"); };\n}\n"
               "auto k() -> std::function<void()> { return tr(\"x y\"); }"
            << QStringList{"A::f → g", "A::f → h", "k → tr"} << "??t";
        QTest::newRow("#if branches, #ifdef no call")
            << "#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)\nvoid A::f(int a) {\n#elif defined(X)\nvoid A::g() {\n#else\n"
               "void A::h() {\n#endif\n  q(\"a b\");\n}\nvoid B::k() {\n#ifdef QT_DEBUG\n  qDebug(\"c d\");\n#endif\n}"
            << QStringList{"A::f → q", "B::k → qDebug"} << "?d";
        QTest::newRow("initializers in braces") << "W::W() : QWidget(nullptr), m_a{1}, m_b{\"x y\"} { setWindowTitle(\"Hi there\"); }"
            << QStringList{"W::W → m_b", "W::W → setWindowTitle"} << "?t";
        QTest::newRow("a #define body") << "#define SHOW(x) QMessageBox::information(0, \"Info\", x)\nf(\"a b\");"
                                        << QStringList{"→ QMessageBox::information", "→ f"} << "t?";
        QTest::newRow("constructs") << "#pragma execution_character_set(\"utf-8\")\nextern \"C\" {}\n_Pragma(\"once\")\n"
                                       "static_assert(true, \"why not\");\n[[deprecated(\"old one\")]] void g();\n"
                                       "Q_CLASSINFO(\"Author\", \"Me\")\n"
                                    << QStringList{"→ #pragma", "→ extern", "→ _Pragma", "→ static_assert", "→ 属性 [[…]]",
                                                   "→ Q_CLASSINFO", "→ Q_CLASSINFO"} << "ddddddd";
        QTest::newRow("subscripts, comparisons, debug streams") << "void f() { m[\"key one\"] = 1; if (b->text() == \"连接\") {} "
                                                                   "qDebug() << \"state is\" << tr(\"Shown\"); }"
                                                                << QStringList{"f → 下标 []", "f → 比较（== 或 !=）", "f → qDebug() 输出", "f → tr"} << "dtdd";
        QTest::newRow("through a wrapper") << "void f() { k.insert(QLatin1String(\"volatile\")); if (t == QStringLiteral(\"a b\")) {} "
                                              "if (QLatin1String(\"c d\") != t) {} }"
                                           << QStringList{"f → insert", "f → 比较（== 或 !=）", "f → 比较（== 或 !=）"} << "ddd";
        QTest::newRow("data by its shape") << "f(\"[%1:%2] %3\"); f(\"input.port1\"); f(\"KB0::Up\"); f(\"image/png\"); f(\"Preferences...\"); "
                                              "f(\"Shape:\"); f(\"OK\"); f(\":/img/a.png\"); setText(\"-\"); f(\"*.flac;\"); f(\"BLHLSYYQQLLNJJYMSOYQ\"); f(\"NOT SHOUTING AT ALL\");"
                                              "f(\"file:\"); f(\"mailto:\"); f(\"Note:\"); f(\"https://%1/view?id=%2\"); f(\"false\"); f(\"file:%1\");"
                                              "f(\"vym.currentMap().exportMap(%1)\"); f(\"Open file(s)\");"
                                           << QStringList{"→ f", "→ f", "→ f", "→ f", "→ f", "→ f", "→ f", "→ f", "→ setText", "→ f", "→ f", "→ f",
                                                          "→ f", "→ f", "→ f", "→ f", "→ f", "→ f", "→ f", "→ f"}
                                           << "dddd???dtdd?" "dd?ddd" "d?";
    }

    void stringUses()
    {
        QFETCH(QString, code);
        QFETCH(QStringList, uses);
        QFETCH(QString, kinds);
        const QList<CodeString> strings = ScanCodeStrings(code);
        QList<LiteralSpan> rows;
        for (const CodeString &string : strings)
            rows << string.span;
        const QList<StringUse> found = StringUses(code, rows);
        QStringList described;
        QString kindsFound;
        for (qsizetype i = 0; i < found.size(); ++i) {
            described << DescribeUse(found[i]);
            kindsFound += "?td"[int(KindOfUse(found[i], code.mid(rows[i].start, rows[i].length)))];
        }
        QCOMPARE(described, uses);
        QCOMPARE(kindsFound, kinds);
    }

    // Each place judged over the whole program: files (separated by "@@"), read
    // as a tree, and the kind of each of their strings in order (t seen, d data,
    // ? neither: kept as seen by its shape).
    void placesOverTheProgram_data()
    {
        QTest::addColumn<QString>("files");
        QTest::addColumn<QString>("kinds");
        QTest::newRow("a wrapper of the program hands its parameter to QProcess, from another file; a head with a default")
            << "void Git::run(const QString &program, const QStringList &args, int wait = 30) { QProcess p; p.start(program, args); }"
               "@@void W::add() { m_git->run(\"git\", {\"add\", file}); Git::run(\"gpg\", QStringList() << \"--batch\"); label->setText(tr(\"Added\")); }"
            << "ddddt";
        QTest::newRow("the program's own markup writer: the names of its elements and attributes, not the text between tags")
            << "QString X::element(QString s, QString at) { return \"<\" + s + at + \"/>\"; }\n"
               "QString X::attribut(QString at, QString val) { return at + \"=\\\"\" + val; }\nQString X::bold(QString s) { return \"<b>\" + s; }"
               "@@void F::save() { element(\"frame\", attribut(\"name\", n)); label->setText(bold(\"Saved as\")); }"
            << "dddd" "dd?";
        QTest::newRow("two levels: a lookup built on findExecutable, through a variable")
            << "QString find(const QString &name) { return QStandardPaths::findExecutable(name); }\n"
               "QString locate(QString what) { QString n = what; return find(n); }"
               "@@void f() { locate(\"pass\"); const QString tool = \"pwgen\"; find(tool); }"
            << "dd";
        QTest::newRow("a debug macro of the program (a log in either branch of an #if), a stream variable, a stream onto a file")
            << "#define dbg() qDebug()\n#define LOG qWarning\n"
               "#ifdef QUIET\n#define qLog(level) while (false) QNoDebug()\n#else\n#define qLog(level) logging::Create##level()\n#endif"
               "@@void f() { dbg() << \"state is\" << tr(\"Ready\"); LOG(\"cannot open it\"); std::cout << \"hello there\";\n"
               "  qLog(Debug) << \"Ignoring path\" << path; GST_DEBUG_OBJECT(self, \"Discontinuity detected\"); SHOW_INFO(tr(\"Done\"));\n"
               "  log(\"Failed to read desktop file\", LogError); }\n"
               "void A::save() { QFile file(name); QTextStream out(&file); out << \"Name=\" << tr(\"Password Manager\"); QString s; QTextStream ts(&s); ts << \"Saved as\"; }"
            << "ddddd" "dt" "d" "dt?";
        QTest::newRow("shown in one place, a settings key in another; constants and functions' results go where their names go")
            << "void W::f() { box->setTitle(\"Proxy\"); QSettings s; s.setValue(\"Proxy\", on); }\n"
               "#define SETTING_FPS \"Fps\"\n#define WINDOW_TITLE \"Pencil Two\"\n#define PENCIL2D \"Pencil\"\n"
               "QString D::key(int t) { return \"Movie\"; }\nQString D::name(int t) { return \"Movie\"; }\n"
               "@@void W::g() { QSettings s; s.value(SETTING_FPS); setWindowTitle(WINDOW_TITLE); QSettings t(PENCIL2D, PENCIL2D);\n"
               "  s.setValue(key(1), 2); s.value(key(2)); s.value(name(1)); label->setText(name(2)); }" << "td" "dtd" "d?";
        QTest::newRow("comparisons follow what they compare with")
            << "void W::f() { if (ui->btnConnect->text() == \"Connect\") {} if (p.readAll() == \"Connected\") {}\n"
               "  const QString t = ui->box->currentText(); if (t == \"Two words\") {} if (t.startsWith(\"Some\")) {}\n"
               "  QString out = p.readAllStandardOutput(); if (out.startsWith(\"gpg: done\")) {} if (fi.suffix() == \"gpg\") {}\n"
               "  if (t.endsWith(\".vym\")) {} if (t == \"file://\") {} if (QString::fromUtf8(f->name) == QString(\"avfoundation\")) {} }"
            << "tdttdd" "ddd";
        QTest::newRow("markers, translations and what takes their result")
            << "void f() { label->setText(\"QtPass\"); // no-tr\n  /* NOTR */ g(\"Keep me\");\n  g(\"Two words\"); // notre\n"
               "  g(\"Left alone\"); // a longer comment, read eight at a time: i18n-ignore\n"
               "  qWarning() << tr(\"Cannot open\"); QT_TRANSLATE_NOOP(\"Ctx\", \"Open file\"); translate(\"Ctx\", \"Close it\");\n"
               "  s.value(\"user\", tr(\"unknown user\")); }"
            << "dd?d" "ddtdt" "dt";
        QTest::newRow("lists, <<, append, + and arg into the program's data")
            << "void f() { QStringList args; args << \"--batch\" << \"--yes\"; args.append(\"-e q\"); QProcess::execute(\"gpg\", args);\n"
               "  QFile file(dir + \"/.gpg-id\"); setOrganizationName(\"Some Org\"); QIcon::fromTheme(\"edit copy\");\n"
               "  qputenv(\"GNUPG HOME\", x); QRegularExpression re(QString(\"a b %1\").arg(n)); if (dir.cd(\"presets\")) {}\n"
               "  QString dst = dir + \"/\" + name + \"/flags\"; QMessageBox::warning(this, tr(\"Copy\"), dst + \"content.xml\");\n"
               "  label->setText(\"application/x-vym\"); label->setText(\"Hello \" + name);\n"
               "  p = QDir::cleanPath(home + \"/Library\"); p = home + QDir::separator() + \"Application Support\" + QDir::separator();\n"
               "  q += \" and display_name=?\"; m = QString(\"messages.text REGEXP '%1'\").arg(x); qr->setData(\"tox:\" + id);\n"
               "  m = QString(\"LOWER(t.message) LIKE '%1'\"); paths << \"~/.kde/share/emoticons\"; RegOpenKeyEx(k, TEXT(R\"(Software\\Run)\"));\n"
               "  app.addLibraryPath(\"platforms\"); assert(!\"Unhandled value\"); f(tr(\"Remove <b>all</b>?\")); }"
            << "dddddddddd" "ddtd" "dt" "dd" "ddd" "ddd" "ddt";
        QTest::newRow("a translated shortcut, a translation searched for, a map's value and key, a key in words, a list's own append")
            << "void W::f() { a->setShortcut(QKeySequence(tr(\"Ctrl+Shift+Tab\"))); if (s.contains(QObject::tr(\"stalemate\"))) {}\n"
               "  m_headers.insert(Rank, QString(\"%1 \").arg(\"Rank\", 4)); map.insert(\"type\", \"check\"); tags.insert(QObject::tr(\"Date\"), d);\n"
               "  langs.insert(\"Bahasa Indonesia\", \"id\"); langs.insert(QString::fromUtf8(\"Русский\"), \"ru\"); filters.append(\"Icon Files (*.ico)\"); }"
               "@@void Group::insert(int i, Bars *bars) { QFile f(bars); }\nvoid RecentDir::append(const QString &file) { QFile f(file); }"
            << "ttd?ddt?d?d?";
        QTest::newRow("a protocol through the program's own function, as bytes; property names; a test's rows; a C library's names; an assertion; calls with template arguments")
            << "#ifndef _WIN32\n#define MZ_FREOPEN(f, m, s) freopen(f, m, s)\n#else\n#define MZ_FREOPEN mz_freopen\n#endif\n"
               "void Engine::send(const QString &data) { m_io->write(data.toLatin1()); }"
               "@@void Uci::stop() { send(\"quit\"); QString command = \"go\"; command += \" ponder\"; send(command);\n"
               "  new QPropertyAnimation(w, \"geometry\"); QTest::newRow(\"game one\") << pgn;\n"
               "  mpv_observe_property(h, 0, \"pause\", F); mpv::qt::get_property(h, \"volume\"); sqlite3_result_error(c, \"invalid operand\", -1);\n"
               "  Q_ASSERT_X(ok, \"Engine::stop\", \"no process to stop\"); qRegisterMetaType<QList<quint16>>(\"QList<quint16>\");\n"
               "  MZ_FREOPEN(name, \"r+b\", file);\n"
               "  auto *label = findChild<QLabel *>(\"label name\"); if (a < b && c > (d)) {} }"
            << "dddddd" "d?" "dd" "d" "dd";
        QTest::newRow("lambdas: a capture is no argument, a parameter named text no getter")
            << "void W::f() { QString msg = tr(\"Opacity: %1\"); connect(s, &S::moved, this, [msg, l](int v) { l->setText(msg.arg(v)); });\n"
               "  connect(e, &QLineEdit::textChanged, [=](const QString &text) { if (text == \"Two words\") {} });\n"
               "  if (ui->b->text() == \"Connect now\") {} }"
            << "tdt";
        QTest::newRow("a key through the program's own setter: its own class's first")
            << "void Game::setTag(const QString &tag, const QString &value) { m_tags[tag] = value; }"
               "@@void Model::setTag(const QString &name, const QString &value) { label->setText(name); }"
               "@@void Game::finish() { setTag(\"Result\", r); }\nvoid W::f() { model->setTag(\"Result shown\", v); }"
            << "dt";
        QTest::newRow("names the program keeps, and code by its shape")
            << "class A : public B {\n  Q_OBJECT\n  Q_CLASSINFO(\"D-Bus Interface\", \"org.example.A\")\n};\n"
               "QString AmazonBoard::variant() const { return \"amazon\"; }\nvoid f(const QString &v = \"standard\");\n"
               "static const char *types[] = {\"depth\", \"nodes\"};\nREGISTER_BOARD(AtomicBoard, \"atomic\")\nconstexpr char kPort[] = \"port\";\n"
               "void J::write(QTextStream &out) { out << \"null\"; }\nQString temp() { return pid + \"_%1.csv\"; }\n"
               "B::B() { setPieceType(Rook, tr(\"rook\"), \"R\"); move(\"O-O-O\"); load(\"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1\");\n"
               "  format(\"Rank,Name,Games\"); html += \"</p>\"; css = \".comment { color: green; }\"; QString t = \"Shown title\";\n"
               "  const QLatin1String trueString(\"true\"); QString name{\"untitled\"}; Q_ASSERT(ok && \"Index must be its ID.\"); }\n"
               "#define ICON_NAME \"copyq\"\n"
            << "ddddddddddtdddddd?dddd";
        QTest::newRow("pieces of code built into a string; a unit is no path")
            << "QString E::autoFix(QString expr) { QString result = expr; result.append(\"(ans)\"); result.prepend(\"ans\"); return result; }"
               "@@void W::f() { editor->setText(m_e->autoFix(t)); QString line = ui->a->text(); line.append(QString(\"%1=%2\").arg(n).arg(v));\n"
               "  label->setText(line); ui->log->append(\"Saved it\"); PUSH_CONSTANT(tr(\"Molar mass\"), \"g/mol\");\n"
               "  mpv_set_option_string(h, \"cursor-autohide\", v); QFileDialog::getOpenFileName(this, tr(\"Find mpv\"), \"\", \"mpv*\");\n"
               "  FileDialog::getOpenFileName(Db, this, tr(\"Choose a database file\")); const char *units[] = {\"KiB\", \"MiB\"};\n"
               "  executeSQL(\"SELECT type,name FROM sqlite_master;\"); query += \" AND \"; label->setText(QString(\"DELETE FROM %1\").arg(t));\n"
               "  fmt = \"upper(\" + col + \")\"; f(\"Delete %1 file(s)?\"); }\n"
               "#define TAG \"[DirectoryWatcher]\"\nvoid R::f() { int end = ui->name->text().lastIndexOf(\".\"); formats.removeAll(\"pdf\"); }"
            << "ddd?t?dtdt??ddddd?ddd";
        QTest::newRow("a translation kept or handed on by the program, and the pieces joined to one")
            << "void Db::close() { lastError = tr(\"No database open\"); qWarning() << lastError; }"
               "@@void Db::get(const QString &user) { qWarning() << user; }\n"
               "void W::f() { m_db->get(tr(\"reading rows\")); caption(tr(\"input power\") + \" (W)\");\n"
               "  caption(dir + \"/\" + tr(\"Untitled\") + \".txt\"); caption(\"<b>\" + tr(\"Bold\")); caption(n + \": \" + tr(\"not found\"));\n"
               "  QCommandLineOption option({\"c\", \"config\"}, tr(\"path to a config file\"), \"file\"); }"
            << "ttttdtddtttddtt";
        QTest::newRow("a class of the program made as the Qt class it derives from; a regular expression by its shape")
            << "class APP_EXPORT Settings : public QSettings {\n public:\n  Settings(const QString &org, const QString &app) : QSettings(org, app) {}\n};\n"
               "class Link : public Base, public QLabel {};\nclass Base : public QLabel {};"
               "@@void W::f() { Settings s(\"featherpad\", \"fp_dark\"); new Link(\"Open the file\");\n"
               "  patterns << \"\\\\b(?<!@)(abstract|as)\\\\b\" << \"Find (all) files\"; }"
            << "ddtd?";
        QTest::newRow("what the program writes into its own files: through a stream it is handed, XML; tables in braces; a format named in capitals")
            << "void Object::exportPalette(QFile &file) const { QTextStream out(&file); out << \"GIMP Palette\" << \"\\n\"; }\n"
               "void Layer::save(QDomDocument &doc) { QDomElement tag = doc.createElement(\"layer\"); tag.setAttribute(\"visibility\", \"true\");\n"
               "  tag.setAttribute(\"name\", name()); }"
               "@@void Page::f() { QString languages[][3] { { tr(\"Greek\"), QStringLiteral(\"Ελληνικά\"), \"el\" } };\n"
               "  filter = tr(\"Palettes\") + \" (*.xml *.gpl);;\" + tr(\"All\");\n"
               "  QMap<QString, QString> formats { { \"png\", \"PNG\" }, { \"tif\", \"TIF\" } }; format = \"WEBP\"; types.append(\"JPG\");\n"
               "  doc.createProcessingInstruction(\"xml\", \"version=\\\"1.0\\\" encoding=\\\"UTF-8\\\"\"); }\n#define BIG_EXTENSION \"PCLX\"\n"
            << "ddddddt?d" "tdt" "ddddd" "d" "dd" "d";
        QTest::newRow("texts a person sees stay seen")
            << "QString W::title() const { return \"Password Manager\"; }\n"
               "void W::f() { QMessageBox::warning(this, tr(\"Warning\"), QString(\"Could not open %1\").arg(f));\n"
               "  statusBar()->showMessage(\"Saved it\"); auto *a = new QAction(\"Open file\", this); }"
            << "?tttt";
    }

    void placesOverTheProgram()
    {
        QFETCH(QString, files);
        QFETCH(QString, kinds);
        ProgramFlows flows;
        QList<std::tuple<QString, QList<LiteralSpan>, UseReading, int>> read;
        for (const QString &code : files.split("@@")) {
            QList<LiteralSpan> rows;
            for (const CodeString &string : ScanCodeStrings(code))
                rows << string.span;
            UseReading reading = ReadStringUses(code, rows);
            const int file = flows.add(reading.flows);
            read.append({code, rows, reading, file});
        }
        flows.resolve();
        QString found;
        for (const auto &[code, rows, reading, file] : read)
            for (qsizetype i = 0; i < rows.size(); ++i)
                found += "?td"[int(flows.kindOf(reading.uses[i], code.mid(rows[i].start, rows[i].length), file))];
        QCOMPARE(found, kinds);
    }

    // The catalog's strings are the compiler's: adjacent literals one text, spaces
    // kept; each imported back (the translation in the first literal, the others
    // emptied) reads as its translation, on the same lines.
    void wholeStrings_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QStringList>("texts"); // each text, and the line of its first literal
        QTest::newRow("two") << "tr(\"Could not read \" \"the key.\");" << QStringList{"Could not read the key.@1"};
        QTest::newRow("three, over lines, one spliced") << "f(\"a, \"\n  \"b,\\\n \"\r\n\"c\");" << QStringList{"a, b, c@1"};
        QTest::newRow("comments and a spliced line") << "f(\"a\" /* x */ // y\n \\\n \"b\");" << QStringList{"ab@1"};
        QTest::newRow("prefixes, escapes") << "f(u8\"\\x41\" L\"\\n\" \"\\\"\");" << QStringList{"A\n\"@1"};
        QTest::newRow("a raw string among them") << "f(\"a \" R\"x(\"b\")x\" \" c\");" << QStringList{"a \"b\" c@1"};
        QTest::newRow("a macro between: two") << "f(\"%\" PRId64 \" items\");\ng(\"x\"); h(\"y\");" << QStringList{"%@1", " items@1", "x@2", "y@2"};
        QTest::newRow("spaces kept: two texts") << "f(\"wsl \");\nf(\"wsl\"); f(\" \"); f(\"\"); f(\"\ta\");"
                                                << QStringList{"wsl @1", "wsl@2", " @2", "\ta@2"};
        QTest::newRow("a directive between: two") << "f(\"a\"\n#if X\n\"b\"\n#endif\n);" << QStringList{"a@1", "b@3"};
        QTest::newRow("a line comment, an #include name") << "#include \"a.h\"\n// \"no\"\n\"yes\"" << QStringList{"yes@3"};
    }

    void wholeStrings()
    {
        QFETCH(QString, code);
        QFETCH(QStringList, texts);
        const TextRows rows = ScanRows(code, true);
        Catalog catalog = CatalogFromRows({{"a.cpp", code, rows, {}, true}}, ".");
        QStringList found;
        for (CatalogEntry &entry : catalog.entries) {
            found << entry.source + "@" + QString::number(entry.places.value(0).line);
            entry.translation = "〈" + entry.source + "〉\n";
            entry.finished = true;
        }
        QCOMPARE(found, texts);
        const FillResult fill = FillWholeStrings(CatalogIndex(catalog), code, rows);
        QCOMPARE(fill.counts.filled, texts.size());
        QList<LiteralSpan> spans;
        for (const CodeLiteral &literal : rows.literals)
            spans << literal.content;
        const QString written = ReplaceOwnLiterals(code, spans, fill.replacements).text;
        const TextRows after = ScanRows(written, true);
        QStringList translated;
        for (qsizetype i = 0; i < after.literals.size(); i = JoinedEnd(after.literals, i))
            translated << JoinedText(written, after.literals, i, JoinedEnd(after.literals, i)).value_or("-");
        translated.removeAll(QString());
        QStringList expected;
        for (const CatalogEntry &entry : std::as_const(catalog.entries))
            expected << entry.translation;
        QCOMPARE(translated, expected);
        QCOMPARE(written.count('\n'), code.count('\n'));
    }

    // What a literal's text stands for; "-" where it stands for bytes or is malformed.
    void escapes_data()
    {
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("decoded");
        QTest::newRow("simple escapes") << "\\n\\t\\r\\a\\b\\f\\v\\\\\\\"\\'\\?" << "\n\t\r\a\b\f\v\\\"'?";
        QTest::newRow("hex takes every digit") << "\\x41BC" << "-";
        QTest::newRow("hex") << "\\x41G" << "AG";
        QTest::newRow("octal, three digits at most") << "\\1011\\0" << QString("A1") + QChar(0);
        QTest::newRow("u and U") << "\\u4E2D\\U0001F600" << "中\U0001F600";
        QTest::newRow("a zero-width no-break space") << "\\uFEFF" << QString(QChar(0xFEFF)); // not as UTF-8: a reader drops it
        QTest::newRow("a byte") << "\\xFF" << "-";
        QTest::newRow("an octal byte") << "\\377" << "-";
        QTest::newRow("no hex digit") << "\\x" << "-";
        QTest::newRow("short u") << "\\u4E2" << "-";
        QTest::newRow("a surrogate") << "\\uD800" << "-";
        QTest::newRow("above U+10FFFF") << "\\U00110000" << "-";
        QTest::newRow("unknown, and at the end") << "\\q" << "-";
        QTest::newRow("a backslash at the end") << "a\\" << "-";
        QTest::newRow("backslash-newline") << "a\\\nb\\\r\nc" << "abc";
        QTest::newRow("a bare quote") << "a\"b" << "-";
        QTest::newRow("a bare quote after an escape") << "\\n\"" << "-";
    }

    // Characters XML cannot hold go into a .ts as <byte/> and come back; a big
    // catalog, written in parts on several threads, reads as one writer wrote it.
    void catalogKeepsEveryCharacter()
    {
        Catalog catalog{{CatalogEntry{QString("a") + QChar(1) + "\uFFFF", QString("b") + QChar(0x1F), true, {{"x.cpp", 3}}}}, 0, {}};
        for (int i = 0; i < 1000; ++i)
            catalog.entries.append(CatalogEntry{QString::number(i), QString(), false, {{"y.cpp", i}}});
        for (const char *odd : {"a\"b&c<d>e'f\ng ]]>", "tab\there"}) { // written by hand, and by the writer
            catalog.entries.append(CatalogEntry{QString::fromUtf8(odd), "译\"&<>'", true, {{"q\"&<.cpp", 7}}, "ctx&\"", "note<>"});
            catalog.entries.append(CatalogEntry{QString::fromUtf8(odd) + "!", "译", false, {}, {}, {}, 0, false, {}, "mine&", "<old>", true});
            catalog.entries.append(CatalogEntry{QString::fromUtf8(odd) + "?", "译", true, {}, {}, {}, 0, false, {}, {}, {}, true});
        }
        WriteCatalog(catalog, path("x.ts"), "x.cpp");
        const Catalog read = ReadCatalog(path("x.ts"));
        QCOMPARE(read.entries.size(), catalog.entries.size());
        for (qsizetype i = 0; i < read.entries.size(); ++i) {
            QCOMPARE(read.entries[i].source, catalog.entries[i].source);
            QCOMPARE(read.entries[i].translation, catalog.entries[i].translation);
            QCOMPARE(read.entries[i].context + read.entries[i].note, catalog.entries[i].context + catalog.entries[i].note);
            QCOMPARE(read.entries[i].places.value(0).file, catalog.entries[i].places.value(0).file);
            QCOMPARE(read.entries[i].comment + read.entries[i].oldSource, catalog.entries[i].comment + catalog.entries[i].oldSource);
            QCOMPARE(read.entries[i].obsolete * 2 + read.entries[i].finished, catalog.entries[i].obsolete * 2 + catalog.entries[i].finished);
        }
        const QByteArray written = readBytes(path("x.ts"));
        QVERIFY(written.contains("<byte value=\"x1\"/>"));
        QCOMPARE(written.count("\n        <message>\n            <location"), 1003);
        QCOMPARE(written.count("<translation type=\"vanished\">") * 10 + written.count("<translation type=\"obsolete\">"), 22);
        QVERIFY(written.endsWith("</message>\n    </context>\n</TS>\n"));
    }

    // An export onto an existing catalog, one rule a row. Entries are written
    // "text|translation|flags|comment|earlier text" (flags: f finished, o obsolete,
    // @ctx a disambiguation); the result adds each entry's first place.
    void updateCatalog_data()
    {
        QTest::addColumn<QString>("old");
        QTest::addColumn<QString>("fresh");
        QTest::addColumn<QString>("updated");
        QTest::newRow("same text: translation, state and comment kept, new places") << "Open|打开|f|mine" << "Open"
            << "Open|打开|f|mine||new.cpp";
        QTest::newRow("an unfinished one stays unfinished") << "Open|打开||" << "Open" << "Open|打开||||new.cpp";
        QTest::newRow("an old suggestion keeps its earlier text") << "Open it|打开|||Open" << "Open it" << "Open it|打开|||Open|new.cpp";
        QTest::newRow("another disambiguation is another text") << "Open|打开|f@menu|" << "Open"
            << "Open|||||new.cpp;Open|打开|fo@menu|||";
        QTest::newRow("a similar text gets a suggestion, unfinished") << "Save the file|保存文件|f|c" << "Save the files"
            << "Save the files|保存文件||c|Save the file|new.cpp;Save the file|保存文件|fo|c||";
        QTest::newRow("case and punctuation") << "Use git|用 git|f|" << "Use Git:" << "Use Git:|用 git|||Use git|new.cpp;Use git|用 git|fo|||";
        QTest::newRow("half the words differ: no suggestion") << "Hide password|隐藏密码|f|" << "Rename password"
            << "Rename password|||||new.cpp;Hide password|隐藏密码|fo|||";
        QTest::newRow("a long text (letters compared 64 at a time)")
            << "Templates add fields in the password generation dialouge and in the password view.|模板|f|"
            << "Templates add fields in the password generation dialogue, and in the password view."
            << "Templates add fields in the password generation dialogue, and in the password view.|模板|||"
               "Templates add fields in the password generation dialouge and in the password view.|new.cpp;"
               "Templates add fields in the password generation dialouge and in the password view.|模板|fo|||";
        QTest::newRow("ideographs are words") << "保存文件|Save file|f|" << "保存所有文件" << "保存所有文件|Save file|||保存文件|new.cpp;保存文件|Save file|fo|||";
        QTest::newRow("a suggestion only from a finished translation") << "Save the file|保存||" << "Save the files"
            << "Save the files|||||new.cpp;Save the file|保存|o|||";
        QTest::newRow("a gone text without translation or comment is dropped") << "Gone|||" << "New" << "New|||||new.cpp";
        QTest::newRow("a gone text with a comment stays") << "Gone|||why" << "New" << "New|||||new.cpp;Gone||o|why||";
        QTest::newRow("an obsolete text that is back") << "Back|回来|fo|" << "Back" << "Back|回来|f|||new.cpp";
        QTest::newRow("the finished one of two") << "Two|二||;Two|两|f|" << "Two" << "Two|两|f|||new.cpp";
        QTest::newRow("a translation made in the file stands") << "Mine|旧|f|c" << "Mine|新|f|" << "Mine|新|f|c||new.cpp";
    }
    void updateCatalog()
    {
        QFETCH(QString, old);
        QFETCH(QString, fresh);
        QFETCH(QString, updated);
        const auto catalog = [](const QString &spec, const QString &file) {
            Catalog catalog;
            for (const QString &text : spec.split(u';')) {
                const QStringList field = text.split(u'|');
                const QString flags = field.value(2);
                catalog.entries.append(CatalogEntry{field[0], field.value(1), flags.contains(u'f'), {{file, 1}}, flags.section(u'@', 1), {},
                                                    0, false, {}, field.value(3), field.value(4), flags.contains(u'o')});
            }
            return catalog;
        };
        Catalog result = catalog(fresh, "new.cpp");
        const Catalog earlier = catalog(old, "old.cpp");
        const CatalogUpdateCounts counts = UpdateCatalog(result, earlier);
        QStringList described;
        for (const CatalogEntry &entry : result.entries)
            described << QStringList{entry.source, entry.translation,
                                     QString(entry.finished ? "f" : "") + (entry.obsolete ? "o" : "") + (entry.context.isEmpty() ? "" : "@" + entry.context),
                                     entry.comment, entry.oldSource, entry.places.value(0).file}.join(u'|');
        QCOMPARE(described.join(u';'), updated);
        QCOMPARE(counts.kept + counts.suggested + counts.added, fresh.count(u';') + 1);
        QCOMPARE(counts.obsolete, updated.count(QRegularExpression("\\|f?o")));
        QCOMPARE(counts.suggested, QTest::currentDataTag() == QStringLiteral("case and punctuation") || updated.contains("|Save the file|") || updated.contains("|模板|")
                                       || updated.contains("|保存文件|"));
    }

    // A .po keeps the format flags that let msgfmt check placeholders, a
    // translation left unfinished (fuzzy) with its earlier text, a
    // disambiguation, a note, the translator's comment and obsolete entries.
    void poKeepsFlagsAndFuzzy()
    {
        Catalog catalog;
        catalog.entries = {CatalogEntry{"%d items", "%d 项", true, {{"a.cpp", 1}}},
                           CatalogEntry{"%1 files", "%1 个文件", false, {{"a.cpp", 2}}, "menu", "a note", 0, false, {}, "mine\ntwo lines", "%1 file"},
                           CatalogEntry{"gone", "没了", true, {}, {}, {}, 0, false, {}, "kept", {}, true},
                           CatalogEntry{"gone too", "也没了", false, {}, {}, {}, 0, false, {}, {}, {}, true}};
        WriteCatalog(catalog, path("x.po"), "x");
        const QByteArray written = readBytes(path("x.po"));
        QVERIFY2(written.contains("#, c-format\nmsgid \"%d items\"") && written.contains("#. a note\n")
                     && written.contains("#, fuzzy, qt-format\n#| msgid \"%1 file\"\nmsgctxt \"menu\"")
                     && written.contains("# kept\n#~ msgid \"gone\"") && written.contains("#, fuzzy\n#~ msgid \"gone too\""), written.constData());
        const Catalog read = ReadCatalog(path("x.po"));
        QCOMPARE(read.entries.size(), 4);
        for (qsizetype i = 0; i < 4; ++i) {
            const CatalogEntry &entry = read.entries[i], &expected = catalog.entries[i];
            QCOMPARE(QStringList({entry.translation, entry.context, entry.note, entry.comment, entry.oldSource}),
                     QStringList({expected.translation, expected.context, expected.note, expected.comment, expected.oldSource}));
            QCOMPARE(entry.finished * 2 + entry.obsolete, expected.finished * 2 + expected.obsolete);
        }
        QVERIFY(read.entries[2].line > 0);
    }

    // A tree's catalog does not depend on how many threads read it: each file is
    // read and turned into rows on a worker and merged in order, as the command
    // line does. The first files take longest, so later ones finish first.
    void exportOfATreeWithAnyThreads()
    {
        for (int i = 0; i < 40; ++i)
            writeBytes(path(QString("f%1.cpp").arg(i, 2, 10, QChar('0'))),
                       QByteArray("a(\"same\"); b(\"own ") + QByteArray::number(i % 7) + "\");\n");
        const QStringList files = SourcePaths::SourceFilesUnder({m_dir->path()}, nullptr);
        QByteArray written[2];
        for (const int threads : {1, 4}) {
            std::vector<CatalogRows> rows(files.size());
            CatalogMerger merger;
            ParallelForInOrder(int(files.size()), threads, [&](int i) {
                if (i < 3)
                    QThread::msleep(30);
                const Document d = Document::Load(files[i], true);
                rows[i] = PrepareCatalogRows({d.path, d.text, d.rows, d.found}, m_dir->path());
            }, [&](int i) { merger.add(rows[i]); });
            WriteCatalog(merger.take(), path("tree.ts"), "tree");
            written[threads == 4] = readBytes(path("tree.ts"));
        }
        QCOMPARE(files.size(), 40);
        QCOMPARE(written[1], written[0]);
        QCOMPARE(written[0].count("<source>same</source>"), 1);
        QCOMPARE(written[0].count("<location "), 80); // every place of every text
    }

    // A failing work stops the rest and its error comes out, once every thread has stopped.
    void parallelWorkThatFails()
    {
        QList<int> done;
        std::atomic<int> started{0};
        bool thrown = false;
        try {
            ParallelForInOrder(1000, 4, [&](int i) {
                ++started;
                if (i == 5)
                    throw std::runtime_error("broken");
                QThread::usleep(200);
            }, [&](int i) { done << i; });
        } catch (const std::runtime_error &error) {
            thrown = QByteArray(error.what()) == "broken";
        }
        QVERIFY(thrown);
        QVERIFY(started < 1000);
        for (int i = 0; i < done.size(); ++i)
            QCOMPARE(done[i], i);
        QVERIFY(done.size() <= 5);
    }

    void escapes()
    {
        QFETCH(QString, written);
        QFETCH(QString, decoded);
        QCOMPARE(DecodeCppEscapes(written).value_or("-"), decoded);
        QCOMPARE(EncodeCppEscapes(QString("a\"\\\n\r\t") + QChar(1) + QChar(0x7F) + "中"), "a\\\"\\\\\\n\\r\\t\\001\\177中");
    }

    // The one XML codec of the .ts catalogs and the forms: what a text is
    // written as ("-": it cannot be), and what written content stands for.
    void xmlText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("ts");
        QTest::newRow("markup") << "a&b<c>d\"e'" << "a&amp;b&lt;c&gt;d\"e'" << "a&amp;b&lt;c&gt;d&quot;e'";
        QTest::newRow("long runs of plain text") << "Save the file first & then <close> it: \"done\", 完成"
                                                 << "Save the file first &amp; then &lt;close&gt; it: \"done\", 完成"
                                                 << "Save the file first &amp; then &lt;close&gt; it: &quot;done&quot;, 完成";
        QTest::newRow("line ends and tab") << "\r\n\t" << "&#xd;\n\t" << "&#xd;\n\t";
        QTest::newRow("a control character") << QString("a") + QChar(1) << "-" << "a<byte value=\"x1\"/>";
        QTest::newRow("no character") << "\uFFFE" << "-" << "<byte value=\"xfffe\"/>";
        QTest::newRow("a pair") << "\U0001F600中" << "\U0001F600中" << "\U0001F600中";
        QTest::newRow("a lone surrogate") << QString(QChar(0xDC00)) + "x" << "-" << "<byte value=\"xdc00\"/>x";
    }

    void xmlText()
    {
        QFETCH(QString, text);
        QFETCH(QString, content);
        QFETCH(QString, ts);
        QCOMPARE(EncodeXmlText(text).value_or("-"), content);
        if (content != "-")
            QCOMPARE(DecodeXmlText(content).value_or("-"), text);
        QString written;
        QVERIFY(AppendXmlContent(written, text, true, [](QString &out, char32_t c) { out += QString("<byte value=\"x%1\"/>").arg(uint(c), 0, 16); }));
        QCOMPARE(written, ts);
        QByteArray utf8 = "kept";
        QCOMPARE(AppendXmlUtf8(utf8, text, true, false) ? utf8 : "kept-", content == "-" ? "kept-" : "kept" + ts.toUtf8());
        QString attribute;
        AppendXmlAttribute(attribute, QString("a\t\n\r\"&<>"));
        QCOMPARE(attribute, "\"a&#9;&#10;&#13;&quot;&amp;&lt;&gt;\"");
        QByteArray attributeUtf8;
        QVERIFY(AppendXmlUtf8(attributeUtf8, QString("a\t\n\r\"&<>中"), true, true));
        QCOMPARE(attributeUtf8, "a&#9;&#10;&#13;&quot;&amp;&lt;&gt;中");
    }

    void xmlContent_data()
    {
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("decoded");
        QTest::newRow("references") << "&#x41;&#66;&apos;&quot;" << "AB'\"";
        QTest::newRow("line ends read as a line feed") << "a\r\nb\rc" << "a\nb\nc";
        QTest::newRow("CDATA") << "<![CDATA[<&>]]>" << "<&>";
        QTest::newRow("a zero-width no-break space first") << QChar(0xFEFF) + QString("a\r") << QChar(0xFEFF) + QString("a\n");
        QTest::newRow("an end tag inside") << "a</x>b" << "-";
        QTest::newRow("an element inside") << "<b>a</b>" << "-";
        QTest::newRow("an unknown entity") << "&nbsp;" << "-";
        QTest::newRow("a bare ampersand") << "a & b" << "-";
        QTest::newRow("a CDATA end") << "]]>" << "-";
        QTest::newRow("a reference to NUL") << "&#0;" << "-";
    }

    void xmlContent()
    {
        QFETCH(QString, written);
        QFETCH(QString, decoded);
        QCOMPARE(DecodeXmlText(written).value_or("-"), decoded);
    }

    // What xgettext -a lists in real files, with its known differences: it
    // joins adjacent literals and lists header names. Each ASCII string we list
    // stands in one of its strings, and each of its strings is a header name or
    // holds one of ours. Strings with escapes are left out: it decodes them.
    void codeStringsAgreeWithXgettext()
    {
        for (const char *name : {"engine/scan/CodeStrings.cpp", "ui/Form1.cpp", "tests/test_engine.cpp"}) {
            const QString path = QStringLiteral(ZELVANE_SOURCE_DIR "/") + name;
            QProcess xgettext;
            xgettext.start("xgettext", {"-a", "--no-location", "--no-wrap", "--from-code=UTF-8", "-L", "C++", "-o", "-", path});
            QVERIFY2(xgettext.waitForFinished() && xgettext.exitCode() == 0, qPrintable(xgettext.readAllStandardError()));
            QStringList theirs;
            for (const QString &line : QString::fromUtf8(xgettext.readAllStandardOutput()).split('\n')) {
                if (line.startsWith("msgid \""))
                    theirs << QString();
                if ((line.startsWith("msgid \"") || line.startsWith('"')) && !theirs.isEmpty())
                    theirs.last() += line.mid(line.indexOf('"') + 1).chopped(1);
                if (line.startsWith("msgstr"))
                    theirs << QString(); // what follows is no msgid
            }
            const auto plain = [](const QString &s) { return !s.contains('\\') && !s.trimmed().isEmpty() && s.toLatin1() == s.toUtf8(); };
            const QString text = Utf8NoBomFile::ReadUtf8Text(path);
            QStringList ours;
            for (const CodeString &s : ScanCodeStrings(text)) {
                const QString row = text.mid(s.span.start, s.span.length);
                if (s.rawDelimiter.isNull() && plain(row))
                    ours << row;
            }
            QVERIFY(ours.size() > 5);
            for (const QString &row : ours)
                QVERIFY2(std::any_of(theirs.cbegin(), theirs.cend(), [&](const QString &t) { return t.contains(row); }), qPrintable(row));
            for (const QString &t : theirs) {
                if (!plain(t) || text.contains("#include \"" + t + '"'))
                    continue;
                QVERIFY2(std::any_of(ours.cbegin(), ours.cend(), [&](const QString &row) { return t.contains(row); }), qPrintable(t));
            }
        }
    }

    // Changes near each other share a hunk, far apart they do not, and no two
    // hunks overlap: git apply and patch take every diff as it is.
    void diffsApply_data()
    {
        QTest::addColumn<int>("gap");    // lines between the two changed literals
        QTest::addColumn<QString>("end"); // how the file ends
        for (const int gap : {0, 4, 5, 6, 7, 8})
            QTest::addRow("%d lines apart", gap) << gap << "\n";
        QTest::newRow("CRLF, no last line break") << 5 << "\r\n// last";
        QTest::newRow("a change on the last line") << 1 << "";
    }

    void diffsApply()
    {
        QFETCH(int, gap);
        QFETCH(QString, end);
        const QString eol = end.startsWith(u'\r') ? "\r\n" : "\n";
        QStringList lines{"// 1", "// 2", "x(\"a\");"};
        for (int i = 0; i < gap; ++i)
            lines << QStringLiteral("// gap %1").arg(i);
        lines << "y(\"b\"); z(\"c\");";
        const QString text = lines.join(eol) + end;
        const TextRows rows = ScanRows(text, true);
        const OwnLiterals own = ReplaceOwnLiterals(text, rows.spans, {"A", "B\nB", "c"});
        writeBytes(path("d.cpp"), text.toUtf8());
        writeBytes(path("d.diff"), UnifiedDiff("d.cpp", text, rows.spans, own.text, own.spans).toUtf8());
        for (const QStringList &check : {QStringList{"git", "apply", "--check", "d.diff"}, {"patch", "-p0", "--dry-run", "-i", "d.diff"}}) {
            QProcess tool;
            tool.setWorkingDirectory(m_dir->path());
            tool.start(check[0], check.mid(1));
            QVERIFY(tool.waitForFinished());
            QVERIFY2(tool.exitCode() == 0, qPrintable(check[0] + ": " + tool.readAllStandardError() + readBytes(path("d.diff"))));
        }
        QCOMPARE(QString::fromUtf8(readBytes(path("d.diff"))).count("@@ -"), gap > 6 ? 2 : 1);
        QProcess apply;
        apply.setWorkingDirectory(m_dir->path());
        apply.start("patch", {"-p0", "-s", "-i", "d.diff"});
        QVERIFY(apply.waitForFinished() && apply.exitCode() == 0);
        QCOMPARE(readBytes(path("d.cpp")), own.text.toUtf8());
    }

    // The rule of the replace, and where PlanLandings says each row lands.
    void applyAndPlan_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("found");
        QTest::addColumn<QStringList>("replacements");
        QTest::addColumn<QString>("applied");
        QTest::addColumn<QString>("landings");
        QTest::newRow("own literals") << "a(\"x\"); b(\"y\");" << QStringList{"x", "y"} << QStringList{"X", "Y"} << "a(\"X\"); b(\"Y\");" << "3o 11o";
        QTest::newRow("only the second of two edited lands on the first") << "a(\"hi\"); b(\"hi\");" << QStringList{"hi", "hi"} << QStringList{"hi", "yo"} << "a(\"yo\"); b(\"hi\");" << "-1 3";
        QTest::newRow("both edited land in order") << "a(\"hi\"); b(\"hi\");" << QStringList{"hi", "hi"} << QStringList{"A", "B"} << "a(\"A\"); b(\"B\");" << "3o 12o";
        QTest::newRow("a comment above") << "// 开始\nf(\"开始\");" << QStringList{"开始"} << QStringList{"Begin"} << "// Begin\nf(\"开始\");" << "3";
        QTest::newRow("into a replacement") << "a(\"x\"); b(\"x\");" << QStringList{"x", "x"} << QStringList{"xx", "y"} << "a(\"yx\"); b(\"x\");" << "3o -1r";
        QTest::newRow("after a removal, in the loaded text") << "f(\"ab\", \"b\");" << QStringList{"ab", "b"} << QStringList{"", "B"} << "f(\"\", \"B\");" << "3o 9o";
        QTest::newRow("joined across a removal") << "s(\"aXb\"); t(\"ab\");" << QStringList{"X", "ab"} << QStringList{"", "c"} << "s(\"c\"); t(\"ab\");" << "4 3r";
        QTest::newRow("nothing found, an empty find") << "a(\"x\");" << QStringList{"x", "zz", ""} << QStringList{"y", "w", "v"} << "a(\"y\");" << "3o -1 -1";
    }

    void applyAndPlan()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, found);
        QFETCH(QStringList, replacements);
        QFETCH(QString, applied);
        QFETCH(QString, landings);
        QCOMPARE(ApplyPairs(text, found, replacements), applied);
        QCOMPARE(describe(PlanLandings(text, found, replacements)), landings);
    }

    void invalidUtf8IsRefusedWithTheByte()
    {
        writeBytes(path(), "x\nok \xE4\xBD\xA0 \xC3(");
        const QString message = failureOf([&] { Utf8NoBomFile::ReadUtf8Text(path()); });
        QVERIFY2(message.contains(path()) && message.contains("第 2 行第 6 列，第 10 个字节"), qPrintable(message));
        QVERIFY(failureOf([&] { Utf8NoBomFile::WriteUtf8NoBom(QString(QChar(0xD800)), path()); }).contains(path()));
        QCOMPARE(readBytes(path()), QByteArray("x\nok \xE4\xBD\xA0 \xC3(")); // the lone surrogate changed nothing
        const QString nowhere = path("no/such/folder.cpp");
        const QString missingFolder = failureOf([&] { Utf8NoBomFile::WriteUtf8NoBom("x", nowhere); });
        QVERIFY2(missingFolder.contains(nowhere + "：") && missingFolder.contains("文件或文件夹不存在"), qPrintable(missingFolder));
    }

    // Through a link, which stays a link: its target gets the new text and keeps
    // its permissions; the backup beside the link is a file with the old bytes.
    void replaceWritesFileAndBackup()
    {
        ReplaceRequest request = loaded();
        QVERIFY(QFile::rename(path(), path("real.cpp")) && QFile::link("real.cpp", path()));
        QVERIFY(QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const QFile::Permissions permissions = QFile::permissions(path());
        request.sourceText.prepend(QChar(0xFEFF)); // a mark read from the file is written back
        request.spans.clear();
        request.diskBytes.reset();
        QVERIFY(SourcePaths::SameFile(path(), path("real.cpp")));
        const ReplaceResult result = ReplaceAndSave(request);
        QCOMPARE(result.text, QChar(0xFEFF) + QString::fromUtf8(Written));
        QCOMPARE(QFileInfo(path()).symLinkTarget(), path("real.cpp"));
        QCOMPARE(readBytes(path("real.cpp")), "\xEF\xBB\xBF" + Written);
        QCOMPARE(QFile::permissions(path()), permissions);
        QCOMPARE(QFile::permissions(path("main.cpp.backup")), permissions);
        QVERIFY(!QFileInfo(path("main.cpp.backup")).isSymLink());
        QCOMPARE(readBytes(path("main.cpp.backup")), Source);
        QCOMPARE(ReplaceConfirmation(request.path, request.path + ".backup", result.written), "已经替换 main.cpp。替换前的文件保存在 main.cpp.backup。");
        QCOMPARE(entries(), QStringList({"main.cpp", "main.cpp.backup", "real.cpp"}));
    }

    // A file changed since the load is refused; allowed, the backup keeps the
    // change and its time. Pressing again writes nothing new and keeps that backup; a backup
    // a stopped replace left hidden comes back.
    void changedOnDiskSamePressAndLeftover()
    {
        ReplaceRequest request = loaded();
        const QByteArray edited = Source + "// edited elsewhere\n";
        writeBytes(path(), edited);
        const QDateTime editedAt(QDate(2001, 2, 3), QTime(4, 5, 6, 789));
        {
            QFile file(path());
            QVERIFY(file.open(QIODevice::ReadWrite) && file.setFileTime(editedAt, QFileDevice::FileModificationTime));
        }
        const ReplaceResult refused = ReplaceAndSave(request);
        QVERIFY(refused.refusal == Refusal::ChangedOnDisk && !refused.written);
        QCOMPARE(readBytes(path()), edited);
        QCOMPARE(readBytes(path("main.cpp.backup")), OldBackup);
        request.diskBytes.reset();
        request.sourceText = QString::fromUtf8(edited);
        const ReplaceResult written = ReplaceAndSave(request);
        request.sourceText = written.text;
        request.diskBytes = written.bytes;
        QCOMPARE(readBytes(path()), Written + "// edited elsewhere\n");
        QCOMPARE(readBytes(path("main.cpp.backup")), edited);
        QCOMPARE(QFileInfo(path("main.cpp.backup")).lastModified(), editedAt); // the backup keeps the time of the change

        request.found = request.replacements; // nothing to change: the same bytes
        QCOMPARE(ReplaceConfirmation(request.path, request.path + ".backup", ReplaceAndSave(request).written), "main.cpp 没有需要写入的修改。");
        QCOMPARE(readBytes(path("main.cpp.backup")), edited);

        QVERIFY(QFile::rename(path("main.cpp.backup"), path(".main.cpp.backup.old")));
        ReplaceAndSave(request);
        QCOMPARE(entries(), QStringList({"main.cpp", "main.cpp.backup"}));
        QCOMPARE(readBytes(path("main.cpp.backup")), edited);
    }

    void refusalsChangeNothing_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QString>("phrase");
        QTest::newRow("nothing loaded") << 0 << "还没有载入文件";
        QTest::newRow("the file is gone") << 3 << "已不存在";
        QTest::newRow("a link to nothing") << 4 << "已不存在";
        QTest::newRow("a folder holds the backup's name") << 5 << "文件没有被修改";
    }

    void refusalsChangeNothing()
    {
        QFETCH(int, fault);
        QFETCH(QString, phrase);
        ReplaceRequest request = loaded();
        request.path = fault == 0 ? QString() : request.path;
        if (fault == 3 || fault == 4)
            QVERIFY(QFile::remove(path()) && (fault == 3 || QFile::link("nowhere.cpp", path())));
        if (fault == 5)
            QVERIFY(QFile::remove(path("main.cpp.backup")) && QDir().mkdir(path("main.cpp.backup")));
        const QStringList before = entries();
        const QString message = failureOf([&] { ReplaceAndSave(request); });
        QVERIFY2(message.contains(phrase), qPrintable(message));
        QCOMPARE(entries(), before);
        QCOMPARE(readBytes(path("main.cpp.backup")), fault == 5 ? QByteArray("<missing>") : OldBackup);
    }

    // Owner, group, mode and a user's extended attribute stay, on the file and its backup; a file with a
    // second name is written into, so both names show the new text; a
    // read-only file is written only when allowed, and stays read-only.
    // A failure once it was emptied says that the backup holds it whole.
    void keepsOwnerModeAndLinks()
    {
        if (geteuid() != 0)
            QSKIP("giving files to another owner needs root (CI runs as root)");
        const auto status = [](const QString &file) {
            struct stat info;
            char tag[16] = {};
            const bool tagged = ::getxattr(QFile::encodeName(file).constData(), "user.tag", tag, sizeof tag - 1) > 0;
            return ::stat(QFile::encodeName(file).constData(), &info) == 0
                ? QStringLiteral("%1:%2 %3 %4 %5").arg(info.st_uid).arg(info.st_gid).arg(info.st_mode & 07777, 0, 8).arg(info.st_nlink)
                      .arg(tagged ? tag : "untagged")
                : QStringLiteral("<missing>");
        };
        ReplaceRequest request = loaded();
        for (const int mode : {0664, 0600}) {
            writeBytes(path(), Source);
            QVERIFY(::chown(QFile::encodeName(path()).constData(), 65534, 65534) == 0 && ::chmod(QFile::encodeName(path()).constData(), mode_t(mode)) == 0);
            ::setxattr(QFile::encodeName(path()).constData(), "user.tag", "blue", 4, 0); // where the file system takes it
            const QString before = status(path());
            ReplaceAndSave(request);
            QCOMPARE(status(path()), before);
            QCOMPARE(status(path("main.cpp.backup")), before);
        }
        writeBytes(path(), Source);
        QVERIFY(::link(QFile::encodeName(path()).constData(), QFile::encodeName(path("other.cpp")).constData()) == 0);
        ReplaceAndSave(request);
        QCOMPARE(readBytes(path("other.cpp")), Written);
        QCOMPARE(status(path()).section(' ', 2, 2), "2");

        writeBytes(path(), Source);
        QVERIFY(::chmod(QFile::encodeName(path()).constData(), 0444) == 0);
        const ReplaceResult refused = ReplaceAndSave(request);
        QVERIFY(refused.refusal == Refusal::ReadOnly);
        QCOMPARE(readBytes(path()), Source);
        request.allowReadOnly = true;
        ReplaceAndSave(request);
        QCOMPARE(readBytes(path()), Written);
        QCOMPARE(status(path()).section(' ', 1, 2), "444 2");
        QCOMPARE(entries(), QStringList({"main.cpp", "main.cpp.backup", "other.cpp"}));
    }

    // The program stops after each step on disk: main.cpp is whole there, old
    // or new. A failure of the next step puts everything back as it was. With a
    // second name, the file is written into: a failure once it was emptied
    // leaves the backup whole and says so.
    void stopAfterEveryStep_data()
    {
        QTest::addColumn<bool>("linked");
        QTest::addColumn<int>("step");
        QTest::addColumn<QByteArray>("fileThere");
        QTest::addColumn<QByteArray>("backupThere");
        for (const bool linked : {false, true}) {
            const auto row = [linked](const char *name) -> QTestData & { return QTest::addRow("%s%s", linked ? "linked: " : "", name) << linked; };
            row("older backup set aside") << int(ReplaceStep::OldBackupSetAside) << Source << QByteArray("<missing>");
            row("backup written") << int(ReplaceStep::BackupWritten) << Source << QByteArray("<missing>");
            row("backup in place") << int(ReplaceStep::BackupInPlace) << Source << Source;
            if (linked)
                row("file emptied") << int(ReplaceStep::FileEmptied) << QByteArray() << Source;
            else
                row("file written") << int(ReplaceStep::FileWritten) << Source << Source;
            row("file in place") << int(ReplaceStep::FileInPlace) << Written << Source;
        }
    }

    void stopAfterEveryStep()
    {
        QFETCH(bool, linked);
        QFETCH(int, step);
        QFETCH(QByteArray, fileThere);
        QFETCH(QByteArray, backupThere);
        ReplaceRequest request = loaded();
        QStringList names{"main.cpp", "main.cpp.backup"};
        if (linked) {
            QVERIFY(::link(QFile::encodeName(path()).constData(), QFile::encodeName(path("other.cpp")).constData()) == 0);
            names << "other.cpp";
        }
        bool reached = false;
        const QString message = failureOf([&] {
            ReplaceAndSave(request, [&](ReplaceStep at) {
                if (int(at) != step)
                    return;
                reached = true;
                QCOMPARE(readBytes(path()), fileThere);
                QCOMPARE(readBytes(path("main.cpp.backup")), backupThere);
                if (at != ReplaceStep::FileInPlace)
                    throw FileProblem(Problem::CannotWrite, path("main.cpp"), "No space left on device");
            });
        });
        QVERIFY(reached);
        if (step == int(ReplaceStep::FileEmptied)) { // as a stop there leaves it: marked, and put right by the next load
            QVERIFY2(message.contains("已被清空") && message.contains("替换前的文件完整地保存在 " + path("main.cpp.backup")), qPrintable(message));
            QCOMPARE(entries(), QStringList{".main.cpp.writing"} + names);
            QVERIFY(!Document::Load(path(), true).error.isEmpty()); // a load that may not write leaves it
            const Document reloaded = Document::Load(path(), true, Restore);
            QVERIFY2(ProblemWords(reloaded.recovered).contains("已经用备份 " + path("main.cpp.backup") + " 恢复"), qPrintable(ProblemWords(reloaded.recovered)));
            QCOMPARE(reloaded.bytes, Source);
            QCOMPARE(readBytes(path("other.cpp")), Source);
        }
        QCOMPARE(entries(), names); // nothing temporary stays
        if (step == int(ReplaceStep::FileInPlace) || step == int(ReplaceStep::FileEmptied))
            return;
        QVERIFY2(message.contains("磁盘空间不足"), qPrintable(message));
        QCOMPARE(readBytes(path()), Source);
        QCOMPARE(readBytes(path("main.cpp.backup")), OldBackup);
        writeBytes(path(".main.cpp.new"), Written); // as a program stopped between naming its new text and the rename leaves it
        ReplaceAndSave(request); // and the next press works, and takes that name back
        QCOMPARE(readBytes(path()), Written);
        QCOMPARE(readBytes(path("other.cpp")), linked ? Written : QByteArray("<missing>"));
        QCOMPARE(entries(), names);
    }

    // Files written as one batch wait beside their files, locked, until the
    // batch's sync: only a sync that saw them through puts them in place. A
    // failed sync, or one never made, leaves every file and backup as it was.
    void batchedWrites_data()
    {
        QTest::addColumn<int>("syncError"); // -1: the batch is never synced
        QTest::newRow("synced") << 0;
        QTest::newRow("the disk failed") << EIO;
        QTest::newRow("never synced") << -1;
    }

    void batchedWrites()
    {
        QFETCH(int, syncError);
        int syncs = 0;
        std::optional<DiskBatch> batch(std::in_place, [&](int) { ++syncs; errno = syncError; return syncError > 0 ? -1 : 0; });
        ReplaceRequest request = loaded();
        request.batch = &*batch;
        ReplaceResult result = ReplaceAndSave(request);
        QVERIFY(result.pending && StillWaiting(*result.pending) && !result.written);
        QCOMPARE(readBytes(path()), Source);
        QCOMPARE(readBytes(path(".main.cpp.new")), Written);
        QVERIFY(!WriteLock(path(), 0).locked()); // NAME stays locked while it waits
        QString message;
        if (syncError >= 0) {
            batch->flush();
            QVERIFY(!StillWaiting(*result.pending));
            message = failureOf([&] { ThrowIfNotWritten(*result.pending); });
        }
        QVERIFY(WriteLock(path(), 0).locked() == (syncError >= 0)); // let go by the flush
        batch.reset();
        result = {};
        QCOMPARE(syncs, syncError >= 0 ? 1 : 0);
        QCOMPARE(readBytes(path()), syncError == 0 ? Written : Source);
        QCOMPARE(readBytes(path("main.cpp.backup")), syncError == 0 ? Source : OldBackup);
        QCOMPARE(entries(), QStringList({"main.cpp", "main.cpp.backup"}));
        QCOMPARE(message.isEmpty(), syncError <= 0);
        QVERIFY2(syncError <= 0 || (message.contains("输入输出错误") && message.count("没有被修改") == 1), qPrintable(message));
        request.batch = nullptr;
        QCOMPARE(ReplaceAndSave(request).written, syncError != 0); // the next write works, on its own
    }

    // A program killed while it writes into a file with a second name leaves it
    // part written and marked. The window's load asks first, naming both
    // versions; declined, nothing changes; agreed, the backup puts it back.
    void killedWhileWritingInto()
    {
        ReplaceRequest request = loaded();
        QVERIFY(::link(QFile::encodeName(path()).constData(), QFile::encodeName(path("other.cpp")).constData()) == 0);
        const pid_t child = ::fork();
        if (child == 0) {
            ReplaceAndSave(request, [this](ReplaceStep step) {
                if (step == ReplaceStep::FileEmptied) {
                    writeBytes(path(), Written.left(5)); // as a disk full half-way leaves it
                    ::kill(::getpid(), SIGKILL);
                }
            });
            ::_exit(0);
        }
        int status = 0;
        QVERIFY(::waitpid(child, &status, 0) == child && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        QString asked;
        const Document declined = Document::Load(path(), true, [&](const Problem &found) { asked = RestoreQuestion(found); return false; });
        QVERIFY2(asked.contains("5 字节，共 " + QString::number(Written.size()) + " 字节") && asked.contains(path("main.cpp.backup"))
                     && asked.contains(QString::number(Source.size()) + " 字节"), qPrintable(asked));
        QVERIFY(ProblemWords(declined.error).contains("没有恢复"));
        QCOMPARE(readBytes(path()), Written.left(5));
        const Document reloaded = Document::Load(path(), true, Restore);
        QVERIFY2(ProblemWords(reloaded.recovered).contains("已经用备份"), qPrintable(ProblemWords(reloaded.recovered)));
        QCOMPARE(readBytes(path("other.cpp")), Source);
        QCOMPARE(entries(), QStringList({"main.cpp", "main.cpp.backup", "other.cpp"}));
    }

    // Two processes writing in one folder take turns: the second waits for the
    // first (a shared lock would let both in). A folder another process holds
    // for a whole wait is then refused at once, not waited for file by file.
    void twoProcessesTakeTurns()
    {
        int ready[2];
        QVERIFY(::pipe(ready) == 0);
        const pid_t child = ::fork();
        if (child == 0) {
            const WriteLock first(path());
            (void)!::write(ready[1], "x", 1);
            QThread::msleep(1000);
            writeBytes(path("first.done"), "");
            ::_exit(first.locked() ? 0 : 1);
        }
        char held;
        QVERIFY(::read(ready[0], &held, 1) == 1);
        {
            const WriteLock second(path("other.cpp"));
            QVERIFY(second.locked());
            QVERIFY2(QFileInfo::exists(path("first.done")), "the second writer went in while the first held the folder");
        }
        int status = 0;
        QVERIFY(::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0);

        QProcess holder; // flock(1) from util-linux holds the folder until told to go
        holder.start("flock", {m_dir->path(), "cat"});
        QVERIFY(holder.waitForStarted());
        while (QProcess::execute("flock", {"-n", m_dir->path(), "true"}) == 0)
            QThread::msleep(10);
        QVERIFY(!WriteLock(path(), 200).locked());
        holder.closeWriteChannel();
        QVERIFY(holder.waitForFinished());
        QVERIFY(!WriteLock(path("other.cpp"), 200).locked()); // within the wait's length of the first refusal
        QThread::msleep(250);
        QVERIFY(WriteLock(path("other.cpp"), 200).locked());
    }

    // The replacement's problems by name, in the order CheckReplacement gives them.
    void replacementChecks_data()
    {
        QTest::addColumn<QString>("found");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<QString>("problems");
        QTest::addColumn<QString>("rawDelimiter"); // null: an ordinary literal
        QTest::newRow("a quote ends the literal") << "x" << "a\"b" << "ends" << QString();
        QTest::newRow("an escaped quote") << "x" << "a\\\"b" << "" << QString();
        QTest::newRow("a quote after an escaped backslash") << "x" << "a\\\\\"b" << "ends" << QString();
        QTest::newRow("one trailing backslash") << "x" << "ab\\" << "escapes" << QString();
        QTest::newRow("two trailing backslashes") << "x" << "ab\\\\" << "" << QString();
        QTest::newRow("a CR") << "x" << "a\rb" << "line" << QString();
        QTest::newRow("an LF") << "x" << "a\nb" << "line" << QString();
        QTest::newRow("the found text broke the line already") << "a\nb" << "c\nd" << "" << QString();
        QTest::newRow("another marker") << "%1 files" << "%2 files" << "placeholders" << QString();
        QTest::newRow("markers reordered") << "%1 of %2" << "%2 / %1" << "" << QString();
        QTest::newRow("another conversion") << "%d" << "%s" << "placeholders" << QString();
        QTest::newRow("conversions reordered") << "%d %s" << "%s %d" << "placeholders" << QString();
        QTest::newRow("a percent sign before a letter") << "%%d" << "" << "" << QString();
        QTest::newRow("another length modifier") << "%ld" << "%d" << "placeholders" << QString();
        QTest::newRow("an ampersand is no key") << "&Save" << "Save &&" << "keys" << QString();
        QTest::newRow("a key dropped") << "Open (&O)" << "Open (O)" << "keys" << QString();
        QTest::newRow("a '&' before a space") << "x & y" << "x and y" << "" << QString();
        QTest::newRow("two, in order") << "%1" << "\"%2" << "ends placeholders" << QString();
        QTest::newRow("raw: quotes, breaks, backslashes are fine") << "x" << "\"a\"\nb\\" << "" << "";
        QTest::newRow("raw: its closing ends it") << "x" << "a)d\" b" << "ends" << "d";
        QTest::newRow("raw: another delimiter's closing") << "x" << "a)\" b" << "" << "d";
        QTest::newRow("raw: a closing the found text holds") << "a)\"" << "b)\"" << "" << "";
        QTest::newRow("raw: placeholders and keys") << "%1 &Go" << "%2 Go" << "placeholders keys" << "";
    }

    void replacementChecks()
    {
        QFETCH(QString, found);
        QFETCH(QString, replacement);
        QFETCH(QString, problems);
        QFETCH(QString, rawDelimiter);
        const char *const names[] = {"ends", "escapes", "line", "placeholders", "keys"};
        QStringList listed;
        const auto checked = rawDelimiter.isNull() ? CheckReplacement(found, replacement)
                                                   : CheckRawReplacement(found, replacement, rawDelimiter);
        for (const ReplacementProblem problem : checked)
            listed << names[int(problem)];
        QCOMPARE(listed.join(u' '), problems);
        QCOMPARE(AccessKeyCount("&&&a & b&"), 1);
    }

    // The one placeholder rule the checks and the uses share: q a Qt marker, p a printf conversion.
    void placeholders_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("found");
        QTest::newRow("Qt markers") << "%1 of %2, %L1" << "q1 q2 qL1";
        QTest::newRow("two digits at most") << "%99 %100" << "q99 q10";
        QTest::newRow("no marker") << "%0 %L 100% %.x %" << "";
        QTest::newRow("an escaped percent") << "%% %%1 %1" << "q1";
        QTest::newRow("printf with flags, width, precision") << "%-8.3lf %*d %.*s %+05i" << "plf pd ps pi";
        QTest::newRow("length modifiers") << "%hhu %I64d %zu %qd %Lg" << "phhu pI64d pzu pqd pLg";
        QTest::newRow("a width before a letter is printf") << "%1d %2s" << "pd ps";
        QTest::newRow("the count") << "%n files" << "pn";
    }

    void placeholders()
    {
        QFETCH(QString, text);
        QFETCH(QString, found);
        QStringList listed;
        for (const Placeholder &placeholder : FindPlaceholders(text))
            listed << (placeholder.isPrintf ? "p" : "q") + placeholder.token.toString();
        QCOMPARE(listed.join(u' '), found);
    }
};

QTEST_APPLESS_MAIN(TestEngine)
#include "test_engine.moc"
