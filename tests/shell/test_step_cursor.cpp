// The listings' stepping cursor walks BLOOD exactly as the engine's table
// recordset on index Readings does: same order (equal keys in the order
// added), same ends, same errors.
#include "support/tempdir.h"

#include "platform/dao/step_cursor.h"

#include "platform/dao/dao.h"
#include "shell/creation.h"
#include "shell/reading.h"

#include <gtest/gtest.h>

#include <fstream>
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
    dao::Transaction writing(dao::DefaultWorkspace());
    std::mt19937 rng(7);
    for (int i = 0; i < count; ++i) {
        const std::string day = Day(1 + int(rng() % 4));
        tellora::Reading r
            = tellora::Reading::NothingTaken(day, std::vector<std::string> { "08:30", "12:00", "17:45" }[rng() % 3]);
        r[tellora::Reading::Bcomm] = QStringLiteral("r%1").arg(i).toStdString();
        rs->AddNew();
        r.WriteTo(*rs);
        rs->Update();
    }
    writing.Commit();
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
        default:
            if constexpr (std::is_same_v<Cursor, dao::Recordset>)
                c.Seek("=", key);
            else
                c.Seek(key);
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

// What a walk to the end meets: the engine's error as number, text and file.
template<class Cursor> std::string WalkToEnd(Cursor& c)
{
    try {
        while (!c.EOF_())
            c.MoveNext();
    } catch (const dao::Error& e) {
        return std::to_string(e.Number()) + " | " + e.Description() + " | " + e.File();
    }
    return "no error";
}

TEST(StepCursor, ReportsADamagedFileAsTheRecordsetDoes)
{
    testsupport::ProgramFolder folder;
    WriteReadings(600);
    {
        // Wreck the last pages, where the newest readings lie; the schema
        // at the front stays whole, so the file still opens.
        std::fstream f(File, std::ios::in | std::ios::out | std::ios::binary);
        f.seekg(0, std::ios::end);
        const std::streamoff size = f.tellg();
        f.seekp(size - 3 * 4096);
        const std::string junk(3 * 4096, '\x5a');
        f.write(junk.data(), std::streamsize(junk.size()));
    }
    auto db = dao::DefaultWorkspace().OpenDatabase(File);
    std::string fromRecordset, fromCursor;
    {
        auto rs = db->OpenRecordset("BLOOD");
        rs->SetIndex("Readings");
        fromRecordset = WalkToEnd(*rs);
    }
    {
        dao::StepCursor cursor(*db, "BLOOD", "Readings");
        fromCursor = WalkToEnd(cursor);
    }
    EXPECT_EQ(fromRecordset.rfind(std::to_string(dao::errDamaged) + " | ", 0), 0u) << fromRecordset;
    EXPECT_NE(fromRecordset.find("| " + File), std::string::npos) << fromRecordset;
    EXPECT_EQ(fromCursor, fromRecordset);
}

} // namespace
