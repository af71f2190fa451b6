// Backup, restore and the backup configuration, driven as the user does.
#include "maintenance_fixture.h"

#include "maintenance/windows/cback.h"
#include "maintenance/windows/restbackup.h"

#include "platform/forms/drivelist.h"

#include <QRegularExpression>

#include <functional>

using namespace maintenancetest;

namespace {

const QString NotConfigured = "You must run the Configure routine first.";
const QString BackupDone = "**** Backup Successful ****";
const QString BackupFailed = "???? Backup Failed ????";
const QString RestoreDone = "**** Restore Process Successful ****";
const QString RestoreFailed = "???? Restore Process Failed ????";

class BackupTest : public MaintenanceTest {
protected:
    void SetUp() override
    {
        MaintenanceTest::SetUp();
        makeSet("JANE_DOE");
        makeSet("JOHN_ROE", false);
    }
    void backUp() { ASSERT_TRUE(main()->mnuUtilitiesBackup.Trigger()); }
    void closeDatabase() { click(&record()->Command1); }
    RestBackup* restore()
    {
        EXPECT_TRUE(main()->mnuUtilitiesRestore.Trigger());
        return Forms::Find<RestBackup>();
    }
    Cback* cback() { return Forms::Find<Cback>(); }
    Brow* brow() { return Forms::Find<Brow>(); }
};

} // namespace

TEST_F(BackupTest, BackupCopiesTheOpenSetWholeAndReportsSuccess)
{
    configure();
    open("JANE_DOE.mdb");
    backUp();
    ASSERT_EQ(desk.messages.size(), 1u);
    const auto& box = desk.messages.back();
    EXPECT_EQ(box.text, BackupDone);
    EXPECT_EQ(box.buttons, forms::Buttons::OK);
    EXPECT_EQ(box.icon, forms::Icon::None);
    EXPECT_EQ(box.title, "Tellora 3.95");
    EXPECT_EQ(desk.pointers, std::vector<int>({ forms::vbHourglass, forms::vbDefault }));
    for (const char* name : { "JANE_DOE.mdb", "JANE_DOE.qnm", "JANE_DOE.qst" })
        EXPECT_EQ(backupBytes(name), folder.read(name)) << name;
    EXPECT_EQ(filesOf(backup.path()), QStringList({ "JANE_DOE.mdb", "JANE_DOE.qnm", "JANE_DOE.qst" }));

    // A second backup replaces the copies without a question.
    addReadings("JANE_DOE.mdb", { { "2024-02-01", "09:00" } });
    backUp();
    EXPECT_EQ(messageTexts(), QStringList({ BackupDone, BackupDone }));
    EXPECT_EQ(backupBytes("JANE_DOE.mdb"), folder.read("JANE_DOE.mdb"));
}

TEST_F(BackupTest, ASetWithoutStoresBacksUpItsReadingsAlone)
{
    configure();
    open("JOHN_ROE.mdb");
    backUp();
    EXPECT_EQ(messageTexts(), QStringList({ BackupDone }));
    EXPECT_EQ(filesOf(backup.path()), QStringList({ "JOHN_ROE.mdb" }));
}

TEST_F(BackupTest, WithoutAConfigurationNothingIsCopied)
{
    open("JANE_DOE.mdb");
    int pointerDuringBox = -1;
    desk.onMessage = [&](const forms::MessageBoxCall&) { pointerDuringBox = forms::MousePointer(); };
    backUp();
    EXPECT_EQ(messageTexts(), QStringList({ NotConfigured }));
    EXPECT_EQ(pointerDuringBox, forms::vbHourglass);
    EXPECT_EQ(forms::MousePointer(), forms::vbDefault);
    EXPECT_TRUE(filesOf(backup.path()).isEmpty());
}

TEST_F(BackupTest, BackupFailuresAreReportedAndLeaveEarlierCopiesWhole)
{
    open("JANE_DOE.mdb");
    folder.write("BACKUP.CFG", QByteArray(75, ' '));
    struct Case {
        const char* what;
        std::function<void()> arrange;
        std::string faultStep;
        QString faultPath;
    } cases[] = {
        { "the program folder", [&] { ASSERT_TRUE(SaveBackupPath(folder.path()).ok()); }, {}, {} },
        { "an empty path", [&] { folder.write("BACKUP.CFG", QByteArray(75, ' ')); }, {}, {} },
        { "a missing folder", [&] { ASSERT_TRUE(SaveBackupPath(backup.path() + "/gone").ok()); }, {}, {} },
        { "an unreadable BACKUP.CFG", [&] { configure(); }, "read", "BACKUP.CFG" },
        { "a failing store copy", [&] { configure(); }, "rename", "JANE_DOE.qst" },
    };
    // Older copies in the backup folder, to see that nothing is half-replaced.
    QFile old(backupFile("JANE_DOE.qst"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("older store copy");
    old.close();
    for (const Case& c : cases) {
        desk.messages.clear();
        desk.pointers.clear();
        c.arrange();
        const QByteArray programCopy = folder.read("JANE_DOE.mdb");
        {
            InjectFault fault(c.faultStep.empty() ? "none" : c.faultStep, c.faultPath);
            backUp();
        }
        EXPECT_EQ(messageTexts(), QStringList({ BackupFailed })) << c.what;
        EXPECT_EQ(desk.pointers, std::vector<int>({ forms::vbHourglass, forms::vbDefault })) << c.what;
        EXPECT_EQ(folder.read("JANE_DOE.mdb"), programCopy) << c.what;
        EXPECT_EQ(backupBytes("JANE_DOE.qst"), "older store copy") << c.what;
        EXPECT_FALSE(filesOf(backup.path()).join(' ').contains(".JANE")) << c.what; // no scratch file left
    }
    // The failing store came after the readings and the other store: the set
    // is replaced whole or not at all, so their copies went with it.
    EXPECT_FALSE(QFileInfo::exists(backupFile("JANE_DOE.mdb")));
    EXPECT_FALSE(QFileInfo::exists(backupFile("JANE_DOE.qnm")));
}

TEST_F(BackupTest, RestoreAfterBackupGivesBackTheSetByteForByte)
{
    configure();
    open("JANE_DOE.mdb");
    backUp();
    closeDatabase();
    const QByteArray saved[]
        = { backupBytes("JANE_DOE.mdb"), backupBytes("JANE_DOE.qnm"), backupBytes("JANE_DOE.qst") };
    // Changed and lost since the backup.
    addReadings("JANE_DOE.mdb", { { "2024-03-01", "10:00" } });
    AddEntry(InsulinNames, "JANE_DOE.qnm", "Lantus");
    QFile::remove(folder.file("JANE_DOE.qst"));
    desk.messages.clear();
    desk.pointers.clear();

    RestBackup* w = restore();
    ASSERT_NE(w, nullptr);
    // Menus locked, the start panel left as it was.
    EXPECT_TRUE(locked());
    EXPECT_TRUE(panelShown());
    EXPECT_EQ(w->File1.ListCount(), 2);
    doubleClick(w->File1, "JANE_DOE.mdb");

    EXPECT_EQ(messageTexts(), QStringList({ RestoreDone }));
    EXPECT_EQ(desk.pointers, std::vector<int>({ forms::vbHourglass, forms::vbDefault }));
    EXPECT_EQ(Forms::Find<RestBackup>(), nullptr);
    EXPECT_TRUE(unlocked());
    EXPECT_TRUE(panelShown());
    EXPECT_EQ(folder.read("JANE_DOE.mdb"), saved[0]);
    EXPECT_EQ(folder.read("JANE_DOE.qnm"), saved[1]);
    EXPECT_EQ(folder.read("JANE_DOE.qst"), saved[2]);
    EXPECT_EQ(storedTimes("JANE_DOE.mdb"), std::vector<std::string>({ "2024-01-02 08:30", "2024-01-03 17:45" }));
    EXPECT_EQ(filesOf(folder.path()).filter(QRegularExpression("^\\.")), QStringList());
}

TEST_F(BackupTest, RestoreOfASetWithoutStoreCopiesLeavesTheStoresHereAndFindsTheCopyWithoutRegardToCase)
{
    configure();
    // A copy whose name differs in case only, as another system may have written it.
    ASSERT_TRUE(files::CopyFile("JOHN_ROE.mdb", backupFile("john_roe.MDB")).ok());
    CreateStore(InsulinNames, "JOHN_ROE.qnm");
    const QByteArray store = folder.read("JOHN_ROE.qnm");
    addReadings("JOHN_ROE.mdb", { { "2024-03-01", "10:00" } });
    doubleClick(restore()->File1, "JOHN_ROE.mdb");
    EXPECT_EQ(messageTexts(), QStringList({ RestoreDone }));
    EXPECT_EQ(folder.read("JOHN_ROE.mdb"), backupBytes("john_roe.MDB"));
    EXPECT_EQ(folder.read("JOHN_ROE.qnm"), store);
}

TEST_F(BackupTest, RestoreFailuresChangeNothingAndCloseTheWindow)
{
    const QByteArray before[] = { folder.read("JANE_DOE.mdb"), folder.read("JANE_DOE.qnm") };
    struct Case {
        const char* what;
        bool configured;
        const char* choose;
        std::string faultStep;
        QString expected;
    } cases[] = {
        { "no configuration", false, "JANE_DOE.mdb", "", NotConfigured },
        { "no copy in the backup folder", true, "JANE_DOE.mdb", "", RestoreFailed },
        { "nothing chosen", true, "", "", RestoreFailed },
        { "no room for the new file", true, "JANE_DOE.mdb", "create", RestoreFailed },
        { "a failing write", true, "JANE_DOE.mdb", "write", RestoreFailed },
        { "a failing flush", true, "JANE_DOE.mdb", "sync", RestoreFailed },
        { "a failing rename", true, "JANE_DOE.mdb", "rename", RestoreFailed },
    };
    for (const Case& c : cases) {
        QFile::remove(folder.file("BACKUP.CFG"));
        for (const QString& f : filesOf(backup.path()))
            QFile::remove(backupFile(f));
        if (c.configured) configure();
        if (!c.faultStep.empty()) {
            ASSERT_TRUE(files::CopyFile("JANE_DOE.mdb", backupFile("JANE_DOE.mdb")).ok());
            ASSERT_TRUE(files::CopyFile("JOHN_ROE.mdb", backupFile("JANE_DOE.qnm")).ok());
        }
        desk.messages.clear();
        RestBackup* w = restore();
        ASSERT_NE(w, nullptr) << c.what;
        InjectFault fault(c.faultStep.empty() ? "none" : c.faultStep);
        doubleClick(w->File1, c.choose);
        EXPECT_EQ(messageTexts(), QStringList({ c.expected })) << c.what;
        EXPECT_EQ(Forms::Find<RestBackup>(), nullptr) << c.what;
        EXPECT_TRUE(unlocked()) << c.what;
        EXPECT_EQ(folder.read("JANE_DOE.mdb"), before[0]) << c.what;
        EXPECT_EQ(folder.read("JANE_DOE.qnm"), before[1]) << c.what;
        EXPECT_EQ(filesOf(folder.path()).filter(QRegularExpression("^\\.")), QStringList()) << c.what;
    }
}

TEST_F(BackupTest, CancelAndTheCloseBoxReleaseTheLock)
{
    for (bool closeBox : { false, true }) {
        RestBackup* w = restore();
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(locked());
        if (closeBox)
            w->close();
        else
            click(&w->Cancel);
        EXPECT_EQ(Forms::Find<RestBackup>(), nullptr);
        EXPECT_TRUE(unlocked());
        EXPECT_TRUE(panelShown());
    }
}

TEST_F(BackupTest, NoDatabaseOpensFromTheChooserWhileAMaintenanceWindowIsOpen)
{
    click(&panel()->Command2); // the chooser, which a maintenance window leaves usable
    ASSERT_NE(chooser(), nullptr);
    for (const char* entry : { "mnuFileConfigureBackup", "mnuUtilitiesRestore", "mnuUtilitiesDeleteDbase" }) {
        ASSERT_TRUE(main()->Menu[entry].Trigger()) << entry;
        ASSERT_NE(chooser(), nullptr);
        doubleClick(chooser()->File1, "JANE_DOE.mdb");
        EXPECT_EQ(record(), nullptr) << entry;
        for (const char* name : { "Cback", "RestBackup", "DeleteDbase" })
            Forms::Unload(name);
        EXPECT_TRUE(unlocked());
    }
    // Once they are closed the chooser opens databases again.
    doubleClick(chooser()->File1, "JANE_DOE.mdb");
    EXPECT_NE(record(), nullptr);
}

TEST_F(BackupTest, ConfigureShowsTheStoredPathAndSavesTheBrowsedFolder)
{
    ASSERT_TRUE(SaveBackupPath("/stored/path").ok());
    ASSERT_TRUE(main()->mnuFileConfigureBackup.Trigger());
    Cback* w = cback();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Bpath.Text(), "/stored/path");
    EXPECT_TRUE(w->Bpath.Locked());
    EXPECT_TRUE(locked());
    EXPECT_FALSE(panelShown());

    click(&w->Browse);
    Brow* b = brow();
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(b->Text1.Text().isEmpty());
    EXPECT_EQ(b->Dir1.Path(), QDir::currentPath());
    click(&w->Browse); // a second "Browse" leaves the open browser as it is
    EXPECT_EQ(brow(), b);

    // Open the backup folder in the folder list: the drive, then the folder.
    QDir(backup.path()).mkdir("sets");
    ASSERT_TRUE(b->Dir1.SetPath(backup.path()));
    const int sets = [&] {
        for (int i = 0; i < b->Dir1.ListCount(); ++i)
            if (b->Dir1.List(i).endsWith("/sets")) return i;
        return -1;
    }();
    ASSERT_GE(sets, 0);
    activate(b);
    QTest::mouseDClick(b->Dir1.viewport(), Qt::LeftButton, {}, b->Dir1.visualItemRect(b->Dir1.item(sets)).center());
    EXPECT_EQ(b->Text1.Text(), backup.path() + "/sets");
    click(&b->Save);
    EXPECT_EQ(brow(), nullptr);
    EXPECT_EQ(w->Bpath.Text(), backup.path() + "/sets");
    EXPECT_EQ(ReadBackupConfig().path, "/stored/path"); // nothing saved yet

    click(&w->SaveCon);
    EXPECT_EQ(cback(), nullptr);
    EXPECT_EQ(ReadBackupConfig().path, backup.path() + "/sets");
    EXPECT_EQ(folder.read("BACKUP.CFG").size(), 75);
    EXPECT_TRUE(unlocked());
    EXPECT_TRUE(panelShown());
    EXPECT_TRUE(desk.messages.empty());
}

TEST_F(BackupTest, SaveDoesNothingWithAnEmptyPathAndCancelWritesNothing)
{
    ASSERT_TRUE(main()->mnuFileConfigureBackup.Trigger());
    Cback* w = cback();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->Bpath.Text().isEmpty());
    click(&w->SaveCon);
    EXPECT_EQ(cback(), w);
    EXPECT_FALSE(folder.exists("BACKUP.CFG"));

    // "Browse", "OK" at once: an empty text; "Cancel" then writes nothing.
    click(&w->Browse);
    click(&brow()->Save);
    EXPECT_TRUE(w->Bpath.Text().isEmpty());
    click(&w->CancelCon);
    EXPECT_EQ(cback(), nullptr);
    EXPECT_FALSE(folder.exists("BACKUP.CFG"));
    EXPECT_TRUE(unlocked());
    EXPECT_TRUE(desk.messages.empty());
}

TEST_F(BackupTest, ClosingConfigureByItsCloseBoxClosesTheBrowserAndReleasesTheLock)
{
    ASSERT_TRUE(main()->mnuFileConfigureBackup.Trigger());
    click(&cback()->Browse);
    ASSERT_NE(brow(), nullptr);
    cback()->close();
    EXPECT_EQ(cback(), nullptr);
    EXPECT_EQ(brow(), nullptr);
    EXPECT_TRUE(unlocked());
    EXPECT_TRUE(panelShown());
}

TEST_F(BackupTest, APathThatCannotBeStoredWholeIsRefusedAtSave)
{
    ASSERT_TRUE(SaveBackupPath("/kept").ok());
    const QByteArray kept = folder.read("BACKUP.CFG");
    ASSERT_TRUE(main()->mnuFileConfigureBackup.Trigger());
    Cback* w = cback();
    for (const QString& path : { "/" + QString(75, 'p'), QString::fromUtf8("/backup/日本") }) {
        desk.messages.clear();
        w->Bpath.SetText(path);
        EXPECT_EQ(w->Bpath.Text(), path); // shown whole, never cut
        click(&w->SaveCon);
        ASSERT_EQ(desk.messages.size(), 1u);
        EXPECT_EQ(desk.messages[0].text, BackupPathMessage(CheckBackupPath(path)));
        EXPECT_EQ(cback(), w);
        EXPECT_EQ(folder.read("BACKUP.CFG"), kept);
    }
}

TEST_F(BackupTest, AnInvalidDriveIsReportedAndTheBrowserStartsAgain)
{
    forms::mountedVolumes = [] { return QStringList { "/", "/no/such/volume" }; };
    ASSERT_TRUE(main()->mnuFileConfigureBackup.Trigger());
    click(&cback()->Browse);
    Brow* first = brow();
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(first->Drive1.SetDrive("/no/such/volume"));
    forms::mountedVolumes = [] { return QStringList { "/" }; };
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(desk.messages[0].text, "The drive you have selected is invalid.");
    EXPECT_EQ(desk.messages[0].title, "Tellora 3.95");
    EXPECT_EQ(desk.messages[0].icon, forms::Icon::None);
    flushDeletes();
    Brow* again = brow();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->Drive1.Drive(), "/");
    EXPECT_EQ(again->Dir1.Path(), QDir::currentPath());
    EXPECT_TRUE(again->Text1.Text().isEmpty());
}

TEST_F(BackupTest, WindowsStandAtTheirSizesWithTheirCaptionsAndHelp)
{
    struct Case {
        const char* entry;
        const char* window;
        const char* caption;
        int width, height, help;
    } cases[] = {
        { "mnuFileConfigureBackup", "Cback", "Configure Backup", 6015, 2895, 210 },
        { "mnuUtilitiesRestore", "RestBackup", "Restore From Backup", 5130, 5115, 230 },
        { "mnuUtilitiesDeleteDbase", "DeleteDbase", "Delete Database", 5565, 4650, 310 },
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(main()->Menu[c.entry].Trigger()) << c.entry;
        forms::Form* w = Forms::Find(c.window);
        ASSERT_NE(w, nullptr) << c.window;
        EXPECT_EQ(w->Caption(), c.caption);
        EXPECT_EQ(w->Width(), c.width);
        EXPECT_EQ(w->Height(), c.height);
        EXPECT_EQ(w->HelpContextID, c.help);
        for (QWidget* child : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            EXPECT_FALSE(child->accessibleName().isEmpty()) << c.window << child->objectName().toStdString();
        Forms::Unload(w);
    }
    ASSERT_TRUE(main()->mnuFileConfigureBackup.Trigger());
    click(&cback()->Browse);
    EXPECT_EQ(brow()->Caption(), "Browse For Backup Folder");
    EXPECT_EQ(brow()->Width(), 6180);
    EXPECT_EQ(brow()->Height(), 5475);
}
