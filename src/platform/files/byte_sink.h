#pragma once
// Where an encoder's bytes go: a file being made, standard output, ... The
// encoders hand their bytes over as they have them, so that the picture is
// not copied again on its way out. Nothing here needs Qt.

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform::files {

class ByteSink {
  public:
    virtual ~ByteSink() = default;

    // Takes all `size` bytes at `data`. Empty on success, else why not, in
    // the system's words.
    virtual std::string write(const std::uint8_t* data, std::size_t size) = 0;
};

}  // namespace platform::files
