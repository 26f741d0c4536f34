#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// What a written file keeps of the one it replaces: owner, group, mode, the
// user's extended attributes and access list, and whether other names link to
// it. POSIX only; elsewhere nothing is known and nothing is kept.
struct FileStatus {
    bool known = false;
    uint owner = 0;
    uint group = 0;
    uint mode = 0;  // the permission bits
    qint64 links = 1;
    quint64 device = 0; // the file system it is on
    qint64 modifiedSeconds = 0, modifiedNanoseconds = 0;
    bool keepModified = false; // give the time of the last change too (a backup's)
    QList<QPair<QByteArray, QByteArray>> attributes; // user.* extended attributes and the access list, by name

    // No write bit for the owner, or for root (who writes anything) none at all.
    bool readOnly() const;
    // The same mode, owned by this process's user and group: what may always be given.
    FileStatus modeOnly() const;
};

// The status of the file a path names, following links; unknown when it cannot be read.
FileStatus StatusOf(const QString &path);

// Gives the open file (a descriptor) the status's mode, owner, group and
// attributes (those the file system takes). False
// when the owner or the group may not be given (not permitted); the mode is set
// either way.
bool ApplyStatus(int descriptor, const FileStatus &status);
