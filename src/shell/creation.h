#pragma once
// Making a person's readings database: table BLOOD with its thirteen text
// fields and the non-unique index Readings on (Bdate, Btime).
#include "reading.h"

#include <QString>

namespace dao {
class Database;
}

namespace tellora {

inline constexpr const char* DatabaseLocale = ";LANGID=0x0409;CP=1252;COUNTRY=0";

// Creates the readings database `fileName` (a bare name in the current
// folder), whole or not at all. Throws dao::Error, saying why, when the
// engine or the file system refuses; nothing is left under the name then.
void CreateReadingsDatabase(const QString& fileName);

// True when the database holds BLOOD with all thirteen fields and the index
// Readings: the layout this program opens.
bool HasCurrentLayout(dao::Database& db);

} // namespace tellora
