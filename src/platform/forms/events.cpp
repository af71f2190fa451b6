#include "events.h"

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

namespace forms {

namespace {
// Set while a replacement character is on its way to the control, so the
// control's own key handler lets it through instead of filtering it again.
bool deliveringReplacement = false;

QKeyEvent replacementFor(const QKeyEvent* original, int code)
{
    switch (code) {
    case 8:
        return QKeyEvent(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier, QString(QChar(8)));
    case 127:
        return QKeyEvent(QEvent::KeyPress, Qt::Key_Backspace, Qt::ControlModifier, QString(QChar(127)));
    case 13:
        return QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(QChar(13)));
    case 27:
        return QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QString(QChar(27)));
    default:
        break;
    }
    const QChar c(code);
    int key = Qt::Key_unknown;
    if (c.isLetterOrNumber() && c.unicode() < 128)
        key = c.toUpper().unicode();
    else if (code == ' ')
        key = Qt::Key_Space;
    return QKeyEvent(QEvent::KeyPress, key, original->modifiers() & Qt::KeypadModifier, QString(c));
}
} // namespace

int keyAsciiOf(const QKeyEvent* event)
{
    if (!event) return -1;
    switch (event->key()) {
    case Qt::Key_Backspace:
        return (event->modifiers() & Qt::ControlModifier) ? 127 : 8;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Insert:
        return -1;
    default:
        break;
    }
    if (event->key() >= Qt::Key_F1 && event->key() <= Qt::Key_F35) return -1;
    const QString text = event->text();
    if (text.isEmpty()) return -1;
    const int code = text.at(0).unicode();
    // Delete arrives as 127 on some platforms; it is not a character here.
    if (code == 127) return -1;
    return code;
}

bool dispatchKeyPress(QWidget* widget, ControlEvents& events, QKeyEvent* event)
{
    if (deliveringReplacement || !events.KeyPress) return false;
    const int original = keyAsciiOf(event);
    if (original < 0) return false;
    int code = original;
    events.KeyPress(code);
    if (code == original) return false;
    event->accept();
    if (code <= 0) return true;
    QKeyEvent replacement = replacementFor(event, code);
    deliveringReplacement = true;
    QCoreApplication::sendEvent(widget, &replacement);
    deliveringReplacement = false;
    return true;
}

void dispatchFocusOut(QWidget* widget, ControlEvents& events, int focusReason)
{
    if (!events.LostFocus || !widget) return;
    if (focusReason == Qt::PopupFocusReason || focusReason == Qt::ActiveWindowFocusReason) return;
    QWidget* next = QApplication::focusWidget();
    if (!next || next == widget || next->window() != widget->window()) return;
    // A drop-down list or calendar popup of a control is not a move to another control.
    if (next->window()->windowType() == Qt::Popup) return;
    events.LostFocus();
}

} // namespace forms
