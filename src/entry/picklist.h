#pragma once
// The two pick-list stores beside a readings database: the insulin names
// (".qnm") and the injection sites (".qst"). Each is a database of one table
// with one text field, walked through its index, so entries come back in
// text order with letter case ignored.
#include <QString>
#include <QStringList>

#include <optional>

namespace tellora {

struct PickList {
    const char* extension; // ".qnm"
    const char* table; // "ZOT"
    const char* field; // "InsName"
    const char* index; // "Quarvo"
};

inline constexpr PickList InsulinNames { ".qnm", "ZOT", "InsName", "Quarvo" };
inline constexpr PickList InjectionSites { ".qst", "WEXLO", "SiteName", "Trovane" };

// An entry's longest text (the field size) and a store's most entries.
inline constexpr int PickEntrySize = 20;
inline constexpr int PickListLimit = 250;

// The store's bare file name for a database base name.
QString StoreFileName(const PickList& list, const QString& baseName);

// Creates the store file with its table, field and index and no rows, whole
// or not at all. Throws dao::Error saying why (no room on the disk, a folder
// that cannot be written); nothing is left under the name then.
void CreateStore(const PickList& list, const QString& fileName);

// What lies under a store's name.
enum class StoreState {
    Missing, // nothing
    Store, // the store, with its table, field and index
    Unfinished, // an empty file, or a database of this program without any table: nothing to lose
    Damaged, // a file that will not open as a database of this program
    Foreign, // a database of this program holding something else: another store, a readings database
};
// Throws dao::Error (errInUse) when another program holds the file.
StoreState InspectStore(const PickList& list, const QString& fileName);

// Every entry in index order, passing over an entry without a value; empty
// when the file is missing. Throws
// dao::Error when the file is there but is no such store.
QStringList ReadEntries(const PickList& list, const QString& fileName);

// The writing steps of the editors; each opens and closes the store and
// throws dao::Error on an engine failure.
// Appends the entry; false (nothing written) when one equal to it, case
// ignored, is stored.
bool AddEntry(const PickList& list, const QString& fileName, const QString& text);
// Deletes the entry that equals the text, case ignored; false when none does.
bool DeleteEntry(const PickList& list, const QString& fileName, const QString& text);

enum class RenameResult { Renamed, OldNotFound, NewExists };
// Renames the entry `from` to `to`. Refused, with nothing changed, when `from`
// is not stored or when `to` is already another entry (case ignored); a
// change of letter case alone renames the entry in place.
RenameResult RenameEntry(const PickList& list, const QString& fileName, const QString& from, const QString& to);

} // namespace tellora
