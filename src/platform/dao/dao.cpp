#include "dao.h"

#include "engine_detail.h"
#include "sqlite_support.h"

#include <SQLiteCpp/SQLiteCpp.h>
#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <system_error>

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

} // namespace

bool detail::hasSqliteHeader(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    char head[16] = {};
    in.read(head, sizeof head);
    return in.gcount() == 16 && std::string(head, 16) == std::string("SQLite format 3\0", 16);
}

void detail::setConnectionPragmas(SQLite::Database& c)
{
    // One complete file after every commit, durable at each commit.
    c.exec("PRAGMA journal_mode=DELETE");
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
    std::error_code ec;
    if (fs::exists(name, ec))
        throw Error(errDatabaseExists, "The database '" + name + "' already exists.", name);
    std::unique_ptr<SQLite::Database> conn;
    try {
        conn = std::make_unique<SQLite::Database>(name, SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE, 2000);
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
        conn.reset();
        RemoveFile(name);
        RaiseEngineError(e, name);
    }
    auto db = std::unique_ptr<Database>(new Database(*this, name, std::move(conn)));
    attach(db.get());
    return db;
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
        conn = std::make_unique<SQLite::Database>(name, SQLite::OPEN_READWRITE, 2000);
        // Probe the schema now, so a damaged or foreign file fails at open.
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

const std::string& Recordset::GetIndex() const { return indexName_; }

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
    bindPosition(*next_);
    const bool found = Guarded(db_->Name(), [&] { return fetch(*next_); });
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
    bindPosition(*prev_);
    const bool found = Guarded(db_->Name(), [&] { return fetch(*prev_); });
    if (!found)
        state_ = State::Bof;
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
}

void Recordset::AddNew()
{
    requireOpen();
    buffer_.assign(def_.Fields.size(), Value());
    editMode_ = EditMode::AddNew;
}

void Recordset::Edit()
{
    requireCurrent();
    buffer_ = row_;
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
            lastInserted_ = c.getLastInsertRowid();
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
