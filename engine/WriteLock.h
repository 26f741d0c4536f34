#pragma once

#include <QString>

// Keeps two Zelvanes from writing beside the same file at once: an advisory
// lock on the folder that holds it (its backup and hidden helpers live there
// too). The system lets go of it when the process ends, however it ends.
class WriteLock
{
public:
    // Waits up to `waitMs` for the lock on the folder of the file the path names.
    explicit WriteLock(const QString &filePath, int waitMs = 10000);
    ~WriteLock();
    WriteLock(const WriteLock &) = delete;
    WriteLock &operator=(const WriteLock &) = delete;

    // False when another process held it all that time; the file must be left alone.
    bool locked() const { return m_descriptor >= 0 || !m_supported; }
    // The refusal for the file, in words for the user.
    static QString busyText(const QString &filePath);

private:
    int m_descriptor = -1;
    bool m_supported = true;
};
