#include "platform/raster/pages.h"

#include <windows.h>

#include <cstdint>

namespace raster {

std::size_t PageSize() {
    static const std::size_t size = [] {
        SYSTEM_INFO info;
        ::GetSystemInfo(&info);
        return info.dwPageSize > 0 ? static_cast<std::size_t>(info.dwPageSize) : std::size_t{4096};
    }();
    return size;
}

// Windows gives large pages only to accounts holding a privilege a user's
// rarely does; the block is aligned all the same, as callers expect.
void* MapPages(std::size_t bytes) {
    if (bytes == 0) {
        bytes = 1;
    }
    // Reserved a large page longer than asked, then the aligned block
    // reserved and committed on its own: VirtualFree releases only whole
    // reservations, so none may be trimmed.
    for (int attempt = 0; attempt < 8; ++attempt) {
        void* probe = ::VirtualAlloc(nullptr, bytes + kLargePage, MEM_RESERVE, PAGE_NOACCESS);
        if (probe == nullptr) {
            return nullptr;
        }
        const auto start = reinterpret_cast<std::uintptr_t>(probe);
        const std::uintptr_t aligned = (start + kLargePage - 1) & ~(kLargePage - 1);
        ::VirtualFree(probe, 0, MEM_RELEASE);
        void* block = ::VirtualAlloc(reinterpret_cast<void*>(aligned), bytes,
                                     MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
        if (block != nullptr) {
            return block;
        }
        // Another thread took the address meanwhile: try again.
    }
    return ::VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void UnmapPages(void* block, std::size_t /*bytes*/) {
    ::VirtualFree(block, 0, MEM_RELEASE);
}

}  // namespace raster
