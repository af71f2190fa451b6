#include "parallel_scan.h"

#include <sqlite3.h>

#include <algorithm>
#include <memory>
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
        const FileView here { sqlite3_column_int64(seen.get(), 0), sqlite3_column_int64(seen.get(), 1),
            sqlite3_column_int64(seen.get(), 2) };
        if (!(here == view)) return;
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
                threads.emplace_back([&, part = &p] { scanPart(*part, file, sql, viewSql, bindings, view, limit); });
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
}

} // namespace dao::detail
