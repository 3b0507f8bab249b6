// The process-wide 32-bit linear congruential generator.  Thermal
// displacements, thermal velocities and excitation draws all take their
// numbers from it, in the order the runs make them, so a job repeats exactly
// from its seed.
#pragma once

#include <cstdint>

namespace vantrel {

struct RandomGenerator {
    std::uint32_t State = 0;

    void Seed(std::uint32_t seed) { State = seed; }

    // state <- state * 134775813 + 1 (mod 2^32); returns state / 2^32 in [0, 1).
    double Uniform() {
        State = State * 134775813u + 1u;
        return static_cast<double>(State) * (1.0 / 4294967296.0);
    }
};

// A seed from the system clock, for a RandomSeed of 0.
std::uint32_t ClockSeed();

}  // namespace vantrel
