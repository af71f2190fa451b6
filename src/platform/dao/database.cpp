#include "dao.h"

#include "engine_detail.h"
#include "sqlite_support.h"

#include <SQLiteCpp/SQLiteCpp.h>
#include <sqlite3.h>

#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

namespace dao {

using detail::Guarded;
using detail::kSystemTable;
using detail::QuoteId;
using detail::SameName;

using detail::lower;
using detail::sizeFromType;

// ---------------------------------------------------------------- Database

Database::Database(Workspace& ws, std::string name, std::unique_ptr<SQLite::Database> conn)
    : ws_(&ws)
    , name_(std::move(name))
    , conn_(std::move(conn))
{
    // Just opened by the name: what it names now is the file SQLite opened, as SQLite's own test confirms.
    struct stat st { };
    int moved = 1;
    const char* file = conn_ ? sqlite3_db_filename(conn_->getHandle(), "main") : nullptr;
    if (file && *file && ::stat(file, &st) == 0
        && sqlite3_file_control(conn_->getHandle(), "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK
        && moved == 0) {
        device_ = static_cast<unsigned long long>(st.st_dev);
        inode_ = static_cast<unsigned long long>(st.st_ino);
        identified_ = true;
    }
}

bool Database::bearsItsName() const
{
    if (!conn_ || !identified_) return false;
    int moved = 1;
    if (sqlite3_file_control(conn_->getHandle(), "main", SQLITE_FCNTL_HAS_MOVED, &moved) != SQLITE_OK || moved != 0)
        return false;
    // SQLite compares the inode alone; on another device the same number names another file.
    const char* file = sqlite3_db_filename(conn_->getHandle(), "main");
    struct stat st { };
    return file && ::stat(file, &st) == 0 && static_cast<unsigned long long>(st.st_dev) == device_
        && static_cast<unsigned long long>(st.st_ino) == inode_;
}

Database::~Database()
{
    Close();
}

long Database::DeleteBelow(const std::string& table, const std::string& field, const std::string& limit)
{
    const TableDef def = GetTableDef(table);
    const Field* f = def.FindField(field);
    if (!f) throw Error(errItemNotFound, "The table '" + def.Name + "' has no field '" + field + "'.", name_);
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
    if (!conn_) throw Error(errIllegalOperation, "The database '" + name_ + "' is closed.", name_);
    return *conn_;
}

void Database::Close()
{
    if (!conn_) return;
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
    if (txDepth_ < depth) return; // opened after this level began
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
    if (def.Name.empty()) throw Error(errInvalidArgument, "A table needs a name.");
    if (def.Fields.empty()) throw Error(errInvalidArgument, "The table '" + def.Name + "' has no fields.");
    for (const auto& t : TableDefs())
        if (SameName(t.Name, def.Name)) throw Error(errAlreadyExists, "The table '" + def.Name + "' already exists.");
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
        indexSql.push_back(std::string(ix.Unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ") + QuoteId(ix.Name) + " ON "
            + QuoteId(def.Name) + " (" + cols + ")");
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
        SQLite::Statement s(*conn_,
            "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite\\_%' "
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
    if (!conn_) throw Error(errIllegalOperation, "The database '" + name_ + "' is closed.", name_);
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
            SQLite::Statement flags(*conn_,
                std::string("SELECT Value FROM ") + kSystemTable
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

} // namespace dao
