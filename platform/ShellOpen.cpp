#include "platform/ShellOpen.h"

#include "platform/MessageBox.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

void ShellOpenFile(QWidget *window, const QString &path)
{
    // The desktop chooses where the program opens. When it starts none, the
    // user hears so, as a desktop's shell would tell them.
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        return;
    Platform::ShowMessage(window, QStringLiteral("没有找到可以打开 %1 的程序。").arg(QFileInfo(path).fileName()),
                          QStringLiteral("打开文件"), MessageIcon::Warning);
}
