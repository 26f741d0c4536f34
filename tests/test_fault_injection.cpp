// Every way the disk can fail a load or a replace, on real folders: the user
// is told what went wrong, naming the file; the file and its backup keep every
// byte; no temporary file is left; and the next replace works.

#include "support/FakeWindow.h"
#include "support/MainWindowFixture.h"
#include "support/TestFiles.h"

#include "engine/FaultInjection.h"

#include <QTemporaryDir>

using FaultInjection::Point;

namespace {

const QByteArray Source = "a(\"hello\"); b(\"world\"); c(\"hello\");\n";
const QByteArray OldBackup = "the backup of an earlier replace\n";
const QString Confirmation = QStringLiteral("已经替换 main.cpp 。\r\n原始文件已经事先备份。");

// A folder standing where a file is expected, with something inside to lose.
void makeFolderAt(const QString &path)
{
    QVERIFY(QDir().mkdir(path));
    writeBytes(path + QStringLiteral("/inside.txt"), "keep me");
}

void checkFolderIntact(const QString &path)
{
    QVERIFY(QFileInfo(path).isDir());
    QCOMPARE(readBytes(path + QStringLiteral("/inside.txt")), QByteArray("keep me"));
}

} // namespace

class TestFaultInjection : public QObject
{
    Q_OBJECT

    QScopedPointer<QTemporaryDir> m_dir;
    FakeWindow m_window;

    QString path(const QString &name) const { return m_dir->filePath(name); }
    QString file() const { return path(QStringLiteral("main.cpp")); }
    QString backup() const { return path(QStringLiteral("main.cpp.backup")); }

    // main.cpp and its backup on disk, main.cpp loaded and its first row edited.
    void prepare(const QString &name = QStringLiteral("main.cpp"))
    {
        writeBytes(path(name), Source);
        writeBytes(path(name + QStringLiteral(".backup")), OldBackup);
        m_window.load(m_dir->path(), name);
        QCOMPARE(m_window.found, QStringList({"hello", "world", "hello"}));
        m_window.replacements[0] = QStringLiteral("你好");
    }

    // The replace fails with a message naming the path and saying what became
    // of the file; no confirmation follows; and the window still holds the text
    // that is on disk, so that the next press applies the rows once, not twice.
    void checkReplaceFails(const QString &path, const QStringList &phrases)
    {
        const QString message = failureOf([this] { ReplaceAndSave(m_window); });
        QVERIFY2(message.contains(path), qPrintable(message));
        for (const QString &phrase : phrases)
            QVERIFY2(message.contains(phrase), qPrintable(message));
        QVERIFY(m_window.messages.isEmpty());
        QCOMPARE(m_window.text, QString::fromUtf8(Source));
    }

    // With the fault gone, pressing again writes the rows applied to the text the
    // window holds, and the file's version from just before becomes the backup.
    void checkLaterReplaceWorks(const QString &name = QStringLiteral("main.cpp"), bool confirmed = true)
    {
        FaultInjection::DisarmAll();
        const QString target = path(name);
        const QByteArray before = readBytes(target);
        const QString expected = ApplyPairs(m_window.text, m_window.found, m_window.replacements);
        m_window.messages.clear();
        const QString failure = failureOf([this] { ReplaceAndSave(m_window); });
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QCOMPARE(readBytes(target), expected.toUtf8());
        QCOMPARE(readBytes(target + QStringLiteral(".backup")), before);
        QVERIFY(readBytes(target).contains("你好"));
        QCOMPARE(entriesOf(m_dir->path()), QStringList({name, name + QStringLiteral(".backup")}));
        QCOMPARE(m_window.messages.size(), confirmed ? 1 : 0);
        if (confirmed)
            QCOMPARE(m_window.messages[0].icon, MessageIcon::Information);
    }

    QStringList editorState(const MainWindowFixture &window) const
    {
        return MainWindowFixture::rowsOf(window.List1) + MainWindowFixture::rowsOf(window.List2)
            + QStringList{QString::number(window.List1->currentRow()), QString::number(window.List2->currentRow()),
                          window.Text1->text()};
    }

private slots:
    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
        m_window = FakeWindow();
    }

    void cleanup() { FaultInjection::DisarmAll(); }

    // ---- the replace, through the engine ----

    void fileBecameAFolder()
    {
        prepare();
        QVERIFY(QFile::remove(file()));
        makeFolderAt(file());
        checkReplaceFails(file(), {QStringLiteral("不是一个文件")});
        checkFolderIntact(file());
        QCOMPARE(readBytes(backup()), OldBackup);
        QCOMPARE(entriesOf(m_dir->path()), QStringList({"main.cpp", "main.cpp.backup"}));

        QVERIFY(QDir(file()).removeRecursively());
        writeBytes(file(), Source);
        checkLaterReplaceWorks();
    }

    void backupNameHeldByAFolder()
    {
        prepare();
        QVERIFY(QFile::remove(backup()));
        makeFolderAt(backup());
        checkReplaceFails(backup(), {QStringLiteral("文件没有被修改")});
        QCOMPARE(readBytes(file()), Source);
        checkFolderIntact(backup());
        QCOMPARE(entriesOf(m_dir->path()), QStringList({"main.cpp", "main.cpp.backup"}));

        QVERIFY(QDir(backup()).removeRecursively());
        checkLaterReplaceWorks();
    }

    // Hidden files are not ordinary: the replace neither deletes one nor renames over it.
    void backupNameHeldByAHiddenFile()
    {
        const QString name = QStringLiteral(".main.cpp");
        const QString hiddenBackup = path(QStringLiteral(".main.cpp.backup"));
        prepare(name);
        QVERIFY(QFileInfo(hiddenBackup).isHidden());
        checkReplaceFails(hiddenBackup, {QStringLiteral("文件没有被修改")});
        QCOMPARE(readBytes(path(name)), Source);
        QCOMPARE(readBytes(hiddenBackup), OldBackup);
        QCOMPARE(entriesOf(m_dir->path()), QStringList({".main.cpp", ".main.cpp.backup"}));

        QVERIFY(QFile::remove(hiddenBackup));
        checkLaterReplaceWorks(name, false); // the new backup is hidden as well: no confirmation
    }

    void fileVanishedBeforeReplace()
    {
        prepare();
        QVERIFY(QFile::remove(file()));
        checkReplaceFails(file(), {QStringLiteral("不存在")});
        QCOMPARE(readBytes(backup()), OldBackup);
        QCOMPARE(entriesOf(m_dir->path()), QStringList({"main.cpp.backup"}));

        writeBytes(file(), Source);
        checkLaterReplaceWorks();
    }

    // One step of the replace fails. A failed move into place comes after the
    // file was renamed to its backup name: it goes back, and the older backup with it.
    void injectedFailureKeepsFileAndBackup_data()
    {
        QTest::addColumn<int>("point");
        QTest::addColumn<bool>("namesBackup"); // the message names the backup, not the file
        QTest::addColumn<QStringList>("phrases");
        const QString unchanged = QStringLiteral("文件没有被修改");
        QTest::newRow("disk full during the write") << int(Point::DiskFull) << false
                                                    << QStringList{QStringLiteral("磁盘已满"), unchanged};
        QTest::newRow("rename to the backup fails") << int(Point::RenameToBackup) << false << QStringList{unchanged};
        QTest::newRow("move into place fails") << int(Point::MoveIntoPlace) << false << QStringList{unchanged};
        QTest::newRow("old backup cannot be deleted") << int(Point::DeleteBackup) << true << QStringList{unchanged};
    }

    void injectedFailureKeepsFileAndBackup()
    {
        QFETCH(int, point);
        QFETCH(bool, namesBackup);
        QFETCH(QStringList, phrases);
        prepare();
        FaultInjection::Arm(Point(point));
        checkReplaceFails(namesBackup ? backup() : file(), phrases);
        QCOMPARE(readBytes(file()), Source);
        QCOMPARE(readBytes(backup()), OldBackup);
        QCOMPARE(entriesOf(m_dir->path()), QStringList({"main.cpp", "main.cpp.backup"})); // nothing temporary left
        checkLaterReplaceWorks();
    }

    // ---- the window, driven as a user drives it ----

    // The file disappears, or a folder takes its name, after File1 listed it.
    void failedLoadKeepsTheEditor_data()
    {
        QTest::addColumn<bool>("becomesFolder");
        QTest::newRow("file vanished") << false;
        QTest::newRow("file replaced by a folder") << true;
    }

    void failedLoadKeepsTheEditor()
    {
        QFETCH(bool, becomesFolder);
        const QString other = path(QStringLiteral("other.cpp"));
        writeBytes(file(), Source);
        writeBytes(other, "g(\"soon gone\");");
        MainWindowFixture window;
        window.open(m_dir->path());
        window.loadFile("main.cpp");
        const QStringList loaded = editorState(window);
        QCOMPARE(window.rowsOf(window.List1), QStringList({"hello", "world", "hello"}));

        QVERIFY(QFile::remove(other));
        if (becomesFolder)
            makeFolderAt(other);
        const Shown seen = window.loadFile("other.cpp");
        QVERIFY(seen.seen);
        QVERIFY2(seen.text.contains(other), qPrintable(seen.text));
        QCOMPARE(seen.icon, QMessageBox::Warning);
        QCOMPARE(editorState(window), loaded);
        if (becomesFolder)
            checkFolderIntact(other);

        // The program goes on: the loaded file can still be replaced.
        window.clickItem(window.File1, "main.cpp");
        QCOMPARE(window.press(window.Command3).text, Confirmation);
        QCOMPARE(readBytes(file()), Source);
        QCOMPARE(readBytes(backup()), Source);
    }

    void failedReplaceShowsItsMessageAndTheNextOneWorks()
    {
        writeBytes(file(), Source);
        writeBytes(backup(), OldBackup);
        MainWindowFixture window;
        window.open(m_dir->path());
        window.loadFile("main.cpp");
        QTRY_VERIFY(window.Text1->hasFocus());
        QTest::keyClicks(window.Text1, "bye");
        QTest::keyClick(window.Text1, Qt::Key_Return); // stored in row 0
        QCOMPARE(window.List2->item(0)->text(), QStringLiteral("bye"));

        FaultInjection::Arm(Point::MoveIntoPlace);
        const Shown failure = window.press(window.Command3);
        QVERIFY(failure.seen);
        QCOMPARE(failure.title, QStringLiteral("替换文件"));
        QCOMPARE(failure.icon, QMessageBox::Warning);
        QVERIFY2(failure.text.contains(file()) && failure.text.contains(QStringLiteral("文件没有被修改")),
                 qPrintable(failure.text));
        QCOMPARE(readBytes(file()), Source);
        QCOMPARE(readBytes(backup()), OldBackup);
        QCOMPARE(entriesOf(m_dir->path()), QStringList({"main.cpp", "main.cpp.backup"}));

        FaultInjection::DisarmAll();
        const Shown confirmation = window.press(window.Command3);
        QCOMPARE(confirmation.text, Confirmation);
        QCOMPARE(confirmation.icon, QMessageBox::Information);
        QCOMPARE(readBytes(file()), QByteArray("a(\"bye\"); b(\"world\"); c(\"hello\");\n"));
        QCOMPARE(readBytes(backup()), Source);
        QCOMPARE(entriesOf(m_dir->path()), QStringList({"main.cpp", "main.cpp.backup"}));
    }
};

QTEST_MAIN(TestFaultInjection)
#include "test_fault_injection.moc"
