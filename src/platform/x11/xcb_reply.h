#pragma once
// Ownership of the replies and errors xcb hands out: they are malloc'd and
// must be freed exactly once.

#include <cstdlib>
#include <memory>

namespace platform {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

template <typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;

}  // namespace platform
