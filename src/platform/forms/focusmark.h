#pragma once
// The focus mark: a solid ring around the control that holds the focus,
// shown from the moment a window opens (not only after Tab), for every kind
// of control, in black or white, whichever stands out more against what lies
// around the control.
#include <QColor>

class QWidget;

namespace forms {

// Width of the ring, in pixels, drawn just outside the control.
inline constexpr int FocusMarkWidth = 2;

// Starts the mark following the focus; the runtime calls it once.
void InstallFocusMark();

// The mark's colour on a background: black on light, white on dark.
QColor FocusMarkColor(const QColor& background);

// The control the mark now rings; nullptr when it shows nowhere.
QWidget* FocusMarked();

} // namespace forms
