#include "engine/files/WriteLock.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <QThread>
#include <QWaitCondition>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// Threads of this process write different files of one folder side by side:
// the folder's lock against other processes is taken once and held while any
// of them writes there; a file is written by one thread at a time. The mutex
// guards these tables only: no thread holds it while it waits for another
// process, so that the threads writing elsewhere can still let go of their
// folders.
struct Folder {
    int descriptor = -1;
    int writers = 0;
    bool taking = false; // a thread waits for the system's lock on it, for all who want it
};
QMutex g_mutex;
QWaitCondition g_changed;
QSet<QString> g_files;
QHash<QString, Folder> g_folders;
// Folders another process held for a whole wait: refused at once until that
// wait's length has passed again, so that a long foreign lock is waited for
// once per folder rather than once per file.
QHash<QString, QDeadlineTimer> g_busy;

// The system's lock on the folder, waited for until the deadline; -1 when
// another process held it all that time, -2 when it cannot be had at all.
int lockFolder(const QString &folder, const QDeadlineTimer &deadline, const std::function<void()> &beforeWaiting)
{
    bool waited = false;
    const int descriptor = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return -2; // a folder we cannot open: the write will say why
    while (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        const bool busy = errno == EWOULDBLOCK || errno == EINTR;
        if (!busy || deadline.hasExpired()) {
            ::close(descriptor);
            return busy ? -1 : -2; // else a file system without locks: nothing to wait for
        }
        if (!std::exchange(waited, true) && beforeWaiting)
            beforeWaiting();
        QThread::usleep(2000);
    }
    return descriptor;
}

} // namespace

WriteLock::WriteLock(const QString &filePath, int waitMs, const std::function<void()> &beforeWaiting) : m_filePath(filePath)
{
    QElapsedTimer waited;
    waited.start();
    const struct Measure { QElapsedTimer &timer; qint64 &ms; ~Measure() { ms = timer.elapsed(); } } measure{waited, m_waitedMs};
    const QFileInfo file(filePath);
    const QString path = file.absoluteFilePath(), folder = file.absolutePath();
    const QDeadlineTimer deadline(waitMs);
    QMutexLocker locked(&g_mutex);
    for (;;) {
        if (const auto busy = g_busy.constFind(folder); busy != g_busy.cend()) {
            if (!busy->hasExpired())
                return;
            g_busy.erase(busy);
        }
        const Folder *held = g_folders.contains(folder) ? &g_folders[folder] : nullptr;
        if (!g_files.contains(path) && !(held && held->taking))
            break;
        if (!g_changed.wait(&g_mutex, deadline))
            return;
    }
    if (g_folders[folder].writers == 0) {
        g_folders[folder].taking = true;
        locked.unlock();
        const int descriptor = lockFolder(folder, deadline, beforeWaiting);
        locked.relock();
        g_changed.wakeAll();
        if (descriptor == -1) {
            g_folders.remove(folder);
            g_busy.insert(folder, QDeadlineTimer(waitMs));
            return;
        }
        g_folders[folder] = Folder{descriptor, 0, false};
    }
    ++g_folders[folder].writers;
    g_files.insert(path);
    m_path = path;
    m_folder = folder;
}

WriteLock::~WriteLock()
{
    if (m_path.isEmpty())
        return;
    QMutexLocker locked(&g_mutex);
    g_files.remove(m_path);
    Folder &held = g_folders[m_folder];
    if (--held.writers == 0) {
        if (held.descriptor >= 0)
            ::close(held.descriptor); // lets go of the lock
        g_folders.remove(m_folder);
    }
    g_changed.wakeAll();
}

Problem WriteLock::busy() const
{
    Problem problem = ProblemAbout(Problem::FolderBusy, m_filePath);
    problem.size = (m_waitedMs + 500) / 1000;
    return problem;
}
