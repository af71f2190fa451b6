// The engine's whole-file operations: compacting a closed database into a
// new file and repairing one in place. Both write their result beside the
// source and leave the source whole when they fail.
#include "dao.h"
#include "engine_detail.h"
#include "sqlite_support.h"

#include <SQLiteCpp/SQLiteCpp.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
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

} // namespace

void Workspace::CompactDatabase(const std::string& source, const std::string& target, const std::string& locale)
{
    std::error_code ec;
    if (target.empty())
        throw Error(errInvalidArgument, "Compaction needs a target file name.");
    if (fs::exists(target, ec))
        throw Error(errDatabaseExists, "The database '" + target + "' already exists.", target);
    {
        // Validates the source as one of our databases.
        auto db = OpenDatabase(source);
        try {
            SQLite::Statement v(db->connection(), "VACUUM INTO ?");
            v.bind(1, target);
            v.exec();
        } catch (const SQLite::Exception& e) {
            db->Close();
            RemoveFile(target);
            RaiseEngineError(e, source);
        }
        db->Close();
    }
    try {
        SQLite::Database out(target, SQLite::OPEN_READWRITE, 2000);
        setConnectionPragmas(out);
        out.exec("PRAGMA application_id=" + std::to_string(kApplicationId));
        if (!locale.empty()) {
            SQLite::Statement up(out, std::string("UPDATE ") + kSystemTable + " SET Value=? WHERE Kind='locale'");
            up.bind(1, locale);
            up.exec();
        }
    } catch (const SQLite::Exception& e) {
        RemoveFile(target);
        RaiseEngineError(e, target);
    }
    if (!syncPath(target, false)) {
        RemoveFile(target);
        throw Error(errDiskIO, "The compacted copy '" + target + "' could not be written to the disk.", target);
    }
}

bool Workspace::RepairDatabase(const std::string& name)
{
    std::error_code ec;
    if (name.empty() || !fs::is_regular_file(name, ec))
        throw Error(errFileNotFound, "Couldn't find file '" + name + "'.", name);
    if (!hasSqliteHeader(name))
        throw Error(errRepairFailed, "'" + name + "' is not a database of this program and cannot be repaired.", name);

    struct SchemaItem {
        std::string type, name, sql;
    };
    std::vector<SchemaItem> schema;
    try {
        SQLite::Database old(name, SQLite::OPEN_READWRITE, 2000);
        // The mark sits in the file's header, readable however damaged the
        // pages behind it are: another program's file is never rewritten.
        {
            SQLite::Statement appId(old, "PRAGMA application_id");
            appId.executeStep();
            if (appId.getColumn(0).getInt() != kApplicationId)
                throw Error(errRepairFailed, "'" + name + "' is not a database of this program and cannot be repaired.", name);
        }
        SQLite::Statement check(old, "PRAGMA integrity_check");
        bool ok = check.executeStep() && check.getColumn(0).getString() == "ok";
        if (ok)
            return false;
        SQLite::Statement s(old, "SELECT type, name, sql FROM sqlite_master WHERE sql IS NOT NULL "
                                 "ORDER BY CASE type WHEN 'table' THEN 0 ELSE 1 END, rowid");
        while (s.executeStep())
            schema.push_back({ s.getColumn(0).getString(), s.getColumn(1).getString(), s.getColumn(2).getString() });
    } catch (const SQLite::Exception& e) {
        throw Error(errRepairFailed, "The database '" + name + "' cannot be repaired: " + e.what(), name);
    }
    if (schema.empty())
        throw Error(errRepairFailed, "The database '" + name + "' cannot be repaired: its table list is lost.", name);

    // Rebuild beside the damaged file: every row that can still be read, in
    // its old order, then the indexes anew; the old file is replaced only when
    // the new one is whole.
    const std::string fresh = name + ".repair";
    RemoveFile(fresh);
    try {
        SQLite::Database old(name, SQLite::OPEN_READONLY, 2000);
        SQLite::Database out(fresh, SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE, 2000);
        out.exec("PRAGMA application_id=" + std::to_string(kApplicationId));
        SQLite::Transaction tx(out);
        for (const auto& item : schema) {
            if (item.type != "table")
                continue;
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
                names += "," + QuoteId(c);
                marks += ",?";
            }
            SQLite::Statement ins(out, "INSERT INTO " + QuoteId(item.name) + " (" + names + ") VALUES (" + marks + ")");
            try {
                SQLite::Statement rd(old, "SELECT " + names + " FROM " + QuoteId(item.name) + " ORDER BY rowid");
                while (rd.executeStep()) {
                    for (int i = 0; i <= int(cols.size()); ++i) {
                        auto col = rd.getColumn(i);
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
            } catch (const SQLite::Exception&) {
                // The rest of this table is unreadable; keep what was read.
            }
        }
        for (const auto& item : schema)
            if (item.type == "index")
                out.exec(item.sql);
        tx.commit();
        SQLite::Statement check(out, "PRAGMA integrity_check");
        if (!check.executeStep() || check.getColumn(0).getString() != "ok")
            throw Error(errRepairFailed, "The database '" + name + "' cannot be repaired.", name);
    } catch (const SQLite::Exception& e) {
        RemoveFile(fresh);
        throw Error(errRepairFailed, "The database '" + name + "' cannot be repaired: " + e.what(), name);
    } catch (const Error&) {
        RemoveFile(fresh);
        throw;
    }
    if (!syncPath(fresh, false)) {
        RemoveFile(fresh);
        throw Error(errRepairFailed, "The repaired copy of '" + name + "' could not be written to the disk.", name);
    }
    // One atomic step: the name holds either the old file or the repaired one.
    fs::rename(fresh, name, ec);
    if (ec) {
        RemoveFile(fresh);
        throw Error(errRepairFailed, "The repaired database could not replace '" + name + "': " + ec.message(), name);
    }
    std::error_code ignore;
    fs::remove(name + "-journal", ignore);
    syncPath(folderOf(name), true);
    return true;
}

} // namespace dao
