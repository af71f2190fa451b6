// The engine's whole-file operations: compacting a closed database into a
// new file and repairing one in place. Both write their result beside the
// source and leave the source whole when they fail.
#include "dao.h"
#include "engine_detail.h"
#include "sqlite_support.h"

#include <SQLiteCpp/SQLiteCpp.h>

#include <sqlite3.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace dao {

using namespace detail;
using detail::QuoteId;
using detail::RaiseEngineError;

namespace {

// Flushes a file's data to the disk, so that a rename that follows never
// publishes a name whose contents are still in the page cache.
bool syncPath(const std::string& path, bool directory)
{
    const int fd = ::open(path.c_str(), (directory ? O_DIRECTORY : 0) | O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

std::string folderOf(const std::string& name)
{
    const fs::path parent = fs::path(name).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

// Every connection of the whole-file operations, with the engine's settings.
std::unique_ptr<SQLite::Database> openFile(const std::string& name, int flags)
{
    auto c = detail::openConnection(name, flags);
    setConnectionPragmas(*c);
    return c;
}

bool lockRefused(int code)
{
    return (code & 0xFF) == SQLITE_BUSY || (code & 0xFF) == SQLITE_LOCKED;
}

sqlite3_file* fileOf(SQLite::Database& c)
{
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(c.getHandle(), "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file
        || !file->pMethods)
        return nullptr;
    return file;
}

// Another program (or connection) is writing the file: it holds the lock
// that comes before a commit. Asking takes no lock.
bool writerBusy(sqlite3_file* file)
{
    int reserved = 0;
    return file && file->pMethods->xCheckReservedLock(file, &reserved) == SQLITE_OK && reserved;
}

// Waits, holding no lock, until `attempt` takes what it wants or the busy
// timeout has passed. Each try that is refused lets go of every lock at
// once, so a writer that is under way can always commit meanwhile.
int waitForLock(sqlite3_file* file, const std::function<int()>& attempt)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(BusyTimeout());
    for (;;) {
        int rc = SQLITE_BUSY;
        if (!writerBusy(file)) rc = attempt();
        if (!lockRefused(rc)) return rc;
        const auto now = Clock::now();
        if (now >= deadline) return rc;
        std::this_thread::sleep_for(std::min<Clock::duration>(deadline - now, std::chrono::milliseconds(5)));
    }
}

// Takes the write lock in normal locking mode, then keeps it: in exclusive
// locking mode a lock once taken stays until the connection closes. Taking
// it also plays back a hot journal first.
void holdExclusively(SQLite::Database& c)
{
    sqlite3* h = c.getHandle();
    sqlite3_busy_timeout(h, 0);
    const int rc = waitForLock(fileOf(c), [h] {
        const int r = sqlite3_exec(h, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
        if (r != SQLITE_OK && !sqlite3_get_autocommit(h)) sqlite3_exec(h, "ROLLBACK", nullptr, nullptr, nullptr);
        return r;
    });
    sqlite3_busy_timeout(h, BusyTimeout());
    if (rc != SQLITE_OK) throw SQLite::Exception(h, rc);
    c.exec("PRAGMA locking_mode=EXCLUSIVE");
    c.exec("COMMIT");
}

bool regularFile(const std::string& name)
{
    struct stat st { };
    return ::stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// A connection that only locks, copies or replaces a file: it sets no
// pragma, since every pragma that reads the schema fails on a damaged file,
// and a damaged file must still be held to be replaced.
std::unique_ptr<SQLite::Database> openToLock(const std::string& name)
{
    return detail::openConnection(name, SQLite::OPEN_READWRITE);
}

// Takes the file's lock at `level` below SQLite's pager, as every SQLite
// program sees it, waiting out another program's lock for the busy timeout
// with no lock held meanwhile. Only for a file the pager cannot read: the
// lock holds without its header.
void lockBelowPager(SQLite::Database& c, int level, const std::string& name)
{
    sqlite3_file* file = fileOf(c);
    const int rc = !file ? SQLITE_CANTOPEN : waitForLock(file, [file, level] {
        for (int wanted = SQLITE_LOCK_SHARED; wanted <= level; ++wanted) {
            if (wanted == SQLITE_LOCK_PENDING) continue; // taken on the way to the exclusive lock
            if (const int r = file->pMethods->xLock(file, wanted); r != SQLITE_OK) {
                file->pMethods->xUnlock(file, SQLITE_LOCK_NONE);
                return r;
            }
        }
        return SQLITE_OK;
    });
    if (rc != SQLITE_OK) RaiseEngineError(SQLite::Exception(sqlite3_errstr(rc), rc), name);
}

bool logBeside(const std::string& name)
{
    struct stat st { };
    return ::lstat((name + "-wal").c_str(), &st) == 0;
}

} // namespace

std::string LinkedFile(std::string name)
{
    std::error_code ec;
    for (int hop = 0; hop < 40 && fs::is_symlink(fs::symlink_status(name, ec)); ++hop) {
        const fs::path next = fs::read_symlink(name, ec);
        if (ec) break;
        name = next.is_absolute() ? next.string() : (fs::path(folderOf(name)) / next).string();
    }
    return name;
}

void Database::HoldExclusively()
{
    try {
        holdExclusively(connection());
    } catch (const SQLite::Exception& e) {
        RaiseEngineError(e, name_);
    }
}

FileHold::FileHold(const std::string& name)
{
    try {
        // Exclusive locking mode from the first access, so that a file in
        // another program's write-ahead mode is held by its file lock too. A
        // refused try closes its connection, which lets go of every lock; a
        // second connection, which never locks, asks meanwhile whether a
        // writer is under way.
        const auto probe = openToLock(name);
        const int rc = waitForLock(fileOf(*probe), [&] {
            try {
                conn_ = openToLock(name);
                conn_->setBusyTimeout(0);
                conn_->exec("PRAGMA locking_mode=EXCLUSIVE");
                conn_->exec("BEGIN EXCLUSIVE");
                conn_->exec("COMMIT");
                conn_->setBusyTimeout(BusyTimeout());
                return SQLITE_OK;
            } catch (const SQLite::Exception& e) {
                conn_.reset();
                return e.getErrorCode();
            }
        });
        if (rc != SQLITE_OK) throw SQLite::Exception(sqlite3_errstr(rc), rc);
        // The log of another program's write-ahead mode is taken into this
        // file and removed, with its index (which a connection in exclusive
        // mode never uses), so neither is ever read into a file renamed here.
        if (logBeside(name)) {
            conn_->exec("PRAGMA journal_mode=DELETE");
            ::unlink((LinkedFile(name) + "-shm").c_str());
        }
        return;
    } catch (const SQLite::Exception& e) {
        conn_.reset();
        if (lockRefused(e.getErrorCode())) RaiseEngineError(e, name);
    }
    // SQLite cannot read the file (damaged, cut, not a database): held all the same.
    try {
        conn_ = openToLock(name);
    } catch (const SQLite::Exception& e) {
        RaiseEngineError(e, name);
    }
    lockBelowPager(*conn_, SQLITE_LOCK_EXCLUSIVE, name);
    unreadable_ = true;
}

FileHold::~FileHold() = default;

namespace {

// A journal beside the file that SQLite did not play back: the file's bytes
// are then torn, part of an unfinished transaction.
bool unplayedJournal(const std::string& name)
{
    struct stat st { };
    return ::stat((LinkedFile(name) + "-journal").c_str(), &st) == 0 && st.st_size > 0;
}

} // namespace

ReadHold::ReadHold(const std::string& name, bool readOnly)
{
    if (!regularFile(name)) throw Error(errFileNotFound, "Couldn't find file '" + name + "'.", name);
    const int flags = readOnly ? SQLite::OPEN_READONLY : SQLite::OPEN_READWRITE;
    try {
        // Read and write where it can, so that a journal left by a killed
        // writer can be played back. The header's schema version takes the
        // read lock without reading the schema.
        conn_ = detail::openConnection(name, flags);
        conn_->exec("BEGIN");
        conn_->exec("PRAGMA schema_version");
        wholeInFile_ = !logBeside(name);
        return;
    } catch (const SQLite::Exception& e) {
        conn_.reset();
        if (lockRefused(e.getErrorCode())) RaiseEngineError(e, name);
    }
    if (unplayedJournal(name))
        throw Error(errDiskIO,
            "The journal beside '" + name + "' cannot be played back here, so its readings are not whole.", name);
    // A file SQLite cannot read is copied as its bytes, under the read lock.
    try {
        conn_ = detail::openConnection(name, flags);
    } catch (const SQLite::Exception& e) {
        RaiseEngineError(e, name);
    }
    lockBelowPager(*conn_, SQLITE_LOCK_SHARED, name);
    wholeInFile_ = true;
    belowPager_ = true;
}

ReadHold::~ReadHold()
{
    if (conn_ && !belowPager_) conn_->tryExec("COMMIT");
}

void CheckCopy(const std::string& name)
{
    const std::string unreadable = "The copy of the database is damaged or not a database, so it replaces nothing.";
    struct stat st { };
    if (::stat(name.c_str(), &st) != 0 || st.st_size < 512 || !hasSqliteHeader(name))
        throw Error(errDamaged, unreadable, name);
    try {
        SQLite::Database c(name, SQLite::OPEN_READONLY);
        // Read through a mapping: no page is copied.
        c.exec("PRAGMA mmap_size=" + std::to_string(std::int64_t(1) << 40));
        SQLite::Statement check(c, "PRAGMA quick_check(1)");
        if (check.executeStep() && check.getColumn(0).getString() == "ok") return;
    } catch (const SQLite::Exception&) {
    }
    throw Error(errDamaged, unreadable, name);
}

bool IsSqliteFile(const std::string& name)
{
    return regularFile(name) && hasSqliteHeader(name);
}

void BackupDatabase(const std::string& source, const std::string& target, bool readOnly)
{
    if (!regularFile(source)) throw Error(errFileNotFound, "Couldn't find file '" + source + "'.", source);
    std::error_code ec;
    if (fs::exists(fs::symlink_status(target, ec)))
        throw Error(errDatabaseExists, "The database '" + target + "' already exists.", target);
    std::unique_ptr<SQLite::Database> in, out;
    try {
        // Read and write where it can, so that a journal left by a killed
        // writer can be played back; its journal mode left as it is, since
        // the caller's read hold would keep a switch out.
        in = detail::openConnection(source, readOnly ? SQLite::OPEN_READONLY : SQLite::OPEN_READWRITE);
    } catch (const SQLite::Exception& e) {
        RaiseEngineError(e, source);
    }
    try {
        out = openFile(target, SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
    } catch (const SQLite::Exception& e) {
        RemoveFile(target);
        RaiseEngineError(e, target);
    }
    sqlite3_backup* b = sqlite3_backup_init(out->getHandle(), "main", in->getHandle(), "main");
    int rc = b ? SQLITE_OK : sqlite3_errcode(out->getHandle());
    if (b) {
        // All pages in one step: the source stays read-locked from the first page to the last.
        do
            rc = sqlite3_backup_step(b, -1);
        while (rc == SQLITE_OK);
        // The source's error, or the target's: finish reports the target's.
        const int finished = sqlite3_backup_finish(b);
        if (rc == SQLITE_DONE) rc = finished;
    }
    if (rc != SQLITE_OK && rc != SQLITE_DONE) {
        const bool sourceFault = (rc & 0xFF) == SQLITE_BUSY || (rc & 0xFF) == SQLITE_LOCKED
            || (rc & 0xFF) == SQLITE_CORRUPT || (rc & 0xFF) == SQLITE_NOTADB;
        const SQLite::Exception e(sqlite3_errstr(rc), rc);
        const int reason = sqlite3_system_errno(out->getHandle());
        out.reset();
        in.reset();
        RemoveFile(target);
        if (sourceFault) RaiseEngineError(e, source);
        if ((rc & 0xFF) == SQLITE_FULL || reason == ENOSPC || reason == EDQUOT || reason == EFBIG)
            throw Error(errDiskFull, "The disk is full, so '" + target + "' could not be written.", target);
        RaiseEngineError(e, target);
    }
    try {
        // A source in write-ahead mode gives its mark to the copy: the copy,
        // whole in its file, is put back in the rollback journal.
        out->exec("PRAGMA journal_mode=DELETE");
    } catch (const SQLite::Exception& e) {
        out.reset();
        in.reset();
        RemoveFile(target);
        RaiseEngineError(e, target);
    }
    out.reset();
    in.reset();
    if (!syncPath(target, false)) {
        RemoveFile(target);
        throw Error(errDiskIO, "The copy '" + target + "' could not be written to the disk.", target);
    }
}

void Workspace::CompactDatabase(const std::string& source, const std::string& target, const std::string& locale,
    const std::function<void()>& whileHeld)
{
    std::error_code ec;
    if (target.empty()) throw Error(errInvalidArgument, "Compaction needs a target file name.");
    if (fs::exists(target, ec)) throw Error(errDatabaseExists, "The database '" + target + "' already exists.", target);
    // Validates the source as one of our databases; held until the copy has taken its place.
    auto db = OpenDatabase(source);
    db->HoldExclusively();
    try {
        SQLite::Statement v(db->connection(), "VACUUM INTO ?");
        v.bind(1, target);
        v.exec();
    } catch (const SQLite::Exception& e) {
        db->Close();
        RemoveFile(target);
        RaiseEngineError(e, source);
    }
    try {
        auto out = openFile(target, SQLite::OPEN_READWRITE);
        out->exec("PRAGMA application_id=" + std::to_string(kApplicationId));
        if (!locale.empty()) {
            SQLite::Statement up(*out, std::string("UPDATE ") + kSystemTable + " SET Value=? WHERE Kind='locale'");
            up.bind(1, locale);
            up.exec();
        }
    } catch (const SQLite::Exception& e) {
        db->Close();
        RemoveFile(target);
        RaiseEngineError(e, target);
    }
    if (!syncPath(target, false)) {
        db->Close();
        RemoveFile(target);
        throw Error(errDiskIO, "The compacted copy '" + target + "' could not be written to the disk.", target);
    }
    if (whileHeld) whileHeld();
    db->Close();
}

namespace {

struct SchemaItem {
    std::string type, name, sql;
};

// Only an existing file that starts as SQLite's can be repaired.
void requireRepairableFile(const std::string& name)
{
    std::error_code ec;
    if (name.empty() || !fs::is_regular_file(name, ec))
        throw Error(errFileNotFound, "Couldn't find file '" + name + "'.", name);
    if (!hasSqliteHeader(name))
        throw Error(errRepairFailed, "'" + name + "' is not a database of this program and cannot be repaired.", name);
}

// The mark sits in the file's header, readable however damaged the
// pages behind it are: another program's file is never rewritten.
void requireOwnMark(SQLite::Database& old, const std::string& name)
{
    SQLite::Statement appId(old, "PRAGMA application_id");
    appId.executeStep();
    if (appId.getColumn(0).getInt() != kApplicationId)
        throw Error(errRepairFailed, "'" + name + "' is not a database of this program and cannot be repaired.", name);
}

bool passesIntegrityCheck(SQLite::Database& c)
{
    SQLite::Statement check(c, "PRAGMA integrity_check");
    return check.executeStep() && check.getColumn(0).getString() == "ok";
}

// Tables first, each in the order it was made, then what stands on them.
std::vector<SchemaItem> readSchema(SQLite::Database& old)
{
    std::vector<SchemaItem> schema;
    SQLite::Statement s(old,
        "SELECT type, name, sql FROM sqlite_master WHERE sql IS NOT NULL "
        "ORDER BY CASE type WHEN 'table' THEN 0 ELSE 1 END, rowid");
    while (s.executeStep())
        schema.push_back({ s.getColumn(0).getString(), s.getColumn(1).getString(), s.getColumn(2).getString() });
    return schema;
}

// Makes the table in the new file and copies every row of it that can
// still be read, in its old order.
void copyTable(SQLite::Database& old, SQLite::Database& out, const SchemaItem& item)
{
    out.exec(item.sql);
    std::vector<std::string> cols;
    {
        SQLite::Statement info(out, "SELECT name FROM pragma_table_info(?) ORDER BY cid");
        info.bind(1, item.name);
        while (info.executeStep())
            cols.push_back(info.getColumn(0).getString());
    }
    std::string names = "rowid", marks = "?";
    for (const auto& c : cols) {
        // Appended, not prefixed onto the quoted name's temporary: GCC 12
        // at -O3 takes the prefixing for an overlapping copy (-Wrestrict).
        names += ',';
        names += QuoteId(c);
        marks += ",?";
    }
    SQLite::Statement ins(out, "INSERT INTO " + QuoteId(item.name) + " (" + names + ") VALUES (" + marks + ")");
    std::unique_ptr<SQLite::Statement> rd;
    try {
        rd = std::make_unique<SQLite::Statement>(
            old, "SELECT " + names + " FROM " + QuoteId(item.name) + " ORDER BY rowid");
    } catch (const SQLite::Exception&) {
        return; // nothing of this table can be read
    }
    for (;;) {
        // A read that fails ends this table, keeping what was read;
        // a write that fails fails the repair.
        bool more = false;
        try {
            more = rd->executeStep();
        } catch (const SQLite::Exception&) {
            break;
        }
        if (!more) break;
        for (int i = 0; i <= int(cols.size()); ++i) {
            auto col = rd->getColumn(i);
            if (col.isNull())
                ins.bind(i + 1);
            else if (i == 0)
                ins.bind(1, col.getInt64());
            else
                ins.bind(i + 1, col.getString());
        }
        ins.exec();
        ins.reset();
    }
}

// Every row that can still be read, then the indexes anew, in one
// transaction; the new file must pass the check it is made to pass.
void rebuildInto(
    SQLite::Database& old, SQLite::Database& out, const std::vector<SchemaItem>& schema, const std::string& name)
{
    out.exec("PRAGMA application_id=" + std::to_string(kApplicationId));
    SQLite::Transaction tx(out);
    for (const auto& item : schema)
        if (item.type == "table") copyTable(old, out, item);
    for (const auto& item : schema)
        if (item.type == "index") out.exec(item.sql);
    tx.commit();
    if (!passesIntegrityCheck(out))
        throw Error(errRepairFailed, "The database '" + name + "' cannot be repaired.", name);
}

// The repaired copy on the disk, then one atomic step: the name holds
// either the old file or the repaired one.
void replaceWithRepaired(const std::string& fresh, const std::string& name)
{
    if (!syncPath(fresh, false)) {
        RemoveFile(fresh);
        throw Error(errRepairFailed, "The repaired copy of '" + name + "' could not be written to the disk.", name);
    }
    std::error_code ec;
    fs::rename(fresh, name, ec);
    if (ec) {
        RemoveFile(fresh);
        throw Error(errRepairFailed, "The repaired database could not replace '" + name + "': " + ec.message(), name);
    }
}

} // namespace

bool Workspace::RepairDatabase(const std::string& name)
{
    requireRepairableFile(name);
    std::vector<SchemaItem> schema;
    // Held from the check to the rename, so no other program's transaction
    // is lost under the rebuilt file.
    std::unique_ptr<SQLite::Database> old;
    try {
        old = openFile(name, SQLite::OPEN_READWRITE);
        holdExclusively(*old);
        requireOwnMark(*old, name);
        if (passesIntegrityCheck(*old)) return false;
        schema = readSchema(*old);
    } catch (const SQLite::Exception& e) {
        if ((e.getErrorCode() & 0xFF) == SQLITE_BUSY || (e.getErrorCode() & 0xFF) == SQLITE_LOCKED)
            RaiseEngineError(e, name);
        throw Error(errRepairFailed, "The database '" + name + "' cannot be repaired: " + e.what(), name);
    }
    if (schema.empty())
        throw Error(errRepairFailed, "The database '" + name + "' cannot be repaired: its table list is lost.", name);

    // Rebuild beside the damaged file; the old file is replaced only when
    // the new one is whole.
    // A link stays a link: the file it names is rebuilt beside that file.
    const std::string file = LinkedFile(name);
    const std::string fresh = file + ".repair";
    RemoveFile(fresh);
    std::unique_ptr<SQLite::Database> out;
    try {
        out = openFile(fresh, SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        rebuildInto(*old, *out, schema, name);
    } catch (const SQLite::Exception& e) {
        const int reason = out ? sqlite3_system_errno(out->getHandle()) : errno;
        out.reset();
        RemoveFile(fresh);
        if ((e.getErrorCode() & 0xFF) == SQLITE_FULL || reason == ENOSPC || reason == EDQUOT || reason == EFBIG)
            throw Error(
                errDiskFull, "The disk is full, so the repaired copy of '" + name + "' could not be written.", name);
        throw Error(errRepairFailed, "The database '" + name + "' cannot be repaired: " + e.what(), name);
    } catch (const Error&) {
        out.reset();
        RemoveFile(fresh);
        throw;
    }
    out.reset();
    replaceWithRepaired(fresh, file);
    old.reset();
    syncPath(folderOf(file), true);
    return true;
}

} // namespace dao
