// Every way the disk can fail a load or a replace, on real folders: the user
// is told what went wrong, naming the file; the file and its backup keep every
// byte; no temporary file is left; and the next replace works.

#include "engine/FaultInjection.h"
#include "engine/FileError.h"
#include "engine/ReplaceAndSave.h"
#include "engine/ScanLiterals.h"
#include "engine/SourcePaths.h"
#include "engine/Utf8NoBomFile.h"
#include "ui/EditBox.h"
#include "ui/Form1.h"
#include "ui/ListBox.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using FaultInjection::Point;

namespace {

const QByteArray Source = "a(\"hello\"); b(\"world\"); c(\"hello\");\n";
const QByteArray OldBackup = "the backup of an earlier replace\n";

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

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

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

struct Message {
    QString text, title;
    MessageIcon icon;
};

// Stands in for the main window: what a double-click on the file loads, the
// user's edits, and the messages the replace shows.
class Window : public ReplaceHost
{
public:
    QString text, currentPath, folder, selected, loaded;
    QStringList found, replacements;
    QList<Message> messages;

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

// What the next modal window showed before it was closed.
struct ModalSeen {
    bool shown = false;
    QString text, title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

} // namespace

class TestFaultInjection : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    // The replace, through the engine.
    void fileBecameAFolder();
    void backupNameHeldByAFolder();
    void backupNameHeldByAHiddenFile();
    void fileVanishedBeforeReplace();
    void diskFullDuringWrite();
    void renameToBackupFails();
    void moveIntoPlaceFails();
    void oldBackupCannotBeDeleted();

    // The window, driven as a user drives it.
    void fileVanishedBetweenListingAndLoad();
    void fileReplacedByAFolderBeforeLoad();
    void failedReplaceShowsItsMessageAndTheNextOneWorks();

private:
    QScopedPointer<QTemporaryDir> m_dir;
    Window m_window;

    QString path(const QString &name) const { return m_dir->filePath(name); }
    QString file() const { return path(QStringLiteral("main.cpp")); }
    QString backup() const { return path(QStringLiteral("main.cpp.backup")); }

    // main.cpp and its backup on disk, main.cpp loaded and its first row edited.
    void prepare(const QString &name = QStringLiteral("main.cpp"));
    QString failureOfReplace();
    void checkFailure(const QString &message, const QString &path, const QString &phrase);
    void checkFileAndBackupKept(const QStringList &entries = {"main.cpp", "main.cpp.backup"});
    void checkLaterReplaceWorks(const QString &name = QStringLiteral("main.cpp"), bool confirmed = true);

    // Window tests.
    Form1 *m_form = nullptr;
    QString m_startFolder;
    void openWindow();
    QListWidget *fileList() const { return m_form->findChild<QListWidget *>("File1"); }
    void selectFile(const QString &name, bool doubleClick);
    ModalSeen pressReplace();
    ModalSeen doubleClickFile(const QString &name);
    QTimer m_modalCloser;
    ModalSeen m_lastShown; // the latest modal window, closed as soon as it showed
    struct Editor {
        QStringList list1, list2;
        int row1, row2;
        QString text;
        bool operator==(const Editor &o) const
        {
            return list1 == o.list1 && list2 == o.list2 && row1 == o.row1 && row2 == o.row2 && text == o.text;
        }
    };
    Editor editor() const;
};

void TestFaultInjection::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
    m_window = Window();
}

void TestFaultInjection::cleanup()
{
    FaultInjection::DisarmAll();
    if (m_form) {
        m_modalCloser.stop();
        m_modalCloser.disconnect();
        delete m_form;
        m_form = nullptr;
        QDir::setCurrent(m_startFolder);
    }
}

void TestFaultInjection::prepare(const QString &name)
{
    writeBytes(path(name), Source);
    writeBytes(path(name + QStringLiteral(".backup")), OldBackup);
    m_window.load(m_dir->path(), name);
    QCOMPARE(m_window.found, QStringList({"hello", "world", "hello"}));
    m_window.replacements[0] = QStringLiteral("你好");
}

// The message of the replace's failure; empty if it did not fail.
QString TestFaultInjection::failureOfReplace()
{
    try {
        ReplaceAndSave(m_window);
    } catch (const FileError &error) {
        return error.message();
    }
    return QString();
}

// The message names the path and says what became of the file; no confirmation
// followed; and the window still holds the text that is on disk, so that the
// next press applies the rows once, not twice.
void TestFaultInjection::checkFailure(const QString &message, const QString &path, const QString &phrase)
{
    QVERIFY2(message.contains(path) && message.contains(phrase), qPrintable(message));
    QVERIFY(m_window.messages.isEmpty());
    QCOMPARE(m_window.text, QString::fromUtf8(Source));
}

void TestFaultInjection::checkFileAndBackupKept(const QStringList &entries)
{
    QCOMPARE(readBytes(file()), Source);
    QCOMPARE(readBytes(backup()), OldBackup);
    QCOMPARE(entriesOf(m_dir->path()), entries); // nothing temporary left behind
}

// With the fault gone, pressing again writes the rows applied to the text the
// window holds, and the file's version from just before becomes the backup.
void TestFaultInjection::checkLaterReplaceWorks(const QString &name, bool confirmed)
{
    FaultInjection::DisarmAll();
    const QString target = path(name);
    const QByteArray before = readBytes(target);
    const QString expected = ApplyPairs(m_window.text, m_window.found, m_window.replacements);
    m_window.messages.clear();

    try {
        ReplaceAndSave(m_window);
    } catch (const FileError &error) {
        QFAIL(qPrintable(error.message()));
    }
    QCOMPARE(readBytes(target), expected.toUtf8());
    QCOMPARE(readBytes(target + QStringLiteral(".backup")), before);
    QVERIFY(readBytes(target).contains("你好"));
    QCOMPARE(entriesOf(m_dir->path()), QStringList({name, name + QStringLiteral(".backup")}));
    QCOMPARE(m_window.messages.size(), confirmed ? 1 : 0);
    if (confirmed)
        QCOMPARE(m_window.messages[0].icon, MessageIcon::Information);
}

void TestFaultInjection::fileBecameAFolder()
{
    prepare();
    QVERIFY(QFile::remove(file()));
    makeFolderAt(file());

    const QString message = failureOfReplace();
    checkFailure(message, file(), QStringLiteral("不是一个文件"));
    checkFolderIntact(file());
    QCOMPARE(readBytes(backup()), OldBackup);
    QCOMPARE(entriesOf(m_dir->path()), QStringList({"main.cpp", "main.cpp.backup"}));

    QVERIFY(QDir(file()).removeRecursively());
    writeBytes(file(), Source);
    checkLaterReplaceWorks();
}

void TestFaultInjection::backupNameHeldByAFolder()
{
    prepare();
    QVERIFY(QFile::remove(backup()));
    makeFolderAt(backup());

    const QString message = failureOfReplace();
    checkFailure(message, backup(), QStringLiteral("文件没有被修改"));
    QCOMPARE(readBytes(file()), Source);
    checkFolderIntact(backup());
    QCOMPARE(entriesOf(m_dir->path()), QStringList({"main.cpp", "main.cpp.backup"}));

    QVERIFY(QDir(backup()).removeRecursively());
    checkLaterReplaceWorks();
}

// Hidden files are not ordinary: the replace neither deletes one nor renames over it.
void TestFaultInjection::backupNameHeldByAHiddenFile()
{
    const QString name = QStringLiteral(".main.cpp");
    const QString hiddenBackup = path(QStringLiteral(".main.cpp.backup"));
    prepare(name);
    QVERIFY(QFileInfo(hiddenBackup).isHidden());

    const QString message = failureOfReplace();
    checkFailure(message, hiddenBackup, QStringLiteral("文件没有被修改"));
    QCOMPARE(readBytes(path(name)), Source);
    QCOMPARE(readBytes(hiddenBackup), OldBackup);
    QCOMPARE(entriesOf(m_dir->path()), QStringList({".main.cpp", ".main.cpp.backup"}));

    QVERIFY(QFile::remove(hiddenBackup));
    // The new backup is hidden as well, so no confirmation follows.
    checkLaterReplaceWorks(name, false);
}

void TestFaultInjection::fileVanishedBeforeReplace()
{
    prepare();
    QVERIFY(QFile::remove(file()));

    const QString message = failureOfReplace();
    checkFailure(message, file(), QStringLiteral("不存在"));
    QCOMPARE(readBytes(backup()), OldBackup);
    QCOMPARE(entriesOf(m_dir->path()), QStringList({"main.cpp.backup"}));

    writeBytes(file(), Source);
    checkLaterReplaceWorks();
}

void TestFaultInjection::diskFullDuringWrite()
{
    prepare();
    FaultInjection::Arm(Point::DiskFull);

    const QString message = failureOfReplace();
    checkFailure(message, file(), QStringLiteral("磁盘已满"));
    QVERIFY2(message.contains(QStringLiteral("文件没有被修改")), qPrintable(message));
    checkFileAndBackupKept();
    checkLaterReplaceWorks();
}

void TestFaultInjection::renameToBackupFails()
{
    prepare();
    FaultInjection::Arm(Point::RenameToBackup);

    const QString message = failureOfReplace();
    checkFailure(message, file(), QStringLiteral("文件没有被修改"));
    checkFileAndBackupKept();
    checkLaterReplaceWorks();
}

// The file was already renamed to its backup name when the new one could not
// take its place: it goes back, and the older backup with it.
void TestFaultInjection::moveIntoPlaceFails()
{
    prepare();
    FaultInjection::Arm(Point::MoveIntoPlace);

    const QString message = failureOfReplace();
    checkFailure(message, file(), QStringLiteral("文件没有被修改"));
    checkFileAndBackupKept();
    checkLaterReplaceWorks();
}

void TestFaultInjection::oldBackupCannotBeDeleted()
{
    prepare();
    FaultInjection::Arm(Point::DeleteBackup);

    const QString message = failureOfReplace();
    checkFailure(message, backup(), QStringLiteral("文件没有被修改"));
    checkFileAndBackupKept();
    checkLaterReplaceWorks();
}

// ---- the window ----

void TestFaultInjection::openWindow()
{
    // File1 starts at the current folder.
    m_startFolder = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    m_form = new Form1;

    // Every modal window, the start-up notice first, is closed as soon as it shows.
    m_modalCloser.setInterval(5);
    connect(&m_modalCloser, &QTimer::timeout, this, [this] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        if (auto *box = qobject_cast<QMessageBox *>(modal))
            m_lastShown = {true, box->text(), box->windowTitle(), box->icon()};
        modal->close();
    });
    m_modalCloser.start();
    m_form->show();
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
}

void TestFaultInjection::selectFile(const QString &name, bool doubleClick)
{
    QListWidget *list = fileList();
    const QList<QListWidgetItem *> items = list->findItems(name, Qt::MatchExactly);
    QCOMPARE(items.size(), 1);
    const QPoint at = list->visualItemRect(items.first()).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    if (doubleClick) {
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
    }
}

ModalSeen TestFaultInjection::pressReplace()
{
    m_lastShown = ModalSeen();
    QTest::mouseClick(m_form->findChild<QPushButton *>("Command3"), Qt::LeftButton);
    m_form->activateWindow();
    return m_lastShown;
}

ModalSeen TestFaultInjection::doubleClickFile(const QString &name)
{
    m_lastShown = ModalSeen();
    selectFile(name, true);
    m_form->activateWindow();
    return m_lastShown;
}

TestFaultInjection::Editor TestFaultInjection::editor() const
{
    const auto rows = [](const ListBox *list) {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i)
            texts << list->item(i)->text();
        return texts;
    };
    const auto *list1 = m_form->findChild<ListBox *>("List1");
    const auto *list2 = m_form->findChild<ListBox *>("List2");
    return {rows(list1), rows(list2), list1->currentRow(), list2->currentRow(),
            m_form->findChild<EditBox *>("Text1")->text()};
}

void TestFaultInjection::fileVanishedBetweenListingAndLoad()
{
    writeBytes(file(), Source);
    writeBytes(path("gone.cpp"), "g(\"soon gone\");");
    openWindow();
    selectFile("main.cpp", true);
    const Editor loaded = editor();
    QCOMPARE(loaded.list1, QStringList({"hello", "world", "hello"}));

    QVERIFY(QFile::remove(path("gone.cpp")));
    const ModalSeen seen = doubleClickFile("gone.cpp");
    QVERIFY(seen.shown);
    QVERIFY2(seen.text.contains(path("gone.cpp")), qPrintable(seen.text));
    QCOMPARE(seen.icon, QMessageBox::Warning);
    QCOMPARE(editor(), loaded);

    // The program goes on: the loaded file can still be replaced.
    selectFile("main.cpp", false);
    const ModalSeen confirmation = pressReplace();
    QCOMPARE(confirmation.text, QStringLiteral("已经替换 main.cpp 。\r\n原始文件已经事先备份。"));
    QCOMPARE(readBytes(file()), Source);
    QCOMPARE(readBytes(backup()), Source);
}

void TestFaultInjection::fileReplacedByAFolderBeforeLoad()
{
    writeBytes(file(), Source);
    writeBytes(path("folder.cpp"), "f(\"soon a folder\");");
    openWindow();
    selectFile("main.cpp", true);
    const Editor loaded = editor();

    QVERIFY(QFile::remove(path("folder.cpp")));
    makeFolderAt(path("folder.cpp"));
    const ModalSeen seen = doubleClickFile("folder.cpp");
    QVERIFY(seen.shown);
    QVERIFY2(seen.text.contains(path("folder.cpp")), qPrintable(seen.text));
    QCOMPARE(editor(), loaded);
    checkFolderIntact(path("folder.cpp"));

    selectFile("main.cpp", false);
    QVERIFY(pressReplace().text.startsWith(QStringLiteral("已经替换 main.cpp")));
}

void TestFaultInjection::failedReplaceShowsItsMessageAndTheNextOneWorks()
{
    writeBytes(file(), Source);
    writeBytes(backup(), OldBackup);
    openWindow();
    selectFile("main.cpp", true);
    auto *text1 = m_form->findChild<EditBox *>("Text1");
    QTRY_VERIFY(text1->hasFocus());
    QTest::keyClicks(text1, "bye");
    QTest::keyClick(text1, Qt::Key_Return); // stored in row 0
    QCOMPARE(editor().list2.first(), QStringLiteral("bye"));

    FaultInjection::Arm(Point::MoveIntoPlace);
    const ModalSeen failure = pressReplace();
    QVERIFY(failure.shown);
    QCOMPARE(failure.title, QStringLiteral("替换文件"));
    QCOMPARE(failure.icon, QMessageBox::Warning);
    QVERIFY2(failure.text.contains(file()) && failure.text.contains(QStringLiteral("文件没有被修改")),
             qPrintable(failure.text));
    QCOMPARE(readBytes(file()), Source);
    QCOMPARE(readBytes(backup()), OldBackup);
    QCOMPARE(entriesOf(m_dir->path()), QStringList({"main.cpp", "main.cpp.backup"}));

    FaultInjection::DisarmAll();
    const ModalSeen confirmation = pressReplace();
    QCOMPARE(confirmation.text, QStringLiteral("已经替换 main.cpp 。\r\n原始文件已经事先备份。"));
    QCOMPARE(confirmation.icon, QMessageBox::Information);
    QCOMPARE(readBytes(file()), QByteArray("a(\"bye\"); b(\"world\"); c(\"hello\");\n"));
    QCOMPARE(readBytes(backup()), Source);
    QCOMPARE(entriesOf(m_dir->path()), QStringList({"main.cpp", "main.cpp.backup"}));
}

QTEST_MAIN(TestFaultInjection)
#include "test_fault_injection.moc"
