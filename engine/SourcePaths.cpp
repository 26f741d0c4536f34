#include "engine/SourcePaths.h"

#include <QDir>
#include <QFileInfo>

namespace SourcePaths {

bool IsOrdinaryFile(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && info.isFile() && !info.isHidden();
}

bool SameFile(const QString &a, const QString &b)
{
    const QFileInfo first(a);
    const QFileInfo second(b);
    if (first.exists() && second.exists())
        return first.canonicalFilePath() == second.canonicalFilePath();
    return QDir::cleanPath(first.absoluteFilePath()) == QDir::cleanPath(second.absoluteFilePath());
}

namespace {

void addFolder(const QString &folder, QStringList &files)
{
    const QDir dir(folder);
    const QDir::SortFlags order = QDir::Name | QDir::IgnoreCase;
    for (const QFileInfo &file : dir.entryInfoList({SourcePattern()}, QDir::Files, order))
        files.append(file.filePath());
    for (const QFileInfo &sub : dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, order)) {
        if (!sub.isSymLink())
            addFolder(sub.filePath(), files);
    }
}

} // namespace

QStringList SourceFilesUnder(const QStringList &paths, QStringList *missing)
{
    QStringList files;
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (info.isDir())
            addFolder(QDir::cleanPath(path), files);
        else if (info.isFile())
            files.append(QDir::cleanPath(path));
        else if (missing)
            missing->append(path);
    }
    return files;
}

} // namespace SourcePaths
