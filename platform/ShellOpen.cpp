#include "platform/ShellOpen.h"

#include <QDesktopServices>
#include <QUrl>

void ShellOpenFile(QWidget *window, const QString &path)
{
    Q_UNUSED(window); // the desktop chooses where the program opens
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
