#pragma once

// Files as the tests see them, and the main window started in a folder as a
// user starts it: the notice closes at once, every message box is read and
// closed with its OK button, and every question gets the answer planned for it
// or else its Escape answer.

#include "ui/BrowserLists.h"
#include "ui/EditBox.h"
#include "ui/EventGuard.h"
#include "ui/Form1.h"
#include "ui/ListBox.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

inline QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

inline QStringList rowsOf(const QListWidget *list)
{
    QStringList rows;
    for (int i = 0; i < list->count(); ++i)
        rows << list->item(i)->text();
    return rows;
}

inline QStringList rowsOf(const ListBox *list)
{
    QStringList rows;
    for (int i = 0; i < list->count(); ++i)
        rows << list->rowText(i);
    return rows;
}

class Window
{
public:
    // `modal` handles the next modal window (the notice first) instead of closing it.
    explicit Window(const QString &folder, std::function<void(QWidget *)> modal = {}) : nextModal(std::move(modal))
    {
        QDir::setCurrent(folder); // File1 starts in the current folder
        form = std::make_unique<Form1>();
        QObject::connect(&poll, &QTimer::timeout, [this] { handleModal(); });
        poll.start(2);
        form->show(); // returns once the notice has closed
        activate();
    }

    template <typename T = QWidget> T *get(const char *name) const { return form->findChild<T *>(QString::fromLatin1(name)); }

    void activate() const
    {
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
    }

    static QPoint rowCentre(QListWidget *list, int row)
    {
        if (row < 0 || row >= list->count())
            return list->viewport()->rect().center();
        list->scrollToItem(list->item(row));
        return list->visualItemRect(list->item(row)).center();
    }
    static QPoint rowCentre(ListBox *list, int row)
    {
        if (row < 0 || row >= list->count())
            return list->viewport()->rect().center();
        return list->rowRect(row).center();
    }

    template <typename List> static void click(List *list, int row, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(list->viewport(), button, {}, rowCentre(list, row));
    }
    // Press, release, double-click, release, as the system delivers a double-click.
    template <typename List> static void doubleClick(List *list, int row)
    {
        click(list, row);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rowCentre(list, row));
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, rowCentre(list, row));
    }

    // These return what a message box said ("title: text", " [warning]" for a warning), if one showed;
    // `answers` are the buttons to press, in turn, at the questions the action asks.
    QString load(const QString &name, const QStringList &answers = {})
    {
        auto *file1 = get<QListWidget>("File1");
        return shownBy([&] { doubleClick(file1, rowsOf(file1).indexOf(name)); }, answers);
    }
    QString press(const char *button, const QStringList &answers = {})
    {
        return shownBy([&] { QTest::mouseClick(get(button), Qt::LeftButton); }, answers);
    }
    QString shownBy(const std::function<void()> &action, const QStringList &answers = {})
    {
        shown.clear();
        asked.clear();
        planned = answers;
        action();
        // A press writes on a worker thread; the window takes no edit until it is back.
        QTest::qWaitFor([this] { return get("Command3")->isEnabled(); }, 60000);
        activate();
        return shown;
    }

    // Keys go where a user's go: to the focused widget, or else the active window.
    // Characters other than ASCII are typed as text only.
    static QWidget *focused() { return QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow(); }
    static void type(const QString &text)
    {
        for (const QChar c : text) {
            if (c.unicode() < 0x80)
                QTest::keyClick(focused(), c.toLatin1());
            else
                QTest::sendKeyEvent(QTest::Click, focused(), Qt::Key_unknown, QString(c), {});
        }
    }
    static void key(const QString &sequence)
    {
        const QKeyCombination combination = QKeySequence::fromString(sequence)[0];
        QTest::keyClick(focused(), combination.key(), combination.keyboardModifiers());
    }

    std::unique_ptr<Form1> form;
    QString shown;
    QStringList asked; // "title: text" of each question of the last action
    std::function<void(QWidget *)> nextModal;

private:
    void handleModal()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal == handled)
            return;
        handled = modal;
        if (nextModal)
            return std::exchange(nextModal, nullptr)(modal);
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (!box)
            return (void)modal->close();
        if (!box->button(QMessageBox::Ok))
            return answer(box);
        shown = box->windowTitle() + ": " + box->text() + (box->icon() == QMessageBox::Warning ? " [warning]" : "");
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    }

    void answer(QMessageBox *question)
    {
        asked << question->windowTitle() + ": " + question->text();
        const QString wanted = planned.isEmpty() ? QString() : planned.takeFirst();
        QAbstractButton *button = question->escapeButton();
        for (QAbstractButton *offered : question->buttons()) // answered by the caption without its access key
            button = PlainCaption(offered->text()) == wanted ? offered : button;
        QTest::mouseClick(button, Qt::LeftButton);
    }

    QTimer poll;
    QPointer<QWidget> handled;
    QStringList planned;
};
