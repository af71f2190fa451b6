#pragma once
// What the engine's source files share beyond sqlite_support.h: the marks
// that make a file one of this program's databases.
#include "dao.h"

#include <SQLiteCpp/SQLiteCpp.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <string>

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
