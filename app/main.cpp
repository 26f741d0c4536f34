#include "app/CommandLine.h"
#include "app/WindowModule.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

int main(int argc, char *argv[])
{
#ifdef SIGXFSZ
    // A write past the file size limit (ulimit -f) fails with EFBIG and is
    // reported, file left whole, rather than killing the program half-way.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (!arguments.isEmpty()) { // the command line: no window, no display needed
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("Zelvane"));
        QCoreApplication::setApplicationVersion(QStringLiteral(ZELVANE_VERSION));
        return RunCommandLine(app.arguments().mid(1));
    }
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // Without a display Qt would abort; say why instead.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fputs("zelvane：没有可用的显示器（DISPLAY 没有设置），无法打开窗口。\n"
                   "在图形桌面中启动，或者用命令行：zelvane export|import（zelvane --help 说明用法）。\n", stderr);
        return 1;
    }
#endif
    return RunWindow(argc, argv);
}
