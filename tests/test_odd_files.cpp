// Files no one means to edit but someone will double-click: very large ones,
// NUL characters, one enormous line, nothing but quotation marks, a binary
// named .cpp. Each loads or is refused with a message naming it, and the
// window goes on. Load times are printed, never asserted.

#include "support/MainWindowFixture.h"
#include "support/TestFiles.h"

#include "engine/ScanLiterals.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>

namespace {

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

} // namespace

class TestOddFiles : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    MainWindowFixture m_window;
    // The fixture's controls, under their designer names.
    ListBox *&List1 = m_window.List1;
    ListBox *&List2 = m_window.List2;
    EditBox *&Text1 = m_window.Text1;

    QString path(const QString &name) const { return m_dir.filePath(name); }
    static QStringList rows(const ListBox *list) { return MainWindowFixture::rowsOf(list); }

    // Double-clicks the file in File1, as a user does, and prints how long the load took.
    Shown load(const QString &name)
    {
        QElapsedTimer clock;
        clock.start();
        const Shown seen = m_window.loadFile(name);
        qInfo("%s: %s in %lld ms, %d rows", qPrintable(name), seen.seen ? "refused" : "loaded", clock.elapsed(),
              int(List1->count()));
        return seen;
    }

    Shown replace()
    {
        QElapsedTimer clock;
        clock.start();
        const Shown seen = m_window.press(m_window.Command3);
        qInfo("replace in %lld ms", clock.elapsed());
        return seen;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // All files exist before the window lists the folder.
        writeBytes(path("small.cpp"), "s(\"small\");\n");
        writeBytes(path("large.cpp"), largeSource());
        writeBytes(path("nul.cpp"), NulSource);
        writeBytes(path("oneline.cpp"), oneLongLine());
        writeBytes(path("quotes.cpp"), QByteArray(1 << 20, '"'));
        writeBytes(path("binary.cpp"), binary());
        m_window.open(m_dir.path());
    }

    // Every test starts from a small file loaded, to see what a refusal keeps.
    void init()
    {
        QVERIFY(!m_window.loadFile("small.cpp").seen);
        QCOMPARE(rows(List1), QStringList{"small"});
    }

    void tensOfMegabytes()
    {
        const QByteArray source = readBytes(path("large.cpp"));
        const Shown seen = load("large.cpp");
        QVERIFY2(!seen.seen, qPrintable(seen.text));
        const QStringList literals = ScanLiterals(QString::fromUtf8(source));
        QCOMPARE(List1->count(), literals.size());
        QCOMPARE(List2->count(), literals.size());
        QCOMPARE(List1->item(List1->count() - 1)->text(), literals.last());
        QCOMPARE(Text1->text(), literals.first());

        QCOMPARE(replace().icon, QMessageBox::Information);
        QCOMPARE(readBytes(path("large.cpp")), source); // no row edited: the same bytes
    }

    void nulCharacters()
    {
        QVERIFY(!load("nul.cpp").seen);
        QCOMPARE(rows(List1), QStringList({QString::fromUtf8("x\0y", 3), QString(QChar(0)), "z"}));

        // Edit the last row; the NULs elsewhere come back untouched.
        QTest::mouseClick(List1->viewport(), Qt::LeftButton, {}, List1->visualItemRect(List1->item(2)).center());
        QTest::keyClicks(Text1, "w");
        QTest::keyClick(Text1, Qt::Key_Return);
        QCOMPARE(replace().icon, QMessageBox::Information);
        QCOMPARE(readBytes(path("nul.cpp")), QByteArrayLiteral("a(\"x\0y\"); \0 b(\"\0\"); c(\"w\");\0"));
        QCOMPARE(readBytes(path("nul.cpp.backup")), NulSource);
    }

    void oneLineOfTenMegabytes()
    {
        const Shown seen = load("oneline.cpp");
        QVERIFY2(!seen.seen, qPrintable(seen.text));
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

    void onlyQuotationMarks()
    {
        const Shown seen = load("quotes.cpp");
        QVERIFY2(!seen.seen, qPrintable(seen.text));
        QCOMPARE(List1->count(), 0); // every pair is empty
        QCOMPARE(List2->count(), 0);
        QCOMPARE(Text1->text(), QString());
    }

    void binaryNamedCpp()
    {
        const Shown seen = load("binary.cpp");
        QVERIFY(seen.seen);
        QCOMPARE(seen.icon, QMessageBox::Warning);
        QVERIFY2(seen.text.contains(path("binary.cpp")) && seen.text.contains(QStringLiteral("UTF-8")),
                 qPrintable(seen.text));
        QCOMPARE(rows(List1), QStringList{"small"}); // the file loaded before stays
        QCOMPARE(rows(List2), QStringList{"small"});
        QCOMPARE(Text1->text(), QStringLiteral("small"));
    }
};

QTEST_MAIN(TestOddFiles)
#include "test_odd_files.moc"
