#include "app/WindowModule.h"

#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QStringList>

#include <cstdio>
#include <iterator>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

QString programFolder(const char *argv0)
{
#ifdef Q_OS_WIN
    Q_UNUSED(argv0);
    wchar_t name[32768];
    const DWORD length = GetModuleFileNameW(nullptr, name, DWORD(std::size(name)));
    return QFileInfo(QString::fromWCharArray(name, int(length))).absolutePath();
#else
    const QFileInfo self(QStringLiteral("/proc/self/exe")); // Linux: the program itself, links resolved
    if (self.exists())
        return QFileInfo(self.canonicalFilePath()).absolutePath();
    return QFileInfo(QString::fromLocal8Bit(argv0)).absolutePath();
#endif
}

} // namespace

int RunWindow(int &argc, char **argv)
{
    const QDir folder(programFolder(argv[0]));
    const QStringList candidates{QDir::cleanPath(folder.filePath(QStringLiteral(ZELVANE_WINDOW_MODULE))),
                                 QDir::cleanPath(folder.filePath(QStringLiteral(ZELVANE_WINDOW_MODULE_INSTALLED)))};
    QString problem;
    for (const QString &path : candidates) {
        if (!QFileInfo::exists(path))
            continue;
        QLibrary module(path);
        if (const auto run = reinterpret_cast<WindowMain>(module.resolve(WindowMainName)))
            return run(&argc, argv);
        problem = module.errorString();
    }
    if (problem.isEmpty())
        problem = QStringLiteral("找不到 %1").arg(QDir::toNativeSeparators(candidates.join(QStringLiteral("、"))));
    std::fprintf(stderr, "无法打开窗口：%s\n", problem.toLocal8Bit().constData());
    return 1;
}
