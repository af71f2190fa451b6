// Maintenance meeting the world outside the program: a journal left by a
// writer that was killed, another program's open transaction, case twins,
// user files named like the program's scratch files, and special files. Each
// command either does its work on a sound file or refuses, and never costs
// another program's reading. Files are checked through raw SQLite.
#include "maintenance_fixture.h"

#include "maintenance/backupset.h"
#include "maintenance/compaction.h"
#include "maintenance/conversion.h"
#include "maintenance/windows/convertdbase.h"
#include "maintenance/windows/restbackup.h"

#include "support/file_size_limit.h"
#include "support/held_file.h"

#include <QRegularExpression>

#include <sqlite3.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace maintenancetest;

namespace {

const QString RestoreDone = "**** Restore Process Successful ****";
const QString RestoreFailed = "???? Restore Process Failed ????";

// A connection of another program, straight on SQLite.
class Raw {
public:
    explicit Raw(const QString& file)
    {
        sqlite3_open_v2(QFile::encodeName(file).constData(), &db_, SQLITE_OPEN_READWRITE, nullptr);
    }
    ~Raw() { sqlite3_close(db_); }
    Raw(const Raw&) = delete;
    Raw& operator=(const Raw&) = delete;
    int exec(const std::string& sql) { return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr); }
    // The first column of the first row, or the error.
    std::string one(const std::string& sql)
    {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) return sqlite3_errmsg(db_);
        const int rc = sqlite3_step(s);
        std::string out = rc == SQLITE_ROW && sqlite3_column_text(s, 0)
            ? reinterpret_cast<const char*>(sqlite3_column_text(s, 0))
            : rc == SQLITE_ROW ? ""
                               : sqlite3_errmsg(db_);
        sqlite3_finalize(s);
        return out;
    }

private:
    sqlite3* db_ = nullptr;
};

std::string integrity(const QString& file)
{
    return Raw(file).one("PRAGMA integrity_check");
}

// Every reading, in index order, as one text.
std::string digest(const QString& file)
{
    return Raw(file).one("SELECT count(*) || ':' || ifnull(group_concat(Bdate || ' ' || Btime || ' ' || "
                         "ifnull(Bsugar, '') || ' ' || ifnull(Bcomm, ''), '|'), '') "
                         "FROM (SELECT * FROM BLOOD ORDER BY Bdate, Btime, rowid)");
}

// `count` readings with long comments in one statement.
std::string insertRows(int count, const char* year = "2030")
{
    return "WITH RECURSIVE n(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM n WHERE x + 1 < " + std::to_string(count)
        + ") INSERT INTO BLOOD (Bdate, Btime, Bsugar, Bcomm) SELECT printf('" + year
        + "-%05d', x), '00:00', '1', printf('%0200d', x) FROM n";
}

// Another program that runs `statements` on `file` and is killed there.
void killedWriter(const QString& file, std::initializer_list<std::string> statements)
{
    const pid_t child = ::fork();
    if (child == 0) {
        Raw raw(file);
        for (const std::string& sql : statements)
            raw.exec(sql);
        ::raise(SIGKILL);
    }
    ::waitpid(child, nullptr, 0);
}

// Leaves `file` as a writer killed inside a transaction leaves it: pages of
// the transaction spilled into the file and its hot journal beside it.
void killWriterInsideATransaction(const QString& file)
{
    killedWriter(file, { "PRAGMA cache_size=5", "BEGIN", insertRows(3000), "UPDATE BLOOD SET Bsugar = '999'" });
}

class Outside : public MaintenanceTest {
protected:
    // Every file of a folder, hidden ones included, with its bytes.
    static QMap<QString, QByteArray> snapshot(const QString& path)
    {
        QMap<QString, QByteArray> files;
        for (const QString& name : filesOf(path)) {
            QFile f(QDir(path).filePath(name));
            files[name] = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }
        return files;
    }
    RestBackup* restore()
    {
        EXPECT_TRUE(main()->mnuUtilitiesRestore.Trigger());
        return Forms::Find<RestBackup>();
    }
    void restoreByWindow(const QString& file)
    {
        desk.messages.clear();
        RestBackup* w = restore();
        ASSERT_NE(w, nullptr);
        doubleClick(w->File1, file);
        flushDeletes();
    }
    // A backup of JANE_DOE.mdb made while another program held it: whole and
    // holding exactly the committed readings, or refused.
    void expectCommittedOrRefused(const SetCopy& copy, const std::string& committed)
    {
        if (copy.outcome == SetCopy::Outcome::Done) {
            EXPECT_EQ(integrity(backupFile("JANE_DOE.mdb")), "ok");
            EXPECT_EQ(digest(backupFile("JANE_DOE.mdb")), committed);
        } else {
            EXPECT_EQ(copy.outcome, SetCopy::Outcome::Failed);
        }
    }
};

} // namespace

TEST_F(Outside, RestoreOverALeftoverJournalGivesTheBackupsReadingsWhole)
{
    makeSet("JANE_DOE");
    configure();
    ASSERT_TRUE(files::CopyDatabase("JANE_DOE.mdb", backupFile("JANE_DOE.mdb")).ok());
    const std::string saved = digest(backupFile("JANE_DOE.mdb"));
    addReadings("JANE_DOE.mdb", { { "2024-03-01", "10:00" } });
    killWriterInsideATransaction("JANE_DOE.mdb");
    ASSERT_TRUE(folder.exists("JANE_DOE.mdb-journal"));

    restoreByWindow("JANE_DOE.mdb");
    EXPECT_EQ(messageTexts(), QStringList { RestoreDone });
    EXPECT_EQ(integrity("JANE_DOE.mdb"), "ok");
    EXPECT_EQ(digest("JANE_DOE.mdb"), saved);
    EXPECT_FALSE(folder.exists("JANE_DOE.mdb-journal"));

    // The next backup copies the sound file, not a damage.
    ASSERT_EQ(BackupSet("JANE_DOE.mdb", "JANE_DOE").outcome, SetCopy::Outcome::Done);
    EXPECT_EQ(integrity(backupFile("JANE_DOE.mdb")), "ok");
    EXPECT_EQ(digest(backupFile("JANE_DOE.mdb")), saved);
}

TEST_F(Outside, ABackupOfAFileWithALeftoverJournalCopiesItsCommittedReadings)
{
    makeSet("JANE_DOE");
    configure();
    const std::string committed = digest("JANE_DOE.mdb");
    killWriterInsideATransaction("JANE_DOE.mdb");
    ASSERT_TRUE(folder.exists("JANE_DOE.mdb-journal"));
    ASSERT_EQ(BackupSet("JANE_DOE.mdb", "JANE_DOE").outcome, SetCopy::Outcome::Done);
    EXPECT_EQ(integrity(backupFile("JANE_DOE.mdb")), "ok");
    EXPECT_EQ(digest(backupFile("JANE_DOE.mdb")), committed);
}

// Each replacing step while another program holds an uncommitted write
// transaction on the file it would replace (one case per test, since each
// waits out the other's lock).
struct Replacing {
    const char* what;
    QString file;
    std::function<bool()> run; // true: the command reported a failure
};

const Replacing replacingSteps[] = {
    { "compaction", "JANE_DOE.mdb", [] { return CompactReadingsDatabase("JANE_DOE.mdb").has_value(); } },
    { "store compaction", "JANE_DOE.qnm", [] { return CompactStore(InsulinNames, "JANE_DOE").has_value(); } },
    { "conversion", "JANE_DOE.mdb",
        [] { return ConvertDatabase(ToCurrentLayout, "JANE_DOE.mdb").end != ConversionEnd::Converted; } },
    { "restore", "JANE_DOE.mdb", [] { return RestoreSet("JANE_DOE.mdb").outcome != SetCopy::Outcome::Done; } },
    { "restore of a store", "JANE_DOE.qnm",
        [] { return RestoreSet("JANE_DOE.mdb").outcome != SetCopy::Outcome::Done; } },
};

class AnotherProgramsTransaction : public Outside, public ::testing::WithParamInterface<int> { };

TEST_P(AnotherProgramsTransaction, IsNeverCostByAReplacingStep)
{
    const Replacing& c = replacingSteps[GetParam()];
    SCOPED_TRACE(c.what);
    configure();
    makeSet("JANE_DOE");
    ASSERT_TRUE(files::CopyDatabase("JANE_DOE.mdb", backupFile("JANE_DOE.mdb")).ok());
    ASSERT_TRUE(files::CopyDatabase("JANE_DOE.qnm", backupFile("JANE_DOE.qnm")).ok());
    const std::string readings = digest("JANE_DOE.mdb");
    bool failed = false;
    {
        Raw other(folder.file(c.file));
        ASSERT_EQ(other.exec("BEGIN IMMEDIATE"), SQLITE_OK);
        ASSERT_EQ(other.exec("CREATE TABLE Outside (x); INSERT INTO Outside VALUES (42)"), SQLITE_OK);
        failed = c.run();
        EXPECT_EQ(other.exec("COMMIT"), SQLITE_OK);
    }
    // The command could not hold the file, so it refused; the other
    // program's row is in the file that bears the name.
    EXPECT_TRUE(failed);
    EXPECT_EQ(Raw(folder.file(c.file)).one("SELECT x FROM Outside"), "42");
    EXPECT_EQ(integrity(c.file), "ok");
    EXPECT_EQ(digest("JANE_DOE.mdb"), readings);
    EXPECT_FALSE(folder.exists(c.file + "-journal"));
}

INSTANTIATE_TEST_SUITE_P(Steps, AnotherProgramsTransaction, ::testing::Range(0, int(std::size(replacingSteps))),
    [](const ::testing::TestParamInfo<int>& info) {
        std::string name = replacingSteps[info.param].what;
        for (char& ch : name)
            if (ch == ' ') ch = '_';
        return name;
    });

TEST_F(Outside, ABackupWhileAnotherProgramWritesNeverReportsATornCopy)
{
    makeSet("JANE_DOE");
    configure();
    ASSERT_EQ(Raw(folder.file("JANE_DOE.mdb")).exec(insertRows(3000)), SQLITE_OK);
    const std::string committed = digest("JANE_DOE.mdb");
    const QByteArray bytes = folder.read("JANE_DOE.mdb");
    {
        // It rewrites every reading and its cache spills, so uncommitted
        // pages lie in the file.
        Raw other(folder.file("JANE_DOE.mdb"));
        other.exec("PRAGMA cache_size=5");
        ASSERT_EQ(other.exec("BEGIN IMMEDIATE"), SQLITE_OK);
        ASSERT_EQ(other.exec("UPDATE BLOOD SET Bsugar = '999', Bcomm = printf('%0250d', rowid)"), SQLITE_OK);
        ASSERT_NE(folder.read("JANE_DOE.mdb"), bytes);
        const SetCopy copy = BackupSet("JANE_DOE.mdb", "JANE_DOE");
        expectCommittedOrRefused(copy, committed);
        EXPECT_EQ(other.exec("COMMIT"), SQLITE_OK);
    }
    EXPECT_EQ(Raw(folder.file("JANE_DOE.mdb")).one("SELECT count(*) FROM BLOOD WHERE Bsugar = '999'"), "3002");
    ASSERT_EQ(BackupSet("JANE_DOE.mdb", "JANE_DOE").outcome, SetCopy::Outcome::Done);
    EXPECT_EQ(integrity(backupFile("JANE_DOE.mdb")), "ok");
    EXPECT_EQ(digest(backupFile("JANE_DOE.mdb")), digest("JANE_DOE.mdb"));
}

TEST_F(Outside, ABackupOfAFileInWriteAheadModeHoldsEveryCommittedReading)
{
    makeSet("JANE_DOE");
    configure();
    // Another program keeps it open in write-ahead mode, its rows committed
    // to the log and not yet into the file.
    Raw other(folder.file("JANE_DOE.mdb"));
    ASSERT_EQ(other.one("PRAGMA journal_mode=WAL"), "wal");
    ASSERT_EQ(other.exec("PRAGMA wal_autocheckpoint=0"), SQLITE_OK);
    ASSERT_EQ(other.exec(insertRows(10)), SQLITE_OK);
    const std::string committed = digest("JANE_DOE.mdb");
    const SetCopy copy = BackupSet("JANE_DOE.mdb", "JANE_DOE");
    expectCommittedOrRefused(copy, committed);
    EXPECT_EQ(digest("JANE_DOE.mdb"), committed);
}

TEST_F(Outside, CaseTwinsAreTwoPeople)
{
    makeDatabase("twin_one.mdb", { { "2024-01-01", "08:00", "100" } });
    makeDatabase("TWIN_ONE.mdb", { { "2024-02-02", "09:00", "200" } });
    CreateStore(InsulinNames, "TWIN_ONE.qnm");
    configure();
    ASSERT_TRUE(files::CopyDatabase("TWIN_ONE.mdb", backupFile("TWIN_ONE.mdb")).ok());
    ASSERT_TRUE(files::CopyDatabase("TWIN_ONE.qnm", backupFile("TWIN_ONE.qnm")).ok());
    const std::string one = digest("twin_one.mdb"), other = digest("TWIN_ONE.mdb");

    // Only the twin's copy in the backup folder: nothing is restored.
    restoreByWindow("twin_one.mdb");
    EXPECT_EQ(messageTexts(), QStringList { RestoreFailed });
    EXPECT_EQ(digest("twin_one.mdb"), one);
    EXPECT_FALSE(folder.exists("twin_one.qnm"));

    // A backup of one twin takes neither the other's store.
    ASSERT_EQ(BackupSet("twin_one.mdb", "twin_one").outcome, SetCopy::Outcome::Done);
    EXPECT_FALSE(QFileInfo::exists(backupFile("twin_one.qnm")));
    EXPECT_EQ(digest(backupFile("TWIN_ONE.mdb")), other);

    // Its own copy beside the twin's is the one restored, the twin untouched.
    addReadings("twin_one.mdb", { { "2024-03-03", "10:00" } });
    restoreByWindow("twin_one.mdb");
    EXPECT_EQ(messageTexts(), QStringList { RestoreDone });
    EXPECT_EQ(digest("twin_one.mdb"), one);
    EXPECT_EQ(digest("TWIN_ONE.mdb"), other);
    EXPECT_FALSE(folder.exists("twin_one.qnm"));

    // Deleting one twin's set leaves the other's store.
    const QByteArray store = folder.read("TWIN_ONE.qnm");
    EXPECT_TRUE(DeleteSet("twin_one.mdb").ok());
    EXPECT_FALSE(folder.exists("twin_one.mdb"));
    EXPECT_EQ(folder.read("TWIN_ONE.qnm"), store);
    EXPECT_EQ(digest("TWIN_ONE.mdb"), other);

    // Two copies that differ from the name in case only: no choice between them.
    makeDatabase("solo.mdb", { { "2024-04-04", "11:00", "300" } });
    const std::string solo = digest("solo.mdb");
    ASSERT_TRUE(files::CopyDatabase("TWIN_ONE.mdb", backupFile("SOLO.mdb")).ok());
    ASSERT_TRUE(files::CopyDatabase("TWIN_ONE.mdb", backupFile("Solo.mdb")).ok());
    restoreByWindow("solo.mdb");
    EXPECT_EQ(messageTexts(), QStringList { RestoreFailed });
    EXPECT_EQ(digest("solo.mdb"), solo);
}

TEST_F(Outside, AUsersFileNamedLikeAScratchFileInAnotherCaseStays)
{
    makeSet("JANE_DOE");
    const QStringList users { "wexlo.MDB", "WEXLO.mdb", "Partsnew.mdb" };
    for (const QString& name : users)
        makeDatabase(name, { { "2024-05-05", "12:00", "110" } });
    CreateStore(InsulinNames, "Newfile.qnm");
    AddEntry(InsulinNames, "Newfile.qnm", "Novorapid");
    QMap<QString, QByteArray> before;
    for (const QString& name : users + QStringList { "Newfile.qnm" })
        before[name] = folder.read(name);

    ASSERT_TRUE(main()->mnuUtilitiesConvert.Trigger());
    Forms::Find(ConvertDbase::FormName)->Unload();
    flushDeletes();
    EXPECT_EQ(CompactReadingsDatabase("JANE_DOE.mdb"), std::nullopt);
    EXPECT_EQ(CompactStore(InsulinNames, "JANE_DOE"), std::nullopt);
    EXPECT_EQ(ConvertDatabase(ToCurrentLayout, "JANE_DOE.mdb").end, ConversionEnd::Converted);
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        EXPECT_EQ(folder.read(it.key()), it.value()) << it.key().toStdString();

    // Such a file is the user's to compact like any other.
    const std::string readings = digest("Partsnew.mdb");
    EXPECT_EQ(CompactReadingsDatabase("Partsnew.mdb"), std::nullopt);
    EXPECT_EQ(digest("Partsnew.mdb"), readings);
    EXPECT_FALSE(folder.exists("PARTSNEW.MDB"));
}

TEST_F(Outside, SpecialFilesAreRefusedAtOnce)
{
    makeSet("JANE_DOE");
    configure();
    open("JANE_DOE.mdb");
    const std::string readings = digest("JANE_DOE.mdb");
    // A copy that opened a FIFO would wait for ever; the alarm ends such a test.
    ::alarm(30);
    struct Case {
        const char* what;
        std::function<void()> arrange;
        std::function<SetCopy()> run;
    } cases[] = {
        { "a FIFO as the backup copy to restore",
            [&] { ASSERT_EQ(::mkfifo(QFile::encodeName(backupFile("JANE_DOE.mdb")).constData(), 0600), 0); },
            [] { return RestoreSet("JANE_DOE.mdb"); } },
        { "a device as the store copy to restore",
            [&] {
                ASSERT_TRUE(files::CopyDatabase("JANE_DOE.mdb", backupFile("JANE_DOE.mdb")).ok());
                ASSERT_EQ(::symlink("/dev/zero", QFile::encodeName(backupFile("JANE_DOE.qnm")).constData()), 0);
            },
            [] { return RestoreSet("JANE_DOE.mdb"); } },
        { "a FIFO as the backup's target",
            [&] { ASSERT_EQ(::mkfifo(QFile::encodeName(backupFile("JANE_DOE.mdb")).constData(), 0600), 0); },
            [] { return BackupSet("JANE_DOE.mdb", "JANE_DOE"); } },
        { "a folder as the backup's target", [&] { ASSERT_TRUE(QDir().mkdir(backupFile("JANE_DOE.mdb"))); },
            [] { return BackupSet("JANE_DOE.mdb", "JANE_DOE"); } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(backupFile("JANE_DOE.mdb")).removeRecursively();
        for (const QString& f : QDir(backup.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
            QFile::remove(backupFile(f));
        c.arrange();
        EXPECT_EQ(c.run().outcome, SetCopy::Outcome::Failed);
        EXPECT_EQ(digest("JANE_DOE.mdb"), readings);
    }
    // Through the menu, the backup's failure message.
    desk.messages.clear();
    ASSERT_TRUE(main()->mnuUtilitiesBackup.Trigger());
    EXPECT_EQ(messageTexts(), QStringList { "???? Backup Failed ????" });
    ::alarm(0);
}

TEST_F(Outside, ACopyKilledAtAnyMomentLeavesTheOldOrTheNewDatabaseWhole)
{
    makeDatabase("NEW.mdb");
    makeDatabase("OLD.mdb", { { "2024-01-02", "08:30", "120" } });
    ASSERT_EQ(Raw(folder.file("NEW.mdb")).exec(insertRows(60000, "2040")), SQLITE_OK);
    const std::string fresh = digest("NEW.mdb"), old = digest("OLD.mdb");
    // Killed at each step, and once at whatever moment the copy has reached.
    for (const char* step : { "create", "write", "sync", "rename", "" }) {
        SCOPED_TRACE(step);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            files::SetFaultHook([step](std::string_view s, const QString&) {
                if (s == step) ::raise(SIGKILL);
                return false;
            });
            for (;;)
                files::CopyDatabase("NEW.mdb", "OLD.mdb");
        }
        ::usleep(*step == '\0' ? 30000 : 1000);
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status));
        EXPECT_EQ(integrity("OLD.mdb"), "ok");
        const std::string now = digest("OLD.mdb");
        EXPECT_TRUE(now == old || now == fresh);
        QFile::remove(folder.file("OLD.mdb"));
        makeDatabase("OLD.mdb", { { "2024-01-02", "08:30", "120" } });
    }
    // The next copy clears what the killed ones left.
    ASSERT_TRUE(files::CopyDatabase("NEW.mdb", "OLD.mdb").ok());
    EXPECT_EQ(digest("OLD.mdb"), fresh);
    EXPECT_EQ(filesOf(folder.path()).filter(QRegularExpression("^\\.OLD")), QStringList());
}

namespace {

void writeAt(const QString& file, qint64 at, const QByteArray& bytes)
{
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.seek(at));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

void cutTo(const QString& file, qint64 size)
{
    ASSERT_EQ(::truncate(QFile::encodeName(file).constData(), size), 0);
}

// Leaves a hot journal beside `file`, as a writer killed inside a
// transaction on any database does.
void leaveHotJournal(const QString& file)
{
    killedWriter(file,
        { "PRAGMA cache_size=5", "BEGIN", "CREATE TABLE Spill (x)",
            "WITH RECURSIVE n(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM n WHERE x < 3000) "
            "INSERT INTO Spill SELECT printf('%0200d', x) FROM n" });
    ASSERT_TRUE(QFileInfo::exists(file + "-journal"));
}

// Leaves a write-ahead log and its index beside `file`, as a writer killed
// in that mode does.
void leaveLog(const QString& file)
{
    killedWriter(file,
        { "PRAGMA journal_mode=WAL", "PRAGMA wal_autocheckpoint=0",
            "CREATE TABLE Logged (x); INSERT INTO Logged VALUES (1)" });
    ASSERT_TRUE(QFileInfo::exists(file + "-wal"));
    ASSERT_TRUE(QFileInfo::exists(file + "-shm"));
}

// What a failing disk, a cut copy or another program leaves of a file.
struct Damage {
    const char* what;
    std::function<void(const QString& file)> apply;
};

const Damage damages[] = {
    { "overwritten", [](const QString& f) { writeAt(f, 100, QByteArray(3000, 'Z')); } },
    { "first_page_zeroed", [](const QString& f) { writeAt(f, 0, QByteArray(4096, '\0')); } },
    { "cut_to_its_header", [](const QString& f) { cutTo(f, 100); } },
    { "cut_in_half", [](const QString& f) { cutTo(f, QFileInfo(f).size() / 2); } },
    { "empty", [](const QString& f) { cutTo(f, 0); } },
    { "not_SQLite",
        [](const QString& f) {
            QFile::remove(f);
            writeAt(f, 0, "Dear diary, today my sugar was fine.\n");
        } },
    { "missing", [](const QString& f) { QFile::remove(f); } },
    { "overwritten_with_a_hot_journal",
        [](const QString& f) {
            leaveHotJournal(f);
            writeAt(f, 100, QByteArray(3000, 'Z'));
        } },
    { "zeroed_with_a_log",
        [](const QString& f) {
            leaveLog(f);
            writeAt(f, 0, QByteArray(4096, '\0'));
        } },
    { "missing_with_a_hot_journal",
        [](const QString& f) {
            leaveHotJournal(f);
            QFile::remove(f);
        } },
};

const char* const setFiles[] = { "JANE_DOE.mdb", "JANE_DOE.qnm", "JANE_DOE.qst" };

class DamagedTarget : public Outside, public ::testing::WithParamInterface<std::tuple<int, const char*>> { };

} // namespace

TEST_P(DamagedTarget, IsRestoredToItsBackupCopy)
{
    const Damage& damage = damages[std::get<0>(GetParam())];
    const QString target = std::get<1>(GetParam());
    configure();
    makeSet("JANE_DOE");
    ASSERT_EQ(BackupSet("JANE_DOE.mdb", "JANE_DOE").outcome, SetCopy::Outcome::Done);
    // The set moved on since its backup, then the file was damaged.
    addReadings("JANE_DOE.mdb", { { "2024-03-01", "10:00" } });
    AddEntry(InsulinNames, "JANE_DOE.qnm", "Lantus");
    damage.apply(folder.file(target));

    const SetCopy restored = RestoreSet("JANE_DOE.mdb");
    EXPECT_EQ(restored.outcome, SetCopy::Outcome::Done) << restored.error.toStdString();
    for (const char* name : setFiles) {
        SCOPED_TRACE(name);
        EXPECT_EQ(folder.read(name), backupBytes(name));
        // SQLite opening it would play back a journal left beside it.
        EXPECT_EQ(integrity(name), "ok");
        EXPECT_EQ(folder.read(name), backupBytes(name));
        for (const char* beside : { "-journal", "-wal", "-shm" })
            EXPECT_FALSE(folder.exists(QString(name) + beside)) << beside;
    }
    EXPECT_EQ(filesOf(folder.path()).filter(QRegularExpression("^\\.")), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Kinds, DamagedTarget,
    ::testing::Combine(::testing::Range(0, int(std::size(damages))), ::testing::Values("JANE_DOE.mdb", "JANE_DOE.qnm")),
    [](const ::testing::TestParamInfo<std::tuple<int, const char*>>& info) {
        return std::string(damages[std::get<0>(info.param)].what)
            + (QString(std::get<1>(info.param)).endsWith(".mdb") ? "_readings" : "_store");
    });

TEST_F(Outside, TheRestoreWindowBringsBackADamagedFile)
{
    configure();
    makeSet("JANE_DOE");
    ASSERT_EQ(BackupSet("JANE_DOE.mdb", "JANE_DOE").outcome, SetCopy::Outcome::Done);
    writeAt(folder.file("JANE_DOE.mdb"), 100, QByteArray(3000, 'Z'));
    restoreByWindow("JANE_DOE.mdb");
    EXPECT_EQ(messageTexts(), QStringList { RestoreDone });
    EXPECT_EQ(folder.read("JANE_DOE.mdb"), backupBytes("JANE_DOE.mdb"));
}

TEST_F(Outside, ADamagedFileAnotherProgramHoldsIsLeftAsItIs)
{
    configure();
    makeSet("JANE_DOE");
    ASSERT_EQ(BackupSet("JANE_DOE.mdb", "JANE_DOE").outcome, SetCopy::Outcome::Done);
    const testsupport::BusyTimeout quick(std::chrono::milliseconds(200));
    for (const char* name : { "JANE_DOE.mdb", "JANE_DOE.qnm" }) {
        SCOPED_TRACE(name);
        const QByteArray set[] = { folder.read("JANE_DOE.mdb"), folder.read("JANE_DOE.qnm") };
        Raw other(folder.file(name));
        ASSERT_EQ(other.exec("BEGIN IMMEDIATE"), SQLITE_OK);
        cutTo(folder.file(name), QFileInfo(folder.file(name)).size() / 2);
        const QByteArray damaged = folder.read(name);
        EXPECT_EQ(RestoreSet("JANE_DOE.mdb").outcome, SetCopy::Outcome::Failed);
        EXPECT_EQ(folder.read(name), damaged);
        EXPECT_EQ(folder.read(name == QString("JANE_DOE.mdb") ? "JANE_DOE.qnm" : "JANE_DOE.mdb"),
            set[name == QString("JANE_DOE.mdb") ? 1 : 0]);
        other.exec("ROLLBACK");
        ASSERT_EQ(RestoreSet("JANE_DOE.mdb").outcome, SetCopy::Outcome::Done);
    }
}

TEST_F(Outside, ABackupOfADamagedStoreFailsAndKeepsTheGoodCopy)
{
    configure();
    makeSet("JANE_DOE");
    ASSERT_EQ(BackupSet("JANE_DOE.mdb", "JANE_DOE").outcome, SetCopy::Outcome::Done);
    const QMap<QString, QByteArray> good = snapshot(backup.path());
    open("JANE_DOE.mdb");
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.what);
        // Nothing to copy, or a journal that plays the store back whole.
        if (QString(damage.what).startsWith("missing") || QString(damage.what).contains("_with_a_")) continue;
        QFile::remove(folder.file("JANE_DOE.qnm"));
        CreateStore(InsulinNames, "JANE_DOE.qnm");
        damage.apply(folder.file("JANE_DOE.qnm"));
        desk.messages.clear();
        ASSERT_TRUE(main()->mnuUtilitiesBackup.Trigger());
        EXPECT_EQ(messageTexts(), QStringList { "???? Backup Failed ????" });
        EXPECT_EQ(snapshot(backup.path()), good);
    }
}

TEST_F(Outside, AReplacingStepKeepsALinkedFileLinked)
{
    configure();
    makeSet("JANE_DOE");
    ASSERT_EQ(BackupSet("JANE_DOE.mdb", "JANE_DOE").outcome, SetCopy::Outcome::Done);
    // The readings file and a store live in a synced folder, linked into the program folder.
    QTemporaryDir synced;
    const auto real = [&](const char* name) { return QDir(synced.path()).filePath(name); };
    for (const char* name : { "JANE_DOE.mdb", "JANE_DOE.qnm" }) {
        ASSERT_TRUE(QFile::copy(folder.file(name), real(name)));
        ASSERT_TRUE(QFile::remove(folder.file(name)));
        ASSERT_EQ(
            ::symlink(QFile::encodeName(real(name)).constData(), QFile::encodeName(folder.file(name)).constData()), 0);
    }
    const QStringList programFiles = filesOf(folder.path());
    const struct Step {
        const char* what;
        std::function<bool()> run; // true: it worked
    } steps[] = {
        { "restore", [] { return RestoreSet("JANE_DOE.mdb").outcome == SetCopy::Outcome::Done; } },
        { "compaction", [] { return !CompactReadingsDatabase("JANE_DOE.mdb"); } },
        { "store compaction", [] { return !CompactStore(InsulinNames, "JANE_DOE"); } },
        { "conversion",
            [] { return ConvertDatabase(ToCurrentLayout, "JANE_DOE.mdb").end == ConversionEnd::Converted; } },
    };
    int added = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        addReadings("JANE_DOE.mdb", { { "2025-01-01", "10:0" + std::to_string(++added) } });
        const std::string readings = digest(real("JANE_DOE.mdb"));
        ASSERT_TRUE(step.run());
        for (const char* name : { "JANE_DOE.mdb", "JANE_DOE.qnm" }) {
            EXPECT_EQ(QFileInfo(folder.file(name)).symLinkTarget(), real(name)) << name;
            EXPECT_EQ(integrity(real(name)), "ok") << name;
        }
        if (std::string_view(step.what) == "restore") {
            EXPECT_EQ(folder.read("JANE_DOE.mdb"), backupBytes("JANE_DOE.mdb"));
            EXPECT_EQ(folder.read("JANE_DOE.qnm"), backupBytes("JANE_DOE.qnm"));
        } else {
            EXPECT_EQ(digest(real("JANE_DOE.mdb")), readings);
        }
        EXPECT_EQ(filesOf(folder.path()), programFiles);
        EXPECT_EQ(filesOf(synced.path()), QStringList({ "JANE_DOE.mdb", "JANE_DOE.qnm" }));
    }
    // A reading added later reaches the linked file.
    addReadings("JANE_DOE.mdb", { { "2025-02-02", "11:00" } });
    EXPECT_NE(digest(real("JANE_DOE.mdb")).find("2025-02-02 11:00"), std::string::npos);
}

TEST_F(Outside, ASetWhoseSecondCopyDoesNotFitLeavesTheEarlierSetAsItWas)
{
    configure();
    makeSet("JANE_DOE");
    ASSERT_EQ(BackupSet("JANE_DOE.mdb", "JANE_DOE").outcome, SetCopy::Outcome::Done);
    // The store grows past the room left on the disk; the readings copy still fits.
    ASSERT_EQ(Raw(folder.file("JANE_DOE.qnm")).exec("CREATE TABLE Pad (x); INSERT INTO Pad VALUES (zeroblob(400000))"),
        SQLITE_OK);
    addReadings("JANE_DOE.mdb", { { "2024-03-01", "10:00" } });
    ASSERT_LT(QFileInfo(folder.file("JANE_DOE.mdb")).size(), 200 * 1024);
    const auto withoutRoom = [](const std::function<SetCopy()>& run) {
        const testsupport::FileSizeLimit full(200 * 1024);
        EXPECT_TRUE(full.ok());
        return run().outcome;
    };

    const auto backupBefore = snapshot(backup.path());
    EXPECT_EQ(withoutRoom([] { return BackupSet("JANE_DOE.mdb", "JANE_DOE"); }), SetCopy::Outcome::Failed);
    EXPECT_EQ(snapshot(backup.path()), backupBefore);

    ASSERT_EQ(BackupSet("JANE_DOE.mdb", "JANE_DOE").outcome, SetCopy::Outcome::Done);
    addReadings("JANE_DOE.mdb", { { "2024-04-01", "10:00" } });
    ASSERT_TRUE(QFile::remove(folder.file("JANE_DOE.qnm")));
    CreateStore(InsulinNames, "JANE_DOE.qnm");
    const auto programBefore = snapshot(folder.path());
    EXPECT_EQ(withoutRoom([] { return RestoreSet("JANE_DOE.mdb"); }), SetCopy::Outcome::Failed);
    EXPECT_EQ(snapshot(folder.path()), programBefore);
}

namespace {

// The damages a copy must not bring over a sound file: damaged, or not a
// database at all.
const char* const badCopyKinds[] = { "first_page_zeroed", "cut_to_its_header", "empty", "not_SQLite" };

const Damage& damageNamed(const char* what)
{
    for (const Damage& d : damages)
        if (std::string_view(d.what) == what) return d;
    return damages[0];
}

class BadCopy : public Outside, public ::testing::WithParamInterface<std::tuple<const char*, const char*, bool>> { };

} // namespace

TEST_P(BadCopy, NeverReplacesASoundFile)
{
    const auto [kind, file, restoring] = GetParam();
    configure();
    makeSet("JANE_DOE");
    ASSERT_EQ(BackupSet("JANE_DOE.mdb", "JANE_DOE").outcome, SetCopy::Outcome::Done);
    addReadings("JANE_DOE.mdb", { { "2024-03-01", "10:00" } });
    AddEntry(InsulinNames, "JANE_DOE.qnm", "Lantus");
    damageNamed(kind).apply(restoring ? backupFile(file) : folder.file(file));
    const auto program = snapshot(folder.path()), copies = snapshot(backup.path());
    if (restoring) {
        restoreByWindow("JANE_DOE.mdb");
        EXPECT_EQ(messageTexts(), QStringList { RestoreFailed });
    } else {
        EXPECT_EQ(BackupSet("JANE_DOE.mdb", "JANE_DOE").outcome, SetCopy::Outcome::Failed);
    }
    EXPECT_EQ(snapshot(folder.path()), program);
    EXPECT_EQ(snapshot(backup.path()), copies);
}

INSTANTIATE_TEST_SUITE_P(Kinds, BadCopy,
    ::testing::Combine(
        ::testing::ValuesIn(badCopyKinds), ::testing::Values("JANE_DOE.mdb", "JANE_DOE.qnm"), ::testing::Bool()),
    [](const ::testing::TestParamInfo<std::tuple<const char*, const char*, bool>>& info) {
        return std::string(std::get<0>(info.param))
            + (QString(std::get<1>(info.param)).endsWith(".mdb") ? "_readings" : "_store")
            + (std::get<2>(info.param) ? "_restored" : "_backed_up");
    });

namespace {

// Files and folders made immutable while it lives, as on a write-protected
// drive, which even the administrator cannot write: nothing in them can be
// changed, removed or created, so no journal there can be played back.
class WriteProtected {
public:
    explicit WriteProtected(const QStringList& paths)
    {
        for (const QString& path : paths) {
            if (!setImmutable(path, true)) {
                ok_ = false;
                return;
            }
            done_ << path;
        }
    }
    ~WriteProtected()
    {
        for (const QString& path : done_)
            setImmutable(path, false);
    }
    WriteProtected(const WriteProtected&) = delete;
    WriteProtected& operator=(const WriteProtected&) = delete;
    bool ok() const { return ok_; }

private:
    static bool setImmutable(const QString& path, bool on)
    {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return false;
        int flags = 0;
        bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (ok) {
            flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
            ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(fd);
        return ok;
    }
    QStringList done_;
    bool ok_ = true;
};

} // namespace

TEST_F(Outside, ASourceWhoseJournalCannotBePlayedBackIsNeverCopied)
{
    configure();
    makeSet("JANE_DOE");
    ASSERT_EQ(BackupSet("JANE_DOE.mdb", "JANE_DOE").outcome, SetCopy::Outcome::Done);
    addReadings("JANE_DOE.mdb", { { "2024-03-01", "10:00" } });
    {
        // The backup copy on a write-protected drive, torn by a killed writer.
        leaveHotJournal(backupFile("JANE_DOE.mdb"));
        const auto program = snapshot(folder.path()), copies = snapshot(backup.path());
        const WriteProtected drive({ backupFile("JANE_DOE.mdb"), backupFile("JANE_DOE.mdb-journal"), backup.path() });
        if (!drive.ok()) GTEST_SKIP() << "no file can be made immutable here";
        restoreByWindow("JANE_DOE.mdb");
        EXPECT_EQ(messageTexts(), QStringList { RestoreFailed });
        EXPECT_EQ(snapshot(folder.path()), program);
        EXPECT_EQ(snapshot(backup.path()), copies);
    }
    QFile::remove(backupFile("JANE_DOE.mdb-journal"));
    // A store linked into a write-protected folder, torn the same way.
    QTemporaryDir synced;
    const QString real = QDir(synced.path()).filePath("JANE_DOE.qnm");
    ASSERT_TRUE(QFile::rename(folder.file("JANE_DOE.qnm"), real));
    ASSERT_EQ(
        ::symlink(QFile::encodeName(real).constData(), QFile::encodeName(folder.file("JANE_DOE.qnm")).constData()), 0);
    leaveHotJournal(real);
    const auto copies = snapshot(backup.path());
    const WriteProtected drive({ real, real + "-journal", synced.path() });
    ASSERT_TRUE(drive.ok());
    EXPECT_EQ(BackupSet("JANE_DOE.mdb", "JANE_DOE").outcome, SetCopy::Outcome::Failed);
    EXPECT_EQ(snapshot(backup.path()), copies);
}

namespace {

// Another program's row, written in a transaction of its own.
std::string outsideRow(const QString& file)
{
    // A reading like the first, every field holding a value.
    return file.endsWith(".mdb") ? "CREATE TEMP TABLE Row AS SELECT * FROM BLOOD LIMIT 1; "
                                   "UPDATE Row SET Bdate = '2031-01-01', Bsugar = '42'; "
                                   "INSERT INTO BLOOD SELECT * FROM Row"
                                 : "CREATE TABLE Outside (x); INSERT INTO Outside VALUES (42)";
}
std::string readOutsideRow(const QString& file)
{
    return Raw(file).one(
        file.endsWith(".mdb") ? "SELECT Bsugar FROM BLOOD WHERE Bdate = '2031-01-01'" : "SELECT x FROM Outside");
}

class WriterCommitting : public Outside, public ::testing::WithParamInterface<std::tuple<int, int>> { };

} // namespace

// Another program begins a transaction, then commits a second later, while
// the step waits for the file: its commit goes through, whether it waits
// for a lock itself or not, and the step then goes on.
TEST_P(WriterCommitting, CommitsWhileAStepWaits)
{
    const auto [step, otherTimeout] = GetParam();
    const Replacing& c = replacingSteps[step];
    configure();
    makeSet("JANE_DOE");
    ASSERT_EQ(BackupSet("JANE_DOE.mdb", "JANE_DOE").outcome, SetCopy::Outcome::Done);
    const QString ready = folder.file("writing.flag");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Raw other(folder.file(c.file));
        other.exec("PRAGMA busy_timeout=" + std::to_string(otherTimeout));
        if (other.exec("BEGIN") != SQLITE_OK || other.exec(outsideRow(c.file)) != SQLITE_OK) ::_exit(2);
        QFile(ready).open(QIODevice::WriteOnly);
        ::sleep(1);
        ::_exit(other.exec("COMMIT") == SQLITE_OK ? 0 : 1);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!QFileInfo::exists(ready) && std::chrono::steady_clock::now() < deadline)
        ::usleep(1000);
    const bool failed = c.run();
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the other program's commit failed";
    EXPECT_FALSE(failed);
    EXPECT_EQ(integrity(c.file), "ok");
    if (std::string_view(c.what).starts_with("restore"))
        EXPECT_EQ(folder.read(c.file), backupBytes(c.file));
    else
        EXPECT_EQ(readOutsideRow(folder.file(c.file)), "42");
}

INSTANTIATE_TEST_SUITE_P(Steps, WriterCommitting,
    ::testing::Combine(::testing::Range(0, int(std::size(replacingSteps))), ::testing::Values(0, 2000)),
    [](const ::testing::TestParamInfo<std::tuple<int, int>>& info) {
        std::string name = replacingSteps[std::get<0>(info.param)].what;
        for (char& ch : name)
            if (ch == ' ') ch = '_';
        return name + "_waiting_" + std::to_string(std::get<1>(info.param)) + "_ms";
    });

namespace {

// A step on a whole set, interrupted at one position of its renames.
class SetPosition : public Outside, public ::testing::WithParamInterface<std::tuple<int, bool>> {
protected:
    // The program folder and the backup folder each hold a set the other lacks.
    void arrange()
    {
        configure();
        makeSet("JANE_DOE");
        ASSERT_EQ(BackupSet("JANE_DOE.mdb", "JANE_DOE").outcome, SetCopy::Outcome::Done);
        addReadings("JANE_DOE.mdb", { { "2024-03-01", "10:00" } });
        AddEntry(InsulinNames, "JANE_DOE.qnm", "Lantus");
        AddEntry(InjectionSites, "JANE_DOE.qst", "Right leg");
    }
    const char* file() const { return setFiles[std::get<0>(GetParam())]; }
    SetCopy run() const
    {
        return std::get<1>(GetParam()) ? RestoreSet("JANE_DOE.mdb") : BackupSet("JANE_DOE.mdb", "JANE_DOE");
    }
    QString replaced() const { return std::get<1>(GetParam()) ? folder.path() : backup.path(); }
};

std::string setPositionName(const ::testing::TestParamInfo<std::tuple<int, bool>>& info)
{
    return std::string(std::get<1>(info.param) ? "restore_" : "backup_") + "at_"
        + QString(setFiles[std::get<0>(info.param)]).replace('.', '_').toStdString();
}

} // namespace

TEST_P(SetPosition, AFailedRenameLeavesTheEarlierSet)
{
    arrange();
    const auto program = snapshot(folder.path()), copies = snapshot(backup.path());
    {
        const InjectFault fault("rename", file());
        EXPECT_EQ(run().outcome, SetCopy::Outcome::Failed);
    }
    EXPECT_EQ(snapshot(folder.path()), program);
    EXPECT_EQ(snapshot(backup.path()), copies);
}

TEST_P(SetPosition, AKillBetweenRenamesIsUndoneAtTheNextStart)
{
    arrange();
    const auto program = snapshot(folder.path()), copies = snapshot(backup.path());
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        files::SetFaultHook([name = QString(file())](std::string_view step, const QString& path) {
            if (step == "rename" && path.endsWith(name)) ::_exit(0);
            return false;
        });
        run();
        ::_exit(1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the step was not stopped";
    EXPECT_NE(snapshot(replaced()), std::get<1>(GetParam()) ? program : copies);

    Forms::Reset();
    flushDeletes();
    ASSERT_TRUE(StartProgram());
    EXPECT_EQ(snapshot(folder.path()), program);
    EXPECT_EQ(snapshot(backup.path()), copies);
    // The next step on the set runs as ever.
    EXPECT_EQ(run().outcome, SetCopy::Outcome::Done);
    EXPECT_EQ(filesOf(replaced()).filter(QRegularExpression("^\\.")), QStringList());
}

INSTANTIATE_TEST_SUITE_P(
    Positions, SetPosition, ::testing::Combine(::testing::Range(0, 3), ::testing::Bool()), setPositionName);

TEST_F(Outside, ARecordNamingFilesThatAreNotItsCopiesTouchesNothingAtTheNextStart)
{
    makeSet("JANE_DOE");
    for (const QString name : { "notes.txt", "notes.txt-old" }) {
        QFile f(folder.file(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("the person's own file");
    }
    const auto before = snapshot(folder.path());
    // Left by another program, or cut short: it names a file of the person's
    // as the copy and another as the kept old file.
    QFile record(QDir(folder.path()).filePath(".JANE_DOE.mdb-set"));
    ASSERT_TRUE(record.open(QIODevice::WriteOnly));
    record.write(QFile::encodeName(folder.file("JANE_DOE.mdb")).toPercentEncoding() + ' '
        + QFile::encodeName(folder.file("notes.txt")).toPercentEncoding() + " 1 0 0\n");
    record.close();

    files::FinishInterruptedSets(folder.path());
    EXPECT_EQ(snapshot(folder.path()), before);
}

TEST_F(Outside, ACopyOrAStoreInWriteAheadModeIsCopiedWhole)
{
    configure();
    makeSet("JANE_DOE");
    const testsupport::BusyTimeout quick(std::chrono::milliseconds(500));
    // Another tool left the store in write-ahead mode, closed cleanly.
    ASSERT_EQ(Raw(folder.file("JANE_DOE.qnm")).one("PRAGMA journal_mode=WAL"), "wal");
    ASSERT_FALSE(folder.exists("JANE_DOE.qnm-wal"));
    const std::string names = Raw(folder.file("JANE_DOE.qnm")).one("SELECT group_concat(sql) FROM sqlite_master");
    const SetCopy copy = BackupSet("JANE_DOE.mdb", "JANE_DOE");
    ASSERT_EQ(copy.outcome, SetCopy::Outcome::Done) << copy.error.toStdString();
    EXPECT_EQ(integrity(backupFile("JANE_DOE.qnm")), "ok");
    EXPECT_EQ(Raw(backupFile("JANE_DOE.qnm")).one("SELECT group_concat(sql) FROM sqlite_master"), names);

    // And the backup copy of the readings, put in that mode afterwards.
    ASSERT_EQ(Raw(backupFile("JANE_DOE.mdb")).one("PRAGMA journal_mode=WAL"), "wal");
    const std::string saved = digest(backupFile("JANE_DOE.mdb"));
    addReadings("JANE_DOE.mdb", { { "2024-03-01", "10:00" } });
    restoreByWindow("JANE_DOE.mdb");
    EXPECT_EQ(messageTexts(), QStringList { RestoreDone });
    EXPECT_EQ(integrity("JANE_DOE.mdb"), "ok");
    EXPECT_EQ(digest("JANE_DOE.mdb"), saved);
    for (const QString& path : { folder.path(), backup.path() })
        EXPECT_EQ(filesOf(path).filter(QRegularExpression("-(wal|shm)$|^\\.")), QStringList()) << path.toStdString();
}

TEST_F(Outside, ABackupWhoseCopyWouldBeTheLiveFileItselfFails)
{
    configure();
    makeSet("JANE_DOE");
    open("JANE_DOE.mdb");
    const QByteArray readings = folder.read("JANE_DOE.mdb"), store = folder.read("JANE_DOE.qnm");
    // The copy's name a link back to the live file.
    ASSERT_EQ(::symlink(QFile::encodeName(folder.file("JANE_DOE.mdb")).constData(),
                  QFile::encodeName(backupFile("JANE_DOE.mdb")).constData()),
        0);
    desk.messages.clear();
    ASSERT_TRUE(main()->mnuUtilitiesBackup.Trigger());
    EXPECT_EQ(messageTexts(), QStringList { "???? Backup Failed ????" });
    EXPECT_EQ(folder.read("JANE_DOE.mdb"), readings);
    ASSERT_TRUE(QFile::remove(backupFile("JANE_DOE.mdb")));

    // The live store a link into the backup folder.
    ASSERT_TRUE(QFile::rename(folder.file("JANE_DOE.qnm"), backupFile("JANE_DOE.qnm")));
    ASSERT_EQ(::symlink(QFile::encodeName(backupFile("JANE_DOE.qnm")).constData(),
                  QFile::encodeName(folder.file("JANE_DOE.qnm")).constData()),
        0);
    desk.messages.clear();
    ASSERT_TRUE(main()->mnuUtilitiesBackup.Trigger());
    EXPECT_EQ(messageTexts(), QStringList { "???? Backup Failed ????" });
    EXPECT_EQ(backupBytes("JANE_DOE.qnm"), store);
}
