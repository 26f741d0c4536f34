#include "engine/replace/WritingMark.h"

#include "engine/files/SourcePaths.h"
#include "engine/files/Utf8NoBomFile.h"

#include <QCryptographicHash>
#include <QFile>

#include <sys/stat.h>

namespace WritingMark {
namespace {

const QByteArray Magic = "zelvane writing 1\n";

QByteArray sizeAndHash(const QByteArray &bytes)
{
    return QByteArray::number(bytes.size()) + ' ' + QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

// The mark's lines: its backup's size and hash, and the new bytes after them.
struct Parsed {
    bool valid = false;
    QByteArray backup;
    QByteArray newBytes;
};

Parsed parse(const QByteArray &mark)
{
    Parsed parsed;
    const qsizetype backupEnd = mark.indexOf('\n', Magic.size());
    const qsizetype newEnd = mark.indexOf('\n', backupEnd + 1);
    if (!mark.startsWith(Magic) || backupEnd < 0 || newEnd < 0)
        return parsed;
    const QByteArray backupLine = mark.sliced(Magic.size(), backupEnd - Magic.size());
    const QByteArray newLine = mark.sliced(backupEnd + 1, newEnd - backupEnd - 1);
    parsed.newBytes = mark.sliced(newEnd + 1);
    parsed.valid = backupLine.startsWith("backup ") && newLine == "new " + sizeAndHash(parsed.newBytes);
    parsed.backup = backupLine.sliced(7);
    return parsed;
}

// What a name is when it is no ordinary file of its own: lstat, so that a link
// is seen as a link.
Problem::FileNature natureOf(const QString &path)
{
    struct stat status;
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return Problem::Missing;
    if (S_ISLNK(status.st_mode))
        return Problem::Link;
    if (S_ISDIR(status.st_mode))
        return Problem::Folder;
    if (!S_ISREG(status.st_mode))
        return Problem::Special;
    if (status.st_nlink > 1)
        return Problem::HardLinked;
    return Problem::OrdinaryFile;
}

} // namespace

QString PathFor(const QString &file)
{
    const qsizetype name = file.lastIndexOf(u'/') + 1;
    QString hidden = file;
    return hidden.insert(name, u'.').append(QLatin1StringView(".writing"));
}

QByteArray Record(const QByteArray &backupBytes, const QByteArray &newBytes)
{
    return Magic + "backup " + sizeAndHash(backupBytes) + "\nnew " + sizeAndHash(newBytes) + '\n' + newBytes;
}

Look Inspect(const QString &file)
{
    const QString mark = PathFor(file);
    const QString backup = SourcePaths::BackupPathFor(file);
    const Problem::FileNature markIs = natureOf(mark);
    if (markIs == Problem::Missing)
        return Look();
    Look look;
    look.problem = ProblemAbout(Problem::MarkUnfit, file);
    look.problem.other = mark;
    look.problem.detail = backup;
    const auto found = [&look](Finding finding, Problem::Kind kind) {
        look.finding = finding;
        look.problem.kind = kind;
        return look;
    };
    if (markIs != Problem::OrdinaryFile) {
        look.problem.nature = markIs;
        return found(Finding::MarkUnfit, Problem::MarkUnfit);
    }
    Parsed record;
    try {
        record = parse(Utf8NoBomFile::ReadBytes(mark));
    } catch (const FileError &) {
    }
    if (!record.valid)
        return found(Finding::MarkUnfit, Problem::MarkUnreadable);
    const QByteArray bytes = Utf8NoBomFile::ReadBytes(file);
    look.problem.size = bytes.size();
    look.problem.total = record.newBytes.size();
    if (bytes == record.newBytes || sizeAndHash(bytes) == record.backup)
        return found(Finding::Whole, Problem::MarkWhole);
    if (!record.newBytes.startsWith(bytes))
        return found(Finding::ChangedSince, Problem::ChangedSinceMark);
    look.problem.nature = natureOf(backup);
    if (look.problem.nature != Problem::OrdinaryFile)
        return found(Finding::BackupUnfit, Problem::PartWrittenBackupUnfit);
    QByteArray old;
    try {
        old = Utf8NoBomFile::ReadBytes(backup);
    } catch (const FileError &error) {
        look.problem.reason = error.problem().reason;
        look.problem.systemError = error.problem().systemError;
        look.problem.deviceError = error.problem().deviceError;
        return found(Finding::BackupUnfit, Problem::PartWrittenBackupUnreadable);
    }
    if (sizeAndHash(old) != record.backup)
        return found(Finding::BackupUnfit, Problem::PartWrittenBackupOther);
    look.problem.offset = old.size();
    look.backupBytes = old;
    return found(Finding::PartWritten, Problem::PartWritten);
}

} // namespace WritingMark
