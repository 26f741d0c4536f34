#pragma once

#include <QStringList>

// Runs `zelvane export|import|--help|--version` without a window (the window
// starts only when no argument is given); the exit status: 0 every file went
// well, 1 a file or the catalog failed, 2 a usage error.
int RunCommandLine(const QStringList &arguments);
