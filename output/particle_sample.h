// The 40-byte particle record of the initial-conditions and
// dynamical-variables files (*.vsk).  A file is a plain sequence of these
// records: no header, no count, no trailer.
//
//   offset width field      type          unit and meaning
//    0     4    X          IEEE single   position x (m)
//    4     4    Y          IEEE single   position y (m)
//    8     4    Z          IEEE single   position z (m), the surface normal, positive outward
//   12     4    PX         IEEE single   momentum x = Mass * VX (kg m/s)
//   16     4    PY         IEEE single   momentum y (kg m/s)
//   20     4    PZ         IEEE single   momentum z (kg m/s)
//   24     4    Time       IEEE single   time since the start of the trajectory (s)
//   28     4    Mass       IEEE single   particle mass (kg)
//   32     4    Index      int32         0 the projectile, 1..AtomCount the target atoms
//   36     4    RunNumber  int32         run counter of the job plus the run offset
//
// All fields are little-endian on disk whatever the host.  The reals are
// computed in double precision and rounded to single only here, when the
// record is built.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vantrel {

struct ParticleSample {
    float X = 0, Y = 0, Z = 0;
    float PX = 0, PY = 0, PZ = 0;
    float Time = 0;
    float Mass = 0;
    std::int32_t Index = 0;
    std::int32_t RunNumber = 0;
};

static_assert(sizeof(float) == 4, "records hold IEEE single reals");
static_assert(sizeof(ParticleSample) == 40);
static_assert(offsetof(ParticleSample, X) == 0);
static_assert(offsetof(ParticleSample, Y) == 4);
static_assert(offsetof(ParticleSample, Z) == 8);
static_assert(offsetof(ParticleSample, PX) == 12);
static_assert(offsetof(ParticleSample, PY) == 16);
static_assert(offsetof(ParticleSample, PZ) == 20);
static_assert(offsetof(ParticleSample, Time) == 24);
static_assert(offsetof(ParticleSample, Mass) == 28);
static_assert(offsetof(ParticleSample, Index) == 32);
static_assert(offsetof(ParticleSample, RunNumber) == 36);

inline constexpr std::size_t SampleRecordSize = 40;
using SampleRecord = std::array<std::uint8_t, SampleRecordSize>;

// Rounds the double-precision values to single precision.
ParticleSample BuildSample(std::int32_t index, std::int32_t runNumber, double x, double y,
                           double z, double px, double py, double pz, double time,
                           double mass);

// The on-disk bytes of a record, and back.
SampleRecord EncodeSample(const ParticleSample& sample);
ParticleSample DecodeSample(const SampleRecord& record);

}  // namespace vantrel
