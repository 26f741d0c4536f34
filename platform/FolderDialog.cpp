#include "platform/FolderDialog.h"

#include <QFileDialog>

QString BrowseForFolder(QWidget *window, const QString &title)
{
    // Qt's own dialog: the same on every desktop, and reachable by tests.
    return QFileDialog::getExistingDirectory(
        window, title, QString(),
        QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
}

QString AskSavePath(QWidget *window, const QString &title, const QString &suggested, const QStringList &filters,
                    QString *chosenFilter)
{
    return QFileDialog::getSaveFileName(window, title, suggested, filters.join(QStringLiteral(";;")), chosenFilter,
                                        QFileDialog::DontUseNativeDialog);
}

QString AskOpenPath(QWidget *window, const QString &title, const QString &folder, const QStringList &filters)
{
    return QFileDialog::getOpenFileName(window, title, folder, filters.join(QStringLiteral(";;")), nullptr,
                                        QFileDialog::DontUseNativeDialog);
}
