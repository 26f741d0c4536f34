#pragma once

#include <QString>

class QWidget;

// Opens the file with the program the desktop associates with it. The path is
// passed unchanged; when no program starts, a message box owned by the window
// says so.
void ShellOpenFile(QWidget *window, const QString &path);
