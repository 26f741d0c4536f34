#include "platform/MessageBox.h"

#include <QMessageBox>

namespace Platform {

void ShowMessage(QWidget *owner, const QString &text, const QString &title, MessageIcon icon)
{
    QMessageBox box(icon == MessageIcon::Information ? QMessageBox::Information : QMessageBox::Warning,
                    title, text, QMessageBox::Ok, owner);
    box.exec();
}

} // namespace Platform
