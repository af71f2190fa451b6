#include "dao.h"

#include "engine_detail.h"
#include "sqlite_support.h"

#include <SQLiteCpp/SQLiteCpp.h>
#include <sqlite3.h>

#include <algorithm>
#include <string>
#include <vector>

namespace dao {

using detail::Guarded;
using detail::QuoteId;
using detail::SameName;

using detail::charCount;

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

Recordset::~Recordset()
{
    Close();
}

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
    if (!open_) return;
    if (db_)
        db_->recordsets_.erase(
            std::remove(db_->recordsets_.begin(), db_->recordsets_.end(), this), db_->recordsets_.end());
    release();
}

void Recordset::requireOpen() const
{
    if (!open_ || !db_ || !db_->IsOpen()) throw Error(errIllegalOperation, "The recordset is closed.");
}

void Recordset::requireCurrent() const
{
    requireOpen();
    if (state_ != State::Row) throw detail::NoCurrentRecord();
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
    std::vector<std::string> keyCols;
    for (int k : keyFields_)
        keyCols.push_back(QuoteId(def_.Fields[k].Name));
    const auto key = detail::orderedKey(keyCols);
    std::string select = "SELECT rowid";
    for (const auto& f : def_.Fields)
        select += ", " + QuoteId(f.Name);
    select += " FROM " + QuoteId(def_.Name);
    const std::string &asc = key.ascending, &desc = key.descending;
    std::string tuple = key.columns, marks = key.marks;
    if (!keyCols.empty()) {
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
    detail::bindOrderedKey(st, keyFields_, row_, rowid_);
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
    const auto cols = orderColumns();
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
    if (where.empty()) return false;
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
        if (mustExist) throw detail::NoCurrentRecord();
    }
}

void Recordset::SetIndex(const std::string& indexName)
{
    requireOpen();
    const Index* ix = def_.FindIndex(indexName);
    if (!ix) throw Error(errItemNotFound, "The table '" + def_.Name + "' has no index '" + indexName + "'.");
    std::vector<int> keys;
    for (const auto& f : ix->Fields) {
        for (size_t i = 0; i < def_.Fields.size(); ++i)
            if (SameName(def_.Fields[i].Name, f.Name)) keys.push_back(int(i));
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
    if (indexName_.empty()) throw Error(errIllegalOperation, "Seek needs a current index.");
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
    if (state_ == State::Eof || bothEnds_) throw detail::NoCurrentRecord();
    editMode_ = EditMode::None;
    if (state_ == State::Bof) {
        positionFirst(false);
        if (bothEnds_) state_ = State::Eof;
        return;
    }
    const bool found = stepFromPosition(true);
    if (!found) state_ = State::Eof;
}

void Recordset::MovePrevious()
{
    requireOpen();
    if (state_ == State::Bof || bothEnds_) throw detail::NoCurrentRecord();
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
    if (!found) state_ = State::Bof;
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
    if (lastModified_ == 0) throw detail::NoCurrentRecord();
    return lastModified_;
}

bool Recordset::BOF() const
{
    return state_ == State::Bof || bothEnds_;
}
bool Recordset::EOF_() const
{
    return state_ == State::Eof || bothEnds_;
}

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
        if (SameName(def_.Fields[i].Name, name)) return int(i);
    throw Error(errItemNotFound, "The table '" + def_.Name + "' has no field '" + name + "'.", db_->Name());
}

Value Recordset::GetValue(const std::string& field) const
{
    requireOpen();
    const int i = fieldIndex(field);
    if (editMode_ != EditMode::None) return buffer_[i];
    requireCurrent();
    return row_[i];
}

std::string Recordset::Text(const std::string& field) const
{
    Value v = GetValue(field);
    if (!v) throw Error(errInvalidUseOfNull, "The field '" + field + "' holds no value (Null).");
    return *v;
}

void Recordset::SetValue(const std::string& field, const Value& value)
{
    requireOpen();
    const int i = fieldIndex(field);
    if (editMode_ == EditMode::None) throw Error(errUpdateWithoutEdit, "A field can be set only after AddNew or Edit.");
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
    if (editMode_ == EditMode::None) throw Error(errUpdateWithoutEdit, "CancelUpdate without AddNew or Edit.");
    editMode_ = EditMode::None;
}

void Recordset::Update()
{
    requireOpen();
    if (editMode_ == EditMode::None) throw Error(errUpdateWithoutEdit, "Update without AddNew or Edit.");
    for (size_t i = 0; i < def_.Fields.size(); ++i) {
        const auto& v = buffer_[i];
        if (asStored_[i] || (editMode_ == EditMode::Edit && v == row_[i])) continue;
        if (v && def_.Fields[i].Size > 0 && charCount(*v) > size_t(def_.Fields[i].Size))
            throw Error(errFieldTooSmall,
                "The text for '" + def_.Fields[i].Name + "' is longer than its " + std::to_string(def_.Fields[i].Size)
                    + " characters.");
    }
    // A primary index admits no Null key, so every row can be walked.
    for (const auto& ix : def_.Indexes) {
        if (!ix.Primary) continue;
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
