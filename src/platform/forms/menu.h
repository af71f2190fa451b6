#pragma once
// Menus: a tree of named entries with captions (an "&" marks the access key),
// shortcuts, help context IDs and enabled states, shown in a menu bar.
//
// An entry is available only when it and every menu above it are enabled;
// choosing it, by mouse or by its shortcut, runs its Click only then.
//
// The menu bar is the frame's, and the frame holds every other window of the
// program: a top menu's access key (Alt+F for "&File") opens it from any of
// them, unless the active window has a control of its own on that key.
#include <QKeySequence>
#include <QPointer>
#include <QString>

#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace forms {

// One row of a menu table; level 1 is the menu bar.
struct MenuSpec {
    int level = 1;
    const char* name = "";
    const char* caption = "";
    const char* shortcut = ""; // "Ctrl+U", "F2", "Shift+F3"
    int help = 0;
};

class MenuItem {
public:
    MenuItem(const MenuSpec& spec, MenuItem* parent);
    ~MenuItem();
    MenuItem(const MenuItem&) = delete;
    MenuItem& operator=(const MenuItem&) = delete;

    const QString& Name() const { return name_; }
    const QString& Caption() const { return caption_; }
    const QKeySequence& Shortcut() const { return shortcut_; }
    int HelpContextID() const { return help_; }
    MenuItem* Parent() const { return parent_; }
    const std::vector<std::unique_ptr<MenuItem>>& Items() const { return items_; }
    bool IsSubmenu() const { return !items_.empty(); }

    // The entry's own state.
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    // Enabled, and every menu above it enabled.
    bool Available() const;

    // The command; an entry without one does nothing.
    std::function<void()> Click;
    // Chooses the entry as the user would: runs Click when it is available.
    // Returns whether it ran.
    bool Trigger();

    QAction* Action() const { return action_; }
    QMenu* Submenu() const { return menu_; }

private:
    friend class MenuBar;
    QString name_;
    QString caption_;
    QKeySequence shortcut_;
    int help_ = 0;
    bool enabled_ = true;
    MenuItem* parent_;
    std::vector<std::unique_ptr<MenuItem>> items_;
    QAction* action_ = nullptr;
    QMenu* menu_ = nullptr;
};

class MenuBar {
public:
    // Builds the tree from the table (rows in menu order, each row's level at
    // most one deeper than the row before) and the menu bar widget, owned by
    // `owner`. A separator stands between each two neighbouring entries when
    // `separateEntries` is set.
    MenuBar(QWidget* owner, const std::vector<MenuSpec>& rows, bool separateEntries = true);
    ~MenuBar();
    MenuBar(const MenuBar&) = delete;
    MenuBar& operator=(const MenuBar&) = delete;

    QMenuBar* widget() const { return bar_; }
    const std::vector<std::unique_ptr<MenuItem>>& Menus() const { return top_; }
    // The entry of that name; nullptr when absent.
    MenuItem* Find(const QString& name) const;
    // The entry of that name; the name must exist.
    MenuItem& operator[](const QString& name) const;
    // Every entry, depth first in menu order.
    std::vector<MenuItem*> All() const;

private:
    friend class MenuAccessKeys;
    QMenuBar* bar_;
    std::vector<std::unique_ptr<MenuItem>> top_;
    QPointer<QObject> accessKeys_;
};

} // namespace forms
