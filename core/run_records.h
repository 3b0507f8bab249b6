// The values of the projectile, run and impact files as the engine uses them.
#pragma once

#include <cstdint>
#include <string>

namespace vantrel {

struct ProjectileData {
    double Energy = 0;                 // keV
    std::int32_t AtomicNumber = 0;
    double ProjectileMass = 0;         // amu
    std::int32_t FlagWord = 0;         // ParticleFlag bits of particle 0
    std::string ProjectileName;        // at most 10 characters
};

struct RunParameters {
    std::int32_t SampleMode = 0;             // 0 none, 1 at termination, 2 periodic, 3 both
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
