#pragma once

#include <QString>
#include <QStringList>

class QWidget;

enum class MessageIcon { Information, Warning };

namespace Platform {

// A modal message box with one OK button.
void ShowMessage(QWidget *owner, const QString &text, const QString &title, MessageIcon icon);

// A modal question with buttons of these texts, the last one the default and
// the answer to Escape and to closing the box. Returns the index of the
// button pressed.
int Ask(QWidget *owner, const QString &text, const QString &title, const QStringList &buttons);

} // namespace Platform
