#pragma once
// The "Backup Database" command: copies the open database set into the
// backup folder and says how it went.
namespace tellora {
inline constexpr const char* BackupCommandName = "BackupDbase";
void BackupDbase();
} // namespace tellora
