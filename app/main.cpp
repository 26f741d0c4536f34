#include "ui/Form1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zelvane"));
    QApplication::setApplicationVersion(QStringLiteral(ZELVANE_VERSION));
    // Names the installed desktop entry, so the desktop shows its icon for our windows.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.zelvane"));
    Form1 window;
    window.show();
    return app.exec();
}
