#pragma once
// The printer choice every print command begins with: the printer-choice
// dialog over the calling window, preset from the current printer; the
// confirmed printer becomes current for this and every later print command.
class QWidget;

namespace tellora {

// True when a printer was confirmed and the command may print on
// print::current(). A cancel, a missing printer or any error gives false,
// silently: nothing printed, no message. Never throws.
bool ChoosePrinter(QWidget* owner);

} // namespace tellora
