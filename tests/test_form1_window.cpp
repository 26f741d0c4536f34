// The main window through its real widgets: start-up order, layout,
// the browser cascade on a temporary folder tree, loads, a failed load, the
// replace, open with the associated program, keep on top and the folder picker.

#include "engine/ReplaceAndSave.h"
#include "ui/BrowserLists.h"
#include "ui/EditBox.h"
#include "ui/Form1.h"
#include "ui/Form2.h"
#include "ui/ListBox.h"
#include "ui/ListBoxWiden.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWindow>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return file.readAll();
}

QStringList rowsOf(const QListWidget *list)
{
    QStringList rows;
    for (int i = 0; i < list->count(); ++i)
        rows << list->item(i)->text();
    return rows;
}

// What a modal message box showed.
struct Shown
{
    bool seen = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool busyCursor = false;
};

// Calls handle with the next modal window as soon as one is active.
void whenModal(std::function<void(QWidget *)> handle)
{
    auto *poll = new QTimer;
    poll->setInterval(10);
    auto *clock = new QElapsedTimer;
    clock->start();
    QObject::connect(poll, &QTimer::timeout, [poll, clock, handle] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            poll->stop();
            handle(modal);
        } else if (clock->elapsed() > 10000) {
            poll->stop(); // the test then fails on what it expected to see
        } else {
            return;
        }
        poll->deleteLater();
        delete clock;
    });
    poll->start();
}

// Reads the next message box and presses its OK button.
void readNextMessageBox(Shown *shown)
{
    whenModal([shown](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (!box)
            return;
        shown->seen = true;
        shown->title = box->windowTitle();
        shown->text = box->text();
        shown->icon = box->icon();
        shown->busyCursor = QApplication::overrideCursor() != nullptr;
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    });
}

} // namespace

// Receives the URLs the desktop would open.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

class TestForm1Window : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void startUpOrder();
    void windowLayout_data();
    void windowLayout();
    void labelsAndTexts();
    void tabOrder();
    void browserStartsAtCurrentFolder();
    void browserCascade();
    void unreadableFolderLeavesBrowser();
    void driveChangeGoesToRoot();
    void loadByDoubleClick();
    void secondLoadReplacesEverything();
    void failedLoadLeavesEverything();
    void fileWithoutLiterals();
    void rowLimit();
    void replaceThroughTheButton();
    void replaceRefusalIsShown();
    void openWithAssociatedProgram();
    void keepOnTop();
    void folderPickerCancelled();
    void folderPickerAccepted();

private:
    template <typename T> T *control(const char *name) const
    {
        T *found = m_form->findChild<T *>(QString::fromLatin1(name));
        if (!found)
            qWarning("no control %s", name);
        return found;
    }
    void doubleClickItem(QListWidget *list, const QString &text);
    void clickItem(QListWidget *list, const QString &text);
    void backToRoot();
    void activate()
    {
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    }
    QString path(const QString &name) const { return m_root.path() + QLatin1Char('/') + name; }

    QTemporaryDir m_root;
    QTemporaryDir m_other;
    std::unique_ptr<Form1> m_form;
    bool m_noticeWasModal = false;
    bool m_form1HiddenDuringNotice = false;
    bool m_noticeHadNoOwner = false;
    qint64 m_noticeMs = 0;
    QString m_longLiteral;
    QList<bool> m_busyWhileFilling;
};

void TestForm1Window::initTestCase()
{
    QVERIFY(m_root.isValid() && m_other.isValid());
    m_longLiteral = QStringLiteral("一段很长的字符串 ") + QString(150, QLatin1Char('L'));
    writeFile(path(QStringLiteral("a.cpp")),
              (QStringLiteral("#include <cstdio>\nint main()\n{\n    puts(\"你好，世界\");\n"
                              "    puts(\"second literal\");\n    const char *x = \"")
               + m_longLiteral + QStringLiteral("\";\n    return 0;\n}\n")).toUtf8());
    writeFile(path(QStringLiteral("B.CPP")), "const char *s = \"upper\";\n");
    writeFile(path(QStringLiteral("c.Cpp")), "f(\"short one\", \"two\");\n");
    writeFile(path(QStringLiteral("zeta.cpp")), "int zeta() { return 'z'; }\n");
    writeFile(path(QStringLiteral(".hidden.cpp")), "\"hidden\"\n");
    writeFile(path(QStringLiteral("header.h")), "\"header\"\n");
    writeFile(path(QStringLiteral("notes.txt")), "notes\n");
    writeFile(path(QStringLiteral("x.cpp.txt")), "x\n");
    QVERIFY(QDir(m_root.path()).mkpath(QStringLiteral("sub")));
    QVERIFY(QDir(m_root.path()).mkpath(QStringLiteral("sub2")));
    QVERIFY(QDir(m_root.path()).mkpath(QStringLiteral("folder.cpp")));
    QVERIFY(QDir(m_root.path()).mkpath(QStringLiteral(".hiddendir")));
    QVERIFY(QDir(m_root.path()).mkpath(QStringLiteral("gone")));
    writeFile(path(QStringLiteral("sub/inner.cpp")), "\"inner\"\n");
    writeFile(m_other.path() + QStringLiteral("/y.cpp"), "\"y\"\n");

    // The program starts in the process's current folder.
    QVERIFY(QDir::setCurrent(m_root.path()));

    // Start-up: the notice comes first, modal and without owner; Form1 is not
    // yet visible. Left alone, it closes itself after three ticks.
    QElapsedTimer clock;
    whenModal([this, &clock](QWidget *modal) {
        m_noticeWasModal = qobject_cast<Form2 *>(modal) != nullptr && modal->isVisible();
        m_noticeHadNoOwner = modal->parentWidget() == nullptr;
        m_form1HiddenDuringNotice = m_form && !m_form->isVisible();
        clock.start();
    });
    m_form = std::make_unique<Form1>();
    QVERIFY(!m_form->isVisible());
    m_form->show(); // runs Load: returns once the notice has closed
    m_noticeMs = clock.isValid() ? clock.elapsed() : -1;
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
}

void TestForm1Window::cleanupTestCase()
{
    m_form.reset();
    QDir::setCurrent(QDir::tempPath());
}

void TestForm1Window::startUpOrder()
{
    QVERIFY(m_noticeWasModal);
    QVERIFY(m_noticeHadNoOwner);
    QVERIFY(m_form1HiddenDuringNotice);
    QVERIFY2(m_noticeMs >= 2800 && m_noticeMs < 4500, qPrintable(QString::number(m_noticeMs)));
    QVERIFY(m_form->isVisible());
    QVERIFY(m_form->findChildren<Form2 *>().isEmpty());
    QCOMPARE(QApplication::focusWidget(), control<QPushButton>("Command1"));
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Zelvane"));
    QVERIFY(!m_form->windowIcon().isNull());
}

void TestForm1Window::windowLayout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<qreal>("points");
    const auto row = [](const char *name, const char *container, QRect geometry, qreal points) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(container) << geometry << points;
    };
    row("Frame1", "Form1", QRect(8, 4, 241, 581), 9);
    row("Command1", "Frame1", QRect(152, 24, 77, 25), 9);
    row("Dir1", "Frame1", QRect(8, 56, 221, 196), 9);
    row("File1", "Frame1", QRect(8, 260, 221, 308), 9);
    row("Drive1", "Frame1", QRect(8, 24, 137, 25), 9);
    row("Frame2", "Form1", QRect(256, 4, 633, 545), 9);
    row("Text1", "Frame2", QRect(8, 20, 549, 26), 10.5);
    row("Command2", "Frame2", QRect(560, 20, 65, 25), 9);
    row("List1", "Frame2", QRect(12, 76, 301, 464), 10.5);
    row("List2", "Frame2", QRect(324, 72, 301, 464), 10.5);
    row("Command3", "Form1", QRect(808, 556, 77, 29), 9);
    row("Command4", "Form1", QRect(724, 556, 77, 29), 9);
    row("Check1", "Form1", QRect(604, 560, 101, 20), 10.5);
    // Labels size themselves to their text: only the position is fixed.
    row("Label1", "Frame2", QRect(12, 52, 0, 0), 9);
    row("Label2", "Frame2", QRect(324, 52, 0, 0), 9);
    row("Label3", "Form1", QRect(260, 560, 0, 0), 9);
}

void TestForm1Window::windowLayout()
{
    QFETCH(QString, name);
    QFETCH(QString, container);
    QFETCH(QRect, geometry);
    QFETCH(qreal, points);

    QCOMPARE(m_form->size(), QSize(897, 593));
    QCOMPARE(m_form->minimumSize(), QSize(897, 593));
    QCOMPARE(m_form->maximumSize(), QSize(897, 593));
    QVERIFY(!(m_form->windowFlags() & Qt::WindowMaximizeButtonHint));

    QWidget *widget = m_form->findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(widget->parentWidget()->objectName(), container);
    if (geometry.size().isEmpty()) {
        QCOMPARE(widget->pos(), geometry.topLeft());
        QCOMPARE(widget->size(), widget->sizeHint());
    } else {
        QCOMPARE(widget->geometry(), geometry);
    }
    QCOMPARE(widget->font().family(), QStringLiteral("微软雅黑"));
    QCOMPARE(widget->font().pointSizeF(), points);
    QCOMPARE(widget->font().weight(), QFont::Normal);
}

void TestForm1Window::labelsAndTexts()
{
    QCOMPARE(m_form->font().family(), QStringLiteral("微软雅黑"));
    QCOMPARE(m_form->font().pointSizeF(), 10.5);
    QCOMPARE(control<QGroupBox>("Frame1")->title(), QStringLiteral("资源"));
    QCOMPARE(control<QGroupBox>("Frame2")->title(), QStringLiteral("字符串修改"));
    QCOMPARE(control<QPushButton>("Command1")->text(), QStringLiteral("选择文件夹"));
    QCOMPARE(control<QPushButton>("Command2")->text(), QStringLiteral("更改"));
    QCOMPARE(control<QPushButton>("Command3")->text(), QStringLiteral("替换文件(&R)"));
    QCOMPARE(control<QPushButton>("Command4")->text(), QStringLiteral("打开文件(&O)"));
    QCOMPARE(control<QLabel>("Label1")->text(), QStringLiteral("原始字符串列表："));
    QCOMPARE(control<QLabel>("Label2")->text(), QStringLiteral("更改字符串列表："));
    QCOMPARE(control<QLabel>("Label3")->text(), QStringLiteral("制作：Zelvane 开发组    版本：0.1测试版"));
    QCOMPARE(control<QCheckBox>("Check1")->text(), QStringLiteral("置顶窗口"));
    QCOMPARE(control<QCheckBox>("Check1")->checkState(), Qt::Unchecked);
    QCOMPARE(control<EditBox>("Text1")->text(), QString());
    QCOMPARE(control<ListBox>("List1")->count(), 0);
    QCOMPARE(control<ListBox>("List2")->count(), 0);
    QCOMPARE(control<FileList>("File1")->pattern(), QStringLiteral("*.cpp"));
    // Labels are as wide as their text; in the substitute font the two list
    // captions measure as in the table (eight characters of 12 px).
    qInfo() << "label sizes" << control<QLabel>("Label1")->size() << control<QLabel>("Label2")->size()
            << control<QLabel>("Label3")->size();
}

void TestForm1Window::tabOrder()
{
    const QStringList expected = {"Command1", "Dir1", "File1", "Drive1", "Text1", "Command2",
                                  "List1", "List2", "Command3", "Command4", "Check1"};
    QStringList order;
    QWidget *start = control<QPushButton>("Command1");
    QWidget *widget = start;
    do {
        if ((widget->focusPolicy() & Qt::TabFocus) && widget->isVisibleTo(m_form.get())
            && expected.contains(widget->objectName()))
            order << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget != start && order.size() < 50);
    QCOMPARE(order, expected);
    for (const char *name : {"Frame1", "Frame2", "Label1", "Label2", "Label3"})
        QCOMPARE(m_form->findChild<QWidget *>(QString::fromLatin1(name))->focusPolicy(), Qt::NoFocus);
}

void TestForm1Window::doubleClickItem(QListWidget *list, const QString &text)
{
    const QList<QListWidgetItem *> items = list->findItems(text, Qt::MatchExactly);
    QVERIFY2(items.size() == 1, qPrintable(text));
    list->scrollToItem(items.first());
    const QPoint at = list->visualItemRect(items.first()).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

void TestForm1Window::clickItem(QListWidget *list, const QString &text)
{
    const QList<QListWidgetItem *> items = list->findItems(text, Qt::MatchExactly);
    QVERIFY2(items.size() == 1, qPrintable(text));
    list->scrollToItem(items.first());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualItemRect(items.first()).center());
}

void TestForm1Window::backToRoot()
{
    control<FolderList>("Dir1")->setFolder(m_root.path());
    QCOMPARE(control<FileList>("File1")->folder(), QDir::cleanPath(m_root.path()));
}

void TestForm1Window::browserStartsAtCurrentFolder()
{
    auto *dir1 = control<FolderList>("Dir1");
    auto *file1 = control<FileList>("File1");
    auto *drive1 = control<DriveList>("Drive1");
    const QString root = QDir::cleanPath(m_root.path());
    QCOMPARE(dir1->folder(), root);
    QCOMPARE(file1->folder(), root);
    QVERIFY(root.startsWith(drive1->drive()));
    // *.cpp in any case, no hidden file, no folder, sorted by name.
    QCOMPARE(rowsOf(file1), QStringList({"a.cpp", "B.CPP", "c.Cpp", "zeta.cpp"}));
    QCOMPARE(file1->fileName(), QString()); // nothing selected yet
}

void TestForm1Window::browserCascade()
{
    auto *dir1 = control<FolderList>("Dir1");
    auto *file1 = control<FileList>("File1");
    const QString root = QDir::cleanPath(m_root.path());

    // The chain from "/" down to the folder, then its subfolders (no hidden one).
    QStringList chain = root.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    chain.prepend(QStringLiteral("/"));
    QCOMPARE(rowsOf(dir1), chain + QStringList({"folder.cpp", "gone", "sub", "sub2"}));
    QCOMPARE(dir1->currentRow(), chain.size() - 1); // the current folder is highlighted

    QSignalSpy changed(dir1, &FolderList::changed);
    doubleClickItem(dir1, QStringLiteral("sub"));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(dir1->folder(), root + QStringLiteral("/sub"));
    QCOMPARE(file1->folder(), root + QStringLiteral("/sub"));
    QCOMPARE(rowsOf(file1), QStringList({"inner.cpp"}));
    QCOMPARE(rowsOf(dir1), chain + QStringList({"sub"}));

    // Enter on a folder of the chain opens it.
    dir1->setFocus();
    dir1->setCurrentRow(chain.size() - 1);
    QTest::keyClick(dir1, Qt::Key_Return);
    QCOMPARE(dir1->folder(), root);
    QCOMPARE(rowsOf(file1), QStringList({"a.cpp", "B.CPP", "c.Cpp", "zeta.cpp"}));

    // A single click only selects.
    clickItem(dir1, QStringLiteral("sub2"));
    QCOMPARE(dir1->folder(), root);
    QTest::keyClick(dir1, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(dir1->folder(), root + QStringLiteral("/sub2"));
    QCOMPARE(file1->count(), 0);
    QCOMPARE(changed.count(), 3);

    // Setting the folder from code raises Change too.
    QVERIFY(dir1->setFolder(root));
    QCOMPARE(changed.count(), 4);
    QCOMPARE(file1->folder(), root);
}

void TestForm1Window::unreadableFolderLeavesBrowser()
{
    auto *dir1 = control<FolderList>("Dir1");
    auto *file1 = control<FileList>("File1");
    const QString root = QDir::cleanPath(m_root.path());
    QCOMPARE(dir1->folder(), root);
    // The folder disappears after the list was filled: opening it changes nothing.
    QVERIFY(QDir(root).rmdir(QStringLiteral("gone")));
    QSignalSpy changed(dir1, &FolderList::changed);
    doubleClickItem(dir1, QStringLiteral("gone"));
    QCOMPARE(dir1->folder(), root);
    QCOMPARE(file1->folder(), root);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(file1->count(), 4);
    // An empty path, as from a cancelled picker, too.
    QVERIFY(!dir1->setFolder(QString()));
    QCOMPARE(dir1->folder(), root);
    QVERIFY(!file1->setFolder(root + QStringLiteral("/gone")));
    QCOMPARE(file1->count(), 4);
    backToRoot();
}

void TestForm1Window::driveChangeGoesToRoot()
{
    auto *drive1 = control<DriveList>("Drive1");
    auto *dir1 = control<FolderList>("Dir1");
    auto *file1 = control<FileList>("File1");
    QVERIFY(drive1->count() >= 1);
    QVERIFY(DriveList::VolumeRoots().contains(QStringLiteral("/")));
    // No pseudo file systems.
    for (const QString &root : DriveList::VolumeRoots()) {
        QVERIFY(!root.startsWith(QLatin1String("/proc")));
        QVERIFY(!root.startsWith(QLatin1String("/sys")));
        QVERIFY(!root.startsWith(QLatin1String("/dev")));
        QVERIFY(!root.startsWith(QLatin1String("/run/user")));
    }
    // Raising Change (as a selection by the user does) sets Dir1 to the volume's root.
    emit drive1->changed();
    QCOMPARE(dir1->folder(), drive1->drive());
    QCOMPARE(file1->folder(), drive1->drive());
    backToRoot();
}

void TestForm1Window::loadByDoubleClick()
{
    auto *list1 = control<ListBox>("List1");
    auto *list2 = control<ListBox>("List2");
    auto *text1 = control<EditBox>("Text1");
    auto *file1 = control<FileList>("File1");

    m_busyWhileFilling.clear();
    const auto connection = connect(list1->model(), &QAbstractItemModel::rowsInserted, this, [this] {
        m_busyWhileFilling << (QApplication::overrideCursor()
                               && QApplication::overrideCursor()->shape() == Qt::WaitCursor);
    });
    doubleClickItem(file1, QStringLiteral("a.cpp"));
    disconnect(connection);

    const QStringList expected = {QStringLiteral("你好，世界"), QStringLiteral("second literal"), m_longLiteral};
    QCOMPARE(rowsOf(list1), expected);
    QCOMPARE(rowsOf(list2), expected);
    QCOMPARE(list1->currentRow(), 0);
    QCOMPARE(list2->currentRow(), 0);
    QVERIFY(!m_busyWhileFilling.isEmpty() && !m_busyWhileFilling.contains(false));
    QCOMPARE(QApplication::overrideCursor(), nullptr);

    // List2's Click put row 0 into Text1, all of it selected, with the focus.
    QCOMPARE(text1->text(), expected.first());
    QCOMPARE(text1->selectedText(), expected.first());
    QTRY_VERIFY(text1->hasFocus());

    QCOMPARE(m_form->sourceText(), QString::fromUtf8(readFile(path(QStringLiteral("a.cpp")))));
    QCOMPARE(m_form->loadedFilePath(), QDir::cleanPath(m_root.path()) + QStringLiteral("/a.cpp"));
    QCOMPARE(m_form->foundRows(), expected);
    QCOMPARE(m_form->replacementRows(), expected);

    // Both lists were widened alike, measured in Form1's font.
    const float space = float(QFontMetricsF(m_form->font()).horizontalAdvance(QChar(u' ')));
    const int extent = HorizontalExtentFor(WidthCount(expected), space, 301.0f).value();
    QCOMPARE(list1->horizontalExtent(), extent);
    QCOMPARE(list2->horizontalExtent(), extent);
}

void TestForm1Window::secondLoadReplacesEverything()
{
    auto *list1 = control<ListBox>("List1");
    auto *list2 = control<ListBox>("List2");
    auto *text1 = control<EditBox>("Text1");
    list2->item(1)->setText(QStringLiteral("typed but not written"));

    doubleClickItem(control<FileList>("File1"), QStringLiteral("c.Cpp"));
    const QStringList expected = {QStringLiteral("short one"), QStringLiteral("two")};
    QCOMPARE(rowsOf(list1), expected);
    QCOMPARE(rowsOf(list2), expected);
    QCOMPARE(list1->currentRow(), 0);
    QCOMPARE(list2->currentRow(), 0);
    QCOMPARE(text1->text(), QStringLiteral("short one"));
    QCOMPARE(text1->selectedText(), QStringLiteral("short one"));
    QTRY_VERIFY(text1->hasFocus());
    QCOMPARE(m_form->sourceText(), QStringLiteral("f(\"short one\", \"two\");\n"));
    // Clearing the rows dropped the long file's extent; these rows fit.
    QCOMPARE(list1->horizontalExtent(), 0);
    QCOMPARE(list2->horizontalExtent(), 0);
}

void TestForm1Window::failedLoadLeavesEverything()
{
    auto *list1 = control<ListBox>("List1");
    auto *list2 = control<ListBox>("List2");
    auto *text1 = control<EditBox>("Text1");
    text1->setText(QStringLiteral("edited"));
    const QStringList rows1 = rowsOf(list1);
    const QStringList rows2 = rowsOf(list2);
    const QString source = m_form->sourceText();
    const QString loaded = m_form->loadedFilePath();

    // Deleted after the list was filled.
    QVERIFY(QFile::remove(path(QStringLiteral("B.CPP"))));
    Shown shown;
    readNextMessageBox(&shown);
    doubleClickItem(control<FileList>("File1"), QStringLiteral("B.CPP"));
    QTRY_VERIFY(shown.seen);
    QCOMPARE(shown.title, QStringLiteral("打开文件"));
    QCOMPARE(shown.icon, QMessageBox::Warning);
    QVERIFY2(shown.text.contains(QStringLiteral("B.CPP")), qPrintable(shown.text));
    QVERIFY(!shown.busyCursor);
    QCOMPARE(QApplication::overrideCursor(), nullptr);

    QCOMPARE(rowsOf(list1), rows1);
    QCOMPARE(rowsOf(list2), rows2);
    QCOMPARE(list1->currentRow(), 0);
    QCOMPARE(text1->text(), QStringLiteral("edited"));
    QCOMPARE(m_form->sourceText(), source);
    QCOMPARE(m_form->loadedFilePath(), loaded);
    QVERIFY(m_form->isVisible()); // the program goes on
}

void TestForm1Window::fileWithoutLiterals()
{
    doubleClickItem(control<FileList>("File1"), QStringLiteral("zeta.cpp"));
    QCOMPARE(control<ListBox>("List1")->count(), 0);
    QCOMPARE(control<ListBox>("List2")->count(), 0);
    QCOMPARE(control<ListBox>("List1")->currentRow(), -1);
    QCOMPARE(control<ListBox>("List2")->currentRow(), -1);
    QCOMPARE(control<EditBox>("Text1")->text(), QString());
    QCOMPARE(m_form->sourceText(), QStringLiteral("int zeta() { return 'z'; }\n"));
}

void TestForm1Window::rowLimit()
{
    // The lists have no 16-bit limit: a file with more than 32767 literals loads them all.
    QTemporaryDir many;
    QVERIFY(many.isValid());
    QByteArray source;
    for (int i = 0; i < 40000; ++i)
        source += "\"r" + QByteArray::number(i) + "\"\n";
    writeFile(many.path() + QStringLiteral("/many.cpp"), source);
    QVERIFY(control<FolderList>("Dir1")->setFolder(many.path()));
    auto *list1 = control<ListBox>("List1");
    auto *list2 = control<ListBox>("List2");

    doubleClickItem(control<FileList>("File1"), QStringLiteral("many.cpp"));
    QCOMPARE(list1->count(), 40000);
    QCOMPARE(list2->count(), 40000);
    QCOMPARE(list2->item(39999)->text(), QStringLiteral("r39999"));
    QCOMPARE(list2->currentRow(), 0);
    QCOMPARE(m_form->sourceText(), QString::fromLatin1(source));
    backToRoot();
}

void TestForm1Window::replaceThroughTheButton()
{
    const QString file = path(QStringLiteral("a.cpp"));
    const QByteArray original = readFile(file);
    doubleClickItem(control<FileList>("File1"), QStringLiteral("a.cpp"));
    QCOMPARE(control<ListBox>("List2")->count(), 3);
    control<ListBox>("List2")->item(1)->setText(QStringLiteral("第二个字符串"));

    Shown shown;
    readNextMessageBox(&shown);
    QTest::mouseClick(control<QPushButton>("Command3"), Qt::LeftButton);
    QTRY_VERIFY(shown.seen);
    QCOMPARE(shown.title, QStringLiteral("替换文件"));
    QCOMPARE(shown.text, QStringLiteral("已经替换 a.cpp 。\r\n原始文件已经事先备份。"));
    QCOMPARE(shown.icon, QMessageBox::Information);
    QVERIFY(!shown.busyCursor);
    QCOMPARE(QApplication::overrideCursor(), nullptr);

    QByteArray expected = original;
    expected.replace("second literal", QStringLiteral("第二个字符串").toUtf8());
    QCOMPARE(readFile(file), expected);
    QCOMPARE(readFile(file + QStringLiteral(".backup")), original);
    QCOMPARE(m_form->sourceText(), QString::fromUtf8(expected));
    QVERIFY(!expected.startsWith("\xEF\xBB\xBF"));

    // Alt+R presses the button as well: a second replace keeps one backup, of
    // the version just replaced.
    Shown again;
    readNextMessageBox(&again);
    activate();
    QTest::keyClick(m_form.get(), Qt::Key_R, Qt::AltModifier);
    QTRY_VERIFY(again.seen);
    QCOMPARE(again.title, QStringLiteral("替换文件"));
    QCOMPARE(readFile(file + QStringLiteral(".backup")), expected);
}

void TestForm1Window::replaceRefusalIsShown()
{
    // Another file selected than the one loaded: refused, nothing on disk changes.
    const QByteArray before = readFile(path(QStringLiteral("c.Cpp")));
    clickItem(control<FileList>("File1"), QStringLiteral("c.Cpp"));
    Shown shown;
    readNextMessageBox(&shown);
    QTest::mouseClick(control<QPushButton>("Command3"), Qt::LeftButton);
    QTRY_VERIFY(shown.seen);
    QCOMPARE(shown.title, QStringLiteral("替换文件"));
    QCOMPARE(shown.icon, QMessageBox::Warning);
    QVERIFY2(shown.text.contains(QStringLiteral("c.Cpp")), qPrintable(shown.text));
    QCOMPARE(readFile(path(QStringLiteral("c.Cpp"))), before);
    QVERIFY(!QFile::exists(path(QStringLiteral("c.Cpp.backup"))));
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QVERIFY(m_form->isVisible());
}

void TestForm1Window::openWithAssociatedProgram()
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    auto *file1 = control<FileList>("File1");
    const QString root = QDir::cleanPath(m_root.path());

    clickItem(file1, QStringLiteral("zeta.cpp"));
    QTest::mouseClick(control<QPushButton>("Command4"), Qt::LeftButton);
    QCOMPARE(catcher.urls, QList<QUrl>({QUrl::fromLocalFile(root + QStringLiteral("/zeta.cpp"))}));

    // Alt+O presses it too.
    activate();
    QTest::keyClick(m_form.get(), Qt::Key_O, Qt::AltModifier);
    QTRY_COMPARE(catcher.urls.size(), 2); // an access key clicks the button after a short animation
    QCOMPARE(catcher.urls.last(), catcher.urls.first());

    // No file selected: the folder followed by "/", unchanged.
    file1->clearSelection();
    file1->setCurrentIndex(QModelIndex());
    QCOMPARE(file1->fileName(), QString());
    QTest::mouseClick(control<QPushButton>("Command4"), Qt::LeftButton);
    QCOMPARE(catcher.urls.size(), 3);
    QCOMPARE(catcher.urls.last(), QUrl::fromLocalFile(root + QStringLiteral("/")));
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
}

void TestForm1Window::keepOnTop()
{
    auto *check1 = control<QCheckBox>("Check1");
    QWindow *window = m_form->windowHandle();
    QVERIFY(window);
    const QRect geometry = m_form->geometry();
    const WId id = m_form->winId();
    QVERIFY(!(window->flags() & Qt::WindowStaysOnTopHint));

    QTest::mouseClick(check1, Qt::LeftButton);
    QCOMPARE(check1->checkState(), Qt::Checked);
    QVERIFY(window->flags() & Qt::WindowStaysOnTopHint);
    QVERIFY(m_form->isVisible());
    QCOMPARE(m_form->geometry(), geometry);
    QCOMPARE(m_form->winId(), id);
    QCOMPARE(m_form->windowHandle(), window);

    QTest::mouseClick(check1, Qt::LeftButton);
    QCOMPARE(check1->checkState(), Qt::Unchecked);
    QVERIFY(!(window->flags() & Qt::WindowStaysOnTopHint));
    QVERIFY(m_form->isVisible());
    QCOMPARE(m_form->geometry(), geometry);
    QCOMPARE(m_form->winId(), id);
}

void TestForm1Window::folderPickerCancelled()
{
    auto *dir1 = control<FolderList>("Dir1");
    auto *file1 = control<FileList>("File1");
    const QString folder = dir1->folder();
    const QStringList files = rowsOf(file1);
    QString title;
    whenModal([&title](QWidget *modal) {
        if (auto *dialog = qobject_cast<QFileDialog *>(modal)) {
            title = dialog->windowTitle();
            dialog->reject();
        }
    });
    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
    QCOMPARE(title, QStringLiteral("选择文件夹"));
    QCOMPARE(dir1->folder(), folder);
    QCOMPARE(file1->folder(), folder);
    QCOMPARE(rowsOf(file1), files);
    QVERIFY(m_form->isVisible());
}

void TestForm1Window::folderPickerAccepted()
{
    auto *dir1 = control<FolderList>("Dir1");
    auto *file1 = control<FileList>("File1");
    auto *drive1 = control<DriveList>("Drive1");
    const int drive = drive1->currentIndex();
    const QString chosen = QDir::cleanPath(m_other.path());
    whenModal([&chosen](QWidget *modal) {
        if (auto *dialog = qobject_cast<QFileDialog *>(modal)) {
            dialog->setDirectory(chosen);
            QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        }
    });
    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
    QCOMPARE(dir1->folder(), chosen);
    QCOMPARE(file1->folder(), chosen);
    QCOMPARE(rowsOf(file1), QStringList({"y.cpp"}));
    QCOMPARE(drive1->currentIndex(), drive); // Drive1 is not touched
}

QTEST_MAIN(TestForm1Window)
#include "test_form1_window.moc"
