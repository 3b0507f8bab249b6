// Parameters of the electronic-loss, cooling and image-potential models, as
// the inelastic file gives them (SI units).
#pragma once

#include <array>
#include <cstdint>

namespace vantrel {

struct LssEntry {
    std::int32_t AtomicNumber = 0;
    double LssCoefficient = 0;
};

struct OrEntry {
    std::int32_t AtomicNumber = 0;  // key: product of the pair's atomic numbers
    double OrCoefficient = 0;
};

struct StEntry {
    std::int32_t AtomicNumber = 0;  // key: product of the pair's atomic numbers
    double StEnergy = 0;            // J, one excitation
    double StRadius = 0;            // m
    std::int32_t StOrder = 0;       // most excitations in one event
    double StValue = 0;             // probability of each excitation trial
};

inline constexpr int InelasticTableSize = 10;

struct InelasticParameters {
    std::array<LssEntry, InelasticTableSize> LssTable{};
    int LssCount = 0;
    double LssSpeedThreshold = 0;  // m/s
    std::array<OrEntry, InelasticTableSize> OrTable{};
    int OrCount = 0;
    double OrScreeningCoefficient = 0;
    std::array<StEntry, InelasticTableSize> StTable{};
    int StCount = 0;
    double CoolingPeriod = 0;   // s
    double CoolingGoal = 0;     // K
    double CoolingStart = 0;    // s
    double CoolingEnd = 0;      // s
    double ImageEnergy = 0;     // J
    double ImageDistance = 0;   // m
    double ImageLengthSquare = 0;  // m^2
};

}  // namespace vantrel
