#include "parallel_scan.h"

#include <sqlite3.h>

#include <sched.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <new>
#include <system_error>
#include <thread>

namespace dao::detail {

namespace {

struct Part {
    long long lo = 0, hi = 0;
    std::vector<long long> rowids;
    bool ok = false;
};

struct CloseConnection {
    void operator()(sqlite3* c) const { sqlite3_close_v2(c); }
};
struct FinishStatement {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Connection = std::unique_ptr<sqlite3, CloseConnection>;
using Statement = std::unique_ptr<sqlite3_stmt, FinishStatement>;

Statement prepare(sqlite3* c, const std::string& sql)
{
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(c, sql.c_str(), int(sql.size()), &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        return nullptr;
    }
    return Statement(st);
}

bool bind(sqlite3_stmt* st, const char* name, long long number)
{
    const int i = sqlite3_bind_parameter_index(st, name);
    return i > 0 && sqlite3_bind_int64(st, i, number) == SQLITE_OK;
}

bool bind(sqlite3_stmt* st, const ScanBinding& b)
{
    const int i = sqlite3_bind_parameter_index(st, b.name.c_str());
    if (i == 0) return false;
    if (b.number) return sqlite3_bind_int64(st, i, *b.number) == SQLITE_OK;
    if (!b.text) return sqlite3_bind_null(st, i) == SQLITE_OK;
    return sqlite3_bind_text(st, i, b.text->data(), int(b.text->size()), SQLITE_TRANSIENT) == SQLITE_OK;
}

// The processors a control group's quota grants, as its cpu.max (version 2)
// or its cfs files (version 1) give it; 0 without a quota.
int quotaProcessors()
{
    std::ifstream groups("/proc/self/cgroup");
    std::string line;
    int best = 0;
    const auto take = [&](double quota, double period) {
        if (quota <= 0 || period <= 0) return;
        const int n = std::max(1, int((quota + period - 1) / period));
        best = best ? std::min(best, n) : n;
    };
    while (std::getline(groups, line)) {
        // hierarchy-ID:controllers:path
        const auto first = line.find(':'), second = line.find(':', first + 1);
        if (first == std::string::npos || second == std::string::npos) continue;
        const std::string controllers = line.substr(first + 1, second - first - 1);
        std::string path = line.substr(second + 1);
        const bool unified = controllers.empty();
        if (!unified && controllers.find("cpu") == std::string::npos) continue;
        // The quota of the group and of every group above it.
        for (;;) {
            if (unified) {
                std::ifstream max("/sys/fs/cgroup" + path + "/cpu.max");
                std::string quota;
                double period = 0;
                if (max >> quota >> period && quota != "max") take(std::atof(quota.c_str()), period);
            } else {
                for (const char* mount : { "/sys/fs/cgroup/cpu", "/sys/fs/cgroup/cpu,cpuacct" }) {
                    std::ifstream q(std::string(mount) + path + "/cpu.cfs_quota_us"),
                        p(std::string(mount) + path + "/cpu.cfs_period_us");
                    double quota = 0, period = 0;
                    if (q >> quota && p >> period) take(quota, period);
                }
            }
            if (path.empty() || path == "/") break;
            const auto slash = path.rfind('/');
            path = slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
        }
    }
    return best;
}

sqlite3_file* fileOf(sqlite3* c)
{
    sqlite3_file* f = nullptr;
    if (sqlite3_file_control(c, "main", SQLITE_FCNTL_FILE_POINTER, &f) != SQLITE_OK) return nullptr;
    return f && f->pMethods ? f : nullptr;
}

// One range on a connection of its own. It never waits for a lock: the
// caller holds a read lock meanwhile, and a writer waiting for that lock to
// go would keep this reader out until both timed out.
void scanPart(Part& part, const std::string& file, const std::string& sql, const std::string& viewSql,
    const std::vector<ScanBinding>& bindings, const FileView& view, int limit)
{
    sqlite3* raw = nullptr;
    const int opened = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    Connection c(raw);
    if (opened != SQLITE_OK) return;
    if (sqlite3_exec(c.get(), "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK) return;
    {
        Statement seen = prepare(c.get(), viewSql);
        if (!seen || sqlite3_step(seen.get()) != SQLITE_ROW) return;
        FileView here;
        here.firstRowid = sqlite3_column_int64(seen.get(), 0);
        here.lastRowid = sqlite3_column_int64(seen.get(), 1);
        here.pages = sqlite3_column_int64(seen.get(), 2);
        // Opened by name, which another program may have given to another
        // file since the caller opened its own: the same numbers are not
        // enough, it must be the very same file.
        if (!ReadFileIdentity(c.get(), here) || !(here == view)) return;
    }
    Statement st = prepare(c.get(), sql);
    if (!st) return;
    if (!bind(st.get(), ":lo", part.lo) || !bind(st.get(), ":hi", part.hi) || !bind(st.get(), ":n", limit)) return;
    for (const auto& b : bindings)
        if (!bind(st.get(), b)) return;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW)
        part.rowids.push_back(sqlite3_column_int64(st.get(), 0));
    part.ok = rc == SQLITE_DONE;
}

} // namespace

bool ReadFileIdentity(sqlite3* c, FileView& view)
{
    sqlite3_file* f = fileOf(c);
    if (!f) return false;
    // The header's file change counter, big-endian at offset 24.
    unsigned char counter[4] = {};
    if (f->pMethods->xRead(f, counter, 4, 24) != SQLITE_OK) return false;
    view.changeCounter
        = (static_cast<long long>(counter[0]) << 24) | (counter[1] << 16) | (counter[2] << 8) | counter[3];
    const char* name = sqlite3_db_filename(c, "main");
    struct stat st { };
    // The name names the file this connection has open before and after its
    // device and inode are read under it.
    if (!name || !StillNamesItsFile(c) || ::stat(name, &st) != 0 || !StillNamesItsFile(c)) return false;
    view.device = static_cast<unsigned long long>(st.st_dev);
    view.inode = static_cast<unsigned long long>(st.st_ino);
    return true;
}

bool StillNamesItsFile(sqlite3* c)
{
    int moved = 1;
    // SQLite compares the inode under the name with the one it opened.
    return sqlite3_file_control(c, "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK && moved == 0;
}

int UsableProcessors()
{
    int n = 0;
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0) n = CPU_COUNT(&set);
    if (n <= 0) n = int(std::thread::hardware_concurrency());
    if (const int quota = quotaProcessors()) n = std::min(n, quota);
    return std::max(1, n);
}

std::optional<std::vector<long long>> ScanInParallel(const std::string& file, const std::string& sql,
    const std::string& viewSql, const std::vector<ScanBinding>& bindings, const FileView& view, int ways, int limit)
{
    if (ways < 1 || view.lastRowid < view.firstRowid) return std::nullopt;
    // Equal spans of rowids, counted from the first without overflow (another
    // program may store any rowid at all); the last part ends at the last.
    const auto first = static_cast<unsigned long long>(view.firstRowid);
    const unsigned long long width = static_cast<unsigned long long>(view.lastRowid) - first;
    if (width > (1ULL << 62)) return std::nullopt;
    const unsigned long long span = width / static_cast<unsigned long long>(ways) + 1;
    try {
        std::vector<Part> parts;
        for (unsigned long long from = 0; from <= width; from += span) {
            Part p;
            p.lo = static_cast<long long>(first + from);
            p.hi = static_cast<long long>(first + std::min(width, from + span - 1));
            parts.push_back(p);
        }
        {
            std::vector<std::jthread> threads;
            threads.reserve(parts.size());
            try {
                for (auto& p : parts)
                    threads.emplace_back([&, part = &p] {
                        try {
                            scanPart(*part, file, sql, viewSql, bindings, view, limit);
                        } catch (const std::bad_alloc&) {
                            // Out of memory for its rows: the part fails, and with it the scan.
                            part->ok = false;
                        }
                    });
            } catch (const std::system_error&) {
                // No thread to be had: the parts not started fail the scan.
            }
        }
        std::vector<long long> rowids;
        for (const auto& p : parts) {
            if (!p.ok) return std::nullopt;
            rowids.insert(rowids.end(), p.rowids.begin(), p.rowids.end());
        }
        return rowids;
    } catch (const std::bad_alloc&) {
        // The caller scans on its own connection instead, which reports its
        // own failures.
        return std::nullopt;
    }
}

} // namespace dao::detail
