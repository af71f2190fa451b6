// The walk over a date range: from the first reading dated on or after the
// first day to the last one dated on or before the last day, in index order,
// the same on every pass; and the range as the headers print it.
#include "reports/range/date_range.h"

#include "shell/creation.h"
#include "shell/format.h"
#include "support/tempdir.h"

#include "platform/dao/step_cursor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using tellora::DateRange;
using tellora::Reading;

const std::string File = "WALK_TEST.mdb";

// Written out of order; two readings share 03-05 08:00.
const std::vector<std::pair<std::string, std::string>> Stored = {
    { "2024-03-05", "17:45" },
    { "2024-03-03", "08:00" },
    { "2024-03-05", "08:00" },
    { "2024-03-07", "23:59" },
    { "2024-03-05", "08:00" },
    { "2024-03-03", "00:00" },
    { "2024-03-08", "00:00" },
};

class Walk : public ::testing::Test {
protected:
    void SetUp() override
    {
        tellora::CreateReadingsDatabase(QString::fromStdString(File));
        auto db = dao::DefaultWorkspace().OpenDatabase(File);
        auto rs = db->OpenRecordset("BLOOD");
        int n = 0;
        for (const auto& [date, time] : Stored) {
            rs->AddNew();
            for (const auto& f : tellora::ReadingFields)
                rs->SetValue(f.name, "-");
            rs->SetValue("Bdate", date);
            rs->SetValue("Btime", time);
            // Appended, not prefixed to a temporary: GCC 12 at -O3 sees a false overlap there (-Wrestrict).
            rs->SetValue("Bcomm", std::string("r").append(std::to_string(n++)));
            rs->Update();
        }
        rs->Close();
        db->Close();
    }

    // One pass as every report makes it: seek, then on until the walk ends.
    static std::vector<std::string> Pass(dao::StepCursor& c, const tellora::reports::ReportWalk& walk)
    {
        std::vector<std::string> out;
        walk.seekFirst(c);
        for (; !c.EOF_(); c.MoveNext()) {
            const Reading r = Reading::From(c);
            if (walk.endsAt(r)) break;
            out.push_back(r.Text(Reading::Bcomm).toStdString());
        }
        return out;
    }

    testsupport::ProgramFolder folder;
};

struct RangeCase {
    const char* first;
    const char* last;
    std::vector<std::string> readings; // by comment, in walk order
};

TEST_F(Walk, TakesTheReadingsOfTheRangeInIndexOrder)
{
    const std::vector<RangeCase> cases = {
        { "2024-03-05", "2024-03-05", { "r2", "r4", "r0" } }, // equal keys in the order added
        { "2024-03-01", "2024-03-03", { "r5", "r1" } }, // first day before every reading
        { "2024-03-04", "2024-03-06", { "r2", "r4", "r0" } }, // first day without readings: the next day's
        { "2024-03-07", "2024-03-07", { "r3" } }, // the last day whatever its time; the next day not
        { "2024-03-06", "2024-03-06", {} }, // a day without readings between two
        { "2024-01-01", "2024-02-29", {} }, // before every reading
        { "2024-03-09", "2024-12-31", {} }, // after every reading: never past the end
        { "2024-03-01", "2099-12-31", { "r5", "r1", "r2", "r4", "r0", "r3", "r6" } },
    };
    auto db = dao::DefaultWorkspace().OpenDatabase(File);
    {
        dao::StepCursor cursor(*db, "BLOOD", "Readings");
        for (const RangeCase& c : cases) {
            const auto walk = tellora::RangeWalk(DateRange { c.first, c.last, {}, {} });
            EXPECT_EQ(Pass(cursor, walk), c.readings) << c.first << " to " << c.last;
            // Each pass starts afresh with the same readings.
            EXPECT_EQ(Pass(cursor, walk), c.readings) << c.first << " to " << c.last << ", second pass";
        }
    }
    db->Close();
}

TEST(RangeTexts, PrintThePickedDaysMonthFirstWithTheSystemsSeparator)
{
    const DateRange range { "2024-03-07", "2024-04-12", QDate(2024, 3, 7), QDate(2024, 4, 12) };
    tellora::setTimeLocale(tellora::TimeLocale {});
    EXPECT_EQ(range.Text(), "03/07/2024 To 04/12/2024");
    tellora::TimeLocale german;
    german.shortDateFormat = "dd.MM.yyyy";
    tellora::setTimeLocale(german);
    EXPECT_EQ(range.Text(), "03.07.2024 To 04.12.2024");
    tellora::resetTimeLocale();
    EXPECT_EQ(tellora::RangeDayText(QDate(9999, 12, 31)).right(4), "9999");
}

} // namespace
