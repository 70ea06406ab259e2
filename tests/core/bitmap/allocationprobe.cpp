// Replaces the global operator new to record request sizes. Kept in its own source file so
// the compiler never inlines these definitions into callers and mistakes the malloc/free pair
// for a mismatch.
#include "allocationprobe.h"

#include <cstdlib>
#include <new>

std::atomic<std::size_t> largestAllocation{0};

void* operator new(std::size_t size) {
    std::size_t largest = largestAllocation.load();
    while (size > largest && !largestAllocation.compare_exchange_weak(largest, size)) {
    }
    if (void* memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
