// Another program holding a database file for a moment: the engine's steps
// wait it out, on every connection they open; a hold longer than the busy
// timeout fails as in use and leaves the file, and the rows that only the
// other program's log holds, whole.
#include "platform/dao/dao.h"
#include "support/held_file.h"
#include "support/tempdir.h"

#include <SQLiteCpp/SQLiteCpp.h>
#include <gtest/gtest.h>

#include <exception>
#include <filesystem>
#include <functional>
#include <thread>

using namespace dao;
using namespace std::chrono_literals;
using testsupport::HeldFile;

namespace {

struct HeldEngine : ::testing::Test {
    testsupport::ProgramFolder folder;
    Workspace& ws = DefaultWorkspace();

    // BLOOD (D, V) on index K, holding a=1 and b=2, made once.
    void SetUp() override
    {
        auto db = ws.CreateDatabase("seed.mdb", dbLangGeneral, dbVersion30);
        TableDef td = db->CreateTableDef("BLOOD");
        td.Fields.push_back(td.CreateField("D", FieldType::Text, 15));
        td.Fields.push_back(td.CreateField("V", FieldType::Text, 3));
        Index ix = td.CreateIndex("K");
        ix.Primary = true;
        ix.Fields.push_back(ix.CreateField("D"));
        td.Indexes.push_back(ix);
        db->AppendTableDef(td);
        auto rs = db->OpenRecordset("BLOOD");
        for (const char* d : { "a", "b" }) {
            rs->AddNew();
            rs->SetValue("D", std::string(d));
            rs->SetValue("V", std::string(d[0] == 'a' ? "1" : "2"));
            rs->Update();
        }
    }

    // T.mdb as made, and no other file.
    void fresh()
    {
        for (const char* name : { "T.mdb", "U.mdb", "X.mdb" })
            RemoveFile(name);
        std::filesystem::copy_file("seed.mdb", "T.mdb");
    }

    // The rows as any SQLite tool reads them (the log included).
    static std::vector<std::string> rows(const std::string& file)
    {
        SQLite::Database raw(file);
        SQLite::Statement s(raw, "SELECT D || '=' || V FROM BLOOD ORDER BY D");
        std::vector<std::string> out;
        while (s.executeStep())
            out.push_back(s.getColumn(0).getString());
        return out;
    }

    static int errorOf(const std::function<void()>& f)
    {
        try {
            f();
        } catch (const Error& e) {
            return e.Number();
        }
        return 0;
    }

    static std::string journalMode(const std::string& file)
    {
        SQLite::Database raw(file);
        return raw.execAndGet("PRAGMA journal_mode").getString();
    }
};

struct Step {
    const char* name;
    std::function<void(Workspace&)> run;
    const char* file; // where the result is read
    std::vector<std::string> after;
};

std::unique_ptr<Recordset> seek(Database& db, const std::string& key)
{
    auto rs = db.OpenRecordset("BLOOD");
    rs->SetIndex("K");
    rs->Seek("=", { key });
    return rs;
}

const Step steps[] = {
    { "add",
        [](Workspace& ws) {
            auto db = ws.OpenDatabase("T.mdb");
            auto rs = db->OpenRecordset("BLOOD");
            rs->AddNew();
            rs->SetValue("D", std::string("c"));
            rs->SetValue("V", std::string("3"));
            rs->Update();
        },
        "T.mdb", { "a=1", "b=2", "c=3" } },
    { "edit in a transaction",
        [](Workspace& ws) {
            auto db = ws.OpenDatabase("T.mdb");
            auto rs = seek(*db, "a");
            Transaction change(ws);
            rs->Edit();
            rs->SetValue("V", std::string("9"));
            rs->Update();
            change.Commit();
        },
        "T.mdb", { "a=9", "b=2" } },
    { "delete",
        [](Workspace& ws) {
            auto db = ws.OpenDatabase("T.mdb");
            seek(*db, "b")->Delete();
        },
        "T.mdb", { "a=1" } },
    { "delete below", [](Workspace& ws) { ws.OpenDatabase("T.mdb")->DeleteBelow("BLOOD", "D", "b"); }, "T.mdb",
        { "b=2" } },
    { "compact", [](Workspace& ws) { ws.CompactDatabase("T.mdb", "U.mdb"); }, "U.mdb", { "a=1", "b=2" } },
};

} // namespace

TEST_F(HeldEngine, StepsWaitOutABriefHold)
{
    for (const HeldFile::Mode mode : { HeldFile::Mode::Rollback, HeldFile::Mode::Wal }) {
        for (const Step& step : steps) {
            SCOPED_TRACE(std::string(step.name) + (mode == HeldFile::Mode::Wal ? " (WAL)" : ""));
            fresh();
            {
                HeldFile held("T.mdb", mode, 100ms);
                EXPECT_NO_THROW(step.run(ws));
            }
            EXPECT_EQ(rows(step.file), step.after);
            EXPECT_EQ(journalMode(step.file), "delete");
        }
    }
}

TEST_F(HeldEngine, HoldLongerThanTheTimeoutFailsAsInUseChangingNothing)
{
    testsupport::BusyTimeout shortWait(100ms);
    for (const HeldFile::Mode mode : { HeldFile::Mode::Rollback, HeldFile::Mode::Wal }) {
        for (const Step& step : steps) {
            // Compaction only reads, which a reader does not stop.
            if (mode == HeldFile::Mode::Rollback && std::string(step.name) == "compact") continue;
            SCOPED_TRACE(std::string(step.name) + (mode == HeldFile::Mode::Wal ? " (WAL)" : ""));
            fresh();
            HeldFile held("T.mdb", mode, 10s);
            try {
                step.run(ws);
                ADD_FAILURE() << "no failure";
            } catch (const Error& e) {
                EXPECT_EQ(e.Number(), errInUse);
                EXPECT_STREQ(e.what(), "The database 'T.mdb' is in use by another program.");
            }
            held.Release();
            EXPECT_EQ(rows("T.mdb"), (std::vector<std::string> { "a=1", "b=2" }));
            EXPECT_FALSE(folder.exists("U.mdb"));
        }
    }
}

// The case: another program reads for a couple of seconds, as a
// backup or sync tool may; the program's own wait outlasts it.
TEST_F(HeldEngine, TheProgramsWaitOutlastsAHoldOfAFewSeconds)
{
    ASSERT_EQ(BusyTimeout(), DefaultBusyTimeoutMs);
    fresh();
    {
        HeldFile held("T.mdb", HeldFile::Mode::Rollback, 2200ms);
        EXPECT_NO_THROW(steps[0].run(ws));
    }
    EXPECT_EQ(rows("T.mdb"), steps[0].after);
}

TEST_F(HeldEngine, FileKeptOpenInWalModeIsInUseAndKeepsTheRowsOfItsLog)
{
    testsupport::BusyTimeout shortWait(100ms);
    fresh();
    {
        HeldFile held("T.mdb", HeldFile::Mode::Wal, 10s, "INSERT INTO BLOOD VALUES ('w', '5')");
        try {
            ws.OpenDatabase("T.mdb");
            ADD_FAILURE() << "opened";
        } catch (const Error& e) {
            EXPECT_EQ(e.Number(), errInUse);
            EXPECT_STREQ(e.what(), "The database 'T.mdb' is in use by another program.");
        }
        EXPECT_EQ(errorOf([&] { ws.CompactDatabase("T.mdb", "U.mdb"); }), errInUse);
        EXPECT_FALSE(folder.exists("U.mdb"));
        // The row is still in the log alone: the failed opening took
        // nothing into the file.
        std::filesystem::copy_file("T.mdb", "X.mdb");
        EXPECT_EQ(rows("X.mdb"), (std::vector<std::string> { "a=1", "b=2" }));
        // A program that stops now leaves its file and its log behind.
        std::filesystem::copy_file("T.mdb", "U.mdb");
        std::filesystem::copy_file("T.mdb-wal", "U.mdb-wal");
    }
    EXPECT_EQ(rows("T.mdb"), (std::vector<std::string> { "a=1", "b=2", "w=5" }));
    // A WAL file nobody holds opens, its log taken into the file.
    auto db = ws.OpenDatabase("U.mdb");
    EXPECT_EQ(db->OpenRecordset("BLOOD")->RecordCount(), 3);
    db->Close();
    EXPECT_FALSE(folder.exists("U.mdb-wal"));
    EXPECT_EQ(journalMode("U.mdb"), "delete");
    EXPECT_EQ(rows("U.mdb"), (std::vector<std::string> { "a=1", "b=2", "w=5" }));
}

// Another program keeps the file open in WAL mode for a while and then wants
// its rollback journal back, which needs the file to itself: the opening
// that waits for WAL mode to end holds nothing between its tries, so the
// other program can switch, and then the opening goes through.
TEST_F(HeldEngine, WaitingForWalModeToEndLetsTheOtherProgramEndIt)
{
    testsupport::BusyTimeout wait(3s);
    fresh();
    SQLite::Database other("T.mdb", SQLite::OPEN_READWRITE);
    other.exec("PRAGMA journal_mode=WAL");
    other.exec("SELECT count(*) FROM BLOOD");
    std::exception_ptr failure;
    std::thread opening([&] {
        try {
            ws.OpenDatabase("T.mdb")->Close();
        } catch (...) {
            failure = std::current_exception();
        }
    });
    // Until the opening has begun to wait, then the switch back, tried as
    // the program tries its own.
    std::this_thread::sleep_for(100ms);
    bool switched = false;
    for (const auto until = std::chrono::steady_clock::now() + 2s;
         !switched && std::chrono::steady_clock::now() < until;) {
        try {
            other.exec("PRAGMA journal_mode=DELETE");
            switched = true;
        } catch (const SQLite::Exception&) {
            std::this_thread::sleep_for(1ms);
        }
    }
    opening.join();
    EXPECT_TRUE(switched);
    EXPECT_FALSE(failure) << "the opening failed";
    EXPECT_EQ(journalMode("T.mdb"), "delete");
}
