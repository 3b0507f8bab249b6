// The memory manager's total of currently allocated bytes, for the main
// window's memory display.
#pragma once

#include <cstddef>

namespace vantrel {

// Bytes in use from the C allocator: small blocks from its arenas plus the
// large blocks it maps directly.
std::size_t AllocatedBytes();

}  // namespace vantrel
