#pragma once

#include "engine/files/Problem.h"

#include <QByteArray>
#include <QString>

// .NAME.writing stands beside NAME while a replace writes into it (a file with
// other names is emptied and written, not renamed over). It records the
// backup's size and hash and the new bytes themselves, so that a later run can
// tell what an interrupted write left from what was done to the file since.
namespace WritingMark {

QString PathFor(const QString &file);

// The mark of a write of `newBytes` over a file whose old bytes, `backupBytes`, are its backup.
QByteArray Record(const QByteArray &backupBytes, const QByteArray &newBytes);

enum class Finding {
    None,         // no mark
    Whole,        // the file holds the old bytes or the whole new ones: the mark can go
    PartWritten,  // the file holds the start of the new bytes (maybe none): the backup restores it
    ChangedSince, // the file holds something else, written since: it stays, and so does the mark
    BackupUnfit,  // part written, but the backup is not the one the write made, or no file of its own
    MarkUnfit,    // the mark is no record this program wrote (a folder, a link, other bytes)
};

struct Look {
    Finding finding = Finding::None;
    QByteArray backupBytes; // PartWritten: the bytes that restore the file
    Problem problem;        // what was found (none: no mark)
};

// What the mark beside the file says of it. Changes nothing; throws FileError
// when the file itself cannot be read.
Look Inspect(const QString &file);

} // namespace WritingMark
