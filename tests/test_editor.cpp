// The string list editor as a user drives it: real mouse and key events on the
// real main window, loaded by double-clicking a file in File1.

#include "ui/EditBox.h"
#include "ui/Form1.h"
#include "ui/ListBox.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

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
        return list1 == o.list1 && list2 == o.list2 && row1 == o.row1 && row2 == o.row2
            && text == o.text && selected == o.selected && selectionStart == o.selectionStart
            && focus == o.focus;
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

void writeFile(const QString &path, const QByteArray &utf8)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(utf8);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Closes the modal window that the next call opens, keeping its text.
void closeNextModal(QString *text = nullptr)
{
    QTimer::singleShot(0, qApp, [text] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal) {
            closeNextModal(text); // not shown yet: look again
            return;
        }
        if (auto *box = qobject_cast<QMessageBox *>(modal); box && text)
            *text = box->text();
        modal->close();
    });
}

QPoint rowCentre(QListWidget *list, int row)
{
    return list->visualItemRect(list->item(row)).center();
}

} // namespace

class TestEditor : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_startFolder;
    Form1 *m_form = nullptr;
    QListWidget *File1 = nullptr;
    ListBox *List1 = nullptr;
    ListBox *List2 = nullptr;
    EditBox *Text1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;

    // ---- actions, as a user does them ----

    void load(const QString &fileName)
    {
        const QList<QListWidgetItem *> found = File1->findItems(fileName, Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        const QPoint at = File1->visualItemRect(found.first()).center();
        QTest::mouseClick(File1->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(File1->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(File1->viewport(), Qt::LeftButton, {}, at);
    }

    void clickRow(ListBox *list, int row, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(list->viewport(), button, {}, rowCentre(list, row));
    }

    // A double-click: press, release, double-click, release; Qt's windowing
    // sends a second press before the double-click as well.
    void doubleClickRow(ListBox *list, int row, bool secondPress = false)
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
                QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown,
                                    QString(c), Qt::NoModifier);
        }
    }

    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(QApplication::focusWidget(), k, modifiers);
    }

    void enter() { key(Qt::Key_Return); }
    void altUp() { key(Qt::Key_Up, Qt::AltModifier); }
    void altDown() { key(Qt::Key_Down, Qt::AltModifier); }
    void clickCommand2() { QTest::mouseClick(Command2, Qt::LeftButton); }

    // Loads the four-row file and walks to row k with a click on List1.
    void onRowOfSeveral(int k)
    {
        load("several.cpp");
        clickRow(List1, k);
    }

    // ---- what the user sees ----

    EditorState state() const
    {
        EditorState s;
        for (int i = 0; i < List1->count(); ++i)
            s.list1 << List1->item(i)->text();
        for (int i = 0; i < List2->count(); ++i)
            s.list2 << List2->item(i)->text();
        s.row1 = List1->currentRow();
        s.row2 = List2->currentRow();
        s.text = Text1->text();
        s.selected = Text1->selectedText();
        s.selectionStart = Text1->selectionStart();
        QWidget *focus = QApplication::focusWidget();
        s.focus = focus ? focus->objectName() : QString();
        return s;
    }

    static EditorState expect(const QStringList &list1, const QStringList &list2, int row1, int row2,
                              const QString &text, Sel selection, const QString &focus = "Text1")
    {
        EditorState s;
        s.list1 = list1;
        s.list2 = list2;
        s.row1 = row1;
        s.row2 = row2;
        s.text = text;
        const bool all = selection == Sel::All && !text.isEmpty();
        s.selected = all ? text : QString();
        s.selectionStart = all ? 0 : -1;
        s.focus = focus;
        return s;
    }

    // The four-row file with its List2 rows as given.
    static EditorState several(const QStringList &list2, int row1, int row2, const QString &text,
                               Sel selection, const QString &focus = "Text1")
    {
        return expect(SeveralRows, list2, row1, row2, text, selection, focus);
    }

    static EditorState single(const QStringList &list2, int row, const QString &text,
                              Sel selection, const QString &focus = "Text1")
    {
        return expect(OneRow, list2, row, row, text, selection, focus);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        writeFile(m_dir.filePath("several.cpp"),
                  "void f() { g(\"alpha\"); g(\"beta\"); g(\"gamma\"); g(\"你好\"); }\n");
        writeFile(m_dir.filePath("one.cpp"), "int x = g(\"solo\");\n");
        writeFile(m_dir.filePath("none.cpp"), "int main() { return 0; }\n");
        writeFile(m_dir.filePath("save.cpp"), "g(\"first\"); g(\"second\");\n");

        // File1 starts at the current folder.
        m_startFolder = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir.path()));
        m_form = new Form1;
        File1 = m_form->findChild<QListWidget *>("File1");
        List1 = m_form->findChild<ListBox *>("List1");
        List2 = m_form->findChild<ListBox *>("List2");
        Text1 = m_form->findChild<EditBox *>("Text1");
        Command2 = m_form->findChild<QPushButton *>("Command2");
        Command3 = m_form->findChild<QPushButton *>("Command3");
        QVERIFY(File1 && List1 && List2 && Text1 && Command2 && Command3);

        closeNextModal(); // the start-up notice
        m_form->show();
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form));
    }

    void init()
    {
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form));
    }

    void cleanupTestCase()
    {
        delete m_form;
        QDir::setCurrent(m_startFolder);
    }

    // ---- lists of several rows ----

    void loadPutsRowZeroIntoText1()
    {
        load("several.cpp");
        QCOMPARE(state(), several(SeveralRows, 0, 0, "alpha", Sel::All));
    }

    void clickOnList1LoadsThatRowAndDropsTheEdit()
    {
        load("several.cpp");
        type("unstored");
        const QPoint at = rowCentre(List1, 2);
        QTest::mousePress(List1->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(Text1->text(), QString()); // empty while the button is held
        QCOMPARE(List2->currentRow(), 2);
        QTest::mouseRelease(List1->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(state(), several(SeveralRows, 2, 2, "gamma", Sel::All));
    }

    void enterStoresAndMovesToTheNextRow()
    {
        onRowOfSeveral(1);
        type("B");
        enter();
        QCOMPARE(state(), several(withRow(SeveralRows, 1, "B"), 2, 2, "gamma", Sel::All));
    }

    void enterStoresChineseText()
    {
        onRowOfSeveral(2);
        type("再见");
        enter();
        QCOMPARE(state(), several(withRow(SeveralRows, 2, "再见"), 3, 3, "你好", Sel::All));
    }

    void enterOnTheLastRowStoresAndStays()
    {
        onRowOfSeveral(3);
        type("D");
        enter();
        QCOMPARE(state(), several(withRow(SeveralRows, 3, "D"), 3, 3, "D", Sel::None));
    }

    void altUpOnRowZeroChangesNothing()
    {
        load("several.cpp");
        type("unstored");
        altUp();
        QCOMPARE(state(), several(SeveralRows, 0, 0, "unstored", Sel::None));
    }

    void altUpMovesUpAndDropsTheEdit()
    {
        onRowOfSeveral(2);
        type("unstored");
        altUp();
        QCOMPARE(state(), several(SeveralRows, 1, 1, "beta", Sel::All));
    }

    void altDownMovesDownAndStopsAtTheLastRow()
    {
        onRowOfSeveral(2);
        type("unstored");
        altDown();
        QCOMPARE(state(), several(SeveralRows, 3, 3, "你好", Sel::All));
        type("kept");
        altDown();
        QCOMPARE(state(), several(SeveralRows, 3, 3, "kept", Sel::None));
    }

    void blankEnterStoresNothingButMoves_data()
    {
        QTest::addColumn<QString>("blank");
        QTest::newRow("spaces") << "   ";
        QTest::newRow("nothing") << "";
    }

    void blankEnterStoresNothingButMoves()
    {
        QFETCH(QString, blank);
        onRowOfSeveral(1);
        key(Qt::Key_Delete); // Text1 is all selected: empties it
        type(blank);
        enter();
        QCOMPARE(state(), several(SeveralRows, 2, 2, "gamma", Sel::All));
    }

    void blankEnterOnTheLastRowChangesNothing()
    {
        onRowOfSeveral(3);
        type("  ");
        enter();
        QCOMPARE(state(), several(SeveralRows, 3, 3, "  ", Sel::None));
    }

    void doubleClickOnList1RestoresTheRow_data()
    {
        QTest::addColumn<bool>("secondPress");
        QTest::newRow("press, release, double-click, release") << false;
        QTest::newRow("with a second press") << true;
    }

    void doubleClickOnList1RestoresTheRow()
    {
        QFETCH(bool, secondPress);
        onRowOfSeveral(1);
        type("B");
        enter();
        doubleClickRow(List1, 1, secondPress);
        QCOMPARE(state(), several(SeveralRows, 1, 1, "beta", Sel::All));
    }

    void doubleClickOnAnUnchangedRowReloadsText1()
    {
        load("several.cpp");
        type("unstored");
        doubleClickRow(List1, 2);
        QCOMPARE(state(), several(SeveralRows, 2, 2, "gamma", Sel::All));
    }

    void command2StoresAndGivesTheFocusBack()
    {
        onRowOfSeveral(1);
        type("B");
        clickCommand2();
        QCOMPARE(state(), several(withRow(SeveralRows, 1, "B"), 2, 2, "gamma", Sel::All));
    }

    void command2OnTheLastRowKeepsTheFocus()
    {
        onRowOfSeveral(3);
        type("D");
        clickCommand2();
        QCOMPARE(state(), several(withRow(SeveralRows, 3, "D"), 3, 3, "D", Sel::None, "Command2"));
    }

    // ---- a list of one row ----

    void oneRowClickReloads()
    {
        load("one.cpp");
        type("unstored");
        clickRow(List1, 0);
        QCOMPARE(state(), single(OneRow, 0, "solo", Sel::All));
    }

    void oneRowEnterStoresAndStays()
    {
        load("one.cpp");
        type("S");
        enter();
        QCOMPARE(state(), single({"S"}, 0, "S", Sel::None));
    }

    void oneRowMovesNothing()
    {
        load("one.cpp");
        type("unstored");
        altUp();
        altDown();
        QCOMPARE(state(), single(OneRow, 0, "unstored", Sel::None));
    }

    void oneRowBlankEnterChangesNothing()
    {
        load("one.cpp");
        type(" ");
        enter();
        QCOMPARE(state(), single(OneRow, 0, " ", Sel::None));
    }

    void oneRowDoubleClickRestores()
    {
        load("one.cpp");
        type("S");
        enter();
        doubleClickRow(List1, 0);
        QCOMPARE(state(), single(OneRow, 0, "solo", Sel::All));
    }

    void oneRowCommand2StoresAndKeepsTheFocus()
    {
        load("one.cpp");
        type("S");
        clickCommand2();
        QCOMPARE(state(), single({"S"}, 0, "S", Sel::None, "Command2"));
    }

    // ---- no rows ----

    void noRowsKeysAndCommand2ChangeNothing()
    {
        load("none.cpp");
        QCOMPARE(state(), expect({}, {}, -1, -1, "", Sel::None, "File1"));
        QTest::mouseClick(Text1, Qt::LeftButton);
        type("typed");
        enter();
        altUp();
        altDown();
        QCOMPARE(state(), expect({}, {}, -1, -1, "typed", Sel::None));
        clickCommand2();
        QCOMPARE(state(), expect({}, {}, -1, -1, "typed", Sel::None, "Command2"));
    }

    void noRowsPressOnList1EmptiesText1()
    {
        load("none.cpp");
        QTest::mouseClick(Text1, Qt::LeftButton);
        type("typed");
        const QPoint at = List1->viewport()->rect().center();
        QTest::mousePress(List1->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(Text1->text(), QString());
        QTest::mouseRelease(List1->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(state(), expect({}, {}, -1, -1, "", Sel::None, "List1"));
    }

    void noRowsDoubleClickChangesNothingButText1()
    {
        load("none.cpp");
        const QPoint at = List1->viewport()->rect().center();
        QTest::mouseClick(List1->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(List1->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(List1->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(state(), expect({}, {}, -1, -1, "", Sel::None, "List1"));
    }

    // ---- edge cases ----

    void enterStoresTheTextUntrimmed()
    {
        onRowOfSeveral(0);
        type("  x ");
        enter();
        QCOMPARE(List2->item(0)->text(), QString("  x "));
    }

    // Only U+0020 counts as blank: tabs and the ideographic space are stored.
    void otherWhiteSpaceIsStored()
    {
        onRowOfSeveral(0);
        QApplication::clipboard()->setText("\t\t");
        key(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(Text1->text(), QString("\t\t"));
        enter();
        type(QString(QChar(0x3000)));
        enter();
        QCOMPARE(state(), several({"\t\t", QString(QChar(0x3000)), "gamma", "你好"}, 2, 2, "gamma", Sel::All));
    }

    void enterCommitsWhateverTheModifiers_data()
    {
        QTest::addColumn<int>("k");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("Shift+Return") << int(Qt::Key_Return) << int(Qt::ShiftModifier);
        QTest::newRow("Ctrl+Return") << int(Qt::Key_Return) << int(Qt::ControlModifier);
        QTest::newRow("Alt+Return") << int(Qt::Key_Return) << int(Qt::AltModifier);
        QTest::newRow("Ctrl+Alt+Shift+Return")
            << int(Qt::Key_Return) << int(Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
    }

    void enterCommitsWhateverTheModifiers()
    {
        QFETCH(int, k);
        QFETCH(int, modifiers);
        onRowOfSeveral(1);
        type("B");
        key(Qt::Key(k), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(state(), several(withRow(SeveralRows, 1, "B"), 2, 2, "gamma", Sel::All));
    }

    // Only Alt alone moves; Qt's codes for & and ( must not read as Up and Down.
    void onlyAltAloneMoves_data()
    {
        QTest::addColumn<int>("k");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("Alt+Shift+Up") << int(Qt::Key_Up) << int(Qt::AltModifier | Qt::ShiftModifier);
        QTest::newRow("Ctrl+Alt+Down") << int(Qt::Key_Down) << int(Qt::AltModifier | Qt::ControlModifier);
        QTest::newRow("Ctrl+Alt+Up") << int(Qt::Key_Up) << int(Qt::AltModifier | Qt::ControlModifier);
        QTest::newRow("Up") << int(Qt::Key_Up) << 0;
        QTest::newRow("Down") << int(Qt::Key_Down) << 0;
        QTest::newRow("Alt+&") << int(Qt::Key_Ampersand) << int(Qt::AltModifier);
        QTest::newRow("Alt+(") << int(Qt::Key_ParenLeft) << int(Qt::AltModifier);
    }

    void onlyAltAloneMoves()
    {
        QFETCH(int, k);
        QFETCH(int, modifiers);
        onRowOfSeveral(1);
        type("x");
        key(Qt::Key(k), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(List1->currentRow(), 1);
        QCOMPARE(List2->currentRow(), 1);
        QVERIFY2(Text1->text().startsWith("x"), qPrintable(Text1->text()));
        QCOMPARE(List2->item(1)->text(), QString("beta"));
    }

    void clickOnList2LeavesList1WhereItWas()
    {
        onRowOfSeveral(1);
        clickRow(List2, 3);
        QCOMPARE(state(), several(SeveralRows, 1, 3, "你好", Sel::All));
        // The next Enter stores into the List2 row, then moves on from List1's.
        type("Z");
        enter();
        QCOMPARE(state(), several(withRow(SeveralRows, 3, "Z"), 2, 2, "gamma", Sel::All));
    }

    void clickOnList2WhenList1IsOnTheLastRow()
    {
        onRowOfSeveral(3);
        clickRow(List2, 0);
        type("Z");
        enter();
        QCOMPARE(state(), several(withRow(SeveralRows, 0, "Z"), 3, 0, "Z", Sel::None));
    }

    void arrowKeysInList1MoveOnlyList1()
    {
        load("several.cpp");
        key(Qt::Key_Tab); // Command2
        key(Qt::Key_Tab); // List1
        QCOMPARE(QApplication::focusWidget(), List1);
        key(Qt::Key_Down);
        key(Qt::Key_Down);
        QCOMPARE(state(), several(SeveralRows, 2, 0, "alpha", Sel::None, "List1"));
    }

    void arrowKeysInList2LoadText1()
    {
        load("several.cpp");
        key(Qt::Key_Tab); // Command2
        key(Qt::Key_Tab); // List1
        key(Qt::Key_Tab); // List2
        QCOMPARE(QApplication::focusWidget(), List2);
        key(Qt::Key_Down);
        QCOMPARE(state(), several(SeveralRows, 0, 1, "beta", Sel::All));
        key(Qt::Key_Down); // now in Text1: a plain Down moves nothing
        QCOMPARE(state(), several(SeveralRows, 0, 1, "beta", Sel::All));
    }

    void rightButtonOnList1ReloadsFromList2()
    {
        onRowOfSeveral(1);
        clickRow(List2, 3);
        type("unstored");
        const QPoint at = rowCentre(List1, 2);
        QTest::mousePress(List1->viewport(), Qt::RightButton, {}, at);
        QCOMPARE(Text1->text(), QString());
        QCOMPARE(List2->currentRow(), 1); // back in step with List1 at the press
        QTest::mouseRelease(List1->viewport(), Qt::RightButton, {}, at);
        // The right button does not select: List2 comes back in step with List1.
        QCOMPARE(state(), several(SeveralRows, 1, 1, "beta", Sel::All));
    }

    void focusIntoText1SelectsAll()
    {
        load("several.cpp");
        key(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), Command2);
        key(Qt::Key_Backtab);
        QCOMPARE(state(), several(SeveralRows, 0, 0, "alpha", Sel::All));

        key(Qt::Key_Tab);
        QTest::mouseClick(Text1, Qt::LeftButton, {}, QPoint(10, Text1->height() / 2));
        QCOMPARE(state(), several(SeveralRows, 0, 0, "alpha", Sel::All));

        // A shaky click that gives the focus keeps everything selected.
        key(Qt::Key_Tab);
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
        load("save.cpp");
        type("FIRST");
        enter();
        type("SECOND"); // not stored
        QString message;
        closeNextModal(&message);
        QTest::mouseClick(Command3, Qt::LeftButton);
        QVERIFY2(message.startsWith("已经替换 save.cpp"), qPrintable(message));
        QCOMPARE(readFile(m_dir.filePath("save.cpp")), QByteArray("g(\"FIRST\"); g(\"second\");\n"));
        // The replace leaves the lists and Text1 as they were.
        m_form->activateWindow(); // offscreen, nothing gives the activation back
        QVERIFY(QTest::qWaitForWindowActive(m_form));
        QCOMPARE(state(), expect({"first", "second"}, {"FIRST", "second"}, 1, 1, "SECOND", Sel::None,
                                 "Command3"));
    }

    // Coming back from another window is no new focus for Text1: the user's
    // cursor stays where it was instead of everything being selected.
    void returningToTheWindowKeepsText1AsItWas()
    {
        load("several.cpp");
        type("typed");
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form));
        QCOMPARE(state(), several(SeveralRows, 0, 0, "typed", Sel::None));
    }
};

QTEST_MAIN(TestEditor)
#include "test_editor.moc"
