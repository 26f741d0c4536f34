// Reading and writing UTF-8 without a mark: byte-identical round trips,
// refusals that name the file and the byte, the 8-bit fallback and a full disk.

#include "support/TestFiles.h"

#include "engine/FaultInjection.h"
#include "engine/Utf8NoBomFile.h"

#include <QTemporaryDir>

using namespace Utf8NoBomFile;

class TestUtf8File : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { FaultInjection::DisarmAll(); }
    void roundTripIsByteIdentical_data();
    void roundTripIsByteIdentical();
    void invalidUtf8IsRefused_data();
    void invalidUtf8IsRefused();
    void unreadablePathsAreRefused();
    void writesExactUtf8WithoutMark();
    void loneSurrogateIsRefusedBeforeDiskChanges();
    void fallbackWritesOnlyWhatItCanRepresent();
    void fullDiskLeavesTheFileAsItWas();

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
};

void TestUtf8File::roundTripIsByteIdentical_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("ascii lf") << QByteArray("a = \"x\";\nb;\n");
    QTest::newRow("crlf") << QByteArray("a\r\nb\r\n");
    QTest::newRow("lone cr") << QByteArray("a\rb\r");
    QTest::newRow("bom") << QByteArray("\xEF\xBB\xBF" "int x;\r\n");
    QTest::newRow("chinese") << QByteArray("s = \"\xE4\xB8\xAD\xE6\x96\x87\";");
    QTest::newRow("astral") << QByteArray("\"\xF0\x9F\x98\x80\"");
    QTest::newRow("nul and noncharacter") << QByteArray("a\0b\xEF\xBF\xBF", 6);
}

void TestUtf8File::roundTripIsByteIdentical()
{
    QFETCH(QByteArray, bytes);
    const QString file = path(QStringLiteral("round.cpp"));
    writeBytes(file, bytes);
    const QString text = ReadUtf8Text(file);
    QCOMPARE(text.toUtf8(), bytes); // decoded exactly, nothing dropped or replaced
    if (bytes.startsWith("\xEF\xBB\xBF"))
        QCOMPARE(text.at(0), QChar(0xFEFF)); // the mark is kept as a character
    WriteUtf8NoBom(text, file);
    QCOMPARE(readBytes(file), bytes);
}

void TestUtf8File::invalidUtf8IsRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("badByte"); // 1-based, as the message says
    QTest::newRow("gbk") << QByteArray("s = \"\xD6\xD0\xCE\xC4\";") << 6;
    QTest::newRow("latin1") << QByteArray("caf\xE9") << 4;
    QTest::newRow("overlong") << QByteArray("ab\xC0\xAF") << 3;
    QTest::newRow("encoded surrogate") << QByteArray("\xED\xA0\x80") << 1;
    QTest::newRow("beyond U+10FFFF") << QByteArray("x\xF4\x90\x80\x80") << 2;
    QTest::newRow("truncated at end") << QByteArray("abc\xE4\xB8") << 4;
}

void TestUtf8File::invalidUtf8IsRefused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, badByte);
    const QString file = path(QStringLiteral("bad.cpp"));
    writeBytes(file, bytes);
    const QString message = failureOf([&] { ReadUtf8Text(file); });
    QVERIFY(message.contains(file));
    QVERIFY(message.contains(QStringLiteral("不是有效的 UTF-8 编码")));
    QVERIFY2(message.contains(QStringLiteral("第 %1 个字节").arg(badByte)), qPrintable(message));
    QCOMPARE(readBytes(file), bytes); // reading never touches the file
}

void TestUtf8File::unreadablePathsAreRefused()
{
    const QString missing = path(QStringLiteral("missing.cpp"));
    QVERIFY(failureOf([&] { ReadUtf8Text(missing); }).contains(missing));
    QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("folder.cpp")));
    const QString folder = path(QStringLiteral("folder.cpp"));
    QVERIFY(failureOf([&] { ReadUtf8Text(folder); }).contains(QStringLiteral("无法读取文件")));
    // A path made of the folder and an empty name, as with nothing selected.
    QVERIFY(!failureOf([&] { ReadUtf8Text(m_dir.path() + QLatin1Char('/')); }).isEmpty());
}

void TestUtf8File::writesExactUtf8WithoutMark()
{
    const QString file = path(QStringLiteral("out.cpp"));
    writeBytes(file, QByteArray(100, 'z')); // a longer old file leaves no tail
    WriteUtf8NoBom(QStringLiteral("中\r\n"), file);
    QCOMPARE(readBytes(file), QByteArray("\xE4\xB8\xAD\r\n"));
    WriteUtf8NoBom(QString(), file);
    QCOMPARE(readBytes(file), QByteArray());
    WriteUtf8NoBom(QStringLiteral("\uFEFFx"), file);
    QCOMPARE(readBytes(file), QByteArray("\xEF\xBB\xBFx"));
    QCOMPARE(entriesOf(m_dir.path()).filter(QStringLiteral("out.cpp")), QStringList{"out.cpp"}); // no temporary file left
}

void TestUtf8File::loneSurrogateIsRefusedBeforeDiskChanges()
{
    const QString file = path(QStringLiteral("keep.cpp"));
    writeBytes(file, "original");
    QString text = QStringLiteral("a");
    text.append(QChar(0xD800));
    QVERIFY(failureOf([&] { WriteUtf8NoBom(text, file); }).contains(QStringLiteral("代理项")));
    QCOMPARE(readBytes(file), QByteArray("original"));
}

void TestUtf8File::fallbackWritesOnlyWhatItCanRepresent()
{
    const QString file = path(QStringLiteral("fallback.cpp"));
    writeBytes(file, "original");
    FaultInjection::Arm(FaultInjection::Point::StreamWrite);
    FaultInjection::SetFallbackEncoding(QStringConverter::Latin1);

    WriteUtf8NoBom(QStringLiteral("caf\u00E9"), file); // representable: written in the 8-bit encoding
    QCOMPARE(readBytes(file), QByteArray("caf\xE9"));

    const QString message = failureOf([&] { WriteUtf8NoBom(QStringLiteral("中文"), file); });
    QVERIFY(message.contains(file));
    QCOMPARE(readBytes(file), QByteArray("caf\xE9")); // never a lossy file
}

void TestUtf8File::fullDiskLeavesTheFileAsItWas()
{
    const QString file = path(QStringLiteral("full.cpp"));
    writeBytes(file, "original");
    FaultInjection::Arm(FaultInjection::Point::DiskFull);
    const QString message = failureOf([&] { WriteUtf8NoBom(QStringLiteral("new text"), file); });
    QVERIFY(message.contains(file));
    QCOMPARE(readBytes(file), QByteArray("original"));
    QCOMPARE(entriesOf(m_dir.path()).filter(QStringLiteral("full.cpp")), QStringList{"full.cpp"});
}

QTEST_APPLESS_MAIN(TestUtf8File)
#include "test_utf8_file.moc"
