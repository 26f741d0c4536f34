#include "engine/files/FileStatus.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

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
        status.modifiedSeconds = info.st_mtim.tv_sec;
        status.modifiedNanoseconds = info.st_mtim.tv_nsec;
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
    if (::fstat(descriptor, &info) == 0 && info.st_uid == status.owner && info.st_gid == status.group)
        return true;
    if (::fchown(descriptor, uid_t(status.owner), gid_t(status.group)) != 0)
        return false;
    ::fchmod(descriptor, mode_t(status.mode)); // a change of owner may clear the set-id bits
    return true;
#else
    Q_UNUSED(descriptor);
    Q_UNUSED(status);
    return true;
#endif
}
