#include "engine/replace/ReplaceAndSave.h"

#include "engine/files/ErrorText.h"
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

#include <sys/stat.h>

using SourcePaths::BackupPathFor;
using SourcePaths::IsOrdinaryFile;

namespace {

const QString Unchanged = QStringLiteral("\r\n文件没有被修改。");

void refuseUnlessReplaceable(const ReplaceRequest &request, const QString &target)
{
    if (request.path.isEmpty())
        throw FileError(QStringLiteral("还没有载入文件，没有可以写入的修改。"));
    const QFileInfo info(target); // a link is judged by what it points to
    if (!info.exists())
        throw FileError(QStringLiteral("文件 %1 已不存在，无法替换。").arg(target));
    if (!info.isFile())
        throw FileError(QStringLiteral("%1 不是一个文件，无法替换。").arg(target));
    const QString backup = BackupPathFor(target);
    const QFileInfo backupInfo(backup);
    if ((backupInfo.exists() || backupInfo.isSymLink()) && !IsOrdinaryFile(backup))
        throw FileError(QStringLiteral("备份文件名 %1 已被一个文件夹或隐藏文件占用，无法备份。").arg(backup) + Unchanged);
}

QByteArray currentBytes(const QString &path)
{
    try {
        return Utf8NoBomFile::ReadBytes(path);
    } catch (const FileError &error) {
        throw FileError(error.message() + Unchanged);
    }
}

// The refusal of a file whose bytes changed since the window last loaded or wrote it.
ReplaceResult changedOnDisk(const QString &target, const QString &recovered)
{
    ReplaceResult refused;
    refused.recovered = recovered;
    refused.refusal = Refusal::ChangedOnDisk;
    refused.refusalText = QStringLiteral("文件 %1 在载入（或上一次替换）之后被修改过，磁盘上的内容已经和载入时不同。").arg(target);
    return refused;
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

QString joinedLines(QStringList lines)
{
    lines.removeAll(QString());
    return lines.join(u'\n');
}

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
QString settleAsideBackup(const QString &target)
{
    const QString backup = BackupPathFor(target);
    const QString aside = asidePathFor(backup);
    if (!present(aside))
        return QString();
    bool replaced = present(backup);
    if (replaced) {
        try {
            replaced = Utf8NoBomFile::ReadBytes(backup) != Utf8NoBomFile::ReadBytes(target);
        } catch (const FileError &) {
            return QString(); // left for a run that can read them
        }
    }
    if (replaced) {
        QFile::remove(aside);
        return QString();
    }
    QFile::remove(backup); // none, or the file's own bytes once more
    if (!QFile::rename(aside, backup))
        return QString();
    return QStringLiteral("上一次替换 %1 时被中断：旧的备份已经放回 %2。").arg(target, backup);
}

// What a mark beside the file says, settled as far as `mayRestore` lets: a
// whole file loses its mark, a part-written one is restored from its backup
// once mayRestore agrees. Without mayRestore nothing is written.
MarkOutcome settleMark(const QString &target, const MayRestore &mayRestore)
{
    using WritingMark::Finding;
    const WritingMark::Look look = WritingMark::Inspect(target);
    MarkOutcome outcome{look.words, true, look.finding != Finding::None};
    switch (look.finding) {
    case Finding::None: break;
    case Finding::Whole: // nothing to put right: the mark goes now, or with the next load that may write
        outcome.markStays = false;
        if (!mayRestore)
            outcome.words += QStringLiteral("导入（不带 --dry-run）或在窗口中打开它时会删除这个标记。");
        else if (QFile::remove(WritingMark::PathFor(target)))
            outcome.words += QStringLiteral("已经删除这个标记。");
        break;
    case Finding::PartWritten:
        outcome.fileUsable = false;
        if (!mayRestore) {
            outcome.words += QStringLiteral("导入（不带 --dry-run）或在窗口中打开它时会用备份恢复。");
            break;
        }
        if (!mayRestore(look.words + QStringLiteral("\n\n用备份恢复 %1 吗？现在只写入了一部分的内容会被备份的内容替换。").arg(target))) {
            outcome.words += QStringLiteral("没有恢复，文件没有载入。");
            break;
        }
        try {
            restoreFromBackup(target, look.backupBytes);
        } catch (const FileError &error) {
            outcome.words += QStringLiteral("无法用备份恢复：%1").arg(error.message());
            break;
        }
        outcome = {QStringLiteral("上一次写入 %1 时被中断，文件只写入了一部分：已经用备份 %2 恢复成替换前的内容。")
                       .arg(target, BackupPathFor(target)), true, false};
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
        throw FileError(QStringLiteral("无法删除旧的备份文件 %1：%2").arg(backup, FileErrorReason(file)) + Unchanged);
    }

    // The replace failed: the new backup goes, the older one comes back.
    QString restore()
    {
        QFile::remove(m_backup);
        if (m_aside.isEmpty() || QFile::rename(m_aside, m_backup))
            return QString();
        return QStringLiteral("\r\n上一次的备份保存在 %1 中。").arg(m_aside);
    }

    void discard()
    {
        if (!m_aside.isEmpty())
            QFile::remove(m_aside);
    }

private:
    QString m_backup;
    QString m_aside;
};

// NAME's bytes as NAME.backup, with NAME's owner, group, mode and time of change where they may be given.
void writeBackup(const QByteArray &bytes, const QString &backup, FileStatus status, const std::function<void()> &written)
{
    status.keepModified = true;
    if (!Utf8NoBomFile::WriteAtomicallyKeeping(bytes, backup, status, written))
        Utf8NoBomFile::WriteAtomicallyKeeping(bytes, backup, status.modeOnly(), written);
}

} // namespace

ReplaceResult ReplaceAndSave(const ReplaceRequest &request, const ReplaceHook &hook)
{
    const auto reach = [&hook](ReplaceStep step) {
        if (hook)
            hook(step);
    };
    const QString &target = request.path;
    refuseUnlessReplaceable(request, target);
    const WriteLock lock(target);
    if (!lock.locked())
        throw FileError(WriteLock::busyText(target));
    ReplaceResult result;
    const MarkOutcome mark = settleMark(target, [](const QString &) { return true; });
    if (!mark.fileUsable || mark.markStays)
        throw FileError(mark.words + Unchanged);
    result.recovered = joinedLines({mark.words, settleAsideBackup(target)});
    const QByteArray oldBytes = currentBytes(target);
    if (request.diskBytes && *request.diskBytes != oldBytes)
        return changedOnDisk(target, result.recovered);
    OwnLiterals written = applyRows(request);
    result.text = std::move(written.text);
    result.spans = std::move(written.spans);
    result.bytes = EncodeForm(result.text, request.encoding, target); // UTF-8 unless a form names another
    const QString backup = BackupPathFor(target);
    if (result.bytes == oldBytes)
        return result; // nothing to write: the file and its backup stay as they are
    const FileStatus status = StatusOf(target);
    if (status.readOnly() && !request.allowReadOnly) {
        ReplaceResult refused;
        refused.recovered = result.recovered;
        refused.refusal = Refusal::ReadOnly;
        refused.refusalText = QStringLiteral("%1 是只读文件。").arg(QFileInfo(target).fileName());
        return refused;
    }

    OldBackup oldBackup(backup);
    bool emptied = false;
    try {
        reach(ReplaceStep::OldBackupSetAside);
        writeBackup(oldBytes, backup, status, [&] { reach(ReplaceStep::BackupWritten); });
        reach(ReplaceStep::BackupInPlace);
        const bool replaced = status.links <= 1
            && Utf8NoBomFile::WriteAtomicallyKeeping(result.bytes, target, status, [&] { reach(ReplaceStep::FileWritten); });
        if (!replaced) {
            const QString mark = WritingMark::PathFor(target);
            Utf8NoBomFile::WriteAtomically(WritingMark::Record(oldBytes, result.bytes), mark);
            Utf8NoBomFile::WriteInPlace(result.bytes, target, [&] {
                emptied = true;
                reach(ReplaceStep::FileEmptied);
            });
            QFile::remove(mark); // the new text is on disk
        }
    } catch (const FileError &error) {
        if (emptied) { // the backup holds the only whole copy now: it stays
            oldBackup.discard();
            throw FileError(error.message() + QStringLiteral("\r\n替换前的文件完整地保存在 %1 中。").arg(backup));
        }
        QFile::remove(WritingMark::PathFor(target));
        throw FileError(error.message() + oldBackup.restore());
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
        throw FileError(WriteLock::busyText(path));
    MarkOutcome outcome = settleMark(path, mayRestore);
    outcome.words = joinedLines({outcome.words, settleAsideBackup(path)});
    return outcome;
}

QString ReplaceConfirmation(const ReplaceRequest &request, const ReplaceResult &result)
{
    const QString &target = request.path;
    const QString fileName = QFileInfo(target).fileName();
    if (!result.written)
        return QStringLiteral("%1 没有需要写入的修改。").arg(fileName);
    const QString backup = BackupPathFor(target);
    if (!IsOrdinaryFile(backup))
        return QString();
    return QStringLiteral("已经替换 %1。替换前的文件保存在 %2。").arg(fileName, QFileInfo(backup).fileName());
}
