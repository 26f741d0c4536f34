#include "engine/files/FileStatus.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/xattr.h>
#endif

namespace {

#ifdef Q_OS_LINUX
// The extended attributes a user gave the file, and its access list: what
// another program (a backup tool, a desktop's tags, setfacl) keeps there.
QList<QPair<QByteArray, QByteArray>> attributesOf(const QByteArray &path)
{
    QList<QPair<QByteArray, QByteArray>> kept;
    const ssize_t size = ::listxattr(path.constData(), nullptr, 0);
    if (size <= 0)
        return kept;
    QByteArray names(size, '\0');
    const ssize_t listed = ::listxattr(path.constData(), names.data(), size_t(names.size()));
    for (const QByteArray &name : names.left(qMax<ssize_t>(listed, 0)).split('\0')) {
        if (!name.startsWith("user.") && name != "system.posix_acl_access")
            continue;
        const ssize_t length = ::getxattr(path.constData(), name.constData(), nullptr, 0);
        QByteArray value(qMax<ssize_t>(length, 0), '\0');
        if (length >= 0 && ::getxattr(path.constData(), name.constData(), value.data(), size_t(value.size())) == length)
            kept.append({name, value});
    }
    return kept;
}
#endif

} // namespace

bool FileStatus::readOnly() const
{
#ifdef Q_OS_UNIX
    if (!known)
        return false;
    return geteuid() == 0 ? (mode & 0222) == 0 : (mode & S_IWUSR) == 0;
#else
    return false;
#endif
}

FileStatus FileStatus::modeOnly() const
{
    FileStatus mine = *this;
#ifdef Q_OS_UNIX
    mine.owner = geteuid();
    mine.group = getegid();
#endif
    return mine;
}

FileStatus StatusOf(const QString &path)
{
    FileStatus status;
#ifdef Q_OS_UNIX
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) == 0) {
        status.known = true;
        status.owner = info.st_uid;
        status.group = info.st_gid;
        status.mode = info.st_mode & 07777;
        status.links = qint64(info.st_nlink);
        status.device = quint64(info.st_dev);
        status.modifiedSeconds = info.st_mtim.tv_sec;
        status.modifiedNanoseconds = info.st_mtim.tv_nsec;
#ifdef Q_OS_LINUX
        status.attributes = attributesOf(QFile::encodeName(path));
#endif
    }
#else
    Q_UNUSED(path);
#endif
    return status;
}

bool ApplyStatus(int descriptor, const FileStatus &status)
{
#ifdef Q_OS_UNIX
    if (!status.known)
        return true;
    if (status.keepModified) {
        const struct timespec times[2] = {{0, UTIME_OMIT}, {time_t(status.modifiedSeconds), long(status.modifiedNanoseconds)}};
        ::futimens(descriptor, times);
    }
    ::fchmod(descriptor, mode_t(status.mode));
    struct stat info;
    const bool owned = ::fstat(descriptor, &info) == 0 && info.st_uid == status.owner && info.st_gid == status.group;
    if (!owned) {
        if (::fchown(descriptor, uid_t(status.owner), gid_t(status.group)) != 0)
            return false;
        ::fchmod(descriptor, mode_t(status.mode)); // a change of owner may clear the set-id bits
    }
#ifdef Q_OS_LINUX
    for (const auto &[name, value] : status.attributes) // a file system without them keeps none: nothing to lose here
        ::fsetxattr(descriptor, name.constData(), value.constData(), size_t(value.size()), 0);
#endif
    return true;
#else
    Q_UNUSED(descriptor);
    Q_UNUSED(status);
    return true;
#endif
}
