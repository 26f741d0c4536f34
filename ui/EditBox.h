#pragma once

#include <QLineEdit>

// The single-line edit box. Each key press is reported as keyDown with its
// key code (13 Return and keypad Enter, 38 Up, 40 Down, others as the key's
// own code) and shift mask (1 Shift, 2 Ctrl, 4 Alt) before the box handles
// the key; the key is not consumed. Getting the focus reports gotFocus.
class EditBox : public QLineEdit
{
    Q_OBJECT
public:
    explicit EditBox(QWidget *parent = nullptr);

signals:
    void keyDown(int keyCode, int shift);
    void gotFocus();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
};
