// The current-reading window and the windows that act on the reading it
// shows act on that row: files holding two readings with one date and time,
// times stored under either separator or as no time at all, values longer
// than their boxes take.
#include "entry_fixture.h"

#include "entry/addrds.h"
#include "entry/editrds.h"
#include "entry/searchrds.h"

#include <algorithm>
#include <vector>

using namespace entrytest;
using tellora::DisplayRecord;

namespace {

struct Written {
    std::string date, time, comment;
};

struct Fixture {
    const char* name;
    bool raw; // written with SQLite behind the engine (Null in Temp), else through the engine
    std::vector<Written> rows; // in the order they were added
    std::vector<std::string> order; // the comments in index order
    std::string target; // the reading deleted and edited
    QString targetTime; // its time as shown
    std::string afterDelete; // the reading shown once it is deleted
};

void PrintTo(const Fixture& f, std::ostream* os)
{
    *os << f.name;
}

const Fixture Fixtures[] = {
    { "DuplicatesAtTheStart", false,
        { { "2024-01-01", "08:00", "A1" }, { "2024-01-01", "08:00", "A2" }, { "2024-01-02", "08:00", "B" },
            { "2024-01-03", "08:00", "C" } },
        { "A1", "A2", "B", "C" }, "A2", "08:00 AM", "B" },
    { "DuplicatesInTheMiddle", true,
        { { "2024-01-01", "08:00", "A" }, { "2024-01-02", "12:15", "B1" }, { "2024-01-02", "12:15", "B2" },
            { "2024-01-02", "12:15", "B3" }, { "2024-01-03", "08:00", "C" } },
        { "A", "B1", "B2", "B3", "C" }, "B2", "12:15 PM", "B3" },
    { "DuplicatesAtTheEnd", false,
        { { "2024-01-01", "08:00", "A" }, { "2024-01-02", "08:00", "B" }, { "2024-01-03", "23:45", "C1" },
            { "2024-01-03", "23:45", "C2" } },
        { "A", "B", "C1", "C2" }, "C2", "11:45 PM", "C1" },
    { "TimesUnderBothSeparators", true,
        { { "2024-02-01", "08.30", "P" }, { "2024-02-01", "09:00", "Q" }, { "2024-02-01", "07:15", "R" },
            { "2024-02-02", "06.00", "S" } },
        { "R", "P", "Q", "S" }, "P", "08:30 AM", "Q" },
    { "OneTimeUnderBothSeparators", true,
        { { "2024-03-01", "08:30", "X1" }, { "2024-03-01", "08.30", "X2" }, { "2024-03-01", "10:00", "Y" } },
        { "X2", "X1", "Y" }, "X1", "08:30 AM", "Y" },
    { "ATimeThatReadsAsNoTime", true,
        { { "2024-04-01", "07:00", "U" }, { "2024-04-01", "noon", "V" }, { "2024-04-02", "07:00", "W" } },
        { "U", "V", "W" }, "V", "noon", "W" },
};

class ShownRow : public EntryTest, public ::testing::WithParamInterface<Fixture> {
protected:
    DisplayRecord* record = nullptr;

    void SetUp() override
    {
        EntryTest::SetUp();
        const Fixture& f = GetParam();
        if (f.raw) {
            SQLite::Database db(DbFile.toStdString(), SQLite::OPEN_READWRITE);
            SQLite::Statement add(db,
                "INSERT INTO BLOOD (Bdate, Btime, Bsugar, Bpressure, Bpulse, Bweight, Bcomm, Dpressure, Instype, "
                "Insamt, Site, SPO2, Temp) VALUES (?, ?, '-', '-', '-', '-', ?, '-', '-', '-', '-', '-', NULL)");
            for (const Written& r : f.rows) {
                add.bind(1, r.date);
                add.bind(2, r.time);
                add.bind(3, r.comment);
                add.exec();
                add.reset();
            }
        } else {
            for (const Written& r : f.rows)
                AddReading(r.date, r.time, { { "Bcomm", r.comment } });
        }
        record = Open();
        ASSERT_NE(record, nullptr);
    }

    std::string Shown() const { return record->Bcomm.Text().toStdString(); }

    // Steps with one button from where the window stands until it beeps.
    std::vector<std::string> Walk(forms::CommandButton& button)
    {
        std::vector<std::string> seen { Shown() };
        const int beeps = desk.beeps;
        for (std::size_t i = 0; i < 2 * GetParam().rows.size() && desk.beeps == beeps; ++i) {
            Click(button);
            if (desk.beeps == beeps) seen.push_back(Shown());
        }
        return seen;
    }

    void ShowTarget()
    {
        Click(record->FirstRecord);
        for (std::size_t i = 0; i < GetParam().rows.size() && Shown() != GetParam().target; ++i)
            Click(record->NextRecord);
        ASSERT_EQ(Shown(), GetParam().target);
        EXPECT_EQ(record->Btime.Text(), GetParam().targetTime);
    }

    // Each stored row as comment and sugar, in the order they were added.
    static std::vector<std::pair<std::string, std::string>> Rows()
    {
        SQLite::Database db(DbFile.toStdString(), SQLite::OPEN_READONLY);
        SQLite::Statement all(db, "SELECT Bcomm, Bsugar FROM BLOOD ORDER BY Bcomm");
        std::vector<std::pair<std::string, std::string>> rows;
        while (all.executeStep())
            rows.emplace_back(all.getColumn(0).getString(), all.getColumn(1).getString());
        return rows;
    }
};

TEST_P(ShownRow, StepsReachEveryReadingOnceInIndexOrder)
{
    const std::vector<std::string>& order = GetParam().order;
    Click(record->FirstRecord);
    EXPECT_EQ(Walk(record->NextRecord), order);
    EXPECT_EQ(desk.beeps, 1);
    EXPECT_EQ(Walk(record->PreviousRecord), std::vector<std::string>(order.rbegin(), order.rend()));
    EXPECT_EQ(desk.beeps, 2);
    EXPECT_TRUE(desk.messages.empty());
}

TEST_P(ShownRow, DeleteRemovesTheShownRowAndShowsItsNeighbour)
{
    ShowTarget();
    Click(record->Delete);
    ASSERT_EQ(desk.messages.size(), 1u); // the question alone
    std::vector<std::pair<std::string, std::string>> expected;
    for (const Written& r : GetParam().rows)
        if (r.comment != GetParam().target) expected.emplace_back(r.comment, "-");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Rows(), expected);
    EXPECT_EQ(Shown(), GetParam().afterDelete);
}

TEST_P(ShownRow, EditChangesTheShownRowAlone)
{
    ShowTarget();
    Click(record->Edit);
    auto* w = forms::Forms::Find<tellora::EditRds>();
    ASSERT_NE(w, nullptr);
    w->Bsugar.SetText("777");
    Click(w->Save);
    EXPECT_TRUE(desk.messages.empty());
    EXPECT_EQ(forms::Forms::Find<tellora::EditRds>(), nullptr);
    std::vector<std::pair<std::string, std::string>> expected;
    for (const Written& r : GetParam().rows)
        expected.emplace_back(r.comment, r.comment == GetParam().target ? "777" : "-");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Rows(), expected);
    EXPECT_EQ(Shown(), GetParam().target);
    EXPECT_EQ(record->Bsugar.Text(), "777");
    // The shown row is the edited one: stepping goes on from it.
    Click(record->PreviousRecord);
    Click(record->NextRecord);
    EXPECT_EQ(Shown(), GetParam().target);
}

INSTANTIATE_TEST_SUITE_P(Files, ShownRow, ::testing::ValuesIn(Fixtures),
    [](const ::testing::TestParamInfo<Fixture>& info) { return std::string(info.param.name); });

class ShownRowTest : public EntryTest { };

TEST_F(ShownRowTest, EditKeepsAStoredTimeUnderTheOtherSeparatorWhenTheTimeIsUntouched)
{
    Sql(DbFile,
        "INSERT INTO BLOOD VALUES ('2024-02-01', '08.30', '-', '-', '-', '-', 'P', '-', '-', '-', '-', '-', '-')");
    auto* record = Open();
    ASSERT_EQ(record->Btime.Text(), "08:30 AM");
    Click(record->Edit);
    auto* w = forms::Forms::Find<tellora::EditRds>();
    ASSERT_NE(w, nullptr);
    w->Bpulse.SetText("60");
    Click(w->Save);
    EXPECT_TRUE(desk.messages.empty());
    auto row = Stored("2024-02-01", "08.30");
    ASSERT_TRUE(row);
    EXPECT_EQ((*row)["Bpulse"], "60");
    EXPECT_EQ(Count(), 1);
}

TEST_F(ShownRowTest, SearchShowsTheFirstOfTwoReadingsWithOneKeyAndNextTheSecond)
{
    AddReading("2024-01-01", "08:00", { { "Bcomm", "A1" } });
    AddReading("2024-01-01", "08:00", { { "Bcomm", "A2" } });
    AddReading("2024-01-05", "08:00", { { "Bcomm", "B" } });
    auto* record = Open();
    Click(record->Search);
    auto* w = forms::Forms::Find<tellora::SearchRds>();
    ASSERT_NE(w, nullptr);
    Focus(w->Bdates);
    w->Bdates.SetValue(QDate(2024, 1, 1));
    Focus(w->Search);
    Click(w->Search);
    EXPECT_EQ(record->Bcomm.Text(), "A1");
    Click(record->NextRecord);
    EXPECT_EQ(record->Bcomm.Text(), "A2");
    Click(record->NextRecord);
    EXPECT_EQ(record->Bcomm.Text(), "B");
}

struct SeparatorCase {
    const char* system; // the running system's time separator
    const char* stored; // how the reading already stored spells 08:30
};

class DuplicateUnderEitherSeparator : public EntryTest, public ::testing::WithParamInterface<SeparatorCase> { };

TEST_P(DuplicateUnderEitherSeparator, AddFindsTheStoredReading)
{
    tellora::TimeLocale locale;
    locale.timeSeparator = GetParam().system;
    tellora::setTimeLocale(locale);
    AddReading("2024-03-15", GetParam().stored, { { "Bcomm", "first" } });
    auto* record = Open();
    Click(record->AddReadings);
    auto* w = forms::Forms::Find<tellora::AddRds>();
    ASSERT_NE(w, nullptr);
    // Focus events reach only the active window, as for a user.
    QApplication::setActiveWindow(w);
    QApplication::processEvents();
    Focus(w->Bdates);
    Focus(w->Btime);
    w->Btime.SetListIndex(w->Btime.findText("8:30 AM"));
    w->Bsugar.SetText("99");
    Click(w->SaveRd);
    EXPECT_EQ(Texts(), std::vector<QString> { tellora::DuplicateMessage });
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(record->Bcomm.Text(), "first");
}

INSTANTIATE_TEST_SUITE_P(Cases, DuplicateUnderEitherSeparator,
    ::testing::Values(SeparatorCase { ":", "08:30" }, SeparatorCase { ":", "08.30" }, SeparatorCase { ".", "08:30" },
        SeparatorCase { ".", "08.30" }));

TEST_F(ShownRowTest, ValuesLongerThanTheirBoxesShowWholeAndSurviveAnEditThatLeavesThem)
{
    const std::string sugar = "1234567", pressure = "1234", insulin(25, 'i'), dose = "12345678", site(30, 's');
    Sql(DbFile,
        "INSERT INTO BLOOD VALUES ('2024-02-01', '08:30', '" + sugar + "', '" + pressure + "', '-', '-', 'long', '-', '"
            + insulin + "', '" + dose + "', '" + site + "', '-', '-')");
    auto* record = Open();
    EXPECT_EQ(record->Bsugar.Text().toStdString(), sugar);
    EXPECT_EQ(record->Instype.Text().toStdString(), insulin);
    EXPECT_EQ(record->Insamt.Text().toStdString(), dose);
    EXPECT_EQ(record->Site.Text().toStdString(), site);
    Click(record->Edit);
    auto* w = forms::Forms::Find<tellora::EditRds>();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Bpressure.Text().toStdString(), pressure);
    EXPECT_EQ(w->Instype.Text().toStdString(), insulin);
    w->Bpulse.SetText("60");
    Click(w->Save);
    EXPECT_TRUE(desk.messages.empty());
    auto row = Stored("2024-02-01", "08:30");
    ASSERT_TRUE(row);
    EXPECT_EQ((*row)["Bsugar"], sugar);
    EXPECT_EQ((*row)["Bpressure"], pressure);
    EXPECT_EQ((*row)["Instype"], insulin);
    EXPECT_EQ((*row)["Insamt"], dose);
    EXPECT_EQ((*row)["Site"], site);
    EXPECT_EQ((*row)["Bpulse"], "60");
}

} // namespace
