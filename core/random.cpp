#include "core/random.h"

#include <chrono>

namespace vantrel {

std::uint32_t ClockSeed() {
    const auto ticks = std::chrono::system_clock::now().time_since_epoch().count();
    return static_cast<std::uint32_t>(ticks) ^ static_cast<std::uint32_t>(ticks >> 32);
}

}  // namespace vantrel
