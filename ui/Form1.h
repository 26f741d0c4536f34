#pragma once

#include <QWidget>

// The main window.
class Form1 : public QWidget
{
    Q_OBJECT
public:
    Form1();
};
