#pragma once

#include "engine/ApplyPairs.h"
#include "engine/ScanLiterals.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// What the replace reads of the main window when "替换文件(&R)" is pressed.
struct ReplaceRequest
{
    QString sourceText;       // the text loaded last, or last written
    QStringList found;        // List1, row by row
    QStringList replacements; // List2, row by row
    QString folder;           // the folder File1 shows
    QString fileName;         // File1's selected name, empty when none
    QString loadedPath;       // the file sourceText was read from, empty before the first load
    QList<LiteralSpan> spans; // where each row's literal stands in sourceText
    bool ownLiterals = false; // each changed row over its own literal, not over the first occurrence of its text
    // The target's bytes as last loaded or written. A file whose bytes differ now is
    // refused with FileChangedError, nothing written; none: not compared.
    std::optional<QByteArray> diskBytes;
};

// What a replace wrote: the window's text, spans and bytes from then on.
struct ReplaceResult
{
    QString text;
    QList<LiteralSpan> spans;
    QByteArray bytes;
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

// The work of "替换文件(&R)": applies the rows to the source text (each to the
// first occurrence of its text, or with ownLiterals each changed row over its
// own literal), keeps NAME's current bytes as NAME.backup and writes the new
// text over NAME as UTF-8. At every moment NAME holds a whole version, old or
// new; a symbolic link stays a link and its target gets the new text. When the
// new bytes are those NAME already holds and NAME.backup exists, nothing on
// disk changes: the backup keeps the version before the last real change.
// Refusals and failures are thrown as FileError, with NAME and NAME.backup as
// they were.
ReplaceResult ReplaceAndSave(const ReplaceRequest &request, const ReplaceHook &hook = {});

// The rows as the own-literal rule writes them: a row left as found keeps the
// characters at its span, whatever an earlier replace put there.
QStringList OwnLiteralReplacements(const ReplaceRequest &request);

// The message that confirms a replace, or an empty string when the backup is no
// ordinary file (a hidden one) and nothing is shown.
QString ReplaceConfirmation(const ReplaceRequest &request);

// The title of every message the replace shows.
inline QString ReplaceTitle() { return QStringLiteral("替换文件"); }
