#pragma once

#include <QHash>
#include <QList>
#include <QMutex>
#include <QString>

#include <functional>

// New files that wait for the disk together. An import writes thousands of
// small files, and one fdatasync each is most of its time; here a batch of
// them is put on disk by one syncfs per file system, and only then is each
// renamed over the file it replaces. A writer asks guard() before it writes:
// the batch then holds a descriptor opened before that write, so that the
// sync hears of every write that failed since (Linux 5.8 and later report
// them there). A waiting file holds its file's lock: a writer about to wait
// for another process's lock flushes first, so that two processes never
// wait for each other.
class DiskBatch
{
public:
    // What puts a file system on disk, given a descriptor on it: ::syncfs, or a test's own.
    using SyncFileSystem = std::function<int(int descriptor)>;
    // What puts a waiting file in place, or undoes it, given the sync's error number (0: on disk).
    using Finish = std::function<void(int syncError)>;

    explicit DiskBatch(SyncFileSystem syncFileSystem = {}, int filesPerSync = 256);
    // Files still waiting are dropped unfinished.
    ~DiskBatch();
    DiskBatch(const DiskBatch &) = delete;
    DiskBatch &operator=(const DiskBatch &) = delete;

    // Whether a file about to be written into `folder`, on the file system
    // `device`, is put on disk by the batch; false: its writer waits for the disk itself.
    bool guard(const QString &folder, quint64 device);
    // A file written and waiting, finished by the next flush; this call
    // flushes once filesPerSync are waiting.
    void add(Finish finish);
    // Syncs, then finishes every file added before this call, on this thread.
    // One flush at a time. Once a sync has failed, every later file is undone.
    void flush();

private:
    SyncFileSystem m_syncFileSystem;
    const int m_filesPerSync;
    QMutex m_flushing; // held through a whole flush
    QMutex m_mutex;    // the tables below
    QHash<quint64, int> m_guards; // a folder's descriptor for each file system written to
    QList<Finish> m_waiting;
    int m_error = 0;
};
