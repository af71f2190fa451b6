#pragma once
// What the engine's source files share beyond sqlite_support.h: the marks
// that make a file one of this program's databases.
#include "dao.h"

#include <SQLiteCpp/SQLiteCpp.h>

#include <string>

namespace dao::detail {

// Marks files of this program ("TELL").
inline constexpr int kApplicationId = 0x54454C4C;
// Locale, format option and index flags: what SQLite cannot say itself.
inline constexpr const char* kSystemTable = "MSysTellora";

// The file starts with SQLite's header.
bool hasSqliteHeader(const std::string& name);
// One complete file after every commit, durable at each commit.
void setConnectionPragmas(SQLite::Database& c);

} // namespace dao::detail
