#include "engine/FileError.h"
#include "engine/ReplaceAndSave.h"
#include "engine/ScanLiterals.h"
#include "engine/SourcePaths.h"
#include "engine/Utf8NoBomFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Message {
    QString text, title;
    MessageIcon icon;
};

// Stands in for the main window: the loaded text, the two lists and File1.
class FakeWindow : public ReplaceHost
{
public:
    QString text, currentPath, folder, selected, loaded;
    QStringList found, replacements;
    QList<Message> messages;

    // What a double-click on the file does: read, scan, fill both lists.
    void load(const QString &dir, const QString &name)
    {
        folder = dir;
        selected = name;
        loaded = SourcePaths::JoinSelectedPath(dir, name);
        text = Utf8NoBomFile::ReadUtf8Text(loaded);
        found = replacements = ScanLiterals(text);
    }

    QString sourceText() const override { return text; }
    void setSourceText(const QString &t) override { text = t; }
    void setCurrentPath(const QString &p) override { currentPath = p; }
    QStringList foundRows() const override { return found; }
    QStringList replacementRows() const override { return replacements; }
    QString fileFolder() const override { return folder; }
    QString selectedFileName() const override { return selected; }
    QString loadedFilePath() const override { return loaded; }
    void showMessage(const QString &t, const QString &title, MessageIcon icon) override
    {
        messages.append({t, title, icon});
    }
};

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QString refusalOf(FakeWindow &window)
{
    try {
        ReplaceAndSave(window);
    } catch (const FileError &error) {
        return error.message();
    }
    return QString();
}

} // namespace

class TestReplaceAndSave : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void firstOccurrenceSemantics_data();
    void firstOccurrenceSemantics();
    void writesBackupAndConfirms();
    void repeatedPressesKeepOneBackupGeneration();
    void fileWithoutLiteralsIsRewrittenAndBackedUp();
    void keepsPermissionsAndRootStylePaths();
    void refusesWithoutTouchingTheDisk();

private:
    QTemporaryDir m_dir;
    FakeWindow m_window;
    QString file() const { return m_dir.filePath(QStringLiteral("main.cpp")); }
    QString backup() const { return file() + QStringLiteral(".backup"); }
    QStringList folderEntries() const
    {
        return QDir(m_dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    }
};

void TestReplaceAndSave::init()
{
    QVERIFY(m_dir.isValid());
    for (const QString &name : folderEntries())
        QVERIFY(QFile::remove(m_dir.filePath(name)) || QDir(m_dir.filePath(name)).removeRecursively());
    m_window = FakeWindow();
}

void TestReplaceAndSave::firstOccurrenceSemantics_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QStringList>("replacements");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("only the second of two rows edited lands on the first")
        << QByteArray("a(\"hi\"); b(\"hi\");") << QStringList{"hi", "yo"} << QByteArray("a(\"yo\"); b(\"hi\");");
    QTest::newRow("both edited land in order")
        << QByteArray("a(\"hi\"); b(\"hi\");") << QStringList{"one", "two"} << QByteArray("a(\"one\"); b(\"two\");");
    QTest::newRow("an earlier place outside any literal changes")
        << QByteArray("int count; s = \"count\";") << QStringList{"total"} << QByteArray("int total; s = \"count\";");
    QTest::newRow("a replacement starting with its original is found again")
        << QByteArray("\"ab\" \"ab\"") << QStringList{"abX", "abY"} << QByteArray("\"abYX\" \"ab\"");
    QTest::newRow("an empty replacement removes the text, quotes stay")
        << QByteArray("x(\"gone\");") << QStringList{""} << QByteArray("x(\"\");");
    QTest::newRow("chinese and astral replacements")
        << QByteArray("m(\"Open\"); n(\"Close\");") << QStringList{"\u6253\u5F00", "\U0001F600"}
        << QByteArray("m(\"\xE6\x89\x93\xE5\xBC\x80\"); n(\"\xF0\x9F\x98\x80\");");
}

void TestReplaceAndSave::firstOccurrenceSemantics()
{
    QFETCH(QByteArray, source);
    QFETCH(QStringList, replacements);
    QFETCH(QByteArray, written);
    writeBytes(file(), source);
    m_window.load(m_dir.path(), QStringLiteral("main.cpp"));
    QCOMPARE(m_window.replacements.size(), replacements.size());
    m_window.replacements = replacements;
    ReplaceAndSave(m_window);
    QCOMPARE(readBytes(file()), written);
    QCOMPARE(readBytes(backup()), source);
    QCOMPARE(m_window.text, QString::fromUtf8(written)); // SourceText holds what was written
}

void TestReplaceAndSave::writesBackupAndConfirms()
{
    writeBytes(file(), "s = \"hello\";");
    writeBytes(backup(), "an older backup");
    m_window.load(m_dir.path(), QStringLiteral("main.cpp"));
    m_window.replacements = QStringList{QStringLiteral("你好")};
    ReplaceAndSave(m_window);

    QCOMPARE(readBytes(file()), QByteArray("s = \"\xE4\xBD\xA0\xE5\xA5\xBD\";"));
    QCOMPARE(readBytes(backup()), QByteArray("s = \"hello\";"));
    QCOMPARE(m_window.currentPath, file());
    QCOMPARE(m_window.messages.size(), 1);
    QCOMPARE(m_window.messages[0].text, QStringLiteral("已经替换 main.cpp 。\r\n原始文件已经事先备份。"));
    QCOMPARE(m_window.messages[0].title, QStringLiteral("替换文件"));
    QCOMPARE(m_window.messages[0].icon, MessageIcon::Information);
    QCOMPARE(folderEntries(), QStringList({"main.cpp", "main.cpp.backup"})); // nothing temporary left
}

void TestReplaceAndSave::repeatedPressesKeepOneBackupGeneration()
{
    writeBytes(file(), "a(\"x\"); b(\"x\"); c(\"x\");");
    m_window.load(m_dir.path(), QStringLiteral("main.cpp"));
    m_window.replacements = QStringList{"y", "x", "x"};
    ReplaceAndSave(m_window);
    QCOMPARE(readBytes(file()), QByteArray("a(\"y\"); b(\"x\"); c(\"x\");"));
    // The second press applies the rows again to the written text: the first
    // row's original now occurs further on.
    ReplaceAndSave(m_window);
    QCOMPARE(readBytes(file()), QByteArray("a(\"y\"); b(\"y\"); c(\"x\");"));
    QCOMPARE(readBytes(backup()), QByteArray("a(\"y\"); b(\"x\"); c(\"x\");"));
    QCOMPARE(m_window.messages.size(), 2);
    QCOMPARE(folderEntries(), QStringList({"main.cpp", "main.cpp.backup"}));
}

void TestReplaceAndSave::fileWithoutLiteralsIsRewrittenAndBackedUp()
{
    const QByteArray source("\xEF\xBB\xBFint main() { return 0; }\r\n");
    writeBytes(file(), source);
    m_window.load(m_dir.path(), QStringLiteral("main.cpp"));
    QVERIFY(m_window.found.isEmpty());
    ReplaceAndSave(m_window);
    QCOMPARE(readBytes(file()), source); // the mark was read as a character and is written back
    QCOMPARE(readBytes(backup()), source);
    QCOMPARE(m_window.messages.size(), 1);
}

void TestReplaceAndSave::keepsPermissionsAndRootStylePaths()
{
    writeBytes(file(), "s = \"a\";");
    const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ExeOwner;
    QVERIFY(QFile::setPermissions(file(), permissions));
    const auto before = QFile::permissions(file());
    // A folder that already ends in "/" gives "//" in the joined path, which still names the file.
    m_window.load(m_dir.path() + QLatin1Char('/'), QStringLiteral("main.cpp"));
    m_window.replacements = QStringList{"b"};
    ReplaceAndSave(m_window);
    QCOMPARE(readBytes(file()), QByteArray("s = \"b\";"));
    QCOMPARE(QFile::permissions(file()), before);
}

void TestReplaceAndSave::refusesWithoutTouchingTheDisk()
{
    writeBytes(file(), "s = \"a\";");
    writeBytes(m_dir.filePath(QStringLiteral("other.cpp")), "t = \"b\";");
    const QStringList before = folderEntries();

    // Nothing loaded yet.
    m_window.folder = m_dir.path();
    m_window.selected = QStringLiteral("main.cpp");
    QVERIFY(refusalOf(m_window).contains(QStringLiteral("还没有载入文件")));

    // Loaded, but no file selected in the list.
    m_window.load(m_dir.path(), QStringLiteral("main.cpp"));
    m_window.replacements = QStringList{"changed"};
    m_window.selected.clear();
    QVERIFY(refusalOf(m_window).contains(QStringLiteral("没有选中文件")));

    // Another file selected than the one loaded: its text must not be overwritten.
    m_window.selected = QStringLiteral("other.cpp");
    const QString message = refusalOf(m_window);
    QVERIFY(message.contains(QStringLiteral("不是当前载入的文件")));
    QVERIFY(message.contains(QStringLiteral("other.cpp")));

    QCOMPARE(folderEntries(), before);
    QCOMPARE(readBytes(file()), QByteArray("s = \"a\";"));
    QCOMPARE(readBytes(m_dir.filePath(QStringLiteral("other.cpp"))), QByteArray("t = \"b\";"));
    QCOMPARE(m_window.text, QStringLiteral("s = \"a\";")); // refused before the rows were applied
    QVERIFY(m_window.messages.isEmpty());
}

QTEST_APPLESS_MAIN(TestReplaceAndSave)
#include "test_replace_and_save.moc"
