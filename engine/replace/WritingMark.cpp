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

// Why a name is no ordinary file of its own, or nothing when it is one: lstat,
// so that a link is seen as a link.
QString notOwnFile(const QString &path)
{
    struct stat status;
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return QStringLiteral("不存在");
    if (S_ISLNK(status.st_mode))
        return QStringLiteral("是一个链接");
    if (S_ISDIR(status.st_mode))
        return QStringLiteral("是一个文件夹");
    if (!S_ISREG(status.st_mode))
        return QStringLiteral("不是普通文件");
    if (status.st_nlink > 1)
        return QStringLiteral("还有别的名字（硬链接）");
    return QString();
}

Look found(Finding finding, const QString &words) { return Look{finding, QByteArray(), words}; }

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
    const QString markIs = notOwnFile(mark);
    if (markIs == QStringLiteral("不存在"))
        return Look();
    const QString start = QStringLiteral("%1 旁边有上一次写入时留下的标记 %2，").arg(file, mark);
    if (!markIs.isEmpty())
        return found(Finding::MarkUnfit, start + QStringLiteral("但它%1，不是 Zelvane 的写入标记：没有处理。").arg(markIs));
    Parsed record;
    try {
        record = parse(Utf8NoBomFile::ReadBytes(mark));
    } catch (const FileError &) {
    }
    if (!record.valid)
        return found(Finding::MarkUnfit, start + QStringLiteral("但无法读懂它的内容：没有处理。"));
    const QByteArray bytes = Utf8NoBomFile::ReadBytes(file);
    if (bytes == record.newBytes || sizeAndHash(bytes) == record.backup)
        return found(Finding::Whole, start + QStringLiteral("文件是完整的（%1 字节）。").arg(bytes.size()));
    if (!record.newBytes.startsWith(bytes)) {
        return found(Finding::ChangedSince,
                     start + QStringLiteral("但文件在那之后又被修改过（现在 %1 字节）：没有用备份恢复，标记保留。备份 %2 保存着那次写入之前的内容；"
                                            "确认文件无误后，请删除 %3。").arg(QString::number(bytes.size()), backup, mark));
    }
    const QString partly = start + QStringLiteral("文件只写入了一部分（%1 字节，共 %2 字节），").arg(bytes.size()).arg(record.newBytes.size());
    const QString backupIs = notOwnFile(backup);
    if (!backupIs.isEmpty())
        return found(Finding::BackupUnfit, partly + QStringLiteral("而备份 %1 %2：没有恢复。").arg(backup, backupIs));
    QByteArray old;
    try {
        old = Utf8NoBomFile::ReadBytes(backup);
    } catch (const FileError &error) {
        return found(Finding::BackupUnfit, partly + QStringLiteral("而备份无法读取：%1").arg(error.message()));
    }
    if (sizeAndHash(old) != record.backup)
        return found(Finding::BackupUnfit, partly + QStringLiteral("而备份 %1 已经不是那次写入时的备份：没有恢复。").arg(backup));
    return Look{Finding::PartWritten, old,
                partly + QStringLiteral("备份 %1 保存着写入之前的完整内容（%2 字节）。").arg(backup).arg(old.size())};
}

} // namespace WritingMark
