#include "backupset.h"

#include "backupconfig.h"

#include <QDir>
#include <QFileInfo>

namespace tellora {

namespace {

const char* const storeExtensions[] = { ".qnm", ".qst" };

SetCopy failed(const QString& why)
{
    return SetCopy { SetCopy::Outcome::Failed, why };
}

// The backup folder from BACKUP.CFG, or why there is none to use.
std::optional<SetCopy> backupFolder(QString& folder)
{
    const BackupConfig config = ReadBackupConfig();
    switch (config.state) {
    case BackupConfig::State::Missing:
        return SetCopy { SetCopy::Outcome::NotConfigured, {} };
    case BackupConfig::State::Unreadable:
        return failed(config.error);
    case BackupConfig::State::Read:
        break;
    }
    folder = config.path;
    // An empty path would join to the root folder.
    if (folder.isEmpty()) return failed(QStringLiteral("No backup folder is configured."));
    if (!QFileInfo(folder).isDir())
        return failed(QStringLiteral("The backup folder %1 cannot be reached.").arg(folder));
    // Copying the set onto itself would save nothing.
    if (files::SameFile(folder, QDir::currentPath()))
        return failed(QStringLiteral("The backup folder is the program folder."));
    return std::nullopt;
}

// Case twins of the readings database (two people's files) in the program
// folder: the set's files are then found by their exact names alone.
bool hasTwin(const QString& fileName)
{
    return files::CountCaseMatches(QString(), fileName) > 1;
}

// The base name, or empty when the name is too short to have one.
QString baseOf(const QString& fileName)
{
    return fileName.size() > 4 ? fileName.chopped(4) : QString();
}

} // namespace

SetCopy BackupSet(const QString& fileName, const QString& baseName)
{
    QString folder;
    if (auto refusal = backupFolder(folder)) return *refusal;
    if (fileName.isEmpty()) return failed(QStringLiteral("No database is open."));
    // The readings database always, and first. The set is replaced whole:
    // a copy that fails leaves every earlier copy of the set as it was.
    std::vector<std::pair<QString, QString>> copies { { fileName, files::Join(folder, fileName) } };
    const bool exact = hasTwin(fileName);
    for (const char* ext : storeExtensions) {
        const QString store = baseName + QLatin1String(ext);
        bool ambiguous = false;
        const std::optional<QString> source = files::FindPresent(QString(), store, exact, &ambiguous);
        if (ambiguous) return failed(QStringLiteral("Several files are named %1 but for letter case.").arg(store));
        if (source) copies.emplace_back(*source, files::Join(folder, store));
    }
    if (files::Result r = files::CopyDatabases(copies); !r) return failed(r.error);
    return {};
}

SetCopy RestoreSet(const QString& fileName)
{
    QString folder;
    if (auto refusal = backupFolder(folder)) return *refusal;
    const QString base = baseOf(fileName);
    if (base.isEmpty()) return failed(QStringLiteral("No database is chosen."));
    // The copy bears the exact name; one that differs in case only (as
    // another system may have written it) is taken when it is the only such
    // file and no case twin of the database lies here, since a twin's copy
    // is another person's.
    const bool exact = hasTwin(fileName);
    bool ambiguous = false;
    const std::optional<QString> copy = files::FindPresent(folder, fileName, exact, &ambiguous);
    if (!copy) {
        return failed(ambiguous ? QStringLiteral("Several copies of %1 differ in letter case only.").arg(fileName)
                                : QStringLiteral("The backup folder holds no copy of %1.").arg(fileName));
    }
    // Every file of the set is put in place, or none.
    std::vector<std::pair<QString, QString>> copies { { files::Join(folder, *copy), fileName } };
    for (const char* ext : storeExtensions) {
        const QString store = base + QLatin1String(ext);
        const std::optional<QString> source = files::FindPresent(folder, store, exact, &ambiguous);
        if (ambiguous) return failed(QStringLiteral("Several copies of %1 differ in letter case only.").arg(store));
        if (!source) continue;
        // A store already here is replaced under the name it has.
        const QString target = files::FindPresent(QString(), store, exact, &ambiguous).value_or(store);
        if (ambiguous) return failed(QStringLiteral("Several files are named %1 but for letter case.").arg(store));
        copies.emplace_back(files::Join(folder, *source), target);
    }
    if (files::Result r = files::CopyDatabases(copies); !r) return failed(r.error);
    return {};
}

SetDeletion DeleteSet(const QString& fileName)
{
    SetDeletion result;
    const QString base = baseOf(fileName);
    if (base.isEmpty()) {
        result.error = QStringLiteral("No database is chosen.");
        return result;
    }
    // A case twin's stores are another person's: with a twin here, only the exact names count.
    const bool exact = hasTwin(fileName);
    // The readings database first: its stores are of no use without it, and
    // stores left with no database would not be listed to delete later.
    if (const std::optional<QString> readings = files::FindPresent(QString(), fileName, exact)) {
        if (files::Result r = files::DeleteFile(*readings); !r) {
            result.failed << *readings;
            result.error = r.error;
            return result;
        }
        result.deleted << *readings;
    }
    for (const char* ext : storeExtensions) {
        if (const std::optional<QString> store = files::FindPresent(QString(), base + QLatin1String(ext), exact)) {
            if (files::Result r = files::DeleteFile(*store); !r) {
                result.failed << *store;
                if (result.error.isEmpty()) result.error = r.error;
            } else {
                result.deleted << *store;
            }
        }
    }
    return result;
}

} // namespace tellora
