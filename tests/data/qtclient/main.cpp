#include "frmtcp.h"
#include "ui_frmtcp.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    Ui::frmTcp ui;
    ui.setupUi(&window);
    // The code knows the button by the text its form gives it.
    const bool same = ui.btnConnect->text() == QString::fromUtf8("连接");
    ui.btnConnect->setToolTip(connectedText());
    std::printf("%s %s\n", same ? "same" : "different", ui.btnConnect->toolTip().toUtf8().constData());
    return same ? 0 : 1;
}
