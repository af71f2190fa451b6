#include "menu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
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
}

MenuBar::~MenuBar() = default;

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
