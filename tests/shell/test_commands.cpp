// Menu commands: windows of later subsystems opened by name, the
// reading-shown test, shortcuts and the top-menu locks.
#include "shell_fixture.h"

using namespace shelltest;

namespace {

// A stand-in chart window that locks as the chart windows do.
class FakeChart : public forms::Form {
public:
    explicit FakeChart(const QString& name)
        : Form(name)
    {
    }

protected:
    void Form_Load() override
    {
        if (!ReadingShown()) return; // loaded but hidden, locking nothing
        Forms::Find<DisplayRecord>()->SetEnabled(false);
        SetTopMenus({ "mnuFile", "mnuUtilities", "mnuGraphs" }, false);
        Show();
    }
    void Form_Unload() override
    {
        if (auto* r = Forms::Find<DisplayRecord>()) r->SetEnabled(true);
        SetTopMenus({ "mnuFile", "mnuUtilities", "mnuGraphs" }, true);
    }
};

class Commands : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        for (const char* w : windows)
            Forms::Register(w, [this, w] {
                made.push_back(w);
                return new FakeChart(w);
            });
    }
    void TearDown() override
    {
        ShellTest::TearDown();
        for (const char* w : windows)
            Forms::Unregister(w);
    }
    void key(int k, Qt::KeyboardModifiers m = {})
    {
        activate(main());
        QTest::keyClick(main(), Qt::Key(k), m);
    }
    const std::vector<const char*> windows { "BSbyDate", "BSbyDateTime", "BPbyDate", "Cback", "CompactDbase", "About2",
        "AddNames", "StdRptByDate", "DeleteByDate" };
    std::vector<QString> made;
};

TEST_F(Commands, ShortcutUnderALockedTopMenuNeverOpensASecondChart)
{
    makeDatabase("ANN_LEE.mdb", { { "2014-03-05", "08:00" } });
    open("ANN_LEE.mdb");
    key(Qt::Key_F2);
    ASSERT_EQ(made, (std::vector<QString> { "BSbyDate" }));
    EXPECT_FALSE(main()->mnuGraphs.Enabled());
    EXPECT_FALSE(record()->Enabled());
    key(Qt::Key_F3);
    key(Qt::Key_F7);
    EXPECT_FALSE(main()->Menu["Bar2"].Trigger());
    EXPECT_EQ(made.size(), 1u);
    EXPECT_TRUE(main()->mnuHelp.Enabled()); // "&About" stays usable
    Forms::Unload("BSbyDate");
    EXPECT_TRUE(main()->mnuGraphs.Enabled());
    key(Qt::Key_F7);
    EXPECT_EQ(made, (std::vector<QString> { "BSbyDate", "BPbyDate" }));
}

TEST_F(Commands, ChartCommandsWithNoReadingShownOpenNothing)
{
    makeDatabase("ANN_LEE.mdb");
    open("ANN_LEE.mdb");
    key(Qt::Key_F2);
    key(Qt::Key_F3, Qt::ControlModifier);
    main()->mnuUtilitiesDeleteByDate.Trigger();
    EXPECT_TRUE(made.empty());
    EXPECT_EQ(desk.beeps, 0);
    // A reading shown later: the same command opens its chart.
    addReadings("ANN_LEE.mdb", { { "2014-03-05", "08:00" } });
    {
        // As the add window does: the new reading written into the boxes.
        auto db = dao::DefaultWorkspace().OpenDatabase("ANN_LEE.mdb");
        auto rs = db->OpenRecordset("BLOOD");
        rs->SetIndex("Readings");
        record()->ShowRecord(*rs);
    }
    key(Qt::Key_F2);
    EXPECT_EQ(made, (std::vector<QString> { "BSbyDate" }));
}

TEST_F(Commands, ClosedStateShortcutsOpenTheirWindowsByName)
{
    key(Qt::Key_U, Qt::ControlModifier);
    key(Qt::Key_F2); // "&Graphs" is disabled with no database open
    main()->mnuFileConfigInsNames.Action()->trigger();
    EXPECT_EQ(made, (std::vector<QString> { "Cback" }));
    // Commands whose windows are not registered do nothing.
    key(Qt::Key_R, Qt::ControlModifier);
    EXPECT_TRUE(main()->mnuUtilitiesRepair.Trigger());
    EXPECT_EQ(made.size(), 1u);
    EXPECT_TRUE(desk.messages.empty());
}

TEST_F(Commands, ProceduresRunByNameWhileADatabaseIsOpen)
{
    std::vector<QString> ran;
    for (const char* c : { "BackupDbase", "mnuUtilitiesCompINDbase_Click", "mnuUtilitiesCompISDbase_Click" })
        Forms::RegisterCommand(c, [&ran, c] { ran.push_back(c); });
    key(Qt::Key_B, Qt::ControlModifier); // closed state: disabled
    EXPECT_TRUE(ran.empty());
    makeDatabase("ANN_LEE.mdb");
    open("ANN_LEE.mdb");
    key(Qt::Key_B, Qt::ControlModifier);
    main()->mnuUtilitiesCompINDbase.Trigger();
    main()->mnuUtilitiesCompISDbase.Trigger();
    EXPECT_EQ(ran,
        (std::vector<QString> { "BackupDbase", "mnuUtilitiesCompINDbase_Click", "mnuUtilitiesCompISDbase_Click" }));
    main()->mnuFilePrtStdRptbyDate.Trigger();
    EXPECT_EQ(made, (std::vector<QString> { "StdRptByDate" }));
    for (const char* c : { "BackupDbase", "mnuUtilitiesCompINDbase_Click", "mnuUtilitiesCompISDbase_Click" })
        Forms::RegisterCommand(c, nullptr);
}

TEST_F(Commands, ClosingTheMainWindowEndsTheProgram)
{
    main()->close();
    EXPECT_EQ(desk.endCalls, 1);
    EXPECT_NE(main(), nullptr);
}

} // namespace
