#include "heapuse.h"

#include <cstdlib> // defines __GLIBC__ where glibc is the C library

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace app {

void keepFreedPictureMemory()
{
#if defined(__GLIBC__)
    // A press makes and drops pictures of several megabytes: the page at twice the
    // screen's density, its bitmap read back, the preview's drawing. By default glibc maps
    // such blocks afresh and trims the heap's top after each free, so every press faults
    // the same pages in again, which costs more than drawing them (on the Yearly sample,
    // more than half the press). One press's peak is kept instead; a block above 32 MB is
    // still mapped on its own and returned when freed.
    constexpr int kLargestHeapBlock = 32 * 1024 * 1024;
    constexpr int kKeptAtTop = 128 * 1024 * 1024;
    mallopt(M_MMAP_THRESHOLD, kLargestHeapBlock);
    mallopt(M_TRIM_THRESHOLD, kKeptAtTop);
#endif
}

} // namespace app
