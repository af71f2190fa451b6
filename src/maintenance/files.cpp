#include "files.h"

#include "platform/dao/dao.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <thread>
#include <vector>

namespace tellora::files {

namespace {

FaultHook& faultHook()
{
    static FaultHook hook;
    return hook;
}

bool injected(std::string_view step, const QString& path)
{
    const FaultHook& hook = faultHook();
    return hook && hook(step, path);
}

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

Result failure(const QString& what, const QString& path, int error)
{
    return Result { QStringLiteral("%1 %2: %3").arg(what, path, QString::fromLocal8Bit(std::strerror(error))) };
}

// An open descriptor, closed when it goes.
class Fd {
public:
    explicit Fd(int fd = -1)
        : fd_(fd)
    {
    }
    ~Fd()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    // Closes now; false (with errno set) when the close reports an error.
    bool close()
    {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

QString folderOf(const QString& path)
{
    const QString folder = QFileInfo(path).path();
    return folder.isEmpty() ? QStringLiteral(".") : folder;
}

// Makes a rename in `folder` durable.
void syncFolder(const QString& folder)
{
    Fd dir(::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) ::fsync(dir.get());
}

bool writeAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Copies every byte of `in` to `out`, in the kernel where it can. The disk
// writes of each piece start while the next is copied, so the flush at the
// end waits for little more than the last piece.
bool copyBytes(int in, int out)
{
    constexpr std::size_t piece = std::size_t(16) << 20;
    off_t written = 0;
    for (;;) {
        const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, piece, 0);
        if (n == 0) return true;
        if (n > 0) {
            ::sync_file_range(out, written, n, SYNC_FILE_RANGE_WRITE);
            written += n;
            continue;
        }
        if (errno == EINTR) continue;
        if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)
            break; // not offered here: copy through a buffer
        return false;
    }
    std::array<char, 1 << 20> buffer;
    for (;;) {
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n == 0) return true;
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (!writeAll(out, buffer.data(), static_cast<std::size_t>(n))) return false;
    }
}

// The template of a hidden scratch name beside `target`.
QByteArray scratchTemplate(const QString& target)
{
    const QFileInfo info(target);
    return native(QDir(folderOf(target)).filePath(QStringLiteral(".") + info.fileName() + QStringLiteral(".XXXXXX")));
}

// Removes scratch files (copies, old files kept aside, journals moved aside,
// set records being written) that an earlier step on `target` left when it
// was killed; the step being made has not begun its own, and a half-replaced
// set has been finished first (finishInterruptedSet).
void removeLeftovers(const QString& target)
{
    const QDir dir(folderOf(target));
    const QRegularExpression pattern(QStringLiteral("^\\.%1(-[a-z]+)?\\.[A-Za-z0-9]{6}(-[a-z]+)?$")
                                         .arg(QRegularExpression::escape(QFileInfo(target).fileName())));
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (pattern.match(name).hasMatch()) ::unlink(native(dir.filePath(name)).constData());
}

// Refuses what is not a regular file before it is opened: opening a FIFO
// would wait for a writer, a device would give endless bytes. A missing
// target is fine when `mayBeMissing`.
Result checkRegular(const QString& path, bool mayBeMissing)
{
    struct stat st { };
    if (::stat(native(path).constData(), &st) != 0) {
        if (mayBeMissing && errno == ENOENT) return {};
        return failure(QStringLiteral("Cannot open"), path, errno);
    }
    if (!S_ISREG(st.st_mode)) return Result { QStringLiteral("Not a file: %1").arg(path) };
    return {};
}

// Unlinks a scratch file (and its journal) unless kept.
struct RemoveScratch {
    QByteArray path;
    bool keep = false;
    ~RemoveScratch()
    {
        if (keep || path.isEmpty()) return;
        ::unlink(path.constData());
        ::unlink((path + "-journal").constData());
    }
};

// A scratch file's bytes made durable and the file closed.
Result flushScratch(Fd& out, const QString& scratchPath, const QString& target)
{
    if (injected("sync", target) || ::fsync(out.get()) != 0)
        return failure(QStringLiteral("Cannot write"), scratchPath, errno ? errno : EIO);
    if (!out.close()) return failure(QStringLiteral("Cannot write"), scratchPath, errno);
    return {};
}

// The scratch file renamed over `target`, and kept from then on.
Result renameOver(RemoveScratch& scratch, const QString& target)
{
    if (injected("rename", target) || ::rename(scratch.path.constData(), native(target).constData()) != 0)
        return failure(QStringLiteral("Cannot replace"), target, errno ? errno : EACCES);
    scratch.keep = true;
    return {};
}

} // namespace

void SetFaultHook(FaultHook hook)
{
    faultHook() = std::move(hook);
}

namespace {

QStringList caseMatches(const QString& folder, const QString& name)
{
    const QDir dir(folder.isEmpty() ? QDir::currentPath() : folder);
    // Hidden files are left out (QDir::Hidden not given).
    QStringList out;
    for (const QString& n : dir.entryList(QDir::Files | QDir::NoDotAndDotDot))
        if (n.compare(name, Qt::CaseInsensitive) == 0) out << n;
    return out;
}

} // namespace

std::optional<QString> FindPresent(const QString& folder, const QString& name, bool exactOnly, bool* ambiguous)
{
    if (ambiguous) *ambiguous = false;
    if (name.isEmpty()) return std::nullopt;
    const QStringList names = caseMatches(folder, name);
    if (names.contains(name)) return name;
    if (exactOnly || names.isEmpty()) return std::nullopt;
    if (names.size() == 1) return names.front();
    if (ambiguous) *ambiguous = true;
    return std::nullopt;
}

int CountCaseMatches(const QString& folder, const QString& name)
{
    return name.isEmpty() ? 0 : int(caseMatches(folder, name).size());
}

QString Join(const QString& folder, const QString& name)
{
    return folder + QLatin1Char('/') + name;
}

bool SameFile(const QString& a, const QString& b)
{
    struct stat sa {
    }, sb {};
    if (::stat(native(a).constData(), &sa) != 0 || ::stat(native(b).constData(), &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

namespace {

// A copy built beside the file it is to replace, not yet in its place.
struct Staged {
    QString target; // the file the target's name stands for
    RemoveScratch scratch;
};
using StagedList = std::vector<std::unique_ptr<Staged>>;

// The whole of `source` as bytes into a scratch file beside `target`.
Result stageBytes(const QString& source, const QString& target, StagedList& staged)
{
    if (Result r = checkRegular(source, false); !r) return r;
    if (Result r = checkRegular(target, true); !r) return r;
    Fd in(::open(native(source).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (in.get() < 0) return failure(QStringLiteral("Cannot open"), source, errno);
    struct stat st { };
    if (::fstat(in.get(), &st) != 0) return failure(QStringLiteral("Cannot read"), source, errno);
    if (!S_ISREG(st.st_mode)) return Result { QStringLiteral("Not a file: %1").arg(source) };

    removeLeftovers(target);
    if (injected("create", target)) return failure(QStringLiteral("Cannot create a file beside"), target, EACCES);
    QByteArray scratch = scratchTemplate(target);
    Fd out(::mkostemp(scratch.data(), O_CLOEXEC));
    if (out.get() < 0) return failure(QStringLiteral("Cannot create a file beside"), target, errno);
    const QString scratchPath = QFile::decodeName(scratch);
    // Whatever goes wrong from here, the scratch file goes and the target stays.
    auto copy = std::make_unique<Staged>();
    copy->target = target;
    copy->scratch.path = scratch;

    ::fchmod(out.get(), st.st_mode & 07777);
    errno = 0;
    if (injected("write", target) || !copyBytes(in.get(), out.get()))
        return failure(QStringLiteral("Cannot write"), scratchPath, errno ? errno : ENOSPC);
    if (Result r = flushScratch(out, scratchPath, target); !r) return r;
    staged.push_back(std::move(copy));
    return {};
}

// True when this step may write `file` and beside it, so SQLite can play
// back a journal left there. A write-protected source is only read.
bool mayWriteBeside(const QString& file)
{
    return ::access(native(folderOf(file)).constData(), W_OK) == 0 && ::access(native(file).constData(), W_OK) == 0;
}

// A consistent copy of the database `source` into a scratch file beside
// `target`, proven readable before it is kept.
Result stageDatabase(const QString& source, const QString& target, StagedList& staged)
{
    if (Result r = checkRegular(source, false); !r) return r;
    if (Result r = checkRegular(target, true); !r) return r;
    if (!dao::IsSqliteFile(native(source).toStdString()))
        return Result { QStringLiteral("%1 is damaged or not a database, so it is not copied.").arg(source) };
    struct stat st { };
    if (::stat(native(source).constData(), &st) != 0) return failure(QStringLiteral("Cannot read"), source, errno);
    const bool readOnly = !mayWriteBeside(LinkedFile(source));
    try {
        // No writer changes the source from the first byte read to the last.
        std::unique_ptr<Fd> in;
        std::optional<dao::ReadHold> hold(std::in_place, native(source).toStdString(), readOnly);
        removeLeftovers(target);
        if (injected("create", target)) return failure(QStringLiteral("Cannot create a file beside"), target, EACCES);
        QByteArray name = scratchTemplate(target);
        Fd out(::mkostemp(name.data(), O_CLOEXEC));
        if (out.get() < 0) return failure(QStringLiteral("Cannot create a file beside"), target, errno);
        auto copy = std::make_unique<Staged>();
        copy->target = target;
        copy->scratch.path = name;
        const QString scratchPath = QFile::decodeName(name);
        ::fchmod(out.get(), st.st_mode & 07777);
        if (injected("write", target)) return failure(QStringLiteral("Cannot write"), scratchPath, ENOSPC);
        if (hold->WholeInFile()) {
            // The file's bytes under the read lock, copied in the kernel: the
            // quickest consistent copy. The descriptor is closed only once the
            // hold is released, since closing it drops the process's locks on
            // the file (the program holds no other connection to it meanwhile).
            in.reset(new Fd(::open(native(source).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)));
            if (in->get() < 0) return failure(QStringLiteral("Cannot open"), source, errno);
            errno = 0;
            if (!copyBytes(in->get(), out.get()))
                return failure(QStringLiteral("Cannot write"), scratchPath, errno ? errno : ENOSPC);
            // The copy is checked from memory while its bytes go to the disk.
            std::optional<dao::Error> unreadable;
            std::thread check([&unreadable, path = name.toStdString()] {
                try {
                    dao::CheckCopy(path);
                } catch (const dao::Error& e) {
                    unreadable = e;
                }
            });
            errno = 0;
            Result flushed = flushScratch(out, scratchPath, target);
            check.join();
            if (!flushed) return flushed;
            if (unreadable) throw *unreadable;
        } else {
            // Committed pages may lie in the write-ahead log: SQLite's backup
            // gathers them into a copy whole in its file.
            out.close();
            ::unlink(name.constData());
            dao::BackupDatabase(native(source).toStdString(), name.toStdString(), readOnly);
            ::chmod(name.constData(), st.st_mode & 07777);
            if (injected("sync", target)) return failure(QStringLiteral("Cannot write"), scratchPath, EIO);
            dao::CheckCopy(name.toStdString());
        }
        hold.reset();
        staged.push_back(std::move(copy));
    } catch (const dao::Error& e) {
        return Result { QString::fromStdString(e.Description()) };
    }
    return {};
}

// ------------------------------------------------------------ replacing a set
//
// A set is replaced whole or not at all. Each old file is kept under a
// scratch name (its copy's name with "-old") until every copy is in its
// place, and put back when one fails. Before the first rename a record of the
// set is written beside the first file; it goes after the last. A record
// found later belongs to a step that was killed between two renames: the
// next step on that set, or the next start, puts the earlier set back.

const char* const journalSuffixes[] = { "-journal", "-wal", "-shm" };

// One file of a set: its copy's scratch name, whether an old file is to be
// kept, and which file the copy is (so that only the copy is ever removed).
struct Placing {
    QByteArray target, scratch;
    bool replacesOne = false;
    dev_t device = 0;
    ino_t inode = 0;
    QByteArray keep() const { return scratch + "-old"; }
    // Where a journal or log of the old file waits, named by its suffix.
    QByteArray aside(const char* suffix) const { return scratch + "-old" + QByteArray(suffix + 1); }
};

bool present(const QByteArray& path)
{
    struct stat st { };
    return ::lstat(path.constData(), &st) == 0;
}

// Puts the earlier file (and what was moved aside with it) back in the
// place of `p`, and removes the copy; whatever point the step had reached.
void undoPlacing(const Placing& p)
{
    if (present(p.scratch)) {
        // Not yet in place: the old file still bears the name, or lies kept aside.
        ::unlink(p.scratch.constData());
        if (p.replacesOne && present(p.keep())) {
            if (SameFile(QFile::decodeName(p.target), QFile::decodeName(p.keep())))
                ::unlink(p.keep().constData());
            else
                ::rename(p.keep().constData(), p.target.constData());
        }
    } else if (p.replacesOne && present(p.keep())) {
        ::rename(p.keep().constData(), p.target.constData());
    } else if (!p.replacesOne) {
        struct stat st { };
        if (::stat(p.target.constData(), &st) == 0 && st.st_dev == p.device && st.st_ino == p.inode)
            ::unlink(p.target.constData());
    }
    for (const char* suffix : journalSuffixes) {
        const QByteArray aside = p.aside(suffix), original = p.target + suffix;
        if (!present(aside)) continue;
        if (present(original))
            ::unlink(aside.constData());
        else
            ::rename(aside.constData(), original.constData());
    }
}

QByteArray recordLine(const Placing& p)
{
    return p.target.toPercentEncoding() + ' ' + p.scratch.toPercentEncoding() + ' ' + (p.replacesOne ? "1" : "0") + ' '
        + QByteArray::number(quint64(p.device)) + ' ' + QByteArray::number(quint64(p.inode)) + '\n';
}

std::optional<Placing> parseLine(const QByteArray& line)
{
    const QList<QByteArray> f = line.trimmed().split(' ');
    if (f.size() != 5) return std::nullopt;
    Placing p;
    p.target = QByteArray::fromPercentEncoding(f[0]);
    p.scratch = QByteArray::fromPercentEncoding(f[1]);
    p.replacesOne = f[2] == "1";
    p.device = dev_t(f[3].toULongLong());
    p.inode = ino_t(f[4].toULongLong());
    if (p.target.isEmpty() || p.scratch.isEmpty()) return std::nullopt;
    // A record is only trusted to name our own scratch copy beside its
    // target: one that names anything else was not written by this step.
    const QString target = QFile::decodeName(p.target), scratch = QFile::decodeName(p.scratch);
    const QRegularExpression own(
        QStringLiteral("^\\.%1\\.[A-Za-z0-9]{6}$").arg(QRegularExpression::escape(QFileInfo(target).fileName())));
    if (folderOf(scratch) != folderOf(target) || !own.match(QFileInfo(scratch).fileName()).hasMatch())
        return std::nullopt;
    return p;
}

// Writes the record whole under a scratch name, then gives it its name.
Result writeRecord(const QByteArray& record, const std::vector<Placing>& set)
{
    QByteArray text;
    for (const Placing& p : set)
        text += recordLine(p);
    QByteArray name = record + ".XXXXXX";
    Fd out(::mkostemp(name.data(), O_CLOEXEC));
    if (out.get() < 0) return failure(QStringLiteral("Cannot create a file beside"), QFile::decodeName(record), errno);
    errno = 0;
    if (!writeAll(out.get(), text.constData(), std::size_t(text.size())) || ::fsync(out.get()) != 0 || !out.close()
        || ::rename(name.constData(), record.constData()) != 0) {
        const int error = errno ? errno : EIO;
        ::unlink(name.constData());
        return failure(QStringLiteral("Cannot write"), QFile::decodeName(record), error);
    }
    syncFolder(folderOf(QFile::decodeName(record)));
    return {};
}

void removeRecord(const QByteArray& record)
{
    ::unlink(record.constData());
    syncFolder(folderOf(QFile::decodeName(record)));
}

// The record of a set whose first file is `name`.
QByteArray recordOf(const QString& name)
{
    const QFileInfo info(name);
    return native(QDir(info.absolutePath()).filePath(QStringLiteral(".") + info.fileName() + QStringLiteral("-set")));
}

// A set a killed step left half replaced is put back as it was.
void finishInterruptedSet(const QByteArray& record)
{
    QFile f(QFile::decodeName(record));
    if (!f.open(QIODevice::ReadOnly)) return;
    std::vector<Placing> set;
    // A set has a few files; a record is never larger than this.
    for (const QByteArray& line : f.read(64 * 1024).split('\n'))
        if (std::optional<Placing> p = parseLine(line)) set.push_back(*p);
    f.close();
    for (auto it = set.rbegin(); it != set.rend(); ++it)
        undoPlacing(*it);
    for (const Placing& p : set)
        syncFolder(folderOf(QFile::decodeName(p.target)));
    removeRecord(record);
}

// The journals and logs beside `p`'s target moved off its name: SQLite
// would read them into the file that is to take the name.
Result setAside(const Placing& p)
{
    for (const char* suffix : journalSuffixes) {
        const QByteArray original = p.target + suffix;
        if (!present(original)) continue;
        if (::rename(original.constData(), p.aside(suffix).constData()) != 0)
            return failure(QStringLiteral("Cannot move aside"), QFile::decodeName(original), errno);
    }
    return {};
}

// The old file kept under its scratch name, then the copy renamed over it.
Result place(const Placing& p)
{
    errno = 0;
    if (p.replacesOne && ::link(p.target.constData(), p.keep().constData()) != 0) {
        // A file system without hard links: the old file moves to its scratch name.
        if (errno != EPERM && errno != EOPNOTSUPP && errno != EXDEV && errno != EMLINK)
            return failure(QStringLiteral("Cannot keep"), QFile::decodeName(p.target), errno);
        if (::rename(p.target.constData(), p.keep().constData()) != 0)
            return failure(QStringLiteral("Cannot keep"), QFile::decodeName(p.target), errno);
    }
    errno = 0;
    const QString target = QFile::decodeName(p.target);
    if (injected("rename", target) || ::rename(p.scratch.constData(), p.target.constData()) != 0)
        return failure(QStringLiteral("Cannot replace"), target, errno ? errno : EACCES);
    return {};
}

// Every staged copy renamed over its target, once each is whole. Every
// target is first held exclusively, so that no other program's transaction
// is lost under a copy and a journal it left is played back into the old
// file, not the new one. A failure to hold any target leaves every target
// as it was; so does a rename that fails, and a kill (see above).
Result putInPlace(StagedList& staged, const QByteArray& record)
{
    std::vector<std::unique_ptr<dao::FileHold>> holds;
    std::vector<Placing> set;
    std::vector<bool> unplayed;
    for (const auto& copy : staged) {
        Placing p;
        // Whole paths, for a start in whatever folder.
        p.target = native(QFileInfo(copy->target).absoluteFilePath());
        p.scratch = native(QFileInfo(QFile::decodeName(copy->scratch.path)).absoluteFilePath());
        struct stat st { };
        if (::stat(p.scratch.constData(), &st) != 0)
            return failure(QStringLiteral("Cannot read"), QFile::decodeName(p.scratch), errno);
        p.device = st.st_dev;
        p.inode = st.st_ino;
        p.replacesOne = present(p.target);
        // A journal beside a file SQLite cannot read, or beside none, was
        // never played back: it is the old file's, and goes with it.
        bool aside = !p.replacesOne;
        try {
            if (p.replacesOne) {
                holds.push_back(std::make_unique<dao::FileHold>(p.target.toStdString()));
                aside = holds.back()->Unreadable();
            }
        } catch (const dao::Error& e) {
            return Result { QString::fromStdString(e.Description()) };
        }
        set.push_back(p);
        unplayed.push_back(aside);
    }
    if (Result r = writeRecord(record, set); !r) return r;
    const auto undo = [&](std::size_t upTo) {
        for (std::size_t i = upTo + 1; i-- > 0;)
            undoPlacing(set[i]);
        removeRecord(record);
    };
    for (std::size_t i = 0; i < set.size(); ++i)
        if (unplayed[i])
            if (Result r = setAside(set[i]); !r) {
                undo(set.size() - 1);
                return r;
            }
    for (std::size_t i = 0; i < set.size(); ++i)
        if (Result r = place(set[i]); !r) {
            undo(set.size() - 1);
            return r;
        }
    for (std::size_t i = 0; i < set.size(); ++i) {
        staged[i]->scratch.keep = true;
        if (set[i].replacesOne) ::unlink(set[i].keep().constData());
        for (const char* suffix : journalSuffixes)
            ::unlink(set[i].aside(suffix).constData());
    }
    for (const Placing& p : set)
        syncFolder(folderOf(QFile::decodeName(p.target)));
    removeRecord(record);
    return {};
}

} // namespace

QString LinkedFile(const QString& path)
{
    return QFile::decodeName(QByteArray::fromStdString(dao::LinkedFile(native(path).toStdString())));
}

Result CopyFile(const QString& source, const QString& target)
{
    StagedList staged;
    if (Result r = stageBytes(source, LinkedFile(target), staged); !r) return r;
    if (Result r = renameOver(staged.front()->scratch, staged.front()->target); !r) return r;
    syncFolder(folderOf(staged.front()->target));
    return {};
}

Result CopyDatabases(const std::vector<std::pair<QString, QString>>& copies)
{
    if (copies.empty()) return {};
    // A set a killed step left half replaced, here or where it is copied from, is whole again first.
    for (const auto& [source, target] : copies)
        for (const QString& name : { source, target })
            if (const QByteArray record = recordOf(name); present(record)) finishInterruptedSet(record);
    for (const auto& [source, target] : copies)
        if (SameFile(source, target))
            return Result { QStringLiteral("%1 and its copy %2 are one file.").arg(source, target) };
    StagedList staged;
    for (const auto& [source, target] : copies)
        if (Result r = stageDatabase(source, LinkedFile(target), staged); !r) return r;
    return putInPlace(staged, recordOf(copies.front().second));
}

void FinishInterruptedSets(const QString& folder)
{
    const QDir dir(folder.isEmpty() ? QDir::currentPath() : folder);
    for (const QString& name : dir.entryList({ QStringLiteral(".*-set") }, QDir::Files | QDir::Hidden))
        finishInterruptedSet(native(dir.absoluteFilePath(name)));
}

Result CopyDatabase(const QString& source, const QString& target)
{
    return CopyDatabases({ { source, target } });
}

Result DeleteFile(const QString& path)
{
    errno = 0;
    if (injected("delete", path) || ::unlink(native(path).constData()) != 0)
        return failure(QStringLiteral("Cannot delete"), path, errno ? errno : EACCES);
    syncFolder(folderOf(path));
    return {};
}

Result RenameFile(const QString& from, const QString& to)
{
    errno = 0;
    if (injected("rename", to)) return failure(QStringLiteral("Cannot rename"), from, EACCES);
    // No replacing: the rename fails when the new name is taken.
    if (::renameat2(AT_FDCWD, native(from).constData(), AT_FDCWD, native(to).constData(), RENAME_NOREPLACE) != 0) {
        if (errno != EINVAL && errno != ENOSYS) return failure(QStringLiteral("Cannot rename"), from, errno);
        // A file system without that flag: a hard link fails on a taken name too.
        if (::link(native(from).constData(), native(to).constData()) != 0)
            return failure(QStringLiteral("Cannot rename"), from, errno);
        ::unlink(native(from).constData());
    }
    syncFolder(folderOf(to));
    return {};
}

Result ReplaceFile(const QString& scratch, const QString& target)
{
    const QString file = LinkedFile(target);
    if (file != target && !SameFile(folderOf(scratch), folderOf(file))) {
        // The scratch file lies beside the link, maybe on another disk: its
        // bytes are copied beside the file the link names, which they replace.
        if (Result r = CopyFile(scratch, file); !r) return r;
        ::unlink(native(scratch).constData());
        syncFolder(folderOf(scratch));
        return {};
    }
    errno = 0;
    {
        Fd fd(::open(native(scratch).constData(), O_RDONLY | O_CLOEXEC));
        if (fd.get() < 0) return failure(QStringLiteral("Cannot open"), scratch, errno);
        if (injected("sync", target) || ::fsync(fd.get()) != 0)
            return failure(QStringLiteral("Cannot write"), scratch, errno ? errno : EIO);
    }
    if (injected("rename", target) || ::rename(native(scratch).constData(), native(file).constData()) != 0)
        return failure(QStringLiteral("Cannot replace"), target, errno ? errno : EACCES);
    syncFolder(folderOf(file));
    return {};
}

ScratchFile::ScratchFile(const QString& target)
    : target_(LinkedFile(target))
{
    // A name no file bears: made and freed again, for a writer that must create it.
    QByteArray name = scratchTemplate(target);
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
        ::unlink(name.constData());
    }
    path_ = QFile::decodeName(name);
}

ScratchFile::~ScratchFile()
{
    if (!committed_) ::unlink(native(path_).constData());
}

Result ScratchFile::Commit()
{
    Result r = ReplaceFile(path_, target_);
    committed_ = r.ok();
    return r;
}

Result ReadRecord(const QString& path, int recordLength, int number, QByteArray& bytes)
{
    bytes.clear();
    if (injected("read", path)) return failure(QStringLiteral("Cannot read"), path, EIO);
    Fd fd(::open(native(path).constData(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) return failure(QStringLiteral("Cannot open"), path, errno);
    QByteArray buffer(recordLength, '\0');
    const off_t at = static_cast<off_t>(number - 1) * recordLength;
    std::size_t got = 0;
    while (got < static_cast<std::size_t>(buffer.size())) {
        const ssize_t n = ::pread(fd.get(), buffer.data() + got, buffer.size() - got, at + static_cast<off_t>(got));
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            return failure(QStringLiteral("Cannot read"), path, errno);
        }
        got += static_cast<std::size_t>(n);
    }
    buffer.truncate(static_cast<qsizetype>(got));
    bytes = buffer;
    return {};
}

Result WriteRecord(const QString& path, int recordLength, int number, const QByteArray& bytes)
{
    if (bytes.size() != recordLength)
        return Result { QStringLiteral("A record of %1 bytes is not %2 long").arg(bytes.size()).arg(recordLength) };
    errno = 0;
    if (injected("write", path)) return failure(QStringLiteral("Cannot write"), path, EACCES);
    if (Result r = checkRegular(path, true); !r) return r;
    // The old file, whole, is the start of the new one: a longer file keeps its tail.
    struct stat st { };
    const bool existed = ::stat(native(path).constData(), &st) == 0;
    Fd in(existed ? ::open(native(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC) : -1);
    if (existed && in.get() < 0) return failure(QStringLiteral("Cannot open"), path, errno);
    QByteArray name = scratchTemplate(path);
    Fd out(::mkostemp(name.data(), O_CLOEXEC));
    if (out.get() < 0) return failure(QStringLiteral("Cannot create a file beside"), path, errno);
    RemoveScratch scratch { name };
    const QString scratchPath = QFile::decodeName(name);
    if (existed) {
        ::fchmod(out.get(), st.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(out.get(), 0666 & ~mask);
    }
    if (existed && !copyBytes(in.get(), out.get()))
        return failure(QStringLiteral("Cannot write"), scratchPath, errno ? errno : ENOSPC);
    const off_t at = static_cast<off_t>(number - 1) * recordLength;
    std::size_t put = 0;
    while (put < static_cast<std::size_t>(bytes.size())) {
        const ssize_t n
            = ::pwrite(out.get(), bytes.constData() + put, bytes.size() - put, at + static_cast<off_t>(put));
        if (n < 0) {
            if (errno == EINTR) continue;
            return failure(QStringLiteral("Cannot write"), scratchPath, errno);
        }
        put += static_cast<std::size_t>(n);
    }
    if (Result r = flushScratch(out, scratchPath, path); !r) return r;
    if (Result r = renameOver(scratch, path); !r) return r;
    syncFolder(folderOf(path));
    return {};
}

namespace {

// Bytes 0x80 to 0x9F of code page 1252; 0 where the byte names no character.
constexpr char16_t cp1252High[32] = {
    0x20AC,
    0,
    0x201A,
    0x0192,
    0x201E,
    0x2026,
    0x2020,
    0x2021,
    0x02C6,
    0x2030,
    0x0160,
    0x2039,
    0x0152,
    0,
    0x017D,
    0,
    0,
    0x2018,
    0x2019,
    0x201C,
    0x201D,
    0x2022,
    0x2013,
    0x2014,
    0x02DC,
    0x2122,
    0x0161,
    0x203A,
    0x0153,
    0,
    0x017E,
    0x0178,
};

} // namespace

std::optional<QByteArray> ToCp1252(const QString& text)
{
    QByteArray out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out.append(static_cast<char>(u));
            continue;
        }
        int byte = -1;
        for (int i = 0; i < 32; ++i)
            if (cp1252High[i] != 0 && cp1252High[i] == u) byte = 0x80 + i;
        if (byte < 0) return std::nullopt;
        out.append(static_cast<char>(byte));
    }
    return out;
}

QString FromCp1252(const QByteArray& bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        // A byte that names no character reads as the control code of that number.
        out.append(b >= 0x80 && b < 0xA0 && cp1252High[b - 0x80] != 0 ? QChar(cp1252High[b - 0x80]) : QChar(b));
    }
    return out;
}

} // namespace tellora::files
