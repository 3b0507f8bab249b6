// The option block that steers a simulation.  Its configuration file
// (io/config_file.h) is this block byte for byte: one 40-byte little-endian
// record, no header, no version.
//
//   offset width field                 type     default
//    0     4    Algorithm             int32    3 (Verlet)
//    4     1    NeighbourSearch       bool     false (cell index; true = brute force)
//    5     3    reserved              -        0
//    8     4    GraphPlotType         int32    0 (spatial; 1 = velocity)
//   12     1    Verbose               bool     true
//   13     1    ReportEnergy          bool     true
//   14     1    ReportInelastic       bool     true
//   15     1    ReportLatticeEnergy   bool     false
//   16     4    LatticeSiteIndex      int32    1
//   20     4    LogBufferLines        int32    500
//   24     1    ElementalTarget       bool     false
//   25     1    StoreInitial          bool     false
//   26     1    StoreInelastic        bool     false
//   27     1    HotTarget             bool     false
//   28     1    LoadOptionsAtStart    bool     false
//   29     1    FixedTimestep         bool     false
//   30     1    NoYVibration          bool     false
//   31     1    UseLSS                bool     false
//   32     1    UseOR                 bool     false
//   33     1    UseST                 bool     false
//   34     1    UseCooling            bool     false
//   35     1    IgnoreTargetForces    bool     false
//   36     1    SelfBombard           bool     false
//   37     1    UseImagePotential     bool     false
//   38     2    reserved              -        0
//
// Booleans are written as 0 or 1 and any non-zero byte reads as true;
// reserved bytes are written as 0 and ignored on reading.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel {

struct SimulationOptions {
    std::int32_t Algorithm = 3;
    bool NeighbourSearch = false;
    std::uint8_t Reserved1[3] = {0, 0, 0};
    std::int32_t GraphPlotType = 0;
    bool Verbose = true;
    bool ReportEnergy = true;
    bool ReportInelastic = true;
    bool ReportLatticeEnergy = false;
    std::int32_t LatticeSiteIndex = 1;
    std::int32_t LogBufferLines = 500;
    bool ElementalTarget = false;
    bool StoreInitial = false;
    bool StoreInelastic = false;
    bool HotTarget = false;
    bool LoadOptionsAtStart = false;
    bool FixedTimestep = false;
    bool NoYVibration = false;
    bool UseLSS = false;
    bool UseOR = false;
    bool UseST = false;
    bool UseCooling = false;
    bool IgnoreTargetForces = false;
    bool SelfBombard = false;
    bool UseImagePotential = false;
    std::uint8_t Reserved2[2] = {0, 0};
};

static_assert(sizeof(bool) == 1, "option booleans are one byte");
static_assert(sizeof(SimulationOptions) == 40);
static_assert(offsetof(SimulationOptions, Algorithm) == 0);
static_assert(offsetof(SimulationOptions, NeighbourSearch) == 4);
static_assert(offsetof(SimulationOptions, GraphPlotType) == 8);
static_assert(offsetof(SimulationOptions, Verbose) == 12);
static_assert(offsetof(SimulationOptions, ReportEnergy) == 13);
static_assert(offsetof(SimulationOptions, ReportInelastic) == 14);
static_assert(offsetof(SimulationOptions, ReportLatticeEnergy) == 15);
static_assert(offsetof(SimulationOptions, LatticeSiteIndex) == 16);
static_assert(offsetof(SimulationOptions, LogBufferLines) == 20);
static_assert(offsetof(SimulationOptions, ElementalTarget) == 24);
static_assert(offsetof(SimulationOptions, StoreInitial) == 25);
static_assert(offsetof(SimulationOptions, StoreInelastic) == 26);
static_assert(offsetof(SimulationOptions, HotTarget) == 27);
static_assert(offsetof(SimulationOptions, LoadOptionsAtStart) == 28);
static_assert(offsetof(SimulationOptions, FixedTimestep) == 29);
static_assert(offsetof(SimulationOptions, NoYVibration) == 30);
static_assert(offsetof(SimulationOptions, UseLSS) == 31);
static_assert(offsetof(SimulationOptions, UseOR) == 32);
static_assert(offsetof(SimulationOptions, UseST) == 33);
static_assert(offsetof(SimulationOptions, UseCooling) == 34);
static_assert(offsetof(SimulationOptions, IgnoreTargetForces) == 35);
static_assert(offsetof(SimulationOptions, SelfBombard) == 36);
static_assert(offsetof(SimulationOptions, UseImagePotential) == 37);

// Options added beside the 40-byte block.  They are never part of the
// configuration record (a companion file holds them, job/options_file.h),
// and each one's default is the behaviour jobs had before it existed, so a
// job with all of them at their defaults writes the very same files.
struct ExtendedOptions {
    // Re-seed the random generator at the start of every run from the job's
    // seed and the run number (RunStreamSeed), so that a run draws the same
    // numbers whichever process, slice or order runs it.
    bool PerRunStreams = false;
    // Classify every particle when a run ends and append the run's row to
    // the results table and its sputtered atoms to the sputtered table.
    bool StoreResults = false;
    // Planar surface-binding energy (eV) of the classification; 0 takes the
    // cohesive energy of the model's crystal.
    double SurfaceBinding = 0;
    // Threads of the force, density, list and energy passes: 1..MaxThreads,
    // or 0 for one per core on crystals large enough to gain from them (and
    // one below that size).  Results do not depend on it.
    std::int32_t Threads = 0;
    // Taper the N-body density to 0 across the joining region (r_hi down to
    // r_lo) so that it and its slope are continuous there (ModelParameters::
    // SmoothDensityJoin; a model file can ask for it as well).
    bool SmoothDensityJoin = false;

    friend bool operator==(const ExtendedOptions&, const ExtendedOptions&) = default;
};

inline constexpr std::int32_t MaxThreads = 64;

// True when any of UseLSS, UseOR, UseST, UseCooling, UseImagePotential is set.
inline bool InelasticModelsInUse(const SimulationOptions& o) {
    return o.UseLSS || o.UseOR || o.UseST || o.UseCooling || o.UseImagePotential;
}

}  // namespace vantrel
