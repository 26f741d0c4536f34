// The string list editor as a user drives it: real mouse and key events on the
// real main window, loaded by double-clicking a file in File1. Then thousands of
// seeded random user actions, checking what the lists and the file must hold.

#include "support/Window.h"

#include "engine/scan/CodeStrings.h"
#include "engine/replace/OwnLiterals.h"
#include "fuzz/Reference.h"
#include "engine/replace/ReplaceAndSave.h"
#include "ui/RowMarks.h"

#include <QCheckBox>
#include <QLabel>

#include <QRandomGenerator>

class TestEditor : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<Window> m_window;
    ListBox *List1 = nullptr, *List2 = nullptr;
    EditBox *Text1 = nullptr;

    // Steps a user takes, each "verb:argument": type:TEXT, key:Alt+Up, click1:ROW,
    // right1:ROW, click2:ROW (List1, List2), double1:ROW; Command2 and Text1 are clicks.
    void run(const QStringList &steps)
    {
        for (const QString &step : steps) {
            const QString verb = step.section(u':', 0, 0), argument = step.mid(verb.size() + 1);
            if (verb == "type")
                Window::type(argument);
            else if (verb == "key")
                Window::key(argument);
            else if (verb == "double1")
                Window::doubleClick(List1, argument.toInt());
            else if (!argument.isEmpty())
                Window::click(verb == "click2" ? List2 : List1, argument.toInt(), verb == "right1" ? Qt::RightButton : Qt::LeftButton);
            else
                QTest::mouseClick(m_window->get(qPrintable(verb)), Qt::LeftButton);
        }
    }

    // List2's rows | List1's row / List2's row | Text1 | its selected text | the focus
    QString state() const
    {
        QWidget *focus = QApplication::focusWidget();
        return QStringLiteral("%1|%2/%3|%4|%5|%6")
            .arg(rowsOf(List2).join(u','))
            .arg(List1->currentRow())
            .arg(List2->currentRow())
            .arg(Text1->text(), Text1->selectedText(), focus ? focus->objectName() : QString());
    }

private slots:
    void initTestCase()
    {
        writeBytes(m_dir.filePath("four.cpp"), "void f() { g(\"alpha\"); g(\"beta\"); g(\"gamma\"); g(\"你好\"); }\n");
        writeBytes(m_dir.filePath("one.cpp"), "int x = g(\"solo\");\n");
        writeBytes(m_dir.filePath("none.cpp"), "int main() { return 0; }\n");
        writeBytes(m_dir.filePath("monkey.cpp"), "// 演示 \"hello\"\nf(\"hello\", \"world\", \"  padded  \", \"你好\");\nchar q = '\"'; k(\"a\", \"b\");\ng(\"hello\", \"world\", \"你好\");\n");
        m_window = std::make_unique<Window>(m_dir.path());
        List1 = m_window->get<ListBox>("List1");
        List2 = m_window->get<ListBox>("List2");
        Text1 = m_window->get<EditBox>("Text1");
    }

    void behaviour_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const char *file, const QStringList &steps, const QString &expected) {
            QTest::newRow(name) << QString::fromLatin1(file) << steps << expected;
        };
        const QString four = QStringLiteral("alpha,beta,gamma,你好");
        row("load selects row 0", "four.cpp", {}, four + "|0/0|alpha|alpha|Text1");
        row("Enter stores and moves on", "four.cpp", {"click1:1", "type:B", "key:Return"}, "alpha,B,gamma,你好|2/2|gamma|gamma|Text1");
        row("Chinese is stored", "four.cpp", {"click1:2", "type:再见", "key:Return"}, "alpha,beta,再见,你好|3/3|你好|你好|Text1");
        row("Enter on the last row stays", "four.cpp", {"click1:3", "type:D", "key:Return"}, "alpha,beta,gamma,D|3/3|D||Text1");
        row("Alt+Up on row 0", "four.cpp", {"type:x", "key:Alt+Up"}, four + "|0/0|x||Text1");
        row("Alt+Up drops the edit", "four.cpp", {"click1:2", "type:x", "key:Alt+Up"}, four + "|1/1|beta|beta|Text1");
        row("Alt+Down drops the edit", "four.cpp", {"click1:2", "type:x", "key:Alt+Down"}, four + "|3/3|你好|你好|Text1");
        row("Alt+Down on the last row", "four.cpp", {"click1:3", "type:x", "key:Alt+Down"}, four + "|3/3|x||Text1");
        row("spaces store nothing", "four.cpp", {"click1:1", "key:Del", "type:  ", "key:Return"}, four + "|2/2|gamma|gamma|Text1");
        row("spaces on the last row", "four.cpp", {"click1:3", "type:  ", "key:Return"}, four + "|3/3|  ||Text1");
        row("stored untrimmed", "four.cpp", {"type: x  ", "key:Return"}, " x  ,beta,gamma,你好|1/1|beta|beta|Text1");
        row("other white space is stored", "four.cpp", {"type:\u3000", "key:Return"}, "\u3000,beta,gamma,你好|1/1|beta|beta|Text1");
        for (const char *enter : {"Shift+Return", "Ctrl+Return", "Alt+Return", "Num+Enter"})
            row(enter, "four.cpp", {"click1:1", "type:B", QStringLiteral("key:") + enter}, "alpha,B,gamma,你好|2/2|gamma|gamma|Text1");
        for (const char *keys : {"Alt+Shift+Up", "Ctrl+Alt+Down", "Down"})
            row(keys, "four.cpp", {"click1:1", "type:x", QStringLiteral("key:") + keys}, four + "|1/1|x||Text1");
        row("Alt+& is no Up", "four.cpp", {"click1:1", "type:x", "key:Alt+&"}, four + "|1/1|x&||Text1");
        row("Alt+( is no Down", "four.cpp", {"click1:1", "type:x", "key:Alt+("}, four + "|1/1|x(||Text1");
        row("double-click restores", "four.cpp", {"click1:1", "type:B", "key:Return", "double1:1"}, four + "|1/1|beta|beta|Text1");
        row("Command2 stores", "four.cpp", {"click1:1", "type:B", "Command2"}, "alpha,B,gamma,你好|2/2|gamma|gamma|Text1");
        row("Command2 on the last row", "four.cpp", {"click1:3", "type:D", "Command2"}, "alpha,beta,gamma,D|3/3|D||Command2");
        row("a click on List2 leaves List1", "four.cpp", {"click1:1", "click2:3"}, four + "|1/3|你好|你好|Text1");
        row("then Enter moves on from List1", "four.cpp", {"click1:1", "click2:3", "type:Z", "key:Return"}, "alpha,beta,gamma,Z|2/2|gamma|gamma|Text1");
        row("arrows in List1 move List1 only", "four.cpp", {"key:Tab", "key:Tab", "key:Down", "key:Down"}, four + "|2/0|alpha||List1");
        row("arrows in List2 load Text1", "four.cpp", {"key:Tab", "key:Tab", "key:Tab", "key:Down"}, four + "|0/1|beta|beta|Text1");
        row("Tab back selects all", "four.cpp", {"type:x", "key:Tab", "key:Backtab"}, four + "|0/0|x|x|Text1");
        row("a click into Text1 selects all", "four.cpp", {"key:Tab", "Text1"}, four + "|0/0|alpha|alpha|Text1");
        row("a right click reloads List1's row", "four.cpp", {"click1:1", "click2:3", "type:x", "right1:2"}, four + "|1/1|beta|beta|Text1");
        row("one row: Enter stays", "one.cpp", {"type:S", "key:Return"}, "S|0/0|S||Text1");
        row("one row: no moves", "one.cpp", {"type:x", "key:Alt+Up", "key:Alt+Down"}, "solo|0/0|x||Text1");
        row("no rows: keys", "none.cpp", {"Text1", "type:typed", "key:Return", "key:Alt+Down", "Command2"}, "|-1/-1|typed||Command2");
        row("no rows: a press on List1", "none.cpp", {"Text1", "type:typed", "double1:0"}, "|-1/-1|||List1");
    }

    void behaviour()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, steps);
        QFETCH(QString, expected);
        m_window->load(file, {"放弃修改"});
        run(steps);
        QCOMPARE(state(), expected);
    }

    // Seeded random steps: edits, Ctrl+Enter, restores, moves, switches of both
    // check boxes, loads and presses with each answer. The test keeps its own
    // account of the file (text, each row's literal, found text and what a
    // press wrote of it) and of what a press does by the plain rules. After
    // every step List1 lists the rows of that account and "未写" counts the rows
    // not yet written that a press would change, as pressing that account
    // shows; after every press the file and its backup hold what those rules
    // give, and the question came exactly when a written row would change again.
    void monkey()
    {
        const QString file = m_dir.filePath("monkey.cpp");
        auto *check2 = m_window->get<QCheckBox>("Check2");
        auto *check3 = m_window->get<QCheckBox>("Check3");
        auto *label4 = m_window->get<QLabel>("Label4");
        auto *marks = m_window->form->findChild<RowMarks *>();
        QString text;
        QList<LiteralSpan> spans;
        QStringList found, written;
        QByteArray backup = readBytes(file + ".backup");
        const auto listed = [&] { // a load or a switch of reading: the rows of the text as it is
            spans = ScanRows(text, check3->isChecked()).spans;
            found = written = LiteralsAt(text, spans);
        };
        const auto landed = [&](const QStringList &rows, int row) {
            const Landing landing = ReferenceApply(text, found, rows).landings.value(row);
            return landing.position >= 0 || landing.inReplacement;
        };
        // Rows not yet written that a press would change.
        const auto unwritten = [&](const QStringList &rows) {
            QList<int> result;
            for (int row = 0; row < rows.size(); ++row) {
                const bool changes = check2->isChecked() ? text.mid(spans[row].start, spans[row].length) != rows[row]
                                                         : landed(rows, row) && rows[row] != written[row];
                if (changes)
                    result << row;
            }
            return result;
        };
        const auto press = [&](const QString &answer) {
            const QStringList rows = rowsOf(List2);
            const QList<int> fresh = unwritten(rows);
            bool again = false;
            for (int row = 0; row < rows.size() && !check2->isChecked(); ++row)
                again |= landed(rows, row) && written[row] != found[row];
            const QString given = again && (answer != "只写新的修改" || !fresh.isEmpty()) ? answer : again ? "取消" : "";
            QStringList wrote = rows; // the press's replacements, over own literals unless by first occurrence
            QList<int> done;
            if (given == "只写新的修改") {
                wrote = LiteralsAt(text, spans);
                for (const int row : fresh)
                    wrote[row] = rows[row];
                done = fresh;
            }
            for (int row = 0; row < rows.size() && given != "只写新的修改"; ++row)
                done << row;
            const bool byOccurrence = !check2->isChecked() && given != "只写新的修改";
            const OwnLiterals next = byOccurrence ? ReferenceTracking(text, spans, found, wrote) : ReferenceOwnLiterals(text, spans, wrote);
            const QString shown = m_window->press("Command3", {answer});
            QCOMPARE(m_window->asked.size(), int(again));
            QVERIFY2(!shown.contains("[warning]"), qPrintable(shown));
            if (given != "取消") {
                backup = next.text == text ? backup : text.toUtf8(); // the same bytes write nothing
                text = next.text;
                spans = next.spans;
                for (const int row : done)
                    written[row] = byOccurrence && !RowChanges(found[row], rows[row]) ? written[row] : rows[row];
            }
            QCOMPARE(readBytes(file), text.toUtf8());
            QCOMPARE(readBytes(file + ".backup"), backup);
            QTest::mouseClick(Text1, Qt::LeftButton); // a space typed on the button would press it again
        };
        const auto switchReading = [&](const QString &answer) {
            const QList<LiteralSpan> before = spans;
            const QStringList writtenBefore = written;
            const bool codeStrings = check3->isChecked();
            m_window->shownBy([&] { QTest::mouseClick(check3, Qt::LeftButton); }, {answer});
            if (check3->isChecked() == codeStrings)
                return; // cancelled
            listed();
            for (int row = 0; row < spans.size(); ++row) { // a row keeps what was written of the row at its place
                for (int old = 0; old < before.size(); ++old) {
                    if (before[old].start == spans[row].start && before[old].length == spans[row].length)
                        written[row] = writtenBefore[old];
                }
            }
        };
        m_window->load("monkey.cpp", {"放弃修改"});
        text = QString::fromUtf8(readBytes(file));
        listed();
        QRandomGenerator random(quint32(qEnvironmentVariableIntValue("ZELVANE_MONKEY_SEED")));
        const int actions = qEnvironmentVariableIsSet("ZELVANE_MONKEY_ACTIONS") ? qEnvironmentVariableIntValue("ZELVANE_MONKEY_ACTIONS") : 2000;
        const auto below = [&random](int n) { return int(random.bounded(n)); };
        const QStringList answers{"只写新的修改", "再次替换", "取消"};
        for (int i = 0; i < actions; ++i) {
            const int rows = int(found.size());
            switch (below(11)) {
            case 0: Window::click(List1, below(rows + 1), below(4) ? Qt::LeftButton : Qt::RightButton); break;
            case 1: Window::click(List2, below(rows)); break;
            case 2: Window::type(QString(QChar(u"ab 你\u3000x"[below(6)]))); break;
            case 3: Window::key(QStringList{"Return", "Shift+Return", "Ctrl+Return"}[below(3)]); break;
            case 4: Window::key(below(2) ? "Alt+Up" : "Alt+Down"); break;
            case 5: Window::doubleClick(List1, below(rows)); break;
            case 6: QTest::mouseClick(m_window->get(below(2) ? "Command2" : "Check2"), Qt::LeftButton); break;
            case 7: switchReading(below(2) ? "切换" : "取消"); break;
            case 8:
                if (below(6) == 0) { // a load asks exactly when something is unwritten
                    marks->settle();
                    const bool pending = !unwritten(rowsOf(List2)).isEmpty();
                    m_window->load("monkey.cpp", {"放弃修改"});
                    QCOMPARE(m_window->asked.size(), int(pending));
                    listed();
                }
                break;
            default:
                for (int presses = below(3) ? 1 : 2; presses > 0; --presses)
                    press(answers[below(3)]);
            }
            if (!QApplication::focusWidget()) // a message box took the window's activation
                m_window->activate();
            QCOMPARE(rowsOf(List1), found);
            QCOMPARE(List2->count(), found.size());
            QVERIFY(List1->currentRow() < found.size() && List2->currentRow() < found.size());
            marks->settle();
            const QString counted = QStringLiteral("未写入 %1 行").arg(unwritten(rowsOf(List2)).size());
            QVERIFY2(label4->toolTip().contains(counted), qPrintable(label4->toolTip() + " / " + counted));
        }
        if (check2->isChecked())
            QTest::mouseClick(check2, Qt::LeftButton);
        if (check3->isChecked())
            m_window->shownBy([&] { QTest::mouseClick(check3, Qt::LeftButton); }, {"切换"});
    }
};

QTEST_MAIN(TestEditor)
#include "test_editor.moc"
