#include <base/Allocator.hpp>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace base {

bool pinAllocatorThresholds() {
#if defined(__GLIBC__)
    bool trimmed = mallopt(M_TRIM_THRESHOLD, int(AllocatorThresholds::trim)) == 1;
    bool mapped = mallopt(M_MMAP_THRESHOLD, int(AllocatorThresholds::mmap)) == 1;
    return trimmed && mapped;
#else
    return false;
#endif
}

}
