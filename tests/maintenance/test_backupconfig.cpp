// BACKUP.CFG: one 75-byte record, blank-filled, written in place.
#include "maintenance/backupconfig.h"

#include "support/file_size_limit.h"
#include "support/tempdir.h"

#include <QDir>
#include <gtest/gtest.h>

#include <functional>

using namespace tellora;
using testsupport::ProgramFolder;

namespace {
QByteArray padded(const QByteArray& path)
{
    return path + QByteArray(75 - path.size(), ' ');
}
} // namespace

TEST(BackupConfig, AbsentUntilSavedThenReadBackWithoutTrailingBlanks)
{
    ProgramFolder folder;
    EXPECT_EQ(ReadBackupConfig().state, BackupConfig::State::Missing);

    ASSERT_TRUE(SaveBackupPath("/media/backup").ok());
    EXPECT_EQ(folder.read("BACKUP.CFG"), padded("/media/backup"));
    const BackupConfig config = ReadBackupConfig();
    EXPECT_EQ(config.state, BackupConfig::State::Read);
    EXPECT_EQ(config.path, "/media/backup");
}

TEST(BackupConfig, PathsOf75And76Characters)
{
    ProgramFolder folder;
    const QString p75 = "/" + QString(74, 'x');
    EXPECT_EQ(CheckBackupPath(p75), BackupPathProblem::None);
    ASSERT_TRUE(SaveBackupPath(p75).ok());
    EXPECT_EQ(folder.read("BACKUP.CFG"), p75.toLatin1()); // no blank at all
    EXPECT_EQ(ReadBackupConfig().path, p75);

    // One more character cannot be stored whole: refused, nothing written.
    const QString p76 = p75 + "y";
    EXPECT_EQ(CheckBackupPath(p76), BackupPathProblem::TooLong);
    EXPECT_FALSE(SaveBackupPath(p76).ok());
    EXPECT_EQ(folder.read("BACKUP.CFG"), p75.toLatin1());
}

TEST(BackupConfig, AShorterPathAfterALongerOneOverwritesAll75Bytes)
{
    ProgramFolder folder;
    ASSERT_TRUE(SaveBackupPath("/" + QString(60, 'L')).ok());
    ASSERT_TRUE(SaveBackupPath("/s").ok());
    EXPECT_EQ(folder.read("BACKUP.CFG"), padded("/s"));
    EXPECT_EQ(ReadBackupConfig().path, "/s");
}

TEST(BackupConfig, ALongerFileKeepsItsTailAndTheCaseItHasOnDisk)
{
    ProgramFolder folder;
    const QByteArray tail = "\r\nwritten by something else";
    folder.write("backup.cfg", padded("/old") + tail);
    ASSERT_TRUE(SaveBackupPath("/new/folder").ok());
    EXPECT_FALSE(folder.exists("BACKUP.CFG"));
    EXPECT_EQ(folder.read("backup.cfg"), padded("/new/folder") + tail);
    EXPECT_EQ(ReadBackupConfig().path, "/new/folder");
}

TEST(BackupConfig, ReadingKeepsLeadingBlanksAndTakesAShortFileAsItIs)
{
    ProgramFolder folder;
    struct Case {
        QByteArray bytes;
        QString path;
    } cases[] = {
        { padded("  /lead"), "  /lead" }, { "/short  ", "/short" }, { QByteArray(75, ' '), "" },
        { padded("/M\xfcller"), QString::fromUtf8("/Müller") }, // code page 1252
    };
    for (const Case& c : cases) {
        folder.write("BACKUP.CFG", c.bytes);
        const BackupConfig config = ReadBackupConfig();
        EXPECT_EQ(config.state, BackupConfig::State::Read);
        EXPECT_EQ(config.path, c.path) << c.bytes.constData();
    }
}

TEST(BackupConfig, PathsThatWouldNotReadBackAsTheSameFolderAreRefused)
{
    EXPECT_EQ(CheckBackupPath(QString::fromUtf8("/backup/Müller")), BackupPathProblem::None);
    EXPECT_EQ(CheckBackupPath(QString::fromUtf8("/backup/日本")), BackupPathProblem::NotStorable);
    EXPECT_EQ(CheckBackupPath("/backup/trailing "), BackupPathProblem::EndsInBlank);
    for (auto p : { BackupPathProblem::TooLong, BackupPathProblem::NotStorable, BackupPathProblem::EndsInBlank })
        EXPECT_FALSE(BackupPathMessage(p).isEmpty());
}

TEST(BackupConfig, AnUnreadableFileIsReportedNotTakenAsMissing)
{
    ProgramFolder folder;
    folder.write("BACKUP.CFG", padded("/b"));
    files::SetFaultHook([](std::string_view step, const QString&) { return step == "read"; });
    const BackupConfig config = ReadBackupConfig();
    files::SetFaultHook({});
    EXPECT_EQ(config.state, BackupConfig::State::Unreadable);
    EXPECT_FALSE(config.error.isEmpty());
}

TEST(BackupConfig, ASaveThatCannotBeWrittenLeavesTheOldFileOrNone)
{
    ProgramFolder folder;
    // A file size limit of nothing fails every write, as a full disk does.
    const auto failingWrites = [](const std::function<void()>& work) {
        const testsupport::FileSizeLimit full(0);
        ASSERT_TRUE(full.ok());
        work();
    };
    failingWrites([] { EXPECT_FALSE(SaveBackupPath("/media/backup").ok()); });
    EXPECT_FALSE(folder.exists("BACKUP.CFG"));

    // A longer file written by someone else: its tail and its mode stay through a good Save.
    folder.write("BACKUP.CFG", padded("/media/old") + "tail");
    QFile::setPermissions(folder.file("BACKUP.CFG"), QFile::ReadOwner | QFile::WriteOwner);
    const auto mode = QFile::permissions(folder.file("BACKUP.CFG"));
    failingWrites([] { EXPECT_FALSE(SaveBackupPath("/media/new").ok()); });
    EXPECT_EQ(folder.read("BACKUP.CFG"), padded("/media/old") + "tail");
    ASSERT_TRUE(SaveBackupPath("/media/new").ok());
    EXPECT_EQ(folder.read("BACKUP.CFG"), padded("/media/new") + "tail");
    EXPECT_EQ(QFile::permissions(folder.file("BACKUP.CFG")), mode);
    // Nothing is left beside it.
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList { "BACKUP.CFG" });
}
