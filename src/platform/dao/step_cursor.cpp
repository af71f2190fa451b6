#include "step_cursor.h"

#include "sqlite_support.h"

#include <SQLiteCpp/SQLiteCpp.h>

namespace dao {

using detail::QuoteId;
using detail::SameName;

namespace {

dao::Error noCurrent() { return detail::NoCurrentRecord(); }

std::string quoteText(const std::string& text)
{
    std::string out = "'";
    for (char c : text) {
        if (c == '\'') out += '\'';
        out += c;
    }
    return out + "'";
}

} // namespace

RowFilter RowFilter::Holds(const std::string& field, const std::string& mark)
{
    RowFilter f;
    f.kind_ = Kind::Holds;
    f.field_ = field;
    f.mark_ = mark;
    return f;
}

RowFilter RowFilter::AllOf(std::vector<RowFilter> parts)
{
    RowFilter f;
    f.kind_ = Kind::All;
    f.parts_ = std::move(parts);
    return f;
}

RowFilter RowFilter::AnyOf(std::vector<RowFilter> parts)
{
    RowFilter f;
    f.kind_ = Kind::Any;
    f.parts_ = std::move(parts);
    return f;
}

std::string RowFilter::Sql(const std::function<std::string(const std::string&)>& column) const
{
    if (kind_ == Kind::Holds) {
        // The columns compare without regard to case; the mark is compared exactly.
        const std::string c = column(field_);
        return "(" + c + " IS NOT NULL AND " + c + " <> " + quoteText(mark_) + " COLLATE BINARY)";
    }
    if (parts_.empty())
        return kind_ == Kind::All ? "1" : "0";
    std::string out = "(";
    for (std::size_t i = 0; i < parts_.size(); ++i)
        out += (i ? (kind_ == Kind::All ? " AND " : " OR ") : "") + parts_[i].Sql(column);
    return out + ")";
}

StepCursor::StepCursor(dao::Database& db, const std::string& table, const std::string& index)
    : db_(&db)
    , file_(db.Name())
{
    const dao::TableDef def = db.GetTableDef(table);
    table_ = def.Name;
    const dao::Index* ix = def.FindIndex(index);
    if (!ix) throw dao::Error(dao::errItemNotFound, "The table '" + def.Name + "' has no index '" + index + "'.");
    for (const auto& f : def.Fields)
        fields_.push_back(f.Name);
    for (const auto& f : ix->Fields)
        keyFields_.push_back(fieldIndex(f.Name));

    select_ = "SELECT rowid";
    for (const auto& f : fields_)
        select_ += ", " + QuoteId(f);
    select_ += " FROM " + QuoteId(def.Name);
    // The engine's order: the index's fields, then the rowid for equal keys.
    std::string equal;
    for (std::size_t i = 0; i <= keyFields_.size(); ++i) {
        const std::string col = i < keyFields_.size() ? QuoteId(fields_[keyFields_[i]]) : "rowid";
        const std::string sep = i ? ", " : "";
        ascending_ += sep + col;
        descending_ += sep + col + " DESC";
        tuple_ += sep + col;
        marks_ += sep + "?";
        if (i < keyFields_.size()) equal += (i ? " AND " : "") + col + " = ?";
    }
    auto& c = db.connection();
    detail::Guarded(file_, [&] {
        prepareWalks("");
        seek_ = std::make_unique<SQLite::Statement>(c, select_ + " WHERE " + equal + " ORDER BY " + ascending_);
        // On the first row, as a recordset is once its index is chosen.
        start(*forwardAll_, Way::Forward, false);
        return 0;
    });
    if (!step()) {
        empty_ = true;
        state_ = State::Eof;
    }
}

void StepCursor::prepareWalks(const std::string& condition)
{
    auto& c = db_->connection();
    const std::string where = condition.empty() ? "" : " WHERE " + condition;
    const std::string also = condition.empty() ? "" : " AND " + condition;
    forwardAll_ = std::make_unique<SQLite::Statement>(c, select_ + where + " ORDER BY " + ascending_);
    backAll_ = std::make_unique<SQLite::Statement>(c, select_ + where + " ORDER BY " + descending_);
    forwardFrom_ = std::make_unique<SQLite::Statement>(
        c, select_ + " WHERE (" + tuple_ + ") > (" + marks_ + ")" + also + " ORDER BY " + ascending_);
    backFrom_ = std::make_unique<SQLite::Statement>(
        c, select_ + " WHERE (" + tuple_ + ") < (" + marks_ + ")" + also + " ORDER BY " + descending_);
}

void StepCursor::SetFilter(const RowFilter& filter)
{
    std::string condition;
    if (!filter.PassesAll())
        condition = filter.Sql([this](const std::string& field) { return QuoteId(fields_[fieldIndex(field)]); });
    detail::Guarded(file_, [&] {
        // The running statement is one of those about to be replaced.
        stop();
        prepareWalks(condition);
        return 0;
    });
    filtered_ = !condition.empty();
}

void StepCursor::noRowAtEnd(State end)
{
    if (!filtered_) {
        empty_ = true;
        state_ = State::Eof;
        throw noCurrent();
    }
    // Rows may be there, none passing: is the table itself empty?
    const bool any = detail::Guarded(file_, [&] {
        SQLite::Statement probe(db_->connection(), "SELECT 1 FROM " + QuoteId(table_) + " LIMIT 1");
        return probe.executeStep();
    });
    if (!any) {
        empty_ = true;
        state_ = State::Eof;
        throw noCurrent();
    }
    empty_ = false;
    state_ = end;
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
    if (!step()) noRowAtEnd(State::Eof);
}

void StepCursor::MoveLast()
{
    detail::Guarded(file_, [&] {
        start(*backAll_, Way::Back, false);
        return 0;
    });
    if (!step()) noRowAtEnd(State::Bof);
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
        // Without a filter nothing from the start means an empty table.
        empty_ = fromStart && !filtered_;
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
        empty_ = fromEnd && !filtered_;
    }
}

dao::Value StepCursor::GetValue(const std::string& field) const
{
    if (state_ != State::Row || empty_) throw noCurrent();
    return row_[fieldIndex(field)];
}

} // namespace dao
