// The string list editor as a user drives it: real mouse and key events on the
// real main window, loaded by double-clicking a file in File1.

#include "support/MainWindowFixture.h"
#include "support/TestFiles.h"

#include <QClipboard>
#include <QTemporaryDir>

namespace {

// What the user can see of the editor: both lists, both selections, Text1
// and its selection, and where the focus is.
struct EditorState {
    QStringList list1, list2;
    int row1 = -1, row2 = -1;
    QString text, selected;
    int selectionStart = -1;
    QString focus;

    bool operator==(const EditorState &o) const
    {
        return list1 == o.list1 && list2 == o.list2 && row1 == o.row1 && row2 == o.row2 && text == o.text
            && selected == o.selected && selectionStart == o.selectionStart && focus == o.focus;
    }
};

char *toString(const EditorState &s)
{
    const QString out = QStringLiteral("\n  List1 %1\n  List2 %2\n  rows %3/%4, Text1 \"%5\" selected \"%6\" from %7, focus %8")
        .arg(s.list1.join('|'), s.list2.join('|')).arg(s.row1).arg(s.row2)
        .arg(s.text, s.selected).arg(s.selectionStart).arg(s.focus);
    return QTest::toString(out);
}

enum class Sel { All, None };

const QStringList SeveralRows = {"alpha", "beta", "gamma", "你好"};
const QStringList OneRow = {"solo"};

QStringList withRow(QStringList rows, int row, const QString &text)
{
    rows[row] = text;
    return rows;
}

EditorState expect(const QStringList &list1, const QStringList &list2, int row1, int row2, const QString &text,
                   Sel selection, const QString &focus = "Text1")
{
    const bool all = selection == Sel::All && !text.isEmpty();
    return {list1, list2, row1, row2, text, all ? text : QString(), all ? 0 : -1, focus};
}

// The four-row file with its List2 rows as given.
EditorState several(const QStringList &list2, int row1, int row2, const QString &text, Sel selection,
                    const QString &focus = "Text1")
{
    return expect(SeveralRows, list2, row1, row2, text, selection, focus);
}

EditorState single(const QStringList &list2, const QString &text, Sel selection, const QString &focus = "Text1")
{
    return expect(OneRow, list2, 0, 0, text, selection, focus);
}

EditorState none(const QString &text, const QString &focus)
{
    return expect({}, {}, -1, -1, text, Sel::None, focus);
}

} // namespace

Q_DECLARE_METATYPE(EditorState)

class TestEditor : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    MainWindowFixture m_window;
    // The fixture's controls, under their designer names.
    ListBox *&List1 = m_window.List1;
    ListBox *&List2 = m_window.List2;
    EditBox *&Text1 = m_window.Text1;

    QPoint rowCentre(QListWidget *list, int row) const
    {
        return row < 0 ? list->viewport()->rect().center() : list->visualItemRect(list->item(row)).center();
    }

    // A double-click: press, release, double-click, release; Qt's windowing
    // sends a second press before the double-click as well.
    void doubleClickRow(ListBox *list, int row, bool secondPress)
    {
        const QPoint at = rowCentre(list, row);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        if (secondPress)
            QTest::mousePress(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
    }

    // Keys go to the focused widget, as a user's do; non-ASCII characters as text-only keys.
    void type(const QString &text)
    {
        for (const QChar c : text) {
            if (c.unicode() < 0x80)
                QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
            else
                QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown, QString(c), {});
        }
    }

    void key(const QString &sequence)
    {
        const QKeyCombination combination = QKeySequence::fromString(sequence)[0];
        QVERIFY2(combination.key() != Qt::Key(0) && combination.key() != Qt::Key_unknown, qPrintable(sequence));
        QTest::keyClick(QApplication::focusWidget(), combination.key(), combination.keyboardModifiers());
    }

    // Steps a user takes, each "verb:argument": type:TEXT, key:Alt+Up,
    // click1:ROW / click2:ROW (List1 / List2), double1:ROW, double1+:ROW (with
    // a second press), paste:TEXT (through the clipboard), Command2, Text1 (a click).
    void run(const QStringList &steps)
    {
        for (const QString &step : steps) {
            const QString verb = step.section(QLatin1Char(':'), 0, 0);
            const QString argument = step.mid(verb.size() + 1);
            if (verb == "type") {
                type(argument);
            } else if (verb == "key") {
                key(argument);
            } else if (verb == "click1" || verb == "click2") {
                ListBox *list = verb == "click1" ? List1 : List2;
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowCentre(list, argument.toInt()));
            } else if (verb.startsWith("double1")) {
                doubleClickRow(List1, argument.toInt(), verb.endsWith('+'));
            } else if (verb == "paste") {
                QApplication::clipboard()->setText(argument);
                key("Ctrl+V");
            } else if (verb == "Command2") {
                QTest::mouseClick(m_window.Command2, Qt::LeftButton);
            } else if (verb == "Text1") {
                QTest::mouseClick(Text1, Qt::LeftButton);
            } else {
                QFAIL(qPrintable("unknown step " + step));
            }
        }
    }

    EditorState state() const
    {
        QWidget *focus = QApplication::focusWidget();
        return {MainWindowFixture::rowsOf(List1), MainWindowFixture::rowsOf(List2), List1->currentRow(),
                List2->currentRow(), Text1->text(), Text1->selectedText(), Text1->selectionStart(),
                focus ? focus->objectName() : QString()};
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        writeBytes(m_dir.filePath("several.cpp"), "void f() { g(\"alpha\"); g(\"beta\"); g(\"gamma\"); g(\"你好\"); }\n");
        writeBytes(m_dir.filePath("one.cpp"), "int x = g(\"solo\");\n");
        writeBytes(m_dir.filePath("none.cpp"), "int main() { return 0; }\n");
        writeBytes(m_dir.filePath("save.cpp"), "g(\"first\"); g(\"second\");\n");
        m_window.open(m_dir.path());
    }

    void init() { m_window.activate(); }

    // The editor's behaviour table: a file loaded, the user's steps, what shows.
    void behaviour_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<EditorState>("expected");
        const auto row = [](const char *name, const char *file, const QStringList &steps, const EditorState &expected) {
            QTest::newRow(name) << QString::fromLatin1(file) << steps << expected;
        };
        const QStringList enterOnRow1 = {"click1:1", "type:B", "key:Return"};
        const QStringList stored1 = withRow(SeveralRows, 1, "B");

        // ---- lists of several rows ----
        row("load puts row 0 into Text1", "several.cpp", {}, several(SeveralRows, 0, 0, "alpha", Sel::All));
        row("Enter stores and moves to the next row", "several.cpp", enterOnRow1, several(stored1, 2, 2, "gamma", Sel::All));
        row("Enter stores Chinese text", "several.cpp", {"click1:2", "type:再见", "key:Return"},
            several(withRow(SeveralRows, 2, "再见"), 3, 3, "你好", Sel::All));
        row("Enter on the last row stores and stays", "several.cpp", {"click1:3", "type:D", "key:Return"},
            several(withRow(SeveralRows, 3, "D"), 3, 3, "D", Sel::None));
        row("Alt+Up on row 0 changes nothing", "several.cpp", {"type:unstored", "key:Alt+Up"},
            several(SeveralRows, 0, 0, "unstored", Sel::None));
        row("Alt+Up moves up and drops the edit", "several.cpp", {"click1:2", "type:unstored", "key:Alt+Up"},
            several(SeveralRows, 1, 1, "beta", Sel::All));
        row("Alt+Down moves down and drops the edit", "several.cpp", {"click1:2", "type:unstored", "key:Alt+Down"},
            several(SeveralRows, 3, 3, "你好", Sel::All));
        row("Alt+Down stops at the last row", "several.cpp", {"click1:3", "type:kept", "key:Alt+Down"},
            several(SeveralRows, 3, 3, "kept", Sel::None));
        row("Enter on spaces stores nothing but moves", "several.cpp", {"click1:1", "key:Del", "type:   ", "key:Return"},
            several(SeveralRows, 2, 2, "gamma", Sel::All));
        row("Enter on nothing stores nothing but moves", "several.cpp", {"click1:1", "key:Del", "key:Return"},
            several(SeveralRows, 2, 2, "gamma", Sel::All));
        row("Enter on spaces on the last row changes nothing", "several.cpp", {"click1:3", "type:  ", "key:Return"},
            several(SeveralRows, 3, 3, "  ", Sel::None));
        row("double-click on List1 restores the row", "several.cpp", enterOnRow1 + QStringList{"double1:1"},
            several(SeveralRows, 1, 1, "beta", Sel::All));
        row("double-click with a second press restores the row", "several.cpp", enterOnRow1 + QStringList{"double1+:1"},
            several(SeveralRows, 1, 1, "beta", Sel::All));
        row("double-click on an unchanged row reloads Text1", "several.cpp", {"type:unstored", "double1:2"},
            several(SeveralRows, 2, 2, "gamma", Sel::All));
        row("Command2 stores and gives the focus back", "several.cpp", {"click1:1", "type:B", "Command2"},
            several(stored1, 2, 2, "gamma", Sel::All));
        row("Command2 on the last row keeps the focus", "several.cpp", {"click1:3", "type:D", "Command2"},
            several(withRow(SeveralRows, 3, "D"), 3, 3, "D", Sel::None, "Command2"));

        // ---- a list of one row ----
        row("one row: click reloads", "one.cpp", {"type:unstored", "click1:0"}, single(OneRow, "solo", Sel::All));
        row("one row: Enter stores and stays", "one.cpp", {"type:S", "key:Return"}, single({"S"}, "S", Sel::None));
        row("one row: Alt+Up and Alt+Down move nothing", "one.cpp", {"type:unstored", "key:Alt+Up", "key:Alt+Down"},
            single(OneRow, "unstored", Sel::None));
        row("one row: Enter on a space changes nothing", "one.cpp", {"type: ", "key:Return"}, single(OneRow, " ", Sel::None));
        row("one row: double-click restores", "one.cpp", {"type:S", "key:Return", "double1:0"},
            single(OneRow, "solo", Sel::All));
        row("one row: Command2 stores and keeps the focus", "one.cpp", {"type:S", "Command2"},
            single({"S"}, "S", Sel::None, "Command2"));

        // ---- no rows ----
        const QStringList keysOnNone = {"Text1", "type:typed", "key:Return", "key:Alt+Up", "key:Alt+Down"};
        row("no rows: the focus stays in File1", "none.cpp", {}, none("", "File1"));
        row("no rows: keys change nothing", "none.cpp", keysOnNone, none("typed", "Text1"));
        row("no rows: Command2 changes nothing", "none.cpp", keysOnNone + QStringList{"Command2"}, none("typed", "Command2"));
        row("no rows: double-click changes nothing but Text1", "none.cpp", {"double1:-1"}, none("", "List1"));

        // ---- edge cases ----
        row("Enter stores the text untrimmed", "several.cpp", {"click1:0", "type:  x ", "key:Return"},
            several(withRow(SeveralRows, 0, "  x "), 1, 1, "beta", Sel::All));
        // Only U+0020 counts as blank: tabs and the ideographic space are stored.
        row("other white space is stored", "several.cpp",
            {"click1:0", "paste:\t\t", "key:Return", "type:\u3000", "key:Return"},
            several({"\t\t", "\u3000", "gamma", "你好"}, 2, 2, "gamma", Sel::All));
        for (const char *enter : {"Shift+Return", "Ctrl+Return", "Alt+Return", "Ctrl+Alt+Shift+Return", "Num+Enter"})
            QTest::addRow("%s commits like Enter", enter)
                << "several.cpp" << QStringList{"click1:1", "type:B", QStringLiteral("key:") + enter}
                << several(stored1, 2, 2, "gamma", Sel::All);
        row("click on List2 leaves List1 where it was", "several.cpp", {"click1:1", "click2:3"},
            several(SeveralRows, 1, 3, "你好", Sel::All));
        row("Enter then stores into List2's row and moves on from List1's", "several.cpp",
            {"click1:1", "click2:3", "type:Z", "key:Return"}, several(withRow(SeveralRows, 3, "Z"), 2, 2, "gamma", Sel::All));
        row("the same with List1 on the last row", "several.cpp", {"click1:3", "click2:0", "type:Z", "key:Return"},
            several(withRow(SeveralRows, 0, "Z"), 3, 0, "Z", Sel::None));
        row("arrow keys in List1 move only List1", "several.cpp", {"key:Tab", "key:Tab", "key:Down", "key:Down"},
            several(SeveralRows, 2, 0, "alpha", Sel::None, "List1"));
        row("arrow keys in List2 load Text1", "several.cpp", {"key:Tab", "key:Tab", "key:Tab", "key:Down"},
            several(SeveralRows, 0, 1, "beta", Sel::All));
        row("then a plain Down in Text1 moves nothing", "several.cpp",
            {"key:Tab", "key:Tab", "key:Tab", "key:Down", "key:Down"}, several(SeveralRows, 0, 1, "beta", Sel::All));
    }

    void behaviour()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, steps);
        QFETCH(EditorState, expected);
        m_window.loadFile(file);
        run(steps);
        QCOMPARE(state(), expected);
    }

    // A press on List1 empties Text1 while the button is held; List2 follows
    // the row under a left press, List1's row under a right one (which selects nothing).
    void pressOnList1_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("list2RowWhileHeld");
        QTest::addColumn<EditorState>("expected");
        QTest::newRow("left: loads that row and drops the edit") << "several.cpp" << QStringList{"type:unstored"}
            << int(Qt::LeftButton) << 2 << 2 << several(SeveralRows, 2, 2, "gamma", Sel::All);
        QTest::newRow("right: reloads from List2 in step with List1")
            << "several.cpp" << QStringList{"click1:1", "click2:3", "type:unstored"} << int(Qt::RightButton) << 2 << 1
            << several(SeveralRows, 1, 1, "beta", Sel::All);
        QTest::newRow("no rows") << "none.cpp" << QStringList{"Text1", "type:typed"} << int(Qt::LeftButton) << -1
                                 << -1 << none("", "List1");
    }

    void pressOnList1()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, steps);
        QFETCH(int, button);
        QFETCH(int, row);
        QFETCH(int, list2RowWhileHeld);
        QFETCH(EditorState, expected);
        m_window.loadFile(file);
        run(steps);
        const QPoint at = rowCentre(List1, row);
        QTest::mousePress(List1->viewport(), Qt::MouseButton(button), {}, at);
        QCOMPARE(Text1->text(), QString());
        QCOMPARE(List2->currentRow(), list2RowWhileHeld);
        QTest::mouseRelease(List1->viewport(), Qt::MouseButton(button), {}, at);
        QCOMPARE(state(), expected);
    }

    // Only Alt alone moves; Qt's codes for & and ( must not read as Up and Down.
    void onlyAltAloneMoves_data()
    {
        QTest::addColumn<QString>("keys");
        for (const char *keys : {"Alt+Shift+Up", "Ctrl+Alt+Down", "Ctrl+Alt+Up", "Up", "Down", "Alt+&", "Alt+("})
            QTest::newRow(keys) << QString::fromLatin1(keys);
    }

    void onlyAltAloneMoves()
    {
        QFETCH(QString, keys);
        m_window.loadFile("several.cpp");
        run({"click1:1", "type:x", "key:" + keys});
        QCOMPARE(List1->currentRow(), 1);
        QCOMPARE(List2->currentRow(), 1);
        QVERIFY2(Text1->text().startsWith("x"), qPrintable(Text1->text()));
        QCOMPARE(List2->item(1)->text(), QString("beta"));
    }

    void focusIntoText1SelectsAll()
    {
        m_window.loadFile("several.cpp");
        key("Tab");
        QCOMPARE(QApplication::focusWidget(), m_window.Command2);
        key("Backtab");
        QCOMPARE(state(), several(SeveralRows, 0, 0, "alpha", Sel::All));

        key("Tab");
        QTest::mouseClick(Text1, Qt::LeftButton, {}, QPoint(10, Text1->height() / 2));
        QCOMPARE(state(), several(SeveralRows, 0, 0, "alpha", Sel::All));

        // A shaky click that gives the focus keeps everything selected.
        key("Tab");
        QTest::mousePress(Text1, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseMove(Text1, QPoint(14, 10));
        QTest::mouseRelease(Text1, Qt::LeftButton, {}, QPoint(14, 10));
        QCOMPARE(state(), several(SeveralRows, 0, 0, "alpha", Sel::All));

        // A click in Text1 that already has the focus just places the cursor.
        QTest::mouseClick(Text1, Qt::LeftButton, {}, QPoint(10, Text1->height() / 2));
        QCOMPARE(Text1->selectedText(), QString());
    }

    void uncommittedEditDoesNotReachTheFile()
    {
        m_window.loadFile("save.cpp");
        run({"type:FIRST", "key:Return", "type:SECOND"}); // the second is not stored
        const Shown shown = m_window.press(m_window.Command3);
        QVERIFY2(shown.text.startsWith("已经替换 save.cpp"), qPrintable(shown.text));
        QCOMPARE(readBytes(m_dir.filePath("save.cpp")), QByteArray("g(\"FIRST\"); g(\"second\");\n"));
        // The replace leaves the lists and Text1 as they were.
        QCOMPARE(state(), expect({"first", "second"}, {"FIRST", "second"}, 1, 1, "SECOND", Sel::None, "Command3"));
    }

    // Coming back from another window is no new focus for Text1: the user's
    // cursor stays where it was instead of everything being selected.
    void returningToTheWindowKeepsText1AsItWas()
    {
        m_window.loadFile("several.cpp");
        type("typed");
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        m_window.activate();
        QCOMPARE(state(), several(SeveralRows, 0, 0, "typed", Sel::None));
    }
};

QTEST_MAIN(TestEditor)
#include "test_editor.moc"
