// The values of the projectile, run and impact files as the engine uses them.
#pragma once

#include <cstdint>
#include <string>

namespace vantrel {

// What the run file's sample mode asks to be written to the dynamical-
// variables file.
inline constexpr std::int32_t SampleNone = 0;           // nothing
inline constexpr std::int32_t SampleAtTermination = 1;  // every particle at the end of a run
inline constexpr std::int32_t SamplePeriodic = 2;       // every SamplePeriod steps
inline constexpr std::int32_t SampleBoth = 3;           // periodically and at the end
inline constexpr std::int32_t SampleModeLast = SampleBoth;

inline bool SamplesPeriodically(std::int32_t mode) {
    return mode == SamplePeriodic || mode == SampleBoth;
}
inline bool SamplesAtTermination(std::int32_t mode) {
    return mode == SampleAtTermination || mode == SampleBoth;
}

// The integration algorithms the option block names (SimulationOptions::
// Algorithm).  Only the Verlet integrator exists; with any other value the
// particles do not move.
inline constexpr std::int32_t AlgorithmHgeB = 0;
inline constexpr std::int32_t AlgorithmTwoStepA = 1;
inline constexpr std::int32_t AlgorithmBeeman = 2;
inline constexpr std::int32_t AlgorithmVerlet = 3;

struct ProjectileData {
    double Energy = 0;                 // keV
    std::int32_t AtomicNumber = 0;
    double ProjectileMass = 0;         // amu
    std::int32_t FlagWord = 0;         // ParticleFlag bits of particle 0
    std::string ProjectileName;        // at most 10 characters
};

struct RunParameters {
    std::int32_t SampleMode = SampleNone;    // SampleNone .. SampleBoth
    std::int32_t SamplePeriod = 0;           // timesteps; 0 becomes 65535
    bool SkipRecorded = false;               // periodic samples skip Recorded particles
    std::int32_t OutputSelection = 0;        // 0..8: chooses the output filter
    double Altitude = 0;                     // rad, beam elevation above the surface plane
    double Azimuth = 0;                      // rad, from the x axis
    double InitialTimestep = 0;              // s
    std::int32_t PartnerUpdateInterval = 0;  // timesteps between partner-list rebuilds
    double MaxTime = 0;                      // s
    double MinTime = 0;                      // s
    std::int32_t MaxPartners = 0;            // at most 500
    std::string SelectionExpression;         // mode 8, at most 255 characters
};

struct ImpactPoint {
    double DeltaX = 0;       // A, aim offset from target atom 1
    double DeltaY = 0;       // A
    double StartHeight = 0;  // A above target atom 1
};

}  // namespace vantrel
