#include "dao.h"

#include "engine_detail.h"
#include "sqlite_support.h"

#include <SQLiteCpp/SQLiteCpp.h>
#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace dao {

using detail::hasSqliteHeader;
using detail::kApplicationId;
using detail::kSystemTable;
using detail::RaiseEngineError;
using detail::SameName;
using detail::setConnectionPragmas;

namespace {

std::function<void(const char*)>& creationHook()
{
    static std::function<void(const char*)> hook;
    return hook;
}

void creationStep(const char* step)
{
    if (creationHook()) creationHook()(step);
}

// The operating system's reason for the last failure of a creation.
thread_local int lastCreationErrno = 0;

// Anything at all under the name, a dangling link included.
bool nameTaken(const std::string& name)
{
    std::error_code ec;
    return fs::exists(fs::symlink_status(name, ec));
}

std::string folderOf(const std::string& name)
{
    const auto parent = fs::path(name).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

// Makes a rename in the folder durable.
void syncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Moves `from` to `to` unless something has the name `to`; 0 or errno.
int placeWithoutReplacing(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // A file system without it: a hard link cannot replace either.
    if (::link(from.c_str(), to.c_str()) != 0) return errno;
    ::unlink(from.c_str());
    return 0;
}

std::string replaceAll(std::string s, const std::string& from, const std::string& to)
{
    for (size_t at = s.find(from); !from.empty() && at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
    return s;
}

} // namespace

void SetCreationHook(std::function<void(const char* step)> hook)
{
    creationHook() = std::move(hook);
}

bool detail::hasSqliteHeader(const std::string& name)
{
    // Read through SQLite's own descriptor of the file: closing one of our
    // own would drop every lock this process holds on it (a walk's read lock
    // among them), where SQLite keeps its descriptor until those locks go.
    // The open reads nothing, so it takes no lock and plays back no journal.
    sqlite3* raw = nullptr;
    const int opened = sqlite3_open_v2(name.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
    const std::unique_ptr<sqlite3, int (*)(sqlite3*)> c(raw, sqlite3_close_v2);
    if (opened != SQLITE_OK) return false;
    sqlite3_file* f = nullptr;
    if (sqlite3_file_control(raw, "main", SQLITE_FCNTL_FILE_POINTER, &f) != SQLITE_OK || !f || !f->pMethods)
        return false;
    char head[16] = {};
    return f->pMethods->xRead(f, head, sizeof head, 0) == SQLITE_OK
        && std::memcmp(head, "SQLite format 3\0", sizeof head) == 0;
}

namespace {
std::atomic<int> busyTimeoutMs { DefaultBusyTimeoutMs };

bool lockRefused(const SQLite::Exception& e)
{
    const int code = e.getErrorCode() & 0xFF;
    return code == SQLITE_BUSY || code == SQLITE_LOCKED;
}

// SQLite takes the exclusive lock that leaving WAL mode needs without
// calling the busy handler, so a program that holds the file open in WAL
// mode for a moment would fail the opening at once: the switch is tried
// again until the busy timeout has passed, as the handler waits elsewhere.
class SwitchRetry {
public:
    // False once the busy timeout has passed; else waits a little (1 ms,
    // doubling up to 25 ms) for the next try.
    bool Wait()
    {
        const auto now = Clock::now();
        if (now >= deadline_) return false;
        std::this_thread::sleep_for(std::min<Clock::duration>(pause_, deadline_ - now));
        pause_ = std::min(pause_ * 2, std::chrono::milliseconds(25));
        return true;
    }

private:
    using Clock = std::chrono::steady_clock;
    Clock::time_point deadline_ = Clock::now() + std::chrono::milliseconds(busyTimeoutMs.load());
    std::chrono::milliseconds pause_ { 1 };
};

void useRollbackJournal(SQLite::Database& c)
{
    SwitchRetry retry;
    for (;;) {
        try {
            c.exec("PRAGMA journal_mode=DELETE");
            return;
        } catch (const SQLite::Exception& e) {
            if (!lockRefused(e) || !retry.Wait()) throw;
        }
    }
}
} // namespace

void SetBusyTimeout(int milliseconds)
{
    busyTimeoutMs = std::max(0, milliseconds);
}
int BusyTimeout()
{
    return busyTimeoutMs;
}

std::unique_ptr<SQLite::Database> detail::openConnection(const std::string& name, int flags)
{
    return std::make_unique<SQLite::Database>(name, flags, busyTimeoutMs.load());
}

void detail::setConnectionPragmas(SQLite::Database& c)
{
    c.setBusyTimeout(busyTimeoutMs);
    // One complete file after every commit, durable at each commit.
    useRollbackJournal(c);
    c.exec("PRAGMA synchronous=FULL");
}

// ---------------------------------------------------------------- TableDef

const Field* TableDef::FindField(const std::string& name) const
{
    for (const auto& f : Fields)
        if (SameName(f.Name, name)) return &f;
    return nullptr;
}

const Index* TableDef::FindIndex(const std::string& name) const
{
    for (const auto& i : Indexes)
        if (SameName(i.Name, name)) return &i;
    return nullptr;
}

// ---------------------------------------------------------------- files

bool FileExists(const std::string& name)
{
    std::error_code ec;
    return fs::is_regular_file(name, ec);
}

void RemoveFile(const std::string& name)
{
    std::error_code ec;
    fs::remove(name, ec);
    fs::remove(name + "-journal", ec);
}

Workspace& DefaultWorkspace()
{
    static Workspace ws;
    return ws;
}

// ---------------------------------------------------------------- Workspace

std::unique_ptr<Database> Workspace::CreateDatabase(const std::string& name, const std::string& locale, int option)
{
    if (name.empty()) throw Error(errInvalidArgument, "A database needs a file name.");
    // A link under the name is taken too: creating through it would write
    // wherever it points.
    if (nameTaken(name)) throw Error(errDatabaseExists, "The database '" + name + "' already exists.", name);
    std::unique_ptr<SQLite::Database> conn;
    lastCreationErrno = 0;
    try {
        conn = detail::openConnection(name, SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        setConnectionPragmas(*conn);
        SQLite::Transaction tx(*conn);
        conn->exec("PRAGMA application_id=" + std::to_string(kApplicationId));
        conn->exec(std::string("CREATE TABLE ") + kSystemTable
            + " (Kind TEXT NOT NULL, Name TEXT COLLATE NOCASE, Tbl TEXT COLLATE NOCASE, Value TEXT)");
        SQLite::Statement ins(*conn, std::string("INSERT INTO ") + kSystemTable + " VALUES (?, '', '', ?)");
        ins.bind(1, "locale");
        ins.bind(2, locale);
        ins.exec();
        ins.reset();
        ins.bind(1, "version");
        ins.bind(2, std::to_string(option));
        ins.exec();
        tx.commit();
    } catch (const SQLite::Exception& e) {
        lastCreationErrno = conn ? sqlite3_system_errno(conn->getHandle()) : errno;
        conn.reset();
        RemoveFile(name);
        RaiseEngineError(e, name);
    }
    auto db = std::unique_ptr<Database>(new Database(*this, name, std::move(conn)));
    attach(db.get());
    return db;
}

void Workspace::BuildDatabase(
    const std::string& name, const std::string& locale, int option, const std::function<void(Database&)>& build)
{
    if (name.empty()) throw Error(errInvalidArgument, "A database needs a file name.");
    if (nameTaken(name)) throw Error(errDatabaseExists, "The database '" + name + "' already exists.");
    const std::string work = name + ".creating";
    std::error_code ec;
    if (fs::is_directory(fs::symlink_status(work, ec)))
        throw Error(errDiskIO, "'" + work + "' is a folder, so '" + name + "' cannot be created.");
    // What a stopped creation left under the working name (a link is removed
    // as a link, never followed).
    RemoveFile(work);

    std::unique_ptr<Database> db;
    try {
        db = CreateDatabase(work, locale, option);
        creationStep("working file");
        build(*db);
        creationStep("built");
        db->Close();
        creationStep("closed");
    } catch (const Error& e) {
        int reason = lastCreationErrno;
        if (db && db->IsOpen()) reason = sqlite3_system_errno(db->connection().getHandle());
        db.reset();
        RemoveFile(work);
        const std::string folder = folderOf(name);
        if (e.Number() == errDiskFull || reason == ENOSPC || reason == EDQUOT || reason == EFBIG)
            throw Error(errDiskFull, "There is no room on the disk for '" + name + "'.");
        if (reason == EROFS || reason == EACCES || reason == EPERM || ::access(folder.c_str(), W_OK) != 0)
            throw Error(errDiskIO,
                "The folder for '" + name + "' cannot be written to: it is read-only, or you may not write there.");
        throw Error(e.Number(), replaceAll(e.Description(), work, name));
    }
    if (const int err = placeWithoutReplacing(work, name)) {
        RemoveFile(work);
        if (err == EEXIST) throw Error(errDatabaseExists, "The database '" + name + "' already exists.");
        throw Error(errDiskIO, "'" + name + "' could not be put in place: " + std::string(std::strerror(err)) + ".");
    }
    syncFolder(folderOf(name));
    creationStep("placed");
}

std::unique_ptr<Database> Workspace::OpenDatabase(const std::string& name)
{
    std::error_code ec;
    if (name.empty() || !fs::is_regular_file(name, ec))
        throw Error(errFileNotFound, "Couldn't find file '" + name + "'.", name);
    if (!hasSqliteHeader(name)) throw Error(errNotADatabase, "'" + name + "' is not a database of this program.", name);
    std::unique_ptr<SQLite::Database> conn;
    SwitchRetry retry;
    for (;;) {
        bool switching = false;
        try {
            conn = detail::openConnection(name, SQLite::OPEN_READWRITE);
            {
                // Probe the schema now, so a damaged or foreign file fails at
                // open. The probes end before the journal mode is set: a read
                // still under way would keep the file in another program's WAL
                // mode.
                SQLite::Statement appId(*conn, "PRAGMA application_id");
                appId.executeStep();
                const int id = appId.getColumn(0).getInt();
                SQLite::Statement sys(*conn, "SELECT count(*) FROM sqlite_master WHERE type='table' AND name=?");
                sys.bind(1, kSystemTable);
                sys.executeStep();
                if (id != kApplicationId || sys.getColumn(0).getInt() != 1)
                    throw Error(errNotADatabase, "'" + name + "' is not a database of this program.", name);
                SQLite::Statement meta(*conn, std::string("SELECT count(*) FROM ") + kSystemTable);
                meta.executeStep();
            }
            conn->setBusyTimeout(busyTimeoutMs);
            switching = true;
            conn->exec("PRAGMA journal_mode=DELETE");
            switching = false;
            conn->exec("PRAGMA synchronous=FULL");
            break;
        } catch (const SQLite::Exception& e) {
            // Closed between tries: a connection open in WAL mode keeps a lock
            // on the file that stops the other program from leaving that mode
            // itself, and the two would keep each other out.
            conn.reset();
            if (!switching || !lockRefused(e) || !retry.Wait()) RaiseEngineError(e, name);
        }
    }
    auto db = std::unique_ptr<Database>(new Database(*this, name, std::move(conn)));
    attach(db.get());
    return db;
}

void Workspace::attach(Database* db)
{
    open_.push_back(db);
    for (int d = 1; d <= txDepth_; ++d)
        db->beginSavepoint(d);
}

void Workspace::detach(Database* db)
{
    open_.erase(std::remove(open_.begin(), open_.end(), db), open_.end());
}

void Workspace::BeginTrans()
{
    ++txDepth_;
    for (auto* db : open_)
        db->beginSavepoint(txDepth_);
}

void Workspace::CommitTrans()
{
    if (txDepth_ == 0) throw Error(errTransaction, "CommitTrans without BeginTrans.");
    std::optional<Error> failure;
    for (auto* db : open_) {
        try {
            db->endSavepoint(txDepth_, true);
        } catch (const Error& e) {
            if (!failure) failure = e;
        }
    }
    --txDepth_;
    if (failure) throw *failure;
}

void Workspace::Rollback()
{
    if (txDepth_ == 0) throw Error(errTransaction, "Rollback without BeginTrans.");
    for (auto* db : open_) {
        try {
            db->endSavepoint(txDepth_, false);
        } catch (const Error&) {
            // A failed rollback leaves SQLite to undo the work at close.
        }
    }
    --txDepth_;
}

} // namespace dao
