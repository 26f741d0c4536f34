#pragma once

// files/: the user's files on disk. Utf8NoBomFile reads and writes them
// safely, FileStatus keeps their owner and mode, WriteLock keeps two writers
// apart, DiskBatch puts many new files on disk at once, SourcePaths names them
// and walks a tree, ParallelFor works on its files on every core; FileError
// holds what went wrong, as a Problem.

#include "engine/files/FileError.h"
#include "engine/files/FileStatus.h"

#include <QByteArray>
#include <QFile>
#include <QSaveFile>
#include <QString>

#include <functional>

class DiskBatch;

namespace Utf8NoBomFile {

// Reads a whole file as UTF-8. A leading byte-order mark is kept as U+FEFF so
// that reading and writing back is byte-identical. Throws FileError when the
// file cannot be read or is not valid UTF-8.
// The read and the write by their original names; the program itself reads
// bytes (ReadBytes, DecodeUtf8) and writes through ReplaceAndSave.
QString ReadUtf8Text(const QString &path);

// A whole file's bytes; throws FileError when it cannot be read.
QByteArray ReadBytes(const QString &path);

// The bytes read from the path, decoded as ReadUtf8Text decodes them.
QString DecodeUtf8(const QByteArray &bytes, const QString &path);

// Writes the text as UTF-8, adding no byte-order mark (a text that starts with
// U+FEFF keeps it), in one atomic step: the path holds either what it held or
// the whole new text. Throws FileError, having changed nothing, when the text
// holds a lone surrogate or the write fails.
void WriteUtf8NoBom(const QString &text, const QString &path);

// The text's UTF-8 bytes; throws FileError naming the path for a lone surrogate.
QByteArray EncodeUtf8(const QString &text, const QString &path);

// Writes the bytes to a temporary file beside the path and renames it over the
// path (a symbolic link's target, for a link), keeping the file's permissions.
// `beforeRename` runs once the temporary file is complete; what it throws
// abandons the write. Throws FileError when the write fails.
void WriteAtomically(const QByteArray &bytes, const QString &path, const std::function<void()> &beforeRename = {});

// The same, the new file given the status's owner, group and mode. False,
// having changed nothing, when its owner or group may not be given. On Linux
// the new file is named .NAME.new (NewTextPathFor) from the moment it is whole
// on disk until the rename, and a file of that name is taken over.
bool WriteAtomicallyKeeping(const QByteArray &bytes, const QString &path, const FileStatus &status,
                            const std::function<void()> &beforeRename = {});

// .NAME.new beside the path: what a program stopped just before the rename leaves.
QString NewTextPathFor(const QString &path);

// The first half of WriteAtomicallyKeeping, for one of many files: the new file
// written and named .NAME.new, where it waits for the batch's flush (or, where
// the batch cannot cover it, for the disk on its own) before RenameNewText puts
// it over the path. OwnerRefused, nothing named: its owner or group may not be
// given. NotStaged, nothing named: WriteAtomicallyKeeping writes it whole.
enum class Staged { Named, OwnerRefused, NotStaged };
Staged StageNewText(const QByteArray &bytes, const QString &path, const FileStatus &status, DiskBatch &batch);
// .NAME.new renamed over the path; throws FileError, .NAME.new removed, when it cannot be.
void RenameNewText(const QString &path);
// .NAME.new removed: the new text is not to be put in place.
void DropNewText(const QString &path);

// Writes the bytes into the existing file, emptied first: its owner, mode and
// other names stay. Not atomic: a failure may leave it part written.
// `afterEmptied` runs once it is empty; what it throws ends the write.
void WriteInPlace(const QByteArray &bytes, const QString &path, const std::function<void()> &afterEmptied = {});

// A new file written beside the path and renamed over it by commit(). Every
// write is checked: a failure throws FileError of `kind`, and the path keeps
// what it held. A path that names no ordinary file (a device, a pipe) is
// written into, never replaced.
class AtomicWriter
{
public:
    AtomicWriter(const QString &path, Problem::Kind kind);
    void write(const QByteArray &bytes);
    void commit();

private:
    [[noreturn]] void fail();
    QSaveFile m_file;
    QFile m_device;
    QFileDevice *m_out;
    Problem::Kind m_kind;
};

} // namespace Utf8NoBomFile
