#pragma once
// Making a person's readings database: table BLOOD with its thirteen text
// fields and the non-unique index Readings on (Bdate, Btime).
#include <QString>

namespace dao {
class Database;
}

namespace tellora {

inline constexpr const char* DatabaseLocale = ";LANGID=0x0409;CP=1252;COUNTRY=0";

// Creates the readings database `fileName` (a bare name in the current
// folder). Throws dao::Error when the engine or the file system refuses; the
// partial file this call made is removed first.
void CreateReadingsDatabase(const QString& fileName);

// The thirteen fields of BLOOD with their sizes, in table order.
struct ReadingField {
    const char* name;
    int size;
};
inline constexpr ReadingField ReadingFields[13] = {
    { "Bdate", 15 }, { "Btime", 15 }, { "Bsugar", 6 }, { "Bpressure", 3 }, { "Bpulse", 3 },
    { "Bweight", 6 }, { "Bcomm", 50 }, { "Dpressure", 3 }, { "Instype", 20 }, { "Insamt", 6 },
    { "Site", 20 }, { "SPO2", 6 }, { "Temp", 6 },
};

// True when the database holds BLOOD with all thirteen fields and the index
// Readings: the layout this program opens.
bool HasCurrentLayout(dao::Database& db);

} // namespace tellora
