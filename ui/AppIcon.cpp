#include "ui/AppIcon.h"

#include <QtGlobal>

QIcon AppIcon()
{
    // The resources live in the static zelvane_ui library; without this the linker
    // may drop them from the program.
    Q_INIT_RESOURCE(icons);

    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/zelvane-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/icons/zelvane-32.png"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/icons/zelvane-256.png"), QSize(256, 256));
    return icon;
}
