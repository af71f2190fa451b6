#pragma once
// Another program's hold on a database file: a second connection that keeps
// a read transaction under way until a timer on a thread of its own lets it
// go, so the program's step runs (and waits) while the hold lasts. The
// test's own event loop cannot release it: a step that waits for a lock
// blocks the thread that loop runs on.
#include "platform/dao/dao.h"

#include <SQLiteCpp/SQLiteCpp.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace testsupport {

class HeldFile {
public:
    enum class Mode {
        Rollback, // reads the file as it is, in its rollback journal
        Wal, // switches the file to WAL mode, as another program may, and keeps it open in it
    };

    // Holds `file` for `hold` from now. In WAL mode `logSql` runs first, with
    // automatic checkpoints off, so its rows are in the log only.
    HeldFile(const std::string& file, Mode mode, std::chrono::milliseconds hold, const std::string& logSql = {})
        : conn_(std::make_unique<SQLite::Database>(file, SQLite::OPEN_READWRITE))
    {
        if (mode == Mode::Wal) {
            conn_->exec("PRAGMA journal_mode=WAL");
            conn_->exec("PRAGMA wal_autocheckpoint=0");
            if (!logSql.empty()) conn_->exec(logSql);
        }
        conn_->exec("BEGIN");
        conn_->exec("SELECT count(*) FROM sqlite_master");
        timer_ = std::thread([this, hold] {
            std::unique_lock<std::mutex> lock(mutex_);
            cv_.wait_for(lock, hold, [this] { return stop_; });
            // Closing ends the hold; the last connection takes the log into
            // the file.
            conn_->exec("COMMIT");
            conn_.reset();
        });
    }
    ~HeldFile() { Release(); }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    // Lets go now (if the timer has not yet) and waits until it has.
    void Release()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        cv_.notify_all();
        if (timer_.joinable()) timer_.join();
    }

private:
    std::unique_ptr<SQLite::Database> conn_;
    std::mutex mutex_;
    std::condition_variable cv_;
    bool stop_ = false;
    std::thread timer_;
};

// The engine's busy timeout for one test, restored afterwards.
class BusyTimeout {
public:
    explicit BusyTimeout(std::chrono::milliseconds timeout)
        : previous_(dao::BusyTimeout())
    {
        dao::SetBusyTimeout(int(timeout.count()));
    }
    ~BusyTimeout() { dao::SetBusyTimeout(previous_); }
    BusyTimeout(const BusyTimeout&) = delete;
    BusyTimeout& operator=(const BusyTimeout&) = delete;

private:
    int previous_;
};

} // namespace testsupport
