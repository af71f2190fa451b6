#pragma once
// Captions drawn whole. The face that stands in for "MS Sans Serif" is wider
// than the original, so a caption that the original drew on one line in its
// rectangle may not fit there. The runtime narrows such a caption's font to
// the largest size that fits, or to a narrow face of the same metrics where
// one is installed and the size would shrink too far.
#include <QString>

class QWidget;

namespace forms {

// The caption a label, button or option button shows; empty for other controls.
QString CaptionOf(const QWidget* control);
// The width a control's caption may take: its rectangle less the control's
// own parts (an option's indicator, a button's frame).
int CaptionRoom(const QWidget* control);
// Whether the caption shows whole in its rectangle: on one line where the
// rectangle holds one line, else within the lines it holds.
bool CaptionFits(const QWidget* control);
// Fits every label, button and option caption of a window into its rectangle.
void FitCaptions(QWidget* window);

} // namespace forms
