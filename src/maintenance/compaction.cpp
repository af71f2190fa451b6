#include "compaction.h"

#include "files.h"
#include "scratch.h"

#include "shell/creation.h"

#include "platform/dao/dao.h"

#include <string_view>

namespace tellora {

namespace {

QString engineText(const dao::Error& e)
{
    return QString::fromStdString(e.Description());
}

// Compacts `source` into `scratch` and puts the copy in its place.
Failure compactInto(const QString& source, const QString& scratch, const QString& what)
{
    if (SameFileName(source, scratch))
        return QStringLiteral("%1 is the compaction's scratch file and cannot be compacted itself.").arg(scratch);
    try {
        RemoveScratch(scratch);
        StepPoint("compact");
        // The source stays held from the first read until the copy has replaced it.
        dao::DefaultWorkspace().CompactDatabase(
            source.toStdString(), scratch.toStdString(), DatabaseLocale, [&] { ReplaceWithScratch(scratch, source); });
        return std::nullopt;
    } catch (const dao::Error& e) {
        DiscardScratch(scratch);
        return QStringLiteral("%1 could not be compacted.  It is unchanged.\n\n%2").arg(what, engineText(e));
    }
}

} // namespace

QString StoreScratch(const PickList& list)
{
    return QStringLiteral("NEWFILE") + QLatin1String(list.extension);
}

Failure CompactReadingsDatabase(const QString& fileName)
{
    if (fileName.isEmpty()) return std::nullopt; // a double-click beside the entries chooses nothing
    return compactInto(fileName, QString::fromLatin1(CompactScratch), fileName);
}

Failure RepairReadingsDatabase(const QString& fileName)
{
    if (fileName.isEmpty()) return std::nullopt;
    try {
        StepPoint("repair");
        dao::DefaultWorkspace().RepairDatabase(fileName.toStdString());
        return std::nullopt;
    } catch (const dao::Error& e) {
        return QStringLiteral("%1 could not be repaired.  It is unchanged; restore it from a backup.\n\n%2")
            .arg(fileName, engineText(e));
    }
}

Failure CompactStore(const PickList& list, const QString& baseName)
{
    if (baseName.isEmpty()) return std::nullopt;
    const std::optional<QString> store = files::FindPresent(StoreFileName(list, baseName));
    if (!store) return std::nullopt;
    const QString what = std::string_view(list.extension) == InsulinNames.extension
        ? QStringLiteral("The insulin names database")
        : QStringLiteral("The injection sites database");
    return compactInto(*store, StoreScratch(list), what);
}

} // namespace tellora
