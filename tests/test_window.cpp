// The main window through its real widgets, as a user starts and drives it:
// the notice, loads (odd ones too), the replace and its questions, the marks
// that say where each edit will land, the own-literal mode, the find box and
// counts, the desktop services and the lists' mouse events.

#include "support/Window.h"

#include "app/words/ProblemWords.h"

#include "ui/Form2.h"

#include <QDesktopServices>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QProcess>
#include <QScrollBar>
#include <QStringListModel>
#include <QToolTip>
#include <QProcess>
#include <QRegularExpression>
#include <QWindow>

class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

class TestWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<Window> m_window;
    QString m_notice; // what the start-up showed
    QString m_long = QString(40000, u'L') + QStringLiteral("长");
    ListBox *List1 = nullptr, *List2 = nullptr;

    QString file(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    void selectInFile1(const QString &name) const
    {
        Window::click(m_window->get<QListWidget>("File1"), rowsOf(m_window->get<QListWidget>("File1")).indexOf(name));
    }
    QString tip(int row) const { return List2->rowData(row, Qt::ToolTipRole).toString(); }
    bool marked(int row) const { return !List2->rowData(row, Qt::DecorationRole).value<QIcon>().isNull(); }

private slots:
    void initTestCase()
    {
        writeBytes(file("a.cpp"), QByteArray("puts(\"你好\");\nputs(\"nul") + '\0' + "inside\");\nputs(\"" + m_long.toUtf8() + "\");\n");
        writeBytes(file("r.cpp"), "puts(\"你好\");\nputs(\"second\");\n");
        writeBytes(file("bad.cpp"), "x(\"\xff\");\n");
        QByteArray many;
        for (int i = 0; i < 40000; ++i)
            many += "\"r" + QByteArray::number(i) + "\"\n";
        writeBytes(file("many.cpp"), many);
        writeBytes(file("marks.cpp"), "// 开始 here\nf(\"开始\");\ng(\"same\");\nh(\"same\");\nk(\"own\");\n");
        writeBytes(file("gone.cpp"), "\"x\"");
        writeBytes(file("u.cpp"), "a(\"one\"); b(\"two\");\n");
        writeBytes(file("code.cpp"), "// QMessageBox::information(0, \"提示\", info);\nf(\"提示\");\n"
                                     "char q = '\"'; g(\"x\");\nauto r = R\"(say \"hi\")\";\nh(\"提示\");\n");
        writeBytes(file("cat.cpp"), "#include \"cat.h\"\nvoid f() {\n    puts(\"Hello\");\n    puts(\"Say \\\"hi\\\"\");\n"
                                    "    puts(\"a\\\\b\");\n    puts(\"Line\\nbreak\");\n    tr(\"%1 files\");\n    say(\"%d items\", n);\n"
                                    "    puts(\"Unfinished one\");\n    puts(\"Fuzzy one\");\n    puts(\"Hello\");\n}\n");
        writeBytes(file("switch.cpp"), "puts(\"keep\");\ns.replace(\"\\\"\", \"\");\n");
        QByteArray tips;
        for (int i = 0; i < 300; ++i)
            tips += i == 250 ? "// \"note\"\n" : "f(\"r" + QByteArray::number(i) + "\");\n";
        writeBytes(file("tips.cpp"), tips);
        writeBytes(file("again.cpp"), "a(tr(\"Open URL...\"));\nb(tr(\"Cancel\"));\nc(tr(\"Open URL...\"));\n");
        writeBytes(file("l1.cpp"), "void f() {\n    label->setText(QLatin1String(\"Open\"));\n    label->setText(\"Save\");\n}\n");
        writeBytes(file("own.cpp"), "// 开始 here\nf(\"开始\");\ng(\"same\");\nh(\"same\");\nk(\"own\");\n");
        m_window = std::make_unique<Window>(m_dir.path(), [this](QWidget *modal) {
            auto *notice = qobject_cast<Form2 *>(modal);
            const auto tick = [notice] { QMetaObject::invokeMethod(notice->timer1(), "timeout"); };
            tick();
            tick();
            m_notice = QStringLiteral("%1 %2 %3").arg(notice->isVisible()).arg(notice->parentWidget() == nullptr)
                           .arg(m_window == nullptr || !m_window->form->isVisible());
            tick(); // the third tick closes it
        });
        List1 = m_window->get<ListBox>("List1");
        List2 = m_window->get<ListBox>("List2");
    }

    void startUp()
    {
        QCOMPARE(m_notice, QStringLiteral("1 1 1")); // shown without owner while Form1 waited
        QVERIFY(m_window->form->isVisible());
        QCOMPARE(QApplication::focusWidget(), m_window->get("Command1"));
        Form2 notice;
        notice.open();
        QTest::mouseClick(notice.label1(0), Qt::LeftButton);
        QVERIFY(notice.isVisible());
        QTest::mouseDClick(notice.label1(1), Qt::LeftButton);
        QVERIFY(!notice.isVisible());
    }

    // Every problem the engine reports has its words, in Chinese, with every
    // place filled in; and a problem reads the same in the window and on the
    // command line.
    void problemWords()
    {
        for (int kind = 0; kind < Problem::KindCount; ++kind) {
            Problem problem = ProblemAt(Problem::Kind(kind), "src/甲.cpp", 7, 3, "Permission denied");
            problem.other = problem.detail = "src/乙.cpp";
            problem.text = "Open";
            const QString words = ProblemWords(problem);
            QVERIFY2(words.contains(QRegularExpression("[\\x{4e00}-\\x{9fff}]")) && !words.contains(QRegularExpression("%\\d")),
                     qPrintable(QString::number(kind) + ": " + words));
        }
        QProcess exported;
        exported.start(ZELVANE_PROGRAM, {"export", "-o", "-", file("bad.cpp")});
        QVERIFY(exported.waitForFinished(60000));
        const QString err = QString::fromUtf8(exported.readAllStandardError());
        const QString shown = m_window->load("bad.cpp").section(": ", 1).remove(" [warning]");
        QVERIFY2(shown.contains("第 1 行第 4 列，第 4 个字节") && err.contains(shown), qPrintable(err + "\n" + shown));
    }

    // NUL characters and a literal longer than 32,767 characters stay whole.
    void loadShowsTheLiterals()
    {
        QCOMPARE(m_window->load("a.cpp"), QString());
        const QStringList rows = {"你好", QStringLiteral("nul") + QChar(0) + "inside", m_long};
        QCOMPARE(rowsOf(List1), rows);
        QCOMPARE(rowsOf(List2), rows);
        QCOMPARE(m_window->get<EditBox>("Text1")->selectedText(), QStringLiteral("你好"));
        QTRY_COMPARE(QApplication::focusWidget(), m_window->get("Text1"));
        Window::click(List1, 2);
        Window::key("Return");
        QCOMPARE(List2->rowText(2), m_long);
        // The rows are wider than the list; both scroll further, by room for an icon.
        QVERIFY(List1->horizontalExtent() > List1->width());
        QVERIFY(List2->horizontalScrollBar()->maximum() >= List2->horizontalExtent() - List2->viewport()->width() + List2->iconSize().width());
        QCOMPARE(List1->horizontalScrollBar()->maximum(), List2->horizontalScrollBar()->maximum());
    }

    // 40,000 rows load whole; a file gone since File1 listed it leaves them there.
    void manyRowsThenAFailedLoad()
    {
        m_window->load("many.cpp");
        QCOMPARE(List2->rowText(39999), QStringLiteral("r39999"));
        QFile::remove(file("gone.cpp"));
        const QString shown = m_window->load("gone.cpp");
        QVERIFY2(shown.contains(file("gone.cpp")) && shown.endsWith("[warning]"), qPrintable(shown));
        QCOMPARE(List2->count(), 40000);
    }

    // Each mark names the line its edit lands on; the tooltips name each row's own line.
    void marksShowWhereEditsLand()
    {
        m_window->load("marks.cpp");
        QCOMPARE(List1->rowData(1, Qt::ToolTipRole).toString(), QStringLiteral("第 3 行：g(\"【same】\");\n双击这一行，它的替换恢复成原始字符串。"));
        Window::type("Begin"); // row 0: its text stands in the comment above
        Window::key("Return");
        Window::key("Alt+Down"); // row 2 only: it lands on row 1's literal
        Window::type("other");
        Window::key("Return");
        Window::type("mine"); // row 3 lands on its own literal
        Window::key("Return");
        QTRY_VERIFY(marked(0));
        QVERIFY2(tip(0).contains("第 1 行：// 【开始】 here"), qPrintable(tip(0)));
        QVERIFY(!marked(1) && marked(2) && !marked(3));
        QVERIFY2(tip(2).contains("第 3 行：g(\"【same】\")"), qPrintable(tip(2)));
        Window::doubleClick(List1, 2);
        QTRY_VERIFY(!marked(2));
        Window::click(List1, 1);
        Window::type("other");
        Window::key("Return");

        // After the replace the text is the one written: pressing again would
        // change row 2's literal for row 1, and row 3 finds nothing.
        selectInFile1("marks.cpp");
        m_window->press("Command3");
        QTRY_VERIFY2(tip(3).contains("跳过"), qPrintable(tip(3)));
        QVERIFY(!marked(0) && marked(1) && !marked(3));
        QVERIFY2(tip(1).contains("第 4 行：h(\"【same】\")"), qPrintable(tip(1)));
    }

    // Loaded with Enter in File1. The press writes the loaded file wherever
    // File1 stands, says where the backup is, and a press with nothing to write
    // says so and makes no backup. In own-literal mode a restored row writes
    // its found text back.
    void replaceByButtonAndAltR()
    {
        const QByteArray before = readBytes(file("r.cpp"));
        m_window->activate();
        selectInFile1("r.cpp");
        m_window->get("File1")->setFocus(); // as a click or Tab leaves it
        Window::key("Return");
        QCOMPARE(rowsOf(List1), QStringList({"你好", "second"}));
        QCOMPARE(m_window->press("Command3"), "替换文件: r.cpp 没有需要写入的修改。");
        QVERIFY(!QFile::exists(file("r.cpp.backup")));
        Window::click(List1, 0);
        Window::type("hi");
        Window::key("Return");
        Window::type("not stored");
        auto *dir1 = m_window->get<FolderList>("Dir1");
        dir1->setFolder(QDir::tempPath()); // File1 now lists another folder
        // The write runs on a worker thread: until it is back the window says so
        // and takes no key and no second press.
        auto *text1 = m_window->get<EditBox>("Text1");
        QCOMPARE(m_window->shownBy([&] {
            QTest::mouseClick(m_window->get("Command3"), Qt::LeftButton);
            QCOMPARE(m_window->get<QLabel>("Label4")->text(), "正在写入 r.cpp…");
            QTest::keyClick(text1, Qt::Key_X);
            QVERIFY(!m_window->get("Command3")->isEnabled());
        }), QStringLiteral("替换文件: 已经替换 r.cpp。替换前的文件保存在 r.cpp.backup。"));
        QCOMPARE(text1->text(), "not stored");
        QVERIFY(text1->isEnabled());
        const QByteArray written = "puts(\"hi\");\nputs(\"second\");\n";
        QCOMPARE(readBytes(file("r.cpp")), written);
        QCOMPARE(readBytes(file("r.cpp.backup")), before);
        dir1->setFolder(m_dir.path());
        // Alt+R presses it too (after the access key's short animation); the
        // same bytes again write nothing.
        m_window->shownBy([&] {
            QTest::keyClick(m_window->form.get(), Qt::Key_R, Qt::AltModifier);
            QTRY_VERIFY(!m_window->shown.isEmpty());
        });
        QCOMPARE(m_window->shown, "替换文件: r.cpp 没有需要写入的修改。");
        QCOMPARE(readBytes(file("r.cpp.backup")), before);
        QVERIFY(m_window->asked.isEmpty());
        Window::doubleClick(List1, 0); // restored: unticked, the file keeps the replacement
        QTRY_VERIFY2(tip(0).contains("仍是上一次替换写入的“hi”"), qPrintable(tip(0)));
        QTest::mouseClick(m_window->get("Check2"), Qt::LeftButton); // ticked, the found text goes back
        m_window->press("Command3");
        QCOMPARE(readBytes(file("r.cpp")), before);
        QCOMPARE(readBytes(file("r.cpp.backup")), written);
        QTest::mouseClick(m_window->get("Check2"), Qt::LeftButton);
    }

    // Ticked, each edit writes over its own literal, and pressing again writes
    // the same bytes. Unticked, a second press asks first. F8 visits the marked
    // rows; Label4 counts them.
    void ownLiteralsChecksAndCounts()
    {
        m_window->load("own.cpp");
        auto *label4 = m_window->get<QLabel>("Label4");
        QCOMPARE(label4->text(), "4 行 · 改 0 · 未写 0 · 警告 0");
        Window::type("Begin"); // row 0 lands in the comment above
        Window::key("Return");
        Window::key("Alt+Down"); // row 2 lands on row 1's literal
        Window::type("other");
        Window::key("Return");
        Window::type("Say \"hi\""); // row 3 would end its literal early
        Window::key("Return");
        QTRY_COMPARE(label4->text(), "4 行 · 改 3 · 未写 3 · 警告 3");
        QVERIFY2(tip(3).contains("\\\""), qPrintable(tip(3)));
        for (const auto &[keys, row] : {std::pair{"F8", 0}, {"F8", 2}, {"Shift+F8", 0}, {"Shift+F8", 3}}) {
            Window::key(keys);
            QCOMPARE(List1->currentRow(), row);
        }
        QCOMPARE(m_window->get<EditBox>("Text1")->text(), "Say \"hi\"");
        Window::doubleClick(List1, 3);
        QTest::mouseClick(m_window->get("Check2"), Qt::LeftButton);
        QTRY_COMPARE(label4->text(), "4 行 · 改 2 · 未写 2 · 警告 0");
        QVERIFY2(tip(0).contains("正是这个字符串"), qPrintable(tip(0)));

        const QByteArray source = readBytes(file("own.cpp"));
        const QByteArray own = "// 开始 here\nf(\"Begin\");\ng(\"same\");\nh(\"other\");\nk(\"own\");\n";
        selectInFile1("own.cpp");
        for (int press = 0; press < 2; ++press) {
            m_window->press("Command3");
            QCOMPARE(readBytes(file("own.cpp")), own);
            QCOMPARE(readBytes(file("own.cpp.backup")), source);
        }
        QTRY_COMPARE(label4->text(), "4 行 · 改 2 · 未写 0 · 警告 0");
        QVERIFY(m_window->asked.isEmpty());

        QTest::mouseClick(m_window->get("Check2"), Qt::LeftButton);
        m_window->press("Command3", {"取消"});
        QVERIFY2(m_window->asked.value(0).contains("有 2 行会再次改动文件") && m_window->asked[0].contains("第 1 行"),
                 qPrintable(m_window->asked.value(0)));
        QCOMPARE(readBytes(file("own.cpp")), own);
        m_window->press("Command3", {"再次替换"});
        QCOMPARE(readBytes(file("own.cpp")), "// Begin here\nf(\"Begin\");\ng(\"other\");\nh(\"other\");\nk(\"own\");\n");
        QCOMPARE(readBytes(file("own.cpp.backup")), own);
    }

    // A written row whose found text still stands elsewhere is never written
    // there again without a question, new edits in the same press or not:
    // "取消" writes nothing, "只写新的修改" writes the new edit over its own
    // literal only, "再次替换" applies every row again. Ticked, no question.
    void writtenRowsChangeOnlyWhenAsked()
    {
        m_window->load("again.cpp", {"放弃修改"});
        auto *label4 = m_window->get<QLabel>("Label4");
        const auto edit = [this](int row, const char *text) {
            Window::click(List1, row);
            Window::type(QString::fromUtf8(text));
            Window::key("Return");
        };
        const auto lines = [](const char *first, const char *second, const char *third) {
            return QByteArray("a(tr(\"") + first + "\"));\nb(tr(\"" + second + "\"));\nc(tr(\"" + third + "\"));\n";
        };
        edit(0, "打开网址…");
        selectInFile1("again.cpp");
        m_window->press("Command3");
        QVERIFY(m_window->asked.isEmpty());
        const QByteArray once = lines("打开网址…", "Cancel", "Open URL...");
        QCOMPARE(readBytes(file("again.cpp")), once);

        edit(1, "取消操作");
        QTRY_COMPARE(label4->text(), "3 行 · 改 2 · 未写 1 · 警告 1");
        m_window->press("Command3", {"取消"});
        const QString question = m_window->asked.value(0);
        QVERIFY2(m_window->asked.size() == 1 && question.contains("“Open URL...” → “打开网址…”：第 3 行")
                     && question.contains("只写新的修改：只写入还没有写入的 1 行修改"), qPrintable(question));
        QCOMPARE(readBytes(file("again.cpp")), once);
        m_window->press("Command3", {"只写新的修改"});
        const QByteArray newOnly = lines("打开网址…", "取消操作", "Open URL...");
        QCOMPARE(readBytes(file("again.cpp")), newOnly);
        QCOMPARE(readBytes(file("again.cpp.backup")), once);
        QTRY_COMPARE(label4->text(), "3 行 · 改 2 · 未写 0 · 警告 1");

        m_window->press("Command3", {"再次替换"}); // nothing new: still asked
        QVERIFY2(m_window->asked.size() == 1 && !m_window->asked[0].contains("只写新的修改"), qPrintable(m_window->asked.value(0)));
        QCOMPARE(readBytes(file("again.cpp")), lines("打开网址…", "取消操作", "打开网址…"));

        QTest::mouseClick(m_window->get("Check2"), Qt::LeftButton);
        edit(2, "Open link");
        m_window->press("Command3");
        QVERIFY(m_window->asked.isEmpty());
        QCOMPARE(readBytes(file("again.cpp")), lines("打开网址…", "取消操作", "Open link"));
        QTest::mouseClick(m_window->get("Check2"), Qt::LeftButton);
    }

    // Unticked, rows that are no strings of the code are marked and say what
    // they are; ticked, the rows are the code's strings, edits carry over by
    // place, Ctrl+Enter fills the same text, and an own-literal write changes
    // exactly the edited literals.
    void codeStringsAndSameText()
    {
        m_window->load("r.cpp", {"放弃修改"});
        const int lineHigh = List1->rowRect(0).height(), iconHigh = List2->rowRect(0).height();
        m_window->load("code.cpp");
        auto *label4 = m_window->get<QLabel>("Label4");
        const QStringList pairedRows{"提示", "提示", "'; g(", ");\nauto r = R", "hi", ";\nh("};
        QCOMPARE(rowsOf(List1), pairedRows);
        for (int row = 0; row < pairedRows.size(); ++row) { // one line each, line breaks or not
            QCOMPARE(List1->rowRect(row).height(), lineHigh);
            QCOMPARE(List2->rowRect(row).height(), iconHigh);
        }
        QVERIFY2(List1->rowData(3, Qt::ToolTipRole).toString().startsWith("全文（列表中 ↵ 是换行）：\n);\nauto r = R\n"),
                 qPrintable(List1->rowData(3, Qt::ToolTipRole).toString()));
        const auto rowTop = [this](ListBox *list) {
            return list->viewport()->mapTo(m_window->form.get(), list->rowRect(0).topLeft()).y();
        };
        QCOMPARE(rowTop(List1), rowTop(List2)); // side by side, though the lists stand 4 pixels apart
        QTRY_COMPARE(label4->text(), "6 行 · 改 0 · 未写 0 · 警告 5");
        QVERIFY2(marked(0) && tip(0).contains("这一行在注释里") && tip(0).contains("只列出代码中的字符串"), qPrintable(tip(0)));
        QVERIFY2(marked(2) && tip(2).contains("前面的引号配对错位了，它是代码"), qPrintable(tip(2)));
        QVERIFY(!marked(1) && marked(4));
        Window::key("Alt+Down");
        Window::type("Hint");
        Window::key("Return");

        QTest::mouseClick(m_window->get("Check3"), Qt::LeftButton); // the edit goes along: no question
        QVERIFY(m_window->asked.isEmpty());
        QCOMPARE(rowsOf(List1), QStringList({"提示", "x", "say \"hi\"", "提示"}));
        QCOMPARE(rowsOf(List2), QStringList({"Hint", "x", "say \"hi\"", "提示"}));
        QVERIFY2(tip(2).contains("原始字符串"), qPrintable(tip(2)));
        QCOMPARE(List1->currentRow(), 0);
        Window::type("Tip");
        Window::key("Ctrl+Return"); // this row and the other unchanged 提示, then on to the next unchanged row
        QCOMPARE(rowsOf(List2), QStringList({"Tip", "x", "say \"hi\"", "Tip"}));
        QCOMPARE(label4->text(), "已填入 2 行");
        QCOMPARE(List1->currentRow(), 1);
        Window::key("Alt+Down");
        Window::type("say \"yo\"");
        Window::key("Return");
        // Quotes are fine in a raw string; both Tip rows land elsewhere (the comment, then row 0's literal).
        QTRY_COMPARE(label4->text(), "4 行 · 改 3 · 未写 3 · 警告 2");

        m_window->shownBy([&] { QTest::mouseClick(m_window->get("Check3"), Qt::LeftButton); }, {"取消"});
        QVERIFY2(m_window->asked.value(0).contains("有 2 行修改"), qPrintable(m_window->asked.value(0)));
        QVERIFY(m_window->get<QCheckBox>("Check3")->isChecked());
        QCOMPARE(rowsOf(List2), QStringList({"Tip", "x", "say \"yo\"", "Tip"}));

        QTest::mouseClick(m_window->get("Check2"), Qt::LeftButton);
        selectInFile1("code.cpp");
        m_window->press("Command3");
        QCOMPARE(readBytes(file("code.cpp")), "// QMessageBox::information(0, \"提示\", info);\nf(\"Tip\");\n"
                                              "char q = '\"'; g(\"x\");\nauto r = R\"(say \"yo\")\";\nh(\"Tip\");\n");
        Window::click(List1, 0);
        Window::type("Tip2");
        Window::key("Return");
        m_window->shownBy([&] { QTest::mouseClick(m_window->get("Check3"), Qt::LeftButton); });
        QVERIFY(m_window->asked.isEmpty());
        QCOMPARE(rowsOf(List1), QStringList({"提示", "Tip", "'; g(", ");\nauto r = R", "yo", ";\nh("}));
        QCOMPARE(rowsOf(List2).value(1), "Tip2");
        QTest::mouseClick(m_window->get("Check2"), Qt::LeftButton); // as the next tests expect it
        m_window->load("r.cpp", {"放弃修改"});
    }

    // Exported, read by Qt's and gettext's own tools, translated with them,
    // imported as stored edits, written. A malformed file changes nothing.
    // A switch of reading moves a row's edit only to the row at the same place
    // that holds the same text: no edit nobody made, none written twice.
    void switchMovesOnlyEdits()
    {
        const QByteArray original = readBytes(file("switch.cpp"));
        auto *label4 = m_window->get<QLabel>("Label4");
        const auto flip = [this] { QTest::mouseClick(m_window->get("Check3"), Qt::LeftButton); };
        m_window->load("switch.cpp", {"放弃修改"});
        QCOMPARE(rowsOf(List1), QStringList({"keep", "\\", ","}));
        flip();
        QCOMPARE(rowsOf(List2), QStringList({"keep", "\\\""}));
        for (ListBox *list : {List1, List2}) { // the argument of replace() is the program's data
            QVERIFY(list->rowData(1, Qt::ForegroundRole).isValid() && !list->rowData(0, Qt::ForegroundRole).isValid());
            QVERIFY2(list->rowData(1, Qt::ToolTipRole).toString().contains("这一行看来是程序用的数据：它是 replace 的参数。"),
                     qPrintable(list->rowData(1, Qt::ToolTipRole).toString()));
        }
        QVERIFY2(tip(0).contains("用在：→ puts"), qPrintable(tip(0)));
        QTRY_VERIFY2(label4->text().startsWith("2 行 · 改 0 · 未写 0"), qPrintable(label4->text()));
        QVERIFY(m_window->press("Command3").contains("没有需要写入的修改"));
        flip();
        QTRY_VERIFY2(label4->text().startsWith("3 行 · 改 0 · 未写 0"), qPrintable(label4->text()));
        Window::click(List1, 0);
        Window::type("K");
        Window::key("Return");
        flip();
        QVERIFY(m_window->asked.isEmpty());
        QCOMPARE(rowsOf(List2), QStringList({"K", "\\\""}));
        QTRY_VERIFY2(label4->text().startsWith("2 行 · 改 1 · 未写 1"), qPrintable(label4->text()));
        m_window->press("Command3");
        QCOMPARE(readBytes(file("switch.cpp")), QByteArray(original).replace("keep", "K"));
        flip();
        QTRY_VERIFY2(label4->text().startsWith("3 行 · 改 0 · 未写 0"), qPrintable(label4->text()));
        QVERIFY(m_window->press("Command3").contains("没有需要写入的修改"));
    }

    void translationsOutAndIn()
    {
        QTest::mouseClick(m_window->get("Check3"), Qt::LeftButton);
        m_window->load("cat.cpp");
        const QStringList found = rowsOf(List1);
        const auto chooseFile = [this](const QString &name) {
            m_window->nextModal = [name](QWidget *dialog) {
                if (!name.isEmpty())
                    qobject_cast<QFileDialog *>(dialog)->selectFile(name);
                QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
            };
        };
        chooseFile(QString()); // the name offered: cat.ts beside the file
        QCOMPARE(m_window->press("Command5"), "导出翻译: 已导出 8 条字符串到 cat.ts。");
        chooseFile(file("cat.po"));
        m_window->press("Command5");
        const QString lconvert = QLibraryInfo::path(QLibraryInfo::BinariesPath) + "/lconvert";
        // What a tool says on stderr, or that it failed: empty when all went well.
        const auto complaint = [this](const QString &program, const QStringList &arguments) {
            QProcess process;
            process.setWorkingDirectory(m_dir.path());
            process.start(program, arguments);
            const bool ran = process.waitForFinished() && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
            return QString::fromUtf8(process.readAllStandardError()) + (ran ? "" : program + " failed");
        };
        QCOMPARE(complaint(lconvert, {"-i", "cat.ts", "-o", "from-ts.po"}), QString());
        QCOMPARE(complaint(lconvert, {"-i", "from-ts.po", "-o", "back.ts"}), QString());
        const QString checked = complaint("msgfmt", {"--check", "--check-format", "-o", "/dev/null", "cat.po"});
        QVERIFY2(!checked.endsWith("msgfmt failed"), qPrintable(checked)); // accepted; it may warn of an unset language
        QCOMPARE(complaint("msgen", {"-o", "en.po", "cat.po"}), QString());
        QCOMPARE(complaint("msgfilter", {"--keep-header", "-i", "en.po", "-o", "translated.po", "sed", "-e", "/^Unfinished/d", "-e", "s/^/T /"}), QString());
        writeBytes(file("translated.po"), readBytes(file("translated.po")).replace("msgid \"Fuzzy one\"", "#, fuzzy\nmsgid \"Fuzzy one\""));
        QCOMPARE(complaint(lconvert, {"-i", "translated.po", "-o", "translated.ts"}), QString());

        chooseFile(file("translated.ts"));
        QVERIFY2(m_window->press("Command6").contains("填入了 7 行译文") && m_window->shown.contains("2 行的译文还没有完成"),
                 qPrintable(m_window->shown));
        QCOMPARE(rowsOf(List2), QStringList({"T Hello", "T Say \\\"hi\\\"", "T a\\\\b", "T Line\\nT break", "T %1 files",
                                             "T %d items", "Unfinished one", "Fuzzy one", "T Hello"}));
        QTRY_COMPARE(m_window->get<QLabel>("Label4")->text(), "9 行 · 改 7 · 未写 7 · 警告 1"); // the second Hello lands in the first
        for (const auto &[name, bytes] : {std::pair{"bad.ts", QByteArray("<TS version=\"2.1\">\n<context>\n<message>\n</context>\n")},
                                          {"bad.po", QByteArray("msgid \"a\"\nmsgstr \"b\"\n\nmsgid \"c\" junk\nmsgstr \"d\"\n")}}) {
            writeBytes(file(name), bytes);
            chooseFile(file(name));
            QVERIFY2(m_window->press("Command6").contains("第 4 行") && m_window->shown.endsWith("[warning]"), qPrintable(m_window->shown));
            QCOMPARE(rowsOf(List2).value(0), "T Hello");
        }
        QTest::mouseClick(m_window->get("Check2"), Qt::LeftButton); // each over its own literal
        m_window->press("Command3");
        QCOMPARE(readBytes(file("cat.cpp")), "#include \"cat.h\"\nvoid f() {\n    puts(\"T Hello\");\n    puts(\"T Say \\\"hi\\\"\");\n"
                                              "    puts(\"T a\\\\b\");\n    puts(\"T Line\\nT break\");\n    tr(\"T %1 files\");\n"
                                              "    say(\"T %d items\", n);\n    puts(\"Unfinished one\");\n    puts(\"Fuzzy one\");\n"
                                              "    puts(\"T Hello\");\n}\n");
        QCOMPARE(rowsOf(List1), found);
        QTest::mouseClick(m_window->get("Check2"), Qt::LeftButton);
        QTest::mouseClick(m_window->get("Check3"), Qt::LeftButton);
    }

    // A string the code reads as Latin-1 takes from a catalog only what Latin-1
    // holds, and an edit past ASCII typed into it is marked.
    void latin1StringsShowNoMojibake()
    {
        writeBytes(file("l1.ts"), "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!DOCTYPE TS>\n<TS version=\"2.1\"><context><name>c</name>\n"
                                  "<message><source>Open</source><translation>打开</translation></message>\n"
                                  "<message><source>Save</source><translation>保存</translation></message></context></TS>\n");
        QTest::mouseClick(m_window->get("Check3"), Qt::LeftButton);
        m_window->load("l1.cpp");
        m_window->nextModal = [this](QWidget *dialog) {
            qobject_cast<QFileDialog *>(dialog)->selectFile(file("l1.ts"));
            QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        };
        QVERIFY2(m_window->press("Command6").contains("1 行按 Latin-1 读（QLatin1String 之类），译文中有 Latin-1 以外的字符（打）"),
                 qPrintable(m_window->shown));
        QCOMPARE(rowsOf(List2), QStringList({"Open", "保存"}));
        Window::click(List1, 0);
        Window::type("Öffnen");
        Window::key("Return");
        QTRY_VERIFY2(tip(0).contains("按 Latin-1 读"), qPrintable(tip(0)));
        QVERIFY(!tip(1).contains("按 Latin-1 读"));
        QTRY_VERIFY2(m_window->get<QLabel>("Label4")->text().contains("警告 1"), qPrintable(m_window->get<QLabel>("Label4")->text()));
        QTest::mouseClick(m_window->get("Check3"), Qt::LeftButton);
        m_window->load("l1.cpp", {"放弃修改"});
    }

    // Rows not yet written are asked about before a load or a close throws
    // them away, and a file changed on disk before it is overwritten.
    void questionsKeepTheUsersWork()
    {
        QVERIFY(m_window->load("u.cpp", {"放弃修改"}).isEmpty());
        QCOMPARE(m_window->asked.size(), 0);
        const auto edit = [this](int row, const char *text) {
            Window::click(List1, row);
            Window::type(text);
            Window::key("Return");
            Window::click(List1, 0);
            Window::type("typed");
        };
        edit(1, "TWO");
        m_window->load("r.cpp", {"取消"});
        QVERIFY(m_window->asked.value(0).startsWith("打开文件: u.cpp 中有 1 行修改还没有写入文件。"));
        QCOMPARE(rowsOf(List2), QStringList({"one", "TWO"}));
        QCOMPARE(List1->currentRow(), 0);
        QCOMPARE(m_window->get<EditBox>("Text1")->text(), "typed");
        m_window->shownBy([this] { m_window->form->close(); });
        QVERIFY(m_window->form->isVisible() && m_window->asked.value(0).startsWith("Zelvane: "));
        m_window->load("u.cpp", {"放弃修改"});
        QCOMPARE(rowsOf(List2), QStringList({"one", "two"}));

        edit(0, "ONE");
        writeBytes(file("u.cpp"), "a(\"one\"); b(\"two\"); // changed elsewhere\n");
        selectInFile1("u.cpp");
        m_window->press("Command3", {"取消"});
        QVERIFY(m_window->asked.value(0).contains("被修改过"));
        QCOMPARE(readBytes(file("u.cpp.backup")), "<missing>");
        m_window->load("r.cpp", {"替换文件", "仍然替换"});
        QCOMPARE(readBytes(file("u.cpp")), "a(\"ONE\"); b(\"two\");\n");
        QCOMPARE(readBytes(file("u.cpp.backup")), "a(\"one\"); b(\"two\"); // changed elsewhere\n");
        QCOMPARE(rowsOf(List1).value(1), "second"); // then r.cpp loaded

        // A read-only file: asked first; "取消" writes nothing and it stays read-only.
        QVERIFY(QFile::setPermissions(file("r.cpp"), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        edit(1, "SECOND");
        m_window->press("Command3", {"取消"});
        QVERIFY2(m_window->asked.value(0).contains("r.cpp 是只读文件"), qPrintable(m_window->asked.value(0)));
        QCOMPARE(readBytes(file("r.cpp")), "puts(\"你好\");\nputs(\"second\");\n");
        QCOMPARE(QFileInfo(file("r.cpp")).permissions() & 0x7077, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther); // 444
        QVERIFY(QFile::setPermissions(file("r.cpp"), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
        m_window->load("r.cpp", {"放弃修改"});
    }

    // Typing finds from the current row on; F3 and Shift+F3 wrap; the lists
    // scroll together; a file made in the folder appears.
    void findAndFollow()
    {
        m_window->load("many.cpp", {"放弃修改"});
        auto *text2 = m_window->get<QLineEdit>("Text2");
        Window::key("Ctrl+F");
        QCOMPARE(QApplication::focusWidget(), text2);
        Window::type("R3999");
        QCOMPARE(List1->currentRow(), 3999);
        for (const auto &[keys, row] : {std::pair{"F3", 39990}, {"Shift+F3", 3999}, {"Shift+F3", 39999}, {"Return", 3999}}) {
            Window::key(keys);
            QCOMPARE(List1->currentRow(), row);
        }
        QCOMPARE(List2->currentRow(), 3999);
        QCOMPARE(List2->verticalScrollBar()->value(), List1->verticalScrollBar()->value());
        Window::type("x");
        QVERIFY(m_window->get("NoMatch")->isVisible() && List1->currentRow() == 3999);
        Window::key("Escape");
        QCOMPARE(QApplication::focusWidget(), m_window->get("Text1"));
        QCOMPARE(m_window->get<EditBox>("Text1")->selectedText(), "r3999");
        List2->verticalScrollBar()->setValue(100);
        QCOMPARE(List1->verticalScrollBar()->value(), 100);

        selectInFile1("r.cpp");
        writeBytes(file("made.cpp"), "");
        QTRY_VERIFY(rowsOf(m_window->get<QListWidget>("File1")).contains("made.cpp"));
        QCOMPARE(m_window->get<FileList>("File1")->fileName(), "r.cpp");
    }

    // Every button and check box has an access key, none twice; a load clears
    // the note of a fill; a tooltip speaks of the row under the pointer after
    // F8 scrolled the rows under it.
    void leftovers()
    {
        QStringList keys;
        for (const QAbstractButton *button : m_window->form->findChildren<QAbstractButton *>()) {
            const QString text = button->text();
            QVERIFY2(text.count(u'&') == 1 && !text.endsWith(u'&'), qPrintable(button->objectName() + ": " + text));
            keys << text.mid(text.indexOf(u'&') + 1, 1).toUpper();
        }
        QCOMPARE(QSet<QString>(keys.begin(), keys.end()).size(), keys.size());

        auto *label4 = m_window->get<QLabel>("Label4");
        m_window->load("r.cpp", {"放弃修改"});
        Window::type("X");
        Window::key("Ctrl+Return");
        QCOMPARE(label4->text(), "已填入 1 行");
        m_window->load("tips.cpp", {"放弃修改"});
        QVERIFY2(label4->text().startsWith("300 行"), qPrintable(label4->text()));

        const QPoint point = List2->rowRect(2).center();
        QCursor::setPos(List2->viewport()->mapToGlobal(point));
        QHelpEvent help(QEvent::ToolTip, point, List2->viewport()->mapToGlobal(point));
        QApplication::sendEvent(List2->viewport(), &help);
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), tip(2));
        Window::key("F8");
        QCOMPARE(List1->currentRow(), 250);
        const int under = List2->indexAt(point).row();
        QVERIFY(under > 2);
        QCOMPARE(QToolTip::text(), tip(under));
        QToolTip::hideText();
        QCursor::setPos(0, 0);
    }

    void desktopServices()
    {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler("file", &catcher, "open");
        Window::click(m_window->get<QListWidget>("File1"), 0);
        QTest::mouseClick(m_window->get("Command4"), Qt::LeftButton);
        QCOMPARE(catcher.urls, QList<QUrl>{QUrl::fromLocalFile(QDir(m_dir.path()).canonicalPath() + "/a.cpp")});

        QWindow *window = m_window->form->windowHandle();
        const QRect geometry = m_window->form->geometry();
        QTest::mouseClick(m_window->get("Check1"), Qt::LeftButton);
        QVERIFY(window->flags() & Qt::WindowStaysOnTopHint);
        QTest::mouseClick(m_window->get("Check1"), Qt::LeftButton);
        QVERIFY(!(window->flags() & Qt::WindowStaysOnTopHint));
        QCOMPARE(m_window->form->geometry(), geometry);

        // The folder picker: cancelled, the folder stays; accepted, Dir1 and File1 follow.
        QTemporaryDir other;
        auto *dir1 = m_window->get<FolderList>("Dir1");
        const QString folder = dir1->folder();
        QStringList buttons; // in Chinese, as the rest of the program
        m_window->nextModal = [&buttons](QWidget *dialog) {
            for (const QPushButton *button : dialog->findChildren<QPushButton *>())
                buttons << button->text();
            static_cast<QDialog *>(dialog)->reject();
        };
        QTest::mouseClick(m_window->get("Command1"), Qt::LeftButton);
        QCOMPARE(dir1->folder(), folder);
        QVERIFY2(buttons.contains("选择(&C)") && buttons.contains("取消"), qPrintable(buttons.join('|')));
        m_window->nextModal = [&other](QWidget *dialog) {
            qobject_cast<QFileDialog *>(dialog)->setDirectory(other.path());
            QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        };
        QTest::mouseClick(m_window->get("Command1"), Qt::LeftButton);
        QCOMPARE(dir1->folder(), QDir(other.path()).canonicalPath());
        QCOMPARE(m_window->get<FileList>("File1")->folder(), dir1->folder());
    }

    // A double-click is reported as down, up, double-click, up; a right press selects nothing.
    void listMouseEvents()
    {
        ListBox list;
        QStringListModel rows({"zero", "one"});
        list.showColumn(&rows, 0);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QStringList events;
        connect(&list, &ListBox::mouseDown, [&](int button, int shift) { events << QStringLiteral("down %1 %2 row %3").arg(button).arg(shift).arg(list.currentRow()); });
        connect(&list, &ListBox::mouseUp, [&](int button) { events << QStringLiteral("up %1").arg(button); });
        connect(&list, &ListBox::dblClick, [&] { events << "dblclick"; });
        QTest::mouseClick(list.viewport(), Qt::RightButton, Qt::ShiftModifier, Window::rowCentre(&list, 1));
        Window::doubleClick(&list, 1);
        QCOMPARE(events, QStringList({"down 2 1 row 0", "up 2", "down 1 0 row 1", "up 1", "dblclick", "up 1"}));
    }
};

QTEST_MAIN(TestWindow)
#include "test_window.moc"
