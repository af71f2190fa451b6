#pragma once
// What a screen reader is told about the runtime's windows and drawn
// controls: windows present themselves as frames or dialogs (a plain widget
// window would be a nameless "filler"), and a picture box exposes the texts
// it shows as read-only text, line by line.
#include <QString>

#include <initializer_list>

class QAbstractItemView;
class QWidget;

namespace forms {

// Installs the interface factory once; the runtime calls it before any
// window or picture box can be asked for.
void InstallAccessibility();

// Has a screen reader speak `text` while the focus stays on `where`: the
// text shows as a notification held by the control, which Orca speaks at
// once. `where` is a control, or a window, for whichever of its controls
// holds the focus. When `where` does not hold the focus yet (its window is
// still opening, or waits behind another) the text waits for it, so it
// follows what the reader says of the window; a later text for the same
// control replaces a waiting one. Every text goes through platform::Notify
// as an ObjectShow event of an interface named by the text, so tests can
// watch it.
void Announce(QWidget& where, const QString& text);

// A drawn control that a step redrew while the focus is on another control
// of its window (the button that made the step): a screen reader speaks
// `text` there. A focused control is read by the screen reader itself.
void AnnounceRedrawn(QWidget& control, const QString& text);

// A list that takes the focus names its current item to a screen reader,
// selected or not (the reader names a list's selected item by itself, else
// only the list). Goes through platform::Notify as a Focus event on the item.
void TellCurrentItem(QAbstractItemView& list);

// While a screen reader runs (screenreader.h), `boxes` are Tab stops too, in the order given,
// right after `after`; otherwise they keep the focus they had, and the Tab
// order is as the window laid it out. Follows a screen reader that starts
// or stops while the window is open.
void TabStopsWhileReading(QWidget& after, std::initializer_list<QWidget*> boxes);

} // namespace forms
