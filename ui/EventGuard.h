#pragma once

#include "app/words/ProblemWords.h"
#include "engine/files/FileError.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QString>

#include <exception>

// Runs a dialog with the normal cursor, even inside a busy procedure.
template <typename Dialog>
auto Unbusy(Dialog &&dialog)
{
    int busy = 0;
    while (QApplication::overrideCursor()) {
        QApplication::restoreOverrideCursor();
        ++busy;
    }
    struct Rebusy {
        int count;
        ~Rebusy() { while (count-- > 0) QApplication::setOverrideCursor(Qt::WaitCursor); }
    } rebusy{busy};
    return dialog();
}

inline void ShowMessageUnbusy(QWidget *form, const QString &text, const QString &title, MessageIcon icon)
{
    Unbusy([&] { Platform::ShowMessage(form, text, title, icon); });
}

// A question (Platform::Ask) with the normal cursor: the index of the answer.
inline int AskUnbusy(QWidget *form, const QString &text, const QString &title, const QStringList &buttons)
{
    return Unbusy([&] { return Platform::Ask(form, text, title, buttons); });
}

// A control's caption as a title: without its access key, "切换(&S)" as "切换".
inline QString PlainCaption(QString caption)
{
    const qsizetype key = caption.indexOf(QLatin1String("(&"));
    if (key >= 0 && caption.endsWith(u')'))
        caption.truncate(key);
    return caption.remove(u'&');
}

// Shows the message of a failed event procedure.
inline void ShowFailure(QWidget *form, const QString &text, const QString &title)
{
    ShowMessageUnbusy(form, text, title, MessageIcon::Warning);
}

// Runs an event procedure; what it throws is shown in a message box with the
// title, and the program goes on. Every event procedure of Form1 runs this way.
template <typename Procedure>
void RunEvent(QWidget *form, const QString &title, Procedure &&procedure)
{
    try {
        procedure();
    } catch (const FileError &error) {
        ShowFailure(form, ProblemWords(error.problems()), title);
    } catch (const std::exception &error) {
        ShowFailure(form, QStringLiteral("操作失败：%1").arg(QString::fromLocal8Bit(error.what())), title);
    } catch (...) {
        ShowFailure(form, QStringLiteral("操作失败：未知错误。"), title);
    }
}

// The busy cursor for as long as it lives.
class BusyCursor
{
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};
