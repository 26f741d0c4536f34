// The main window through its real widgets: start-up order, layout,
// the browser cascade on a temporary folder tree, loads, a failed load, the
// replace, open with the associated program, keep on top and the folder picker.

#include "support/MainWindowFixture.h"
#include "support/TestFiles.h"

#include "ui/Form2.h"
#include "ui/ListBoxWiden.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QWindow>

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

    QTemporaryDir m_root;
    QTemporaryDir m_other;
    MainWindowFixture m_window;
    Form1 *m_form = nullptr;
    QString m_longLiteral;
    // Seen during start-up.
    bool m_noticeWasModal = false, m_noticeHadNoOwner = false, m_form1HiddenDuringNotice = false;
    int m_noticeCountdownAtClose = -1;

    template <typename T> T *control(const char *name) const { return m_window.control<T>(name); }
    QString path(const QString &name) const { return m_root.path() + QLatin1Char('/') + name; }
    QString root() const { return QDir::cleanPath(m_root.path()); }
    static QStringList rowsOf(const QListWidget *list) { return MainWindowFixture::rowsOf(list); }
    void backToRoot()
    {
        control<FolderList>("Dir1")->setFolder(m_root.path());
        QCOMPARE(control<FileList>("File1")->folder(), root());
    }
    // The chain of folders from "/" down to the root folder, as Dir1 lists it.
    QStringList chainToRoot() const { return QStringList{"/"} + root().split(QLatin1Char('/'), Qt::SkipEmptyParts); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_root.isValid() && m_other.isValid());
        m_longLiteral = QStringLiteral("一段很长的字符串 ") + QString(150, QLatin1Char('L'));
        writeBytes(path("a.cpp"), (QStringLiteral("#include <cstdio>\nint main()\n{\n    puts(\"你好，世界\");\n"
                                                  "    puts(\"second literal\");\n    const char *x = \"")
                                   + m_longLiteral + QStringLiteral("\";\n    return 0;\n}\n")).toUtf8());
        writeBytes(path("B.CPP"), "const char *s = \"upper\";\n");
        writeBytes(path("c.Cpp"), "f(\"short one\", \"two\");\n");
        writeBytes(path("zeta.cpp"), "int zeta() { return 'z'; }\n");
        for (const char *name : {".hidden.cpp", "header.h", "notes.txt", "x.cpp.txt", "sub/inner.cpp"}) {
            QVERIFY(QDir(m_root.path()).mkpath(QFileInfo(path(name)).path()));
            writeBytes(path(name), "\"other\"\n");
        }
        for (const char *name : {"sub2", "folder.cpp", ".hiddendir", "gone"})
            QVERIFY(QDir(m_root.path()).mkpath(name));
        writeBytes(m_other.path() + QStringLiteral("/y.cpp"), "\"y\"\n");

        // Start-up: the notice comes first, modal and without owner; Form1 is not
        // yet visible. Left alone, it closes itself after three ticks.
        m_window.open(m_root.path(), [this](QWidget *modal) {
            m_noticeWasModal = qobject_cast<Form2 *>(modal) != nullptr && modal->isVisible();
            m_noticeHadNoOwner = modal->parentWidget() == nullptr;
            m_form1HiddenDuringNotice = m_window.form && !m_window.form->isVisible();
            auto *notice = qobject_cast<Form2 *>(modal);
            connect(notice, &QDialog::finished, this,
                    [this, notice] { m_noticeCountdownAtClose = notice->countdown(); });
        });
        m_form = m_window.form;
    }

    void startUpOrder()
    {
        QVERIFY(m_noticeWasModal);
        QVERIFY(m_noticeHadNoOwner);
        QVERIFY(m_form1HiddenDuringNotice);
        QCOMPARE(m_noticeCountdownAtClose, 0); // closed by its own third tick
        QVERIFY(m_form->isVisible());
        QVERIFY(m_form->findChildren<Form2 *>().isEmpty());
        QCOMPARE(QApplication::focusWidget(), control<QPushButton>("Command1"));
        QCOMPARE(m_form->windowTitle(), QStringLiteral("Zelvane"));
        QVERIFY(!m_form->windowIcon().isNull());
    }

    void windowLayout_data()
    {
        QTest::addColumn<QString>("container");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<qreal>("points");
        QTest::addColumn<QString>("text"); // a frame's title, or the text shown
        const auto row = [](const char *name, const char *container, QRect geometry, qreal points, const QString &text) {
            QTest::newRow(name) << QString::fromLatin1(container) << geometry << points << text;
        };
        row("Frame1", "Form1", QRect(8, 4, 241, 581), 9, QStringLiteral("资源"));
        row("Command1", "Frame1", QRect(152, 24, 77, 25), 9, QStringLiteral("选择文件夹"));
        row("Dir1", "Frame1", QRect(8, 56, 221, 196), 9, QString());
        row("File1", "Frame1", QRect(8, 260, 221, 308), 9, QString());
        row("Drive1", "Frame1", QRect(8, 24, 137, 25), 9, QString());
        row("Frame2", "Form1", QRect(256, 4, 633, 545), 9, QStringLiteral("字符串修改"));
        row("Text1", "Frame2", QRect(8, 20, 549, 26), 10.5, QString());
        row("Command2", "Frame2", QRect(560, 20, 65, 25), 9, QStringLiteral("更改"));
        row("List1", "Frame2", QRect(12, 76, 301, 464), 10.5, QString());
        row("List2", "Frame2", QRect(324, 72, 301, 464), 10.5, QString());
        row("Command3", "Form1", QRect(808, 556, 77, 29), 9, QStringLiteral("替换文件(&R)"));
        row("Command4", "Form1", QRect(724, 556, 77, 29), 9, QStringLiteral("打开文件(&O)"));
        row("Check1", "Form1", QRect(604, 560, 101, 20), 10.5, QStringLiteral("置顶窗口"));
        // Labels size themselves to their text: only the position is fixed.
        row("Label1", "Frame2", QRect(12, 52, 0, 0), 9, QStringLiteral("原始字符串列表："));
        row("Label2", "Frame2", QRect(324, 52, 0, 0), 9, QStringLiteral("更改字符串列表："));
        row("Label3", "Form1", QRect(260, 560, 0, 0), 9, QStringLiteral("制作：Zelvane 开发组    版本：0.1测试版"));
    }

    void windowLayout()
    {
        QFETCH(QString, container);
        QFETCH(QRect, geometry);
        QFETCH(qreal, points);
        QFETCH(QString, text);
        QWidget *widget = m_form->findChild<QWidget *>(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(widget);
        QCOMPARE(widget->parentWidget()->objectName(), container);
        QCOMPARE(widget->pos(), geometry.topLeft());
        QCOMPARE(widget->size(), geometry.size().isEmpty() ? widget->sizeHint() : geometry.size());
        QCOMPARE(widget->font().family(), QStringLiteral("微软雅黑"));
        QCOMPARE(widget->font().pointSizeF(), points);
        QCOMPARE(widget->font().weight(), QFont::Normal);
        if (!text.isEmpty())
            QCOMPARE(widget->property(widget->inherits("QGroupBox") ? "title" : "text").toString(), text);
    }

    void fixedSizeAndEmptyStart()
    {
        QCOMPARE(m_form->size(), QSize(897, 593));
        QCOMPARE(m_form->minimumSize(), QSize(897, 593));
        QCOMPARE(m_form->maximumSize(), QSize(897, 593));
        QVERIFY(!(m_form->windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(m_form->font().family(), QStringLiteral("微软雅黑"));
        QCOMPARE(m_form->font().pointSizeF(), 10.5);
        QCOMPARE(control<QCheckBox>("Check1")->checkState(), Qt::Unchecked);
        QCOMPARE(control<EditBox>("Text1")->text(), QString());
        QCOMPARE(control<ListBox>("List1")->count(), 0);
        QCOMPARE(control<ListBox>("List2")->count(), 0);
        QCOMPARE(control<FileList>("File1")->pattern(), QStringLiteral("*.cpp"));
    }

    void tabOrder()
    {
        const QStringList expected = {"Command1", "Dir1", "File1", "Drive1", "Text1", "Command2",
                                      "List1", "List2", "Command3", "Command4", "Check1"};
        QStringList order;
        QWidget *start = control<QPushButton>("Command1");
        QWidget *widget = start;
        do {
            if ((widget->focusPolicy() & Qt::TabFocus) && widget->isVisibleTo(m_form)
                && expected.contains(widget->objectName()))
                order << widget->objectName();
            widget = widget->nextInFocusChain();
        } while (widget != start && order.size() < 50);
        QCOMPARE(order, expected);
        for (const char *name : {"Frame1", "Frame2", "Label1", "Label2", "Label3"})
            QCOMPARE(m_form->findChild<QWidget *>(QString::fromLatin1(name))->focusPolicy(), Qt::NoFocus);
    }

    void browserStartsAtCurrentFolder()
    {
        auto *file1 = control<FileList>("File1");
        QCOMPARE(control<FolderList>("Dir1")->folder(), root());
        QCOMPARE(file1->folder(), root());
        QVERIFY(root().startsWith(control<DriveList>("Drive1")->drive()));
        // *.cpp in any case, no hidden file, no folder, sorted by name.
        QCOMPARE(rowsOf(file1), QStringList({"a.cpp", "B.CPP", "c.Cpp", "zeta.cpp"}));
        QCOMPARE(file1->fileName(), QString()); // nothing selected yet
    }

    void browserCascade()
    {
        auto *dir1 = control<FolderList>("Dir1");
        auto *file1 = control<FileList>("File1");
        // The chain from "/" down to the folder, then its subfolders (no hidden one).
        const QStringList chain = chainToRoot();
        QCOMPARE(rowsOf(dir1), chain + QStringList({"folder.cpp", "gone", "sub", "sub2"}));
        QCOMPARE(dir1->currentRow(), chain.size() - 1); // the current folder is highlighted

        QSignalSpy changed(dir1, &FolderList::changed);
        MainWindowFixture::doubleClickItem(dir1, QStringLiteral("sub"));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(dir1->folder(), root() + QStringLiteral("/sub"));
        QCOMPARE(file1->folder(), root() + QStringLiteral("/sub"));
        QCOMPARE(rowsOf(file1), QStringList({"inner.cpp"}));
        QCOMPARE(rowsOf(dir1), chain + QStringList({"sub"}));

        // Enter on a folder of the chain opens it.
        dir1->setFocus();
        dir1->setCurrentRow(chain.size() - 1);
        QTest::keyClick(dir1, Qt::Key_Return);
        QCOMPARE(dir1->folder(), root());
        QCOMPARE(rowsOf(file1), QStringList({"a.cpp", "B.CPP", "c.Cpp", "zeta.cpp"}));

        // A single click only selects.
        MainWindowFixture::clickItem(dir1, QStringLiteral("sub2"));
        QCOMPARE(dir1->folder(), root());
        QTest::keyClick(dir1, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(dir1->folder(), root() + QStringLiteral("/sub2"));
        QCOMPARE(file1->count(), 0);
        QCOMPARE(changed.count(), 3);

        // Setting the folder from code raises Change too.
        QVERIFY(dir1->setFolder(root()));
        QCOMPARE(changed.count(), 4);
        QCOMPARE(file1->folder(), root());
    }

    void unreadableFolderLeavesBrowser()
    {
        auto *dir1 = control<FolderList>("Dir1");
        auto *file1 = control<FileList>("File1");
        QCOMPARE(dir1->folder(), root());
        // The folder disappears after the list was filled: opening it changes nothing.
        QVERIFY(QDir(root()).rmdir(QStringLiteral("gone")));
        QSignalSpy changed(dir1, &FolderList::changed);
        MainWindowFixture::doubleClickItem(dir1, QStringLiteral("gone"));
        QCOMPARE(dir1->folder(), root());
        QCOMPARE(file1->folder(), root());
        QCOMPARE(changed.count(), 0);
        QCOMPARE(file1->count(), 4);
        // An empty path, as from a cancelled picker, too.
        QVERIFY(!dir1->setFolder(QString()));
        QCOMPARE(dir1->folder(), root());
        QVERIFY(!file1->setFolder(root() + QStringLiteral("/gone")));
        QCOMPARE(file1->count(), 4);
        backToRoot();
    }

    void driveChangeGoesToRoot()
    {
        auto *drive1 = control<DriveList>("Drive1");
        QVERIFY(drive1->count() >= 1);
        QVERIFY(DriveList::VolumeRoots().contains(QStringLiteral("/")));
        for (const QString &volume : DriveList::VolumeRoots()) { // no pseudo file systems
            for (const char *pseudo : {"/proc", "/sys", "/dev", "/run/user"})
                QVERIFY2(!volume.startsWith(QLatin1String(pseudo)), qPrintable(volume));
        }
        // Raising Change (as a selection by the user does) sets Dir1 to the volume's root.
        emit drive1->changed();
        QCOMPARE(control<FolderList>("Dir1")->folder(), drive1->drive());
        QCOMPARE(control<FileList>("File1")->folder(), drive1->drive());
        backToRoot();
    }

    void loadByDoubleClick()
    {
        QList<bool> busyWhileFilling;
        const auto connection = connect(m_window.List1->model(), &QAbstractItemModel::rowsInserted, this, [&] {
            busyWhileFilling << (QApplication::overrideCursor()
                                 && QApplication::overrideCursor()->shape() == Qt::WaitCursor);
        });
        m_window.loadFile(QStringLiteral("a.cpp"));
        disconnect(connection);

        const QStringList expected = {QStringLiteral("你好，世界"), QStringLiteral("second literal"), m_longLiteral};
        QCOMPARE(rowsOf(m_window.List1), expected);
        QCOMPARE(rowsOf(m_window.List2), expected);
        QCOMPARE(m_window.List1->currentRow(), 0);
        QCOMPARE(m_window.List2->currentRow(), 0);
        QVERIFY(!busyWhileFilling.isEmpty() && !busyWhileFilling.contains(false));
        QCOMPARE(QApplication::overrideCursor(), nullptr);

        // List2's Click put row 0 into Text1, all of it selected, with the focus.
        QCOMPARE(m_window.Text1->text(), expected.first());
        QCOMPARE(m_window.Text1->selectedText(), expected.first());
        QTRY_VERIFY(m_window.Text1->hasFocus());

        QCOMPARE(m_form->sourceText(), QString::fromUtf8(readBytes(path("a.cpp"))));
        QCOMPARE(m_form->loadedFilePath(), root() + QStringLiteral("/a.cpp"));
        QCOMPARE(m_form->foundRows(), expected);
        QCOMPARE(m_form->replacementRows(), expected);

        // Both lists were widened alike, measured in Form1's font.
        const float space = float(QFontMetricsF(m_form->font()).horizontalAdvance(QChar(u' ')));
        const int extent = HorizontalExtentFor(WidthCount(expected), space, 301.0f).value();
        QCOMPARE(m_window.List1->horizontalExtent(), extent);
        QCOMPARE(m_window.List2->horizontalExtent(), extent);
    }

    void secondLoadReplacesEverything()
    {
        m_window.List2->item(1)->setText(QStringLiteral("typed but not written"));
        m_window.loadFile(QStringLiteral("c.Cpp"));
        const QStringList expected = {QStringLiteral("short one"), QStringLiteral("two")};
        QCOMPARE(rowsOf(m_window.List1), expected);
        QCOMPARE(rowsOf(m_window.List2), expected);
        QCOMPARE(m_window.List1->currentRow(), 0);
        QCOMPARE(m_window.List2->currentRow(), 0);
        QCOMPARE(m_window.Text1->text(), QStringLiteral("short one"));
        QCOMPARE(m_window.Text1->selectedText(), QStringLiteral("short one"));
        QCOMPARE(m_form->sourceText(), QStringLiteral("f(\"short one\", \"two\");\n"));
        // Clearing the rows dropped the long file's extent; these rows fit.
        QCOMPARE(m_window.List1->horizontalExtent(), 0);
        QCOMPARE(m_window.List2->horizontalExtent(), 0);
    }

    void failedLoadLeavesEverything()
    {
        m_window.Text1->setText(QStringLiteral("edited"));
        const QStringList rows1 = rowsOf(m_window.List1);
        const QStringList rows2 = rowsOf(m_window.List2);
        const QString source = m_form->sourceText();
        const QString loaded = m_form->loadedFilePath();

        QVERIFY(QFile::remove(path("B.CPP"))); // deleted after the list was filled
        const Shown shown = m_window.loadFile(QStringLiteral("B.CPP"));
        QVERIFY(shown.seen);
        QCOMPARE(shown.title, QStringLiteral("打开文件"));
        QCOMPARE(shown.icon, QMessageBox::Warning);
        QVERIFY2(shown.text.contains(QStringLiteral("B.CPP")), qPrintable(shown.text));
        QVERIFY(!shown.busyCursor);
        QCOMPARE(QApplication::overrideCursor(), nullptr);

        QCOMPARE(rowsOf(m_window.List1), rows1);
        QCOMPARE(rowsOf(m_window.List2), rows2);
        QCOMPARE(m_window.List1->currentRow(), 0);
        QCOMPARE(m_window.Text1->text(), QStringLiteral("edited"));
        QCOMPARE(m_form->sourceText(), source);
        QCOMPARE(m_form->loadedFilePath(), loaded);
        QVERIFY(m_form->isVisible()); // the program goes on
    }

    void fileWithoutLiterals()
    {
        m_window.loadFile(QStringLiteral("zeta.cpp"));
        QCOMPARE(m_window.List1->count(), 0);
        QCOMPARE(m_window.List2->count(), 0);
        QCOMPARE(m_window.List1->currentRow(), -1);
        QCOMPARE(m_window.List2->currentRow(), -1);
        QCOMPARE(m_window.Text1->text(), QString());
        QCOMPARE(m_form->sourceText(), QStringLiteral("int zeta() { return 'z'; }\n"));
    }

    // The lists have no 16-bit limit: a file with more than 32767 literals loads them all.
    void rowLimit()
    {
        QTemporaryDir many;
        QVERIFY(many.isValid());
        QByteArray source;
        for (int i = 0; i < 40000; ++i)
            source += "\"r" + QByteArray::number(i) + "\"\n";
        writeBytes(many.path() + QStringLiteral("/many.cpp"), source);
        QVERIFY(control<FolderList>("Dir1")->setFolder(many.path()));
        m_window.loadFile(QStringLiteral("many.cpp"));
        QCOMPARE(m_window.List1->count(), 40000);
        QCOMPARE(m_window.List2->count(), 40000);
        QCOMPARE(m_window.List2->item(39999)->text(), QStringLiteral("r39999"));
        QCOMPARE(m_window.List2->currentRow(), 0);
        QCOMPARE(m_form->sourceText(), QString::fromLatin1(source));
        backToRoot();
    }

    void replaceThroughTheButton()
    {
        const QString file = path("a.cpp");
        const QByteArray original = readBytes(file);
        m_window.loadFile(QStringLiteral("a.cpp"));
        QCOMPARE(m_window.List2->count(), 3);
        m_window.List2->item(1)->setText(QStringLiteral("第二个字符串"));

        const Shown shown = m_window.press(m_window.Command3);
        QCOMPARE(shown.title, QStringLiteral("替换文件"));
        QCOMPARE(shown.text, QStringLiteral("已经替换 a.cpp 。\r\n原始文件已经事先备份。"));
        QCOMPARE(shown.icon, QMessageBox::Information);
        QVERIFY(!shown.busyCursor);
        QCOMPARE(QApplication::overrideCursor(), nullptr);

        QByteArray expected = original;
        expected.replace("second literal", QStringLiteral("第二个字符串").toUtf8());
        QCOMPARE(readBytes(file), expected);
        QCOMPARE(readBytes(file + QStringLiteral(".backup")), original);
        QCOMPARE(m_form->sourceText(), QString::fromUtf8(expected));
        QVERIFY(!expected.startsWith("\xEF\xBB\xBF"));

        // Alt+R presses the button as well: a second replace keeps one backup, of
        // the version just replaced. An access key clicks after a short animation.
        m_window.lastShown = Shown();
        QTest::keyClick(m_form, Qt::Key_R, Qt::AltModifier);
        QTRY_VERIFY(m_window.lastShown.seen);
        QCOMPARE(m_window.lastShown.title, QStringLiteral("替换文件"));
        QCOMPARE(readBytes(file + QStringLiteral(".backup")), expected);
        m_window.activate();
    }

    void replaceRefusalIsShown()
    {
        // Another file selected than the one loaded: refused, nothing on disk changes.
        const QByteArray before = readBytes(path("c.Cpp"));
        MainWindowFixture::clickItem(m_window.File1, QStringLiteral("c.Cpp"));
        const Shown shown = m_window.press(m_window.Command3);
        QCOMPARE(shown.title, QStringLiteral("替换文件"));
        QCOMPARE(shown.icon, QMessageBox::Warning);
        QVERIFY2(shown.text.contains(QStringLiteral("c.Cpp")), qPrintable(shown.text));
        QCOMPARE(readBytes(path("c.Cpp")), before);
        QVERIFY(!QFile::exists(path("c.Cpp.backup")));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QVERIFY(m_form->isVisible());
    }

    void openWithAssociatedProgram()
    {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
        auto *command4 = control<QPushButton>("Command4");
        MainWindowFixture::clickItem(m_window.File1, QStringLiteral("zeta.cpp"));
        QTest::mouseClick(command4, Qt::LeftButton);
        QCOMPARE(catcher.urls, QList<QUrl>({QUrl::fromLocalFile(root() + QStringLiteral("/zeta.cpp"))}));

        // Alt+O presses it too, after the access key's short animation.
        m_window.activate();
        QTest::keyClick(m_form, Qt::Key_O, Qt::AltModifier);
        QTRY_COMPARE(catcher.urls.size(), 2);
        QCOMPARE(catcher.urls.last(), catcher.urls.first());

        // No file selected: the folder followed by "/", unchanged.
        m_window.File1->clearSelection();
        m_window.File1->setCurrentIndex(QModelIndex());
        QCOMPARE(m_window.File1->fileName(), QString());
        QTest::mouseClick(command4, Qt::LeftButton);
        QCOMPARE(catcher.urls.size(), 3);
        QCOMPARE(catcher.urls.last(), QUrl::fromLocalFile(root() + QStringLiteral("/")));
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    }

    // Keep on top neither moves nor recreates the window, either way.
    void keepOnTop()
    {
        auto *check1 = control<QCheckBox>("Check1");
        QWindow *window = m_form->windowHandle();
        QVERIFY(window);
        const QRect geometry = m_form->geometry();
        const WId id = m_form->winId();
        QVERIFY(!(window->flags() & Qt::WindowStaysOnTopHint));
        for (const Qt::CheckState state : {Qt::Checked, Qt::Unchecked}) {
            QTest::mouseClick(check1, Qt::LeftButton);
            QCOMPARE(check1->checkState(), state);
            QCOMPARE(bool(window->flags() & Qt::WindowStaysOnTopHint), state == Qt::Checked);
            QVERIFY(m_form->isVisible());
            QCOMPARE(m_form->geometry(), geometry);
            QCOMPARE(m_form->winId(), id);
            QCOMPARE(m_form->windowHandle(), window);
        }
    }

    void folderPickerCancelled()
    {
        auto *dir1 = control<FolderList>("Dir1");
        const QString folder = dir1->folder();
        const QStringList files = rowsOf(m_window.File1);
        QString title;
        m_window.onNextModal([&title](QWidget *modal) {
            title = modal->windowTitle();
            QVERIFY(qobject_cast<QFileDialog *>(modal));
            qobject_cast<QDialog *>(modal)->reject();
        });
        QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
        QCOMPARE(title, QStringLiteral("选择文件夹"));
        QCOMPARE(dir1->folder(), folder);
        QCOMPARE(m_window.File1->folder(), folder);
        QCOMPARE(rowsOf(m_window.File1), files);
        QVERIFY(m_form->isVisible());
    }

    void folderPickerAccepted()
    {
        auto *drive1 = control<DriveList>("Drive1");
        const int drive = drive1->currentIndex();
        const QString chosen = QDir::cleanPath(m_other.path());
        m_window.onNextModal([&chosen](QWidget *modal) {
            if (auto *dialog = qobject_cast<QFileDialog *>(modal)) {
                dialog->setDirectory(chosen);
                QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
            }
        });
        QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
        QCOMPARE(control<FolderList>("Dir1")->folder(), chosen);
        QCOMPARE(m_window.File1->folder(), chosen);
        QCOMPARE(rowsOf(m_window.File1), QStringList({"y.cpp"}));
        QCOMPARE(drive1->currentIndex(), drive); // Drive1 is not touched
    }
};

QTEST_MAIN(TestForm1Window)
#include "test_form1_window.moc"
