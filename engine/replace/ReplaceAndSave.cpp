#include "engine/replace/ReplaceAndSave.h"

#include "engine/files/DiskBatch.h"
#include "engine/files/FileError.h"
#include "engine/files/FileStatus.h"
#include "engine/replace/OwnLiterals.h"
#include "engine/scan/FormStrings.h"
#include "engine/files/SourcePaths.h"
#include "engine/files/Utf8NoBomFile.h"
#include "engine/files/WriteLock.h"
#include "engine/replace/WritingMark.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <atomic>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using SourcePaths::BackupPathFor;
using SourcePaths::IsOrdinaryFile;

namespace {

void refuseUnlessReplaceable(const ReplaceRequest &request, const QString &target)
{
    if (request.path.isEmpty())
        throw FileProblem(Problem::NothingLoaded, QString());
    const QFileInfo info(target); // a link is judged by what it points to
    if (!info.exists())
        throw FileProblem(Problem::FileGone, target);
    if (!info.isFile())
        throw FileProblem(Problem::NotAFile, target);
    const QString backup = BackupPathFor(target);
    const QFileInfo backupInfo(backup);
    if ((backupInfo.exists() || backupInfo.isSymLink()) && !IsOrdinaryFile(backup)) {
        Problem taken = ProblemAbout(Problem::BackupNameTaken, target);
        taken.other = backup;
        throw FileError(taken).followedBy(Problem::LeftUnchanged);
    }
}

QByteArray currentBytes(const QString &path)
{
    try {
        return Utf8NoBomFile::ReadBytes(path);
    } catch (const FileError &error) {
        throw error.followedBy(Problem::LeftUnchanged);
    }
}

// A refusal the caller may ask the user about.
ReplaceResult refused(Refusal refusal, const Problems &recovered)
{
    ReplaceResult result;
    result.recovered = recovered;
    result.refusal = refusal;
    return result;
}

// A hidden name in the same folder as `path`: ".NAME" + suffix. Built from the
// path's own text, since a load asks for it once a file.
QString hiddenBeside(const QString &path, QLatin1StringView suffix)
{
    const qsizetype name = path.lastIndexOf(u'/') + 1;
    QString hidden = path;
    return hidden.insert(name, u'.').append(suffix);
}

// Where an older backup waits, hidden beside it, until the new file is in place.
QString asidePathFor(const QString &backup) { return hiddenBeside(backup, QLatin1StringView(".old")); }

// Whether anything has the name, a dangling link too: one lstat.
bool present(const QString &path)
{
    struct stat status;
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0;
}

// The file put back to the backup's bytes. The mark first records that write,
// so that a restore stopped half-way is again a write the mark can tell.
void restoreFromBackup(const QString &target, const QByteArray &backupBytes)
{
    const QString mark = WritingMark::PathFor(target);
    Utf8NoBomFile::WriteAtomically(WritingMark::Record(backupBytes, backupBytes), mark);
    Utf8NoBomFile::WriteInPlace(backupBytes, target);
    QFile::remove(mark);
}

// An older backup set aside by a replace that stopped before it ended: put back
// when that replace wrote nothing (the new backup is the file as it is), else
// deleted, since the backup that replaced it is of a newer generation.
Problems settleAsideBackup(const QString &target)
{
    const QString backup = BackupPathFor(target);
    const QString aside = asidePathFor(backup);
    if (!present(aside))
        return {};
    bool replaced = present(backup);
    if (replaced) {
        try {
            replaced = Utf8NoBomFile::ReadBytes(backup) != Utf8NoBomFile::ReadBytes(target);
        } catch (const FileError &) {
            return {}; // left for a run that can read them
        }
    }
    if (replaced) {
        QFile::remove(aside);
        return {};
    }
    QFile::remove(backup); // none, or the file's own bytes once more
    if (!QFile::rename(aside, backup))
        return {};
    Problem putBack = ProblemAbout(Problem::OlderBackupPutBack, target);
    putBack.other = backup;
    return {putBack};
}

// What a mark beside the file says, settled as far as `mayRestore` lets: a
// whole file loses its mark, a part-written one is restored from its backup
// once mayRestore agrees. Without mayRestore nothing is written.
MarkOutcome settleMark(const QString &target, const MayRestore &mayRestore)
{
    using WritingMark::Finding;
    const WritingMark::Look look = WritingMark::Inspect(target);
    MarkOutcome outcome{{}, true, look.finding != Finding::None};
    if (look.finding == Finding::None)
        return outcome;
    outcome.problems = {look.problem};
    const auto then = [&](Problem::Kind kind, const QString &reason = QString()) {
        Problem done = ProblemAbout(kind, target, reason);
        done.other = SourcePaths::BackupPathFor(target);
        outcome.problems.append(done);
    };
    switch (look.finding) {
    case Finding::None: break;
    case Finding::Whole: // nothing to put right: the mark goes now, or with the next load that may write
        outcome.markStays = false;
        if (!mayRestore)
            then(Problem::MarkWillGo);
        else if (QFile::remove(WritingMark::PathFor(target)))
            then(Problem::MarkRemoved);
        break;
    case Finding::PartWritten:
        outcome.fileUsable = false;
        if (!mayRestore) {
            then(Problem::WillRestore);
            break;
        }
        if (!mayRestore(look.problem)) {
            then(Problem::NotRestored);
            break;
        }
        try {
            restoreFromBackup(target, look.backupBytes);
        } catch (const FileError &error) {
            then(Problem::RestoreFailed);
            outcome.problems += error.problems();
            break;
        }
        outcome = {{}, true, false};
        then(Problem::Restored);
        break;
    case Finding::BackupUnfit: outcome.fileUsable = false; break;
    case Finding::ChangedSince:
    case Finding::MarkUnfit: break;
    }
    return outcome;
}

OwnLiterals applyRows(const ReplaceRequest &request)
{
    if (request.ownLiterals)
        return ReplaceOwnLiterals(request.sourceText, request.spans, request.replacements);
    return ApplyPairsTrackingSpans(request.sourceText, request.spans, request.found, request.replacements);
}

// An older ordinary NAME.backup, kept under a hidden name until the new file is
// in place, so that a failure can put it back.
class OldBackup
{
public:
    explicit OldBackup(const QString &backup) : m_backup(backup)
    {
        if (!IsOrdinaryFile(backup))
            return;
        m_aside = asidePathFor(backup);
        QFile file(backup);
        if (file.rename(m_aside))
            return;
        m_aside.clear();
        FileError stuck = DeviceError(Problem::OldBackupStuck, backup, file);
        throw stuck.followedBy(Problem::LeftUnchanged);
    }

    // The replace failed: the new backup goes, the older one comes back; false
    // when it could not, and waits under its hidden name.
    bool restore()
    {
        QFile::remove(m_backup);
        return m_aside.isEmpty() || QFile::rename(m_aside, m_backup);
    }
    QString aside() const { return m_aside; }

    void discard()
    {
        if (!m_aside.isEmpty())
            QFile::remove(m_aside);
    }

private:
    QString m_backup;
    QString m_aside;
};

// NAME itself under a second name, NAME.backup, when that name still shows
// the bytes read: nothing copied and nothing to wait for, and the owner, mode,
// times and attributes are its own. False, nothing left, where the file system
// has no such names or NAME changed since it was read.
bool linkBackup(const QString &target, const QByteArray &bytes, const QString &backup)
{
#ifdef Q_OS_UNIX
    if (::linkat(AT_FDCWD, QFile::encodeName(target).constData(), AT_FDCWD, QFile::encodeName(backup).constData(), AT_SYMLINK_FOLLOW) != 0)
        return false;
    bool same = false;
    try {
        same = Utf8NoBomFile::ReadBytes(backup) == bytes;
    } catch (const FileError &) {
    }
    if (!same)
        QFile::remove(backup);
    return same;
#else
    Q_UNUSED(target);
    Q_UNUSED(bytes);
    Q_UNUSED(backup);
    return false;
#endif
}

// NAME's bytes as NAME.backup, a copy with NAME's owner, group, mode and time
// of change where they may be given.
void copyBackup(const QByteArray &bytes, const QString &backup, FileStatus status, const std::function<void()> &written = {})
{
    status.keepModified = true;
    if (!Utf8NoBomFile::WriteAtomicallyKeeping(bytes, backup, status, written))
        Utf8NoBomFile::WriteAtomicallyKeeping(bytes, backup, status.modeOnly(), written);
}

// NAME's bytes as NAME.backup: a second name of a file of one name (NAME is
// renamed over next, and its old file stays as the backup), else a copy. True
// when it is a second name.
bool writeBackup(const QString &target, const QByteArray &bytes, const QString &backup, const FileStatus &status,
                 const std::function<void()> &written)
{
    if (status.links > 1) {
        copyBackup(bytes, backup, status, written);
        return false;
    }
    written();
    if (linkBackup(target, bytes, backup))
        return true;
    copyBackup(bytes, backup, status);
    return false;
}

} // namespace

// The rest of a replace whose new text waits beside NAME as .NAME.new for a
// batch's sync: NAME's lock, and the older backup set aside. Finished by the
// batch's flush, on whichever thread flushes.
class PendingReplace
{
public:
    PendingReplace(std::unique_ptr<WriteLock> lock, const OldBackup &oldBackup, const QString &target)
        : m_lock(std::move(lock)), m_oldBackup(oldBackup), m_target(target)
    {
    }
    // Never finished: the new text goes, and NAME.backup is what it was.
    ~PendingReplace()
    {
        if (m_state.load() == Waiting)
            undo();
    }

    // The new text renamed over NAME when the sync saw it on disk; else
    // undone, and why kept for failure(). NAME's lock goes either way.
    void finish(int syncError)
    {
        try {
            if (syncError != 0)
                throw WriteFailure(m_target, QFileDevice::WriteError, syncError);
            Utf8NoBomFile::RenameNewText(m_target);
            m_oldBackup.discard();
            m_lock.reset();
            m_state.store(Written);
        } catch (const FileError &error) { // says the file is as it was
            m_failure = undo() ? error : error.followedBy(Problem::OlderBackupKept, m_oldBackup.aside());
            m_lock.reset();
            m_state.store(Failed);
        }
    }

    bool waiting() const { return m_state.load() == Waiting; }
    const std::optional<FileError> &failure() const { return m_failure; }

private:
    enum State { Waiting, Written, Failed };

    bool undo()
    {
        Utf8NoBomFile::DropNewText(m_target);
        return m_oldBackup.restore();
    }

    std::unique_ptr<WriteLock> m_lock;
    OldBackup m_oldBackup;
    QString m_target;
    std::optional<FileError> m_failure;
    std::atomic<int> m_state{Waiting}; // set last: another thread reads the failure once it is not Waiting
};

bool StillWaiting(const PendingReplace &pending)
{
    return pending.waiting();
}

void ThrowIfNotWritten(const PendingReplace &pending)
{
    if (pending.failure())
        throw *pending.failure();
}

ReplaceResult ReplaceAndSave(const ReplaceRequest &request, const ReplaceHook &hook)
{
    const auto reach = [&hook](ReplaceStep step) {
        if (hook)
            hook(step);
    };
    const QString &target = request.path;
    refuseUnlessReplaceable(request, target);
    // A write that waits with others lets them go before it waits for another process.
    auto lock = std::make_unique<WriteLock>(target, 10000, [&request] { if (request.batch) request.batch->flush(); });
    if (!lock->locked())
        throw FileError(lock->busy()).followedBy(Problem::LeftUnchanged);
    ReplaceResult result;
    const MarkOutcome mark = settleMark(target, [](const Problem &) { return true; });
    if (!mark.fileUsable || mark.markStays)
        throw FileError(mark.problems).followedBy(Problem::LeftUnchanged);
    result.recovered = mark.problems + settleAsideBackup(target);
    const QByteArray oldBytes = currentBytes(target);
    if (request.diskBytes && *request.diskBytes != oldBytes)
        return refused(Refusal::ChangedOnDisk, result.recovered);
    OwnLiterals written = applyRows(request);
    result.text = std::move(written.text);
    result.spans = std::move(written.spans);
    result.bytes = EncodeForm(result.text, request.encoding, target); // UTF-8 unless a form names another
    const QString backup = BackupPathFor(target);
    if (result.bytes == oldBytes)
        return result; // nothing to write: the file and its backup stay as they are
    const FileStatus status = StatusOf(target);
    if (status.readOnly() && !request.allowReadOnly)
        return refused(Refusal::ReadOnly, result.recovered);

    OldBackup oldBackup(backup);
    bool emptied = false;
    try {
        reach(ReplaceStep::OldBackupSetAside);
        const bool linked = writeBackup(target, oldBytes, backup, status, [&] { reach(ReplaceStep::BackupWritten); });
        reach(ReplaceStep::BackupInPlace);
        const Utf8NoBomFile::Staged staged = status.links <= 1 && request.batch
            ? Utf8NoBomFile::StageNewText(result.bytes, target, status, *request.batch) : Utf8NoBomFile::Staged::NotStaged;
        if (staged == Utf8NoBomFile::Staged::Named) {
            try {
                reach(ReplaceStep::FileWritten);
            } catch (...) {
                Utf8NoBomFile::DropNewText(target);
                throw;
            }
            result.pending = std::make_shared<PendingReplace>(std::move(lock), oldBackup, target);
            request.batch->add([pending = result.pending](int syncError) { pending->finish(syncError); });
            return result;
        }
        const bool replaced = status.links <= 1 && staged == Utf8NoBomFile::Staged::NotStaged
            && Utf8NoBomFile::WriteAtomicallyKeeping(result.bytes, target, status, [&] { reach(ReplaceStep::FileWritten); });
        if (!replaced) {
            if (linked) // NAME is about to be written into: its backup becomes a file of its own first
                copyBackup(oldBytes, backup, status);
            const QString mark = WritingMark::PathFor(target);
            Utf8NoBomFile::WriteAtomically(WritingMark::Record(oldBytes, result.bytes), mark);
            Utf8NoBomFile::WriteInPlace(result.bytes, target, [&] {
                emptied = true;
                reach(ReplaceStep::FileEmptied);
            });
            QFile::remove(mark); // the new text is on disk
            QFile::remove(Utf8NoBomFile::NewTextPathFor(target)); // a new text a stopped write left unrenamed
        }
    } catch (const FileError &error) {
        if (emptied) { // the backup holds the only whole copy now: it stays
            oldBackup.discard();
            throw error.followedBy(Problem::OldTextKeptInBackup, backup);
        }
        QFile::remove(WritingMark::PathFor(target));
        if (!oldBackup.restore())
            throw error.followedBy(Problem::OlderBackupKept, oldBackup.aside());
        throw;
    } catch (...) {
        if (!emptied)
            oldBackup.restore();
        throw;
    }
    reach(ReplaceStep::FileInPlace);
    oldBackup.discard();
    result.written = true;
    return result;
}

MarkOutcome RecoverInterruptedWrite(const QString &path, const MayRestore &mayRestore)
{
    const bool marked = present(WritingMark::PathFor(path));
    if (!mayRestore)
        return marked ? settleMark(path, mayRestore) : MarkOutcome();
    if (!marked && !present(asidePathFor(BackupPathFor(path))))
        return MarkOutcome();
    const WriteLock lock(path);
    if (!lock.locked())
        throw FileError(lock.busy());
    MarkOutcome outcome = settleMark(path, mayRestore);
    outcome.problems += settleAsideBackup(path);
    return outcome;
}
