#pragma once
// BACKUP.CFG: one 75-byte record in the program folder holding the backup
// folder's path in code page 1252, filled with blanks.
#include "files.h"

#include <QString>

namespace tellora {

inline constexpr const char* BackupConfigName = "BACKUP.CFG";
inline constexpr int BackupRecordLength = 75;

// Why a path cannot be stored whole; the stored form has no room for more,
// and a cut path would send the copies to another folder.
enum class BackupPathProblem { None, TooLong, NotStorable, EndsInBlank };
BackupPathProblem CheckBackupPath(const QString& path);
// The message that refuses such a path.
QString BackupPathMessage(BackupPathProblem problem);

// Writes the path as record 1 (it must pass CheckBackupPath).
files::Result SaveBackupPath(const QString& path);

struct BackupConfig {
    enum class State { Missing, Read, Unreadable };
    State state = State::Missing;
    QString path;  // the record less its trailing blanks, when read
    QString error; // why it could not be read
};
// The presence test on BACKUP.CFG, then record 1 less its trailing blanks.
BackupConfig ReadBackupConfig();

} // namespace tellora
