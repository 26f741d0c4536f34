#pragma once

#include <QLineEdit>

// The single-line edit box. Each key press is reported as keyDown with its
// Qt key (keypad Enter is Qt::Key_Enter) and which of Shift, Ctrl and Alt are
// held, before the box handles the key; the key is not consumed. Getting the focus
// reports gotFocus, after the press when a mouse click gave it.
class EditBox : public QLineEdit
{
    Q_OBJECT
public:
    explicit EditBox(QWidget *parent = nullptr);

signals:
    void keyDown(Qt::Key key, Qt::KeyboardModifiers modifiers);
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
