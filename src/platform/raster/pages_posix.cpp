#include "platform/raster/pages.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace raster {
namespace {

std::size_t WholePages(std::size_t bytes) {
    const std::size_t page = PageSize();
    return (bytes + page - 1) / page * page;
}

}  // namespace

std::size_t PageSize() {
    static const std::size_t size = [] {
        const long reported = ::sysconf(_SC_PAGESIZE);
        return reported > 0 ? static_cast<std::size_t>(reported) : std::size_t{4096};
    }();
    return size;
}

void* MapPages(std::size_t bytes) {
    // Mapped a large page longer than asked, then trimmed at both ends to
    // the aligned block.
    const std::size_t length = WholePages(bytes);
    void* raw = ::mmap(nullptr, length + kLargePage, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) {
        return nullptr;
    }
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = (start + kLargePage - 1) & ~(kLargePage - 1);
    if (aligned > start) {
        ::munmap(raw, aligned - start);
    }
    const std::uintptr_t end = start + length + kLargePage;
    if (end > aligned + length) {
        ::munmap(reinterpret_cast<void*>(aligned + length), end - (aligned + length));
    }
    // Only whole large pages: the tail stays in small ones and takes no
    // more memory than it holds. A hint; without it the pages are small.
    ::madvise(reinterpret_cast<void*>(aligned), length & ~(kLargePage - 1), MADV_HUGEPAGE);
    return reinterpret_cast<void*>(aligned);
}

void UnmapPages(void* block, std::size_t bytes) {
    ::munmap(block, WholePages(bytes));
}

}  // namespace raster
