#include "ui/EditBox.h"

#include "ui/EventCodes.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include <limits>

namespace {

// The Windows virtual-key code of a key, where there is an obvious one; 0 for
// every other key. Qt's own values for printable keys must not leak through:
// Qt::Key_Ampersand is 38 and Qt::Key_ParenLeft 40, the codes of Up and Down.
int VirtualKeyCode(const QKeyEvent *event)
{
    const int key = event->key();
    const bool keypad = event->modifiers().testFlag(Qt::KeypadModifier);
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return key; // VK_A..VK_Z share the ASCII values
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return keypad ? 0x60 + (key - Qt::Key_0) : key; // VK_NUMPAD0.. or '0'..
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return 0x70 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: return 9;
    case Qt::Key_Backtab: return 9;
    case Qt::Key_Return: return 13;
    case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Pause: return 19;
    case Qt::Key_CapsLock: return 20;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    default: return 0;
    }
}

// Focus coming back from a popup or from another window was never lost as
// far as the form is concerned; selecting all then would destroy the user's
// selection (a context menu's Copy, a message box closing).
bool IsNewFocus(Qt::FocusReason reason)
{
    return reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason;
}

} // namespace

EditBox::EditBox(QWidget *parent)
    : QLineEdit(parent)
{
    // QLineEdit keeps only 32767 characters by default: a longer literal would be
    // cut short here and the cut text stored into its row by the next Enter.
    setMaxLength(std::numeric_limits<int>::max());
}

void EditBox::keyPressEvent(QKeyEvent *event)
{
    emit keyDown(VirtualKeyCode(event), ShiftMask(event->modifiers()));
    QLineEdit::keyPressEvent(event);
}

// A mouse press that gives the focus also places the cursor, which would undo
// the selection made on focus; so for a click the focus is reported after the
// press has been handled.
void EditBox::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    if (!IsNewFocus(event->reason()))
        return;
    if (event->reason() == Qt::MouseFocusReason)
        m_focusClick = FocusClick::Pending;
    else
        emit gotFocus();
}

void EditBox::focusOutEvent(QFocusEvent *event)
{
    m_focusClick = FocusClick::None;
    QLineEdit::focusOutEvent(event);
}

void EditBox::mousePressEvent(QMouseEvent *event)
{
    QLineEdit::mousePressEvent(event);
    if (m_focusClick == FocusClick::Pending) {
        m_focusClick = FocusClick::Held;
        emit gotFocus();
    }
}

// While the click that gave the focus is held, a small shake of the mouse
// must not turn the whole selection into a partial one.
void EditBox::mouseMoveEvent(QMouseEvent *event)
{
    if (m_focusClick == FocusClick::Held)
        return;
    QLineEdit::mouseMoveEvent(event);
}

void EditBox::mouseReleaseEvent(QMouseEvent *event)
{
    QLineEdit::mouseReleaseEvent(event);
    m_focusClick = FocusClick::None;
}
