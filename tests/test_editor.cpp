// The string list editor as a user drives it: real mouse and key events on the
// real main window, loaded by double-clicking a file in File1. Then thousands of
// seeded random user actions, checking what the lists and the file must hold.

#include "support/Window.h"

#include "engine/scan/CodeStrings.h"
#include "engine/replace/OwnLiterals.h"
#include "fuzz/Reference.h"
#include "engine/replace/ReplaceAndSave.h"

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
        // Readings whose rows start alike with other texts.
        writeBytes(m_dir.filePath("switch.cpp"), "// 演示 \"hello\"\nf(\"hello\", \"world\");\ns.replace(\"\\\"\", \"\");\nchar q = '\"'; k(\"a\", \"b\");\n");
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

    // After every action List1 holds what the load listed and both selections
    // are in range. After every press the file holds the rows applied to the
    // text before, by the rule the check box picks, and the backup the text
    // before the last change; a second press asks first, and a cancel writes nothing.
    void monkey()
    {
        const QString file = m_dir.filePath("monkey.cpp");
        m_window->load("monkey.cpp", {"放弃修改"});
        const QStringList found = rowsOf(List1);
        QString text = QString::fromUtf8(readBytes(file));
        QList<LiteralSpan> spans = ScanLiteralSpans(text);
        QStringList written = found;
        QByteArray backup = readBytes(file + ".backup");
        auto *check2 = m_window->get<QCheckBox>("Check2");
        QRandomGenerator random(quint32(qEnvironmentVariableIntValue("ZELVANE_MONKEY_SEED")));
        const int actions = qEnvironmentVariableIsSet("ZELVANE_MONKEY_ACTIONS") ? qEnvironmentVariableIntValue("ZELVANE_MONKEY_ACTIONS") : 3000;
        const auto below = [&random](int n) { return int(random.bounded(n)); };
        const auto pressAndCheck = [&](const QString &answer) {
            const QStringList rows = rowsOf(List2);
            const bool own = check2->isChecked();
            const OwnLiterals next = own ? ReferenceOwnLiterals(text, spans, rows) : ReferenceTracking(text, spans, found, rows);
            const bool again = !own && rows == written && next.text != text;
            const QString shown = m_window->press("Command3", {answer});
            QCOMPARE(m_window->asked.size(), int(again));
            QVERIFY2(!shown.contains("[warning]"), qPrintable(shown));
            if (!again || answer == "再次替换") {
                backup = next.text == text ? backup : text.toUtf8(); // the same bytes write nothing
                text = next.text;
                spans = next.spans;
                written = rows;
            }
            QCOMPARE(readBytes(file), text.toUtf8());
            QCOMPARE(readBytes(file + ".backup"), backup);
            QTest::mouseClick(Text1, Qt::LeftButton); // a space typed on the button would press it again
        };
        for (int i = 0; i < actions; ++i) {
            switch (below(8)) {
            case 0: Window::click(List1, below(found.size() + 1), below(4) ? Qt::LeftButton : Qt::RightButton); break;
            case 1: Window::click(List2, below(found.size())); break;
            case 2: Window::type(QString(QChar(u"ab 你\u3000x"[below(6)]))); break;
            case 3: Window::key(below(2) ? "Return" : "Shift+Return"); break;
            case 4: Window::key(below(2) ? "Alt+Up" : "Alt+Down"); break;
            case 5: Window::doubleClick(List1, below(found.size())); break;
            case 6: QTest::mouseClick(m_window->get(below(4) ? "Command2" : "Check2"), Qt::LeftButton); break;
            default:
                for (int presses = below(8) ? 0 : 1 + below(2); presses > 0; --presses)
                    pressAndCheck(below(2) ? "再次替换" : "取消");
            }
            QCOMPARE(rowsOf(List1), found);
            QCOMPARE(List2->count(), found.size());
            QVERIFY(List1->currentRow() < found.size() && List2->currentRow() < found.size());
        }
    }

    // Edits, restores, switches of the reading and presses at random, each row
    // written over its own literal: after every step "未写" counts exactly the
    // rows a press would change, by the plain rules.
    void monkeySwitchingReadings()
    {
        const QString file = m_dir.filePath("switch.cpp");
        auto *check2 = m_window->get<QCheckBox>("Check2");
        auto *check3 = m_window->get<QCheckBox>("Check3");
        auto *label4 = m_window->get<QLabel>("Label4");
        m_window->load("switch.cpp", {"放弃修改"});
        QCOMPARE(List1->count(), 8);
        if (!check2->isChecked())
            QTest::mouseClick(check2, Qt::LeftButton);
        QRandomGenerator random(7);
        const auto below = [&random](int n) { return int(random.bounded(n)); };
        for (int i = 0; i < 400; ++i) {
            const int rows = List1->count();
            switch (below(7)) {
            case 0: Window::click(List1, below(rows)); break;
            case 1: Window::type(QString(QChar(u"ab 你"[below(4)]))); break;
            case 2: Window::key(below(3) ? "Return" : "Ctrl+Return"); break;
            case 3: Window::doubleClick(List1, below(rows)); break;
            case 4: m_window->shownBy([&] { QTest::mouseClick(check3, Qt::LeftButton); }, {below(2) ? "切换" : "取消"}); break;
            case 5: m_window->press("Command3"); break;
            default: Window::key(below(2) ? "Alt+Up" : "Alt+Down"); break;
            }
            if (!QApplication::focusWidget()) // a message box took the window's activation
                m_window->activate();
            const QString text = QString::fromUtf8(readBytes(file));
            const QList<LiteralSpan> spans = ScanRows(text, check3->isChecked()).spans;
            const OwnLiterals next = ReferenceOwnLiterals(text, spans, rowsOf(List2));
            int changes = 0;
            for (qsizetype row = 0; row < spans.size(); ++row)
                changes += text.mid(spans[row].start, spans[row].length) != next.text.mid(next.spans[row].start, next.spans[row].length);
            if (label4->text().contains("未写")) // else the note of a Ctrl+Enter, shown until the next key
                QVERIFY2(label4->text().contains(QStringLiteral("未写 %1 ").arg(changes)), qPrintable(label4->text()));
        }
        QTest::mouseClick(check2, Qt::LeftButton);
        if (check3->isChecked())
            m_window->shownBy([&] { QTest::mouseClick(check3, Qt::LeftButton); }, {"切换"});
    }
};

QTEST_MAIN(TestEditor)
#include "test_editor.moc"
