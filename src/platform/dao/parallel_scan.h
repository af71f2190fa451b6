#pragma once
// A sorted scan of a large table split over threads: each thread reads one
// range of rowids on a read-only connection of its own and keeps the first
// rows of its range in the scan's order; the caller picks the first of those
// on its own connection, with the same test again. SQLite spends most of a
// scan interpreting the test for every row, which one thread cannot hurry.
#include "platform/dao/dao.h"

#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace dao::detail {

// A named parameter of the scan: a number, or a text (Null without one).
struct ScanBinding {
    std::string name;
    std::optional<long long> number;
    Value text;
};

// What the caller's connection sees of the file, read under the read
// transaction it holds from before the view is read until the parts' rows
// are picked. What proves that a part reads the caller's moment is that
// lock: in rollback mode no other program can commit while the caller holds
// it, so every connection that gets a read lock meanwhile reads the same
// committed file. The caller (the cursor) checks for that mode under the
// lock: in write-ahead mode the lock keeps no commit out and the scan runs
// on the caller's connection. A view alike proves nothing of the moment:
// the change counter, for one, does not change at all while a writer holds
// the file in exclusive locking mode. It only shows that a part opened the
// very file (device and inode while the caller's file still bears the name)
// and found it as large. The first three come from the view query, the
// change counter from the file's header as the connection reads it, device
// and inode from what the file's name names while the connection's own file
// still bears it.
struct FileView {
    long long firstRowid = 0, lastRowid = 0, pages = 0, changeCounter = 0;
    unsigned long long device = 0, inode = 0;
    bool operator==(const FileView&) const = default;
};

// Fills the change counter, device and inode of `view` for the file `c` has
// open, as a read lock taken on `c` keeps them; false when the name no
// longer names that file (renamed over, moved or removed) or the header
// cannot be read.
bool ReadFileIdentity(sqlite3* c, FileView& view);

// Whether the name still names the very file `c` has open.
bool StillNamesItsFile(sqlite3* c);

// How many processors this process may run on: its affinity, within the
// processor quota of its control group where one is set; at least 1.
int UsableProcessors();

// The query, bound to ":lo" and ":hi" (rowids), ":n" (the limit) and
// `bindings`, selects rowids; `viewSql` selects a FileView's three numbers.
// Runs the query over `ways` ranges of the view's rowids at once and returns
// every rowid the ranges gave, or nothing when any thread could not read the
// file without waiting, saw another view of it (another file under the name
// included) or ran out of memory. Throws nothing.
std::optional<std::vector<long long>> ScanInParallel(const std::string& file, const std::string& sql,
    const std::string& viewSql, const std::vector<ScanBinding>& bindings, const FileView& view, int ways, int limit);

} // namespace dao::detail
