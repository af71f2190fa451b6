#pragma once
// A read-only cursor over a table in the order of one of its indexes (its keys, then the
// order the rows were added), with the moves of a table recordset.
//
// The engine's recordset runs a fresh keyed query for every move, about 10 us
// a step; a page that skips most rows walks thousands of
// rows. This cursor keeps one statement stepping while it goes the same
// way, and re-keys it from the current row only when it turns or jumps.
//
// One moment of the file: each move (and the opening, which lands on the
// first row) reads under one read transaction of the connection, owned by a
// ReadSpan that lives from the move's first row to its last, through every
// batch of a scan, its parts and every turn. Another program may commit
// only where no span is under way and the cursor's statement has ended: a
// walk that goes on keeps its statement, and with it the file's read lock,
// from one move to the next until it reaches an end of the table, turns
// away from it in another move, Seek or SetBookmark stop it, or the cursor
// ends. So a commit lands between two moves, never inside one; a page read
// in many moves takes a ReadSpan of its own around them all.
#include "platform/dao/dao.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace SQLite {
class Statement;
}

namespace dao::detail {
struct ScanBinding;
}

namespace dao {

// A test on a row's text fields, evaluated inside SQLite. Field names are
// matched without regard to case when a cursor takes the filter.
class RowFilter {
public:
    // Every row passes.
    RowFilter() = default;
    // The field holds a value: it is not Null and its whole stored text is not
    // `mark` (compared exactly: case, blanks and all).
    static RowFilter Holds(const std::string& field, const std::string& mark);
    // Every part passes (every row, without parts).
    static RowFilter AllOf(std::vector<RowFilter> parts);
    // At least one part passes (no row, without parts).
    static RowFilter AnyOf(std::vector<RowFilter> parts);

    // Passes every row, so a walk with it skips nothing.
    bool PassesAll() const { return kind_ == Kind::All && parts_.empty(); }
    // The SQL condition, with `column` giving the quoted column of a field name.
    std::string Sql(const std::function<std::string(const std::string&)>& column) const;

private:
    enum class Kind { Holds, All, Any };
    Kind kind_ = Kind::All;
    std::string field_, mark_;
    std::vector<RowFilter> parts_;
};

// Holds one read transaction on a database's connection while it lives:
// every read through that connection (cursors and recordsets alike) sees the
// file as committed when the span began. In rollback mode another
// program's commit waits for the span to end (as long as the engine's busy
// timeout); in write-ahead mode it goes ahead but is not seen. Spans nest; an
// inner one adds nothing but its own hold.
// A span that starts a read first makes sure the name still names the file
// the connection opened (SQLite's test of the inode, and the device and
// inode the name named when it was opened): else it throws errFileReplaced
// and reads nothing, so the old file is never read on and the journal of
// the file now under the name is never taken for its own.
class ReadSpan {
public:
    explicit ReadSpan(Database& db);
    ~ReadSpan();
    ReadSpan(const ReadSpan&) = delete;
    ReadSpan& operator=(const ReadSpan&) = delete;

    // For tests: `beforeRead` runs each time a span is about to start a read
    // of the file, before the name is tested; empty restores nothing to run.
    static void SetBeforeRead(std::function<void()> beforeRead);

private:
    friend class StepCursor;
    // The span held by `holder`, a statement of the connection kept by the caller.
    ReadSpan(Database& db, SQLite::Statement* holder);
    std::unique_ptr<SQLite::Statement> own_;
    SQLite::Statement* holder_ = nullptr;
};

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
    // The first row whose leading key fields are at least `keys` (one value
    // for each of the first keys.size() fields of the index): one index seek,
    // after which MoveNext keeps stepping the same statement. Without such a
    // row NoMatch() is true and the cursor is at EOF.
    void SeekAtLeast(const std::vector<std::string>& keys);
    bool NoMatch() const { return noMatch_; }

    // The filter of the moves from now on; the row under the cursor stays.
    // With a filter, MoveFirst, MoveLast, MoveNext and MovePrevious land only
    // on rows that pass it; MoveFirst leaves the cursor at EOF and MoveLast at
    // BOF when none does (an empty table still raises errNoCurrentRecord).
    // Seek finds its row whether or not it passes. Throws errItemNotFound
    // for a field the table does not have.
    void SetFilter(const RowFilter& filter);
    bool Filtered() const { return filtered_; }

    // About how many more rows the walk means to take: a filtered walk that
    // finds its rows far apart finishes with one sorted scan of the table for
    // them, in the same order, instead of a lookup for every row it passes.
    void ExpectRows(int rows) { expected_ = rows > 0 ? rows : 1; }

    // Whether a row that passes the filter holds Null where a walk keyed
    // from `keys` (one value for each field of the index) compares it, and so
    // passes it over: Null in the first field, or in the field after the
    // leading fields equal to `keys`. One indexed lookup for each field.
    bool NullKeyed(const std::vector<std::string>& keys);

    // For tests: switch a filtered walk to the scan after `engineSteps` of
    // SQLite's virtual machine, and let each scan return at most `batch`
    // rows; 0 and 0 restore the adaptive switch. `onTurn` runs each time a
    // walk has ended one statement midway and is about to go on with the
    // next (between two batches, or where it turns into a scan or starts
    // again), the move's read transaction still held, so another program can
    // try to commit there.
    static void SetScanSwitch(long long engineSteps, int batch, std::function<void()> onTurn = {});
    // How many scans this cursor's walks went over to.
    int Scans() const { return scans_; }
    // For tests: run the scans of a table spanning at least `fromRows` rowids
    // in `ways` parts, calling `beforeParts` once the read lock is held and
    // before the parts start; 0 and 0 restore the defaults (large tables, up
    // to eight parts, as the machine has cores).
    static void SetPartedScan(long long fromRows, int ways, std::function<void()> beforeParts = {});
    // How many batches of those scans ran in parts.
    int PartedScans() const { return partedScans_; }

    // As a table recordset moves: MoveFirst and MoveLast need a row (else
    // errNoCurrentRecord), MoveNext from BOF goes to the first row, MovePrevious
    // from EOF to the last.
    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();
    bool BOF() const { return state_ == State::Bof || empty_; }
    bool EOF_() const { return state_ == State::Eof || empty_; }

    // The current row's identity, as a recordset's bookmark; setting it makes
    // that row current (errInvalidBookmark when it is gone), and moves go on
    // from it in index order.
    long long Bookmark() const;
    void SetBookmark(long long bookmark);

    // The current row's field (name without regard to case); Null as an empty
    // optional. errNoCurrentRecord without a current row.
    dao::Value GetValue(const std::string& field) const;
    // For walks over many rows: a field's position, looked up once (throws as
    // GetValue does for an unknown name), and the current row's value there,
    // without a copy.
    int FieldPosition(const std::string& field) const { return fieldIndex(field); }
    const dao::Value& ValueAt(int position) const;

private:
    enum class State { Bof, Row, Eof };
    enum class Way { None, Forward, Back };
    // A public move's read transaction: the outermost one of a move takes a
    // ReadSpan on the cursor's own holding statement.
    class Move;
    std::unique_ptr<ReadSpan> openSpan();
    int moves_ = 0;
    std::unique_ptr<SQLite::Statement> spanHolder_;

    // Steps the running statement; false (and the statement ended) at its end.
    bool step();
    // The running walk ran long without finding its rows: go on with a scan.
    void startScan(int limit);
    // The scan's parameters but its limit, from where the walk stands.
    std::vector<detail::ScanBinding> scanBindings() const;
    // The rowids the scan's parts found, each part on a thread of its own,
    // reading the moment the move's read transaction holds; nothing when the
    // scan should run here whole.
    std::optional<std::vector<long long>> scanInParts(
        int way, const std::vector<detail::ScanBinding>& bindings, int limit);
    // Whether a scan of this moment could run in parts at all: the file in
    // rollback mode, no transaction of this connection open, a table large
    // enough, processors to run them. Asked before the watched step, never
    // from inside SQLite's progress report, which must run no SQL.
    bool partsCanRun();
    // The limit of the first batch of a scan that finishes the running walk.
    int firstScanLimit() const;
    static int onProgress(void* cursor);
    // Whether the rest of the running walk's range holds fewer rows than a
    // walk could pass in the time of a scan.
    bool fewRowsAhead();
    // Rows of the table, as its largest rowid tells (no count over the table).
    long long tableRows();
    // What a scan of the whole table costs against one on this thread alone:
    // less where it will run in parts side by side (the weighing of the
    // running walk, made before its watched step), whole otherwise.
    double scanShare(int limit) const;
    // The walk `way` from the current row when its key holds Null.
    SQLite::Statement& pastNullKey(Way way);
    // Starts `st` going `way`, bound to the current row's position when `fromHere`.
    void start(SQLite::Statement& st, Way way, bool fromHere);
    void stop();
    int fieldIndex(const std::string& field) const;
    // Prepares the four walking statements for `condition` (SQL; empty for none).
    void prepareWalks(const std::string& condition);
    // After a filtered MoveFirst or MoveLast found no row: an empty table, or only no passing row.
    void noRowAtEnd(State end);

    dao::Database* db_ = nullptr;
    std::string file_, table_, select_, ascending_, descending_, tuple_, marks_, condition_;
    bool filtered_ = false;
    std::vector<std::string> fields_;
    std::vector<int> keyFields_;
    // A statement prepared on its first use: a click opens a cursor, sets
    // its filter and takes one or two of these; preparing them all would
    // cost more than the walk itself where rows are dense.
    struct Lazy {
        std::string sql;
        std::unique_ptr<SQLite::Statement> st;
        void set(std::string text);
        bool is(const SQLite::Statement* p) const { return st && st.get() == p; }
    };
    SQLite::Statement& prepared(Lazy& lazy);
    Lazy forwardAll_, backAll_, forwardFrom_, backFrom_, seek_, byRowid_;
    // The walks' scans, sorted by SQLite: they take the bounds of the walk
    // they finish and the row it stands on.
    Lazy scanForward_, scanBack_;
    // The same in parts: a part's query, and the query that picks from what
    // the parts found (its rowids go between head and tail), by way.
    std::string partSql_[2], pickHead_[2], pickTail_[2], viewSql_;
    std::unique_ptr<SQLite::Statement> pick_, view_, pastNull_;
    Lazy journalMode_ { "PRAGMA journal_mode", {} };
    int partedScans_ = 0;
    // The running walk's weighing, made before its first watched step: -1 not yet, else whether parts could run.
    int partsWeighed_ = -1;
    // The walk under way: where it was started from, what it returned, and
    // whether it has gone over to a scan.
    bool runKeyed_ = false, runWatched_ = false, scanning_ = false, interrupted_ = false;
    std::vector<dao::Value> runKey_;
    long long runRowid_ = 0, runRows_ = 0, runProgress_ = 0, tableRows_ = -1;
    int expected_ = 64, batchLimit_ = 0, batchRows_ = 0, scans_ = 0;
    // ">=" seeks, made on first use, by the number of key fields given.
    std::vector<std::unique_ptr<SQLite::Statement>> atLeast_;
    SQLite::Statement* running_ = nullptr;
    Way way_ = Way::None;
    State state_ = State::Bof;
    bool empty_ = false;
    bool noMatch_ = false;
    long long rowid_ = 0;
    std::vector<dao::Value> row_;
};

} // namespace dao
