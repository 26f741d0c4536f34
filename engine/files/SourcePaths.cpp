#include "engine/files/SourcePaths.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <vector>

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

// True for a name the walk takes, by its bytes: a folder's not hidden, a file's
// ending as one of TreePatterns() does, in any case.
bool walkedName(const QByteArray &name, bool folder)
{
    if (folder)
        return !name.startsWith('.');
    static const QList<QByteArray> Endings = [] {
        QList<QByteArray> endings;
        for (const QString &pattern : TreePatterns())
            endings << pattern.mid(1).toLatin1();
        return endings;
    }();
    const QByteArray lower = name.toLower();
    return std::any_of(Endings.begin(), Endings.end(), [&](const QByteArray &ending) { return lower.endsWith(ending); });
}

#ifdef Q_OS_UNIX
// A name that is no valid UTF-8 as it would be listed, with each bad byte as \xHH.
QString shownName(const QByteArray &name)
{
    QString shown;
    for (const char c : name)
        shown += uchar(c) < 0x80 ? QString(QLatin1Char(c)) : QStringLiteral("\\x%1").arg(uchar(c), 2, 16, QLatin1Char('0'));
    return shown;
}

// What a listed name is, by the type the listing gives; a link or an unknown
// type by what it points to. A link to a folder is not followed.
enum class Listed { File, Folder, Other };
Listed listedType(const dirent &entry, const QString &path)
{
    if (entry.d_type == DT_REG)
        return Listed::File;
    if (entry.d_type == DT_DIR)
        return Listed::Folder;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
        return Listed::Other;
    const QFileInfo info(path);
    if (info.isFile())
        return Listed::File;
    return info.isDir() && !info.isSymLink() ? Listed::Folder : Listed::Other;
}

// One listing of the folder, read once for a deep tree's sake: its files of
// the patterns in name order (case aside), then its folders the same way.
// Names that are no UTF-8 (which cannot be opened by a QString) go to badNames.
void addFolder(const QString &folder, QStringList &files, QStringList *badNames)
{
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return;
    struct Named {
        QString key; // lower case, as the order goes
        QString path;
        bool operator<(const Named &other) const { return key != other.key ? key < other.key : path < other.path; }
    };
    std::vector<Named> taken, folders;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray bytes(entry->d_name);
        const QString name = QFile::decodeName(bytes);
        if (QFile::encodeName(name) != bytes) {
            if (badNames && walkedName(bytes, entry->d_type == DT_DIR))
                badNames->append(folder + QLatin1Char('/') + shownName(bytes));
            continue;
        }
        if (name.startsWith(QLatin1Char('.')))
            continue; // hidden, and . and ..
        const QString path = folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
        const Listed type = listedType(*entry, path);
        if (type == Listed::Folder)
            folders.push_back({name.toLower(), path});
        else if (type == Listed::File && walkedName(bytes, false))
            taken.push_back({name.toLower(), path});
    }
    ::closedir(dir);
    std::sort(taken.begin(), taken.end());
    for (const Named &file : taken)
        files.append(file.path);
    std::sort(folders.begin(), folders.end());
    for (const Named &subfolder : folders)
        addFolder(subfolder.path, files, badNames);
}
#else
void addFolder(const QString &folder, QStringList &files, QStringList *badNames)
{
    Q_UNUSED(badNames);
    const QFileInfoList entries = QDir(folder).entryInfoList(TreePatterns(), QDir::Files | QDir::AllDirs | QDir::NoDotAndDotDot,
                                                             QDir::Name | QDir::IgnoreCase | QDir::DirsLast);
    for (const QFileInfo &entry : entries) {
        if (!entry.isDir())
            files.append(entry.filePath());
        else if (!entry.isSymLink())
            addFolder(entry.filePath(), files, badNames);
    }
}
#endif

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
