#pragma once
// A read-only cursor over a table in the order of one of its indexes (its keys, then the
// order the rows were added), with the moves of a table recordset.
//
// The engine's recordset runs a fresh keyed query for every move, about 10 us
// a step; a page that skips most rows walks thousands of
// rows. This cursor keeps one statement stepping while it goes the same
// way, and re-keys it from the current row only when it turns or jumps.
#include "platform/dao/dao.h"

#include <memory>
#include <string>
#include <vector>

namespace SQLite {
class Statement;
}

namespace dao {

class StepCursor {
public:
    // Over `table` of an open database, in the order of `index`; throws
    // dao::Error when either is missing. Starts on the first row (at both
    // ends when the table is empty).
    StepCursor(dao::Database& db, const std::string& table, const std::string& index);
    ~StepCursor();
    StepCursor(const StepCursor&) = delete;
    StepCursor& operator=(const StepCursor&) = delete;

    // The first row whose index key equals `keys`; without one NoMatch() is
    // true and the cursor is at EOF.
    void Seek(const std::vector<std::string>& keys);
    bool NoMatch() const { return noMatch_; }

    // As a table recordset moves: MoveFirst and MoveLast need a row (else
    // errNoCurrentRecord), MoveNext from BOF goes to the first row, MovePrevious
    // from EOF to the last.
    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();
    bool BOF() const { return state_ == State::Bof || empty_; }
    bool EOF_() const { return state_ == State::Eof || empty_; }

    // The current row's field (name without regard to case); Null as an empty
    // optional. errNoCurrentRecord without a current row.
    dao::Value GetValue(const std::string& field) const;

private:
    enum class State { Bof, Row, Eof };
    enum class Way { None, Forward, Back };

    // Steps the running statement; false (and the statement ended) at its end.
    bool step();
    // Starts `st` going `way`, bound to the current row's position when `fromHere`.
    void start(SQLite::Statement& st, Way way, bool fromHere);
    void stop();
    int fieldIndex(const std::string& field) const;

    std::string file_, table_;
    std::vector<std::string> fields_;
    std::vector<int> keyFields_;
    std::unique_ptr<SQLite::Statement> forwardAll_, backAll_, forwardFrom_, backFrom_, seek_;
    SQLite::Statement* running_ = nullptr;
    Way way_ = Way::None;
    State state_ = State::Bof;
    bool empty_ = false;
    bool noMatch_ = false;
    long long rowid_ = 0;
    std::vector<dao::Value> row_;
};

} // namespace dao
