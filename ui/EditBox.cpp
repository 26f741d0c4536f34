#include "ui/EditBox.h"


#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include <limits>

namespace {

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
    emit keyDown(Qt::Key(event->key()), event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
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
