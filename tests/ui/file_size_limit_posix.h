#pragma once
// A lowered file size limit for one scope: a write past it fails as on a full disk
// (the tests run as root, where permissions cannot make a save fail).

#include <sys/resource.h>

#include <csignal>

namespace valdro::ui::test {

class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) : handler_(std::signal(SIGXFSZ, SIG_IGN)) {
        // Ignoring SIGXFSZ turns the write past the limit into an error, not a killed test.
        const bool read = getrlimit(RLIMIT_FSIZE, &was_) == 0;
        const rlimit small{bytes, was_.rlim_max};
        ok_ = read && setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &was_);
        std::signal(SIGXFSZ, handler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool Ok() const { return ok_; }

  private:
    rlimit was_{};
    void (*handler_)(int);
    bool ok_ = false;
};

}  // namespace valdro::ui::test
