#include "sqlite_support.h"

#include <SQLiteCpp/SQLiteCpp.h>
#include <sqlite3.h>

#include <algorithm>
#include <cctype>

namespace dao::detail {

namespace {

// SQLite keeps statistics of its memory under one lock taken at every
// allocation, which the engine never reads and which the threads of a
// scan in parts would queue on. Set before SQLite starts, at load time;
// later it cannot be changed and the statistics simply stay.
const bool withoutMemoryStatistics = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0) == SQLITE_OK;

} // namespace

bool MemoryStatisticsOff()
{
    return withoutMemoryStatistics;
}

bool SameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
        return std::tolower(x) == std::tolower(y);
    });
}

std::string QuoteId(const std::string& id)
{
    std::string out = "\"";
    for (char c : id) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

void RaiseEngineError(const SQLite::Exception& e, const std::string& file)
{
    const int code = e.getErrorCode() & 0xFF;
    switch (code) {
    case SQLITE_CORRUPT:
        throw Error(errDamaged, "The database '" + file + "' is damaged: " + e.what(), file);
    case SQLITE_NOTADB:
        throw Error(errNotADatabase, "'" + file + "' is not a database of this program.", file);
    case SQLITE_CANTOPEN:
        throw Error(errDiskIO, "The file '" + file + "' cannot be opened: " + e.what(), file);
    case SQLITE_READONLY:
        throw Error(errDiskIO, "The database '" + file + "' is read-only.", file);
    case SQLITE_FULL:
        throw Error(errDiskFull, "The disk is full, so '" + file + "' could not be written.", file);
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        throw Error(errInUse, "The database '" + file + "' is in use by another program.", file);
    case SQLITE_CONSTRAINT:
        throw Error(errDuplicateKey, "The change would create a duplicate key in a unique index.", file);
    default:
        throw Error(errDiskIO, "The database '" + file + "' could not be read or written: " + e.what(), file);
    }
}

Error NoCurrentRecord()
{
    return Error(errNoCurrentRecord, "No current record.");
}

} // namespace dao::detail
