#pragma once
// Memory for the grid-sized arrays of a model.  The placing loop reaches
// cells all over the grid at random; in small (4 KiB) pages a grid of a
// million cells spans thousands of pages, more than the processor's cache of
// address translations holds, so most steps wait for a page-table walk
// besides the cell itself.  Arrays of 2 MiB or more therefore start on a
// 2 MiB boundary, and their whole 2 MiB stretches are offered to the system
// for large pages.  The tail stays in small pages and the rounding is never
// touched, so no more memory becomes resident than the array's own bytes.
#include <cstddef>

namespace lorvenna {

// Throws std::bad_alloc when the memory cannot be had.
void* allocate_grid_bytes(std::size_t bytes);
void free_grid_bytes(void* memory, std::size_t bytes);

template <typename T>
struct GridAllocator {
    using value_type = T;
    GridAllocator() = default;
    template <typename U>
    explicit GridAllocator(const GridAllocator<U>&) {}
    T* allocate(std::size_t n) { return static_cast<T*>(allocate_grid_bytes(n * sizeof(T))); }
    void deallocate(T* memory, std::size_t n) { free_grid_bytes(memory, n * sizeof(T)); }
    friend bool operator==(const GridAllocator&, const GridAllocator&) { return true; }
};

}  // namespace lorvenna
