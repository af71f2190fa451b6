// The drive list, the folder list and the progress bar.
#include "platform/forms/drivelist.h"
#include "platform/forms/progressbar.h"

#include "support/heard.h"
#include "support/tempdir.h"

#include <QApplication>
#include <QFileInfo>

#include <QDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace forms;

namespace {

// Two "volumes": the root and a scratch folder standing for a mounted disk.
class FolderLists : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir(disk.path()).mkpath("photos/2024");
        QDir(disk.path()).mkpath(".cache");
        QDir(folder.path()).mkpath("Backups");
        QDir(folder.path()).mkpath("archive");
        QDir(folder.path()).mkpath(".hidden");
        mountedVolumes = [this] { return QStringList { "/", disk.path() }; };
    }
    void TearDown() override
    {
        mountedVolumes = [] { return QStringList { "/" }; };
    }

    QTemporaryDir disk;
    testsupport::ProgramFolder folder;
};

QStringList entries(const DirListBox& list)
{
    QStringList out;
    for (int i = 0; i < list.ListCount(); ++i)
        out << list.List(i);
    return out;
}

} // namespace

TEST_F(FolderLists, TheFolderListStartsAtTheCurrentFolderWithItsChainAndVisibleSubfolders)
{
    DirListBox dir;
    const QString here = QDir::currentPath();
    EXPECT_EQ(dir.Path(), here);
    const QStringList list = entries(dir);
    ASSERT_GE(list.size(), 3);
    EXPECT_EQ(list.first(), "/");
    EXPECT_EQ(list.at(dir.ListIndex()), here); // the current folder is the selected entry
    EXPECT_EQ(list.mid(dir.ListIndex() + 1), QStringList({ here + "/archive", here + "/Backups" }));
}

TEST_F(FolderLists, OpeningAFolderChangesThePathAndFiresChangeButSelectingDoesNot)
{
    DirListBox dir;
    int changes = 0;
    dir.Change = [&] { ++changes; };
    const int backups = int(entries(dir).indexOf(QDir::currentPath() + "/Backups"));
    ASSERT_GE(backups, 0);

    dir.setCurrentRow(backups); // a single click only selects
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(dir.Path(), QDir::currentPath());

    // Enter opens the selected folder, as a double-click does.
    dir.setCurrentRow(backups);
    QTest::keyClick(&dir, Qt::Key_Return);
    EXPECT_EQ(dir.Path(), QDir::currentPath() + "/Backups");
    EXPECT_EQ(changes, 1);
    // Up again through the chain.
    ASSERT_TRUE(dir.Open(int(entries(dir).indexOf(QDir::currentPath()))));
    EXPECT_EQ(dir.Path(), QDir::currentPath());
    EXPECT_EQ(changes, 2);
}

TEST_F(FolderLists, AFolderThatCannotBeReadIsRefusedAndNothingChanges)
{
    DirListBox dir;
    int changes = 0;
    dir.Change = [&] { ++changes; };
    EXPECT_FALSE(dir.SetPath(QDir::currentPath() + "/no such folder"));
    EXPECT_FALSE(dir.SetPath("/no/such/volume"));
    EXPECT_EQ(dir.Path(), QDir::currentPath());
    EXPECT_EQ(changes, 0);
}

TEST_F(FolderLists, ADriveMovesTheFolderListToThatDrivesCurrentFolder)
{
    DirListBox dir;
    // Never visited: the drive's root.
    ASSERT_TRUE(dir.SetPath(disk.path()));
    EXPECT_EQ(dir.Path(), disk.path());
    EXPECT_EQ(entries(dir).mid(dir.ListIndex() + 1), QStringList({ disk.path() + "/photos" })); // .cache is hidden
    ASSERT_TRUE(dir.SetPath(disk.path() + "/photos/2024"));
    // Back on the first drive: the folder that holds the current folder.
    ASSERT_TRUE(dir.SetPath("/"));
    EXPECT_EQ(dir.Path(), QDir::currentPath());
    // And the other drive remembers where the list left it.
    ASSERT_TRUE(dir.SetPath(disk.path()));
    EXPECT_EQ(dir.Path(), disk.path() + "/photos/2024");
}

TEST_F(FolderLists, TheDriveListShowsTheVolumesAndStartsAtTheCurrentFolders)
{
    EXPECT_EQ(volumeOf(disk.path() + "/photos"), disk.path());
    EXPECT_EQ(volumeOf(QDir::currentPath()), "/");

    DriveListBox drives;
    ASSERT_EQ(drives.ListCount(), 2);
    EXPECT_EQ(drives.Drive(), "/");
    int changes = 0;
    drives.Change = [&] { ++changes; };
    EXPECT_FALSE(drives.SetDrive("/elsewhere"));
    EXPECT_EQ(changes, 0);
    ASSERT_TRUE(drives.SetDrive(disk.path()));
    EXPECT_EQ(drives.Drive(), disk.path());
    EXPECT_EQ(changes, 1);
}

TEST_F(FolderLists, TheFolderListTakingTheFocusNamesItsCurrentFolder)
{
    QWidget window;
    DirListBox dir(&window);
    QWidget other(&window);
    other.setFocusPolicy(Qt::StrongFocus);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    other.setFocus();
    testsupport::Heard heard;
    dir.setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    ASSERT_FALSE(heard.focused.empty());
    EXPECT_EQ(heard.focused.back().trimmed(), QFileInfo(QDir::currentPath()).fileName());
}

TEST(ProgressBarControl, KeepsValueInRangeAndRepaintsOnlyWhenTheBarMoves)
{
    ProgressBar bar;
    bar.SetMin(0);
    bar.SetMax(100000);
    const int before = bar.Repaints();
    for (int i = 0; i <= 100000; ++i)
        bar.SetValue(i);
    EXPECT_EQ(bar.Value(), 100000);
    EXPECT_LE(bar.Repaints() - before, 1001);
    EXPECT_EQ(bar.value(), bar.maximum());

    bar.SetValue(-5);
    EXPECT_EQ(bar.Value(), 0);
    bar.SetValue(200000);
    EXPECT_EQ(bar.Value(), 100000);
    bar.SetMax(10); // the value follows a smaller range
    EXPECT_EQ(bar.Value(), 10);
    bar.SetVisible(false);
    EXPECT_FALSE(bar.Visible());
}
