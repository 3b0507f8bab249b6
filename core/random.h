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

// The generator's state at the start of run runNumber of a job seeded with
// jobSeed, when every run has a stream of its own: the 64-bit word
// (jobSeed << 32) | runNumber through the SplitMix64 finaliser (two
// multiply-xorshift rounds, every input bit reaching every output bit), its
// upper half taken.  Neighbouring runs and neighbouring seeds thus start far
// apart in the generator's cycle.  A zero result (one input in 2^32) is
// replaced by 0x9E3779B9, so the state is never zero.
std::uint32_t RunStreamSeed(std::uint32_t jobSeed, std::int32_t runNumber);

}  // namespace vantrel
