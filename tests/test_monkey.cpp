// Thousands of random but reproducible user actions on the main window with a
// loaded file: clicks and double-clicks on both lists with any button, typing,
// Enter, Alt+Up/Down, "更改", "替换文件", reloads. After each: List1 holds what
// the last load listed, List2 has as many rows, the selections are in range;
// after each replace, the file holds the rows applied to the text loaded (or
// last written) and the backup holds the version before.
//
// ZELVANE_MONKEY_SEED and ZELVANE_MONKEY_ACTIONS override the seed and the
// number of actions for longer runs.

#include "engine/ScanLiterals.h"
#include "ui/EditBox.h"
#include "ui/Form1.h"
#include "ui/ListBox.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

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

// Each row replaces the first occurrence of its found text in the text the
// rows before it left.
QString ApplyRowByRow(QString text, const QStringList &found, const QStringList &replacements)
{
    for (qsizetype i = 0; i < found.size(); ++i) {
        const qsizetype at = found[i].isEmpty() ? -1 : text.indexOf(found[i]);
        if (at >= 0)
            text = text.left(at) + replacements[i] + text.mid(at + found[i].size());
    }
    return text;
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

QStringList rowsOf(const QListWidget *list)
{
    QStringList rows;
    for (int i = 0; i < list->count(); ++i)
        rows << list->item(i)->text();
    return rows;
}

int environmentNumber(const char *name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok ? value : fallback;
}

struct Shown {
    QString text, title;
    QMessageBox::Icon icon;
};

} // namespace

class TestMonkey : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void randomActions();

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
    QTimer m_modalCloser;
    QList<Shown> m_shown; // message boxes closed during the current action

    QRandomGenerator m_random;
    QStringList m_log; // the latest actions, for the failure report

    // What the window must hold.
    QString m_text;       // the text loaded or last written
    QStringList m_found;  // List1 as the last load filled it
    QByteArray m_onDisk;  // the file as the last load or replace left it

    QString file() const { return m_dir.filePath(QStringLiteral("monkey.cpp")); }
    int below(int n) { return n > 0 ? int(m_random.bounded(n)) : 0; }

    void act();
    void clickList(ListBox *list, bool doubleClick);
    void typeAscii();
    void typeChinese();
    void pressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = {});
    void selectFile(const QString &name);
    void reload();
    QWidget *focused() const;
    QString check();
    QString m_problem; // found while acting
    int m_replaces = 0, m_refusals = 0, m_edits = 0;
};

void TestMonkey::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QFile source(file());
    QVERIFY(source.open(QIODevice::WriteOnly));
    source.write(Source);
    source.close();
    QFile other(m_dir.filePath(QStringLiteral("other.cpp")));
    QVERIFY(other.open(QIODevice::WriteOnly));
    other.write("x(\"other\");\n");
    other.close();

    // Every modal window is closed as soon as it shows, and remembered.
    m_modalCloser.setInterval(1);
    connect(&m_modalCloser, &QTimer::timeout, this, [this] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        if (auto *box = qobject_cast<QMessageBox *>(modal))
            m_shown.append({box->text(), box->windowTitle(), box->icon()});
        modal->close();
    });
    m_modalCloser.start();

    m_startFolder = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir.path())); // File1 starts here
    m_form = new Form1;
    File1 = m_form->findChild<QListWidget *>("File1");
    List1 = m_form->findChild<ListBox *>("List1");
    List2 = m_form->findChild<ListBox *>("List2");
    Text1 = m_form->findChild<EditBox *>("Text1");
    Command2 = m_form->findChild<QPushButton *>("Command2");
    Command3 = m_form->findChild<QPushButton *>("Command3");
    QVERIFY(File1 && List1 && List2 && Text1 && Command2 && Command3);
    m_form->show(); // the start-up notice is closed by the timer
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
}

void TestMonkey::cleanupTestCase()
{
    delete m_form;
    QDir::setCurrent(m_startFolder);
}

void TestMonkey::randomActions()
{
    const int seed = environmentNumber("ZELVANE_MONKEY_SEED", 20260607);
    const int actions = environmentNumber("ZELVANE_MONKEY_ACTIONS", 20000);
    qInfo("seed %d, %d actions", seed, actions);
    m_random.seed(quint32(seed));

    reload();
    QVERIFY2(m_problem.isEmpty(), qPrintable(m_problem));
    QCOMPARE(rowsOf(List1), m_found);
    QVERIFY(m_found.size() > 10);

    for (int i = 0; i < actions; ++i) {
        m_shown.clear();
        const QStringList before = rowsOf(List2);
        act();
        if (!m_form->isActiveWindow()) {
            // A closed message box gives the activation back, as the desktop would.
            m_form->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(m_form));
        }
        const QString problem = check();
        m_edits += rowsOf(List1) == m_found && rowsOf(List2) != before;
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

void TestMonkey::act()
{
    const int dice = below(100);
    if (dice < 16) {
        clickList(List1, false);
    } else if (dice < 22) {
        clickList(List1, true);
    } else if (dice < 30) {
        clickList(List2, false);
    } else if (dice < 34) {
        clickList(List2, true);
    } else if (dice < 48) {
        typeAscii();
    } else if (dice < 54) {
        typeChinese();
    } else if (dice < 66) {
        pressKey(below(4) ? Qt::Key_Return : Qt::Key_Enter, below(4) ? Qt::NoModifier : Qt::KeypadModifier);
    } else if (dice < 74) {
        pressKey(Qt::Key_Up, Qt::AltModifier);
    } else if (dice < 82) {
        pressKey(Qt::Key_Down, Qt::AltModifier);
    } else if (dice < 86) {
        const Qt::Key keys[] = {Qt::Key_Up, Qt::Key_Down, Qt::Key_Backspace, Qt::Key_Home, Qt::Key_End};
        pressKey(keys[below(5)]);
    } else if (dice < 91) {
        m_log << QStringLiteral("click 更改");
        QTest::mouseClick(Command2, Qt::LeftButton);
    } else if (dice < 97) {
        m_log << QStringLiteral("click 替换文件");
        QTest::mouseClick(Command3, Qt::LeftButton);
    } else if (dice < 98) {
        selectFile(below(2) ? QStringLiteral("other.cpp") : QStringLiteral("monkey.cpp"));
    } else {
        reload();
    }
}

// A row (or the empty space below the rows) with any button, scrolled into view first.
void TestMonkey::clickList(ListBox *list, bool doubleClick)
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

void TestMonkey::typeAscii()
{
    QString text;
    for (int n = 1 + below(6); n > 0; --n)
        text += QChar(char16_t(0x20 + below(0x5F)));
    m_log << QStringLiteral("type \"%1\" into %2").arg(text, focused()->objectName());
    QTest::keyClicks(focused(), text);
}

void TestMonkey::typeChinese()
{
    const QString pool = QStringLiteral("你好世界中文替换文件字符串，。　");
    QString text;
    for (int n = 1 + below(4); n > 0; --n)
        text += pool[below(int(pool.size()))];
    m_log << QStringLiteral("type \"%1\" into %2").arg(text, focused()->objectName());
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, focused(), Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void TestMonkey::pressKey(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    m_log << QStringLiteral("key %1 modifiers %2 into %3")
                 .arg(QKeySequence(key).toString()).arg(int(modifiers))
                 .arg(focused()->objectName());
    QTest::keyClick(focused(), key, modifiers);
}

// A single click only selects: a replace then targets that file.
void TestMonkey::selectFile(const QString &name)
{
    m_log << QStringLiteral("select %1").arg(name);
    const QList<QListWidgetItem *> items = File1->findItems(name, Qt::MatchExactly);
    if (items.size() != 1) {
        m_problem = QStringLiteral("File1 does not list %1").arg(name);
        return;
    }
    QTest::mouseClick(File1->viewport(), Qt::LeftButton, {}, File1->visualItemRect(items.first()).center());
}

// Double-clicks monkey.cpp in File1: the window now holds the file as it is on disk.
void TestMonkey::reload()
{
    selectFile(QStringLiteral("monkey.cpp"));
    if (!m_problem.isEmpty())
        return;
    m_log << QStringLiteral("reload");
    const QPoint at = File1->visualItemRect(File1->currentItem()).center();
    QTest::mouseDClick(File1->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(File1->viewport(), Qt::LeftButton, {}, at);
    m_onDisk = readBytes(file());
    m_text = QString::fromUtf8(m_onDisk);
    m_found = ScanLiterals(m_text);
}

// Keys go where the user's would: to the widget with the focus.
QWidget *TestMonkey::focused() const
{
    QWidget *widget = QApplication::focusWidget();
    return widget ? widget : m_form;
}

// What is wrong after the action, or an empty string.
QString TestMonkey::check()
{
    if (!m_problem.isEmpty())
        return m_problem;
    const QStringList found = rowsOf(List1);
    const QStringList replacements = rowsOf(List2);
    if (found != m_found)
        return QStringLiteral("List1 changed: %1").arg(found.join(QLatin1Char('|')));
    if (replacements.size() != found.size())
        return QStringLiteral("List2 has %1 rows, List1 %2").arg(replacements.size()).arg(found.size());
    for (const ListBox *list : {List1, List2}) {
        if (list->currentRow() < -1 || list->currentRow() >= list->count())
            return QStringLiteral("%1 selects row %2 of %3").arg(list->objectName()).arg(list->currentRow()).arg(list->count());
    }

    // Each confirmed replace applied the rows, as they are, to the text before it.
    QByteArray beforeLastReplace;
    bool replaced = false;
    for (const Shown &shown : qAsConst(m_shown)) {
        if (shown.title != QStringLiteral("替换文件"))
            return QStringLiteral("unexpected message \"%1\": %2").arg(shown.title, shown.text);
        if (shown.icon == QMessageBox::Information) {
            beforeLastReplace = m_onDisk;
            m_text = ApplyRowByRow(m_text, found, replacements);
            m_onDisk = m_text.toUtf8();
            replaced = true;
            ++m_replaces;
        } else if (!shown.text.contains(QStringLiteral("不是当前载入的文件"))
                   && !shown.text.contains(QStringLiteral("没有选中文件"))) {
            return QStringLiteral("the replace failed: %1").arg(shown.text);
        } else {
            ++m_refusals;
        }
    }
    const QByteArray onDisk = readBytes(file());
    if (onDisk != m_onDisk) {
        return QStringLiteral("the file holds\n%1\nexpected\n%2")
            .arg(QString::fromUtf8(onDisk), QString::fromUtf8(m_onDisk));
    }
    if (replaced && readBytes(file() + QStringLiteral(".backup")) != beforeLastReplace)
        return QStringLiteral("the backup does not hold the version before the replace");
    return QString();
}

QTEST_MAIN(TestMonkey)
#include "test_monkey.moc"
