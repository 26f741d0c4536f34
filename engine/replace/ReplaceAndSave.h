#pragma once

// replace/: writing rows into a text and the text into its file. ApplyPairs
// (over ReplaceSweep and GramFilter) is the first-occurrence rule, OwnLiterals
// each row over its own literal, Landing where each row will land,
// ReplacementChecks and RowAnalysis what an edit would break, UnifiedDiff the
// dry run's diff, and ReplaceAndSave the press itself with its backup.

#include "engine/files/Problem.h"
#include "engine/replace/ApplyPairs.h"
#include "engine/scan/ScanLiterals.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class DiskBatch;
class PendingReplace;

// What a replace is given: the text as loaded, its rows and the file to write.
// The window fills it when "替换文件(&R)" is pressed; the command line, per file.
struct ReplaceRequest
{
    QString sourceText;       // the text loaded last, or last written
    QStringList found;        // each row's text as found
    QStringList replacements; // each row's replacement
    QString path;             // the file sourceText was read from, and is written; empty before the first load
    QList<LiteralSpan> spans; // where each row's literal stands in sourceText
    bool ownLiterals = false; // each changed row over its own literal, not over the first occurrence of its text
    // The target's bytes as last loaded or written. A file whose bytes differ now is
    // refused (Refusal::ChangedOnDisk), nothing written; none: not compared.
    std::optional<QByteArray> diskBytes;
    // A read-only target is refused (Refusal::ReadOnly) unless this allows it; it then stays read-only.
    bool allowReadOnly = false;
    QByteArray encoding; // a form's own encoding, as its declaration names it; empty: UTF-8
    // One of many files put on disk together: the new text waits for the batch's
    // flush (ReplaceResult's pending). None: it waits for the disk on its own.
    DiskBatch *batch = nullptr;
};

// Why a replace wrote nothing though there was something to write: the
// caller may ask the user, and press again with the request's allowance.
enum class Refusal {
    None,
    ChangedOnDisk, // the file's bytes are not those last loaded or written
    ReadOnly,      // the file has no write permission
};

// What a replace wrote: the window's text, spans and bytes from then on.
struct ReplaceResult
{
    Refusal refusal = Refusal::None;
    QString text;
    QList<LiteralSpan> spans;
    QByteArray bytes;
    bool written = false; // false: the file already held these bytes, and nothing on disk changed
    Problems recovered;   // what an earlier replace stopped half-way had left, and what was done about it
    // The new text written beside NAME, waiting for the request's batch, which
    // puts it in place; holds NAME's lock until then. Dropped by both before
    // that, NAME is left as it was.
    std::shared_ptr<PendingReplace> pending;
};

// The places between the replace's steps on disk, in order. A hook given to
// ReplaceAndSave runs at each: tests look at the disk there as a program that
// stops there would leave it, and throw to make the next step fail.
enum class ReplaceStep {
    OldBackupSetAside, // an older NAME.backup renamed to .NAME.backup.old
    BackupWritten,     // NAME's bytes in a temporary file beside NAME.backup
    BackupInPlace,     // ... renamed to NAME.backup
    FileWritten,       // the new text in a temporary file beside NAME
    FileEmptied,       // instead, NAME (linked elsewhere too, or of an owner not ours to give) emptied to be
                       // written into, with .NAME.writing beside it until the new text is on disk
    FileInPlace,       // ... renamed over NAME, or written into it; the older backup is deleted next
                       // (a write that waits for a batch stops at FileWritten: the batch's flush goes on)
};
using ReplaceHook = std::function<void(ReplaceStep)>;

// The work of "替换文件(&R)": applies the rows to the source text (each to the
// first occurrence of its text, or with ownLiterals each row over its own
// literal, so that every literal holds its row's replacement), keeps NAME's
// current bytes as NAME.backup and writes the new text over NAME as UTF-8.
// NAME and its backup keep NAME's owner, group and mode. At every moment NAME
// holds a whole version, old or new; a symbolic link stays a link and its
// target gets the new text. A NAME with other hard links, or whose owner or
// group a new file may not be given, is written into once the backup is on
// disk. When the new bytes are those NAME already holds, nothing on disk
// changes. Refusals and failures are thrown as FileError, saying what NAME and
// NAME.backup then hold.
ReplaceResult ReplaceAndSave(const ReplaceRequest &request, const ReplaceHook &hook = {});

// Whether a replace that waits for its batch (ReplaceResult's pending) has
// not been finished by a flush yet.
bool StillWaiting(const PendingReplace &pending);
// Once a flush has finished it: throws, as FileError, why its new text was not
// put in place (the sync failed; NAME and its backup are as they were).
void ThrowIfNotWritten(const PendingReplace &pending);

// Whether a load may put right what an interrupted write left, as found (both
// versions named); none: nothing may be written.
using MayRestore = std::function<bool(const Problem &found)>;

// What a load found of an interrupted write beside a file, and did about it.
struct MarkOutcome {
    Problems problems;      // what was found and done; none when there was no mark
    bool fileUsable = true; // false: it holds part of a write and was not restored
    bool markStays = false; // a mark stands that a replace would refuse, and leave as it is
};

// Looks for the mark of a replace stopped while writing into the file (see
// WritingMark): a whole file loses its mark, and a part-written one is restored
// from its backup, once mayRestore agrees. A file changed since, a backup that
// is not the one that write made and a mark this program did not write are left
// as they are and reported. Throws FileError when the folder stays locked.
MarkOutcome RecoverInterruptedWrite(const QString &path, const MayRestore &mayRestore);
