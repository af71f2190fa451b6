#include "step_cursor.h"

#include "sqlite_support.h"

#include <SQLiteCpp/SQLiteCpp.h>

namespace dao {

using detail::QuoteId;
using detail::SameName;

namespace {

dao::Error noCurrent() { return detail::NoCurrentRecord(); }

} // namespace

StepCursor::StepCursor(dao::Database& db, const std::string& table, const std::string& index)
    : file_(db.Name())
{
    const dao::TableDef def = db.GetTableDef(table);
    table_ = def.Name;
    const dao::Index* ix = def.FindIndex(index);
    if (!ix) throw dao::Error(dao::errItemNotFound, "The table '" + def.Name + "' has no index '" + index + "'.");
    for (const auto& f : def.Fields)
        fields_.push_back(f.Name);
    for (const auto& f : ix->Fields)
        keyFields_.push_back(fieldIndex(f.Name));

    std::string select = "SELECT rowid";
    for (const auto& f : fields_)
        select += ", " + QuoteId(f);
    select += " FROM " + QuoteId(def.Name);
    // The engine's order: the index's fields, then the rowid for equal keys.
    std::string asc, desc, tuple, marks, equal;
    for (std::size_t i = 0; i <= keyFields_.size(); ++i) {
        const std::string col = i < keyFields_.size() ? QuoteId(fields_[keyFields_[i]]) : "rowid";
        const std::string sep = i ? ", " : "";
        asc += sep + col;
        desc += sep + col + " DESC";
        tuple += sep + col;
        marks += sep + "?";
        if (i < keyFields_.size()) equal += (i ? " AND " : "") + col + " = ?";
    }
    auto& c = db.connection();
    detail::Guarded(file_, [&] {
        forwardAll_ = std::make_unique<SQLite::Statement>(c, select + " ORDER BY " + asc);
        backAll_ = std::make_unique<SQLite::Statement>(c, select + " ORDER BY " + desc);
        forwardFrom_ = std::make_unique<SQLite::Statement>(
            c, select + " WHERE (" + tuple + ") > (" + marks + ") ORDER BY " + asc);
        backFrom_ = std::make_unique<SQLite::Statement>(
            c, select + " WHERE (" + tuple + ") < (" + marks + ") ORDER BY " + desc);
        seek_ = std::make_unique<SQLite::Statement>(c, select + " WHERE " + equal + " ORDER BY " + asc);
        // On the first row, as a recordset is once its index is chosen.
        start(*forwardAll_, Way::Forward, false);
        return 0;
    });
    if (!step()) {
        empty_ = true;
        state_ = State::Eof;
    }
}

StepCursor::~StepCursor()
{
    stop();
}

int StepCursor::fieldIndex(const std::string& field) const
{
    for (std::size_t i = 0; i < fields_.size(); ++i)
        if (SameName(fields_[i], field)) return int(i);
    throw dao::Error(dao::errItemNotFound, "The table '" + table_ + "' has no field '" + field + "'.", file_);
}

void StepCursor::stop()
{
    if (running_) {
        // After a failed step reset repeats the failure; it was reported
        // already, and stopping (in the destructor too) must not throw.
        running_->tryReset();
        running_->clearBindings();
    }
    running_ = nullptr;
    way_ = Way::None;
}

void StepCursor::start(SQLite::Statement& st, Way way, bool fromHere)
{
    stop();
    if (fromHere) {
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
    running_ = &st;
    way_ = way;
}

bool StepCursor::step()
{
    return detail::Guarded(file_, [&] {
        if (!running_->executeStep()) {
            stop();
            return false;
        }
        rowid_ = running_->getColumn(0).getInt64();
        row_.resize(fields_.size());
        for (std::size_t i = 0; i < fields_.size(); ++i) {
            const SQLite::Column col = running_->getColumn(int(i) + 1);
            row_[i] = col.isNull() ? dao::Value() : dao::Value(col.getString());
        }
        state_ = State::Row;
        empty_ = false;
        return true;
    });
}

void StepCursor::Seek(const std::vector<std::string>& keys)
{
    if (keys.size() != keyFields_.size())
        throw dao::Error(dao::errInvalidArgument, "Seek takes one value for each field of the index.");
    detail::Guarded(file_, [&] {
        stop();
        for (std::size_t i = 0; i < keys.size(); ++i)
            seek_->bind(int(i) + 1, keys[i]);
        running_ = seek_.get();
        return 0;
    });
    noMatch_ = !step();
    // The equality statement cannot go on past its key: the next move re-keys.
    stop();
    if (noMatch_) {
        state_ = State::Eof;
        empty_ = false;
    }
}

void StepCursor::MoveFirst()
{
    detail::Guarded(file_, [&] {
        start(*forwardAll_, Way::Forward, false);
        return 0;
    });
    if (!step()) {
        empty_ = true;
        state_ = State::Eof;
        throw noCurrent();
    }
}

void StepCursor::MoveLast()
{
    detail::Guarded(file_, [&] {
        start(*backAll_, Way::Back, false);
        return 0;
    });
    if (!step()) {
        empty_ = true;
        state_ = State::Eof;
        throw noCurrent();
    }
}

void StepCursor::MoveNext()
{
    if (EOF_()) throw noCurrent();
    const bool fromStart = state_ == State::Bof;
    if (fromStart || way_ != Way::Forward) {
        detail::Guarded(file_, [&] {
            start(fromStart ? *forwardAll_ : *forwardFrom_, Way::Forward, !fromStart);
            return 0;
        });
    }
    if (!step()) {
        state_ = State::Eof;
        empty_ = fromStart;
    }
}

void StepCursor::MovePrevious()
{
    if (BOF()) throw noCurrent();
    const bool fromEnd = state_ == State::Eof;
    if (fromEnd || way_ != Way::Back) {
        detail::Guarded(file_, [&] {
            start(fromEnd ? *backAll_ : *backFrom_, Way::Back, !fromEnd);
            return 0;
        });
    }
    if (!step()) {
        state_ = State::Bof;
        empty_ = fromEnd;
    }
}

dao::Value StepCursor::GetValue(const std::string& field) const
{
    if (state_ != State::Row || empty_) throw noCurrent();
    return row_[fieldIndex(field)];
}

} // namespace dao
