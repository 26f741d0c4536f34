#include "engine/ErrorText.h"

namespace {
QString describe(QFileDevice::FileError error)
{
    switch (error) {
    case QFileDevice::ReadError: return QStringLiteral("读取时出错");
    case QFileDevice::WriteError: return QStringLiteral("写入时出错");
    case QFileDevice::FatalError: return QStringLiteral("发生严重错误");
    case QFileDevice::ResourceError: return QStringLiteral("系统资源不足（例如磁盘已满）");
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
} // namespace

QString FileErrorReason(const QFileDevice &device)
{
    const QString reason = describe(device.error());
    return device.errorString().isEmpty() ? reason : reason + QStringLiteral("（") + device.errorString() + QStringLiteral("）");
}
