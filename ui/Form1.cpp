#include "ui/Form1.h"

Form1::Form1()
{
    setWindowTitle(QStringLiteral("Zelvane"));
    setFixedSize(897, 593);
}
