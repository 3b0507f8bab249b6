#include "ui/memory_use.h"

#include <malloc.h>

namespace vantrel {

std::size_t AllocatedBytes() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

}  // namespace vantrel
