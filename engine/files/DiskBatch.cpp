#include "engine/files/DiskBatch.h"

#include "engine/files/ParallelFor.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr int FinishingThreads = 8;
} // namespace

DiskBatch::DiskBatch(SyncFileSystem syncFileSystem, int filesPerSync)
    : m_syncFileSystem(std::move(syncFileSystem)), m_filesPerSync(filesPerSync)
{
    if (!m_syncFileSystem)
        m_syncFileSystem = [](int descriptor) { return ::syncfs(descriptor); };
}

DiskBatch::~DiskBatch()
{
    for (const int descriptor : std::as_const(m_guards))
        ::close(descriptor);
}

bool DiskBatch::guard(const QString &folder, quint64 device)
{
    const QMutexLocker locked(&m_mutex);
    if (m_error != 0)
        return false;
    if (m_guards.contains(device))
        return true;
    const int descriptor = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat status;
    if (descriptor >= 0 && ::fstat(descriptor, &status) == 0 && quint64(status.st_dev) == device) {
        m_guards.insert(device, descriptor);
        return true;
    }
    if (descriptor >= 0) // a file mounted over on its own: its folder is another file system
        ::close(descriptor);
    return false;
}

void DiskBatch::add(Finish finish)
{
    QMutexLocker locked(&m_mutex);
    m_waiting.append(std::move(finish));
    const bool full = m_waiting.size() >= m_filesPerSync;
    locked.unlock();
    if (full)
        flush();
}

// Every file waiting took its guard before it was written, so the guards are
// all there; writers of the next batch go on writing meanwhile.
void DiskBatch::flush()
{
    const QMutexLocker flushing(&m_flushing);
    QMutexLocker locked(&m_mutex);
    const QList<Finish> waiting = std::exchange(m_waiting, {});
    const QList<int> guards = m_guards.values();
    locked.unlock();
    if (waiting.isEmpty())
        return;
    int error = 0;
    for (const int descriptor : guards) {
        if (error == 0 && m_syncFileSystem(descriptor) != 0)
            error = errno != 0 ? errno : EIO;
    }
    locked.relock();
    if (m_error == 0)
        m_error = error;
    error = m_error;
    locked.unlock();
    // Renames, and the older backups removed: each waits for the file system, on a disk
    // without a journal a removal most of all, so several run at once.
    ParallelForInOrder(int(waiting.size()), FinishingThreads, [&](int i) { waiting[i](error); }, [](int) {});
}
