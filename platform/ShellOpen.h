#pragma once

#include <QString>

class QWidget;

// Opens the file with the program the desktop associates with it. The path is
// passed unchanged; nothing is tested and nothing is reported.
void ShellOpenFile(QWidget *window, const QString &path);
