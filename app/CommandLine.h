#pragma once

#include <QStringList>

// True when the arguments (without the program's name) ask for the command
// line rather than the window.
bool IsCommand(const QStringList &arguments);

// Runs `zelvane export|import|--help|--version` without a window; the exit
// status: 0 every file went well, 1 a file or the catalog failed, 2 a usage error.
int RunCommandLine(const QStringList &arguments);
