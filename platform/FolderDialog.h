#pragma once

#include <QString>

class QWidget;

// The folder picker: a modal folder dialog owned by the window, with the title
// shown above it. Returns the chosen folder's full path, or "" when cancelled.
QString BrowseForFolder(QWidget *window, const QString &title);
