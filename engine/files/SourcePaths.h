#pragma once

#include <QString>
#include <QStringList>

// How the program names files on disk.
namespace SourcePaths {

// The folder, "/", the name: joined as they are, so a root folder gives "//".
inline QString JoinSelectedPath(const QString &folder, const QString &fileName)
{
    return folder + QLatin1Char('/') + fileName;
}

// The backup keeps the whole name and adds ".backup": main.cpp -> main.cpp.backup.
inline QString BackupPathFor(const QString &path)
{
    return path + QStringLiteral(".backup");
}

// True for a file that exists and is neither a folder nor hidden.
bool IsOrdinaryFile(const QString &path);

// True when both paths name the same file (or, for files that are gone, the same place).
bool SameFile(const QString &a, const QString &b);

// The source files the window lists: "*.cpp", in any case.
inline QString SourcePattern() { return QStringLiteral("*.cpp"); }

// The files a tree's walk takes, in any case: C++ sources and headers, and Qt Designer forms.
QStringList TreePatterns();

// The files of each path: a file as it is; a folder's files of TreePatterns(),
// recursively, in name order, skipping folders whose name starts with "." and
// not following links to folders. A path that is neither is put in `missing`;
// a name in those folders that is no valid UTF-8, which cannot be read by its
// name, in `badNames` (its bad bytes as \xHH).
QStringList SourceFilesUnder(const QStringList &paths, QStringList *missing, QStringList *badNames = nullptr);

} // namespace SourcePaths
