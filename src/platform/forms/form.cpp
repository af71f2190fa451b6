#include "form.h"

#include "accessible.h"
#include "captions.h"
#include "events.h"
#include "focusmark.h"
#include "registry.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <vector>

namespace forms {

namespace {

// The program's windows in the order they were last active, the latest last.
std::vector<QPointer<Form>>& activationOrder()
{
    static std::vector<QPointer<Form>> order;
    return order;
}

void noteActive(Form* form)
{
    auto& order = activationOrder();
    order.erase(std::remove_if(order.begin(), order.end(), [form](const QPointer<Form>& f) { return !f || f == form; }),
        order.end());
    order.emplace_back(form);
}

bool canTakeActivation(const Form* form)
{
    return form && form->IsLoaded() && form->isVisible() && form->isEnabled();
}

// The program's windows that were disabled while another opened, the latest last.
std::vector<QPointer<Form>>& disabledOrder()
{
    static std::vector<QPointer<Form>> order;
    return order;
}

// The window a window shown now is held by: the one it blocks (the latest
// disabled window still on screen), else the main window.
Form* holderFor(const Form* shown, Form* main)
{
    const auto& order = disabledOrder();
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        Form* blocked = it->data();
        if (blocked && blocked != shown && blocked != main && blocked->IsLoaded() && blocked->isVisible()
            && !blocked->isEnabled())
            return blocked;
    }
    return main;
}

// The window the user works in once `leaving` is gone: the last active one
// that can take the activation, else any that can; never the main window.
Form* windowToWorkIn(const Form* leaving)
{
    Form* main = Forms::MainForm();
    const auto& order = activationOrder();
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        Form* form = it->data();
        if (form != leaving && form != main && canTakeActivation(form)) return form;
    }
    for (QWidget* top : QApplication::topLevelWidgets()) {
        auto* form = qobject_cast<Form*>(top);
        if (form != leaving && form != main && canTakeActivation(form)) return form;
    }
    return nullptr;
}

// Set when a window of the program went away (or a message box closed) and
// no key or click has reached the program since. The desktop then chooses a
// window to activate, often the main window and at any moment, after the
// activation the program handed on itself: an activation of the main window
// now is that choice, not the user's on its menu bar.
bool desktopChooses = false;
// The start panel is shown again over a main window just shown; it does not go away.
bool restacking = false;

class ActivationWatch : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::ShortcutOverride:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            desktopChooses = false;
            break;
        case QEvent::Hide:
            if (watched->isWidgetType() && !event->spontaneous() && !restacking) {
                const auto* w = static_cast<QWidget*>(watched);
                const Qt::WindowType type = w->windowType();
                if (w->isWindow() && (type == Qt::Window || type == Qt::Dialog) && w != Forms::MainForm())
                    desktopChooses = true;
            }
            break;
        default:
            break;
        }
        return false;
    }
};

} // namespace

void WindowWentAway()
{
    desktopChooses = true;
}

QWidget* workingWindow()
{
    Form* main = Forms::MainForm();
    QWidget* active = QApplication::activeWindow();
    if (active && active != main) return active;
    // The main window holds nothing to work in but its menus: the user works
    // in the window last active before it.
    const auto& order = activationOrder();
    for (auto it = order.rbegin(); it != order.rend(); ++it)
        if (it->data() != main && canTakeActivation(it->data())) return it->data();
    return active;
}

void Form::followFocus(QWidget* now)
{
    auto* form = now ? qobject_cast<Form*>(now->window()) : nullptr;
    if (!form) return;
    // A window hidden meanwhile can still receive the activation the desktop
    // meant for it before (after a menu opened from it closed); the focus
    // then moves on past its control, which shows as hidden. That move is
    // not the user's: the control is given back when the window is active
    // again on screen.
    if (!form->isVisible()) {
        form->focusMovedHidden_ = true;
        return;
    }
    form->lastFocus_ = now;
}

QString installedFamily(const QString& family)
{
    static const QStringList windowsFaces { "MS Sans Serif", "Microsoft Sans Serif", "Arial", "Tahoma", "MS Shell Dlg",
        "MS Shell Dlg 2", "Verdana" };
    if (!windowsFaces.contains(family, Qt::CaseInsensitive)) return family;
    // Looked up once: the list of installed families is long, and every
    // text a window measures asks for its face.
    static const QString substitute = [] {
        const QStringList installed = QFontDatabase::families();
        for (const char* candidate : { "Liberation Sans", "Arimo", "DejaVu Sans", "FreeSans" })
            if (installed.contains(candidate)) return QString::fromLatin1(candidate);
        return QStringLiteral("Sans Serif");
    }();
    return substitute;
}

QFont makeFont(const FontSpec& spec)
{
    QFont f(installedFamily(spec.family));
    f.setPointSizeF(spec.points);
    f.setBold(spec.bold);
    f.setUnderline(spec.underline);
    return f;
}

Form::Form(const QString& name, BorderStyle border)
    : name_(name)
    , border_(border)
{
    setObjectName(name);
    setAttribute(Qt::WA_DeleteOnClose, false);
    Qt::WindowFlags flags = Qt::Window;
    switch (border) {
    case BorderStyle::None:
        flags |= Qt::FramelessWindowHint;
        break;
    case BorderStyle::FixedDialog:
        flags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
            | Qt::CustomizeWindowHint;
        break;
    case BorderStyle::Sizable:
        break;
    }
    setWindowFlags(flags);
    setFont(makeFont(FontSpec {}));
    setWindowTitle(name);
    static bool following = false;
    if (!following) {
        following = true;
        connect(qApp, &QApplication::focusChanged, qApp, [](QWidget*, QWidget* now) { followFocus(now); });
        qApp->installEventFilter(new ActivationWatch);
        InstallFocusMark();
    }
    InstallAccessibility();
}

Form::~Form() = default;

QMargins Form::FrameMargins() const
{
    if (border_ == BorderStyle::None) return {};
    // Once the desktop has framed a window, its frame is known; before that,
    // the frame of a window already shown stands in for it.
    if (const QWindow* w = windowHandle(); w && isVisible()) return w->frameMargins();
    // Windows already framed tell; one of the same border first.
    QMargins known;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        auto* form = qobject_cast<Form*>(top);
        if (!form || form == this || !form->isVisible() || form->border_ == BorderStyle::None || !form->windowHandle())
            continue;
        const QMargins m = form->windowHandle()->frameMargins();
        if (m.isNull()) continue;
        if (form->border_ == border_) return m;
        known = m;
    }
    if (!known.isNull()) return known;
    const int edge = style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
    return { edge, style()->pixelMetric(QStyle::PM_TitleBarHeight) + edge, edge, edge };
}

void Form::CentreOnScreen()
{
    QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s) return;
    const QRect g = s->geometry();
    // The window's outer size, frame and title bar included; move() places
    // the frame's corner.
    const QMargins m = FrameMargins();
    const int outerWidth = width() + m.left() + m.right();
    const int outerHeight = height() + m.top() + m.bottom();
    move(g.x() + g.width() / 2 - outerWidth / 2, g.y() + g.height() / 2 - outerHeight / 2);
}

void Form::Unload()
{
    Forms::Unload(this);
}

void Form::SetClientSize(int widthTwips, int heightTwips)
{
    const QSize size(pixels(widthTwips), pixels(heightTwips));
    if (border_ == BorderStyle::Sizable)
        resize(size);
    else
        setFixedSize(size);
}

void Form::SetBackColor(const QColor& color)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, color);
    setPalette(p);
    setAutoFillBackground(true);
}

void Form::SetFormFont(const FontSpec& font)
{
    setFont(makeFont(font));
}

void Form::Layout(std::initializer_list<ControlSpec> controls)
{
    std::vector<const ControlSpec*> tabbed;
    for (const ControlSpec& c : controls) {
        QWidget* w = c.control;
        w->setParent(this);
        w->setObjectName(QString::fromUtf8(c.name));
        w->setGeometry(pixels(c.rect.left), pixels(c.rect.top), pixels(c.rect.width), pixels(c.rect.height));
        if (c.font) w->setFont(makeFont(*c.font));
        if (!c.caption.isEmpty()) {
            if (auto* label = qobject_cast<QLabel*>(w))
                label->setText(c.caption);
            else if (auto* button = qobject_cast<QAbstractButton*>(w))
                button->setText(c.caption);
            else if (auto* edit = qobject_cast<QLineEdit*>(w))
                edit->setText(c.caption);
        }
        if (!c.toolTip.isEmpty()) w->setToolTip(c.toolTip);
        if (auto* events = dynamic_cast<ControlEvents*>(w)) events->HelpContextID = c.help;
        // Screen readers name a control by its caption; a box by its label,
        // below, once every label has its caption.
        QString accessible = c.caption;
        accessible.remove(QLatin1Char('&'));
        if (!accessible.isEmpty())
            w->setAccessibleName(accessible);
        else if (w->accessibleName().isEmpty() && !qobject_cast<QLabel*>(c.label))
            w->setAccessibleName(QString::fromUtf8(c.name));
        if (c.tab >= 0)
            tabbed.push_back(&c);
        else if (w->focusPolicy() != Qt::NoFocus)
            w->setFocusPolicy(Qt::ClickFocus);
        w->setVisible(c.visible);
    }
    for (const ControlSpec& c : controls)
        if (auto* label = qobject_cast<QLabel*>(c.label)) LabelBox(*c.control, { label });
    std::stable_sort(tabbed.begin(), tabbed.end(), [](auto* a, auto* b) { return a->tab < b->tab; });
    for (std::size_t i = 1; i < tabbed.size(); ++i)
        QWidget::setTabOrder(tabbed[i - 1]->control, tabbed[i]->control);
    FitCaptions(this);
}

void Form::LabelBox(QWidget& box, std::initializer_list<QLabel*> labels)
{
    // Screen readers read a box by the text of the one label it is labelled
    // by (Orca takes the first), so the box's own label, the last, is its
    // buddy and, when headings stand before it, speaks for them too.
    QStringList texts;
    for (QLabel* label : labels) {
        texts << label->text().remove(QLatin1Char('&')).simplified();
        if (label != *std::prev(labels.end()) && label->buddy() == &box) label->setBuddy(nullptr);
    }
    texts.removeAll(QString());
    const QString name = texts.isEmpty() ? box.objectName() : texts.join(QLatin1Char(' '));
    if (labels.size() > 0) {
        QLabel* own = *std::prev(labels.end());
        own->setBuddy(&box);
        if (labels.size() > 1) own->setAccessibleName(name);
    }
    box.setAccessibleName(name);
}

void Form::showEvent(QShowEvent* event)
{
    // Every window is held by the main window: it stays above it and goes
    // with it when it is minimised. A window that blocks another is held by
    // that one, so that a click on the blocked window cannot bury it.
    Form* main = Forms::MainForm();
    if (main && main != this && isWindow()) {
        Form* holder = holderFor(this, main);
        holder->winId();
        if (QWindow* w = windowHandle(); w && w->transientParent() != holder->windowHandle())
            w->setTransientParent(holder->windowHandle());
    }
    // Windows shown before the main window (the start panel) are shown again
    // once it is on screen, so the desktop stacks them above it.
    if (main == this && !event->spontaneous()) {
        // Only those already on screen now: a window shown later is stacked
        // right, and showing it again would take its focus away.
        QList<QPointer<Form>> earlier;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* form = qobject_cast<Form*>(top);
            if (form && form != this && form->isVisible()) earlier.append(form);
        }
        QTimer::singleShot(0, this, [earlier] {
            restacking = true;
            for (const QPointer<Form>& form : earlier) {
                if (form && form->isVisible()) {
                    form->hide();
                    form->show();
                }
            }
            restacking = false;
        });
        // Nothing has gone away yet.
        desktopChooses = false;
    }
    // A window the program shows is the one the user works in next: on top
    // and active, even when the desktop would leave it under the window
    // that took the last keystrokes.
    if (main != this && isWindow() && !event->spontaneous()) {
        QTimer::singleShot(0, this, [this] {
            if (IsLoaded() && isVisible()) activateWindow();
        });
    }
    // Captions set since the layout are fitted too.
    FitCaptions(this);
    QWidget::showEvent(event);
}

void Form::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (event->spontaneous() || !isWindow()) return;
    Form* main = Forms::MainForm();
    const QWidget* active = QApplication::activeWindow();
    if (this == main || (active && active != this && active != main)) return;
    // The desktop would hand the activation to the main window, which holds
    // nothing to work in: the window the user came from takes it back.
    if (Form* next = windowToWorkIn(this)) next->activateWindow();
}

void Form::passActivationOn()
{
    // A click on the menu bar reached the program meanwhile, or a menu is
    // open: the user is at the menus.
    if (!desktopChooses || !isActiveWindow() || QApplication::activePopupWidget()) return;
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != this && modal->isVisible()) {
        modal->activateWindow();
        return;
    }
    if (Form* next = windowToWorkIn(this)) next->activateWindow();
}

void Form::closeEvent(QCloseEvent* event)
{
    // The close box, Alt+F4 and the window menu unload the window; the
    // registry deletes it later. A disabled window takes no input, and
    // closing is input: the window that disabled it relies on it.
    event->ignore();
    if (!isEnabled()) return;
    Forms::Unload(this);
}

void Form::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange) {
        auto& order = disabledOrder();
        std::erase_if(order, [this](const QPointer<Form>& f) { return !f || f == this; });
        if (!isEnabled() && IsLoaded()) order.emplace_back(this);
    }
    if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow()) {
            wasActive_ = true;
            noteActive(this);
            // The main window holds nothing to work in: activated by the
            // desktop, it passes the activation on, once the events already
            // come in have shown whether the user clicked its menu bar.
            if (this == Forms::MainForm() && desktopChooses)
                QTimer::singleShot(0, this, [this] { passActivationOn(); });
            // Disabling the window while another was open took its focus
            // away: the control the user left gets it back.
            QWidget* last = lastFocus_;
            if ((!focusWidget() || (focusMovedHidden_ && isVisible())) && last && last->window() == this
                && last->isVisible() && last->isEnabled() && last->focusPolicy() != Qt::NoFocus)
                last->setFocus(Qt::ActiveWindowFocusReason);
            if (isVisible()) focusMovedHidden_ = false;
        } else if (wasActive_ && IsLoaded()) {
            wasActive_ = false;
            Form_LostFocus();
        }
    }
    QWidget::changeEvent(event);
}

} // namespace forms
