#include "ui/memory_use.h"

#include <malloc.h>

#if defined(__SANITIZE_ADDRESS__)
#define VANTREL_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VANTREL_ADDRESS_SANITIZER 1
#endif
#endif

#ifdef VANTREL_ADDRESS_SANITIZER
// The sanitizer's own count (declared here: not every compiler ships the header).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace vantrel {

std::size_t AllocatedBytes() {
#ifdef VANTREL_ADDRESS_SANITIZER
    // In a checked build the sanitizer's allocator serves every allocation.
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}

}  // namespace vantrel
