// The file library: presence test, whole-file copies that replace their target
// only when complete, renaming without replacing, fixed-length records.
#include "maintenance/files.h"

#include "support/tempdir.h"

#include <QDir>
#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using namespace tellora;
using testsupport::ProgramFolder;

namespace {

// Fails the named step while it lives.
struct InjectFault {
    explicit InjectFault(std::string step)
    {
        files::SetFaultHook([step](std::string_view s, const QString&) { return s == step; });
    }
    ~InjectFault() { files::SetFaultHook({}); }
};

QStringList allFiles(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

TEST(Presence, MatchesWithoutCaseAndReturnsTheNameOnDisk)
{
    ProgramFolder folder;
    folder.write("Jane_Doe.mdb", "x");
    folder.write("jane_doe.MDB", "y");
    folder.write("Only_One.mdb", "o");
    folder.write("Mixed.Qnm", "z");
    folder.write(".hidden.qst", "h");
    QDir().mkdir("Folder.qst");

    struct Case {
        const char* asked;
        std::optional<QString> found;
    } cases[] = {
        { "Jane_Doe.mdb", "Jane_Doe.mdb" }, // the exact spelling first
        { "jane_doe.MDB", "jane_doe.MDB" },
        { "MIXED.QNM", "Mixed.Qnm" }, // the one file that differs in case only
        { "only_one.MDB", "Only_One.mdb" },
        { "JANE_DOE.MDB", std::nullopt }, // case twins are two people's: no choice between them
        { ".hidden.qst", std::nullopt }, // hidden files do not count
        { "folder.qst", std::nullopt }, // nor folders
        { "absent.mdb", std::nullopt },
        { "", std::nullopt },
    };
    for (const Case& c : cases)
        EXPECT_EQ(files::FindPresent(c.asked), c.found) << c.asked;
    EXPECT_EQ(files::FindPresent(folder.path(), "mixed.qnm"), QString("Mixed.Qnm"));
    bool ambiguous = false;
    EXPECT_EQ(files::FindPresent(folder.path(), "JANE_DOE.mdb", false, &ambiguous), std::nullopt);
    EXPECT_TRUE(ambiguous);
    EXPECT_EQ(files::FindPresent(folder.path(), "mixed.qnm", true, nullptr), std::nullopt); // exact names only
    EXPECT_EQ(files::CountCaseMatches(folder.path(), "JANE_DOE.MDB"), 2);
}

TEST(Join, AddsExactlyOneSeparator)
{
    EXPECT_EQ(files::Join("/backup", "A.mdb"), "/backup/A.mdb");
    EXPECT_EQ(files::Join("/backup/", "A.mdb"), "/backup//A.mdb");
}

TEST(CopyFile, ReplacesTheTargetWholeAndKeepsTheSourceMode)
{
    ProgramFolder folder;
    QByteArray big(3 * 1024 * 1024 + 17, '\0');
    for (int i = 0; i < big.size(); ++i)
        big[i] = char(i * 7);
    folder.write("src.mdb", big);
    QFile::setPermissions(folder.file("src.mdb"), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    folder.write("dst.mdb", "older and longer than nothing");

    ASSERT_TRUE(files::CopyFile("src.mdb", "dst.mdb").ok());
    EXPECT_EQ(folder.read("dst.mdb"), big);
    EXPECT_EQ(QFile::permissions(folder.file("dst.mdb")) & 0x0fff, QFile::permissions(folder.file("src.mdb")) & 0x0fff);
    // No scratch file stays.
    EXPECT_EQ(allFiles(folder.path()), QStringList({ "dst.mdb", "src.mdb" }));
}

TEST(CopyFile, AFailureAtAnyStepLeavesTheTargetAsItWasAndNoScratchFile)
{
    ProgramFolder folder;
    folder.write("src.mdb", QByteArray(100000, 'n'));
    folder.write("dst.mdb", "the old copy");
    for (const char* step : { "create", "write", "sync", "rename" }) {
        InjectFault fault(step);
        const files::Result r = files::CopyFile("src.mdb", "dst.mdb");
        EXPECT_FALSE(r.ok()) << step;
        EXPECT_FALSE(r.error.isEmpty()) << step;
        EXPECT_EQ(folder.read("dst.mdb"), "the old copy") << step;
        EXPECT_EQ(allFiles(folder.path()), QStringList({ "dst.mdb", "src.mdb" })) << step;
    }
}

TEST(CopyFile, AKilledCopyLeavesTheTargetWholeAndTheNextCopyClearsItsScratch)
{
    ProgramFolder folder;
    const QByteArray source(24 * 1024 * 1024, 's');
    folder.write("src.mdb", source);
    folder.write("dst.mdb", "the old copy");
    // Killed at each step, and once at whatever moment the copy has reached.
    for (const char* step : { "create", "write", "sync", "rename", "" }) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            files::SetFaultHook([step](std::string_view s, const QString&) {
                if (s == step) ::raise(SIGKILL);
                return false;
            });
            for (;;)
                files::CopyFile("src.mdb", "dst.mdb");
        }
        if (*step == '\0')
            ::usleep(30000);
        else
            ::usleep(1000);
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status)) << step;
        const QByteArray now = folder.read("dst.mdb");
        EXPECT_TRUE(now == "the old copy" || now == source) << step; // never a part
        EXPECT_EQ(files::FindPresent("dst.mdb"), QString("dst.mdb"));
        folder.write("dst.mdb", "the old copy");
    }
    ASSERT_TRUE(files::CopyFile("src.mdb", "dst.mdb").ok());
    EXPECT_EQ(folder.read("dst.mdb"), source);
    EXPECT_EQ(allFiles(folder.path()), QStringList({ "dst.mdb", "src.mdb" }));
}

TEST(CopyFile, RefusesAMissingSourceOrAFolderAndAMissingTargetFolder)
{
    ProgramFolder folder;
    QDir().mkdir("sub");
    folder.write("src.mdb", "x");
    EXPECT_FALSE(files::CopyFile("absent.mdb", "dst.mdb").ok());
    EXPECT_FALSE(files::CopyFile("sub", "dst.mdb").ok());
    EXPECT_FALSE(files::CopyFile("src.mdb", "nowhere/dst.mdb").ok());
    EXPECT_FALSE(folder.exists("dst.mdb"));
}

TEST(RenameAndDelete, RenameNeverReplacesAndDeleteReportsFailure)
{
    ProgramFolder folder;
    folder.write("a", "A");
    folder.write("b", "B");
    EXPECT_FALSE(files::RenameFile("a", "b").ok());
    EXPECT_EQ(folder.read("b"), "B");
    ASSERT_TRUE(files::RenameFile("a", "c").ok());
    EXPECT_EQ(folder.read("c"), "A");
    EXPECT_FALSE(folder.exists("a"));

    EXPECT_FALSE(files::DeleteFile("absent").ok());
    {
        InjectFault fault("delete");
        EXPECT_FALSE(files::DeleteFile("c").ok());
        EXPECT_TRUE(folder.exists("c"));
    }
    EXPECT_TRUE(files::DeleteFile("c").ok());
    EXPECT_FALSE(folder.exists("c"));
}

TEST(ScratchFile, IsHiddenBesideItsTargetAndGoesUnlessCommitted)
{
    ProgramFolder folder;
    folder.write("N.mdb", "old");
    QString left;
    {
        files::ScratchFile scratch("N.mdb");
        left = scratch.Path();
        EXPECT_TRUE(QFileInfo(scratch.Path()).fileName().startsWith('.'));
        EXPECT_FALSE(QFile::exists(scratch.Path())); // free for a writer that must create it
        folder.write(QFileInfo(scratch.Path()).fileName(), "half made");
    }
    EXPECT_FALSE(QFile::exists(left));
    EXPECT_EQ(folder.read("N.mdb"), "old");

    files::ScratchFile scratch("N.mdb");
    folder.write(QFileInfo(scratch.Path()).fileName(), "new");
    {
        InjectFault fault("rename");
        EXPECT_FALSE(scratch.Commit().ok());
        EXPECT_EQ(folder.read("N.mdb"), "old");
    }
    ASSERT_TRUE(scratch.Commit().ok());
    EXPECT_EQ(folder.read("N.mdb"), "new");
    EXPECT_EQ(allFiles(folder.path()), QStringList({ "N.mdb" }));
}

TEST(Records, WriteInPlaceWithoutShorteningAndReadWhatIsThere)
{
    ProgramFolder folder;
    const QByteArray first(10, 'a'), second(10, 'b');
    ASSERT_TRUE(files::WriteRecord("r.dat", 10, 1, first).ok());
    EXPECT_EQ(folder.read("r.dat"), first);
    ASSERT_TRUE(files::WriteRecord("r.dat", 10, 2, second).ok());
    ASSERT_TRUE(files::WriteRecord("r.dat", 10, 1, QByteArray(10, 'c')).ok());
    EXPECT_EQ(folder.read("r.dat"), QByteArray(10, 'c') + second);

    QByteArray got;
    ASSERT_TRUE(files::ReadRecord("r.dat", 10, 2, got).ok());
    EXPECT_EQ(got, second);
    folder.write("short.dat", "abc");
    ASSERT_TRUE(files::ReadRecord("short.dat", 10, 1, got).ok());
    EXPECT_EQ(got, "abc");
    EXPECT_FALSE(files::ReadRecord("absent.dat", 10, 1, got).ok());
    EXPECT_FALSE(files::WriteRecord("r.dat", 10, 1, "too short").ok());
}

TEST(Cp1252, EncodesWhatTheCodePageHoldsAndRefusesTheRest)
{
    const QString text = QString::fromUtf8("C:\\Sicherung\\Müller €‰Ÿ");
    const auto bytes = files::ToCp1252(text);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->size(), text.size());
    EXPECT_EQ(uchar(bytes->at(text.indexOf(QChar(0x20AC)))), 0x80);
    EXPECT_EQ(files::FromCp1252(*bytes), text);
    EXPECT_FALSE(files::ToCp1252(QString::fromUtf8("/backup/日本")));
    EXPECT_FALSE(files::ToCp1252(QString::fromUtf8("/backup/\u0101")));
}
