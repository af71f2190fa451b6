// Creating a readings database or a pick-list store leaves, whenever it
// stops, either no file or a complete one under the name, and never writes
// through a link under the name to a place outside the program folder.
#include "entry_fixture.h"

#include "entry/picklist.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstring>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

using namespace entrytest;
using namespace tellora;

namespace {

struct Creator {
    const char* name;
    QString file;
    const char* table;
    std::function<void(const QString&)> create;
};

void PrintTo(const Creator& c, std::ostream* os)
{
    *os << c.name;
}

const Creator Creators[] = {
    { "ReadingsDatabase", "ANN_LEE.mdb", "BLOOD", [](const QString& f) { CreateReadingsDatabase(f); } },
    { "InsulinNames", "ANN_LEE.qnm", "ZOT", [](const QString& f) { CreateStore(InsulinNames, f); } },
    { "InjectionSites", "ANN_LEE.qst", "WEXLO", [](const QString& f) { CreateStore(InjectionSites, f); } },
};

// The file opens as a database of this program with its table and index.
bool Complete(const Creator& c)
{
    try {
        auto db = dao::DefaultWorkspace().OpenDatabase(c.file.toStdString());
        const dao::TableDef def = db->GetTableDef(c.table);
        db->Close();
        return def.Indexes.size() == 1;
    } catch (const dao::Error&) {
        return false;
    }
}

class Creation : public EntryTest, public ::testing::WithParamInterface<Creator> { };

TEST_P(Creation, AStopAtAnyStepLeavesNoFileOrAWholeOneAndAnotherTryWorks)
{
    const Creator& c = GetParam();
    for (const char* step : { "working file", "built", "closed", "placed" }) {
        SCOPED_TRACE(step);
        dao::RemoveFile(c.file.toStdString());
        // The process ends at the step, as a kill would end it: no clean-up runs.
        const pid_t child = fork();
        ASSERT_NE(child, -1);
        if (child == 0) {
            dao::SetCreationHook([step](const char* at) {
                if (std::strcmp(at, step) == 0) _exit(7);
            });
            try {
                c.create(c.file);
            } catch (const dao::Error&) {
            }
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 7);
        if (folder.exists(c.file)) {
            EXPECT_TRUE(Complete(c));
            EXPECT_THROW(c.create(c.file), dao::Error); // it exists: nothing to do
        } else {
            c.create(c.file);
            EXPECT_TRUE(Complete(c));
        }
        EXPECT_FALSE(folder.exists(c.file + ".creating"));
        EXPECT_FALSE(folder.exists(c.file + ".creating-journal"));
    }
}

TEST_P(Creation, ALinkUnderTheNameIsNeverWrittenThrough)
{
    const Creator& c = GetParam();
    QTemporaryDir outside;
    const QString target = outside.filePath("elsewhere");
    // A link to nothing under the name itself: refused, nothing made there.
    ASSERT_TRUE(QFile::link(target, folder.file(c.file)));
    EXPECT_THROW(c.create(c.file), dao::Error);
    EXPECT_FALSE(QFile::exists(target));
    QFile::remove(folder.file(c.file));

    // A link under the working name: removed as a link, its target untouched.
    {
        QFile keep(target);
        ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
        keep.write("keep");
    }
    ASSERT_TRUE(QFile::link(target, folder.file(c.file + ".creating")));
    c.create(c.file);
    EXPECT_TRUE(Complete(c));
    EXPECT_FALSE(QFileInfo(folder.file(c.file)).isSymLink());
    QFile keep(target);
    ASSERT_TRUE(keep.open(QIODevice::ReadOnly));
    EXPECT_EQ(keep.readAll(), QByteArray("keep"));
}

INSTANTIATE_TEST_SUITE_P(Files, Creation, ::testing::ValuesIn(Creators),
    [](const ::testing::TestParamInfo<Creator>& info) { return std::string(info.param.name); });

} // namespace
