#include "accessible.h"

#include "form.h"
#include "picturebox.h"
#include "registry.h"
#include "screenreader.h"

#include "platform/accessible_text.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <utility>
#include <vector>

namespace forms {

namespace {

// The frame holds the program's windows; a window with a sizable border is a
// frame of its own; every other window is a dialog over the frame.
QAccessible::Role roleOf(const Form& form)
{
    if (&form == Forms::MainForm() || form.Border() == BorderStyle::Sizable) return QAccessible::Window;
    return QAccessible::Dialog;
}

class WindowAccessible : public QAccessibleWidget {
public:
    explicit WindowAccessible(Form* form)
        : QAccessibleWidget(form, QAccessible::Dialog)
    {
    }
    // The main form is set after the windows it holds may have been asked
    // for, so the role is decided at each question.
    QAccessible::Role role() const override { return roleOf(*static_cast<Form*>(widget())); }
};

QAccessibleInterface* factory(const QString& key, QObject* object)
{
    // Asked once per class up the hierarchy: answer at the object's own class.
    if (!object || !object->isWidgetType() || key != QLatin1String(object->metaObject()->className())) return nullptr;
    if (auto* form = qobject_cast<Form*>(object); form && form->isWindow()) return new WindowAccessible(form);
    if (auto* page = qobject_cast<PictureBox*>(object))
        return new platform::LinesAccessible(
            page, QAccessible::EditableText, platform::LinesAccessible::Described::No,
            [page] { return page->ShownLines(); }, [page] { return page->CaretLine(); },
            [page](int line) { page->SetCaretLine(line); });
    return nullptr;
}

// The reading point of a control: no widget of its own, a notification
// named by the last text announced there. Orca speaks a notification that
// shows, wherever the focus is, and keeps it among its notification
// messages. It stands directly under the program: inside a dialog Orca
// would read the dialog's name and headings before every text.
class ReadingPoint : public QAccessibleInterface {
public:
    explicit ReadingPoint(QWidget* owner)
        : owner_(owner)
    {
    }
    void SetText(const QString& text) { text_ = text; }

    bool isValid() const override { return !owner_.isNull(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return owner_ ? owner_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(qApp); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override { return t == QAccessible::Name ? text_ : QString(); }
    void setText(QAccessible::Text, const QString&) override { }
    QRect rect() const override
    {
        if (!owner_) return {};
        return QRect(owner_->mapToGlobal(QPoint(0, 0)), owner_->size());
    }
    QAccessible::Role role() const override { return QAccessible::Notification; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        s.readOnly = true;
        return s;
    }

private:
    QPointer<QWidget> owner_;
    QString text_;
};

// Owns a control's reading point for as long as the control lives; also
// holds a text that waits for the focus. The owner is a control, or a window
// whose controls any may hold the focus.
class Announcer : public QObject {
public:
    explicit Announcer(QWidget& owner)
        : QObject(&owner)
        , owner_(&owner)
        , point_(new ReadingPoint(&owner))
        , id_(QAccessible::registerAccessibleInterface(point_))
    {
        setObjectName(QStringLiteral("forms_announcer"));
        // The focus comes back to a window before the desktop activates it
        // (a message box closing): the text waits for both.
        connect(qApp, &QApplication::focusChanged, this, &Announcer::SayWaiting);
        connect(qApp, &QGuiApplication::focusWindowChanged, this, &Announcer::SayWaiting);
    }
    ~Announcer() override { QAccessible::deleteAccessibleInterface(id_); }

    static Announcer& Of(QWidget& owner)
    {
        if (auto* a = owner.findChild<QObject*>(QStringLiteral("forms_announcer"), Qt::FindDirectChildrenOnly))
            return *static_cast<Announcer*>(a);
        return *new Announcer(owner);
    }

    void Say(const QString& text)
    {
        waiting_.clear();
        if (Holds(QApplication::focusWidget()))
            SayAfterFocus(text);
        else
            waiting_ = text;
    }

private:
    // The focus is on the owner, in a window the desktop has activated: a
    // screen reader then speaks what shows there.
    bool Holds(const QWidget* focus) const
    {
        if (!focus || (focus != owner_ && !(owner_->isWindow() && focus->window() == owner_))) return false;
        const QWindow* shown = focus->window()->windowHandle();
        return shown && shown->isActive();
    }
    void SayWaiting()
    {
        if (!waiting_.isEmpty() && Holds(QApplication::focusWidget()))
            SayAfterFocus(std::exchange(waiting_, QString()));
    }

    // The screen reader hears of the focus after the control does: the text
    // follows once that notice has gone out.
    void SayAfterFocus(const QString& text)
    {
        QTimer::singleShot(0, this, [this, text] {
            point_->SetText(text);
            QAccessibleEvent event(point_, QAccessible::ObjectShow);
            platform::Notify(event);
        });
    }

    QWidget* owner_;
    ReadingPoint* point_;
    QAccessible::Id id_;
    QString waiting_;
};

// Makes boxes Tab stops while a screen reader runs.
class ReadingTabStops : public QObject {
public:
    ReadingTabStops(QWidget& after, std::initializer_list<QWidget*> boxes)
        : QObject(&after)
    {
        QWidget* previous = &after;
        for (QWidget* box : boxes) {
            boxes_.push_back({ box, box->focusPolicy() });
            QWidget::setTabOrder(previous, box);
            previous = box;
        }
        Apply(ScreenReaderRuns());
        FollowScreenReader(*this, [this](bool running) { Apply(running); });
    }

private:
    void Apply(bool reading)
    {
        for (const auto& [box, own] : boxes_)
            if (box) box->setFocusPolicy(reading ? Qt::StrongFocus : own);
    }

    std::vector<std::pair<QPointer<QWidget>, Qt::FocusPolicy>> boxes_;
};

} // namespace

void Announce(QWidget& where, const QString& text)
{
    if (!text.isEmpty()) Announcer::Of(where).Say(text);
}

void AnnounceRedrawn(QWidget& control, const QString& text)
{
    // A focused control is read by the screen reader itself.
    QWidget* focus = QApplication::focusWidget();
    if (focus && focus != &control && focus->window() == control.window()) Announce(*focus, text);
}

void TellCurrentItem(QAbstractItemView& list)
{
    // After the list's own focus notice, which names no item.
    QPointer<QAbstractItemView> view(&list);
    QTimer::singleShot(0, &list, [view] {
        if (!view || !view->hasFocus()) return;
        const QModelIndex current = view->currentIndex();
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(view.data());
        QAccessibleTableInterface* table = iface ? iface->tableInterface() : nullptr;
        QAccessibleInterface* cell
            = table && current.isValid() ? table->cellAt(current.row(), current.column()) : nullptr;
        if (!cell) return;
        QAccessibleEvent event(view.data(), QAccessible::Focus);
        event.setChild(iface->indexOfChild(cell));
        platform::Notify(event);
    });
}

void TabStopsWhileReading(QWidget& after, std::initializer_list<QWidget*> boxes)
{
    new ReadingTabStops(after, boxes);
}

void InstallAccessibility()
{
    static bool installed = false;
    if (installed) return;
    installed = true;
    QAccessible::installFactory(factory);
}

} // namespace forms
