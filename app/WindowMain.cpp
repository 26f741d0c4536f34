// The window half of the program, in a module of its own: the program loads it
// only when no command is given, so that a command starts without the GUI
// libraries (they take longer to load than a small tree takes to export).
#include "app/WindowModule.h"
#include "ui/Form1.h"

#include <QApplication>

#include <type_traits>

extern "C" Q_DECL_EXPORT int ZelvaneWindowMain(int *argc, char **argv)
{
    QApplication app(*argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zelvane"));
    QApplication::setApplicationVersion(QStringLiteral(ZELVANE_VERSION));
    // Names the installed desktop entry, so the desktop shows its icon for our windows.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.zelvane"));
    Form1 window;
    window.show();
    return app.exec();
}

static_assert(std::is_same_v<decltype(&ZelvaneWindowMain), WindowMain>, "the loader calls it by this type");
