#include "app/WindowModule.h"

#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QStringList>

#include <cstdio>

namespace {

QString programFolder(const char *argv0)
{
    const QFileInfo self(QStringLiteral("/proc/self/exe")); // Linux: the program itself, links resolved
    if (self.exists())
        return QFileInfo(self.canonicalFilePath()).absolutePath();
    return QFileInfo(QString::fromLocal8Bit(argv0)).absolutePath();
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
