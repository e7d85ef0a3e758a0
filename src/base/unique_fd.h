#pragma once
// The owner of a file descriptor: closed when the owner goes.

#include <unistd.h>

#include <utility>

namespace base {

class UniqueFd {
  public:
    explicit UniqueFd(int fd = -1) : fd_(fd) {}
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { reset(); }
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    void reset(int fd = -1) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = fd;
    }
    int release() { return std::exchange(fd_, -1); }

  private:
    int fd_;
};

}  // namespace base
