#pragma once
// What the engine's source files share beyond sqlite_support.h: the marks
// that make a file one of this program's databases.
#include "dao.h"

#include <SQLiteCpp/SQLiteCpp.h>

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

} // namespace dao::detail
