// The scan in parts below the cursor: it promises to throw nothing, so a
// part that runs out of memory fails the scan instead of ending the
// program, and it splits the work over the processors the process may use.
#include "platform/dao/parallel_scan.h"
#include "support/tempdir.h"

#include <SQLiteCpp/SQLiteCpp.h>
#include <gtest/gtest.h>
#include <sched.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <thread>

namespace {

// Allocations on any thread but the test's own fail while this is set.
std::atomic<bool> failOtherThreads { false };
const std::thread::id testThread = std::this_thread::get_id();

} // namespace

void* operator new(std::size_t size)
{
    if (failOtherThreads && std::this_thread::get_id() != testThread) throw std::bad_alloc();
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

namespace {

using dao::detail::FileView;

TEST(ParallelScan, APartOutOfMemoryFailsTheScanWithoutEndingTheProgram)
{
    testsupport::ProgramFolder folder;
    {
        SQLite::Database db("T.mdb", SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        db.exec("CREATE TABLE T (V TEXT)");
        db.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100) "
                "INSERT INTO T SELECT i FROM n");
    }
    SQLite::Database db("T.mdb", SQLite::OPEN_READONLY);
    const std::string file = db.getFilename();
    const std::string viewSql = "SELECT min(rowid), max(rowid), (SELECT page_count FROM pragma_page_count()) FROM T";
    const std::string sql = "SELECT rowid FROM T WHERE rowid BETWEEN :lo AND :hi ORDER BY rowid LIMIT :n";
    db.exec("BEGIN");
    SQLite::Statement hold(db, viewSql);
    ASSERT_TRUE(hold.executeStep());
    FileView view;
    view.firstRowid = hold.getColumn(0).getInt64();
    view.lastRowid = hold.getColumn(1).getInt64();
    view.pages = hold.getColumn(2).getInt64();
    ASSERT_TRUE(dao::detail::ReadFileIdentity(db.getHandle(), view));
    const auto scan = [&] { return dao::detail::ScanInParallel(file, sql, viewSql, {}, view, 4, 10); };
    const auto whole = scan();
    ASSERT_TRUE(whole.has_value());
    EXPECT_EQ(whole->size(), 40u);
    failOtherThreads = true;
    const auto starved = scan();
    failOtherThreads = false;
    EXPECT_FALSE(starved.has_value());
}

TEST(ParallelScan, CountsTheProcessorsTheProcessMayRunOn)
{
    cpu_set_t all;
    ASSERT_EQ(sched_getaffinity(0, sizeof all, &all), 0);
    const int allowed = dao::detail::UsableProcessors();
    EXPECT_GE(allowed, 1);
    EXPECT_LE(allowed, CPU_COUNT(&all));
    // This thread on one processor alone, as a process may be started.
    cpu_set_t one;
    CPU_ZERO(&one);
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu)
        if (CPU_ISSET(cpu, &all)) {
            CPU_SET(cpu, &one);
            break;
        }
    ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
    EXPECT_EQ(dao::detail::UsableProcessors(), 1);
    ASSERT_EQ(sched_setaffinity(0, sizeof all, &all), 0);
}

} // namespace
