#pragma once
// What a screen reader is told about the runtime's windows and drawn
// controls: windows present themselves as frames or dialogs (a plain widget
// window would be a nameless "filler"), and a picture box exposes the texts
// it shows as read-only text, line by line.
namespace forms {

// Installs the interface factory once; the runtime calls it before any
// window or picture box can be asked for.
void InstallAccessibility();

} // namespace forms
