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
#include <fstream>
#include <map>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace dao {

using detail::Guarded;
using detail::QuoteId;
using detail::RaiseEngineError;
using detail::SameName;

using detail::hasSqliteHeader;
using detail::kApplicationId;
using detail::kSystemTable;
using detail::setConnectionPragmas;

namespace {

    std::string lower(std::string s)
    {
        std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        return s;
    }

    // Characters, not bytes: field sizes count characters.
    size_t charCount(const std::string& s)
    {
        size_t n = 0;
        for (unsigned char c : s)
            if ((c & 0xC0) != 0x80)
                ++n;
        return n;
    }

    int sizeFromType(const std::string& declared)
    {
        auto open = declared.find('(');
        if (open == std::string::npos)
            return 0;
        try {
            return std::stoi(declared.substr(open + 1));
        } catch (...) {
            return 0;
        }
    }

    std::function<void(const char*)>& creationHook()
    {
        static std::function<void(const char*)> hook;
        return hook;
    }

    void creationStep(const char* step)
    {
        if (creationHook())
            creationHook()(step);
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
        if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
            return 0;
        if (errno != EINVAL && errno != ENOSYS)
            return errno;
        // A file system without it: a hard link cannot replace either.
        if (::link(from.c_str(), to.c_str()) != 0)
            return errno;
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

void SetCreationHook(std::function<void(const char* step)> hook) { creationHook() = std::move(hook); }

bool detail::hasSqliteHeader(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    char head[16] = {};
    in.read(head, sizeof head);
    return in.gcount() == 16 && std::string(head, 16) == std::string("SQLite format 3\0", 16);
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
    void useRollbackJournal(SQLite::Database& c)
    {
        using Clock = std::chrono::steady_clock;
        const auto deadline = Clock::now() + std::chrono::milliseconds(busyTimeoutMs.load());
        auto pause = std::chrono::milliseconds(1);
        for (;;) {
            try {
                c.exec("PRAGMA journal_mode=DELETE");
                return;
            } catch (const SQLite::Exception& e) {
                const auto now = Clock::now();
                if (!lockRefused(e) || now >= deadline)
                    throw;
                std::this_thread::sleep_for(std::min<Clock::duration>(pause, deadline - now));
                pause = std::min(pause * 2, std::chrono::milliseconds(25));
            }
        }
    }
} // namespace

void SetBusyTimeout(int milliseconds) { busyTimeoutMs = std::max(0, milliseconds); }
int BusyTimeout() { return busyTimeoutMs; }

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
        if (SameName(f.Name, name))
            return &f;
    return nullptr;
}

const Index* TableDef::FindIndex(const std::string& name) const
{
    for (const auto& i : Indexes)
        if (SameName(i.Name, name))
            return &i;
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
    if (name.empty())
        throw Error(errInvalidArgument, "A database needs a file name.");
    // A link under the name is taken too: creating through it would write
    // wherever it points.
    if (nameTaken(name))
        throw Error(errDatabaseExists, "The database '" + name + "' already exists.", name);
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
    if (name.empty())
        throw Error(errInvalidArgument, "A database needs a file name.");
    if (nameTaken(name))
        throw Error(errDatabaseExists, "The database '" + name + "' already exists.");
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
        if (db && db->IsOpen())
            reason = sqlite3_system_errno(db->connection().getHandle());
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
        if (err == EEXIST)
            throw Error(errDatabaseExists, "The database '" + name + "' already exists.");
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
    if (!hasSqliteHeader(name))
        throw Error(errNotADatabase, "'" + name + "' is not a database of this program.", name);
    std::unique_ptr<SQLite::Database> conn;
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
        setConnectionPragmas(*conn);
    } catch (const SQLite::Exception& e) {
        conn.reset();
        RaiseEngineError(e, name);
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

void Workspace::detach(Database* db) { open_.erase(std::remove(open_.begin(), open_.end(), db), open_.end()); }

void Workspace::BeginTrans()
{
    ++txDepth_;
    for (auto* db : open_)
        db->beginSavepoint(txDepth_);
}

void Workspace::CommitTrans()
{
    if (txDepth_ == 0)
        throw Error(errTransaction, "CommitTrans without BeginTrans.");
    std::optional<Error> failure;
    for (auto* db : open_) {
        try {
            db->endSavepoint(txDepth_, true);
        } catch (const Error& e) {
            if (!failure)
                failure = e;
        }
    }
    --txDepth_;
    if (failure)
        throw *failure;
}

void Workspace::Rollback()
{
    if (txDepth_ == 0)
        throw Error(errTransaction, "Rollback without BeginTrans.");
    for (auto* db : open_) {
        try {
            db->endSavepoint(txDepth_, false);
        } catch (const Error&) {
            // A failed rollback leaves SQLite to undo the work at close.
        }
    }
    --txDepth_;
}

// ---------------------------------------------------------------- Database

Database::Database(Workspace& ws, std::string name, std::unique_ptr<SQLite::Database> conn)
    : ws_(&ws)
    , name_(std::move(name))
    , conn_(std::move(conn))
{
}

Database::~Database() { Close(); }

long Database::DeleteBelow(const std::string& table, const std::string& field, const std::string& limit)
{
    const TableDef def = GetTableDef(table);
    const Field* f = def.FindField(field);
    if (!f)
        throw Error(errItemNotFound, "The table '" + def.Name + "' has no field '" + field + "'.", name_);
    return detail::Guarded(name_, [&] {
        // The column's own collation, so an index on it serves the range.
        SQLite::Statement st(connection(), "DELETE FROM " + QuoteId(def.Name) + " WHERE " + QuoteId(f->Name) + " < ?");
        st.bind(1, limit);
        st.exec();
        return long(connection().getChanges());
    });
}

SQLite::Database& Database::connection()
{
    if (!conn_)
        throw Error(errIllegalOperation, "The database '" + name_ + "' is closed.", name_);
    return *conn_;
}

void Database::Close()
{
    if (!conn_)
        return;
    // Closing with a pending transaction gives its work up, as a rollback.
    if (txDepth_ > 0) {
        conn_->tryExec("ROLLBACK");
        txDepth_ = 0;
    }
    for (auto* rs : recordsets_)
        rs->release();
    recordsets_.clear();
    ws_->detach(this);
    conn_.reset();
}

std::string Database::Locale() const
{
    return Guarded(name_, [&] {
        SQLite::Statement s(*conn_, std::string("SELECT Value FROM ") + kSystemTable + " WHERE Kind='locale'");
        return s.executeStep() ? s.getColumn(0).getString() : std::string();
    });
}

int Database::Version() const
{
    return Guarded(name_, [&] {
        SQLite::Statement s(*conn_, std::string("SELECT Value FROM ") + kSystemTable + " WHERE Kind='version'");
        return s.executeStep() ? std::atoi(s.getColumn(0).getString().c_str()) : 0;
    });
}

void Database::beginSavepoint(int depth)
{
    Guarded(name_, [&] { conn_->exec("SAVEPOINT dao" + std::to_string(depth)); });
    txDepth_ = depth;
}

void Database::endSavepoint(int depth, bool commit)
{
    if (txDepth_ < depth)
        return; // opened after this level began
    const std::string sp = "dao" + std::to_string(depth);
    txDepth_ = depth - 1;
    Guarded(name_, [&] {
        if (commit) {
            conn_->exec("RELEASE " + sp);
        } else {
            conn_->exec("ROLLBACK TO " + sp);
            conn_->exec("RELEASE " + sp);
        }
    });
}

void Database::AppendTableDef(const TableDef& def)
{
    if (def.Name.empty())
        throw Error(errInvalidArgument, "A table needs a name.");
    if (def.Fields.empty())
        throw Error(errInvalidArgument, "The table '" + def.Name + "' has no fields.");
    for (const auto& t : TableDefs())
        if (SameName(t.Name, def.Name))
            throw Error(errAlreadyExists, "The table '" + def.Name + "' already exists.");
    if (SameName(def.Name, kSystemTable) || lower(def.Name).rfind("sqlite_", 0) == 0)
        throw Error(errInvalidArgument, "'" + def.Name + "' is a reserved name.");

    std::string sql = "CREATE TABLE " + QuoteId(def.Name) + " (";
    for (size_t i = 0; i < def.Fields.size(); ++i) {
        const auto& f = def.Fields[i];
        if (f.Name.empty() || f.Size < 1 || f.Size > 255)
            throw Error(errInvalidArgument, "The field '" + f.Name + "' needs a name and a size from 1 to 255.");
        for (size_t j = 0; j < i; ++j)
            if (SameName(def.Fields[j].Name, f.Name))
                throw Error(errAlreadyExists, "The field '" + f.Name + "' is defined twice.");
        sql += (i ? ", " : "") + QuoteId(f.Name) + " TEXT(" + std::to_string(f.Size) + ") COLLATE NOCASE";
    }
    sql += ")";

    std::vector<std::string> indexSql;
    for (const auto& ix : def.Indexes) {
        if (ix.Name.empty() || ix.Fields.empty())
            throw Error(errInvalidArgument, "The index '" + ix.Name + "' needs a name and fields.");
        std::string cols;
        for (const auto& f : ix.Fields) {
            const Field* tf = def.FindField(f.Name);
            if (!tf)
                throw Error(errItemNotFound, "The index '" + ix.Name + "' names the missing field '" + f.Name + "'.");
            cols += (cols.empty() ? "" : ", ") + QuoteId(tf->Name) + " COLLATE NOCASE";
        }
        indexSql.push_back(std::string(ix.Unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ") + QuoteId(ix.Name)
            + " ON " + QuoteId(def.Name) + " (" + cols + ")");
    }

    Guarded(name_, [&] {
        SQLite::Transaction tx(*conn_);
        conn_->exec(sql);
        for (const auto& s : indexSql)
            conn_->exec(s);
        SQLite::Statement ins(*conn_, std::string("INSERT INTO ") + kSystemTable + " VALUES ('index', ?, ?, ?)");
        for (const auto& ix : def.Indexes) {
            ins.bind(1, ix.Name);
            ins.bind(2, def.Name);
            ins.bind(3, std::string(ix.Primary ? "P" : "") + (ix.Unique ? "U" : ""));
            ins.exec();
            ins.reset();
        }
        tx.commit();
    });
}

std::vector<TableDef> Database::TableDefs() const
{
    std::vector<TableDef> out;
    Guarded(name_, [&] {
        SQLite::Statement s(*conn_, "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite\\_%' "
                                    "ESCAPE '\\' AND name<>? COLLATE NOCASE ORDER BY rowid");
        s.bind(1, kSystemTable);
        std::vector<std::string> names;
        while (s.executeStep())
            names.push_back(s.getColumn(0).getString());
        for (const auto& n : names)
            out.push_back(GetTableDef(n));
    });
    return out;
}

TableDef Database::GetTableDef(const std::string& name) const
{
    if (!conn_)
        throw Error(errIllegalOperation, "The database '" + name_ + "' is closed.", name_);
    return Guarded(name_, [&] {
        TableDef def;
        {
            SQLite::Statement s(*conn_, "SELECT name FROM sqlite_master WHERE type='table' AND name=? COLLATE NOCASE");
            s.bind(1, name);
            if (!s.executeStep() || SameName(name, kSystemTable))
                throw Error(errObjectNotFound, "The table '" + name + "' does not exist.", name_);
            def.Name = s.getColumn(0).getString();
        }
        {
            SQLite::Statement s(*conn_, "SELECT name, type FROM pragma_table_info(?) ORDER BY cid");
            s.bind(1, def.Name);
            while (s.executeStep())
                def.Fields.push_back(
                    { s.getColumn(0).getString(), FieldType::Text, sizeFromType(s.getColumn(1).getString()) });
        }
        std::vector<std::string> indexNames;
        {
            SQLite::Statement s(*conn_, "SELECT name FROM pragma_index_list(?) WHERE origin='c' ORDER BY seq DESC");
            s.bind(1, def.Name);
            while (s.executeStep())
                indexNames.push_back(s.getColumn(0).getString());
        }
        std::reverse(indexNames.begin(), indexNames.end());
        std::sort(indexNames.begin(), indexNames.end());
        for (const auto& in : indexNames) {
            Index ix;
            ix.Name = in;
            SQLite::Statement cols(*conn_, "SELECT name FROM pragma_index_info(?) ORDER BY seqno");
            cols.bind(1, in);
            while (cols.executeStep())
                ix.Fields.push_back({ cols.getColumn(0).getString(), FieldType::Text, 0 });
            SQLite::Statement flags(*conn_, std::string("SELECT Value FROM ") + kSystemTable
                    + " WHERE Kind='index' AND Name=? COLLATE NOCASE AND Tbl=? COLLATE NOCASE");
            flags.bind(1, in);
            flags.bind(2, def.Name);
            if (flags.executeStep()) {
                const auto f = flags.getColumn(0).getString();
                ix.Primary = f.find('P') != std::string::npos;
                ix.Unique = f.find('U') != std::string::npos;
            }
            def.Indexes.push_back(std::move(ix));
        }
        return def;
    });
}

std::unique_ptr<Recordset> Database::OpenRecordset(const std::string& table)
{
    auto rs = std::unique_ptr<Recordset>(new Recordset(*this, GetTableDef(table)));
    return rs;
}

// ---------------------------------------------------------------- Recordset

Recordset::Recordset(Database& db, TableDef def)
    : db_(&db)
    , def_(std::move(def))
{
    db_->recordsets_.push_back(this);
    loadStatements();
    // A new recordset stands on its first row, or at both ends when empty.
    positionFirst(false);
}

Recordset::~Recordset() { Close(); }

void Recordset::release()
{
    first_.reset();
    last_.reset();
    next_.reset();
    prev_.reset();
    insert_.reset();
    byRowid_.reset();
    seeks_.clear();
    open_ = false;
    db_ = nullptr;
}

void Recordset::Close()
{
    if (!open_)
        return;
    if (db_)
        db_->recordsets_.erase(std::remove(db_->recordsets_.begin(), db_->recordsets_.end(), this), db_->recordsets_.end());
    release();
}

void Recordset::requireOpen() const
{
    if (!open_ || !db_ || !db_->IsOpen())
        throw Error(errIllegalOperation, "The recordset is closed.");
}

void Recordset::requireCurrent() const
{
    requireOpen();
    if (state_ != State::Row)
        throw detail::NoCurrentRecord();
}

std::vector<std::string> Recordset::orderColumns() const
{
    std::vector<std::string> cols;
    for (int k : keyFields_)
        cols.push_back(QuoteId(def_.Fields[k].Name));
    cols.push_back("rowid");
    return cols;
}

void Recordset::loadStatements()
{
    const auto cols = orderColumns();
    std::string select = "SELECT rowid";
    for (const auto& f : def_.Fields)
        select += ", " + QuoteId(f.Name);
    select += " FROM " + QuoteId(def_.Name);
    std::string asc, desc, tuple, marks;
    for (size_t i = 0; i < cols.size(); ++i) {
        asc += (i ? ", " : "") + cols[i];
        desc += (i ? ", " : "") + cols[i] + " DESC";
        tuple += (i ? ", " : "") + cols[i];
        marks += i ? ", ?" : "?";
    }
    if (cols.size() > 1) {
        tuple = "(" + tuple + ")";
        marks = "(" + marks + ")";
    }
    selectSql_ = select;
    ascSql_ = asc;
    descSql_ = desc;
    auto& c = db_->connection();
    Guarded(db_->Name(), [&] {
        first_ = std::make_unique<SQLite::Statement>(c, select + " ORDER BY " + asc + " LIMIT 1");
        last_ = std::make_unique<SQLite::Statement>(c, select + " ORDER BY " + desc + " LIMIT 1");
        next_ = std::make_unique<SQLite::Statement>(
            c, select + " WHERE " + tuple + " > " + marks + " ORDER BY " + asc + " LIMIT 1");
        prev_ = std::make_unique<SQLite::Statement>(
            c, select + " WHERE " + tuple + " < " + marks + " ORDER BY " + desc + " LIMIT 1");
    });
    seeks_.clear();
}

bool Recordset::fetch(SQLite::Statement& st)
{
    const bool found = st.executeStep();
    if (found) {
        rowid_ = st.getColumn(0).getInt64();
        row_.resize(def_.Fields.size());
        for (size_t i = 0; i < def_.Fields.size(); ++i) {
            auto col = st.getColumn(int(i) + 1);
            row_[i] = col.isNull() ? Value() : Value(col.getString());
        }
        state_ = State::Row;
        bothEnds_ = false;
    }
    st.reset();
    st.clearBindings();
    return found;
}

void Recordset::bindPosition(SQLite::Statement& st)
{
    int i = 1;
    for (int k : keyFields_) {
        if (row_[k])
            st.bind(i, *row_[k]);
        else
            st.bind(i);
        ++i;
    }
    st.bind(i, static_cast<int64_t>(rowid_));
}

bool Recordset::stepFromPosition(bool forward)
{
    bool nullKey = false;
    for (int k : keyFields_)
        nullKey = nullKey || !row_[k];
    if (!nullKey) {
        SQLite::Statement& st = forward ? *next_ : *prev_;
        bindPosition(st);
        return Guarded(db_->Name(), [&] { return fetch(st); });
    }
    // A key holding Null (a row written by another program): row values
    // compare Null as unknown, while the order puts Null first, so the rows
    // past this one are spelt out field by field.
    std::vector<std::string> cols;
    for (int k : keyFields_)
        cols.push_back(QuoteId(def_.Fields[k].Name));
    cols.push_back("rowid");
    std::string where;
    std::vector<int> binds; // key positions (-1: the rowid) in the order of the marks
    for (size_t i = 0; i < cols.size(); ++i) {
        const bool isNull = i < keyFields_.size() && !row_[keyFields_[i]];
        std::string term;
        std::vector<int> termBinds;
        for (size_t j = 0; j < i; ++j) {
            if (!row_[keyFields_[j]]) {
                term += cols[j] + " IS NULL AND ";
            } else {
                term += cols[j] + " = ? AND ";
                termBinds.push_back(int(j));
            }
        }
        const int self = i < keyFields_.size() ? int(i) : -1;
        if (forward && isNull) {
            term += cols[i] + " IS NOT NULL";
        } else if (forward) {
            term += cols[i] + " > ?";
            termBinds.push_back(self);
        } else if (isNull) {
            continue; // nothing comes before Null
        } else {
            term += "(" + cols[i] + " < ? OR " + cols[i] + " IS NULL)";
            termBinds.push_back(self);
        }
        where += (where.empty() ? "(" : " OR (") + term + ")";
        binds.insert(binds.end(), termBinds.begin(), termBinds.end());
    }
    if (where.empty())
        return false;
    return Guarded(db_->Name(), [&] {
        SQLite::Statement st(db_->connection(),
            selectSql_ + " WHERE " + where + " ORDER BY " + (forward ? ascSql_ : descSql_) + " LIMIT 1");
        for (size_t b = 0; b < binds.size(); ++b) {
            if (binds[b] < 0)
                st.bind(int(b) + 1, static_cast<int64_t>(rowid_));
            else
                st.bind(int(b) + 1, *row_[keyFields_[binds[b]]]);
        }
        return fetch(st);
    });
}

void Recordset::positionFirst(bool mustExist)
{
    const bool found = Guarded(db_->Name(), [&] { return fetch(*first_); });
    if (!found) {
        state_ = State::Eof;
        bothEnds_ = true;
        if (mustExist)
            throw detail::NoCurrentRecord();
    }
}

void Recordset::SetIndex(const std::string& indexName)
{
    requireOpen();
    const Index* ix = def_.FindIndex(indexName);
    if (!ix)
        throw Error(errItemNotFound, "The table '" + def_.Name + "' has no index '" + indexName + "'.");
    std::vector<int> keys;
    for (const auto& f : ix->Fields) {
        for (size_t i = 0; i < def_.Fields.size(); ++i)
            if (SameName(def_.Fields[i].Name, f.Name))
                keys.push_back(int(i));
    }
    editMode_ = EditMode::None;
    indexName_ = ix->Name;
    keyFields_ = keys;
    primaryKey_ = ix->Primary;
    loadStatements();
    positionFirst(false);
}

void Recordset::Seek(const std::string& comparison, const std::vector<std::string>& keys)
{
    requireOpen();
    if (indexName_.empty())
        throw Error(errIllegalOperation, "Seek needs a current index.");
    if (keys.empty() || keys.size() > keyFields_.size())
        throw Error(errInvalidArgument, "Seek takes one value for each of the first fields of the index.");
    static const char* ops[] = { "=", ">=", ">", "<=", "<" };
    if (std::find(std::begin(ops), std::end(ops), comparison) == std::end(ops))
        throw Error(errInvalidArgument, "Seek compares with =, >=, >, <= or <, not '" + comparison + "'.");
    editMode_ = EditMode::None;

    const std::string cacheKey = comparison + std::to_string(keys.size());
    auto it = seeks_.find(cacheKey);
    if (it == seeks_.end()) {
        std::string where, tuple, marks;
        for (size_t i = 0; i < keys.size(); ++i) {
            const std::string col = QuoteId(def_.Fields[keyFields_[i]].Name);
            where += (i ? " AND " : "") + col + " = ?";
            tuple += (i ? ", " : "") + col;
            marks += i ? ", ?" : "?";
        }
        if (keys.size() > 1) {
            tuple = "(" + tuple + ")";
            marks = "(" + marks + ")";
        }
        const bool backward = comparison[0] == '<';
        std::string sql = selectSql_ + " WHERE " + (comparison == "=" ? where : tuple + " " + comparison + " " + marks)
            + " ORDER BY " + (backward ? descSql_ : ascSql_) + " LIMIT 1";
        auto st = Guarded(db_->Name(), [&] { return std::make_unique<SQLite::Statement>(db_->connection(), sql); });
        it = seeks_.emplace(cacheKey, std::move(st)).first;
    }
    auto& st = *it->second;
    for (size_t i = 0; i < keys.size(); ++i)
        st.bind(int(i) + 1, keys[i]);
    const bool found = Guarded(db_->Name(), [&] { return fetch(st); });
    noMatch_ = !found;
    if (!found) {
        state_ = State::Eof;
        bothEnds_ = false;
    }
}

void Recordset::MoveFirst()
{
    requireOpen();
    editMode_ = EditMode::None;
    positionFirst(true);
}

void Recordset::MoveLast()
{
    requireOpen();
    editMode_ = EditMode::None;
    const bool found = Guarded(db_->Name(), [&] { return fetch(*last_); });
    if (!found) {
        state_ = State::Eof;
        bothEnds_ = true;
        throw detail::NoCurrentRecord();
    }
}

void Recordset::MoveNext()
{
    requireOpen();
    if (state_ == State::Eof || bothEnds_)
        throw detail::NoCurrentRecord();
    editMode_ = EditMode::None;
    if (state_ == State::Bof) {
        positionFirst(false);
        if (bothEnds_)
            state_ = State::Eof;
        return;
    }
    const bool found = stepFromPosition(true);
    if (!found)
        state_ = State::Eof;
}

void Recordset::MovePrevious()
{
    requireOpen();
    if (state_ == State::Bof || bothEnds_)
        throw detail::NoCurrentRecord();
    editMode_ = EditMode::None;
    if (state_ == State::Eof) {
        const bool found = Guarded(db_->Name(), [&] { return fetch(*last_); });
        if (!found) {
            state_ = State::Bof;
            bothEnds_ = true;
        }
        return;
    }
    const bool found = stepFromPosition(false);
    if (!found)
        state_ = State::Bof;
}

long long Recordset::Bookmark() const
{
    requireCurrent();
    return rowid_;
}

void Recordset::SetBookmark(long long bookmark)
{
    requireOpen();
    editMode_ = EditMode::None;
    if (!byRowid_)
        byRowid_ = Guarded(db_->Name(),
            [&] { return std::make_unique<SQLite::Statement>(db_->connection(), selectSql_ + " WHERE rowid = ?"); });
    byRowid_->bind(1, static_cast<int64_t>(bookmark));
    if (!Guarded(db_->Name(), [&] { return fetch(*byRowid_); }))
        throw Error(errInvalidBookmark, "Not a valid bookmark: the row is no longer in the table.");
}

long long Recordset::LastModified() const
{
    requireOpen();
    if (lastModified_ == 0)
        throw detail::NoCurrentRecord();
    return lastModified_;
}

bool Recordset::BOF() const { return state_ == State::Bof || bothEnds_; }
bool Recordset::EOF_() const { return state_ == State::Eof || bothEnds_; }

long Recordset::RecordCount() const
{
    requireOpen();
    return Guarded(db_->Name(), [&] {
        SQLite::Statement s(db_->connection(), "SELECT count(*) FROM " + QuoteId(def_.Name));
        s.executeStep();
        return long(s.getColumn(0).getInt64());
    });
}

int Recordset::fieldIndex(const std::string& name) const
{
    for (size_t i = 0; i < def_.Fields.size(); ++i)
        if (SameName(def_.Fields[i].Name, name))
            return int(i);
    throw Error(errItemNotFound, "The table '" + def_.Name + "' has no field '" + name + "'.", db_->Name());
}

Value Recordset::GetValue(const std::string& field) const
{
    requireOpen();
    const int i = fieldIndex(field);
    if (editMode_ != EditMode::None)
        return buffer_[i];
    requireCurrent();
    return row_[i];
}

std::string Recordset::Text(const std::string& field) const
{
    Value v = GetValue(field);
    if (!v)
        throw Error(errInvalidUseOfNull, "The field '" + field + "' holds no value (Null).");
    return *v;
}

void Recordset::SetValue(const std::string& field, const Value& value)
{
    requireOpen();
    const int i = fieldIndex(field);
    if (editMode_ == EditMode::None)
        throw Error(errUpdateWithoutEdit, "A field can be set only after AddNew or Edit.");
    buffer_[i] = value;
    asStored_[i] = false;
}

void Recordset::SetStoredValue(const std::string& field, const Value& value)
{
    SetValue(field, value);
    asStored_[fieldIndex(field)] = true;
}

void Recordset::AddNew()
{
    requireOpen();
    buffer_.assign(def_.Fields.size(), Value());
    asStored_.assign(def_.Fields.size(), false);
    editMode_ = EditMode::AddNew;
}

void Recordset::Edit()
{
    requireCurrent();
    buffer_ = row_;
    asStored_.assign(def_.Fields.size(), false);
    editMode_ = EditMode::Edit;
}

void Recordset::CancelUpdate()
{
    requireOpen();
    if (editMode_ == EditMode::None)
        throw Error(errUpdateWithoutEdit, "CancelUpdate without AddNew or Edit.");
    editMode_ = EditMode::None;
}

void Recordset::Update()
{
    requireOpen();
    if (editMode_ == EditMode::None)
        throw Error(errUpdateWithoutEdit, "Update without AddNew or Edit.");
    for (size_t i = 0; i < def_.Fields.size(); ++i) {
        const auto& v = buffer_[i];
        if (asStored_[i] || (editMode_ == EditMode::Edit && v == row_[i]))
            continue;
        if (v && def_.Fields[i].Size > 0 && charCount(*v) > size_t(def_.Fields[i].Size))
            throw Error(errFieldTooSmall, "The text for '" + def_.Fields[i].Name + "' is longer than its "
                    + std::to_string(def_.Fields[i].Size) + " characters.");
    }
    // A primary index admits no Null key, so every row can be walked.
    for (const auto& ix : def_.Indexes) {
        if (!ix.Primary)
            continue;
        for (const auto& f : ix.Fields)
            if (!buffer_[fieldIndex(f.Name)])
                throw Error(errNullInKey, "The field '" + f.Name + "' of the index '" + ix.Name + "' needs a value.");
    }
    auto& c = db_->connection();
    Guarded(db_->Name(), [&] {
        if (editMode_ == EditMode::AddNew) {
            if (!insert_) {
                std::string names, marks;
                for (size_t i = 0; i < def_.Fields.size(); ++i) {
                    names += (i ? ", " : "") + QuoteId(def_.Fields[i].Name);
                    marks += i ? ", ?" : "?";
                }
                insert_ = std::make_unique<SQLite::Statement>(
                    c, "INSERT INTO " + QuoteId(def_.Name) + " (" + names + ") VALUES (" + marks + ")");
            }
            auto& st = *insert_;
            for (size_t i = 0; i < buffer_.size(); ++i) {
                if (buffer_[i])
                    st.bind(int(i) + 1, *buffer_[i]);
                else
                    st.bind(int(i) + 1);
            }
            try {
                st.exec();
            } catch (...) {
                st.reset();
                st.clearBindings();
                throw;
            }
            st.reset();
            st.clearBindings();
            lastModified_ = c.getLastInsertRowid();
        } else {
            std::string set;
            for (size_t i = 0; i < def_.Fields.size(); ++i)
                set += (i ? ", " : "") + QuoteId(def_.Fields[i].Name) + " = ?";
            SQLite::Statement st(c, "UPDATE " + QuoteId(def_.Name) + " SET " + set + " WHERE rowid = ?");
            for (size_t i = 0; i < buffer_.size(); ++i) {
                if (buffer_[i])
                    st.bind(int(i) + 1, *buffer_[i]);
                else
                    st.bind(int(i) + 1);
            }
            st.bind(int(buffer_.size()) + 1, static_cast<int64_t>(rowid_));
            st.exec();
            row_ = buffer_;
            lastModified_ = rowid_;
        }
    });
    editMode_ = EditMode::None;
}

void Recordset::Delete()
{
    requireCurrent();
    editMode_ = EditMode::None;
    Guarded(db_->Name(), [&] {
        SQLite::Statement st(db_->connection(), "DELETE FROM " + QuoteId(def_.Name) + " WHERE rowid = ?");
        st.bind(1, static_cast<int64_t>(rowid_));
        st.exec();
    });
    // The position stays where the row was, so its neighbours are one move away.
    state_ = State::Deleted;
}

} // namespace dao
