#pragma once

#include <QString>

class QWidget;

enum class MessageIcon { Information, Warning };

namespace Platform {

// A modal message box with one OK button.
void ShowMessage(QWidget *owner, const QString &text, const QString &title, MessageIcon icon);

} // namespace Platform
