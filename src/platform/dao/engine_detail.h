#pragma once
// What the engine's source files share and no caller sees: the marks that
// make a file one of this program's databases, and the turning of SQLite's
// failures into the engine's errors.
#include "dao.h"

#include <SQLiteCpp/SQLiteCpp.h>

#include <string>

namespace dao::detail {

// Marks files of this program ("TELL").
inline constexpr int kApplicationId = 0x54454C4C;
// Locale, format option and index flags: what SQLite cannot say itself.
inline constexpr const char* kSystemTable = "MSysTellora";

std::string lower(std::string s);
bool sameName(const std::string& a, const std::string& b);
std::string quoteId(const std::string& id);
// Characters, not bytes: field sizes count characters.
size_t charCount(const std::string& s);
// The file starts with SQLite's header.
bool hasSqliteHeader(const std::string& name);
// One complete file after every commit, durable at each commit.
void setConnectionPragmas(SQLite::Database& c);

// Turns an SQLite failure into the engine's error, naming the file.
[[noreturn]] void rethrow(const SQLite::Exception& e, const std::string& file);

template<class F> auto guarded(const std::string& file, F&& f) -> decltype(f())
{
    try {
        return f();
    } catch (const SQLite::Exception& e) {
        rethrow(e, file);
    }
}

} // namespace dao::detail
