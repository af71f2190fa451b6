// Deleting a database set from the "Delete Database" window.
#include "maintenance_fixture.h"

#include "maintenance/windows/deletedbase.h"

using namespace maintenancetest;

namespace {

class DeleteTest : public MaintenanceTest {
protected:
    void SetUp() override
    {
        MaintenanceTest::SetUp();
        makeSet("JANE_DOE");
        makeSet("JOHN_ROE");
    }
    DeleteDbase* openWindow()
    {
        EXPECT_TRUE(main()->mnuUtilitiesDeleteDbase.Trigger());
        return Forms::Find<DeleteDbase>();
    }
    void expectClosedAndUnlocked()
    {
        EXPECT_EQ(Forms::Find<DeleteDbase>(), nullptr);
        EXPECT_TRUE(unlocked());
        EXPECT_TRUE(panelShown());
    }
};

} // namespace

TEST_F(DeleteTest, ADoubleClickDeletesTheWholeSetAtOnceAndNothingElse)
{
    const QByteArray other = folder.read("JOHN_ROE.mdb");
    DeleteDbase* w = openWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(panelShown());
    EXPECT_TRUE(locked());
    EXPECT_EQ(w->Label1.Caption(), "Double click the database you  would like to delete.");
    doubleClick(w->File1, "JANE_DOE.mdb");

    EXPECT_TRUE(desk.messages.empty());
    expectClosedAndUnlocked();
    EXPECT_EQ(filesOf(folder.path()), QStringList({ "JOHN_ROE.mdb", "JOHN_ROE.qnm", "JOHN_ROE.qst" }));
    EXPECT_EQ(folder.read("JOHN_ROE.mdb"), other);
}

TEST_F(DeleteTest, MissingStoresAreSkippedAndAScratchFileIsDeletedLikeAnyOther)
{
    makeSet("NO_STORES", false);
    folder.write("PARTSNEW.MDB", "left by an earlier run");
    doubleClick(openWindow()->File1, "NO_STORES.mdb");
    doubleClick(openWindow()->File1, "PARTSNEW.MDB");
    EXPECT_TRUE(desk.messages.empty());
    EXPECT_FALSE(folder.exists("NO_STORES.mdb"));
    EXPECT_FALSE(folder.exists("PARTSNEW.MDB"));
    EXPECT_EQ(filesOf(folder.path()).size(), 6);
}

TEST_F(DeleteTest, AReadingsDatabaseThatWillNotGoKeepsItsStoresAndIsReported)
{
    const QStringList before = filesOf(folder.path());
    InjectFault fault("delete", "JANE_DOE.mdb");
    doubleClick(openWindow()->File1, "JANE_DOE.mdb");
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_TRUE(desk.messages[0].text.startsWith("JANE_DOE.mdb could not be deleted."));
    expectClosedAndUnlocked();
    EXPECT_EQ(filesOf(folder.path()), before);
}

TEST_F(DeleteTest, AStoreThatWillNotGoIsReportedAndTheRestOfTheSetIsDeleted)
{
    InjectFault fault("delete", "JANE_DOE.qnm");
    doubleClick(openWindow()->File1, "JANE_DOE.mdb");
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_TRUE(desk.messages[0].text.startsWith("JANE_DOE.qnm could not be deleted."));
    expectClosedAndUnlocked();
    EXPECT_TRUE(folder.exists("JANE_DOE.qnm"));
    EXPECT_FALSE(folder.exists("JANE_DOE.mdb"));
    EXPECT_FALSE(folder.exists("JANE_DOE.qst"));
}

TEST_F(DeleteTest, NothingChosenOrCancelledDeletesNothing)
{
    const QStringList before = filesOf(folder.path());
    doubleClick(openWindow()->File1, "");
    expectClosedAndUnlocked();
    click(&openWindow()->Cancel);
    expectClosedAndUnlocked();
    openWindow()->close();
    expectClosedAndUnlocked();
    EXPECT_TRUE(desk.messages.empty());
    EXPECT_EQ(filesOf(folder.path()), before);
}

TEST_F(DeleteTest, TheListIsTheFolderAtOpeningWithoutHiddenFiles)
{
    folder.write(".hidden.mdb", "x");
    folder.write("Upper.MDB", "x");
    DeleteDbase* w = openWindow();
    folder.write("LATER.mdb", "x");
    QStringList listed;
    for (int i = 0; i < w->File1.ListCount(); ++i)
        listed << w->File1.List(i);
    EXPECT_EQ(listed, QStringList({ "JANE_DOE.mdb", "JOHN_ROE.mdb", "Upper.MDB" }));
}
