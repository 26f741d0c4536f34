#include "platform/MessageBox.h"

#include <QMessageBox>
#include <QPushButton>

namespace Platform {

void ShowMessage(QWidget *owner, const QString &text, const QString &title, MessageIcon icon)
{
    QMessageBox box(icon == MessageIcon::Information ? QMessageBox::Information : QMessageBox::Warning,
                    title, text, QMessageBox::Ok, owner);
    box.exec();
}

int Ask(QWidget *owner, const QString &text, const QString &title, const QStringList &buttons)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, owner);
    QList<QAbstractButton *> added;
    for (int i = 0; i < buttons.size(); ++i) {
        const bool cancel = i == buttons.size() - 1;
        added << box.addButton(buttons[i], cancel ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
    }
    auto *cancel = qobject_cast<QPushButton *>(added.last());
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    const int answer = int(added.indexOf(box.clickedButton()));
    return answer < 0 ? int(buttons.size()) - 1 : answer;
}

} // namespace Platform
