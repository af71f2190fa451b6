#include "platform/forms/datepicker.h"
#include "platform/forms/desktop.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <gtest/gtest.h>
#include <ostream>

using forms::DatePicker;

namespace {

// A shown, active window holding the picker and one other control, so that
// focus can move between them as a user moves it.
struct PickerWindow {
    QWidget window;
    DatePicker* picker = new DatePicker;
    QLineEdit* other = new QLineEdit;
    int lost = 0;
    int got = 0;

    PickerWindow()
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(picker);
        layout->addWidget(other);
        picker->LostFocus = [this] { ++lost; };
        picker->GotFocus = [this] { ++got; };
        window.show();
        QApplication::setActiveWindow(&window);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        picker->setFocus(Qt::OtherFocusReason);
        QApplication::processEvents();
        lost = got = 0;
    }
};

void turnWheel(QWidget* widget, int steps)
{
    const QPointF at = widget->rect().center();
    QWheelEvent event(at, widget->mapToGlobal(at), QPoint(), QPoint(0, 120 * steps), Qt::NoButton, Qt::NoModifier,
        Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}

struct SetCase {
    QDate date;
    bool taken;
};

void PrintTo(const SetCase& c, std::ostream* os)
{
    *os << c.date.toString(Qt::ISODate).toStdString();
}

class DatePickerSetValue : public ::testing::TestWithParam<SetCase> { };

TEST_P(DatePickerSetValue, TakesOnlyDatesInRange)
{
    DatePicker picker;
    ASSERT_TRUE(picker.SetValue(QDate(2024, 6, 15)));
    EXPECT_EQ(picker.SetValue(GetParam().date), GetParam().taken);
    EXPECT_EQ(picker.Value(), GetParam().taken ? GetParam().date : QDate(2024, 6, 15));
}

INSTANTIATE_TEST_SUITE_P(Range, DatePickerSetValue,
    ::testing::Values(SetCase { QDate(2000, 1, 1), true }, SetCase { QDate(2099, 12, 31), true },
        SetCase { QDate(1999, 12, 31), false }, SetCase { QDate(2100, 1, 1), false }, SetCase { QDate(), false },
        SetCase { QDate(2024, 2, 29), true }));

struct StoredCase {
    const char* text;
    bool taken;
};

void PrintTo(const StoredCase& c, std::ostream* os)
{
    *os << '"' << c.text << '"';
}

class DatePickerStored : public ::testing::TestWithParam<StoredCase> { };

TEST_P(DatePickerStored, ReadsOnlyWholeStoredDates)
{
    DatePicker picker;
    ASSERT_TRUE(picker.SetValue(QDate(2024, 6, 15)));
    const QString text = QString::fromLatin1(GetParam().text);
    EXPECT_EQ(picker.SetStored(text), GetParam().taken);
    EXPECT_EQ(picker.Stored(), GetParam().taken ? text : QStringLiteral("2024-06-15"));
}

INSTANTIATE_TEST_SUITE_P(Texts, DatePickerStored,
    ::testing::Values(StoredCase { "2024-02-29", true }, StoredCase { "2000-01-01", true },
        StoredCase { "2099-12-31", true }, StoredCase { "2023-02-29", false }, StoredCase { "2024-2-9", false },
        StoredCase { "", false }, StoredCase { "1999-12-31", false }, StoredCase { "2100-01-01", false },
        StoredCase { "15/06/2024", false }, StoredCase { "2024-06-15x", false }));

TEST(DatePicker, GivesYearMonthDayAndStoredDateWithLeadingZeros)
{
    DatePicker picker;
    ASSERT_TRUE(picker.SetValue(QDate(2007, 3, 4)));
    EXPECT_EQ(picker.Year(), 2007);
    EXPECT_EQ(picker.Month(), 3);
    EXPECT_EQ(picker.Day(), 4);
    EXPECT_EQ(picker.Stored(), "2007-03-04");
    EXPECT_EQ(picker.minimumDate(), QDate(2000, 1, 1));
    EXPECT_EQ(picker.maximumDate(), QDate(2099, 12, 31));
}

TEST(DatePicker, TodayComesFromTheClockAndStaysInRange)
{
    DatePicker picker;
    {
        forms::RecordingDesktop desk;
        desk.clock = QDateTime(QDate(2031, 7, 9), QTime(23, 59));
        picker.SetToday();
        EXPECT_EQ(picker.Stored(), "2031-07-09");
        desk.clock = QDateTime(QDate(2150, 1, 1), QTime(0, 0));
        picker.SetToday();
        EXPECT_EQ(picker.Value(), QDate(2099, 12, 31));
    }
    // Without a test's desktop, the system's clock.
    picker.SetToday();
    EXPECT_EQ(picker.Value(), QDate::currentDate());
}

TEST(DatePicker, UserTypingIsBoundedByTheRange)
{
    PickerWindow w;
    ASSERT_TRUE(w.picker->SetValue(QDate(2000, 1, 1)));
    // Stepping down from the first day offers nothing earlier.
    QTest::keyClick(w.picker, Qt::Key_Down);
    EXPECT_EQ(w.picker->Value(), QDate(2000, 1, 1));
}

TEST(DatePicker, WheelChangesNothingWithoutTheFocus)
{
    PickerWindow w;
    ASSERT_TRUE(w.picker->SetValue(QDate(2024, 6, 15)));
    w.other->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    ASSERT_FALSE(w.picker->hasFocus());

    turnWheel(w.picker, 3);
    EXPECT_EQ(w.picker->Value(), QDate(2024, 6, 15));
    EXPECT_FALSE(w.picker->hasFocus()); // the wheel does not take the focus either
    EXPECT_EQ(w.other->hasFocus(), true);

    w.picker->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    turnWheel(w.picker, 1);
    EXPECT_NE(w.picker->Value(), QDate(2024, 6, 15));
}

TEST(DatePicker, LostFocusFiresWhenFocusMovesToAnotherControl)
{
    PickerWindow w;
    QTest::keyClick(w.picker, Qt::Key_Tab);
    EXPECT_TRUE(w.other->hasFocus());
    EXPECT_EQ(w.lost, 1);
    w.picker->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(w.got, 1);
    w.other->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(w.lost, 2);
}

TEST(DatePicker, CalendarPopupDoesNotFireLostFocus)
{
    PickerWindow w;
    ASSERT_TRUE(w.picker->SetValue(QDate(2024, 6, 15)));
    // The drop-down arrow at the right end of the box.
    QTest::mouseClick(w.picker, Qt::LeftButton, {}, QPoint(w.picker->width() - 6, w.picker->height() / 2));
    QApplication::processEvents();
    QWidget* popup = QApplication::activePopupWidget();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(w.lost, 0);

    // Picking a day in the calendar sets it and closes the popup, still without LostFocus.
    QCalendarWidget* calendar = w.picker->calendarWidget();
    calendar->setSelectedDate(QDate(2024, 6, 20));
    emit calendar->clicked(QDate(2024, 6, 20));
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_EQ(w.picker->Value(), QDate(2024, 6, 20));
    EXPECT_TRUE(w.picker->hasFocus());
    EXPECT_EQ(w.lost, 0);
    EXPECT_EQ(w.got, 0);

    QTest::keyClick(w.picker, Qt::Key_Tab);
    EXPECT_EQ(w.lost, 1);
}

TEST(DatePicker, KeyPressSeesTypedCharactersAndMayDropThem)
{
    PickerWindow w;
    std::vector<int> seen;
    w.picker->KeyPress = [&](int& key) {
        seen.push_back(key);
        key = 0;
    };
    ASSERT_TRUE(w.picker->SetValue(QDate(2024, 6, 15)));
    w.picker->setSelectedSection(QDateTimeEdit::YearSection);
    QTest::keyClicks(w.picker, "2031");
    EXPECT_EQ(seen, (std::vector<int> { '2', '0', '3', '1' }));
    EXPECT_EQ(w.picker->Value(), QDate(2024, 6, 15));
}

TEST(DatePicker, ChangeFiresWhenTheValueChanges)
{
    DatePicker picker;
    ASSERT_TRUE(picker.SetValue(QDate(2024, 6, 15)));
    int changes = 0;
    picker.Change = [&] { ++changes; };
    picker.SetValue(QDate(2024, 6, 16));
    picker.SetValue(QDate(2024, 6, 16));
    picker.SetValue(QDate(1990, 1, 1));
    EXPECT_EQ(changes, 1);
}

} // namespace
