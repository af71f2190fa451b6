#include "focusmark.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QFocusFrame>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOption>

#include <cmath>

namespace forms {

namespace {

// The frame's margins are its ring; the rest of it is cut away.
class RingStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        if (metric == PM_FocusFrameHMargin || metric == PM_FocusFrameVMargin) return FocusMarkWidth;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
    int styleHint(
        StyleHint hint, const QStyleOption* option, const QWidget* widget, QStyleHintReturn* returnData) const override
    {
        if (hint == SH_FocusFrame_Mask && option) {
            if (auto* mask = qstyleoption_cast<QStyleHintReturnMask*>(returnData)) {
                const int w = FocusMarkWidth;
                mask->region = QRegion(option->rect) - QRegion(option->rect.adjusted(w, w, -w, -w));
            }
            return 1;
        }
        // Above, on the window itself: a control flush with the edges of
        // the row it stands in (a message box's buttons) would have the ring
        // cut away by that row.
        if (hint == SH_FocusFrame_AboveWidget) return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// A focus frame is left out of what a screen reader is told about a window.
class Mark : public QFocusFrame {
public:
    Mark()
    {
        static RingStyle* style = new RingStyle;
        setStyle(style);
        setObjectName(QStringLiteral("forms_focus_mark"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        const QWidget* around = parentWidget();
        if (!around) return;
        QPainter p(this);
        p.fillRect(rect(), FocusMarkColor(around->palette().color(around->backgroundRole())));
    }
};

QPointer<Mark>& mark()
{
    static QPointer<Mark> m;
    return m;
}

// The control as the user sees it: the edit inside a combo box or a date
// picker is part of it.
QWidget* controlOf(QWidget* w)
{
    while (w && w->parentWidget() && !w->isWindow()
        && (qobject_cast<QComboBox*>(w->parentWidget()) || qobject_cast<QAbstractSpinBox*>(w->parentWidget())))
        w = w->parentWidget();
    return w;
}

void follow(QWidget* now)
{
    QWidget* control = controlOf(now);
    if (!control || control->isWindow()) {
        if (mark()) mark()->setWidget(nullptr);
        return;
    }
    if (!mark()) mark() = new Mark;
    mark()->setWidget(control);
}

double luminance(const QColor& c)
{
    auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

} // namespace

QColor FocusMarkColor(const QColor& background)
{
    // Black and white meet at the same contrast (about 4.6:1) at this
    // luminance; each side gets the one that stands out more.
    return luminance(background) >= 0.179 ? QColor(Qt::black) : QColor(Qt::white);
}

QWidget* FocusMarked()
{
    return mark() && mark()->isVisible() ? mark()->widget() : nullptr;
}

void InstallFocusMark()
{
    static bool installed = false;
    if (installed) return;
    installed = true;
    QObject::connect(qApp, &QApplication::focusChanged, qApp, [](QWidget*, QWidget* now) {
        // A window deactivated leaves no focus widget: the mark stays where
        // the focus will come back to.
        if (now) follow(now);
    });
}

} // namespace forms
