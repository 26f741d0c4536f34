#pragma once

#include "engine/files/Problem.h"

#include <QString>

#include <functional>

// Keeps two writers from working on the same file at once: threads of this
// process wait for each other file by file; another Zelvane is kept out by an
// advisory lock on the folder (the file's backup and hidden helpers live there
// too), which the system lets go of when the process ends, however it ends.
class WriteLock
{
public:
    // Waits up to `waitMs` for the lock on the folder of the file the path names.
    // `beforeWaiting` runs once, before any wait for another process: a writer
    // lets go there of what that process may be waiting for.
    explicit WriteLock(const QString &filePath, int waitMs = 10000, const std::function<void()> &beforeWaiting = {});
    ~WriteLock();
    WriteLock(const WriteLock &) = delete;
    WriteLock &operator=(const WriteLock &) = delete;

    // False when another process held it all that time; the file must be left alone.
    bool locked() const { return !m_path.isEmpty(); }
    // The refusal of the file when it was not had: how long this lock waited.
    Problem busy() const;

private:
    QString m_path; // empty when it was not had
    QString m_filePath;
    qint64 m_waitedMs = 0;
    QString m_folder;
};
