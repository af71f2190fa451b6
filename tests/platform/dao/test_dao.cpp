#include "platform/dao/dao.h"
#include "support/tempdir.h"

#include <SQLiteCpp/SQLiteCpp.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace dao;

namespace {

// A small readings-like table: key (D, T) on the non-unique primary index K.
struct EngineTest : ::testing::Test {
    testsupport::ProgramFolder folder;
    Workspace& ws = DefaultWorkspace();

    void make(const std::string& name = "T.mdb")
    {
        auto db = ws.CreateDatabase(name, dbLangGeneral, dbVersion30);
        TableDef td = db->CreateTableDef("BLOOD");
        td.Fields.push_back(td.CreateField("D", FieldType::Text, 15));
        td.Fields.push_back(td.CreateField("T", FieldType::Text, 15));
        td.Fields.push_back(td.CreateField("V", FieldType::Text, 3));
        Index ix = td.CreateIndex("K");
        ix.Primary = true;
        ix.Unique = false;
        ix.Fields.push_back(ix.CreateField("D"));
        ix.Fields.push_back(ix.CreateField("T"));
        td.Indexes.push_back(ix);
        db->AppendTableDef(td);
        db->Close();
    }

    void add(const std::vector<std::array<std::string, 3>>& rows, const std::string& name = "T.mdb")
    {
        auto db = ws.OpenDatabase(name);
        auto rs = db->OpenRecordset("BLOOD");
        for (const auto& r : rows) {
            rs->AddNew();
            rs->SetValue("D", r[0]);
            rs->SetValue("T", r[1]);
            rs->SetValue("V", r[2]);
            rs->Update();
        }
    }

    // Walks the whole table on K, forward, as "V" values.
    std::vector<std::string> walk(Recordset& rs)
    {
        std::vector<std::string> out;
        rs.MoveFirst();
        while (!rs.EOF_()) {
            out.push_back(rs.Text("V"));
            rs.MoveNext();
        }
        return out;
    }

    std::unique_ptr<Database> db;
    std::unique_ptr<Recordset> open(const std::string& name = "T.mdb")
    {
        db = ws.OpenDatabase(name);
        auto rs = db->OpenRecordset("blood");
        rs->SetIndex("k");
        return rs;
    }

    int errorOf(const std::function<void()>& f)
    {
        try {
            f();
        } catch (const Error& e) {
            return e.Number();
        }
        return 0;
    }
};

} // namespace

TEST_F(EngineTest, CreatesTableAndIndexAsDefined)
{
    make();
    auto d = ws.OpenDatabase("T.mdb");
    EXPECT_EQ(d->Locale(), dbLangGeneral);
    EXPECT_EQ(d->Version(), dbVersion30);
    auto defs = d->TableDefs();
    ASSERT_EQ(defs.size(), 1u); // the system table is not listed
    const TableDef& td = defs[0];
    EXPECT_EQ(td.Name, "BLOOD");
    ASSERT_EQ(td.Fields.size(), 3u);
    EXPECT_EQ(td.Fields[0].Name, "D");
    EXPECT_EQ(td.Fields[2].Size, 3);
    EXPECT_EQ(td.Fields[2].Type, FieldType::Text);
    ASSERT_NE(td.FindField("v"), nullptr);
    const Index* ix = td.FindIndex("k");
    ASSERT_NE(ix, nullptr);
    EXPECT_TRUE(ix->Primary);
    EXPECT_FALSE(ix->Unique);
    ASSERT_EQ(ix->Fields.size(), 2u);
    EXPECT_EQ(ix->Fields[1].Name, "T");
    EXPECT_EQ(errorOf([&] { d->GetTableDef("NOPE"); }), errObjectNotFound);
    EXPECT_EQ(errorOf([&] { ws.CreateDatabase("T.mdb", dbLangGeneral, dbVersion30); }), errDatabaseExists);

    // Any SQLite tool reads the table, with case-blind text comparison.
    SQLite::Database raw("T.mdb");
    SQLite::Statement s(raw, "SELECT sql FROM sqlite_master WHERE name='BLOOD'");
    ASSERT_TRUE(s.executeStep());
    EXPECT_NE(s.getColumn(0).getString().find("COLLATE NOCASE"), std::string::npos);
}

TEST_F(EngineTest, WalksInIndexOrderIgnoringCaseAndKeepingInsertionOrderForEqualKeys)
{
    make();
    add({ { "b", "1", "b" }, { "A", "1", "A" }, { "c", "1", "c" }, { "x", "1", "x1" }, { "X", "1", "x2" },
        { "x", "1", "x3" } });
    auto rs = open();
    EXPECT_EQ(walk(*rs), (std::vector<std::string> { "A", "b", "c", "x1", "x2", "x3" }));
    EXPECT_EQ(rs->RecordCount(), 6);
}

TEST_F(EngineTest, EmptyTableIsAtBothEnds)
{
    make();
    auto rs = open();
    EXPECT_TRUE(rs->BOF());
    EXPECT_TRUE(rs->EOF_());
    EXPECT_EQ(errorOf([&] { rs->MoveNext(); }), errNoCurrentRecord);
    EXPECT_EQ(errorOf([&] { rs->MoveLast(); }), errNoCurrentRecord);
    EXPECT_EQ(errorOf([&] { rs->Text("V"); }), errNoCurrentRecord);
}

TEST_F(EngineTest, MovesAtTheEnds)
{
    make();
    add({ { "2024-01-01", "08:00", "1" }, { "2024-01-01", "17:45", "2" }, { "2024-01-02", "07:00", "3" } });
    auto rs = open();
    EXPECT_EQ(rs->Text("V"), "1"); // a new recordset stands on its first row
    rs->MoveLast();
    EXPECT_EQ(rs->Text("V"), "3");
    rs->MoveNext();
    EXPECT_TRUE(rs->EOF_());
    EXPECT_FALSE(rs->BOF());
    EXPECT_EQ(errorOf([&] { rs->MoveNext(); }), errNoCurrentRecord);
    rs->MovePrevious(); // from EOF back to the last row
    EXPECT_EQ(rs->Text("V"), "3");
    rs->MoveFirst();
    rs->MovePrevious();
    EXPECT_TRUE(rs->BOF());
    EXPECT_EQ(errorOf([&] { rs->MovePrevious(); }), errNoCurrentRecord);
    EXPECT_EQ(errorOf([&] { rs->Text("V"); }), errNoCurrentRecord);
    rs->MoveNext(); // from BOF to the first row
    EXPECT_EQ(rs->Text("V"), "1");
}

TEST_F(EngineTest, SeekCases)
{
    make();
    add({ { "2024-01-01", "08:00", "1" }, { "2024-01-01", "17:45", "2" }, { "2024-01-03", "07:00", "3" } });
    struct Case {
        std::string op;
        std::vector<std::string> keys;
        std::string expect; // "" for no match
    };
    const Case cases[] = {
        { "=", { "2024-01-01", "17:45" }, "2" },
        { "=", { "2024-01-01", "17:46" }, "" },
        { "=", { "2024-01-01" }, "1" },
        { ">=", { "2024-01-01" }, "1" },
        { ">=", { "2024-01-02" }, "3" }, // partial key: the next day with readings
        { ">=", { "2024-01-04" }, "" },
        { ">", { "2024-01-01", "08:00" }, "2" },
        { "<", { "2024-01-03" }, "2" },
        { "<=", { "2024-01-01", "08:00" }, "1" },
        { "<", { "2024-01-01" }, "" },
    };
    auto rs = open();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.op + " " + c.keys[0]);
        rs->Seek(c.op, c.keys);
        EXPECT_EQ(rs->NoMatch(), c.expect.empty());
        if (c.expect.empty()) {
            EXPECT_TRUE(rs->EOF_());
            EXPECT_EQ(errorOf([&] { rs->Text("V"); }), errNoCurrentRecord);
            EXPECT_EQ(errorOf([&] { rs->Edit(); }), errNoCurrentRecord);
            EXPECT_EQ(errorOf([&] { rs->Delete(); }), errNoCurrentRecord);
        } else {
            EXPECT_EQ(rs->Text("V"), c.expect);
        }
    }
    EXPECT_EQ(errorOf([&] { rs->Seek("~", { "x" }); }), errInvalidArgument);
    EXPECT_EQ(errorOf([&] { rs->Seek("=", { "a", "b", "c" }); }), errInvalidArgument);
}

TEST_F(EngineTest, SeekIgnoresCase)
{
    make();
    add({ { "abc", "x", "1" } });
    auto rs = open();
    rs->Seek("=", { "ABC", "X" });
    ASSERT_FALSE(rs->NoMatch());
    EXPECT_EQ(rs->Text("v"), "1");
}

TEST_F(EngineTest, DeleteThenMoveReachesTheNeighbours)
{
    make();
    add({ { "1", "a", "1" }, { "2", "a", "2" }, { "3", "a", "3" } });
    struct Case {
        std::string del;
        bool forward;
        std::string expect; // "EOF", "BOF" or a value
    };
    const Case cases[] = {
        { "2", true, "3" },
        { "2", false, "1" },
        { "3", true, "EOF" },
        { "3", false, "2" },
        { "1", false, "BOF" },
        { "1", true, "2" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.del + (c.forward ? " next" : " previous"));
        auto rs = open();
        rs->Seek("=", { c.del, "a" });
        ASSERT_FALSE(rs->NoMatch());
        ws.BeginTrans();
        rs->Delete();
        EXPECT_EQ(errorOf([&] { rs->Text("V"); }), errNoCurrentRecord);
        if (c.forward)
            rs->MoveNext();
        else
            rs->MovePrevious();
        if (c.expect == "EOF")
            EXPECT_TRUE(rs->EOF_());
        else if (c.expect == "BOF")
            EXPECT_TRUE(rs->BOF());
        else
            EXPECT_EQ(rs->Text("V"), c.expect);
        rs->Close();
        ws.Rollback();
    }
}

TEST_F(EngineTest, UpdateChecksSizesAndChangesNothingOnFailure)
{
    make();
    add({ { "1", "a", "1" } });
    auto rs = open();
    rs->AddNew();
    rs->SetValue("D", "2");
    rs->SetValue("T", "a");
    rs->SetValue("V", "1234");
    EXPECT_EQ(errorOf([&] { rs->Update(); }), errFieldTooSmall);
    rs->CancelUpdate();
    EXPECT_EQ(rs->RecordCount(), 1);

    rs->Edit();
    rs->SetValue("V", "éèà"); // three characters fit a size of three
    rs->Update();
    EXPECT_EQ(rs->Text("V"), "éèà");

    rs->Edit();
    rs->SetValue("V", std::nullopt);
    rs->Update();
    EXPECT_FALSE(rs->GetValue("V").has_value());
    EXPECT_EQ(errorOf([&] { rs->Text("V"); }), errInvalidUseOfNull);

    rs->AddNew();
    rs->SetValue("V", "9");
    EXPECT_EQ(errorOf([&] { rs->Update(); }), errNullInKey); // primary key fields need values
    rs->CancelUpdate();
    EXPECT_EQ(errorOf([&] { rs->Update(); }), errUpdateWithoutEdit);
    EXPECT_EQ(errorOf([&] { rs->SetValue("V", "1"); }), errUpdateWithoutEdit);
    EXPECT_EQ(errorOf([&] { rs->GetValue("NOFIELD"); }), errItemNotFound);
    EXPECT_EQ(errorOf([&] { rs->SetIndex("NOINDEX"); }), errItemNotFound);
    EXPECT_EQ(rs->RecordCount(), 1);
}

TEST_F(EngineTest, TransactionsCommitAndRollBack)
{
    make();
    add({ { "1", "a", "1" } });
    {
        auto rs = open();
        ws.BeginTrans();
        rs->Delete();
        rs->AddNew();
        rs->SetValue("D", "2");
        rs->SetValue("T", "a");
        rs->SetValue("V", "2");
        rs->Update();
        ws.Rollback();
        EXPECT_EQ(walk(*rs), std::vector<std::string> { "1" });
        ws.BeginTrans();
        rs->MoveFirst();
        rs->Delete();
        ws.CommitTrans();
        rs->Close();
        db->Close();
    }
    auto rs = open();
    EXPECT_EQ(rs->RecordCount(), 0);
    EXPECT_EQ(errorOf([&] { ws.CommitTrans(); }), errTransaction);
}

TEST_F(EngineTest, ATransactionBlockLeftWithoutCommitRollsBack)
{
    make();
    add({ { "1", "a", "1" }, { "2", "a", "2" } });
    auto rs = open();
    try {
        Transaction t(ws);
        rs->Delete();
        throw std::runtime_error("left early");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(ws.TransactionDepth(), 0);
    EXPECT_EQ(walk(*rs), (std::vector<std::string> { "1", "2" }));
    {
        Transaction t(ws);
        rs->MoveFirst();
        rs->Delete();
        t.Commit();
    }
    EXPECT_EQ(ws.TransactionDepth(), 0);
    EXPECT_EQ(walk(*rs), std::vector<std::string> { "2" });
}

TEST_F(EngineTest, ClosingWithAPendingTransactionGivesItsWorkUp)
{
    make();
    add({ { "1", "a", "1" } });
    {
        auto rs = open();
        ws.BeginTrans();
        rs->Delete();
        rs->Close();
        db->Close();
        ws.Rollback();
    }
    auto rs = open();
    EXPECT_EQ(rs->RecordCount(), 1);
}

TEST_F(EngineTest, BadFilesFailAtOpen)
{
    folder.write("garbage.mdb", QByteArray(4096, 'x'));
    {
        SQLite::Database other("other.mdb", SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        other.exec("CREATE TABLE BLOOD (Bdate TEXT)");
    }
    make("damaged.mdb");
    {
        // Wreck the schema page behind the header.
        std::fstream f("damaged.mdb", std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(100);
        std::string junk(3000, '\x5a');
        f.write(junk.data(), std::streamsize(junk.size()));
    }
    std::filesystem::create_directory("folder.mdb");
    struct Case {
        const char* name;
        int error;
    };
    const Case cases[] = {
        { "missing.mdb", errFileNotFound },
        { "folder.mdb", errFileNotFound },
        { "garbage.mdb", errNotADatabase },
        { "other.mdb", errNotADatabase },
        { "damaged.mdb", errDamaged },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(errorOf([&] { ws.OpenDatabase(c.name); }), c.error);
    }
    EXPECT_FALSE(folder.exists("missing.mdb")); // opening never creates
}

TEST_F(EngineTest, CompactKeepsEverythingAndRefusesAnExistingTarget)
{
    make();
    add({ { "b", "1", "2" }, { "a", "1", "1" } });
    ws.CompactDatabase("T.mdb", "C.mdb", dbLangGeneral);
    auto rs = open("C.mdb");
    EXPECT_EQ(walk(*rs), (std::vector<std::string> { "1", "2" }));
    EXPECT_EQ(db->Locale(), dbLangGeneral);
    const Index* ix = rs->Definition().FindIndex("K");
    ASSERT_NE(ix, nullptr);
    EXPECT_TRUE(ix->Primary);
    rs->Close();
    db->Close();
    EXPECT_EQ(errorOf([&] { ws.CompactDatabase("T.mdb", "C.mdb", dbLangGeneral); }), errDatabaseExists);
    EXPECT_EQ(errorOf([&] { ws.CompactDatabase("none.mdb", "D.mdb", dbLangGeneral); }), errFileNotFound);
    EXPECT_FALSE(folder.exists("D.mdb"));
}

TEST_F(EngineTest, RepairLeavesAWholeFileAloneAndRebuildsADamagedIndex)
{
    make();
    add({ { "b", "1", "2" }, { "a", "1", "1" } });
    ws.RepairDatabase("T.mdb");
    int page = 0;
    {
        SQLite::Database raw("T.mdb");
        SQLite::Statement s(raw, "SELECT rootpage FROM sqlite_master WHERE name='K'");
        ASSERT_TRUE(s.executeStep());
        page = s.getColumn(0).getInt();
    }
    {
        // Wreck the index page; the table's rows stay readable.
        std::fstream f("T.mdb", std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(std::streamoff(page - 1) * 4096);
        std::string junk(4096, '\x33');
        f.write(junk.data(), std::streamsize(junk.size()));
    }
    ws.RepairDatabase("T.mdb");
    {
        SQLite::Database raw("T.mdb");
        SQLite::Statement check(raw, "PRAGMA integrity_check");
        ASSERT_TRUE(check.executeStep());
        EXPECT_EQ(check.getColumn(0).getString(), "ok");
    }
    {
        auto rs = open();
        EXPECT_EQ(walk(*rs), (std::vector<std::string> { "1", "2" }));
        rs->Close();
        db->Close();
    }
    folder.write("garbage.mdb", QByteArray(4096, 'x'));
    EXPECT_EQ(errorOf([&] { ws.RepairDatabase("garbage.mdb"); }), errRepairFailed);
    EXPECT_EQ(errorOf([&] { ws.RepairDatabase("none.mdb"); }), errFileNotFound);
}

TEST_F(EngineTest, ClosedFileIsOneCompleteFile)
{
    make();
    add({ { "a", "1", "1" } });
    EXPECT_FALSE(folder.exists("T.mdb-journal"));
    EXPECT_FALSE(folder.exists("T.mdb-wal"));
    std::filesystem::copy_file("T.mdb", "U.mdb");
    auto rs = open("U.mdb");
    EXPECT_EQ(rs->Text("V"), "1");
}

TEST_F(EngineTest, BookmarksKeepRowsWithOneKeyApart)
{
    make();
    add({ { "a", "1", "a1" }, { "b", "1", "b1" }, { "b", "1", "b2" }, { "b", "1", "b3" }, { "c", "1", "c" } });
    auto rs = open();
    rs->Seek("=", { "b", "1" });
    rs->MoveNext();
    const long long b2 = rs->Bookmark();
    ASSERT_EQ(rs->Text("V"), "b2");
    rs->MoveLast();
    rs->SetBookmark(b2);
    EXPECT_EQ(rs->Text("V"), "b2");
    rs->MoveNext();
    EXPECT_EQ(rs->Text("V"), "b3");
    rs->SetBookmark(b2);
    rs->MovePrevious();
    EXPECT_EQ(rs->Text("V"), "b1");
    rs->SetBookmark(b2);
    rs->Delete();
    EXPECT_EQ(errorOf([&] { rs->SetBookmark(b2); }), errInvalidBookmark);

    rs->AddNew();
    rs->SetValue("D", "b");
    rs->SetValue("T", "1");
    rs->SetValue("V", "b4");
    rs->Update();
    rs->SetBookmark(rs->LastModified());
    EXPECT_EQ(rs->Text("V"), "b4");
    rs->MovePrevious();
    EXPECT_EQ(rs->Text("V"), "b3"); // equal keys stay in the order added
}

TEST_F(EngineTest, AValueReadFromTheTableGoesBackWholeHoweverLong)
{
    make();
    add({ { "a", "1", "1" } });
    {
        SQLite::Database raw("T.mdb", SQLite::OPEN_READWRITE);
        raw.exec("UPDATE BLOOD SET V='123456'");
    }
    auto rs = open();
    const Value stored = rs->GetValue("V");
    rs->Edit();
    rs->SetValue("D", "b");
    rs->Update(); // V left as it was
    rs->Delete();
    rs->AddNew();
    rs->SetValue("D", "c");
    rs->SetValue("T", "1");
    rs->SetValue("V", stored);
    EXPECT_EQ(errorOf([&] { rs->Update(); }), errFieldTooSmall); // as typed: refused
    rs->SetStoredValue("V", stored);
    rs->Update();
    rs->MoveFirst();
    EXPECT_EQ(rs->Text("D"), "c");
    EXPECT_EQ(rs->Text("V"), "123456");
}

TEST_F(EngineTest, RepairLeavesAnotherProgramsFileAsItIs)
{
    {
        SQLite::Database other("other.mdb", SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        other.exec("CREATE TABLE t (x TEXT)");
        other.exec("INSERT INTO t VALUES ('mine')");
    }
    const QByteArray before = folder.read("other.mdb");
    EXPECT_EQ(errorOf([&] { ws.RepairDatabase("other.mdb"); }), errRepairFailed);
    EXPECT_EQ(folder.read("other.mdb"), before);
    make();
    EXPECT_FALSE(ws.RepairDatabase("T.mdb")); // whole: nothing to do
}
