#pragma once
// Compaction and repair of a closed readings database, and the compaction
// of the open database's two pick-list stores. Each works on files by name
// in the program folder and never leaves a file half-written: the compacted
// copy is built under a scratch name and renamed over the old file.
#include "entry/picklist.h"

#include <QString>

#include <optional>

namespace tellora {

// The scratch file of a readings database's compaction, and of each store's.
inline constexpr const char* CompactScratch = "PARTSNEW.MDB";
QString StoreScratch(const PickList& list); // "NEWFILE.qnm", "NEWFILE.qst"

// What a maintenance step tells the user when it fails; empty on success.
using Failure = std::optional<QString>;

// Compacts `fileName` into PARTSNEW.MDB (a leftover one removed first) and
// renames that over it. Refuses the scratch file itself. On failure the file
// is as it was and no scratch file is left.
Failure CompactReadingsDatabase(const QString& fileName);

// Repairs `fileName` in place; on failure it is as it was.
Failure RepairReadingsDatabase(const QString& fileName);

// Compacts the store of `list` beside the readings database of base name
// `baseName`; nothing at all when that store is missing.
Failure CompactStore(const PickList& list, const QString& baseName);

} // namespace tellora
