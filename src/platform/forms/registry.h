#pragma once
// The registry of windows by name: how the program loads, finds and unloads
// its windows, and how one subsystem opens another's windows (and runs its
// named procedures) without including its headers.
//
//   Forms::Register("DisplayRecord", [] { return new DisplayRecord; });
//   Forms::Load("DisplayRecord");           // nullptr: no factory, or it unloaded itself in its load step
//   Forms::Find<DisplayRecord>();           // the loaded window or nullptr; never loads
//   Forms::Unload("DisplayRecord");         // runs its unload step once; deleted later
#include "form.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

namespace forms {

class Forms {
public:
    using Factory = std::function<Form*()>;

    // A later registration of the same name replaces the earlier one.
    static void Register(const QString& name, Factory factory);
    static void Unregister(const QString& name);
    static bool IsRegistered(const QString& name);
    // Every registered window name.
    static QStringList Registered();

    // The window that holds the others; every window loaded afterwards opens
    // over it. Set by the main window's constructor.
    static void SetMainForm(Form* main);
    static Form* MainForm();

    // Loads a window: when it is loaded already, nothing happens and it is
    // returned; otherwise it is made and its load step runs. Returns nullptr
    // when no factory is registered (a programming error, reported to the
    // unregistered-name handler) or when the load step unloaded it.
    static Form* Load(const QString& name);
    template<class T> static T* Load() { return dynamic_cast<T*>(Load(QString::fromUtf8(T::FormName))); }

    // The loaded window of that name, or nullptr. Never loads.
    static Form* Find(const QString& name);
    template<class T> static T* Find() { return dynamic_cast<T*>(Find(QString::fromUtf8(T::FormName))); }
    static bool IsLoaded(const QString& name) { return Find(name) != nullptr; }
    static QStringList Loaded();

    // Runs the unload step once, hides the window, forgets it and deletes it
    // once the running handler has returned. Unloading an unloaded window, or
    // one whose unload step is running, does nothing.
    static void Unload(Form* form);
    static void Unload(const QString& name) { Unload(Find(name)); }

    // Forgets every window without running an unload step and deletes them
    // (the program ending, or a test cleaning up).
    static void Reset();

    // Named procedures of later subsystems (a menu command's work, say).
    static void RegisterCommand(const QString& name, std::function<void()> command);
    static bool HasCommand(const QString& name);
    // Runs the procedure; returns false, doing nothing, when none is
    // registered (reported to the unregistered-name handler).
    static bool RunCommand(const QString& name);

    // Told of every name that Load or RunCommand finds nobody registered
    // under: a misspelt name or a window still to be written. By default it
    // writes a warning and the program goes on; tests set their own to fail.
    // `kind` is "window" or "procedure". Returns the handler it replaces.
    using UnregisteredHandler = std::function<void(const QString& name, const char* kind)>;
    static UnregisteredHandler SetUnregisteredHandler(UnregisteredHandler handler);
};

// The F1 help context for a key press now: the highlighted menu item's while a
// menu is open, else the focused control's, else its window's, else 0.
int currentHelpContext();
// Installs the application's F1 handler (done by the first Load).
void installHelpKey();

} // namespace forms
