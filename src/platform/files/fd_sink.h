#pragma once
// A byte sink that writes to an open file descriptor: the file a save
// makes, or standard output.

#include "platform/files/byte_sink.h"

namespace platform::files {

class FdSink : public ByteSink {
  public:
    explicit FdSink(int fd) : fd_(fd) {}

    // Every byte, or the reason it stopped (a reader of a pipe that went
    // away: EPIPE, with SIGPIPE ignored).
    std::string write(const std::uint8_t* data, std::size_t size) override;

  private:
    int fd_;
};

}  // namespace platform::files
