#include "platform/WindowTopmost.h"

#include <QWidget>
#include <QWindow>

namespace {

void setStaysOnTop(QWidget *window, bool on)
{
    if (!window)
        return;
    QWidget *top = window->window();
    QWindow *handle = top->windowHandle();
    if (!handle) {
        top->winId(); // creates the native window, without showing it
        handle = top->windowHandle();
    }
    if (handle)
        handle->setFlag(Qt::WindowStaysOnTopHint, on);
}

} // namespace

void SetTopmost(QWidget *window)
{
    setStaysOnTop(window, true);
}

void ClearTopmost(QWidget *window)
{
    setStaysOnTop(window, false);
}
