// Files no one means to edit but someone will double-click: very large ones,
// NUL characters, one enormous line, nothing but quotation marks, a binary
// named .cpp. Each loads or is refused with a message naming it, and the
// window goes on. Load times are printed, never asserted.

#include "engine/ScanLiterals.h"
#include "ui/EditBox.h"
#include "ui/Form1.h"
#include "ui/ListBox.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// About 24 MB of source in the shape of real code: a literal every few lines.
QByteArray largeSource()
{
    QByteArray source;
    source.reserve(25 << 20);
    for (int i = 0; source.size() < (24 << 20); ++i) {
        source += "void step" + QByteArray::number(i) + "(int value)\n{\n"
                  "    if (value < 0 || value > " + QByteArray::number(i) + ")\n"
                  "        report(\"value %d out of range in step " + QByteArray::number(i) + "\", value);\n"
                  "    total += value; // 累计\n}\n\n";
    }
    return source;
}

const QByteArray NulSource = QByteArrayLiteral("a(\"x\0y\"); \0 b(\"\0\"); c(\"z\");\0");

// One line: a literal of 10 MB, then short literals after it.
QByteArray oneLongLine()
{
    return "const char *huge = \"" + QByteArray(10 << 20, 'x') + "\"; f(\"after\"); g(\"end\");";
}

// Random bytes behind an ELF header, as an object file renamed by mistake holds.
QByteArray binary()
{
    QByteArray bytes(256 << 10, Qt::Uninitialized);
    QRandomGenerator random(7);
    for (char &byte : bytes)
        byte = char(random.bounded(256));
    return "\x7F" "ELF\x02\x01\x01" + bytes;
}

struct Shown {
    bool shown = false;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

} // namespace

class TestOddFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void tensOfMegabytes();
    void nulCharacters();
    void oneLineOfTenMegabytes();
    void onlyQuotationMarks();
    void binaryNamedCpp();

private:
    QTemporaryDir m_dir;
    QString m_startFolder;
    Form1 *m_form = nullptr;
    QListWidget *File1 = nullptr;
    ListBox *List1 = nullptr;
    ListBox *List2 = nullptr;
    EditBox *Text1 = nullptr;

    QTimer m_modalCloser;
    Shown m_lastShown; // the latest message box, closed as soon as it showed

    QString path(const QString &name) const { return m_dir.filePath(name); }
    // Double-clicks the file in File1, as a user does, and prints how long the load took.
    // Returns the message box the load showed, if any.
    Shown load(const QString &name);
    Shown replace();
    QStringList rows(const ListBox *list) const;
};

void TestOddFiles::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // All files exist before the window lists the folder.
    writeBytes(path("small.cpp"), "s(\"small\");\n");
    writeBytes(path("large.cpp"), largeSource());
    writeBytes(path("nul.cpp"), NulSource);
    writeBytes(path("oneline.cpp"), oneLongLine());
    writeBytes(path("quotes.cpp"), QByteArray(1 << 20, '"'));
    writeBytes(path("binary.cpp"), binary());
    m_startFolder = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir.path())); // File1 starts here
    m_form = new Form1;
    File1 = m_form->findChild<QListWidget *>("File1");
    List1 = m_form->findChild<ListBox *>("List1");
    List2 = m_form->findChild<ListBox *>("List2");
    Text1 = m_form->findChild<EditBox *>("Text1");
    QVERIFY(File1 && List1 && List2 && Text1);

    // Every modal window, the start-up notice first, is closed as soon as it shows.
    m_modalCloser.setInterval(5);
    connect(&m_modalCloser, &QTimer::timeout, this, [this] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        if (auto *box = qobject_cast<QMessageBox *>(modal))
            m_lastShown = {true, box->text(), box->icon()};
        modal->close();
    });
    m_modalCloser.start();
    m_form->show();
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
}

void TestOddFiles::cleanupTestCase()
{
    delete m_form;
    QDir::setCurrent(m_startFolder);
}

// Every test starts from a small file loaded, to see what a refusal keeps.
void TestOddFiles::init()
{
    QVERIFY(load("small.cpp").text.isEmpty());
    QCOMPARE(rows(List1), QStringList{"small"});
}

QStringList TestOddFiles::rows(const ListBox *list) const
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

Shown TestOddFiles::load(const QString &name)
{
    const QList<QListWidgetItem *> items = File1->findItems(name, Qt::MatchExactly);
    if (items.size() != 1)
        return {true, QStringLiteral("File1 does not list ") + name};
    const QPoint at = File1->visualItemRect(items.first()).center();
    QTest::mouseClick(File1->viewport(), Qt::LeftButton, {}, at);
    m_lastShown = Shown();
    QElapsedTimer clock;
    clock.start();
    QTest::mouseDClick(File1->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(File1->viewport(), Qt::LeftButton, {}, at);
    QCoreApplication::processEvents(); // paint the lists as the user would see them
    const qint64 elapsed = clock.elapsed();
    const Shown seen = m_lastShown;
    if (name != QLatin1String("small.cpp"))
        qInfo("%s: %s in %lld ms, %d rows", qPrintable(name), seen.shown ? "refused" : "loaded", elapsed,
              int(List1->count()));
    m_form->activateWindow();
    return seen;
}

Shown TestOddFiles::replace()
{
    m_lastShown = Shown();
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(m_form->findChild<QPushButton *>("Command3"), Qt::LeftButton);
    qInfo("replace in %lld ms", clock.elapsed());
    m_form->activateWindow();
    return m_lastShown;
}

void TestOddFiles::tensOfMegabytes()
{
    const QByteArray source = readBytes(path("large.cpp"));
    const Shown seen = load("large.cpp");
    QVERIFY2(!seen.shown, qPrintable(seen.text));
    const QStringList literals = ScanLiterals(QString::fromUtf8(source));
    QCOMPARE(List1->count(), literals.size());
    QCOMPARE(List2->count(), literals.size());
    QCOMPARE(List1->item(List1->count() - 1)->text(), literals.last());
    QCOMPARE(Text1->text(), literals.first());

    QCOMPARE(replace().icon, QMessageBox::Information);
    QCOMPARE(readBytes(path("large.cpp")), source); // no row edited: the same bytes
}

void TestOddFiles::nulCharacters()
{
    QVERIFY(load("nul.cpp").text.isEmpty());
    QCOMPARE(rows(List1), QStringList({QString::fromUtf8("x\0y", 3), QString(QChar(0)), "z"}));

    // Edit the last row; the NULs elsewhere come back untouched.
    QTest::mouseClick(List1->viewport(), Qt::LeftButton, {}, List1->visualItemRect(List1->item(2)).center());
    QTest::keyClicks(Text1, "w");
    QTest::keyClick(Text1, Qt::Key_Return);
    QCOMPARE(replace().icon, QMessageBox::Information);
    QCOMPARE(readBytes(path("nul.cpp")), QByteArrayLiteral("a(\"x\0y\"); \0 b(\"\0\"); c(\"w\");\0"));
    QCOMPARE(readBytes(path("nul.cpp.backup")), NulSource);
}

void TestOddFiles::oneLineOfTenMegabytes()
{
    const Shown seen = load("oneline.cpp");
    QVERIFY2(!seen.shown, qPrintable(seen.text));
    QCOMPARE(List1->count(), 3);
    QCOMPARE(List1->item(0)->text().size(), 10 << 20);
    QCOMPARE(rows(List2).mid(1), QStringList({"after", "end"}));
    QCOMPARE(Text1->text().size(), 10 << 20);

    // Enter stores the whole literal, not a cut one: the replace writes the same bytes.
    QElapsedTimer clock;
    clock.start();
    QTest::keyClick(Text1, Qt::Key_Return);
    qInfo("Enter in %lld ms", clock.elapsed());
    QCOMPARE(List2->item(0)->text().size(), 10 << 20);
    QCOMPARE(replace().icon, QMessageBox::Information);
    QCOMPARE(readBytes(path("oneline.cpp")), oneLongLine());
}

void TestOddFiles::onlyQuotationMarks()
{
    const Shown seen = load("quotes.cpp");
    QVERIFY2(!seen.shown, qPrintable(seen.text));
    QCOMPARE(List1->count(), 0); // every pair is empty
    QCOMPARE(List2->count(), 0);
    QCOMPARE(Text1->text(), QString());
}

void TestOddFiles::binaryNamedCpp()
{
    const Shown seen = load("binary.cpp");
    QVERIFY(seen.shown);
    QCOMPARE(seen.icon, QMessageBox::Warning);
    QVERIFY2(seen.text.contains(path("binary.cpp")) && seen.text.contains(QStringLiteral("UTF-8")),
             qPrintable(seen.text));
    QCOMPARE(rows(List1), QStringList{"small"}); // the file loaded before stays
    QCOMPARE(rows(List2), QStringList{"small"});
    QCOMPARE(Text1->text(), QStringLiteral("small"));
}

QTEST_MAIN(TestOddFiles)
#include "test_odd_files.moc"
