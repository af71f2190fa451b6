#pragma once
// Whether a screen reader runs, as the desktop says. Accessibility switched
// on is not enough: the accessibility bus is on for any assistive tool, a
// magnifier or an on-screen keyboard, and for testing tools. Only the
// desktop's own switch for the screen reader counts.
#include <QObject>

#include <functional>

namespace forms {

// Asks the desktop whether its screen reader is switched on. The default
// asks the session bus for the accessibility bus's status (org.a11y.Status,
// property ScreenReaderEnabled). Without a session bus, or with no
// accessibility bus on it, no screen reader can hear the program at all, and
// the answer is no. Tests replace it.
extern std::function<bool()> screenReaderEnabled;

// The desktop's last answer; asked once, then followed.
bool ScreenReaderRuns();

// Asks the desktop again and tells every follower when the answer changed.
// Runs whenever the desktop tells of a switch; tests call it after changing
// their answer.
void ScreenReaderSwitched();

// Calls `follow` with the new answer at every switch, for as long as `owner` lives.
void FollowScreenReader(QObject& owner, std::function<void(bool running)> follow);

} // namespace forms
