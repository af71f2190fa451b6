#include "menu.h"

#include <QAction>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QWidget>

#include <stdexcept>

namespace forms {

MenuItem::MenuItem(const MenuSpec& spec, MenuItem* parent)
    : name_(QString::fromUtf8(spec.name))
    , caption_(QString::fromUtf8(spec.caption))
    , shortcut_(QKeySequence::fromString(QString::fromUtf8(spec.shortcut)))
    , help_(spec.help)
    , parent_(parent)
{
}

MenuItem::~MenuItem() = default;

void MenuItem::SetEnabled(bool enabled)
{
    enabled_ = enabled;
    if (action_) action_->setEnabled(enabled);
}

bool MenuItem::Available() const
{
    for (const MenuItem* m = this; m; m = m->parent_)
        if (!m->enabled_) return false;
    return true;
}

bool MenuItem::Trigger()
{
    // The shortcut of an entry under a disabled menu acts on nothing.
    if (!Available() || IsSubmenu()) return false;
    if (Click) Click();
    return true;
}

namespace {
void collect(const std::vector<std::unique_ptr<MenuItem>>& items, std::vector<MenuItem*>& out)
{
    for (const auto& i : items) {
        out.push_back(i.get());
        collect(i->Items(), out);
    }
}
} // namespace

// The frame's top menus answer their access keys from every window the frame
// holds. A key press reaches this filter only after the desktop's shortcuts
// have offered it to the active window's own access keys (a button's or a
// label's "&" letter), so a control of that window on the same key keeps it.
class MenuAccessKeys : public QObject {
public:
    explicit MenuAccessKeys(MenuBar& menus)
        : QObject(menus.bar_)
        , menus_(menus)
    {
        qApp->installEventFilter(this);
        for (const auto& top : menus_.top_)
            if (QMenu* menu = top->Submenu())
                connect(menu, &QMenu::aboutToHide, this, [this] { QTimer::singleShot(0, this, [this] { leave(); }); });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() != Qt::AltModifier || key->isAutoRepeat()) return false;
        if (!heldByFrame(static_cast<QWidget*>(watched)->window())) return false;
        MenuItem* menu = menuOn(QKeySequence(key->keyCombination()));
        if (!menu) return false;
        // A locked menu opens from no window, as on the frame; the key is
        // the menu's all the same, not a character for the focused box.
        if (menu->Available() && menu->Action()->isVisible()) open(*menu);
        return true;
    }

private:
    bool heldByFrame(QWidget* window) const
    {
        QWidget* frame = menus_.bar_->window();
        if (!window || window == frame || !window->isEnabled() || !menus_.bar_->isVisible()) return false;
        // A modal box or an open menu has the keys to itself.
        if (QApplication::activeModalWidget() || QApplication::activePopupWidget()) return false;
        for (QWidget* w = window->parentWidget(); w; w = w->parentWidget())
            if (w->window() == frame) return true;
        return false;
    }

    MenuItem* menuOn(const QKeySequence& pressed) const
    {
        for (const auto& top : menus_.top_)
            if (QKeySequence::mnemonic(top->Caption()) == pressed) return top.get();
        return nullptr;
    }

    void open(MenuItem& menu)
    {
        opened_ = true;
        menus_.bar_->setActiveAction(menu.Action());
        // As the frame's own keys do, the menu opens on its first entry, so
        // that a screen reader says where the user is.
        // Down, as a user would press it: setting the entry active would open
        // a first entry that is a submenu, which then takes the keys.
        QMenu* popup = menu.Submenu();
        if (!popup || !popup->isVisible()) return;
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QCoreApplication::sendEvent(popup, &down);
    }

    // Once the last menu opened from another window has closed, the menu bar
    // lets go of the keyboard (Escape leaves it in keyboard mode, waiting on
    // a frame that is not active): the keys stay with the user's window.
    void leave()
    {
        if (!opened_ || QApplication::activePopupWidget()) return;
        opened_ = false;
        if (menus_.bar_->window()->isActiveWindow()) return;
        QFocusEvent out(QEvent::FocusOut, Qt::PopupFocusReason);
        QCoreApplication::sendEvent(menus_.bar_, &out);
    }

    MenuBar& menus_;
    bool opened_ = false;
};

MenuBar::MenuBar(QWidget* owner, const std::vector<MenuSpec>& rows, bool separateEntries)
    : bar_(new QMenuBar(owner))
{
    // Build the tree first, so that each entry knows whether it is a submenu.
    std::vector<MenuItem*> path; // path[i]: the latest entry at level i + 1
    for (const MenuSpec& row : rows) {
        if (row.level < 1 || row.level > int(path.size()) + 1) throw std::invalid_argument("menu table skips a level");
        path.resize(row.level - 1);
        MenuItem* parent = path.empty() ? nullptr : path.back();
        auto item = std::make_unique<MenuItem>(row, parent);
        MenuItem* raw = item.get();
        (parent ? parent->items_ : top_).push_back(std::move(item));
        path.push_back(raw);
    }

    std::function<void(MenuItem*, QMenu*)> build = [&](MenuItem* item, QMenu* into) {
        if (item->IsSubmenu()) {
            item->menu_ = new QMenu(item->caption_, into ? static_cast<QWidget*>(into) : bar_);
            item->menu_->setObjectName(item->name_);
            item->action_ = item->menu_->menuAction();
            bool first = true;
            for (const auto& child : item->items_) {
                if (!first && separateEntries) item->menu_->addSeparator();
                first = false;
                build(child.get(), item->menu_);
            }
        } else {
            item->action_ = new QAction(item->caption_, into ? static_cast<QObject*>(into) : bar_);
            if (!item->shortcut_.isEmpty()) {
                item->action_->setShortcut(item->shortcut_);
                // The program's windows are windows of their own; the menu's
                // shortcuts act whichever of them is active.
                item->action_->setShortcutContext(Qt::ApplicationShortcut);
            }
            QObject::connect(item->action_, &QAction::triggered, item->action_, [item] { item->Trigger(); });
        }
        item->action_->setObjectName(item->name_);
        item->action_->setProperty("helpContextID", item->help_);
        item->action_->setEnabled(item->enabled_);
        if (into)
            into->addAction(item->action_);
        else
            bar_->addAction(item->action_);
    };
    for (const auto& top : top_)
        build(top.get(), nullptr);
    // Shortcuts must work before a menu was ever opened.
    if (owner)
        for (MenuItem* i : All())
            if (!i->IsSubmenu() && !i->shortcut_.isEmpty()) owner->addAction(i->action_);
    if (qApp) accessKeys_ = new MenuAccessKeys(*this);
}

MenuBar::~MenuBar()
{
    // The filter outlives no tree it reads.
    delete accessKeys_.data();
}

MenuItem* MenuBar::Find(const QString& name) const
{
    for (MenuItem* i : All())
        if (i->Name() == name) return i;
    return nullptr;
}

MenuItem& MenuBar::operator[](const QString& name) const
{
    MenuItem* i = Find(name);
    if (!i) throw std::out_of_range(("no menu entry " + name).toStdString());
    return *i;
}

std::vector<MenuItem*> MenuBar::All() const
{
    std::vector<MenuItem*> out;
    collect(top_, out);
    return out;
}

} // namespace forms
