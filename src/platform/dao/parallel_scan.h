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

namespace dao::detail {

// A named parameter of the scan: a number, or a text (Null without one).
struct ScanBinding {
    std::string name;
    std::optional<long long> number;
    Value text;
};

// What the caller's connection sees of the file, read under the read lock it
// holds across the scan: a thread that sees anything else is not reading the
// same file or the same moment of it.
struct FileView {
    long long firstRowid = 0, lastRowid = 0, pages = 0;
    bool operator==(const FileView&) const = default;
};

// The query, bound to ":lo" and ":hi" (rowids), ":n" (the limit) and
// `bindings`, selects rowids; `viewSql` selects a FileView's three numbers.
// Runs the query over `ways` ranges of the view's rowids at once and returns
// every rowid the ranges gave, or nothing when any thread could not read the
// file without waiting or saw another view of it. Throws nothing.
std::optional<std::vector<long long>> ScanInParallel(const std::string& file, const std::string& sql,
    const std::string& viewSql, const std::vector<ScanBinding>& bindings, const FileView& view, int ways, int limit);

} // namespace dao::detail
