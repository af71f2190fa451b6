#pragma once
// The two converters of older readings databases. Each rebuilds a database
// in place through the scratch database "Wexlo.mdb": the scratch database is
// made in the target layout, every row of the source's BLOOD is copied into
// it in index order in one transaction, and the scratch database is then
// renamed over the source. Until that rename the source is only read.
#include "shell/reading.h"

#include <QString>

#include <functional>
#include <vector>

namespace tellora {

inline constexpr const char* ConversionScratch = "Wexlo.mdb";

// One converter, as data.
struct Conversion {
    std::vector<Reading::Field> target; // the target layout's fields, in table order
    std::vector<Reading::Field> copied; // read from each source row
    std::vector<Reading::Field> filled; // written as the missing mark
    const char* failure; // the converter's failure message
};

// Pre-3.50 to the 3.50 layout (the current one less SPO2 and Temp).
extern const Conversion ToLayout350;
// 3.50 to the current layout.
extern const Conversion ToCurrentLayout;

enum class ConversionEnd { Converted, NoRecords, Failed };

struct ConversionResult {
    ConversionEnd end = ConversionEnd::Failed;
    QString message; // what to tell the user; empty after a conversion
};

// The progress of a copy: `start(max)` once the row count is known, then
// `advance(row)` now and then as rows are copied (not for every row), and
// always for the last one.
struct ConversionProgress {
    std::function<void(long max)> start;
    std::function<void(long row)> advance;
};

// Makes the empty scratch database of the target layout, a leftover one
// removed first. Throws dao::Error; no scratch database is left then.
void MakeScratchDatabase(const Conversion& conversion);

// Copies `source` into the scratch database and renames it over the source.
// Refuses a source whose fields that the target fills with the missing mark
// hold values, and any row that cannot be copied whole (a Null, a value too
// long for its target field), with the converter's failure message. In every
// case but a conversion the source is unchanged and the scratch database is
// gone.
ConversionResult CopyIntoScratch(
    const Conversion& conversion, const QString& source, const ConversionProgress& progress = {});

// Both steps, as a converter window runs them on a double-click.
ConversionResult ConvertDatabase(
    const Conversion& conversion, const QString& source, const ConversionProgress& progress = {});

} // namespace tellora
