#include "engine/ReplaceAndSave.h"

#include "engine/FaultInjection.h"
#include "engine/FileError.h"
#include "engine/SourcePaths.h"
#include "engine/Utf8NoBomFile.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

using SourcePaths::BackupPathFor;
using SourcePaths::IsOrdinaryFile;

namespace {

// Removes the prepared file unless it was moved into place.
class PreparedFile
{
public:
    explicit PreparedFile(const QString &target)
    {
        const QFileInfo info(target);
        QTemporaryFile reserve(info.absolutePath() + QStringLiteral("/.") + info.fileName()
                               + QStringLiteral(".XXXXXX.zelvane"));
        reserve.setAutoRemove(false);
        if (!reserve.open())
            throw FileError(QStringLiteral("无法在文件夹 %1 中创建临时文件：%2")
                                .arg(info.absolutePath(), reserve.errorString()));
        m_path = reserve.fileName();
    }
    ~PreparedFile()
    {
        if (!m_placed)
            QFile::remove(m_path);
    }
    PreparedFile(const PreparedFile &) = delete;
    PreparedFile &operator=(const PreparedFile &) = delete;

    const QString &path() const { return m_path; }
    void markPlaced() { m_placed = true; }

private:
    QString m_path;
    bool m_placed = false;
};

bool renameFile(const QString &from, const QString &to, FaultInjection::Point fault, QString *reason)
{
    if (FaultInjection::IsArmed(fault)) {
        *reason = QStringLiteral("重命名失败");
        return false;
    }
    QFile file(from);
    if (file.rename(to))
        return true;
    *reason = file.errorString();
    return false;
}

void refuseUnlessReplaceable(const ReplaceHost &host, const QString &target)
{
    if (host.loadedFilePath().isEmpty())
        throw FileError(QStringLiteral("还没有载入文件。请先在文件列表中双击一个 .cpp 文件。"));
    if (host.selectedFileName().isEmpty())
        throw FileError(QStringLiteral("没有选中文件。请先在文件列表中选中要替换的文件。"));
    if (!SourcePaths::SameFile(target, host.loadedFilePath()))
        throw FileError(QStringLiteral("选中的文件 %1 不是当前载入的文件 %2。\r\n"
                                       "请双击选中的文件重新载入，或选中已载入的文件后再替换。")
                            .arg(target, host.loadedFilePath()));
    const QFileInfo info(target);
    if (!info.exists())
        throw FileError(QStringLiteral("文件 %1 已不存在，无法替换。").arg(target));
    if (!info.isFile())
        throw FileError(QStringLiteral("%1 不是一个文件，无法替换。").arg(target));
}

// Moves an ordinary old backup out of the way under a hidden name, so that it
// can be put back if a later step fails. Returns the name it now has, or an
// empty string when there was no ordinary backup.
QString setOldBackupAside(const QString &backup)
{
    if (!IsOrdinaryFile(backup))
        return QString();
    const QFileInfo info(backup);
    QTemporaryFile reserve(info.absolutePath() + QStringLiteral("/.") + info.fileName()
                           + QStringLiteral(".XXXXXX.old"));
    reserve.setAutoRemove(false);
    QString reason;
    if (reserve.open()) {
        const QString aside = reserve.fileName();
        reserve.close();
        QFile::remove(aside); // only its name was wanted
        if (renameFile(backup, aside, FaultInjection::Point::DeleteBackup, &reason))
            return aside;
    } else {
        reason = reserve.errorString();
    }
    throw FileError(QStringLiteral("无法删除旧的备份文件 %1：%2\r\n文件没有被修改。").arg(backup, reason));
}

void putBack(const QString &from, const QString &to)
{
    if (!from.isEmpty())
        QFile::rename(from, to);
}

// Moves the file to its backup name, then the prepared file to the file's name.
// On failure everything that was moved goes back where it was.
void swapIntoPlace(PreparedFile &prepared, const QString &target, const QString &backup)
{
    const QString oldBackup = setOldBackupAside(backup);
    QString reason;
    if (!renameFile(target, backup, FaultInjection::Point::RenameToBackup, &reason)) {
        putBack(oldBackup, backup);
        throw FileError(QStringLiteral("无法把文件 %1 重命名为备份 %2：%3\r\n文件没有被修改。")
                            .arg(target, backup, reason));
    }
    if (renameFile(prepared.path(), target, FaultInjection::Point::MoveIntoPlace, &reason)) {
        prepared.markPlaced();
        if (!oldBackup.isEmpty())
            QFile::remove(oldBackup);
        return;
    }
    if (QFile::rename(backup, target)) {
        putBack(oldBackup, backup);
        throw FileError(QStringLiteral("无法写入文件 %1：%2\r\n文件没有被修改。").arg(target, reason));
    }
    QString message = QStringLiteral("无法写入文件 %1：%2\r\n原始文件保存在备份文件 %3 中。")
                          .arg(target, reason, backup);
    if (!oldBackup.isEmpty())
        message += QStringLiteral("\r\n上一次的备份保存在 %1 中。").arg(oldBackup);
    throw FileError(message);
}

// Writes the new text to the prepared file. A failure names the user's file,
// not the hidden temporary one, and says that the file is as it was.
void writePrepared(const PreparedFile &prepared, const QString &text, const QString &target)
{
    try {
        Utf8NoBomFile::WriteUtf8NoBom(text, prepared.path());
    } catch (const FileError &error) {
        QString message = error.message();
        message.replace(prepared.path(), target);
        throw FileError(message + QStringLiteral("\r\n文件没有被修改。"));
    }
}

} // namespace

void ReplaceAndSave(ReplaceHost &host)
{
    const QString fileName = host.selectedFileName();
    const QString target = SourcePaths::JoinSelectedPath(host.fileFolder(), fileName);
    refuseUnlessReplaceable(host, target);

    const QString replaced = ApplyPairs(host.sourceText(), host.foundRows(), host.replacementRows());
    host.setCurrentPath(target);

    const QString backup = BackupPathFor(target);
    PreparedFile prepared(target);
    writePrepared(prepared, replaced, target);
    QFile::setPermissions(prepared.path(), QFile::permissions(target));

    swapIntoPlace(prepared, target, backup);
    // Only now: after a failure the file is as it was, so the next press must
    // apply the rows to the text it holds, not to a text never written.
    host.setSourceText(replaced);

    if (IsOrdinaryFile(backup)) {
        host.showMessage(QStringLiteral("已经替换 ") + fileName + QStringLiteral(" 。\r\n原始文件已经事先备份。"),
                         ReplaceTitle(), MessageIcon::Information);
    }
}
