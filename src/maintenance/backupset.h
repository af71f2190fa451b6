#pragma once
// Backup, restore and deletion of a database set: a readings database N
// (base name B) with the stores B.qnm and B.qst where they exist.
#include "files.h"

#include <QString>
#include <QStringList>

namespace tellora {

struct SetCopy {
    enum class Outcome { Done, NotConfigured, Failed };
    Outcome outcome = Outcome::Done;
    QString error; // what failed, when it failed
};

// Copies N, then each store present in the program folder, into the backup
// folder named in BACKUP.CFG; the earlier copies are replaced only once every
// new copy is whole. A backup folder that is the program folder, or
// a BACKUP.CFG that cannot be read, is a failure.
SetCopy BackupSet(const QString& fileName, const QString& baseName);
// Copies N from the backup folder over N in the program folder, then each
// store present in the backup folder over its namesake. The set is replaced
// whole or not at all, whatever state its files were in.
SetCopy RestoreSet(const QString& fileName);

struct SetDeletion {
    QStringList deleted;
    QStringList failed; // files that are still there
    QString error;
    bool ok() const { return error.isEmpty(); }
};
// Deletes the readings database N first and stops when it cannot; then the
// stores of its base name, where present.
SetDeletion DeleteSet(const QString& fileName);

} // namespace tellora
