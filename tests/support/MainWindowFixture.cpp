#include "support/MainWindowFixture.h"

#include <QApplication>
#include <QDir>

MainWindowFixture::~MainWindowFixture()
{
    m_poll.stop();
    delete form;
    if (!m_startFolder.isEmpty())
        QDir::setCurrent(m_startFolder);
}

void MainWindowFixture::open(const QString &folder, std::function<void(QWidget *)> firstModal)
{
    m_startFolder = QDir::currentPath();
    QVERIFY(QDir::setCurrent(folder)); // File1 starts at the current folder
    form = new Form1;
    File1 = control<FileList>("File1");
    List1 = control<ListBox>("List1");
    List2 = control<ListBox>("List2");
    Text1 = control<EditBox>("Text1");
    Command2 = control<QPushButton>("Command2");
    Command3 = control<QPushButton>("Command3");
    QVERIFY(File1 && List1 && List2 && Text1 && Command2 && Command3);

    m_nextModal = std::move(firstModal);
    m_poll.setInterval(2);
    QObject::connect(&m_poll, &QTimer::timeout, [this] { handleModal(); });
    m_poll.start();
    form->show(); // runs Load: returns once the notice has closed
    QVERIFY(QTest::qWaitForWindowExposed(form));
    activate();
}

void MainWindowFixture::onNextModal(std::function<void(QWidget *)> handle)
{
    m_nextModal = std::move(handle);
}

void MainWindowFixture::handleModal()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || modal == m_handled)
        return;
    if (m_nextModal) {
        m_handled = modal;
        std::exchange(m_nextModal, nullptr)(modal);
        return;
    }
    auto *box = qobject_cast<QMessageBox *>(modal);
    if (!box) {
        modal->close();
        return;
    }
    lastShown = {true, box->text(), box->windowTitle(), box->icon(), QApplication::overrideCursor() != nullptr};
    QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
}

// Offscreen, nothing gives the activation back after a modal window closed.
void MainWindowFixture::activate()
{
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form));
}

void MainWindowFixture::clickItem(QListWidget *list, const QString &text)
{
    const QList<QListWidgetItem *> items = list->findItems(text, Qt::MatchExactly);
    QVERIFY2(items.size() == 1, qPrintable(text));
    list->scrollToItem(items.first());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(items.first()).center());
}

// Press, release, double-click, release, as the system delivers a double-click.
void MainWindowFixture::doubleClickItem(QListWidget *list, const QString &text)
{
    clickItem(list, text);
    const QList<QListWidgetItem *> items = list->findItems(text, Qt::MatchExactly);
    if (items.size() != 1)
        return;
    const QPoint at = list->visualItemRect(items.first()).center();
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
}

QStringList MainWindowFixture::rowsOf(const QListWidget *list)
{
    QStringList rows;
    for (int i = 0; i < list->count(); ++i)
        rows << list->item(i)->text();
    return rows;
}

Shown MainWindowFixture::loadFile(const QString &name)
{
    lastShown = Shown();
    doubleClickItem(File1, name);
    activate();
    return lastShown;
}

Shown MainWindowFixture::press(QPushButton *button)
{
    lastShown = Shown();
    QTest::mouseClick(button, Qt::LeftButton);
    activate();
    return lastShown;
}
