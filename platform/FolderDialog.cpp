#include "platform/FolderDialog.h"

#include <QFileDialog>

QString BrowseForFolder(QWidget *window, const QString &title)
{
    // Qt's own dialog: the same on every desktop, and reachable by tests.
    return QFileDialog::getExistingDirectory(
        window, title, QString(),
        QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
}
