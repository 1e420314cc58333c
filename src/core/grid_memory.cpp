#include "core/grid_memory.hpp"

#include <sys/mman.h>

#include <cstdlib>
#include <limits>
#include <new>

namespace lorvenna {
namespace {

constexpr std::size_t large_page = std::size_t{2} << 20;

}  // namespace

void* allocate_grid_bytes(std::size_t bytes) {
    if (bytes < large_page) return ::operator new(bytes);
    if (bytes > std::numeric_limits<std::size_t>::max() - large_page) throw std::bad_alloc();
    void* memory = std::aligned_alloc(large_page, (bytes + large_page - 1) / large_page * large_page);
    if (memory == nullptr) throw std::bad_alloc();
    // Advice only: without large pages the array works the same.
    (void)madvise(memory, bytes / large_page * large_page, MADV_HUGEPAGE);
    return memory;
}

void free_grid_bytes(void* memory, std::size_t bytes) {
    if (bytes < large_page)
        ::operator delete(memory);
    else
        std::free(memory);
}

}  // namespace lorvenna
