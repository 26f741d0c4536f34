#include "app/CommandLine.h"
#include "app/WindowModule.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (!arguments.isEmpty()) { // the command line: no window, no display needed
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("Zelvane"));
        QCoreApplication::setApplicationVersion(QStringLiteral(ZELVANE_VERSION));
        return RunCommandLine(app.arguments().mid(1));
    }
    return RunWindow(argc, argv);
}
