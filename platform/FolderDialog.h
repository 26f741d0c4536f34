#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The folder picker: a modal folder dialog owned by the window, with the title
// shown above it. Returns the chosen folder's full path, or "" when cancelled.
QString BrowseForFolder(QWidget *window, const QString &title);

// The file pickers for a translation file: Qt's own dialog, with the filters
// given (the first one chosen at first). Return the chosen path, or "";
// `chosenFilter` gets the filter the user left chosen.
QString AskSavePath(QWidget *window, const QString &title, const QString &suggested, const QStringList &filters,
                    QString *chosenFilter);
QString AskOpenPath(QWidget *window, const QString &title, const QString &folder, const QStringList &filters);
