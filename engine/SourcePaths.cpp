#include "engine/SourcePaths.h"

#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <dirent.h>
#endif

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

QStringList TreePatterns()
{
    return {QStringLiteral("*.cpp"), QStringLiteral("*.cc"), QStringLiteral("*.cxx"), QStringLiteral("*.c++"),
            QStringLiteral("*.h"), QStringLiteral("*.hh"), QStringLiteral("*.hpp"), QStringLiteral("*.hxx"),
            QStringLiteral("*.h++"), QStringLiteral("*.inl"), QStringLiteral("*.ui")};
}

namespace {

// True for a name the walk takes, or a folder's: the bytes of a name that is no UTF-8.
bool walkedName(const QByteArray &name, bool folder)
{
    if (folder)
        return !name.startsWith('.');
    const QByteArray lower = name.toLower();
    for (const QString &pattern : TreePatterns()) {
        if (lower.endsWith(pattern.mid(1).toLatin1()))
            return true;
    }
    return false;
}

// Names in the folder that are no valid UTF-8 (Qt leaves them out of its
// listings), as they would be listed, with each bad byte as \xHH.
QStringList undecodableNames(const QString &folder)
{
    QStringList names;
#ifdef Q_OS_UNIX
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return names;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (QFile::encodeName(QFile::decodeName(name)) == name || !walkedName(name, entry->d_type == DT_DIR))
            continue;
        QString shown;
        for (const char c : name)
            shown += uchar(c) < 0x80 ? QString(QLatin1Char(c)) : QStringLiteral("\\x%1").arg(uchar(c), 2, 16, QLatin1Char('0'));
        names << folder + QLatin1Char('/') + shown;
    }
    ::closedir(dir);
#else
    Q_UNUSED(folder);
#endif
    return names;
}

void addFolder(const QString &folder, QStringList &files, QStringList *badNames)
{
    const QDir dir(folder);
    if (badNames)
        *badNames += undecodableNames(folder);
    // One listing: the files the patterns take, then every folder (AllDirs ignores the patterns).
    const QFileInfoList entries = dir.entryInfoList(TreePatterns(), QDir::Files | QDir::AllDirs | QDir::NoDotAndDotDot,
                                                    QDir::Name | QDir::IgnoreCase | QDir::DirsLast);
    for (const QFileInfo &entry : entries) {
        if (!entry.isDir())
            files.append(entry.filePath());
        else if (!entry.isSymLink())
            addFolder(entry.filePath(), files, badNames);
    }
}

} // namespace

QStringList SourceFilesUnder(const QStringList &paths, QStringList *missing, QStringList *badNames)
{
    QStringList files;
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (info.isDir())
            addFolder(QDir::cleanPath(path), files, badNames);
        else if (info.isFile())
            files.append(QDir::cleanPath(path));
        else if (missing)
            missing->append(path);
    }
    return files;
}

} // namespace SourcePaths
