#pragma once
// What a clipboard server hands out: a PNG made on demand, once the
// clipboard is ours, in the serving process.

#include <cstdint>
#include <functional>
#include <vector>

namespace platform {

// The PNG file's bytes; empty when it cannot be made. It runs in the
// serving process, from its copy of the caller's memory, and may let go of
// whatever else of the capture that copy holds: the process needs only the
// PNG from then on.
using PngMaker = std::function<std::vector<std::uint8_t>()>;

}  // namespace platform
