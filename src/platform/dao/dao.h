#pragma once
// The database engine: databases of table definitions, text fields and
// indexes, walked through table recordsets, stored as plain SQLite files.
//
// A database is one SQLite file in rollback-journal mode, addressed by the
// name it was given (a bare name is relative to the current folder). Tables
// are real SQLite tables with NOCASE text columns, so any SQLite tool can
// read them; what SQLite cannot express (locale, format option, an index's
// Primary and Unique flags) lives in a hidden system table.
//
// Every failure is a dao::Error carrying a number and a text.
#include "platform/error.h"
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include <stdexcept>
#include <string>
#include <vector>

namespace SQLite {
class Database;
class Statement;
} // namespace SQLite

namespace dao {

// Error numbers, kept stable so callers can tell failures apart. Each is the
// number the classic desktop database engine gives the same failure (94 is
// the Basic run time's), so a handler written against those numbers reads
// the same here; only the repair failure is one of our own.
enum ErrorCode : int {
    errInvalidUseOfNull = 94, // the run time's "Invalid use of Null": a Null field read as text
    errNoCurrentRecord = 3021, // the engine's "No current record": a read or change with no row current
    errDuplicateKey = 3022, // the engine's duplicate value in a unique index or primary key
    errFileNotFound = 3024, // the engine's "Couldn't find file": opening a database that is not there
    errObjectNotFound = 3011, // the engine's object not found: a table the database lacks
    errUpdateWithoutEdit = 3020, // the engine's Update or CancelUpdate without AddNew or Edit (also a field set then)
    errNotADatabase = 3343, // the engine's unrecognised database format: not a database of this program
    errDamaged = 3049, // the engine's "Can't open database" for a corrupt file: a damaged database
    errFieldTooSmall = 3163, // the engine's field too small: a text longer than its field's size
    errDatabaseExists = 3204, // the engine's "Database already exists": creating or compacting onto a file
    errItemNotFound = 3265, // the engine's item not found in a collection: a missing field or index
    errNullInKey = 3058, // the engine's Null in an index or primary key field
    errAlreadyExists = 3010, // the engine's table already exists (also a field defined twice)
    errInvalidArgument = 3001, // the engine's "Invalid argument": a missing name, a bad comparison
    errIllegalOperation = 3219, // the engine's "Invalid operation": a closed database or recordset
    errTransaction = 3034, // the engine's commit or rollback without BeginTrans
    errRepairFailed = 3017, // ours, in the engine's range, apart from errDamaged: a file Repair could not rebuild
    errDiskIO = 3040, // the engine's disk I/O error: a file that cannot be read, written or put in place
    errInUse = 3045, // the engine's "Couldn't use; file already in use": another program holds the file longer than the
                     // engine waits
    errDiskFull = 3026, // the engine's "Not enough space on disk"
    errInvalidBookmark = 3159, // the engine's "Not a valid bookmark": a row that is gone
    errFileReplaced = 3018, // ours, beside the repair failure: the open file no longer bears its name (another file
                            // renamed over it, or it was moved or removed), so nothing more is read from it
};

// The engine's and the printer's failures are one type (platform/error.h).
using Error = platform::Error;

enum class FieldType : int { Text = 10 };

// A field's value: text, or Null.
using Value = std::optional<std::string>;

// Creation options and locales as the program passes them.
inline constexpr int dbVersion30 = 32;
inline constexpr const char* dbLangGeneral = ";LANGID=0x0409;CP=1252;COUNTRY=0";

struct Field {
    std::string Name;
    FieldType Type = FieldType::Text;
    int Size = 0; // characters; 0 for an index field
};

class Index {
public:
    std::string Name;
    bool Primary = false;
    bool Unique = false;
    std::vector<Field> Fields;

    Field CreateField(const std::string& name) const { return Field { name, FieldType::Text, 0 }; }
};

// Index.Fields.Append and TableDef.Fields.Append are plain push_backs.
class TableDef {
public:
    std::string Name;
    std::vector<Field> Fields;
    std::vector<Index> Indexes;

    Field CreateField(const std::string& name, FieldType type, int size) const { return Field { name, type, size }; }
    Index CreateIndex(const std::string& name) const
    {
        Index i;
        i.Name = name;
        return i;
    }
    // Field and index lookups ignore letter case; nullptr when absent.
    const Field* FindField(const std::string& name) const;
    const Index* FindIndex(const std::string& name) const;
};

class Database;

// A table recordset: a cursor that walks a table in the order of its current
// index (rows with equal keys in the order they were added), or in insertion
// order before an index is chosen. The cursor is a position in that order,
// so it survives the deletion of the current row.
class Recordset {
public:
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    // Choose the index to walk; moves to the first row in its order.
    void SetIndex(const std::string& indexName);

    // comparison is one of "=", ">=", ">", "<=", "<"; keys give values for the
    // first keys.size() fields of the current index. "=", ">=" and ">" land on
    // the first matching row in index order, "<=" and "<" on the last.
    // Without a match NoMatch() is true and the recordset is at EOF.
    void Seek(const std::string& comparison, const std::vector<std::string>& keys);
    bool NoMatch() const { return noMatch_; }

    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();
    bool BOF() const;
    bool EOF_() const;

    // Number of rows in the table.
    long RecordCount() const;

    // The current row's identity, which no other row of the table shares and
    // which stays with the row while it exists. Setting it makes that row
    // current (errInvalidBookmark when it is gone); moves go on from there in
    // index order, so rows with equal keys are each reached once.
    long long Bookmark() const;
    void SetBookmark(long long bookmark);
    // The bookmark of the row last added or changed through this recordset.
    long long LastModified() const;

    // The current row's field (case-insensitive name). Throws "no current
    // record" without one. During AddNew/Edit the edit buffer is read.
    Value GetValue(const std::string& field) const;
    // The value as text; Null raises errInvalidUseOfNull.
    std::string Text(const std::string& field) const;
    // Set a field in the edit buffer (AddNew or Edit must be pending).
    void SetValue(const std::string& field, const Value& value);
    // Sets a field to a value read from this table: Update writes it back as
    // it is, even where it is longer than the field's size (a row written by
    // another program), rather than refuse the whole row.
    void SetStoredValue(const std::string& field, const Value& value);

    void AddNew();
    void Edit();
    // Writes the edit buffer: appends after AddNew, rewrites the row after
    // Edit. A text longer than its field's size fails, changing nothing;
    // after Edit a field left at its stored value is not checked, so a row
    // written by another program keeps what it holds.
    void Update();
    void CancelUpdate();
    // Deletes the current row; afterwards nothing is current, but MoveNext and
    // MovePrevious go to its neighbours.
    void Delete();

    void Close();
    bool IsOpen() const { return open_; }

    const TableDef& Definition() const { return def_; }

private:
    friend class Database;
    Recordset(Database& db, TableDef def);

    enum class State { Row, Bof, Eof, Deleted };
    enum class EditMode { None, AddNew, Edit };

    void requireOpen() const;
    void requireCurrent() const;
    void release();
    bool fetch(SQLite::Statement& st);
    void bindPosition(SQLite::Statement& st);
    // Fetches the row after (before) the current position in index order.
    bool stepFromPosition(bool forward);
    void positionFirst(bool mustExist);
    void loadStatements();
    int fieldIndex(const std::string& name) const;
    std::vector<std::string> orderColumns() const;

    Database* db_;
    TableDef def_;
    bool open_ = true;
    std::string indexName_;
    std::vector<int> keyFields_; // field positions of the current index
    bool primaryKey_ = false;
    State state_ = State::Bof;
    bool bothEnds_ = false; // an empty table: BOF and EOF at once
    bool noMatch_ = false;
    long long rowid_ = 0;
    std::vector<Value> row_;
    EditMode editMode_ = EditMode::None;
    std::vector<Value> buffer_;
    std::vector<bool> asStored_; // buffer fields set by SetStoredValue
    // Prepared statements for the current index, made on first use.
    std::string selectSql_, ascSql_, descSql_;
    std::unique_ptr<SQLite::Statement> first_, last_, next_, prev_, insert_;
    std::map<std::string, std::unique_ptr<SQLite::Statement>> seeks_;
    std::unique_ptr<SQLite::Statement> byRowid_;
    long long lastModified_ = 0;
};

class Workspace;

class Database {
public:
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const std::string& Name() const { return name_; }
    std::string Locale() const;
    int Version() const;

    TableDef CreateTableDef(const std::string& name) const
    {
        TableDef t;
        t.Name = name;
        return t;
    }
    // TableDefs.Append: creates the table with its fields and indexes.
    void AppendTableDef(const TableDef& def);
    // The user tables with their fields (in order) and indexes; the system
    // table is not listed.
    std::vector<TableDef> TableDefs() const;
    // One table's definition; errObjectNotFound when absent.
    TableDef GetTableDef(const std::string& name) const;

    // A table recordset on an existing table (case-insensitive name).
    std::unique_ptr<Recordset> OpenRecordset(const std::string& table);

    // Deletes, in one statement, every row of `table` whose `field` sorts
    // before `limit` as the table's text fields compare (letter case aside);
    // returns how many went. Inside a pending transaction they go with it.
    long DeleteBelow(const std::string& table, const std::string& field, const std::string& limit);

    void Close();
    bool IsOpen() const { return conn_ != nullptr; }
    // Keeps the file locked exclusively until Close, a journal left by a
    // killed writer rolled back first, so no other program reads or writes
    // it meanwhile. Waits for another program's lock as FileHold does,
    // holding none itself; throws Error when it is still held by then.
    void HoldExclusively();

    SQLite::Database& connection();

private:
    friend class Workspace;
    friend class Recordset;
    friend class ReadSpan;
    friend class StepCursor;
    Database(Workspace& ws, std::string name, std::unique_ptr<SQLite::Database> conn);

    // Whether the name still names the very file the connection opened: SQLite's own test (the inode) and the
    // device and inode the name named at the opening.
    bool bearsItsName() const;

    void beginSavepoint(int depth);
    void endSavepoint(int depth, bool commit);

    Workspace* ws_;
    std::string name_;
    std::unique_ptr<SQLite::Database> conn_;
    std::vector<Recordset*> recordsets_;
    int txDepth_ = 0;
    // What the name named once the connection had opened it.
    unsigned long long device_ = 0, inode_ = 0;
    bool identified_ = false;
};

class Workspace {
public:
    Workspace() = default;
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    // Creates a new, empty database file; errDatabaseExists when anything
    // (a file, a folder, a link) has the name already. A failure removes what
    // this call made.
    std::unique_ptr<Database> CreateDatabase(const std::string& name, const std::string& locale, int option = 0);
    // Creates a database whole or not at all: `build` fills it under a
    // working name beside `name` (the name with ".creating" added), and only
    // the complete, closed file is moved to `name`, never over anything that
    // has that name meanwhile. Whenever the process stops, `name` is either
    // absent or the complete database; a working file left by a stopped
    // creation is replaced by the next one.
    void BuildDatabase(
        const std::string& name, const std::string& locale, int option, const std::function<void(Database&)>& build);
    // Opens an existing database of this program; never creates a file.
    // errFileNotFound, errNotADatabase (garbage or another program's file) or
    // errDamaged.
    std::unique_ptr<Database> OpenDatabase(const std::string& name);

    // Writes a compacted copy of a closed database; the target must not exist.
    // The source is held exclusively (Database::HoldExclusively) from the
    // first read until `whileHeld`, run once the copy is on the disk, has
    // returned; what it throws passes through, the copy left in place.
    void CompactDatabase(const std::string& source, const std::string& target, const std::string& locale = "",
        const std::function<void()>& whileHeld = {});
    // Checks a closed database and rebuilds what it can; true when it had to
    // be rebuilt, false when it was whole. Throws errRepairFailed when the
    // file cannot be made whole or is not a database of this program (which
    // is then left as it is).
    bool RepairDatabase(const std::string& name);

    // Transactions span every database open on the workspace (and those
    // opened while one is pending). They nest.
    void BeginTrans();
    void CommitTrans();
    void Rollback();
    int TransactionDepth() const { return txDepth_; }

private:
    friend class Database;
    void attach(Database* db);
    void detach(Database* db);

    std::vector<Database*> open_;
    int txDepth_ = 0;
};

// A transaction on a workspace for one block: it rolls back when the block
// is left without Commit, by an exception or otherwise.
class Transaction {
public:
    explicit Transaction(Workspace& ws)
        : ws_(ws)
        , depth_(ws.TransactionDepth())
    {
        ws_.BeginTrans();
    }
    ~Transaction()
    {
        if (ws_.TransactionDepth() > depth_) ws_.Rollback();
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void Commit() { ws_.CommitTrans(); }

private:
    Workspace& ws_;
    int depth_;
};

// The engine's default workspace (the first of its Workspaces).
Workspace& DefaultWorkspace();

// Copies the database file `source` into the new file `target` through
// SQLite's online backup: a consistent snapshot, taken under a read lock so
// that no writer changes it meanwhile and with a journal left beside the
// source rolled back first. The copy is on the disk when this returns.
// Throws Error (the target then removed) when the source is held by another
// program, unreadable or the copy cannot be written.
// With `readOnly` the source is only read: a journal beside it is then never
// played back, and such a source fails.
void BackupDatabase(const std::string& source, const std::string& target, bool readOnly = false);

// The file a name stands for: a symbolic link followed to the file it names
// (which may be missing). A step that replaces a file replaces that one.
std::string LinkedFile(std::string name);

// Holds a database file exclusively while it lives (a journal left beside it
// by a killed writer rolled back first), so that it can be renamed over
// without another program's transaction in flight. Taking the hold reads
// nothing but the file's header: a file that SQLite cannot read (damaged,
// cut short, empty, not a database) is held too. While another program
// holds the file it waits, up to the busy timeout, holding no lock itself,
// so that program's commit goes through; it throws Error when the file is
// still held by then.
class FileHold {
public:
    explicit FileHold(const std::string& name);
    ~FileHold();
    FileHold(const FileHold&) = delete;
    FileHold& operator=(const FileHold&) = delete;

    // True when SQLite could not read the file, so that a journal or log
    // still beside it was not played back into it.
    bool Unreadable() const { return unreadable_; }

private:
    std::unique_ptr<SQLite::Database> conn_;
    bool unreadable_ = false;
};

// Holds a read transaction on a database file while it lives (a journal left
// beside it by a killed writer rolled back first), so that no writer changes
// the file meanwhile: its bytes are then a consistent snapshot. Like
// FileHold it reads no schema, so a damaged file can be copied as it is.
// Throws Error when a writer holds the file, or when a journal a killed
// writer left beside it cannot be played back (with `readOnly`, or where
// SQLite cannot write): the file's bytes are then torn.
// Closing another descriptor of the file meanwhile would drop the lock: a
// copier closes its own only once the hold is released.
class ReadHold {
public:
    explicit ReadHold(const std::string& name, bool readOnly = false);
    ~ReadHold();
    ReadHold(const ReadHold&) = delete;
    ReadHold& operator=(const ReadHold&) = delete;

    // False when the file is in write-ahead mode, so that committed pages may
    // lie outside it: it must then be copied through SQLite's backup.
    bool WholeInFile() const { return wholeInFile_; }

private:
    std::unique_ptr<SQLite::Database> conn_;
    bool wholeInFile_ = false;
    bool belowPager_ = false;
};

// Proves a finished copy readable before it replaces anything: SQLite's
// quick check over every page of it. Throws Error (errDamaged) when the copy
// is empty, not SQLite's or damaged.
void CheckCopy(const std::string& name);

// The file starts with SQLite's header (a regular file only; nothing else is opened).
bool IsSqliteFile(const std::string& name);

// Removes a file if present; used where a partial file must not survive.
void RemoveFile(const std::string& name);
bool FileExists(const std::string& name);

// How long a step waits for a lock that another program holds on a file (a
// backup or sync tool reading it) before it fails with errInUse. Every
// connection the engine opens waits this long; tests shorten it.
inline constexpr int DefaultBusyTimeoutMs = 5000;
void SetBusyTimeout(int milliseconds);
int BusyTimeout();

// Tests stop a creation at its steps: the hook is called with the step's
// name ("working file", "built", "closed", "placed") and may end the process
// there. Empty in the program.
void SetCreationHook(std::function<void(const char* step)> hook);

} // namespace dao
