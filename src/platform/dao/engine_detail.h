#pragma once
// What the engine's source files share beyond sqlite_support.h: the marks
// that make a file one of this program's databases.
#include "dao.h"

#include <SQLiteCpp/SQLiteCpp.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <string>
#include <vector>

namespace dao::detail {

// Marks files of this program ("TELL").
inline constexpr int kApplicationId = 0x54454C4C;
// Locale, format option and index flags: what SQLite cannot say itself.
inline constexpr const char* kSystemTable = "MSysTellora";

// The file starts with SQLite's header.
bool hasSqliteHeader(const std::string& name);
// A connection to the file that waits out another program's locks for the
// engine's busy timeout.
std::unique_ptr<SQLite::Database> openConnection(const std::string& name, int flags);
// One complete file after every commit, durable at each commit; also gives
// the connection the engine's busy timeout. Leaving another program's WAL
// mode waits for that program as any lock does, then fails as in use.
void setConnectionPragmas(SQLite::Database& c);

// The engine's order over an index: its fields, then the rowid for equal
// keys. The texts name the columns as ORDER BY takes them (ascending and
// descending) and as a row value compares them (columns and marks, without
// the parentheses).
struct OrderedKey {
    std::string ascending, descending, columns, marks;
};

inline OrderedKey orderedKey(const std::vector<std::string>& keyColumns)
{
    OrderedKey key;
    for (std::size_t i = 0; i <= keyColumns.size(); ++i) {
        const std::string col = i < keyColumns.size() ? keyColumns[i] : "rowid";
        const std::string sep = i ? ", " : "";
        key.ascending += sep + col;
        key.descending += sep + col + " DESC";
        key.columns += sep + col;
        key.marks += sep + "?";
    }
    return key;
}

// Binds a row's place in that order, its key values then its rowid, to the
// statement's first marks.
inline void bindOrderedKey(
    SQLite::Statement& st, const std::vector<int>& keyFields, const std::vector<Value>& row, long long rowid)
{
    int i = 1;
    for (int k : keyFields) {
        if (row[k])
            st.bind(i, *row[k]);
        else
            st.bind(i);
        ++i;
    }
    st.bind(i, static_cast<int64_t>(rowid));
}

// Small text helpers the database and the recordset share.
inline std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

// Characters, not bytes: field sizes count characters.
inline size_t charCount(const std::string& s)
{
    size_t n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

inline int sizeFromType(const std::string& declared)
{
    auto open = declared.find('(');
    if (open == std::string::npos) return 0;
    try {
        return std::stoi(declared.substr(open + 1));
    } catch (...) {
        return 0;
    }
}

} // namespace dao::detail
