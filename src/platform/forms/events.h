#pragma once
// The event surface every control of the window runtime offers.
//
// Windows bind their handlers to these members in their constructors
// (`SaveRd.Click = [this] { SaveRd_Click(); };`); a control whose member is
// empty simply has no handler. Controls derive from the Qt widget they wrap
// and from ControlEvents.
#include <functional>

class QWidget;
class QKeyEvent;

namespace forms {

struct ControlEvents {
    // A typed character's code, before the control sees it. The handler may set
    // it to 0 (drop the character) or to another code (replace it).
    // Backspace (8), Ctrl+Backspace (127), Enter (13) and Escape (27) arrive as
    // characters; Tab, Delete and the arrow keys do not.
    std::function<void(int& keyAscii)> KeyPress;
    // Focus moved to another control of the same window (not to a popup,
    // not to another window). Fires before that control's Click.
    std::function<void()> LostFocus;
    std::function<void()> GotFocus;
    std::function<void()> Click;
    std::function<void()> DblClick;
    std::function<void()> Change;

    // F1 help context of the control; 0 falls back to the window's.
    int HelpContextID = 0;

    virtual ~ControlEvents() = default;
};

// Character code of a key event as KeyPress sees it, or -1 when the key is
// not a character (Tab, Delete, arrows, function keys, bare modifiers).
int keyAsciiOf(const QKeyEvent* event);

// Runs `events.KeyPress` for a key event delivered to `widget`. Returns true
// when the event was consumed (the character was dropped, or replaced and the
// replacement delivered by this function); false lets the widget handle the
// original event normally.
bool dispatchKeyPress(QWidget* widget, ControlEvents& events, QKeyEvent* event);

// To be called from a control's focusOutEvent: fires LostFocus when focus
// moved to another widget of the same top-level window and not to a popup.
void dispatchFocusOut(QWidget* widget, ControlEvents& events, int focusReason);

} // namespace forms
