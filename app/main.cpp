#include "app/CommandLine.h"
#include "ui/Form1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (IsCommand(arguments)) { // the command line: no window, no display needed
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("Zelvane"));
        QCoreApplication::setApplicationVersion(QStringLiteral(ZELVANE_VERSION));
        return RunCommandLine(app.arguments().mid(1));
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zelvane"));
    QApplication::setApplicationVersion(QStringLiteral(ZELVANE_VERSION));
    // Names the installed desktop entry, so the desktop shows its icon for our windows.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.zelvane"));
    Form1 window;
    window.show();
    return app.exec();
}
