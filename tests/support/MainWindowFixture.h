#pragma once

#include "ui/BrowserLists.h"
#include "ui/EditBox.h"
#include "ui/Form1.h"
#include "ui/ListBox.h"

#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

// What a message box showed before the fixture pressed its OK button.
struct Shown {
    bool seen = false;
    QString text, title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool busyCursor = false; // a busy cursor was still set while it showed
};

// The main window started in a folder as a user starts it: File1 lists the
// folder, and every modal window, the start-up notice first, is closed as soon
// as it shows; a message box is read first and closed with its OK button.
class MainWindowFixture
{
public:
    ~MainWindowFixture();

    // Starts the window in the folder; `firstModal`, when given, handles the
    // start-up notice instead of closing it.
    void open(const QString &folder, std::function<void(QWidget *)> firstModal = {});
    // The next modal window goes to `handle` instead of being closed.
    void onNextModal(std::function<void(QWidget *)> handle);
    void activate();

    template <typename T> T *control(const char *name) const
    {
        T *found = form->findChild<T *>(QString::fromLatin1(name));
        if (!found)
            qWarning("no control %s", name);
        return found;
    }

    // Real mouse events on a row of a list, scrolled into view first.
    static void clickItem(QListWidget *list, const QString &text);
    static void doubleClickItem(QListWidget *list, const QString &text);
    static QStringList rowsOf(const QListWidget *list);

    // Double-clicks the file in File1 or clicks the button; returns the message
    // box it showed, if any.
    Shown loadFile(const QString &name);
    Shown press(QPushButton *button);

    Form1 *form = nullptr;
    FileList *File1 = nullptr;
    ListBox *List1 = nullptr;
    ListBox *List2 = nullptr;
    EditBox *Text1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
    Shown lastShown; // the latest message box

private:
    void handleModal();

    QString m_startFolder;
    QTimer m_poll;
    std::function<void(QWidget *)> m_nextModal;
    QPointer<QWidget> m_handled; // given to m_nextModal: left alone while it stays
};
