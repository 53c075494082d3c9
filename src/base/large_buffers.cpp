#include "base/large_buffers.h"

#include <cstdlib>  // defines __GLIBC__ on glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace pellumo {

void KeepLargeBuffersForReuse() {
#if defined(__GLIBC__)
    // Above these sizes glibc maps each allocation afresh and unmaps it when freed, or trims
    // the heap's top: both send every slide's buffer back to the kernel.
    constexpr int kLargest = 1 << 30;
    mallopt(M_MMAP_THRESHOLD, kLargest);
    mallopt(M_TRIM_THRESHOLD, kLargest);
#endif
}

}  // namespace pellumo
