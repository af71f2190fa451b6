// The two date-range windows: how they open and close, what the print
// button refuses and in which order, and the printer choice's cancel path.
#include "range_fixture.h"

#include <cctype>

using namespace rangetest;

namespace {

class RangeWindows : public RangeTest, public ::testing::WithParamInterface<bool> {
protected:
    bool log() const { return GetParam(); }
};

TEST_P(RangeWindows, OpenWithTodayInBothPickersAndLockUntilClosed)
{
    OpenWith({ { Day(0), "08:00", { { "Bsugar", "100" } } } });
    DateRangeWindow* w = OpenWindow(log());
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->Visible());
    EXPECT_EQ(w->Caption(), log() ? "Print Insulin Injection Log By Date" : "Print Standard Report By Date");
    EXPECT_EQ(w->HelpContextID, log() ? 280 : 270);
    EXPECT_EQ(w->StartDate.Value(), Today);
    EXPECT_EQ(w->EndDate.Value(), Today);
    EXPECT_EQ(w->Bdates.Text(), "2024-03-15");
    EXPECT_EQ(w->Edates.Text(), "2024-03-15");
    EXPECT_FALSE(w->Bdates.isVisible());
    EXPECT_FALSE(w->Edates.isVisible());
    if (!log()) {
        EXPECT_TRUE(stdWindow()->Option1.Value());
        EXPECT_FALSE(stdWindow()->Option2.Value());
    }
    EXPECT_TRUE(Locked());
    // Locked menus: the other window cannot open beside this one.
    main()->Menu[log() ? "mnuFilePrtStdRptbyDate" : "mnuFilePrtInjLogByDate"].Trigger();
    EXPECT_EQ(log() ? static_cast<forms::Form*>(stdWindow()) : logWindow(), nullptr);

    click(&w->Cancel);
    flushDeletes();
    EXPECT_EQ(log() ? static_cast<forms::Form*>(logWindow()) : stdWindow(), nullptr);
    EXPECT_TRUE(Unlocked());
    EXPECT_TRUE(choices.shown().empty());
}

TEST_P(RangeWindows, LeavingAPickerCopiesBothDaysIntoTheHiddenBoxes)
{
    OpenWith({ { Day(0), "08:00", { { "Bsugar", "100" } } } });
    DateRangeWindow* w = OpenWindow(log());
    ASSERT_NE(w, nullptr);
    Pick(w, QDate(2024, 3, 5), QDate(2024, 4, 12));
    EXPECT_EQ(w->Bdates.Text(), "2024-03-05");
    EXPECT_EQ(w->Edates.Text(), "2024-04-12");
    // By keyboard: a year up, then Tab away.
    w->EndDate.setFocus();
    w->EndDate.setCurrentSection(QDateTimeEdit::YearSection);
    QTest::keyClick(&w->EndDate, Qt::Key_Up);
    QTest::keyClick(&w->EndDate, Qt::Key_Tab);
    EXPECT_EQ(w->Edates.Text(), "2025-04-12");
}

struct Refusal {
    const char* what; // also the case's name
    bool withReadings;
    bool reversed;
    const char* message; // nullptr: passes on to the printer choice
};

class PrintRefusals : public RangeTest, public ::testing::WithParamInterface<std::tuple<bool, Refusal>> { };

TEST_P(PrintRefusals, TheRangeIsTestedBeforeTheReadingAndBothBeforeThePrinter)
{
    const auto& [log, c] = GetParam();
    if (c.withReadings)
        OpenWith({ { Day(0), "08:00", { { "Bsugar", "100" }, { "Insamt", "5" } } } });
    else
        OpenWith({});
    DateRangeWindow* w = OpenWindow(log);
    ASSERT_NE(w, nullptr);
    if (c.reversed)
        Pick(w, QDate(2024, 3, 2), QDate(2024, 3, 1));
    else
        Pick(w, QDate(2024, 3, 1), QDate(2024, 3, 1)); // one day passes
    choices.Cancel();
    click(&PrintButton(w));

    if (c.message) {
        ASSERT_EQ(desk.messages.size(), 1u) << c.what;
        EXPECT_EQ(desk.messages[0].text, c.message);
        EXPECT_EQ(desk.messages[0].title, forms::ProgramTitle);
        EXPECT_EQ(desk.messages[0].icon, forms::Icon::None);
        EXPECT_EQ(desk.beeps, 0);
        EXPECT_TRUE(choices.shown().empty()) << c.what;
    } else {
        EXPECT_TRUE(desk.messages.empty()) << c.what;
        ASSERT_EQ(choices.shown().size(), 1u) << c.what;
        EXPECT_EQ(choices.shown()[0].owner, w);
    }
    // Every stop leaves the window as it was.
    ASSERT_EQ(log ? static_cast<DateRangeWindow*>(logWindow()) : stdWindow(), w);
    EXPECT_EQ(w->Bdates.Text(), c.reversed ? "2024-03-02" : "2024-03-01");
    EXPECT_EQ(recorder().DocumentsBegun(), 0);
    EXPECT_TRUE(Locked());
}

INSTANTIATE_TEST_SUITE_P(BothWindows, RangeWindows, ::testing::Bool());

INSTANTIATE_TEST_SUITE_P(BothWindows, PrintRefusals,
    ::testing::Combine(::testing::Bool(),
        ::testing::Values(Refusal { "reversed", true, true, ReversedRangeMessage },
            Refusal { "reversed, no reading", false, true, ReversedRangeMessage },
            Refusal { "no reading", false, false, NoReadingsToPrintMessage },
            Refusal { "one day, cancelled", true, false, nullptr })),
    [](const auto& info) {
        std::string name = std::string(std::get<0>(info.param) ? "Log_" : "Standard_") + std::get<1>(info.param).what;
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return name;
    });

TEST_F(RangeTest, CancellingThePrinterChoiceKeepsTheWindowAndPrintingAgainAsksAgain)
{
    OpenWith({ { Day(0), "08:00", { { "Bsugar", "100" }, { "Insamt", "5" } } } });
    for (bool log : { false, true }) {
        DateRangeWindow* w = OpenWindow(log);
        ASSERT_NE(w, nullptr);
        const auto before = choices.shown().size();
        choices.Cancel();
        click(&PrintButton(w));
        choices.Fail();
        click(&PrintButton(w));
        EXPECT_EQ(choices.shown().size(), before + 2);
        EXPECT_TRUE(desk.messages.empty());
        EXPECT_EQ(recorder().DocumentsBegun(), 0);
        EXPECT_TRUE(w->Visible());
        click(&w->Cancel);
        flushDeletes();
        EXPECT_TRUE(Unlocked());
    }
}

TEST_F(RangeTest, TheStandardReportsLastDayReachesBeyondTheStoredYears)
{
    OpenWith({ { Day(0), "08:00", { { "Bsugar", "100" } } } });
    StdRptByDate* s = static_cast<StdRptByDate*>(OpenWindow(false));
    ASSERT_NE(s, nullptr);
    EXPECT_FALSE(s->StartDate.SetValue(QDate(1999, 12, 31)));
    EXPECT_TRUE(s->EndDate.SetValue(QDate(1601, 1, 1)));
    EXPECT_TRUE(s->EndDate.SetValue(QDate(9999, 12, 31)));
    click(&s->Cancel);
    flushDeletes();

    PrtInsLogByDate* l = static_cast<PrtInsLogByDate*>(OpenWindow(true));
    ASSERT_NE(l, nullptr);
    EXPECT_FALSE(l->EndDate.SetValue(QDate(1999, 12, 31)));
    EXPECT_FALSE(l->EndDate.SetValue(QDate(2100, 1, 1)));
    click(&l->Cancel);
    flushDeletes();

    // A last day before 2000 with a first day from 2000 on is a reversed range.
    s = static_cast<StdRptByDate*>(OpenWindow(false));
    Pick(s, QDate(2024, 3, 1), QDate(1999, 12, 31));
    EXPECT_EQ(s->Edates.Text(), "1999-12-31");
    click(&s->PrintRpt);
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(desk.messages[0].text, ReversedRangeMessage);
}

} // namespace
