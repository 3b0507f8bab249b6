#include "core/random.h"

#include <chrono>

namespace vantrel {

std::uint32_t ClockSeed() {
    const auto ticks = std::chrono::system_clock::now().time_since_epoch().count();
    return static_cast<std::uint32_t>(ticks) ^ static_cast<std::uint32_t>(ticks >> 32);
}

std::uint32_t RunStreamSeed(std::uint32_t jobSeed, std::int32_t runNumber) {
    std::uint64_t z = (std::uint64_t{jobSeed} << 32) | static_cast<std::uint32_t>(runNumber);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    const auto seed = static_cast<std::uint32_t>(z >> 32);
    return seed != 0 ? seed : 0x9E3779B9u;
}

}  // namespace vantrel
