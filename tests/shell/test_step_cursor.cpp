// The listings' stepping cursor walks BLOOD exactly as the engine's table
// recordset on index Readings does: same order (equal keys in the order
// added), same ends, same errors.
#include "support/tempdir.h"

#include "platform/dao/step_cursor.h"

#include "platform/dao/dao.h"
#include "platform/dao/sqlite_support.h"
#include "shell/creation.h"
#include "shell/reading.h"

#include <gtest/gtest.h>

#include <SQLiteCpp/SQLiteCpp.h>
#include <sqlite3.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <thread>
#include <tuple>

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

// Another program may store a reading without a date or time. The move
// from such a row goes on in the index's order, Null first, as the table
// recordset's does: a row value comparing Null would find no row at all.
TEST_P(CursorTest, MovesFromARowWithoutADateOrTimeAsTheEnginesRecordsetDoes)
{
    WriteReadings(GetParam());
    {
        SQLite::Database raw(File, SQLite::OPEN_READWRITE);
        raw.exec("UPDATE BLOOD SET Bdate = NULL WHERE rowid % 5 = 0");
        raw.exec("UPDATE BLOOD SET Btime = NULL WHERE rowid % 7 = 0");
    }
    auto db = dao::DefaultWorkspace().OpenDatabase(File);
    auto rs = db->OpenRecordset("BLOOD");
    rs->SetIndex("Readings");
    {
        dao::StepCursor cursor(*db, "BLOOD", "Readings");
        std::vector<long long> nullKeyed;
        {
            SQLite::Database raw(File, SQLite::OPEN_READONLY);
            SQLite::Statement q(raw, "SELECT rowid FROM BLOOD WHERE Bdate IS NULL OR Btime IS NULL");
            while (q.executeStep())
                nullKeyed.push_back(q.getColumn(0).getInt64());
        }
        EXPECT_EQ(nullKeyed.empty(), GetParam() < 5);
        for (long long row : nullKeyed)
            for (int op : { 0, 1 }) {
                rs->SetBookmark(row);
                cursor.SetBookmark(row);
                const std::string expected = Apply(*rs, op, {});
                ASSERT_EQ(Apply(cursor, op, {}), expected) << "row " << row << " op " << op;
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

// A filtered walk lands exactly where an unfiltered walk lands after passing
// over the rows that fail the test in C++: Null, the mark itself, but not a
// mark with a blank after it or in another letter case.
TEST(StepCursor, AFilteredWalkSkipsExactlyTheRowsThatFail)
{
    testsupport::ProgramFolder folder;
    tellora::CreateReadingsDatabase(QString::fromStdString(File));
    const std::vector<dao::Value> values { "-", std::nullopt, "- ", "", "5", "n", "N", "it's" };
    {
        auto db = dao::DefaultWorkspace().OpenDatabase(File);
        auto rs = db->OpenRecordset("BLOOD");
        std::mt19937 rng(5);
        for (int i = 0; i < 120; ++i) {
            rs->AddNew();
            for (const auto& f : tellora::ReadingFields)
                rs->SetValue(f.name, "-");
            rs->SetValue("Bdate", Day(1 + int(rng() % 6)));
            rs->SetValue("Btime", std::vector<std::string> { "08:30", "12:00" }[rng() % 2]);
            rs->SetValue("Bcomm", QStringLiteral("r%1").arg(i).toStdString());
            // Mostly failing, so walks pass over runs of rows.
            for (const char* f : { "Bsugar", "Insamt", "Site" })
                rs->SetValue(f, rng() % 4 ? values[rng() % 2] : values[rng() % values.size()]);
            rs->Update();
        }
    }
    // Sugar held (with "-" as the mark), or both an amount and a site other than "n".
    const auto holds = [](const dao::StepCursor& c, const char* f, const std::string& mark) {
        const dao::Value v = c.GetValue(f);
        return v && *v != mark;
    };
    const auto passes = [&](const dao::StepCursor& c) {
        return holds(c, "Bsugar", "-") || (holds(c, "insamt", "-") && holds(c, "SITE", "n"));
    };
    const dao::RowFilter filter = dao::RowFilter::AnyOf({ dao::RowFilter::Holds("Bsugar", "-"),
        dao::RowFilter::AllOf({ dao::RowFilter::Holds("insamt", "-"), dao::RowFilter::Holds("SITE", "n") }) });

    auto db = dao::DefaultWorkspace().OpenDatabase(File);
    dao::StepCursor plain(*db, "BLOOD", "Readings");
    dao::StepCursor filtered(*db, "BLOOD", "Readings");
    filtered.SetFilter(filter);
    EXPECT_TRUE(filtered.Filtered());
    std::mt19937 rng(3);
    for (int i = 0; i < 400; ++i) {
        const int op = int(rng() % 5);
        const std::vector<std::string> key { Day(1 + int(rng() % 6)), rng() % 2 ? "08:30" : "12:00" };
        // The reference: the plain cursor makes the move, then keeps going
        // the same way over the rows that fail.
        std::string expected = Apply(plain, op, key);
        const bool forward = op == 0 || op == 2;
        if (op < 4 && expected.rfind("error", 0) != 0) {
            while (!(forward ? plain.EOF_() : plain.BOF()) && !passes(plain))
                forward ? plain.MoveNext() : plain.MovePrevious();
            expected = Where(plain);
        }
        ASSERT_EQ(Apply(filtered, op, key), expected) << "step " << i << " op " << op;
    }

    // No row passes: MoveFirst ends at EOF and MoveLast at BOF, without an error.
    filtered.SetFilter(dao::RowFilter::Holds("Temp", "-"));
    filtered.MoveFirst();
    EXPECT_EQ(Where(filtered), "EOF");
    filtered.MoveLast();
    EXPECT_EQ(Where(filtered), "BOF");
    // The seek still finds its row, and clearing the filter walks every row again.
    filtered.Seek({ Day(1), "08:30" });
    plain.Seek({ Day(1), "08:30" });
    ASSERT_EQ(filtered.NoMatch(), plain.NoMatch());
    filtered.SetFilter({});
    EXPECT_FALSE(filtered.Filtered());
    for (int i = 0; i < 10; ++i) {
        Apply(plain, 0, {});
        ASSERT_EQ(Apply(filtered, 0, {}), Where(plain));
    }
    EXPECT_THROW(filtered.SetFilter(dao::RowFilter::Holds("Nowhere", "-")), dao::Error);
}

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

TEST(StepCursor, BookmarksNameOneRowAndStepsGoOnFromIt)
{
    testsupport::ProgramFolder folder;
    WriteReadings(30);
    auto db = dao::DefaultWorkspace().OpenDatabase(File);
    std::vector<std::pair<long long, std::string>> rows;
    {
        auto rs = db->OpenRecordset("BLOOD");
        rs->SetIndex("Readings");
        for (; !rs->EOF_(); rs->MoveNext())
            rows.emplace_back(rs->Bookmark(), rs->Text("Bcomm"));
    }
    {
        dao::StepCursor cursor(*db, "BLOOD", "Readings");
        for (std::size_t i = 0; i < rows.size(); i += 7) {
            cursor.SetBookmark(rows[i].first);
            EXPECT_EQ(*cursor.GetValue("Bcomm"), rows[i].second);
            EXPECT_EQ(cursor.Bookmark(), rows[i].first);
            cursor.MoveNext();
            if (i + 1 < rows.size()) {
                EXPECT_EQ(*cursor.GetValue("Bcomm"), rows[i + 1].second);
            }
            cursor.SetBookmark(rows[i].first);
            cursor.MovePrevious();
            if (i > 0) {
                EXPECT_EQ(*cursor.GetValue("Bcomm"), rows[i - 1].second);
            }
        }
        try {
            cursor.SetBookmark(-5);
            ADD_FAILURE() << "a bookmark of no row was taken";
        } catch (const dao::Error& e) {
            EXPECT_EQ(e.Number(), dao::errInvalidBookmark);
        }
    }
    db->Close();
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

// Null, an empty text and a text each come back as stored, row after row:
// the cursor reuses its buffers between rows without mixing them up.
TEST(StepCursor, ReadsNullEmptyAndTextValuesAsStored)
{
    testsupport::ProgramFolder folder;
    tellora::CreateReadingsDatabase(QString::fromStdString(File));
    {
        auto db = dao::DefaultWorkspace().OpenDatabase(File);
        auto rs = db->OpenRecordset("BLOOD");
        const std::vector<dao::Value> comments
            = { std::string("a long comment of some length"), std::nullopt, std::string(""), std::string("x") };
        for (std::size_t i = 0; i < comments.size(); ++i) {
            tellora::Reading r = tellora::Reading::NothingTaken(Day(1), "0" + std::to_string(i) + ":00");
            r[tellora::Reading::Bcomm] = comments[i];
            rs->AddNew();
            r.WriteTo(*rs);
            rs->Update();
        }
    }
    auto db = dao::DefaultWorkspace().OpenDatabase(File);
    StepCursor c(*db, "BLOOD", "Readings");
    const int comment = c.FieldPosition("BCOMM");
    std::vector<dao::Value> read;
    for (; !c.EOF_(); c.MoveNext()) {
        read.push_back(c.ValueAt(comment));
        EXPECT_EQ(c.GetValue("Bcomm"), read.back());
    }
    EXPECT_EQ(read,
        (std::vector<dao::Value> {
            std::string("a long comment of some length"), std::nullopt, std::string(""), std::string("x") }));
    EXPECT_THROW(c.ValueAt(comment), dao::Error); // no current row at the end
}

} // namespace

// A filtered walk that goes over to a sorted scan midway, or at once, and
// scans in batches, lands on the same rows in the same order as the walk
// that stays on the index: keys twice, keys in two letter cases, and keys
// that are Null, which walks keyed from a row compare as SQL does.
TEST(StepCursor, AWalkThatTurnsIntoAScanLandsWhereTheWalkWould)
{
    testsupport::ProgramFolder folder;
    tellora::CreateReadingsDatabase(QString::fromStdString(File));
    {
        auto db = dao::DefaultWorkspace().OpenDatabase(File);
        auto rs = db->OpenRecordset("BLOOD");
        dao::Transaction writing(dao::DefaultWorkspace());
        std::mt19937 rng(9);
        const std::vector<dao::Value> dates { Day(1), Day(2), Day(3), "2024-01-0x", "2024-01-0X" };
        const std::vector<dao::Value> times { "08:30", "08.30", "12:00" };
        for (int i = 0; i < 300; ++i) {
            rs->AddNew();
            for (const auto& f : tellora::ReadingFields)
                rs->SetValue(f.name, "-");
            rs->SetValue("Bdate", dates[rng() % dates.size()]);
            rs->SetValue("Btime", times[rng() % times.size()]);
            rs->SetValue("Bcomm", QStringLiteral("r%1").arg(i).toStdString());
            if (rng() % 6 == 0) rs->SetValue("Bsugar", "5");
            rs->Update();
        }
        writing.Commit();
    }
    {
        // The program never stores a reading without a date or time; another program may.
        SQLite::Database raw(File, SQLite::OPEN_READWRITE);
        raw.exec("UPDATE BLOOD SET Bdate = NULL WHERE rowid % 11 = 0");
        raw.exec("UPDATE BLOOD SET Btime = NULL WHERE rowid % 7 = 0");
    }
    const auto walk = [](int seed) {
        auto db = dao::DefaultWorkspace().OpenDatabase(File);
        dao::StepCursor c(*db, "BLOOD", "Readings");
        c.SetFilter(dao::RowFilter::Holds("Bsugar", "-"));
        std::mt19937 rng(seed);
        std::string seen;
        for (int i = 0; i < 150; ++i) {
            const int op = int(rng() % 5);
            const std::vector<std::string> key { std::vector<std::string> { Day(1), Day(2), "2024-01-0X" }[rng() % 3],
                std::vector<std::string> { "08:30", "08.30", "12:00" }[rng() % 3] };
            const int repeat = op < 2 ? 1 + int(rng() % 12) : 1;
            for (int r = 0; r < repeat; ++r)
                seen += Apply(c, op, key) + "\n";
        }
        return std::make_tuple(seen, c.Scans(), c.PartedScans());
    };
    for (int seed : { 1, 2, 3 }) {
        const auto [indexed, none, noParts] = walk(seed);
        EXPECT_EQ(none, 0) << "a small table is walked on its index";
        EXPECT_EQ(noParts, 0);
        struct Switch {
            long long steps;
            int batch;
            int ways = 0;
        };
        for (const Switch s : { Switch { 1, 0 }, Switch { 1, 1 }, Switch { 1, 3 }, Switch { 40, 2 }, Switch { 300, 0 },
                 Switch { 1, 0, 2 }, Switch { 1, 1, 3 }, Switch { 40, 2, 4 }, Switch { 1, 0, 7 } }) {
            StepCursor::SetScanSwitch(s.steps, s.batch);
            StepCursor::SetPartedScan(s.ways ? 1 : 0, s.ways);
            const auto [scanned, scans, parted] = walk(seed);
            StepCursor::SetScanSwitch(0, 0);
            StepCursor::SetPartedScan(0, 0);
            EXPECT_GT(scans, 0) << "steps " << s.steps;
            EXPECT_EQ(parted > 0, s.ways > 0) << "ways " << s.ways;
            ASSERT_EQ(scanned, indexed) << "seed " << seed << ", steps " << s.steps << ", batch " << s.batch
                                        << ", ways " << s.ways;
        }
    }
}

// The comments of the readings holding a sugar, first to last then last to
// first, and how many scan batches ran in parts.
std::string SugarsBothWays(dao::Database& db, int& parted)
{
    dao::StepCursor c(db, "BLOOD", "Readings");
    c.SetFilter(dao::RowFilter::Holds("Bsugar", "-"));
    std::string seen;
    for (c.MoveFirst(); !c.EOF_(); c.MoveNext())
        seen += Where(c) + " ";
    for (c.MoveLast(); !c.BOF(); c.MovePrevious())
        seen += Where(c) + " ";
    parted = c.PartedScans();
    return seen;
}

// A scan in parts reads the file on connections of their own: it must list
// what the cursor's own connection would, its own changes not yet committed
// included and another program's left out, and never wait on another lock.
TEST(StepCursor, AScanInPartsListsWhatTheCursorsOwnConnectionSees)
{
    testsupport::ProgramFolder folder;
    WriteReadings(240);
    auto db = dao::DefaultWorkspace().OpenDatabase(File);
    const auto setSugar = [&](const std::string& comment) {
        auto rs = db->OpenRecordset("BLOOD");
        for (rs->MoveFirst(); !rs->EOF_(); rs->MoveNext())
            if (rs->GetValue("Bcomm") == comment) {
                rs->Edit();
                rs->SetValue("Bsugar", "6");
                rs->Update();
                return;
            }
        FAIL() << comment;
    };
    setSugar("r40");
    setSugar("r200");
    const auto sugars = [&](int& parted) { return SugarsBothWays(*db, parted); };
    StepCursor::SetScanSwitch(1, 0);
    StepCursor::SetPartedScan(1, 3);
    int parted = 0;
    const std::string committed = sugars(parted);
    EXPECT_GT(parted, 0);
    EXPECT_NE(committed.find("r40 "), std::string::npos);
    EXPECT_NE(committed.find("r200 "), std::string::npos);
    {
        // Its own change, not yet committed: the scan runs whole here.
        dao::Transaction pending(dao::DefaultWorkspace());
        setSugar("r120");
        const std::string own = sugars(parted);
        EXPECT_EQ(parted, 0);
        EXPECT_NE(own.find("r120 "), std::string::npos) << own;
    }
    {
        // Another program's change, not yet committed: not listed, and the
        // parts read beside its lock.
        SQLite::Database other(File, SQLite::OPEN_READWRITE);
        other.exec("BEGIN IMMEDIATE");
        other.exec("UPDATE BLOOD SET Bsugar = '9' WHERE Bcomm = 'r7'");
        EXPECT_EQ(sugars(parted), committed);
        EXPECT_GT(parted, 0);
        other.exec("ROLLBACK");
    }
    StepCursor::SetScanSwitch(0, 0);
    StepCursor::SetPartedScan(0, 0);
}

// Another program committing while a move reads waits for the move's read
// lock and keeps new readers out meanwhile: the parts, new readers, must not
// wait for it (it waits for the move, so both would wait out their
// timeouts). The move scans whole on the cursor's own connection over the
// moment it began on, without the commit; the commit lands once the move is
// over, and the next move sees it.
TEST(StepCursor, AScanInPartsNeverWaitsForAProgramThatWaitsForTheCursor)
{
    testsupport::ProgramFolder folder;
    WriteReadings(240);
    auto db = dao::DefaultWorkspace().OpenDatabase(File);
    SQLite::Database other(File, SQLite::OPEN_READWRITE, 10000);
    std::thread committing;
    std::atomic<bool> committed { false };
    StepCursor::SetScanSwitch(1, 0);
    StepCursor::SetPartedScan(1, 3, [&] {
        if (committing.joinable()) return;
        other.exec("BEGIN IMMEDIATE");
        other.exec("UPDATE BLOOD SET Bsugar = '9' WHERE Bcomm = 'r7'");
        // Its commit takes the lock that keeps new readers out, then waits.
        committing = std::thread([&] {
            other.exec("COMMIT");
            committed = true;
        });
        // Until a new reader is kept out.
        SQLite::Database reader(File, SQLite::OPEN_READONLY);
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < until) {
            const int rc
                = sqlite3_exec(reader.getHandle(), "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
            if (rc == SQLITE_BUSY) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    const auto started = std::chrono::steady_clock::now();
    dao::StepCursor c(*db, "BLOOD", "Readings");
    c.SetFilter(dao::RowFilter::Holds("Bsugar", "-"));
    c.MoveFirst();
    const std::string seen = Where(c);
    const int parted = c.PartedScans();
    const bool committedInside = committed;
    c.MoveLast();
    const std::string next = Where(c);
    StepCursor::SetPartedScan(0, 0);
    StepCursor::SetScanSwitch(0, 0);
    const auto waited = std::chrono::steady_clock::now() - started;
    committing.join();
    EXPECT_EQ(seen, "EOF") << "no reading held a sugar when the move began";
    EXPECT_FALSE(committedInside);
    EXPECT_EQ(parted, 0);
    EXPECT_EQ(next, "r7") << "the commit lands between the two moves";
    EXPECT_TRUE(committed);
    EXPECT_LT(waited, std::chrono::seconds(2));
}

// Another program may store any rowid: parts split whatever range they span,
// or the scan runs whole, and either way it lists what the walk does.
TEST(StepCursor, AScanInPartsTakesRowidsAtBothEndsOfTheRange)
{
    testsupport::ProgramFolder folder;
    WriteReadings(40);
    {
        SQLite::Database raw(File, SQLite::OPEN_READWRITE);
        raw.exec("INSERT INTO BLOOD (rowid, Bdate, Btime, Bsugar, Bcomm) VALUES "
                 "(-9223372036854775807, '2024-01-02', '08:30', '7', 'lowest'), "
                 "(9223372036854775807, '2024-01-01', '12:00', '8', 'highest'), "
                 "(-5, '2024-01-03', '17:45', '9', 'negative')");
    }
    auto db = dao::DefaultWorkspace().OpenDatabase(File);
    const auto listed = [&](int ways, int& parted) {
        StepCursor::SetScanSwitch(ways ? 1 : 0, 0);
        StepCursor::SetPartedScan(ways ? 1 : 0, ways);
        const std::string seen = SugarsBothWays(*db, parted);
        StepCursor::SetScanSwitch(0, 0);
        StepCursor::SetPartedScan(0, 0);
        return seen;
    };
    int parted = 0;
    const std::string walked = listed(0, parted);
    EXPECT_EQ(walked, "highest lowest negative negative lowest highest ");
    for (int ways : { 2, 3, 8 })
        EXPECT_EQ(listed(ways, parted), walked) << ways << " parts";
    // A range the parts can split.
    {
        SQLite::Database raw(File, SQLite::OPEN_READWRITE);
        raw.exec("UPDATE BLOOD SET rowid = -2305843009213693952 WHERE Bcomm = 'lowest'");
        raw.exec("UPDATE BLOOD SET rowid = 2305843009213693952 WHERE Bcomm = 'highest'");
    }
    for (int ways : { 2, 3, 8 }) {
        EXPECT_EQ(listed(ways, parted), walked) << ways << " parts";
        EXPECT_GT(parted, 0);
    }
}

namespace {

// 300 readings a quarter of an hour apart, added out of order; every third
// one holds a sugar ("r0", "r3", ...). Written once and copied for each case.
void WriteQuarterHours(const std::string& file)
{
    tellora::CreateReadingsDatabase(QString::fromStdString(file));
    auto db = dao::DefaultWorkspace().OpenDatabase(file);
    auto rs = db->OpenRecordset("BLOOD");
    dao::Transaction writing(dao::DefaultWorkspace());
    std::vector<int> order(300);
    for (int i = 0; i < 300; ++i)
        order[std::size_t(i)] = i;
    std::shuffle(order.begin(), order.end(), std::mt19937(4));
    for (int i : order) {
        tellora::Reading r = tellora::Reading::NothingTaken(Day(1 + i / 96),
            QStringLiteral("%1:%2")
                .arg(i % 96 / 4, 2, 10, QLatin1Char('0'))
                .arg(i % 4 * 15, 2, 10, QLatin1Char('0'))
                .toStdString());
        r[tellora::Reading::Bcomm] = "r" + std::to_string(i);
        if (i % 3 == 0) r[tellora::Reading::Bsugar] = "5";
        rs->AddNew();
        r.WriteTo(*rs);
        rs->Update();
    }
    writing.Commit();
}

// Where the walks start: reading r150, which holds a sugar.
const std::vector<std::string> WalkStart { "2024-01-02", "13:30" };

// The comments of the rows after r150 holding a sugar, as a plain serial
// query reads the file under the name now; nothing when no file bears it.
std::vector<std::string> SerialSugars()
{
    std::vector<std::string> out;
    if (!std::filesystem::exists(File)) return out;
    SQLite::Database raw(File, SQLite::OPEN_READONLY);
    SQLite::Statement q(
        raw, "SELECT Bcomm FROM BLOOD WHERE (Bdate, Btime) > (?, ?) AND Bsugar <> '-' ORDER BY Bdate, Btime, rowid");
    q.bind(1, WalkStart[0]);
    q.bind(2, WalkStart[1]);
    while (q.executeStep())
        out.push_back(q.getColumn(0).getString());
    return out;
}

// Another program's committed change to the file under the name.
void OtherCommits(const std::string& sql)
{
    SQLite::Database other(File, SQLite::OPEN_READWRITE);
    other.exec(sql);
}

// Another program's change, tried once without waiting: false when a lock
// keeps it out.
bool OtherTries(const std::string& sql)
{
    SQLite::Database other(File, SQLite::OPEN_READWRITE);
    try {
        other.exec(sql);
        return true;
    } catch (const SQLite::Exception& e) {
        if ((e.getErrorCode() & 0xFF) != SQLITE_BUSY) throw;
        return false;
    }
}

// Takes the sugar from one reading ahead of the walk's second batch and
// gives one to another: as many rows hold a sugar as before, in the same
// pages.
const char* const EditAhead = "UPDATE BLOOD SET Bsugar = CASE Bcomm WHEN 'r186' THEN '-' ELSE '5' END "
                              "WHERE Bcomm IN ('r186', 'r190')";

const std::string EditedCopy = "copy.mdb";

// A sync tool's way, made ready before the walk: an edited copy, its
// header's change counter set back to the file's, so only its identity tells
// it apart once it is renamed over the file.
void PrepareEditedCopy()
{
    std::filesystem::copy_file(File, EditedCopy);
    char counter[4] = {};
    {
        std::ifstream original(EditedCopy, std::ios::binary);
        original.seekg(24);
        original.read(counter, 4);
    }
    {
        SQLite::Database edit(EditedCopy, SQLite::OPEN_READWRITE);
        edit.exec(EditAhead);
    }
    std::fstream f(EditedCopy, std::ios::in | std::ios::out | std::ios::binary);
    for (std::streamoff at : { 24, 92 }) {
        f.seekp(at);
        f.write(counter, 4);
    }
}

// One thing another program does while a walk runs, and when: the `at`-th
// time the walk ends a statement midway and goes on with the next (between
// two batches, or where it turns into a scan or starts again), or the
// `at`-th time a batch is about to start its parts. A commit (`sql`) is tried
// there without waiting and must be kept out, then made once the walk is
// over; a change to the file's name (`act`) needs no lock and happens there.
struct Interference {
    const char* what;
    long long steps; // the walk's switch, as SetScanSwitch takes it
    int batch;
    bool scans; // whether the walk turns into a scan in parts (else it starts again on the index)
    bool beforeParts;
    int at;
    std::string sql;
    std::function<void()> act = {};
};

const std::string Insert = "INSERT INTO BLOOD (Bdate, Btime, Bsugar, Bcomm) VALUES ('2024-01-02', '13:50', '5', 'new')";
const std::string NoLongerHeld = "UPDATE BLOOD SET Bsugar = '-' WHERE Bcomm = 'r153'";
// r240 (2024-01-03 12:00) to just after the walk's start, behind a walk past
// its first batch; r156 (2024-01-02 15:00) from there to far ahead.
const std::string MovedBehind = "UPDATE BLOOD SET Bdate = '2024-01-02', Btime = '13:40' WHERE Bcomm = 'r240'";
const std::string MovedAhead = "UPDATE BLOOD SET Bdate = '2024-01-03', Btime = '23:50' WHERE Bcomm = 'r156'";

const Interference interferences[] = {
    { "an insert inside the walked range between two batches", 1, 8, true, false, 2, Insert },
    { "a row that stops holding the measure between two batches", 1, 8, true, false, 2, NoLongerHeld },
    { "a reading moved from ahead of the walk to behind it between two batches", 1, 8, true, false, 2, MovedBehind },
    { "a reading moved from behind the walk to ahead of it between two batches", 1, 8, true, false, 2, MovedAhead },
    { "a reading moved from ahead of the walk to behind it where the walk starts again", 2000, 0, false, false, 1,
        MovedBehind },
    { "an insert inside the walked range where the walk starts again", 2000, 0, false, false, 1, Insert },
    { "an edit before the parts start", 1, 8, true, true, 2, EditAhead },
    { "a switch to WAL and an edit between two batches", 1, 8, true, false, 2,
        std::string("PRAGMA journal_mode=WAL; ") + EditAhead },
    { "an edited copy renamed over the file", 1, 8, true, true, 2, "",
        [] { std::filesystem::rename(EditedCopy, File); } },
    { "the file removed", 1, 8, true, true, 2, "", [] { std::filesystem::remove(File); } },
};

} // namespace

// Whatever another program does while a walk runs, the walk lists the rows
// of the committed state it began on: a commit waits until the walk is over,
// and a file put in place of the walked one or its removal changes nothing
// the walk reads.
TEST(StepCursor, AWalkListsOneCommittedStateWhateverAnotherProgramDoesMeanwhile)
{
    testsupport::ProgramFolder folder;
    WriteQuarterHours("seed.mdb");
    for (const Interference& i : interferences) {
        SCOPED_TRACE(i.what);
        for (const char* leftover : { "", "-journal", "-wal", "-shm" })
            std::filesystem::remove(File + leftover);
        std::filesystem::remove(EditedCopy);
        std::filesystem::copy_file("seed.mdb", File);
        PrepareEditedCopy();
        const std::vector<std::string> before = SerialSugars();
        std::vector<std::string> walked;
        int done = 0, scans = 0;
        bool keptOut = false;
        {
            auto db = dao::DefaultWorkspace().OpenDatabase(File);
            int seen[2] = { 0, 0 };
            const auto moment = [&](bool parts) {
                if (i.beforeParts != parts || ++seen[parts] != i.at) return;
                ++done;
                if (i.act)
                    i.act();
                else
                    keptOut = !OtherTries(i.sql);
            };
            StepCursor::SetScanSwitch(i.steps, i.batch, [&] { moment(false); });
            if (i.scans) StepCursor::SetPartedScan(1, 3, [&] { moment(true); });
            try {
                dao::StepCursor c(*db, "BLOOD", "Readings");
                c.SetFilter(dao::RowFilter::Holds("Bsugar", "-"));
                c.Seek(WalkStart);
                for (c.MoveNext(); !c.EOF_(); c.MoveNext())
                    walked.push_back(*c.GetValue("Bcomm"));
                scans = c.Scans();
            } catch (const dao::Error& e) {
                ADD_FAILURE() << e.what();
            }
            StepCursor::SetScanSwitch(0, 0);
            StepCursor::SetPartedScan(0, 0);
        }
        ASSERT_EQ(done, 1) << "the moment never came";
        ASSERT_EQ(scans > 0, i.scans);
        if (!i.act) {
            EXPECT_TRUE(keptOut) << "another program committed inside the walk";
            // Between this walk and the next.
            OtherCommits(i.sql);
        }
        const std::vector<std::string> after = SerialSugars();
        ASSERT_NE(before, after) << "nothing changed";
        EXPECT_EQ(walked, before) << walked.size() << " rows walked, " << before.size() << " before, " << after.size()
                                  << " after";
    }
}

// A scan whose parts' rows cannot be picked fails the move, and the move
// lets go of its read lock: another program can commit at once.
TEST(StepCursor, AFailedPickLetsGoOfTheReadLock)
{
    testsupport::ProgramFolder folder;
    WriteReadings(240);
    auto db = dao::DefaultWorkspace().OpenDatabase(File);
    sqlite3* handle = db->connection().getHandle();
    const int longest = sqlite3_limit(handle, SQLITE_LIMIT_SQL_LENGTH, -1);
    StepCursor::SetScanSwitch(1, 0);
    // Too short a statement for the pick, which names the parts' rows.
    StepCursor::SetPartedScan(1, 3, [&] { sqlite3_limit(handle, SQLITE_LIMIT_SQL_LENGTH, 200); });
    {
        dao::StepCursor c(*db, "BLOOD", "Readings");
        c.SetFilter(dao::RowFilter::Holds("Bsugar", "-"));
        EXPECT_THROW(c.MoveFirst(), dao::Error);
        StepCursor::SetScanSwitch(0, 0);
        StepCursor::SetPartedScan(0, 0);
        sqlite3_limit(handle, SQLITE_LIMIT_SQL_LENGTH, longest);
        SQLite::Database other(File, SQLite::OPEN_READWRITE);
        EXPECT_NO_THROW(other.exec("UPDATE BLOOD SET Bsugar = '7' WHERE Bcomm = 'r1'"));
    }
}

// SQLite keeps no statistics of its memory, whose lock the parts would queue
// on: the setting must take, before anything starts SQLite.
TEST(StepCursor, SqliteKeepsNoMemoryStatistics)
{
    testsupport::ProgramFolder folder;
    WriteReadings(30);
    auto db = dao::DefaultWorkspace().OpenDatabase(File);
    dao::StepCursor c(*db, "BLOOD", "Readings");
    while (!c.EOF_())
        c.MoveNext();
    EXPECT_TRUE(dao::detail::MemoryStatisticsOff());
    EXPECT_EQ(sqlite3_memory_used(), 0);
}

namespace {

// Whether a process other than this one is kept out of the file by a read
// lock of this one: a child asks the system for the write lock SQLite's
// writers take over the readers' bytes. Locks are the process's, so only
// another process can tell whether this one still holds one.
bool ReadLockHeldAgainstOthers(const std::string& file)
{
    const pid_t child = ::fork();
    if (child == 0) {
        const int fd = ::open(file.c_str(), O_RDWR);
        struct flock lock { };
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        lock.l_start = 0x40000002; // SQLite's shared bytes, after its pending and reserved bytes
        lock.l_len = 510;
        const bool held = fd >= 0 && ::fcntl(fd, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
        ::_exit(held ? 1 : 0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 1;
}

} // namespace

// Opening the file again (another window's cursor, the maintenance's test of
// a file) reads its header through SQLite: the walk's read lock stays, so
// no other program commits inside the walk.
TEST(StepCursor, OpeningTheFileAgainKeepsTheWalksReadLock)
{
    testsupport::ProgramFolder folder;
    WriteReadings(100);
    auto db = dao::DefaultWorkspace().OpenDatabase(File);
    dao::StepCursor c(*db, "BLOOD", "Readings");
    c.MoveNext();
    ASSERT_TRUE(ReadLockHeldAgainstOthers(File)) << "the walk goes on under its read lock";
    EXPECT_TRUE(dao::IsSqliteFile(File));
    EXPECT_TRUE(ReadLockHeldAgainstOthers(File)) << "after a test of the file";
    auto again = dao::DefaultWorkspace().OpenDatabase(File);
    EXPECT_TRUE(ReadLockHeldAgainstOthers(File)) << "after a second opening";
    again->Close();
    EXPECT_TRUE(ReadLockHeldAgainstOthers(File)) << "after the second one closed";
}

// A file renamed over the open one: a read that would start on the old file
// stops with the engine's error, never reads it and never takes the new
// file's journal for its own (which would play it into the old file and
// make the other program's commit fail).
TEST(StepCursor, AReadNeverStartsOnAFileRenamedOver)
{
    testsupport::ProgramFolder folder;
    for (bool filtered : { false, true }) {
        SCOPED_TRACE(filtered ? "filtered" : "plain");
        std::filesystem::remove(File);
        WriteReadings(100);
        std::filesystem::copy_file(File, EditedCopy);
        auto db = dao::DefaultWorkspace().OpenDatabase(File);
        dao::StepCursor c(*db, "BLOOD", "Readings");
        if (filtered) c.SetFilter(dao::RowFilter::Holds("Bcomm", "-"));
        // Seek ends its statement: the next move starts a read.
        c.Seek({ Day(2), "12:00" });
        ASSERT_FALSE(c.NoMatch());
        std::filesystem::rename(EditedCopy, File);
        SQLite::Database other(File, SQLite::OPEN_READWRITE);
        other.exec("BEGIN IMMEDIATE");
        other.exec("UPDATE BLOOD SET Bsugar = '9'");
        ASSERT_TRUE(std::filesystem::exists(File + "-journal"));
        try {
            c.MoveNext();
            ADD_FAILURE() << "read on at " << Where(c);
        } catch (const dao::Error& e) {
            EXPECT_EQ(e.Number(), dao::errFileReplaced) << e.what();
        }
        EXPECT_THROW(c.MoveLast(), dao::Error);
        EXPECT_TRUE(std::filesystem::exists(File + "-journal")) << "the other program's journal is its own";
        EXPECT_NO_THROW(other.exec("COMMIT"));
        SQLite::Statement count(other, "SELECT count(*) FROM BLOOD WHERE Bsugar = '9'");
        ASSERT_TRUE(count.executeStep());
        EXPECT_EQ(count.getColumn(0).getInt(), 100);
    }
}

// A page read in many moves (a seek, then steps on) is one moment when a
// ReadSpan holds it: another program commits before or after it, never
// between its moves.
TEST(StepCursor, APageReadInOneSpanIsOneMoment)
{
    testsupport::ProgramFolder folder;
    WriteReadings(100);
    auto db = dao::DefaultWorkspace().OpenDatabase(File);
    const std::string edit = "UPDATE BLOOD SET Bsugar = '9' WHERE Bcomm = 'r1'";
    {
        dao::ReadSpan page(*db);
        dao::StepCursor c(*db, "BLOOD", "Readings");
        c.Seek({ Day(2), "12:00" });
        EXPECT_FALSE(OtherTries(edit)) << "between a seek and the next move";
        c.MoveNext();
        c.SetBookmark(c.Bookmark());
        EXPECT_FALSE(OtherTries(edit)) << "after a bookmark";
    }
    EXPECT_TRUE(OtherTries(edit)) << "once the page is read";
}

// SQLite's progress report runs no SQL on the connection whose step it
// reports: the walk's first adaptive decision weighs what was counted
// before the step.
TEST(StepCursor, TheProgressReportRunsNoSqlOnItsConnection)
{
    testsupport::ProgramFolder folder;
    // No reading holds a sugar: the walk passes every row in its first step,
    // long enough for the adaptive switch to weigh it.
    WriteReadings(6000);
    auto db = dao::DefaultWorkspace().OpenDatabase(File);
    struct Watch {
        sqlite3* handle;
        int counts = 0, inside = 0;
    } watch { db->connection().getHandle() };
    sqlite3_trace_v2(
        watch.handle, SQLITE_TRACE_STMT,
        [](unsigned, void* ctx, void* p, void*) {
            auto* w = static_cast<Watch*>(ctx);
            if (std::string(sqlite3_sql(static_cast<sqlite3_stmt*>(p))).find("max(rowid)") == std::string::npos)
                return 0;
            ++w->counts;
            // A walk's statement that has returned no row yet and is busy is in its step.
            for (sqlite3_stmt* s = sqlite3_next_stmt(w->handle, nullptr); s; s = sqlite3_next_stmt(w->handle, s))
                if (s != p && sqlite3_stmt_busy(s) && std::string(sqlite3_sql(s)).rfind("SELECT rowid", 0) == 0)
                    ++w->inside;
            return 0;
        },
        &watch);
    {
        dao::StepCursor c(*db, "BLOOD", "Readings");
        c.SetFilter(dao::RowFilter::Holds("Bsugar", "-"));
        c.MoveFirst();
        EXPECT_TRUE(c.EOF_());
        EXPECT_GT(c.Scans(), 0) << "the walk was weighed and went over to a scan";
    }
    sqlite3_trace_v2(watch.handle, 0, nullptr, nullptr);
    EXPECT_GT(watch.counts, 0);
    EXPECT_EQ(watch.inside, 0);
}

namespace {

// Waits for a lock a little at a time, for up to about 20 seconds.
int ShortWaits(void*, int tries)
{
    std::this_thread::sleep_for(std::chrono::microseconds(50));
    return tries < 400000 ? 1 : 0;
}

} // namespace

// Thousands of walks, each on a cursor of its own as a click makes, while
// another program moves readings' dates as often as the walks let it: every
// walk lists exactly one state that program committed, whether it goes over
// to scans in batches and parts, starts again on the index, or is a page of
// a seek and steps on.
TEST(StepCursor, ThousandsOfWalksUnderAWriterThatMovesDatesEachListOneCommittedState)
{
    testsupport::ProgramFolder folder;
    WriteQuarterHours(File);
    const auto listed = [](SQLite::Database& c) {
        std::vector<std::string> out;
        SQLite::Statement q(c, "SELECT Bcomm FROM BLOOD WHERE Bsugar <> '-' ORDER BY Bdate, Btime, rowid");
        while (q.executeStep())
            out.push_back(q.getColumn(0).getString());
        return out;
    };
    std::mutex mutex;
    // Each committed state by its number, which a reading every walk lists first holds.
    std::map<std::string, std::vector<std::string>> states;
    {
        SQLite::Database raw(File, SQLite::OPEN_READWRITE);
        raw.exec("INSERT INTO BLOOD (Bdate, Btime, Bsugar, Bcomm) VALUES ('2000-01-01', '00:00', '5', 'v0')");
        states["v0"] = listed(raw);
    }
    std::atomic<bool> stop { false }, failed { false };
    std::atomic<int> commits { 0 };
    std::thread writer([&] {
        try {
            SQLite::Database w(File, SQLite::OPEN_READWRITE);
            w.exec("PRAGMA synchronous=OFF");
            // Waits for the walks' read locks a little at a time, as long as they last.
            sqlite3_busy_handler(w.getHandle(), ShortWaits, nullptr);
            SQLite::Statement move(w, "UPDATE BLOOD SET Bdate = ?, Btime = ? WHERE Bcomm = ?");
            SQLite::Statement number(w, "UPDATE BLOOD SET Bcomm = ? WHERE Bdate = '2000-01-01'");
            std::mt19937 rng(5);
            for (int k = 1; !stop; ++k) {
                const std::string v = "v" + std::to_string(k);
                w.exec("BEGIN IMMEDIATE");
                move.bind(1, Day(1 + int(rng() % 4)));
                move.bind(2,
                    QStringLiteral("%1:%2")
                        .arg(int(rng() % 24), 2, 10, QLatin1Char('0'))
                        .arg(int(rng() % 60), 2, 10, QLatin1Char('0'))
                        .toStdString());
                move.bind(3, "r" + std::to_string(3 * int(rng() % 100)));
                move.exec();
                move.reset();
                number.bind(1, v);
                number.exec();
                number.reset();
                const auto state = listed(w);
                {
                    std::lock_guard<std::mutex> lock(mutex);
                    states[v] = state;
                }
                w.exec("COMMIT");
                ++commits;
            }
        } catch (const SQLite::Exception& e) {
            failed = true;
            ADD_FAILURE() << "the writer: " << e.what();
        }
    });
    auto db = dao::DefaultWorkspace().OpenDatabase(File);
    // The walks wait for the writer's commits as briefly.
    sqlite3_busy_handler(db->connection().getHandle(), ShortWaits, nullptr);
    int outside = 0;
    const int walks = 2000;
    for (int n = 0; n < walks && !failed; ++n) {
        const int kind = n % 4;
        StepCursor::SetScanSwitch(kind == 2 ? 40 : 1, kind == 2 ? 0 : 16);
        StepCursor::SetPartedScan(kind < 2 ? 1 : 0, kind < 2 ? 3 : 0);
        std::vector<std::string> walked;
        try {
            dao::StepCursor c(*db, "BLOOD", "Readings");
            c.SetFilter(dao::RowFilter::Holds("Bsugar", "-"));
            if (kind == 1) {
                for (c.MoveLast(); !c.BOF(); c.MovePrevious())
                    walked.insert(walked.begin(), *c.GetValue("Bcomm"));
            } else if (kind == 3) {
                dao::ReadSpan page(*db);
                for (c.Seek({ "2000-01-01", "00:00" }); !c.EOF_(); c.MoveNext())
                    walked.push_back(*c.GetValue("Bcomm"));
            } else {
                for (c.MoveFirst(); !c.EOF_(); c.MoveNext())
                    walked.push_back(*c.GetValue("Bcomm"));
            }
        } catch (const dao::Error& e) {
            ADD_FAILURE() << e.what();
            break;
        }
        std::lock_guard<std::mutex> lock(mutex);
        const auto state = walked.empty() ? states.end() : states.find(walked.front());
        if (state == states.end() || state->second != walked) ++outside;
    }
    StepCursor::SetScanSwitch(0, 0);
    StepCursor::SetPartedScan(0, 0);
    stop = true;
    writer.join();
    EXPECT_EQ(outside, 0) << "of " << walks << " walks, under " << commits << " commits";
    EXPECT_GT(commits, walks / 10) << "the writer committed between the walks";
}

namespace {

// `rows` readings, one in `every` holding a sugar.
void WriteSparse(int rows, int every)
{
    std::filesystem::remove(File);
    tellora::CreateReadingsDatabase(QString::fromStdString(File));
    auto db = dao::DefaultWorkspace().OpenDatabase(File);
    auto rs = db->OpenRecordset("BLOOD");
    dao::Transaction writing(dao::DefaultWorkspace());
    for (int i = 0; i < rows; ++i) {
        tellora::Reading r = tellora::Reading::NothingTaken(Day(1 + i * 9 / rows),
            QStringLiteral("%1:%2")
                .arg(i / 60 % 24, 2, 10, QLatin1Char('0'))
                .arg(i % 60, 2, 10, QLatin1Char('0'))
                .toStdString());
        r[tellora::Reading::Bcomm] = "r" + std::to_string(i);
        if (i % every == 0) r[tellora::Reading::Bsugar] = "5";
        rs->AddNew();
        r.WriteTo(*rs);
        rs->Update();
    }
    writing.Commit();
}

} // namespace

// The weighing of a walk against a scan counts on parts only where they
// can run: in the write-ahead mode, and inside a transaction of the
// program's own, a scan runs whole on the cursor's connection, and a walk
// that a scan in parts would beat stays on the index.
TEST(StepCursor, AScanThatWillRunWholeIsWeighedWhole)
{
    testsupport::ProgramFolder folder;
    // One reading in 160 holds a sugar: a page of 64 is cheaper on the index
    // than by a whole scan, dearer than by one in eight parts.
    WriteSparse(12000, 160);
    enum class Case { Rollback, Wal, Transaction };
    for (Case k : { Case::Rollback, Case::Wal, Case::Transaction }) {
        SCOPED_TRACE(int(k));
        auto db = dao::DefaultWorkspace().OpenDatabase(File);
        std::unique_ptr<SQLite::Database> other;
        std::optional<dao::Transaction> pending;
        if (k == Case::Wal) {
            other = std::make_unique<SQLite::Database>(File, SQLite::OPEN_READWRITE);
            other->exec("PRAGMA journal_mode=WAL");
        }
        if (k == Case::Transaction) pending.emplace(dao::DefaultWorkspace());
        StepCursor::SetPartedScan(1, 8);
        int scans = 0;
        {
            dao::StepCursor c(*db, "BLOOD", "Readings");
            c.SetFilter(dao::RowFilter::Holds("Bsugar", "-"));
            c.ExpectRows(64);
            c.MoveFirst();
            for (int n = 1; n < 64 && !c.EOF_(); ++n)
                c.MoveNext();
            scans = c.Scans();
        }
        StepCursor::SetPartedScan(0, 0);
        EXPECT_EQ(scans > 0, k == Case::Rollback);
        pending.reset();
        db->Close();
        if (other) other->exec("PRAGMA journal_mode=DELETE");
    }
}
