#pragma once
// File operations of the maintenance commands, without widgets: the presence
// test, whole-file copies, deletion, renaming, replacing a file by one built
// beside it, and fixed-length records.
//
// Nothing here throws. Each operation returns a Result whose error text says
// what failed, for the caller's message. A file that is replaced is always
// either the whole old file or the whole new one: the new content is written
// to a hidden scratch file in the same folder, flushed to disk and renamed
// over the old name in one step.
#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace tellora::files {

struct Result {
    QString error; // empty: it worked
    bool ok() const { return error.isEmpty(); }
    explicit operator bool() const { return ok(); }
};

// A test seam: called before each step that touches the disk ("create",
// "write", "sync", "rename", "delete", "read") with the path it works on; returning
// true makes that step fail as the disk would.
using FaultHook = std::function<bool(std::string_view step, const QString& path)>;
void SetFaultHook(FaultHook hook);

// The presence test: the name of the regular, not hidden, file in `folder`
// (empty: the current folder) named exactly `name`; failing that, the one
// file whose name matches it without regard to case. Two names that differ
// in case only are two files (two people's), so a choice between several
// such files is no match (`ambiguous` then set), and with `exactOnly` only
// the exact name counts. Returns the name as it is on disk.
std::optional<QString> FindPresent(
    const QString& folder, const QString& name, bool exactOnly = false, bool* ambiguous = nullptr);
inline std::optional<QString> FindPresent(const QString& name)
{
    return FindPresent(QString(), name);
}
// How many regular, not hidden, files of `folder` match `name` without regard to case.
int CountCaseMatches(const QString& folder, const QString& name);

// `folder` and `name` joined by exactly one added separator.
QString Join(const QString& folder, const QString& name);

// The file `path` stands for: a symbolic link followed to the file it names
// (which may be missing). A step that replaces a file replaces that one,
// with its scratch file beside it, and leaves the link as it was.
QString LinkedFile(const QString& path);

// True when both paths name one existing file (or folder) on disk.
bool SameFile(const QString& a, const QString& b);

// Copies the whole of `source` over `target`: the copy is built beside the
// target and renamed over it, so a failure, or the program killed, leaves
// the target as it was. Scratch files of a killed copy to the same target
// are removed first.
// A source or a target that is not a regular file (a folder, a FIFO, a
// device, a socket) is refused before anything is opened.
Result CopyFile(const QString& source, const QString& target);
// Copies a database file as CopyFile does, through SQLite's online backup
// (a consistent snapshot under a read lock, a journal left by a killed writer
// played back first) into a scratch file beside the target, which is then
// renamed over the target while the target is held exclusively, so that no
// journal beside it is ever played back into the copy. Fails when another
// program holds either file, and when the source is not a readable database.
Result CopyDatabase(const QString& source, const QString& target);
// Copies a set of databases (source, target) as CopyDatabase does, whole:
// every copy is built first and proven readable (a source that is damaged,
// not a database, or torn by a journal this step cannot play back is
// refused), and only once all are whole are the targets held and the copies
// renamed over them. A failure, or the program killed between two renames,
// leaves every target as it was (the next copy of the set, or
// FinishInterruptedSets, puts back a set a kill left half replaced). A
// target SQLite cannot read (damaged, cut short, not a database) is replaced
// all the same; a journal or log beside it, or beside a missing target, goes
// with the old file and is never read into the new one. A copy that would be
// its source itself (a link either way) is refused.
Result CopyDatabases(const std::vector<std::pair<QString, QString>>& copies);
// Puts back, in `folder` (empty: the current folder), every set that a copy
// killed between two renames left half replaced. Run at start.
void FinishInterruptedSets(const QString& folder = {});
Result DeleteFile(const QString& path);
// Fails when a file named `to` exists already.
Result RenameFile(const QString& from, const QString& to);
// Flushes `scratch` to disk and renames it over `target` in one step; the
// scratch file must lie in the target's folder. A target that is a link
// stays one: the file it names is replaced, by a copy of the scratch file
// built beside it when the scratch file lies elsewhere.
Result ReplaceFile(const QString& scratch, const QString& target);

// A hidden scratch file beside a target, removed when it goes out of scope
// unless Commit renamed it over the target.
class ScratchFile {
public:
    explicit ScratchFile(const QString& target);
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const QString& Path() const { return path_; }
    const QString& Target() const { return target_; }
    // ReplaceFile(Path(), Target()).
    Result Commit();

private:
    QString target_;
    QString path_;
    bool committed_ = false;
};

// Record `number` (from 1) of a file of fixed-length records. Reading a file
// shorter than the record gives what it holds; a missing file is an error.
Result ReadRecord(const QString& path, int recordLength, int number, QByteArray& bytes);
// Writes record `number`, creating the file when it is missing and never
// shortening it: bytes beyond the record stay as they are. The new content is
// written beside the file and renamed over it, so a failure leaves the old
// file, or none. `bytes` must be exactly `recordLength` long.
Result WriteRecord(const QString& path, int recordLength, int number, const QByteArray& bytes);

// Windows code page 1252, the code page of the program's stored texts.
// nullopt when a character has no byte in it.
std::optional<QByteArray> ToCp1252(const QString& text);
QString FromCp1252(const QByteArray& bytes);

} // namespace tellora::files
