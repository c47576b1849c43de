#pragma once

#include <cstddef>

namespace base {

// The heap thresholds the program runs with, set once at start (before any thread):
// glibc otherwise returns the top of the heap to the system whenever more than
// 128 KiB lie free there and moves its mmap threshold as blocks come and go, so a
// frame that frees and allocates the driver's buffers can shrink and regrow the heap
// at every state change. With these the heap keeps what it has.
struct AllocatorThresholds {
    // Free memory at the top of the heap kept rather than returned.
    static constexpr std::size_t trim = std::size_t(256) << 20;
    // Blocks from this size on are mapped on their own; fixing it stops the
    // threshold from moving.
    static constexpr std::size_t mmap = std::size_t(32) << 20;
};

// Applies AllocatorThresholds; false when the allocator refused (another C library).
bool pinAllocatorThresholds();

}
