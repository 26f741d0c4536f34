// Thousands of random but reproducible user actions on the main window with a
// loaded file: clicks and double-clicks on both lists with any button, typing,
// Enter, Alt+Up/Down, "更改", "替换文件", reloads. After each: List1 holds what
// the last load listed, List2 has as many rows, the selections are in range;
// after each replace, the file holds the rows applied to the text loaded (or
// last written) and the backup holds the version before.
//
// ZELVANE_MONKEY_SEED and ZELVANE_MONKEY_ACTIONS override the seed and the
// number of actions for longer runs.

#include "support/MainWindowFixture.h"
#include "support/ReferenceApplyPairs.h"
#include "support/TestFiles.h"

#include "engine/ScanLiterals.h"

#include <QRandomGenerator>
#include <QTemporaryDir>

namespace {

const QByteArray Source =
    "// 演示\n"
    "void f() {\n"
    "  g(\"hello\"); g(\"world\"); g(\"hello\");\n"
    "  h(\"  padded  \", \"你好，世界\", \"C:\\\\path\\\\\");\n"
    "  auto s = \"line one\"\r\n  \"line two\";\n"
    "  char q = '\"'; k(\"after the stray mark\");\n"
    "  m(\"a\", \"b\", \"c\", \"d\", \"e\", \"f\", \"g\", \"h\");\n"
    "}\n";

int environmentNumber(const char *name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok ? value : fallback;
}

} // namespace

class TestMonkey : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    MainWindowFixture m_window;
    QRandomGenerator m_random;
    QStringList m_log; // the latest actions, for the failure report

    // What the window must hold.
    QString m_text;       // the text loaded or last written
    QStringList m_found;  // List1 as the last load filled it
    QByteArray m_onDisk;  // the file as the last load or replace left it
    int m_replaces = 0, m_refusals = 0, m_edits = 0;

    QString file() const { return m_dir.filePath(QStringLiteral("monkey.cpp")); }
    int below(int n) { return n > 0 ? int(m_random.bounded(n)) : 0; }
    // Keys go where the user's would: to the widget with the focus.
    QWidget *focused() const { return QApplication::focusWidget() ? QApplication::focusWidget() : m_window.form; }
    static QStringList rowsOf(const QListWidget *list) { return MainWindowFixture::rowsOf(list); }

    void act()
    {
        const int dice = below(100);
        if (dice < 34) {
            clickList(dice < 22 ? m_window.List1 : m_window.List2, (dice >= 16 && dice < 22) || dice >= 30);
        } else if (dice < 48) {
            QString text;
            for (int n = 1 + below(6); n > 0; --n)
                text += QChar(char16_t(0x20 + below(0x5F)));
            typeText(text, true);
        } else if (dice < 54) {
            const QString pool = QStringLiteral("你好世界中文替换文件字符串，。　");
            QString text;
            for (int n = 1 + below(4); n > 0; --n)
                text += pool[below(int(pool.size()))];
            typeText(text, false);
        } else if (dice < 66) {
            pressKey(below(4) ? Qt::Key_Return : Qt::Key_Enter, below(4) ? Qt::NoModifier : Qt::KeypadModifier);
        } else if (dice < 82) {
            pressKey(dice < 74 ? Qt::Key_Up : Qt::Key_Down, Qt::AltModifier);
        } else if (dice < 86) {
            const Qt::Key keys[] = {Qt::Key_Up, Qt::Key_Down, Qt::Key_Backspace, Qt::Key_Home, Qt::Key_End};
            pressKey(keys[below(5)]);
        } else if (dice < 97) {
            QPushButton *button = dice < 91 ? m_window.Command2 : m_window.Command3;
            m_log << QStringLiteral("click ") + button->text();
            QTest::mouseClick(button, Qt::LeftButton);
        } else if (dice < 98) {
            selectFile(below(2) ? QStringLiteral("other.cpp") : QStringLiteral("monkey.cpp"));
        } else {
            reload();
        }
    }

    // A row (or the empty space below the rows) with any button, scrolled into view first.
    void clickList(ListBox *list, bool doubleClick)
    {
        const Qt::MouseButton buttons[] = {Qt::LeftButton, Qt::LeftButton, Qt::RightButton, Qt::MiddleButton};
        const Qt::MouseButton button = buttons[below(4)];
        const int row = below(list->count() + 1) - (below(8) == 0 ? 1 : 0);
        QPoint at(8, list->viewport()->height() - 4); // below the rows while they fit
        if (row >= 0 && row < list->count()) {
            list->scrollToItem(list->item(row));
            at.setY(list->visualItemRect(list->item(row)).center().y());
        }
        m_log << QStringLiteral("%1 %2 row %3 with button %4")
                     .arg(doubleClick ? "double-click" : "click", list->objectName()).arg(row).arg(int(button));
        QTest::mouseClick(list->viewport(), button, {}, at);
        if (doubleClick) {
            QTest::mouseDClick(list->viewport(), button, {}, at);
            QTest::mouseRelease(list->viewport(), button, {}, at);
        }
    }

    // Chinese goes as text-only keys, as an input method sends it.
    void typeText(const QString &text, bool ascii)
    {
        m_log << QStringLiteral("type \"%1\" into %2").arg(text, focused()->objectName());
        if (ascii)
            QTest::keyClicks(focused(), text);
        for (const QChar c : ascii ? QString() : text)
            QTest::sendKeyEvent(QTest::Click, focused(), Qt::Key_unknown, QString(c), Qt::NoModifier);
    }

    void pressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        m_log << QStringLiteral("key %1 modifiers %2 into %3")
                     .arg(QKeySequence(key).toString()).arg(int(modifiers)).arg(focused()->objectName());
        QTest::keyClick(focused(), key, modifiers);
    }

    // A single click only selects: a replace then targets that file.
    void selectFile(const QString &name)
    {
        m_log << QStringLiteral("select %1").arg(name);
        MainWindowFixture::clickItem(m_window.File1, name);
    }

    // Double-clicks monkey.cpp in File1: the window now holds the file as it is on disk.
    void reload()
    {
        m_log << QStringLiteral("reload");
        MainWindowFixture::doubleClickItem(m_window.File1, QStringLiteral("monkey.cpp"));
        m_onDisk = readBytes(file());
        m_text = QString::fromUtf8(m_onDisk);
        m_found = ScanLiterals(m_text);
    }

    // What is wrong after the action, or an empty string.
    QString check()
    {
        if (QTest::currentTestFailed())
            return QStringLiteral("a step failed");
        const QStringList found = rowsOf(m_window.List1);
        const QStringList replacements = rowsOf(m_window.List2);
        if (found != m_found)
            return QStringLiteral("List1 changed: %1").arg(found.join(QLatin1Char('|')));
        if (replacements.size() != found.size())
            return QStringLiteral("List2 has %1 rows, List1 %2").arg(replacements.size()).arg(found.size());
        for (const ListBox *list : {m_window.List1, m_window.List2}) {
            if (list->currentRow() < -1 || list->currentRow() >= list->count())
                return QStringLiteral("%1 selects row %2 of %3").arg(list->objectName()).arg(list->currentRow()).arg(list->count());
        }

        // A confirmed replace applied the rows, as they are, to the text before it.
        const Shown shown = m_window.lastShown;
        const QByteArray beforeReplace = m_onDisk;
        if (shown.seen && shown.title != QStringLiteral("替换文件"))
            return QStringLiteral("unexpected message \"%1\": %2").arg(shown.title, shown.text);
        if (shown.seen && shown.icon == QMessageBox::Information) {
            m_text = ApplyPairsOneByOne(m_text, found, replacements);
            m_onDisk = m_text.toUtf8();
            ++m_replaces;
        } else if (shown.seen && !shown.text.contains(QStringLiteral("不是当前载入的文件"))
                   && !shown.text.contains(QStringLiteral("没有选中文件"))) {
            return QStringLiteral("the replace failed: %1").arg(shown.text);
        } else if (shown.seen) {
            ++m_refusals;
        }
        const QByteArray onDisk = readBytes(file());
        if (onDisk != m_onDisk)
            return QStringLiteral("the file holds\n%1\nexpected\n%2").arg(QString::fromUtf8(onDisk), QString::fromUtf8(m_onDisk));
        if (shown.icon == QMessageBox::Information && readBytes(file() + QStringLiteral(".backup")) != beforeReplace)
            return QStringLiteral("the backup does not hold the version before the replace");
        return QString();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        writeBytes(file(), Source);
        writeBytes(m_dir.filePath(QStringLiteral("other.cpp")), "x(\"other\");\n");
        m_window.open(m_dir.path());
    }

    void randomActions()
    {
        const int seed = environmentNumber("ZELVANE_MONKEY_SEED", 20260607);
        const int actions = environmentNumber("ZELVANE_MONKEY_ACTIONS", 20000);
        qInfo("seed %d, %d actions", seed, actions);
        m_random.seed(quint32(seed));

        reload();
        QCOMPARE(rowsOf(m_window.List1), m_found);
        QVERIFY(m_found.size() > 10);

        for (int i = 0; i < actions; ++i) {
            m_window.lastShown = Shown();
            const QStringList before = rowsOf(m_window.List2);
            act();
            if (!m_window.form->isActiveWindow())
                m_window.activate(); // a closed message box gives the activation back, as the desktop would
            const QString problem = check();
            m_edits += rowsOf(m_window.List1) == m_found && rowsOf(m_window.List2) != before;
            if (!problem.isEmpty()) {
                QFAIL(qPrintable(QStringLiteral("after action %1 of seed %2: %3\nlatest actions:\n  %4")
                                     .arg(i).arg(seed).arg(problem, m_log.join(QStringLiteral("\n  ")))));
            }
            if (m_log.size() > 25)
                m_log.removeFirst();
        }
        qInfo("%d replaces, %d refused, %d actions changed List2", m_replaces, m_refusals, m_edits);
        if (actions >= 1000)
            QVERIFY(m_replaces > 10 && m_edits > 10); // the run did edit and replace
    }
};

QTEST_MAIN(TestMonkey)
#include "test_monkey.moc"
