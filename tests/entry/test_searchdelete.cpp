#include "entry_fixture.h"

#include "entry/deletebydate.h"
#include "entry/searchrds.h"

#include "shell/mdistart.h"

using namespace entrytest;
using tellora::DeleteByDate;
using tellora::DisplayRecord;
using tellora::SearchRds;

namespace {

class ByDateTest : public EntryTest {
protected:
    DisplayRecord* record = nullptr;

    void SetUp() override
    {
        EntryTest::SetUp();
        AddReading("2024-03-10", "20:00", { { "Bpulse", "3" } });
        AddReading("2024-03-10", "07:00", { { "Bpulse", "2" } });
        AddReading("2024-03-05", "12:00", { { "Bpulse", "1" } });
        AddReading("2024-03-12", "06:15", { { "Bpulse", "4" } });
        record = Open();
    }

    // Picks a date in the window's picker and moves the focus on, as a user would.
    template<class W> void Pick(W* w, const QDate& date)
    {
        Focus(w->Bdates);
        w->Bdates.SetValue(date);
    }
};

struct SearchCase {
    QDate picked;
    const char* pulse; // the reading shown; nullptr: nothing found
};

void PrintTo(const SearchCase& c, std::ostream* os)
{
    *os << c.picked.toString(Qt::ISODate).toStdString();
}

class Search : public ByDateTest, public ::testing::WithParamInterface<SearchCase> { };

TEST_P(Search, ShowsTheFirstReadingOnOrAfterTheDate)
{
    Click(record->Search);
    auto* w = forms::Forms::Find<SearchRds>();
    ASSERT_NE(w, nullptr);
    QApplication::setActiveWindow(w);
    EXPECT_FALSE(record->isEnabled());
    Pick(w, GetParam().picked);
    Click(w->Search);
    if (GetParam().pulse) {
        EXPECT_TRUE(desk.messages.empty());
        EXPECT_EQ(record->Bpulse.Text(), GetParam().pulse);
        EXPECT_EQ(forms::Forms::Find<SearchRds>(), nullptr);
        EXPECT_TRUE(record->isEnabled());
    } else {
        EXPECT_EQ(Texts(), std::vector<QString> { tellora::NothingFoundMessage });
        EXPECT_EQ(desk.beeps, 1);
        EXPECT_EQ(record->Bpulse.Text(), "4"); // unchanged: the newest
        EXPECT_NE(forms::Forms::Find<SearchRds>(), nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(Dates, Search,
    ::testing::Values(SearchCase { QDate(2001, 1, 1), "1" }, // before the oldest
        SearchCase { QDate(2024, 3, 10), "2" }, // on a date: its earliest time
        SearchCase { QDate(2024, 3, 6), "2" }, // between dates
        SearchCase { QDate(2024, 3, 12), "4" }, SearchCase { QDate(2024, 3, 13), nullptr })); // after the newest

TEST_F(ByDateTest, SearchAfterAFailedTryWorksAndTodayIsTheDefault)
{
    Click(record->Search);
    auto* w = forms::Forms::Find<SearchRds>();
    QApplication::setActiveWindow(w);
    Focus(w->Bdates);
    Click(w->Search); // today, 2024-03-15: nothing
    EXPECT_EQ(desk.messages.size(), 1u);
    Pick(w, QDate(2024, 3, 11));
    Click(w->Search);
    EXPECT_EQ(record->Bpulse.Text(), "4");
    EXPECT_EQ(forms::Forms::Find<SearchRds>(), nullptr);
}

TEST_F(ByDateTest, ASearchTheEngineRefusesIsReported)
{
    Click(record->Search);
    auto* w = forms::Forms::Find<SearchRds>();
    QApplication::setActiveWindow(w);
    QFile::remove(folder.file(DbFile));
    Pick(w, QDate(2024, 3, 1));
    Click(w->Search);
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_TRUE(desk.messages[0].text.startsWith(tellora::SearchFailedMessage));
    EXPECT_EQ(record->Bpulse.Text(), "4");
    EXPECT_NE(forms::Forms::Find<SearchRds>(), nullptr);
}

struct DeleteCase {
    QDate picked;
    long remaining;
    const char* shownPulse; // "" when no reading remains
    bool nothingToDelete;
};

void PrintTo(const DeleteCase& c, std::ostream* os)
{
    *os << c.picked.toString(Qt::ISODate).toStdString();
}

class DeleteBefore : public ByDateTest, public ::testing::WithParamInterface<DeleteCase> { };

TEST_P(DeleteBefore, DeletesExactlyTheReadingsDatedBefore)
{
    Click(record->FirstRecord); // show the oldest, so its replacement shows
    forms::Forms::Find<tellora::MDIStart>()->mnuUtilitiesDeleteByDate.Trigger();
    auto* w = forms::Forms::Find<DeleteByDate>();
    ASSERT_NE(w, nullptr);
    QApplication::setActiveWindow(w);
    EXPECT_FALSE(forms::Forms::Find<tellora::MDIStart>()->mnuUtilities.Enabled());
    Pick(w, GetParam().picked);
    Click(w->Delete);
    EXPECT_EQ(Count(), GetParam().remaining);
    EXPECT_EQ(record->Bpulse.Text(), GetParam().shownPulse);
    if (GetParam().nothingToDelete)
        EXPECT_EQ(Texts(), std::vector<QString> { tellora::NothingToDeleteMessage });
    else
        EXPECT_TRUE(desk.messages.empty());
    EXPECT_EQ(desk.beeps, 0);
    EXPECT_EQ(forms::Forms::Find<DeleteByDate>(), nullptr);
    EXPECT_TRUE(record->isEnabled());
    EXPECT_TRUE(forms::Forms::Find<tellora::MDIStart>()->mnuUtilities.Enabled());
}

INSTANTIATE_TEST_SUITE_P(Dates, DeleteBefore,
    ::testing::Values(DeleteCase { QDate(2024, 3, 1), 4, "1", true }, // oldest after the date
        DeleteCase { QDate(2024, 3, 5), 4, "4", false }, // on the oldest: nothing goes, newest shown
        DeleteCase { QDate(2024, 3, 10), 3, "4", false }, // the day itself stays
        DeleteCase { QDate(2024, 3, 11), 1, "4", false }, // both of the day before go
        DeleteCase { QDate(2024, 3, 13), 0, "", false })); // everything

TEST_F(ByDateTest, DeletingEverythingEmptiesDisplayRecord)
{
    forms::Forms::Find<tellora::MDIStart>()->mnuUtilitiesDeleteByDate.Trigger();
    auto* w = forms::Forms::Find<DeleteByDate>();
    QApplication::setActiveWindow(w);
    Focus(w->Bdates);
    Click(w->Delete); // today is after every reading
    EXPECT_EQ(Count(), 0);
    for (auto* box : { &record->Bdates, &record->Bdate, &record->Btime, &record->Spo2 })
        EXPECT_EQ(box->Text(), "");
    EXPECT_FALSE(tellora::ReadingShown());
}

TEST_F(ByDateTest, AFailureDuringTheDeletionDeletesNothing)
{
    forms::Forms::Find<tellora::MDIStart>()->mnuUtilitiesDeleteByDate.Trigger();
    auto* w = forms::Forms::Find<DeleteByDate>();
    QApplication::setActiveWindow(w);
    // The third deletion fails; the first two must come back.
    Sql(DbFile,
        "CREATE TRIGGER refuse BEFORE DELETE ON BLOOD WHEN old.Bpulse='3' BEGIN "
        "SELECT RAISE(ABORT, 'injected'); END");
    Pick(w, QDate(2024, 3, 13));
    Click(w->Delete);
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_TRUE(desk.messages[0].text.startsWith(tellora::DeleteFailedMessage));
    EXPECT_EQ(Count(), 4);
    EXPECT_EQ(record->Bpulse.Text(), "4");
    EXPECT_EQ(forms::Forms::Find<DeleteByDate>(), nullptr);
    EXPECT_TRUE(record->isEnabled());
}

TEST_F(ByDateTest, CancelDeletesNothing)
{
    forms::Forms::Find<tellora::MDIStart>()->mnuUtilitiesDeleteByDate.Trigger();
    auto* w = forms::Forms::Find<DeleteByDate>();
    QApplication::setActiveWindow(w);
    Pick(w, QDate(2024, 3, 13));
    Click(w->Cancel);
    EXPECT_EQ(Count(), 4);
    EXPECT_EQ(forms::Forms::Find<DeleteByDate>(), nullptr);
}

} // namespace
