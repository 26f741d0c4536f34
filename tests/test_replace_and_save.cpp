// The replace through the engine, on a real folder: which occurrence each row
// changes, the backup, the confirmation, permissions, and the refusals that
// leave the disk alone.

#include "support/FakeWindow.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>

class TestReplaceAndSave : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    FakeWindow m_window;
    QString file() const { return m_dir.filePath(QStringLiteral("main.cpp")); }
    QString backup() const { return file() + QStringLiteral(".backup"); }
    void load(const QString &folder = {}) { m_window.load(folder.isEmpty() ? m_dir.path() : folder, "main.cpp"); }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        for (const QString &name : entriesOf(m_dir.path()))
            QVERIFY(QFile::remove(m_dir.filePath(name)) || QDir(m_dir.filePath(name)).removeRecursively());
        m_window = FakeWindow();
    }

    // The finer cases of the rule are ApplyPairs's own test; these go through the file.
    void firstOccurrenceSemantics_data()
    {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QStringList>("replacements");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("only the second of two rows edited lands on the first")
            << QByteArray("a(\"hi\"); b(\"hi\");") << QStringList{"hi", "yo"} << QByteArray("a(\"yo\"); b(\"hi\");");
        QTest::newRow("an earlier place outside any literal changes")
            << QByteArray("int count; s = \"count\";") << QStringList{"total"} << QByteArray("int total; s = \"count\";");
        QTest::newRow("chinese and astral replacements")
            << QByteArray("m(\"Open\"); n(\"Close\");") << QStringList{"\u6253\u5F00", "\U0001F600"}
            << QByteArray("m(\"\xE6\x89\x93\xE5\xBC\x80\"); n(\"\xF0\x9F\x98\x80\");");
    }

    void firstOccurrenceSemantics()
    {
        QFETCH(QByteArray, source);
        QFETCH(QStringList, replacements);
        QFETCH(QByteArray, written);
        writeBytes(file(), source);
        load();
        QCOMPARE(m_window.replacements.size(), replacements.size());
        m_window.replacements = replacements;
        ReplaceAndSave(m_window);
        QCOMPARE(readBytes(file()), written);
        QCOMPARE(readBytes(backup()), source);
        QCOMPARE(m_window.text, QString::fromUtf8(written)); // SourceText holds what was written
    }

    void writesBackupAndConfirms()
    {
        writeBytes(file(), "s = \"hello\";");
        writeBytes(backup(), "an older backup");
        load();
        m_window.replacements = QStringList{QStringLiteral("你好")};
        ReplaceAndSave(m_window);

        QCOMPARE(readBytes(file()), QByteArray("s = \"\xE4\xBD\xA0\xE5\xA5\xBD\";"));
        QCOMPARE(readBytes(backup()), QByteArray("s = \"hello\";"));
        QCOMPARE(m_window.currentPath, file());
        QCOMPARE(m_window.messages.size(), 1);
        QCOMPARE(m_window.messages[0].text, QStringLiteral("已经替换 main.cpp 。\r\n原始文件已经事先备份。"));
        QCOMPARE(m_window.messages[0].title, QStringLiteral("替换文件"));
        QCOMPARE(m_window.messages[0].icon, MessageIcon::Information);
        QCOMPARE(entriesOf(m_dir.path()), QStringList({"main.cpp", "main.cpp.backup"})); // nothing temporary left
    }

    void repeatedPressesKeepOneBackupGeneration()
    {
        writeBytes(file(), "a(\"x\"); b(\"x\"); c(\"x\");");
        load();
        m_window.replacements = QStringList{"y", "x", "x"};
        ReplaceAndSave(m_window);
        QCOMPARE(readBytes(file()), QByteArray("a(\"y\"); b(\"x\"); c(\"x\");"));
        // The second press applies the rows again to the written text: the first
        // row's original now occurs further on.
        ReplaceAndSave(m_window);
        QCOMPARE(readBytes(file()), QByteArray("a(\"y\"); b(\"y\"); c(\"x\");"));
        QCOMPARE(readBytes(backup()), QByteArray("a(\"y\"); b(\"x\"); c(\"x\");"));
        QCOMPARE(m_window.messages.size(), 2);
        QCOMPARE(entriesOf(m_dir.path()), QStringList({"main.cpp", "main.cpp.backup"}));
    }

    void fileWithoutLiteralsIsRewrittenAndBackedUp()
    {
        const QByteArray source("\xEF\xBB\xBFint main() { return 0; }\r\n");
        writeBytes(file(), source);
        load();
        QVERIFY(m_window.found.isEmpty());
        ReplaceAndSave(m_window);
        QCOMPARE(readBytes(file()), source); // the mark was read as a character and is written back
        QCOMPARE(readBytes(backup()), source);
        QCOMPARE(m_window.messages.size(), 1);
    }

    void keepsPermissionsAndRootStylePaths()
    {
        writeBytes(file(), "s = \"a\";");
        QVERIFY(QFile::setPermissions(file(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ExeOwner));
        const auto before = QFile::permissions(file());
        // A folder that already ends in "/" gives "//" in the joined path, which still names the file.
        load(m_dir.path() + QLatin1Char('/'));
        m_window.replacements = QStringList{"b"};
        ReplaceAndSave(m_window);
        QCOMPARE(readBytes(file()), QByteArray("s = \"b\";"));
        QCOMPARE(QFile::permissions(file()), before);
    }

    void refusesWithoutTouchingTheDisk()
    {
        writeBytes(file(), "s = \"a\";");
        writeBytes(m_dir.filePath(QStringLiteral("other.cpp")), "t = \"b\";");
        const QStringList before = entriesOf(m_dir.path());
        const auto refusal = [this] { return failureOf([this] { ReplaceAndSave(m_window); }); };

        // Nothing loaded yet.
        m_window.folder = m_dir.path();
        m_window.selected = QStringLiteral("main.cpp");
        QVERIFY(refusal().contains(QStringLiteral("还没有载入文件")));

        // Loaded, but no file selected in the list.
        load();
        m_window.replacements = QStringList{"changed"};
        m_window.selected.clear();
        QVERIFY(refusal().contains(QStringLiteral("没有选中文件")));

        // Another file selected than the one loaded: its text must not be overwritten.
        m_window.selected = QStringLiteral("other.cpp");
        const QString message = refusal();
        QVERIFY2(message.contains(QStringLiteral("不是当前载入的文件")) && message.contains("other.cpp"),
                 qPrintable(message));

        QCOMPARE(entriesOf(m_dir.path()), before);
        QCOMPARE(readBytes(file()), QByteArray("s = \"a\";"));
        QCOMPARE(readBytes(m_dir.filePath(QStringLiteral("other.cpp"))), QByteArray("t = \"b\";"));
        QCOMPARE(m_window.text, QStringLiteral("s = \"a\";")); // refused before the rows were applied
        QVERIFY(m_window.messages.isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestReplaceAndSave)
#include "test_replace_and_save.moc"
