#pragma once

#include "engine/files/FileError.h"

#include <QFileDevice>
#include <QString>

// The reason a file operation failed, in Chinese, followed by the system's own words.
// `systemError`: the errno of the failed call, for when Qt's words lost it.
QString FileErrorReason(const QFileDevice &device, int systemError = 0);

// The error of that kind about that file, worded here for every caller:
// `reason` is the system's or the parser's words, `offset` the bad byte of a
// file that is not UTF-8.
FileError MakeFileError(FileErrorKind kind, const QString &path, const QString &reason = QString(), qint64 offset = -1);
