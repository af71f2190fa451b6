#pragma once
// Files this process writes are held under a size for the life of the
// object, as a full disk holds them: a write past it fails (the signal it
// raises is ignored), and the old limit and handler come back afterwards.
#include <csignal>
#include <sys/resource.h>

namespace testsupport {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        if (getrlimit(RLIMIT_FSIZE, &before_) != 0) return;
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = before_;
        limited.rlim_cur = bytes;
        set_ = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        if (set_) setrlimit(RLIMIT_FSIZE, &before_);
        if (previous_ != SIG_ERR) std::signal(SIGXFSZ, previous_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    // Whether the limit holds.
    bool ok() const { return set_; }

private:
    rlimit before_ {};
    void (*previous_)(int) = SIG_ERR;
    bool set_ = false;
};

} // namespace testsupport
