#include "datepicker.h"

#include "desktop.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QWheelEvent>
#include <algorithm>

namespace forms {

DatePicker::DatePicker(QWidget* parent)
    : QDateEdit(parent)
{
    setDateRange(MinDate(), MaxDate());
    setCalendarPopup(true);
    setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    // A wheel turned over an unfocused picker must not change the date behind
    // the user's back, nor take the focus (which would fire LostFocus elsewhere).
    setFocusPolicy(Qt::StrongFocus);
    setDate(MinDate());
    connect(this, &QDateEdit::dateChanged, this, [this] {
        if (Change) Change();
    });
}

bool DatePicker::SetValue(const QDate& value)
{
    if (!value.isValid() || value < MinDate() || value > MaxDate()) return false;
    setDate(value);
    return true;
}

void DatePicker::SetToday()
{
    const QDate now = Today();
    setDate(std::clamp(now, MinDate(), MaxDate()));
}

bool DatePicker::SetStored(const QString& stored)
{
    // Exactly four, two and two digits: "2024-1-5" is not a stored date.
    if (stored.size() != 10) return false;
    return SetValue(QDate::fromString(stored, QStringLiteral("yyyy-MM-dd")));
}

QString DatePicker::Stored() const
{
    return date().toString(QStringLiteral("yyyy-MM-dd"));
}

void DatePicker::keyPressEvent(QKeyEvent* event)
{
    if (dispatchKeyPress(this, *this, event)) return;
    QDateEdit::keyPressEvent(event);
}

void DatePicker::focusInEvent(QFocusEvent* event)
{
    QDateEdit::focusInEvent(event);
    if (GotFocus && event->reason() != Qt::PopupFocusReason) GotFocus();
}

void DatePicker::focusOutEvent(QFocusEvent* event)
{
    QDateEdit::focusOutEvent(event);
    dispatchFocusOut(this, *this, event->reason());
}

void DatePicker::wheelEvent(QWheelEvent* event)
{
    if (!hasFocus()) {
        event->ignore();
        return;
    }
    QDateEdit::wheelEvent(event);
}

bool DatePicker::focusNextPrevChild(bool next)
{
    return QWidget::focusNextPrevChild(next);
}

} // namespace forms
