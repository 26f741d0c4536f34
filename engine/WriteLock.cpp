#include "engine/WriteLock.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

WriteLock::WriteLock(const QString &filePath, int waitMs)
{
#ifdef Q_OS_UNIX
    const QByteArray folder = QFile::encodeName(QFileInfo(filePath).absolutePath());
    m_descriptor = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_descriptor < 0) {
        m_supported = false; // a folder we cannot open: the write will say why
        return;
    }
    const QDeadlineTimer deadline(waitMs);
    while (::flock(m_descriptor, LOCK_EX | LOCK_NB) != 0) {
        const bool busy = errno == EWOULDBLOCK || errno == EINTR;
        m_supported = busy; // else a file system without locks: nothing to wait for
        if (!busy || deadline.hasExpired()) {
            ::close(m_descriptor);
            m_descriptor = -1;
            return;
        }
        QThread::msleep(20);
    }
#else
    Q_UNUSED(filePath);
    Q_UNUSED(waitMs);
    m_supported = false;
#endif
}

WriteLock::~WriteLock()
{
#ifdef Q_OS_UNIX
    if (m_descriptor >= 0)
        ::close(m_descriptor); // lets go of the lock
#endif
}

QString WriteLock::busyText(const QString &filePath)
{
    return QStringLiteral("另一个 Zelvane 正在写入 %1 所在的文件夹，等了 10 秒仍没有结束。这个文件没有被修改，请稍后再试。")
        .arg(filePath);
}
