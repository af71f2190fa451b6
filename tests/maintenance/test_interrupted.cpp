// A compaction or a conversion killed at any moment (the process ends at
// once, as at a power cut) leaves the old file byte for byte as it was; the
// scratch file it leaves behind goes at the next run.
#include "layouts_fixture.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

using namespace maintest;

namespace {

// `rows` readings with long comments, the engine's own connection used to
// multiply one row, so the file is large enough to be caught mid-write.
void makeLarge(const QString& file, Layout layout, int rows)
{
    makeLayout(file, layout, {});
    auto db = dao::DefaultWorkspace().OpenDatabase(file.toStdString());
    std::string cols, values;
    for (const auto& f : fieldsOf(layout)) {
        cols += (cols.empty() ? "" : ",") + f.Name;
        values += std::string(values.empty() ? "" : ",")
            + (f.Name == "Bdate"        ? "printf('2%03d-01-01', x / 1440)"
                    : f.Name == "Btime" ? "printf('%02d:%02d', x / 60 % 24, x % 60)"
                    : f.Name == "Bcomm" ? "printf('%050d', x)"
                                        : "'-'");
    }
    db->connection().exec("WITH RECURSIVE n(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM n WHERE x + 1 < "
        + std::to_string(rows) + ") INSERT INTO BLOOD (" + cols + ") SELECT " + values + " FROM n");
    db->Close();
}

class Interrupted : public MaintenanceTest {
protected:
    // Runs `work` in a child process that stops dead at the `after`-th pass
    // of `step` (or, with `grows` set, once that file has begun to grow) and
    // kills it there. Returns false when the child ended before it was caught.
    bool killDuring(const std::function<void()>& work, const std::string& step, int after = 0, QString grows = {})
    {
        const std::string marker = folder.file("stopped.flag").toStdString();
        std::remove(marker.c_str());
        const pid_t pid = ::fork();
        if (pid == 0) {
            SetStepHook([&, seen = 0](std::string_view s) mutable {
                if (s == step && seen++ >= after) {
                    std::fclose(std::fopen(marker.c_str(), "w"));
                    for (;;)
                        ::pause();
                }
            });
            work();
            ::_exit(0);
        }
        bool caught = false;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == pid) return false;
            if (grows.isEmpty() ? QFileInfo::exists(QString::fromStdString(marker))
                                : QFileInfo(folder.file(grows)).size() > 0) {
                caught = true;
                break;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        std::remove(marker.c_str());
        return caught;
    }
};

TEST_F(Interrupted, KillingACompactionLeavesTheFileWhole)
{
    makeLarge("BIG.mdb", Layout::Current, 150000);
    const QByteArray bytes = folder.read("BIG.mdb");
    const auto work = [] { CompactReadingsDatabase("BIG.mdb"); };
    struct Case {
        const char* when;
        std::string step;
        QString grows;
    };
    for (const Case& c : { Case { "before the copy", "compact", {} },
             Case { "while the copy is written", "", "PARTSNEW.MDB" }, Case { "before the rename", "replace", {} } }) {
        SCOPED_TRACE(c.when);
        ASSERT_TRUE(killDuring(work, c.step, 0, c.grows)) << "the compaction ended before it could be killed";
        EXPECT_EQ(folder.read("BIG.mdb"), bytes);
    }
    // The next compaction clears what the killed one left and succeeds.
    EXPECT_EQ(CompactReadingsDatabase("BIG.mdb"), std::nullopt);
    EXPECT_FALSE(folder.exists("PARTSNEW.MDB"));
    auto db = dao::DefaultWorkspace().OpenDatabase("BIG.mdb");
    EXPECT_EQ(db->OpenRecordset("BLOOD")->RecordCount(), 150000);
}

TEST_F(Interrupted, KillingAConversionLeavesTheSourceWhole)
{
    makeLarge("OLD.mdb", Layout::Pre350, 20000);
    const QByteArray bytes = folder.read("OLD.mdb");
    const auto work = [] { ConvertDatabase(ToLayout350, "OLD.mdb"); };
    struct Case {
        const char* when;
        const char* step;
        int after;
    };
    for (const Case& c : { Case { "making the scratch database", "create", 0 }, Case { "copying", "copy", 5000 },
             Case { "committing", "commit", 0 }, Case { "before the rename", "replace", 0 } }) {
        SCOPED_TRACE(c.when);
        ASSERT_TRUE(killDuring(work, c.step, c.after));
        EXPECT_EQ(folder.read("OLD.mdb"), bytes);
    }
    // Opening a converter clears the leftover; the conversion then runs whole.
    ASSERT_TRUE(main()->mnuUtilitiesConvert.Trigger());
    EXPECT_FALSE(folder.exists("Wexlo.mdb"));
    auto* w = dynamic_cast<ConverterWindow*>(Forms::Find(ConvertDbase::FormName));
    ASSERT_NE(w, nullptr);
    doubleClick(w->File1, "OLD.mdb");
    flushDeletes();
    EXPECT_TRUE(desk.messages.empty());
    EXPECT_EQ(fieldNames("OLD.mdb").size(), 11u);
    EXPECT_EQ(rowsOf("OLD.mdb").size(), 20000u);
}

} // namespace
