// Compaction and repair of a readings database from their windows, and the
// compaction of the open database's pick-list stores: results, messages,
// pointers, the maintenance lock, and the old file kept whole on every failure.
#include "layouts_fixture.h"

#include "support/file_size_limit.h"

#include <fstream>

using namespace maintest;

namespace {

const std::vector<Reading> someRows {
    reading("2014-03-05", "08:00", { { F::Bsugar, "120" }, { F::Bcomm, "before breakfast" } }),
    reading("2014-03-04", "21:15", { { F::Bpressure, "130" }, { F::Dpressure, "85" } }),
    reading("2014-03-05", "07:45", { { F::Instype, "Humalog" }, { F::Insamt, "4" }, { F::Site, "arm" } }),
};

// Overwrites one page of a database file, as a disk fault would.
void wreckPage(const QString& file, int page)
{
    std::fstream f(file.toStdString(), std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(std::streamoff(page - 1) * 4096);
    const std::string junk(4096, '\x5A');
    f.write(junk.data(), std::streamsize(junk.size()));
}

class Compaction : public MaintenanceTest {
protected:
    CompactDbase* window() { return Forms::Find<CompactDbase>(); }
    RepairDbase* repair() { return Forms::Find<RepairDbase>(); }

    void compact(const QString& file)
    {
        ASSERT_TRUE(main()->mnuUtilitiesCompact.Trigger());
        ASSERT_NE(window(), nullptr);
        doubleClick(window()->File1, file);
        flushDeletes();
    }
};

TEST_F(Compaction, CompactsTheChosenFileInPlaceUnderTheLock)
{
    makeLayout("ANN_LEE.mdb", Layout::Current, someRows);
    makeLayout("BOB_RAY.mdb", Layout::Current, someRows);
    const QByteArray other = folder.read("BOB_RAY.mdb");
    const auto before = rowsOf("ANN_LEE.mdb");
    folder.write("PARTSNEW.MDB", "left from a crash");

    ASSERT_TRUE(main()->mnuUtilitiesCompact.Trigger());
    ASSERT_NE(window(), nullptr);
    EXPECT_EQ(lockState(), "no panel");
    EXPECT_EQ(window()->Caption(), "Compact a Database");
    EXPECT_EQ(window()->Label1.Caption(), "Doubleclick the Database you want compacted.");
    EXPECT_EQ(window()->HelpContextID, 140);
    EXPECT_EQ(listed(window()->File1), (QStringList { "ANN_LEE.mdb", "BOB_RAY.mdb", "PARTSNEW.MDB" }));

    doubleClick(window()->File1, "ANN_LEE.mdb");
    flushDeletes();
    EXPECT_EQ(window(), nullptr);
    EXPECT_EQ(lockState(), "panel file utilities about");
    EXPECT_EQ(rowsOf("ANN_LEE.mdb"), before);
    EXPECT_EQ(folder.read("BOB_RAY.mdb"), other);
    EXPECT_FALSE(folder.exists("PARTSNEW.MDB"));
    EXPECT_EQ(desk.pointers, (std::vector<int> { forms::vbHourglass, forms::vbArrow }));
    EXPECT_TRUE(desk.messages.empty());
    auto db = dao::DefaultWorkspace().OpenDatabase("ANN_LEE.mdb");
    EXPECT_EQ(db->Locale(), DatabaseLocale);
    EXPECT_EQ(db->TableDefs().size(), 2u);
}

TEST_F(Compaction, CancelAndTheCloseBoxReleaseTheLockAndChangeNothing)
{
    makeLayout("ANN_LEE.mdb", Layout::Current, someRows);
    const QByteArray bytes = folder.read("ANN_LEE.mdb");
    for (bool closeBox : { false, true }) {
        ASSERT_TRUE(main()->mnuUtilitiesCompact.Trigger());
        if (closeBox)
            window()->close();
        else
            window()->Cancel.Press();
        flushDeletes();
        EXPECT_EQ(window(), nullptr);
        EXPECT_EQ(lockState(), "panel file utilities about");
    }
    EXPECT_EQ(folder.read("ANN_LEE.mdb"), bytes);
}

// Every way a compaction can fail leaves the chosen file byte for byte as
// it was, no scratch file behind, a message after the pointer is back, and
// the window closed with the lock released.
TEST_F(Compaction, AFailureLeavesTheFileWholeAndSaysSo)
{
    struct Case {
        const char* name;
        std::function<void()> arrange;
        const char* failStep; // injected, or "" for a real fault
        const char* chosen = "ANN_LEE.mdb";
    };
    const std::vector<Case> cases {
        { "not a database", [this] { folder.write("ANN_LEE.mdb", QByteArray(8192, 'x')); }, "" },
        { "damaged",
            [] {
                makeLayout("ANN_LEE.mdb", Layout::Current, someRows);
                wreckPage("ANN_LEE.mdb", 2);
            },
            "" },
        { "leftover cannot go", [] { makeLayout("ANN_LEE.mdb", Layout::Current, someRows); }, "remove-leftover" },
        { "leftover cannot be deleted",
            [this] {
                makeLayout("ANN_LEE.mdb", Layout::Current, someRows);
                folder.write("PARTSNEW.MDB", "left from a crash");
            },
            "file:delete" },
        { "engine fails", [] { makeLayout("ANN_LEE.mdb", Layout::Current, someRows); }, "compact" },
        { "before the rename", [] { makeLayout("ANN_LEE.mdb", Layout::Current, someRows); }, "replace" },
        { "flush fails", [] { makeLayout("ANN_LEE.mdb", Layout::Current, someRows); }, "file:sync" },
        { "rename fails", [] { makeLayout("ANN_LEE.mdb", Layout::Current, someRows); }, "file:rename" },
        { "scratch chosen", [this] { makeLayout("PARTSNEW.MDB", Layout::Current, someRows); }, "", "PARTSNEW.MDB" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const QString& f : QDir(folder.path()).entryList(QDir::Files))
            QFile::remove(folder.file(f));
        desk.messages.clear();
        desk.pointers.clear();
        c.arrange();
        const QByteArray bytes = folder.read(c.chosen);
        const bool leftover = folder.exists("PARTSNEW.MDB") && std::string(c.chosen) != "PARTSNEW.MDB";
        {
            const std::string step = c.failStep;
            std::optional<FailAt> fail;
            std::optional<FailFileStep> failFile;
            if (step.rfind("file:", 0) == 0)
                failFile.emplace(step.substr(5), step == "file:delete" ? "PARTSNEW.MDB" : c.chosen);
            else if (!step.empty())
                fail.emplace(step);
            compact(c.chosen);
        }
        EXPECT_EQ(folder.read(c.chosen), bytes);
        // A leftover that cannot be deleted is still there; nothing else is.
        QStringList left = QDir(folder.path()).entryList(QDir::Files);
        if (leftover) left.removeAll("PARTSNEW.MDB");
        EXPECT_EQ(left, QStringList { c.chosen });
        ASSERT_EQ(desk.messages.size(), 1u);
        EXPECT_TRUE(desk.messages[0].text.startsWith(QString(c.chosen) + " ")) << desk.messages[0].text.toStdString();
        if (std::string(c.chosen) != "PARTSNEW.MDB") {
            EXPECT_TRUE(desk.messages[0].text.contains("It is unchanged.")) << desk.messages[0].text.toStdString();
            EXPECT_EQ(desk.pointers, (std::vector<int> { forms::vbHourglass, forms::vbArrow }));
        }
        EXPECT_EQ(window(), nullptr);
        EXPECT_EQ(lockState(), "panel file utilities about");
    }
}

TEST_F(Compaction, ADoubleClickBesideTheEntriesDoesNothing)
{
    ASSERT_TRUE(main()->mnuUtilitiesCompact.Trigger());
    auto& list = window()->File1;
    activate(window());
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, QPoint(5, list.viewport()->height() - 5));
    EXPECT_NE(window(), nullptr);
    EXPECT_TRUE(desk.pointers.empty());
    EXPECT_TRUE(desk.messages.empty());
}

TEST_F(Compaction, RepairWarnsFirstThenMendsADamagedIndex)
{
    makeLayout("ANN_LEE.mdb", Layout::Current, someRows);
    const auto before = rowsOf("ANN_LEE.mdb");
    int page = 0;
    {
        auto db = dao::DefaultWorkspace().OpenDatabase("ANN_LEE.mdb");
        SQLite::Statement s(db->connection(), "SELECT rootpage FROM sqlite_master WHERE name='Readings'");
        ASSERT_TRUE(s.executeStep());
        page = s.getColumn(0).getInt();
    }
    wreckPage("ANN_LEE.mdb", page);
    std::vector<int> pointersAtNotice;
    int beepsAtNotice = -1;
    desk.onMessage = [&](const forms::MessageBoxCall&) {
        pointersAtNotice = desk.pointers;
        beepsAtNotice = desk.beeps;
    };

    ASSERT_TRUE(main()->mnuUtilitiesRepair.Trigger());
    ASSERT_NE(repair(), nullptr);
    EXPECT_EQ(lockState(), "no panel");
    EXPECT_EQ(repair()->Label1.Caption(), "Doubleclick the file you need to repair.");
    doubleClick(repair()->File1, "ANN_LEE.mdb");
    flushDeletes();

    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(desk.messages[0].text, "YOU SHOULD RUN THE COMPACT UTILITY AFTER REPAIRING THE DATABASE");
    EXPECT_EQ(desk.messages[0].icon, forms::Icon::Information);
    EXPECT_EQ(desk.messages[0].title, "Tellora");
    EXPECT_EQ(desk.messages[0].buttons, forms::Buttons::OK);
    EXPECT_EQ(beepsAtNotice, 1);
    EXPECT_TRUE(pointersAtNotice.empty()); // the hourglass only once the notice is closed
    EXPECT_EQ(desk.pointers, (std::vector<int> { forms::vbHourglass, forms::vbArrow }));
    EXPECT_EQ(rowsOf("ANN_LEE.mdb"), before);
    EXPECT_EQ(repair(), nullptr);
    EXPECT_EQ(lockState(), "panel file utilities about");
}

TEST_F(Compaction, RepairOfAFileItCannotMendReportsAndKeepsIt)
{
    folder.write("JUNK.mdb", QByteArray(4096, 'j'));
    for (const char* step : { "", "repair" }) {
        SCOPED_TRACE(step);
        desk.messages.clear();
        desk.pointers.clear();
        std::optional<FailAt> fail;
        if (*step) fail.emplace(step);
        ASSERT_TRUE(main()->mnuUtilitiesRepair.Trigger());
        doubleClick(repair()->File1, "JUNK.mdb");
        flushDeletes();
        ASSERT_EQ(desk.messages.size(), 2u);
        EXPECT_TRUE(desk.messages[1].text.startsWith("JUNK.mdb could not be repaired."))
            << desk.messages[1].text.toStdString();
        EXPECT_EQ(desk.pointers, (std::vector<int> { forms::vbHourglass, forms::vbArrow }));
        EXPECT_EQ(folder.read("JUNK.mdb"), QByteArray(4096, 'j'));
        EXPECT_EQ(repair(), nullptr);
        EXPECT_EQ(lockState(), "panel file utilities about");
    }
}

// The store compaction of the open database: its store compacted in place,
// nothing else touched, nothing shown; a missing store is no failure.
class StoreCompaction : public MaintenanceTest {
protected:
    void SetUp() override
    {
        MaintenanceTest::SetUp();
        makeLayout("ANN_LEE.mdb", Layout::Current, someRows);
        // Opened as the user does, so DatabaseName holds the base name.
        auto* select = Forms::Load<SelectDbase>();
        ASSERT_NE(select, nullptr);
        ASSERT_TRUE(select->File1.SelectFile("ANN_LEE.mdb"));
        select->File1.DblClick();
        ASSERT_NE(Forms::Find<DisplayRecord>(), nullptr);
    }
    forms::MenuItem& command(const PickList& list)
    {
        return &list == &InsulinNames ? main()->mnuUtilitiesCompINDbase : main()->mnuUtilitiesCompISDbase;
    }
    void makeStore(const PickList& list, const QStringList& entries)
    {
        const QString file = StoreFileName(list, "ANN_LEE");
        CreateStore(list, file);
        for (const QString& e : entries)
            AddEntry(list, file, e);
    }
};

TEST_F(StoreCompaction, CompactsOnlyItsOwnStoreAndRunsTwiceInARow)
{
    for (const PickList* list : { &InsulinNames, &InjectionSites }) {
        SCOPED_TRACE(list->extension);
        const PickList& other = list == &InsulinNames ? InjectionSites : InsulinNames;
        for (const QString& f : { StoreFileName(*list, "ANN_LEE"), StoreFileName(other, "ANN_LEE") })
            QFile::remove(folder.file(f));
        makeStore(*list, { "Lantus", "Humalog", "NPH" });
        makeStore(other, { "arm" });
        folder.write(StoreScratch(*list), "left from a crash");
        const QByteArray readings = folder.read("ANN_LEE.mdb");
        const QByteArray otherStore = folder.read(StoreFileName(other, "ANN_LEE"));
        for (int run = 0; run < 2; ++run) {
            ASSERT_TRUE(command(*list).Trigger());
            EXPECT_EQ(
                ReadEntries(*list, StoreFileName(*list, "ANN_LEE")), (QStringList { "Humalog", "Lantus", "NPH" }));
            EXPECT_FALSE(folder.exists(StoreScratch(*list)));
        }
        EXPECT_EQ(folder.read("ANN_LEE.mdb"), readings);
        EXPECT_EQ(folder.read(StoreFileName(other, "ANN_LEE")), otherStore);
        EXPECT_TRUE(desk.messages.empty());
        EXPECT_TRUE(desk.pointers.empty());
    }
}

TEST_F(StoreCompaction, AMissingStoreIsLeftAloneSilently)
{
    ASSERT_TRUE(main()->mnuUtilitiesCompINDbase.Trigger());
    ASSERT_TRUE(main()->mnuUtilitiesCompISDbase.Trigger());
    EXPECT_FALSE(folder.exists("ANN_LEE.qnm"));
    EXPECT_FALSE(folder.exists("NEWFILE.qnm"));
    EXPECT_TRUE(desk.messages.empty());
}

TEST_F(StoreCompaction, AFailureAtAnyStepKeepsTheStoreWhole)
{
    makeStore(InsulinNames, { "Lantus" });
    const QByteArray bytes = folder.read("ANN_LEE.qnm");
    for (const char* step : { "remove-leftover", "compact", "replace" }) {
        SCOPED_TRACE(step);
        desk.messages.clear();
        folder.write("NEWFILE.qnm", "left from a crash");
        {
            FailAt fail(step);
            ASSERT_TRUE(main()->mnuUtilitiesCompINDbase.Trigger());
        }
        EXPECT_EQ(folder.read("ANN_LEE.qnm"), bytes);
        EXPECT_FALSE(folder.exists("NEWFILE.qnm"));
        ASSERT_EQ(messages().size(), 1u);
        EXPECT_TRUE(messages()[0].startsWith("The insulin names database could not be compacted.  It is unchanged."));
    }
    // A damaged store: the same outcome, without an injected fault.
    QFile::remove(folder.file("NEWFILE.qnm"));
    folder.write("ANN_LEE.qnm", QByteArray(4096, 'q'));
    desk.messages.clear();
    ASSERT_TRUE(main()->mnuUtilitiesCompINDbase.Trigger());
    EXPECT_EQ(folder.read("ANN_LEE.qnm"), QByteArray(4096, 'q'));
    EXPECT_FALSE(folder.exists("NEWFILE.qnm"));
    EXPECT_EQ(messages().size(), 1u);
}

} // namespace

TEST_F(Compaction, RepairOnAFullDiskSaysTheDiskIsFullAndKeepsTheFile)
{
    // More rows than the engine's page cache holds, so the rebuilt copy is
    // written while rows are still being copied.
    makeLayout("ANN_LEE.mdb", Layout::Current, someRows);
    int page = 0;
    {
        auto db = dao::DefaultWorkspace().OpenDatabase("ANN_LEE.mdb");
        db->connection().exec("WITH RECURSIVE n(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM n WHERE x < 20000) "
                              "INSERT INTO BLOOD (Bdate, Btime, Bcomm) SELECT printf('2015-%05d', x), '08:00', "
                              "printf('%050d', x) FROM n");
        SQLite::Statement s(db->connection(), "SELECT rootpage FROM sqlite_master WHERE name='Readings'");
        ASSERT_TRUE(s.executeStep());
        page = s.getColumn(0).getInt();
    }
    wreckPage("ANN_LEE.mdb", page);
    const QByteArray bytes = folder.read("ANN_LEE.mdb");

    Failure failure;
    {
        // A file size limit below the rebuilt copy's size fails its writes, as a full disk does.
        const testsupport::FileSizeLimit small(256 * 1024);
        ASSERT_TRUE(small.ok());
        failure = RepairReadingsDatabase("ANN_LEE.mdb");
    }

    ASSERT_TRUE(failure.has_value());
    EXPECT_TRUE(failure->contains("The disk is full")) << failure->toStdString();
    EXPECT_FALSE(failure->contains("no such table")) << failure->toStdString();
    EXPECT_EQ(folder.read("ANN_LEE.mdb"), bytes);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList { "ANN_LEE.mdb" });
}
