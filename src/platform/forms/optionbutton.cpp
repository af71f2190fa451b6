#include "optionbutton.h"

#include <QFocusEvent>
#include <QKeyEvent>

namespace forms {

OptionButton::OptionButton(QWidget* parent)
    : QRadioButton(parent)
{
    setAutoExclusive(true);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QRadioButton::toggled, this, [this](bool on) {
        if (on && Click) Click();
    });
}

void OptionButton::SetValue(bool value)
{
    setChecked(value);
}

void OptionButton::keyPressEvent(QKeyEvent* event)
{
    if (!dispatchKeyPress(this, *this, event)) QRadioButton::keyPressEvent(event);
}

void OptionButton::focusInEvent(QFocusEvent* event)
{
    QRadioButton::focusInEvent(event);
    if (!isChecked()) setChecked(true);
    if (GotFocus) GotFocus();
}

void OptionButton::focusOutEvent(QFocusEvent* event)
{
    QRadioButton::focusOutEvent(event);
    dispatchFocusOut(this, *this, event->reason());
}

} // namespace forms
