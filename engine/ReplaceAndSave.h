#pragma once

#include "engine/ApplyPairs.h"

#include <QString>
#include <QStringList>

#include <functional>

// What the replace reads of the main window when "替换文件(&R)" is pressed.
struct ReplaceRequest
{
    QString sourceText;       // the text loaded last, or last written
    QStringList found;        // List1, row by row
    QStringList replacements; // List2, row by row
    QString folder;           // the folder File1 shows
    QString fileName;         // File1's selected name, empty when none
    QString loadedPath;       // the file sourceText was read from, empty before the first load
};

// The places between the replace's steps on disk, in order. A hook given to
// ReplaceAndSave runs at each: tests look at the disk there as a program that
// stops there would leave it, and throw to make the next step fail.
enum class ReplaceStep {
    OldBackupSetAside, // an older NAME.backup renamed to a hidden name
    BackupWritten,     // NAME's bytes in a temporary file beside NAME.backup
    BackupInPlace,     // ... renamed to NAME.backup
    FileWritten,       // the new text in a temporary file beside NAME
    FileInPlace,       // ... renamed over NAME; the older backup is deleted next
};
using ReplaceHook = std::function<void(ReplaceStep)>;

// The work of "替换文件(&R)": applies the rows to the source text, keeps NAME's
// current bytes as NAME.backup and writes the new text over NAME as UTF-8;
// returns the text written. At every moment NAME holds a whole version, old or
// new; a symbolic link stays a link and its target gets the new text. Refusals
// and failures are thrown as FileError, with NAME and NAME.backup as they were.
QString ReplaceAndSave(const ReplaceRequest &request, const ReplaceHook &hook = {});

// The message that confirms a replace, or an empty string when the backup is no
// ordinary file (a hidden one) and nothing is shown.
QString ReplaceConfirmation(const ReplaceRequest &request);

// The title of every message the replace shows.
inline QString ReplaceTitle() { return QStringLiteral("替换文件"); }
