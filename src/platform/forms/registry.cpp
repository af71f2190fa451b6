#include "registry.h"

#include "desktop.h"
#include "events.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMap>
#include <QMenu>
#include <QMenuBar>

#include <utility>

namespace forms {

namespace {

void warnUnregistered(const QString& name, const char* kind)
{
    qWarning("No %s is registered under the name '%s'.", kind, qUtf8Printable(name));
}

struct Registry {
    QMap<QString, Forms::Factory> factories;
    QMap<QString, QPointer<Form>> loaded;
    QMap<QString, std::function<void()>> commands;
    QPointer<Form> main;
    Forms::UnregisteredHandler unregistered = warnUnregistered;
};

Registry& registry()
{
    static Registry r;
    return r;
}

// A window held by the main window is the desktop's transient of it, so the
// desktop keeps it above the main window whatever is clicked; borderless and
// sizable windows too, which a plain top-level window would not be.
Qt::WindowFlags heldFlags(Qt::WindowFlags flags)
{
    if ((flags & Qt::WindowType_Mask) != Qt::Window) return flags;
    flags = (flags & ~Qt::WindowType_Mask) | Qt::Dialog;
    if (!(flags & Qt::FramelessWindowHint))
        flags
            |= Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint;
    return flags;
}

void reportUnregistered(const QString& name, const char* kind)
{
    if (registry().unregistered) registry().unregistered(name, kind);
}

class HelpKeyFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1
            && watched->isWidgetType() && !static_cast<QKeyEvent*>(event)->isAutoRepeat()) {
            Help(currentHelpContext());
            return true;
        }
        return false;
    }
};

int menuHelp(QAction* action)
{
    return action ? action->property("helpContextID").toInt() : 0;
}

} // namespace

void Forms::Register(const QString& name, Factory factory)
{
    registry().factories[name] = std::move(factory);
}
void Forms::Unregister(const QString& name)
{
    registry().factories.remove(name);
}
bool Forms::IsRegistered(const QString& name)
{
    return registry().factories.contains(name);
}
QStringList Forms::Registered()
{
    return registry().factories.keys();
}

void Forms::SetMainForm(Form* main)
{
    registry().main = main;
}
Form* Forms::MainForm()
{
    return registry().main;
}

Form* Forms::Load(const QString& name)
{
    Registry& r = registry();
    if (Form* f = Find(name)) return f;
    auto it = r.factories.find(name);
    if (it == r.factories.end() || !*it) {
        reportUnregistered(name, "window");
        return nullptr;
    }
    installHelpKey();
    Form* f = (*it)();
    if (!f) return nullptr;
    if (r.main && f != r.main && !f->parentWidget()) f->setParent(r.main, heldFlags(f->windowFlags()));
    r.loaded[name] = f;
    f->state_ = Form::State::Loading;
    f->Form_Load();
    if (f->state_ != Form::State::Loading) return nullptr; // it unloaded itself in its load step
    f->state_ = Form::State::Loaded;
    return f;
}

Form* Forms::Find(const QString& name)
{
    Registry& r = registry();
    auto it = r.loaded.find(name);
    if (it == r.loaded.end()) return nullptr;
    Form* f = it->data();
    if (!f || !f->IsLoaded()) {
        r.loaded.erase(it);
        return nullptr;
    }
    return f;
}

QStringList Forms::Loaded()
{
    QStringList names;
    for (const QString& name : registry().loaded.keys())
        if (Find(name)) names << name;
    return names;
}

void Forms::Unload(Form* form)
{
    if (!form || !form->IsLoaded()) return;
    form->state_ = Form::State::Unloading;
    form->Form_Unload();
    form->state_ = Form::State::Unloaded;
    // Hidden and disabled at once, so that a click already on its way to one
    // of its controls does not run.
    form->setEnabled(false);
    form->hide();
    Registry& r = registry();
    if (r.loaded.value(form->Name()) == form) r.loaded.remove(form->Name());
    if (r.main == form) r.main = nullptr;
    form->deleteLater();
}

void Forms::Reset()
{
    Registry& r = registry();
    const auto loaded = r.loaded;
    r.loaded.clear();
    QPointer<Form> main = r.main;
    r.main = nullptr;
    for (const QPointer<Form>& f : loaded) {
        if (f && f != main) {
            f->state_ = Form::State::Unloaded;
            delete f.data();
        }
    }
    if (main) {
        main->state_ = Form::State::Unloaded;
        delete main.data();
    }
}

void Forms::RegisterCommand(const QString& name, std::function<void()> command)
{
    registry().commands[name] = std::move(command);
}

bool Forms::HasCommand(const QString& name)
{
    return registry().commands.contains(name);
}

bool Forms::RunCommand(const QString& name)
{
    auto it = registry().commands.find(name);
    if (it == registry().commands.end() || !*it) {
        reportUnregistered(name, "procedure");
        return false;
    }
    auto command = *it; // the command may re-register itself
    command();
    return true;
}

Forms::UnregisteredHandler Forms::SetUnregisteredHandler(UnregisteredHandler handler)
{
    return std::exchange(registry().unregistered, std::move(handler));
}

int currentHelpContext()
{
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
        if (int id = menuHelp(menu->activeAction())) return id;
    }
    QWidget* focus = QApplication::focusWidget();
    for (QWidget* w = focus; w; w = w->parentWidget()) {
        if (auto* bar = qobject_cast<QMenuBar*>(w)) {
            if (int id = menuHelp(bar->activeAction())) return id;
        }
        if (auto* events = dynamic_cast<ControlEvents*>(w)) {
            if (events->HelpContextID) return events->HelpContextID;
        }
        if (auto* form = qobject_cast<Form*>(w)) return form->HelpContextID;
    }
    if (auto* form = qobject_cast<Form*>(QApplication::activeWindow())) return form->HelpContextID;
    return 0;
}

void installHelpKey()
{
    static HelpKeyFilter* filter = nullptr;
    if (filter || !qApp) return;
    filter = new HelpKeyFilter(qApp);
    qApp->installEventFilter(filter);
}

} // namespace forms
