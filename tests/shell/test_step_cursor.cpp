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

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
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

// Another program committing while the cursor reads waits for the cursor's
// read lock and keeps new readers out meanwhile: the parts, new readers,
// must not wait for it (it waits for the cursor, so both would wait out
// their timeouts). The cursor lets go, the commit lands, and the scan runs
// whole on the cursor's own connection over the committed file.
TEST(StepCursor, AScanInPartsNeverWaitsForAProgramThatWaitsForTheCursor)
{
    testsupport::ProgramFolder folder;
    WriteReadings(240);
    auto db = dao::DefaultWorkspace().OpenDatabase(File);
    SQLite::Database other(File, SQLite::OPEN_READWRITE, 10000);
    std::thread committing;
    StepCursor::SetScanSwitch(1, 0);
    StepCursor::SetPartedScan(1, 3, [&] {
        if (committing.joinable()) return;
        other.exec("BEGIN IMMEDIATE");
        other.exec("UPDATE BLOOD SET Bsugar = '9' WHERE Bcomm = 'r7'");
        // Its commit takes the lock that keeps new readers out, then waits.
        committing = std::thread([&] { other.exec("COMMIT"); });
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
    c.MoveLast();
    StepCursor::SetPartedScan(0, 0);
    StepCursor::SetScanSwitch(0, 0);
    const auto waited = std::chrono::steady_clock::now() - started;
    committing.join();
    EXPECT_EQ(seen, "r7");
    EXPECT_EQ(parted, 0);
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

// Takes the sugar from one reading ahead of the walk's second batch and
// gives one to another: as many rows hold a sugar as before, in the same
// pages.
const char* const EditAhead = "UPDATE BLOOD SET Bsugar = CASE Bcomm WHEN 'r186' THEN '-' ELSE '5' END "
                              "WHERE Bcomm IN ('r186', 'r190')";

// A sync tool's way: an edited copy renamed over the file, its header's
// change counter set back to the file's, so only its identity tells it apart.
void RenameEditedCopyOver()
{
    const std::string copy = "copy.mdb";
    std::filesystem::copy_file(File, copy);
    {
        SQLite::Database edit(copy, SQLite::OPEN_READWRITE);
        edit.exec(EditAhead);
    }
    char counter[4] = {};
    {
        std::ifstream original(File, std::ios::binary);
        original.seekg(24);
        original.read(counter, 4);
    }
    {
        std::fstream f(copy, std::ios::in | std::ios::out | std::ios::binary);
        for (std::streamoff at : { 24, 92 }) {
            f.seekp(at);
            f.write(counter, 4);
        }
    }
    std::filesystem::rename(copy, File);
}

// One thing another program does while a walk runs, and when: the `at`-th
// time the walk lets go of the file midway (between two batches, or where it
// turns into a scan or starts again), or the `at`-th time a batch holds the
// read lock before its parts start.
struct Moment {
    bool beforeParts;
    int at;
    std::function<void()> act;
};

struct Interference {
    const char* what;
    long long steps; // the walk's switch, as SetScanSwitch takes it
    int batch;
    bool scans; // whether the walk turns into a scan in parts (else it starts again on the index)
    std::vector<Moment> moments;
};

const std::string Insert = "INSERT INTO BLOOD (Bdate, Btime, Bsugar, Bcomm) VALUES ('2024-01-02', '13:50', '5', 'new')";
const std::string NoLongerHeld = "UPDATE BLOOD SET Bsugar = '-' WHERE Bcomm = 'r153'";

const Interference interferences[] = {
    { "an edit in place after a switch to WAL", 1, 8, true,
        { { false, 2, [] { OtherCommits("PRAGMA journal_mode=WAL"); } },
            { true, 2, [] { OtherCommits(EditAhead); } } } },
    { "an edited copy renamed over the file", 1, 8, true, { { true, 2, RenameEditedCopyOver } } },
    { "the file removed", 1, 8, true, { { true, 2, [] { std::filesystem::remove(File); } } } },
    { "an insert inside the walked range between two batches", 1, 8, true,
        { { false, 2, [] { OtherCommits(Insert); } } } },
    { "a row that stops holding the measure between two batches", 1, 8, true,
        { { false, 2, [] { OtherCommits(NoLongerHeld); } } } },
    { "an insert inside the walked range where the walk starts again", 2000, 0, false,
        { { false, 1, [] { OtherCommits(Insert); } } } },
    { "a row that stops holding the measure where the walk starts again", 2000, 0, false,
        { { false, 1, [] { OtherCommits(NoLongerHeld); } } } },
};

} // namespace

// Whatever another program does while a walk runs, the walk lists the rows
// of one committed state of the file: the one before or the one after.
TEST(StepCursor, AWalkListsOneCommittedStateWhateverAnotherProgramDoesMeanwhile)
{
    testsupport::ProgramFolder folder;
    WriteQuarterHours("seed.mdb");
    for (const Interference& i : interferences) {
        SCOPED_TRACE(i.what);
        for (const char* leftover : { "", "-journal", "-wal", "-shm" })
            std::filesystem::remove(File + leftover);
        std::filesystem::copy_file("seed.mdb", File);
        const std::vector<std::string> before = SerialSugars();
        std::vector<std::string> walked;
        int done = 0, scans = 0;
        {
            auto db = dao::DefaultWorkspace().OpenDatabase(File);
            int seen[2] = { 0, 0 };
            const auto moment = [&](bool parts) {
                ++seen[parts];
                for (const Moment& m : i.moments)
                    if (m.beforeParts == parts && m.at == seen[parts]) {
                        m.act();
                        ++done;
                    }
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
        ASSERT_EQ(done, int(i.moments.size())) << "a moment never came";
        ASSERT_EQ(scans > 0, i.scans);
        const std::vector<std::string> after = SerialSugars();
        ASSERT_NE(before, after) << "nothing changed";
        EXPECT_TRUE(walked == before || walked == after)
            << walked.size() << " rows walked, " << before.size() << " before, " << after.size() << " after";
    }
}

// A scan whose parts' rows cannot be picked fails the move, and lets go of
// the read lock it took for the parts: another program can commit at once.
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
