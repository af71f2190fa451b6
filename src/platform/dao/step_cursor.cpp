#include "step_cursor.h"

#include "engine_detail.h"
#include "parallel_scan.h"
#include "sqlite_support.h"

#include <SQLiteCpp/SQLiteCpp.h>
#include <sqlite3.h>

#include <algorithm>

namespace dao {

using detail::QuoteId;
using detail::SameName;

namespace {

dao::Error noCurrent()
{
    return detail::NoCurrentRecord();
}

std::string quoteText(const std::string& text)
{
    std::string out = "'";
    for (char c : text) {
        if (c == '\'') out += '\'';
        out += c;
    }
    return out + "'";
}

// How often SQLite reports progress to a walk that may turn into a scan.
constexpr int StepsPerReport = 1000;
// A filtered walk costs SQLite about this many steps of its virtual machine
// for every row it passes through the index, and the lookup of each row
// makes that row cost about as much time as 4.5 rows of a scan.
constexpr long long StepsPerWalkedRow = 11;
constexpr double WalkedRowsPerScannedRow = 1 / 4.5;
// Below this many rows passed a walk never turns into a scan.
constexpr long long FewRows = 2000;
// The smallest batch a scan returns.
constexpr long long FewestScanRows = 32;

long long testSwitchSteps = 0;
int testBatch = 0;
// A scan of a table spanning at least this many rowids runs in parts, while
// its batch is at most this many rows (the parts' rowids are picked by
// naming them all).
constexpr long long PartedScanRows = 65536;
constexpr int PartedBatchRows = 4096;
// What a scan in parts costs at least, against one on this connection alone.
constexpr double PartsFloor = 0.25;
long long testPartRows = 0;
int testWays = 0;
std::function<void()> testBeforeParts;

std::function<void()> testTurn;
std::function<void()> testBeforeRead;

int DefaultWays()
{
    // The processors this process may use, not those the machine has.
    static const int ways = std::min(8, detail::UsableProcessors());
    return ways;
}

} // namespace

void StepCursor::SetPartedScan(long long fromRows, int ways, std::function<void()> beforeParts)
{
    testPartRows = fromRows > 0 ? fromRows : 0;
    testWays = ways > 0 ? ways : 0;
    testBeforeParts = std::move(beforeParts);
}

void StepCursor::SetScanSwitch(long long engineSteps, int batch, std::function<void()> onTurn)
{
    testSwitchSteps = engineSteps > 0 ? engineSteps : 0;
    testBatch = batch > 0 ? batch : 0;
    testTurn = std::move(onTurn);
}

void ReadSpan::SetBeforeRead(std::function<void()> beforeRead)
{
    testBeforeRead = std::move(beforeRead);
}

ReadSpan::ReadSpan(Database& db)
    : ReadSpan(db, nullptr)
{
}

ReadSpan::ReadSpan(Database& db, SQLite::Statement* holder)
{
    const auto replaced = [&] {
        return dao::Error(errFileReplaced,
            "The file '" + db.Name()
                + "' is no longer under its name: another program has put another file in its place, moved or "
                  "removed it.",
            db.Name());
    };
    detail::Guarded(db.Name(), [&] {
        auto& c = db.connection();
        sqlite3* handle = c.getHandle();
        // A read that starts now takes the journal under the name for this
        // file's own, and plays it back when no one holds that file.
        const bool starts = sqlite3_txn_state(handle, "main") == SQLITE_TXN_NONE;
        if (starts) {
            if (testBeforeRead) testBeforeRead();
            if (!db.bearsItsName()) throw replaced();
        }
        if (!holder) {
            own_ = std::make_unique<SQLite::Statement>(c, "PRAGMA schema_version");
            holder = own_.get();
        }
        // A statement that has returned its row and is not reset keeps the
        // read transaction open, whatever else steps or is reset meanwhile.
        const int rc = holder->tryExecuteStep();
        if (rc != SQLITE_ROW) {
            holder->tryReset();
            throw SQLite::Exception(handle, rc);
        }
        // Renamed over while the read began: what was read is let go unused.
        if (starts && !db.bearsItsName()) {
            holder->tryReset();
            throw replaced();
        }
        holder_ = holder;
        return 0;
    });
}

ReadSpan::~ReadSpan()
{
    if (holder_) holder_->tryReset();
}

class StepCursor::Move {
public:
    explicit Move(StepCursor& cursor)
        : cursor_(cursor)
    {
        if (cursor_.moves_ == 0) span_ = cursor_.openSpan();
        ++cursor_.moves_;
    }
    ~Move() { --cursor_.moves_; }
    Move(const Move&) = delete;
    Move& operator=(const Move&) = delete;

private:
    StepCursor& cursor_;
    std::unique_ptr<ReadSpan> span_;
};

std::unique_ptr<ReadSpan> StepCursor::openSpan()
{
    detail::Guarded(file_, [&] {
        if (!spanHolder_) spanHolder_ = std::make_unique<SQLite::Statement>(db_->connection(), "PRAGMA schema_version");
        return 0;
    });
    return std::unique_ptr<ReadSpan>(new ReadSpan(*db_, spanHolder_.get()));
}

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
        // A Null column makes the comparison Null, which no AND/OR of these
        // terms turns true and a WHERE clause drops: it needs no test of its own,
        // which a scan would pay on every row.
        const std::string c = column(field_);
        return "(" + c + " <> " + quoteText(mark_) + " COLLATE BINARY)";
    }
    if (parts_.empty()) return kind_ == Kind::All ? "1" : "0";
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
    std::vector<std::string> keyCols;
    for (std::size_t i = 0; i < keyFields_.size(); ++i) {
        keyCols.push_back(QuoteId(fields_[keyFields_[i]]));
        equal += (i ? " AND " : "") + keyCols[i] + " = ?";
    }
    const auto key = detail::orderedKey(keyCols);
    ascending_ = key.ascending;
    descending_ = key.descending;
    tuple_ = key.columns;
    marks_ = key.marks;
    detail::Guarded(file_, [&] {
        prepareWalks("");
        seek_.set(select_ + " WHERE " + equal + " ORDER BY " + ascending_);
        byRowid_.set(select_ + " WHERE rowid = ?");
        return 0;
    });
    Move move(*this);
    // On the first row, as a recordset is once its index is chosen.
    detail::Guarded(file_, [&] {
        start(prepared(forwardAll_), Way::Forward, false);
        return 0;
    });
    if (!step()) {
        empty_ = true;
        state_ = State::Eof;
    }
}

void StepCursor::Lazy::set(std::string text)
{
    sql = std::move(text);
    st.reset();
}

SQLite::Statement& StepCursor::prepared(Lazy& lazy)
{
    if (!lazy.st) lazy.st = std::make_unique<SQLite::Statement>(db_->connection(), lazy.sql);
    return *lazy.st;
}

void StepCursor::prepareWalks(const std::string& condition)
{
    const std::string where = condition.empty() ? "" : " WHERE " + condition;
    const std::string also = condition.empty() ? "" : " AND " + condition;
    forwardAll_.set(select_ + where + " ORDER BY " + ascending_);
    backAll_.set(select_ + where + " ORDER BY " + descending_);
    forwardFrom_.set(select_ + " WHERE (" + tuple_ + ") > (" + marks_ + ")" + also + " ORDER BY " + ascending_);
    backFrom_.set(select_ + " WHERE (" + tuple_ + ") < (" + marks_ + ")" + also + " ORDER BY " + descending_);
    scanForward_.set("");
    scanBack_.set("");
    pick_.reset();
    if (condition.empty()) return;
    // A scan returns what the walk it finishes would have gone on to return:
    // the walk's own bounds (:k says whether it had any), then only rows past
    // the one it stands on (:m says whether it stands on one) in the order
    // ORDER BY gives, where Null comes first and equal keys go by rowid.
    std::string startNames, past[2];
    const std::size_t n = keyFields_.size();
    past[0] = "rowid > :c" + std::to_string(n);
    past[1] = "rowid < :c" + std::to_string(n);
    for (std::size_t i = 0; i <= n; ++i)
        startNames += (i ? ", :s" : ":s") + std::to_string(i);
    for (std::size_t j = n; j-- > 0;) {
        const std::string col = QuoteId(fields_[keyFields_[j]]), v = ":c" + std::to_string(j);
        const std::string same = "(" + col + " = " + v + " OR (" + col + " IS NULL AND " + v + " IS NULL))";
        const std::string later = "(" + col + " > " + v + " OR (" + col + " IS NOT NULL AND " + v + " IS NULL))";
        const std::string earlier = "(" + col + " < " + v + " OR (" + col + " IS NULL AND " + v + " IS NOT NULL))";
        past[0] = "(" + later + " OR (" + same + " AND " + past[0] + "))";
        past[1] = "(" + earlier + " OR (" + same + " AND " + past[1] + "))";
    }
    const std::string from = select_ + " NOT INDEXED WHERE " + condition;
    const std::string bounds[2] = {
        " AND (:k = 0 OR (" + tuple_ + ") > (" + startNames + ")) AND (:m = 0 OR " + past[0] + ") ORDER BY "
            + ascending_ + " LIMIT :n",
        " AND (:k = 0 OR (" + tuple_ + ") < (" + startNames + ")) AND (:m = 0 OR " + past[1] + ") ORDER BY "
            + descending_ + " LIMIT :n",
    };
    scanForward_.set(from + bounds[0]);
    scanBack_.set(from + bounds[1]);
    // The same scan over one range of rowids, for a part run on a thread of
    // its own, and over the rowids the parts found, with the test again.
    for (int w = 0; w < 2; ++w) {
        partSql_[w] = "SELECT rowid FROM " + QuoteId(table_) + " NOT INDEXED WHERE rowid BETWEEN :lo AND :hi AND "
            + condition + bounds[w];
        pickHead_[w] = select_ + " NOT INDEXED WHERE rowid IN (";
        pickTail_[w] = ") AND " + condition + bounds[w];
    }
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
    condition_ = condition;
}

bool StepCursor::NullKeyed(const std::vector<std::string>& keys)
{
    if (keys.size() != keyFields_.size())
        throw dao::Error(dao::errInvalidArgument, "The test takes one value for each field of the index.");
    Move move(*this);
    return detail::Guarded(file_, [&] {
        for (std::size_t i = 0; i < keys.size(); ++i) {
            std::string where;
            for (std::size_t j = 0; j < i; ++j)
                where += QuoteId(fields_[keyFields_[j]]) + " = ? AND ";
            where += QuoteId(fields_[keyFields_[i]]) + " IS NULL";
            if (!condition_.empty()) where += " AND " + condition_;
            SQLite::Statement probe(
                db_->connection(), "SELECT 1 FROM " + QuoteId(table_) + " WHERE " + where + " LIMIT 1");
            for (std::size_t j = 0; j < i; ++j)
                probe.bind(int(j) + 1, keys[j]);
            if (probe.executeStep()) return true;
        }
        return false;
    });
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
    runWatched_ = false;
    scanning_ = false;
}

SQLite::Statement& StepCursor::pastNullKey(Way way)
{
    // Row values compare Null as unknown, while the order puts Null first:
    // the rows past one whose key holds Null (a row written by another
    // program) are spelt out field by field, as the table recordset does.
    const bool forward = way == Way::Forward;
    const std::size_t n = keyFields_.size();
    auto column = [&](std::size_t i) { return i < n ? QuoteId(fields_[keyFields_[i]]) : std::string("rowid"); };
    std::string where;
    std::vector<int> binds; // key positions (-1: the rowid) in the order of the marks
    for (std::size_t i = 0; i <= n; ++i) {
        const bool isNull = i < n && !row_[keyFields_[i]];
        std::string term;
        std::vector<int> termBinds;
        for (std::size_t j = 0; j < i; ++j) {
            if (!row_[keyFields_[j]]) {
                term += column(j) + " IS NULL AND ";
            } else {
                term += column(j) + " = ? AND ";
                termBinds.push_back(int(j));
            }
        }
        const int self = i < n ? int(i) : -1;
        if (forward && isNull) {
            term += column(i) + " IS NOT NULL";
        } else if (forward) {
            term += column(i) + " > ?";
            termBinds.push_back(self);
        } else if (isNull) {
            continue; // nothing comes before Null
        } else {
            term += "(" + column(i) + " < ? OR " + column(i) + " IS NULL)";
            termBinds.push_back(self);
        }
        where += (where.empty() ? "(" : " OR (") + term + ")";
        binds.insert(binds.end(), termBinds.begin(), termBinds.end());
    }
    pastNull_ = std::make_unique<SQLite::Statement>(db_->connection(),
        select_ + " WHERE (" + where + ")" + (condition_.empty() ? "" : " AND " + condition_) + " ORDER BY "
            + (forward ? ascending_ : descending_));
    for (std::size_t b = 0; b < binds.size(); ++b) {
        if (binds[b] < 0)
            pastNull_->bind(int(b) + 1, static_cast<int64_t>(rowid_));
        else
            pastNull_->bind(int(b) + 1, *row_[keyFields_[std::size_t(binds[b])]]);
    }
    return *pastNull_;
}

void StepCursor::start(SQLite::Statement& st, Way way, bool fromHere)
{
    stop();
    SQLite::Statement* chosen = &st;
    if (fromHere) {
        const bool nullKey = std::any_of(keyFields_.begin(), keyFields_.end(), [&](int k) { return !row_[k]; });
        if (nullKey)
            chosen = &pastNullKey(way);
        else
            detail::bindOrderedKey(st, keyFields_, row_, rowid_);
        runKey_.clear();
        for (int k : keyFields_)
            runKey_.push_back(row_[k]);
        runRowid_ = rowid_;
    }
    running_ = chosen;
    way_ = way;
    runKeyed_ = fromHere;
    runRows_ = 0;
    runProgress_ = 0;
    partsWeighed_ = -1;
    // The walk past a Null key is never watched: a scan bounded by that key
    // would find nothing.
    runWatched_ = filtered_
        && (forwardAll_.is(chosen) || backAll_.is(chosen) || forwardFrom_.is(chosen) || backFrom_.is(chosen));
}

long long StepCursor::tableRows()
{
    if (tableRows_ < 0) {
        SQLite::Statement top(db_->connection(), "SELECT max(rowid) FROM " + QuoteId(table_));
        tableRows_ = top.executeStep() ? top.getColumn(0).getInt64() : 0;
    }
    return tableRows_;
}

bool StepCursor::partsCanRun()
{
    const int ways = testWays ? testWays : DefaultWays();
    if (ways < 2 || sqlite3_threadsafe() == 0 || tableRows() < (testWays ? testPartRows : PartedScanRows)) return false;
    sqlite3* handle = db_->connection().getHandle();
    // Changes of this connection not yet committed are seen by it alone.
    if (!sqlite3_get_autocommit(handle)) return false;
    const char* file = sqlite3_db_filename(handle, "main");
    if (!file || !*file) return false;
    // Under the move's read transaction the mode cannot change: leaving or
    // entering the write-ahead mode needs the file to itself.
    SQLite::Statement& mode = prepared(journalMode_);
    const bool wal = mode.executeStep() && detail::SameName(mode.getColumn(0).getString(), "wal");
    mode.tryReset();
    return !wal;
}

int StepCursor::firstScanLimit() const
{
    const int limit = int(std::max<long long>(FewestScanRows, 2 * (expected_ - runRows_)));
    return testBatch ? std::min(limit, testBatch) : limit;
}

double StepCursor::scanShare(int limit) const
{
    // A scan that runs whole costs the whole scan.
    if (partsWeighed_ != 1 || limit > PartedBatchRows) return 1;
    const int ways = testWays ? testWays : DefaultWays();
    // The parts share the machine's memory and caches, each opens the file
    // anew and their rows are picked again here: a little slower each, and
    // together never below a quarter of the scan on one connection (Previous
    // over a sparse measure ran 38 ms in parts against 27 ms on the index).
    return std::min(1.0, PartsFloor + 1.25 / ways);
}

bool StepCursor::fewRowsAhead()
{
    // From an end the whole table is ahead.
    if (!runKeyed_ && runRows_ == 0) return false;
    const auto few
        = static_cast<long long>(double(tableRows()) * WalkedRowsPerScannedRow * scanShare(firstScanLimit()));
    SQLite::Statement count(db_->connection(),
        "SELECT count(*) FROM (SELECT 1 FROM " + QuoteId(table_) + " WHERE (" + tuple_ + ") "
            + (way_ == Way::Forward ? "> (" : "< (") + marks_ + ") ORDER BY "
            + (way_ == Way::Forward ? ascending_ : descending_) + " LIMIT ?)");
    int i = 1;
    for (std::size_t k = 0; k < keyFields_.size(); ++k, ++i) {
        const dao::Value& v = runRows_ > 0 ? row_[keyFields_[k]] : runKey_[k];
        if (v)
            count.bind(i, *v);
        else
            count.bind(i);
    }
    count.bind(i++, static_cast<int64_t>(runRows_ > 0 ? rowid_ : runRowid_));
    count.bind(i, static_cast<int64_t>(few));
    return count.executeStep() && count.getColumn(0).getInt64() < few;
}

int StepCursor::onProgress(void* cursor)
{
    auto* self = static_cast<StepCursor*>(cursor);
    const long long steps = testSwitchSteps ? std::min<long long>(testSwitchSteps, StepsPerReport) : StepsPerReport;
    self->runProgress_ += steps;
    bool scan = false;
    if (testSwitchSteps) {
        scan = self->runProgress_ >= testSwitchSteps;
    } else if (self->runProgress_ >= FewRows * StepsPerWalkedRow) {
        // What the rest of the walk would cost at the rate it finds rows so
        // far, against one scan of the whole table.
        const long long wanted = std::max<long long>(1, self->expected_ - self->runRows_);
        const long long ahead = self->runProgress_ / (self->runRows_ + 1) * wanted;
        // Both weighed before the step: nothing here runs SQL on the connection whose step is running.
        scan = double(ahead) > double(self->tableRows_) * StepsPerWalkedRow * WalkedRowsPerScannedRow
                * self->scanShare(self->firstScanLimit());
    }
    self->interrupted_ = scan;
    return scan ? 1 : 0;
}

std::vector<detail::ScanBinding> StepCursor::scanBindings() const
{
    std::vector<detail::ScanBinding> b;
    const std::size_t n = keyFields_.size();
    b.push_back({ ":k", runKeyed_ ? 1 : 0, {} });
    b.push_back({ ":m", runRows_ > 0 ? 1 : 0, {} });
    for (std::size_t i = 0; i < n; ++i) {
        b.push_back({ ":s" + std::to_string(i), std::nullopt, runKeyed_ ? runKey_[i] : dao::Value {} });
        b.push_back({ ":c" + std::to_string(i), std::nullopt, runRows_ > 0 ? row_[keyFields_[i]] : dao::Value {} });
    }
    b.push_back({ ":s" + std::to_string(n), runRowid_, {} });
    b.push_back({ ":c" + std::to_string(n), rowid_, {} });
    return b;
}

std::optional<std::vector<long long>> StepCursor::scanInParts(
    int way, const std::vector<detail::ScanBinding>& bindings, int limit)
{
    const int ways = testWays ? testWays : DefaultWays();
    if (ways < 2 || limit > PartedBatchRows || sqlite3_threadsafe() == 0) return std::nullopt;
    sqlite3* handle = db_->connection().getHandle();
    // Changes of this connection not yet committed are seen by it alone.
    if (!sqlite3_get_autocommit(handle)) return std::nullopt;
    const char* file = sqlite3_db_filename(handle, "main");
    if (!file || !*file) return std::nullopt;
    auto& c = db_->connection();
    if (!view_) {
        const std::string t = QuoteId(table_);
        viewSql_ = "SELECT (SELECT min(rowid) FROM " + t + "), (SELECT max(rowid) FROM " + t
            + "), (SELECT page_count FROM pragma_page_count())";
        view_ = std::make_unique<SQLite::Statement>(c, viewSql_);
    }
    // Read under the move's read transaction, which stays until the parts'
    // rows are picked: in rollback mode no other program can commit
    // meanwhile, so every part that finds this view reads this moment.
    detail::FileView view;
    const bool seen = view_->tryExecuteStep() == SQLITE_ROW;
    if (seen) {
        view.firstRowid = view_->getColumn(0).getInt64();
        view.lastRowid = view_->getColumn(1).getInt64();
        view.pages = view_->getColumn(2).getInt64();
    }
    view_->tryReset();
    if (!seen) return std::nullopt;
    const unsigned long long span
        = static_cast<unsigned long long>(view.lastRowid) - static_cast<unsigned long long>(view.firstRowid);
    if (view.lastRowid < view.firstRowid
        || span < static_cast<unsigned long long>(testWays ? testPartRows : PartedScanRows) - 1)
        return std::nullopt;
    if (testBeforeParts) testBeforeParts();
    {
        // In the write-ahead mode a read lock keeps no commit out, and a part
        // would read a later moment than this connection holds.
        SQLite::Statement& mode = prepared(journalMode_);
        const bool wal = !mode.executeStep() || detail::SameName(mode.getColumn(0).getString(), "wal");
        mode.tryReset();
        if (wal) return std::nullopt;
    }
    // The parts open the file by name: only while the name names this
    // connection's very file, as it did when the file was opened, can they
    // read what it reads.
    if (!db_->bearsItsName() || !detail::ReadFileIdentity(handle, view)) return std::nullopt;
    auto rowids = detail::ScanInParallel(file, partSql_[way], viewSql_, bindings, view, ways, limit);
    // Each part found this file under the name while it read; the name still
    // names it now.
    if (!rowids || !detail::StillNamesItsFile(handle)) return std::nullopt;
    return rowids;
}

void StepCursor::startScan(int limit)
{
    if (testBatch) limit = std::min(limit, testBatch);
    const int way = way_ == Way::Forward ? 0 : 1;
    // The move's read transaction outlives the statement: the next batch
    // reads the same moment.
    running_->tryReset();
    running_->clearBindings();
    if (testTurn) testTurn();
    const auto bindings = scanBindings();
    SQLite::Statement* st = nullptr;
    if (auto rowids = scanInParts(way, bindings, limit)) {
        // Picked again with the whole test on this connection: the parts'
        // first rows hold the first rows of the table.
        std::string list;
        for (long long r : *rowids)
            list += (list.empty() ? "" : ",") + std::to_string(r);
        pick_ = std::make_unique<SQLite::Statement>(
            db_->connection(), pickHead_[way] + (list.empty() ? "NULL" : list) + pickTail_[way]);
        st = pick_.get();
        ++partedScans_;
    } else {
        st = &prepared(way == 0 ? scanForward_ : scanBack_);
        st->tryReset();
        st->clearBindings();
    }
    for (const auto& b : bindings) {
        if (b.number)
            st->bind(b.name, static_cast<int64_t>(*b.number));
        else if (b.text)
            st->bind(b.name, *b.text);
        else
            st->bind(b.name);
    }
    st->bind(":n", limit);
    running_ = st;
    if (!scanning_) ++scans_;
    scanning_ = true;
    batchRows_ = 0;
    batchLimit_ = limit;
}

bool StepCursor::step()
{
    return detail::Guarded(file_, [&] {
        for (;;) {
            int rc = 0;
            if (runWatched_ && !scanning_) {
                // SQLite reports its progress, so a walk that passes row after
                // row without finding one can go over to a scan midway.
                sqlite3* handle = db_->connection().getHandle();
                if (partsWeighed_ < 0) {
                    // Weighed here, before the step: the progress report runs no SQL.
                    tableRows();
                    partsWeighed_ = partsCanRun() ? 1 : 0;
                }
                interrupted_ = false;
                const int every
                    = testSwitchSteps ? int(std::min<long long>(testSwitchSteps, StepsPerReport)) : StepsPerReport;
                sqlite3_progress_handler(handle, every, &StepCursor::onProgress, this);
                rc = running_->tryExecuteStep();
                sqlite3_progress_handler(handle, 0, nullptr, nullptr);
            } else {
                rc = running_->tryExecuteStep();
            }
            if (rc == SQLITE_ROW) break;
            if (rc == SQLITE_DONE) {
                // A full batch may have more rows after it.
                if (scanning_ && batchRows_ == batchLimit_) {
                    startScan(batchLimit_ * 2);
                    continue;
                }
                stop();
                return false;
            }
            // A read stopped by its progress report rolls nothing back.
            if (rc == SQLITE_INTERRUPT && interrupted_) {
                interrupted_ = false;
                if (fewRowsAhead()) {
                    // The rest of the index costs less than a scan: the walk
                    // again from the row it returned last, by its key, as a
                    // scan would go on. Counting the rows again would count
                    // those another program added or changed meanwhile.
                    if (runRows_ > 0)
                        start(prepared(way_ == Way::Forward ? forwardFrom_ : backFrom_), way_, true);
                    else
                        running_->tryReset();
                    if (testTurn) testTurn();
                    runWatched_ = false;
                    continue;
                }
                startScan(firstScanLimit());
                continue;
            }
            throw SQLite::Exception(db_->connection().getHandle(), rc);
        }
        ++runRows_;
        if (scanning_) ++batchRows_;
        // Straight from the statement into the row's own buffers: a long walk
        // makes no string of its own for each value.
        rowid_ = running_->getColumn(0).getInt64();
        row_.resize(fields_.size());
        for (std::size_t i = 0; i < fields_.size(); ++i) {
            // One call into the engine a value: no text pointer is a Null.
            const char* text = running_->getColumn(int(i) + 1).getText(nullptr);
            if (!text) {
                row_[i].reset();
                continue;
            }
            if (!row_[i]) row_[i].emplace();
            // The fields are text: no zero byte inside, so the length needs no
            // second call either.
            row_[i]->assign(text);
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
    Move move(*this);
    detail::Guarded(file_, [&] {
        stop();
        for (std::size_t i = 0; i < keys.size(); ++i)
            prepared(seek_).bind(int(i) + 1, keys[i]);
        running_ = &prepared(seek_);
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

void StepCursor::SeekAtLeast(const std::vector<std::string>& keys)
{
    if (keys.empty() || keys.size() > keyFields_.size())
        throw dao::Error(dao::errInvalidArgument, "Seek takes one value for each of the first fields of the index.");
    Move move(*this);
    detail::Guarded(file_, [&] {
        stop();
        atLeast_.resize(keyFields_.size());
        auto& st = atLeast_[keys.size() - 1];
        if (!st) {
            std::string tuple, marks;
            for (std::size_t i = 0; i < keys.size(); ++i) {
                tuple += (i ? ", " : "") + QuoteId(fields_[keyFields_[i]]);
                marks += i ? ", ?" : "?";
            }
            st = std::make_unique<SQLite::Statement>(
                db_->connection(), select_ + " WHERE (" + tuple + ") >= (" + marks + ") ORDER BY " + ascending_);
        }
        for (std::size_t i = 0; i < keys.size(); ++i)
            st->bind(int(i) + 1, keys[i]);
        running_ = st.get();
        way_ = Way::Forward;
        return 0;
    });
    // Every later row in index order also passes the test, so the statement
    // simply goes on for MoveNext.
    noMatch_ = !step();
    if (noMatch_) {
        state_ = State::Eof;
        empty_ = false;
    }
}

void StepCursor::MoveFirst()
{
    Move move(*this);
    detail::Guarded(file_, [&] {
        start(prepared(forwardAll_), Way::Forward, false);
        return 0;
    });
    if (!step()) noRowAtEnd(State::Eof);
}

void StepCursor::MoveLast()
{
    Move move(*this);
    detail::Guarded(file_, [&] {
        start(prepared(backAll_), Way::Back, false);
        return 0;
    });
    if (!step()) noRowAtEnd(State::Bof);
}

void StepCursor::MoveNext()
{
    if (EOF_()) throw noCurrent();
    Move move(*this);
    const bool fromStart = state_ == State::Bof;
    if (fromStart || way_ != Way::Forward) {
        detail::Guarded(file_, [&] {
            start(prepared(fromStart ? forwardAll_ : forwardFrom_), Way::Forward, !fromStart);
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
    Move move(*this);
    const bool fromEnd = state_ == State::Eof;
    if (fromEnd || way_ != Way::Back) {
        detail::Guarded(file_, [&] {
            start(prepared(fromEnd ? backAll_ : backFrom_), Way::Back, !fromEnd);
            return 0;
        });
    }
    if (!step()) {
        state_ = State::Bof;
        empty_ = fromEnd && !filtered_;
    }
}

long long StepCursor::Bookmark() const
{
    if (state_ != State::Row || empty_) throw noCurrent();
    return rowid_;
}

void StepCursor::SetBookmark(long long bookmark)
{
    Move move(*this);
    detail::Guarded(file_, [&] {
        stop();
        prepared(byRowid_).bind(1, static_cast<int64_t>(bookmark));
        running_ = &prepared(byRowid_);
        return 0;
    });
    const bool found = step();
    // One row at most: the next move re-keys from it.
    stop();
    if (!found)
        throw dao::Error(dao::errInvalidBookmark, "Not a valid bookmark: the row is no longer in the table.", file_);
}

dao::Value StepCursor::GetValue(const std::string& field) const
{
    if (state_ != State::Row || empty_) throw noCurrent();
    return row_[fieldIndex(field)];
}

const dao::Value& StepCursor::ValueAt(int position) const
{
    if (state_ != State::Row || empty_) throw noCurrent();
    return row_.at(std::size_t(position));
}

} // namespace dao
