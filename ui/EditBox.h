#pragma once

#include <QLineEdit>

// The single-line edit box. Each key press is reported as keyDown with its
// key code (13 Return and keypad Enter, 38 Up, 40 Down; other keys their
// Windows virtual-key code, or 0) and shift mask (1 Shift, 2 Ctrl, 4 Alt)
// before the box handles the key; the key is not consumed. Getting the focus
// reports gotFocus, after the press when a mouse click gave it.
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
    void focusOutEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    // Where the mouse click that gave the focus stands.
    enum class FocusClick { None, Pending, Held };
    FocusClick m_focusClick = FocusClick::None;
};
