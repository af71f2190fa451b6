// The listings' stepping cursor walks BLOOD exactly as the engine's table
// recordset on index Readings does: same order (equal keys in the order
// added), same ends, same errors.
#include "support/tempdir.h"

#include "platform/dao/step_cursor.h"

#include "platform/dao/dao.h"
#include "shell/creation.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace {

using dao::StepCursor;

const std::string File = "CURSOR_TEST.mdb";

std::string Day(int d)
{
    return QStringLiteral("2024-01-0%1").arg(d).toStdString();
}

// Readings on a few days at a few times, some keys twice, added out of order.
void WriteReadings(int count)
{
    tellora::CreateReadingsDatabase(QString::fromStdString(File));
    auto db = dao::DefaultWorkspace().OpenDatabase(File);
    auto rs = db->OpenRecordset("BLOOD");
    std::mt19937 rng(7);
    for (int i = 0; i < count; ++i) {
        rs->AddNew();
        for (const auto& f : tellora::ReadingFields)
            rs->SetValue(f.name, "-");
        rs->SetValue("Bdate", Day(1 + int(rng() % 4)));
        rs->SetValue("Btime", std::vector<std::string> { "08:30", "12:00", "17:45" }[rng() % 3]);
        rs->SetValue("Bcomm", QStringLiteral("r%1").arg(i).toStdString());
        rs->Update();
    }
}

// Where a cursor stands: "BOF", "EOF", "BOF+EOF" or the row's comment;
// with the number of the error the move raised, if any.
template<class Cursor> std::string Where(const Cursor& c)
{
    std::string s = c.BOF() ? "BOF" : "";
    if (c.EOF_()) s += s.empty() ? "EOF" : "+EOF";
    return s.empty() ? *c.GetValue("bcomm") : s;
}

template<class Cursor> std::string Apply(Cursor& c, int op, const std::vector<std::string>& key)
{
    try {
        switch (op) {
        case 0:
            c.MoveNext();
            break;
        case 1:
            c.MovePrevious();
            break;
        case 2:
            c.MoveFirst();
            break;
        case 3:
            c.MoveLast();
            break;
        case 4:
            if constexpr (std::is_same_v<Cursor, dao::Recordset>)
                c.Seek("=", key);
            else
                c.Seek(key);
            return c.NoMatch() ? Where(c).append(" nomatch") : Where(c);
        default:
            if constexpr (std::is_same_v<Cursor, dao::Recordset>)
                c.Seek(">=", key);
            else
                c.SeekAtLeast(key);
            return c.NoMatch() ? Where(c).append(" nomatch") : Where(c);
        }
    } catch (const dao::Error& e) {
        return QStringLiteral("error %1 at %2").arg(e.Number()).arg(QString::fromStdString(Where(c))).toStdString();
    }
    return Where(c);
}

class CursorTest : public ::testing::TestWithParam<int> {
protected:
    testsupport::ProgramFolder folder;
};

TEST_P(CursorTest, MovesAsTheEnginesRecordsetDoes)
{
    const int rows = GetParam();
    WriteReadings(rows);
    auto db = dao::DefaultWorkspace().OpenDatabase(File);
    auto rs = db->OpenRecordset("BLOOD");
    rs->SetIndex("Readings");
    {
        dao::StepCursor cursor(*db, "BLOOD", "Readings");
        std::mt19937 rng(11);
        // Runs of the same move (a walk), turns, jumps and seeks of keys
        // stored once, twice or not at all.
        for (int i = 0; i < 600; ++i) {
            const int op = int(rng() % 5);
            const std::vector<std::string> key { Day(1 + int(rng() % 5)),
                std::vector<std::string> { "08:30", "12:00", "17:45", "09:00" }[rng() % 4] };
            const int repeat = op < 2 ? 1 + int(rng() % 6) : 1;
            for (int r = 0; r < repeat; ++r) {
                const std::string expected = Apply(*rs, op, key);
                ASSERT_EQ(Apply(cursor, op, key), expected) << "step " << i << " op " << op;
            }
        }
    }
    rs->Close();
    db->Close();
}

TEST_P(CursorTest, SeeksAtLeastAKeyOrItsDateAloneAsTheEnginesRecordsetDoes)
{
    WriteReadings(GetParam());
    auto db = dao::DefaultWorkspace().OpenDatabase(File);
    auto rs = db->OpenRecordset("BLOOD");
    rs->SetIndex("Readings");
    {
        dao::StepCursor cursor(*db, "BLOOD", "Readings");
        std::mt19937 rng(5);
        // A seek ">=" on the date alone or on date and time, then a walk
        // forward (the range reports' pass) or some other move.
        for (int i = 0; i < 300; ++i) {
            std::vector<std::string> key { Day(int(rng() % 6)) };
            if (rng() % 2) key.push_back(std::vector<std::string> { "08:30", "12:00", "17:45", "09:00" }[rng() % 4]);
            ASSERT_EQ(Apply(cursor, 5, key), Apply(*rs, 5, key)) << "step " << i;
            const int op = int(rng() % 4);
            const int repeat = op == 0 ? 1 + int(rng() % 8) : 1;
            for (int r = 0; r < repeat; ++r)
                ASSERT_EQ(Apply(cursor, op, key), Apply(*rs, op, key)) << "step " << i << " op " << op;
        }
    }
    rs->Close();
    db->Close();
}

INSTANTIATE_TEST_SUITE_P(Tables, CursorTest, ::testing::Values(0, 1, 2, 30));

TEST(StepCursor, RefusesAMissingTableOrIndex)
{
    testsupport::ProgramFolder folder;
    WriteReadings(1);
    auto db = dao::DefaultWorkspace().OpenDatabase(File);
    try {
        dao::StepCursor c(*db, "BLOOD", "Nowhere");
        FAIL() << "no error";
    } catch (const dao::Error& e) {
        EXPECT_EQ(e.Number(), dao::errItemNotFound);
    }
    EXPECT_THROW(dao::StepCursor(*db, "NOTABLE", "Readings"), dao::Error);
}

} // namespace
