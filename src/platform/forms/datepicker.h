#pragma once
// Date entry: a date edit with a calendar popup, limited to the years the
// program stores (2000-01-01 to 2099-12-31).
#include "events.h"

#include <QDate>
#include <QDateEdit>
#include <QString>
#include <functional>
#include <optional>

namespace forms {

class DatePicker : public QDateEdit, public ControlEvents {
    Q_OBJECT
public:
    static QDate MinDate() { return QDate(2000, 1, 1); }
    static QDate MaxDate() { return QDate(2099, 12, 31); }

    explicit DatePicker(QWidget* parent = nullptr);

    // The picked day; a picker always holds one.
    QDate Value() const { return date(); }
    int Year() const { return date().year(); }
    int Month() const { return date().month(); }
    int Day() const { return date().day(); }

    // Sets the day; a date outside the range (or invalid) is refused and the
    // value stays as it was.
    bool SetValue(const QDate& value);
    // Sets today's date as the desktop's clock tells it, kept within the range.
    void SetToday();
    // Sets the day from a stored date "yyyy-MM-dd"; false when the text is no
    // such date or lies outside the range.
    bool SetStored(const QString& stored);
    // The picked day as a stored date, "yyyy-MM-dd".
    QString Stored() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    // Tab leaves the picker for the next control, as in every other control;
    // the arrow keys move between year, month and day.
    bool focusNextPrevChild(bool next) override;
};

} // namespace forms
