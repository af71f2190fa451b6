#pragma once
// What the engine's recordsets and its stepping cursor share below the
// engine boundary: SQLite's failures turned into the engine's error naming
// the file, quoted identifiers and name comparison without regard to case.
#include "platform/dao/dao.h"

#include <SQLiteCpp/Exception.h>

#include <string>

namespace dao::detail {

bool SameName(const std::string& a, const std::string& b);
std::string QuoteId(const std::string& id);

// Turns an SQLite failure into the engine's error, naming the file.
[[noreturn]] void RaiseEngineError(const SQLite::Exception& e, const std::string& file);

// Runs `f`; an SQLite failure inside it leaves as the engine's error.
template<class F> auto Guarded(const std::string& file, F&& f) -> decltype(f())
{
    try {
        return f();
    } catch (const SQLite::Exception& e) {
        RaiseEngineError(e, file);
    }
}

Error NoCurrentRecord();

// Whether SQLite took the setting that keeps no statistics of its memory:
// it fails when anything started SQLite before the engine was loaded.
bool MemoryStatisticsOff();

} // namespace dao::detail
