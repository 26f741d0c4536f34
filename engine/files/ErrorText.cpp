#include "engine/files/ErrorText.h"

#include <cstring>
#include <utility>

namespace {
QString describe(QFileDevice::FileError error)
{
    switch (error) {
    case QFileDevice::ReadError: return QStringLiteral("读取时出错");
    case QFileDevice::WriteError: return QStringLiteral("写入时出错");
    case QFileDevice::FatalError: return QStringLiteral("发生严重错误");
    case QFileDevice::ResourceError: return QStringLiteral("系统资源不足");
    case QFileDevice::OpenError: return QStringLiteral("无法打开");
    case QFileDevice::AbortError: return QStringLiteral("操作被中止");
    case QFileDevice::TimeOutError: return QStringLiteral("操作超时");
    case QFileDevice::RemoveError: return QStringLiteral("无法删除");
    case QFileDevice::RenameError: return QStringLiteral("无法重命名");
    case QFileDevice::PositionError: return QStringLiteral("无法定位");
    case QFileDevice::ResizeError: return QStringLiteral("无法改变大小");
    case QFileDevice::PermissionsError: return QStringLiteral("权限不足");
    case QFileDevice::CopyError: return QStringLiteral("无法复制");
    case QFileDevice::NoError:
    case QFileDevice::UnspecifiedError: break;
    }
    return QStringLiteral("未知错误");
}
// The system's own words, in Chinese where they are among the common ones;
// others are kept as the system gave them.
QString systemWords(const QString &english)
{
    static const std::pair<const char *, const char16_t *> Known[] = {
        {"Permission denied", u"没有权限"},
        {"Operation not permitted", u"不允许这样操作"},
        {"No space left on device", u"磁盘空间不足"},
        {"Disk quota exceeded", u"超出磁盘配额"},
        {"No such file or directory", u"文件或文件夹不存在"},
        {"Read-only file system", u"文件系统是只读的"},
        {"Is a directory", u"这是一个文件夹"},
        {"File name too long", u"文件名太长"},
        {"Input/output error", u"输入输出错误"},
        {"file to open is a directory", u"这是一个文件夹"},
        {"Unknown error", u"未知错误"},
        {"Too many open files", u"打开的文件太多"},
    };
    for (const auto &[words, chinese] : Known) {
        if (english.contains(QLatin1String(words), Qt::CaseInsensitive))
            return QString::fromUtf16(chinese);
    }
    return english;
}

} // namespace

QString FileErrorReason(const QFileDevice &device, int systemError)
{
    const QString reason = describe(device.error());
    QString words = device.errorString();
    if ((words.isEmpty() || words == QLatin1String("Unknown error")) && systemError != 0)
        words = QString::fromLocal8Bit(std::strerror(systemError));
    if (words.isEmpty())
        return reason;
    if (device.error() == QFileDevice::UnspecifiedError || device.error() == QFileDevice::NoError)
        return systemWords(words);
    return reason + QStringLiteral("（") + systemWords(words) + QStringLiteral("）");
}

FileError MakeFileError(FileErrorKind kind, const QString &path, const QString &reason, qint64 offset)
{
    QString text;
    switch (kind) {
    case FileErrorKind::CannotRead: text = QStringLiteral("无法读取文件 %1：%2").arg(path, reason); break;
    case FileErrorKind::NotUtf8:
        text = QStringLiteral("文件 %1 不是有效的 UTF-8 编码（%2第 %3 个字节处出错）。为避免替换时损坏文件内容，已拒绝载入。")
                   .arg(path, reason, QString::number(offset + 1));
        break;
    case FileErrorKind::CannotWrite: text = QStringLiteral("无法写入文件 %1：%2\r\n文件没有被修改。").arg(path, reason); break;
    case FileErrorKind::PartlyWritten: text = QStringLiteral("无法写入文件 %1：%2\r\n文件可能只写入了一部分。").arg(path, reason); break;
    case FileErrorKind::CannotReadCatalog: text = QStringLiteral("无法读取翻译文件 %1：%2").arg(path, reason); break;
    case FileErrorKind::MalformedCatalog:
        text = QStringLiteral("无法读取翻译文件 %1：%2\n文件格式不对，什么也没有导入。").arg(path, reason);
        break;
    case FileErrorKind::CannotWriteCatalog: text = QStringLiteral("无法写入翻译文件 %1：%2").arg(path, reason); break;
    case FileErrorKind::MalformedForm:
        text = QStringLiteral("无法读取界面文件 %1：%2\n它不是格式正确的 XML，没有改动。").arg(path, reason);
        break;
    case FileErrorKind::Other: text = reason; break;
    }
    return FileError(text, path, offset);
}
