// Selection filters of the dynamical-variables file and the sampling loop.
//
// The run file's OutputSelection chooses the filter.  E1 = 1.60219e-19 J is
// one electronvolt as the filters count it; every comparison is strict.
//
//   mode  accepts the particle when                              continue
//    0    always                                                 true
//    1    Index = 0                                              false: the pass ends
//    2    PX^2 + PY^2 + PZ^2 > 2 Mass E1         (KE > 1 eV)      true
//    3    the same with 1.60219e-18              (KE > 10 eV)     true
//    4    the same with 1.60219e-17              (KE > 100 eV)    true
//    5    Z > 5e-11 and PZ > 0                   (emitted)        true
//    6    Index = 0 and Z > 5e-11 and PZ > 0                      false: the pass ends
//    7    Z > 5e-11 and PZ > 0 and sqrt(PX^2 + PY^2) / PZ < 0.0874887
//                                                (within 5 degrees of the normal)  true
//    8    the user's selection expression is true                false after any error
//
// An accepted particle gets one record appended and its Recorded flag set.
#pragma once

#include <cstdint>

#include "job/state.h"

namespace vantrel {

inline constexpr double EmissionHeight = 5e-11;           // m, 0.5 A above the surface
inline constexpr double TangentOfFiveDegrees = 0.0874887;

// Offers one particle to the job's filter; false ends the sampling pass.
// An unknown OutputSelection writes nothing and ends the pass.
bool OutputFilter(SimulationState& s, std::int32_t index, std::int32_t runNumber, double x,
                  double y, double z, double px, double py, double pz, double time, double mass,
                  std::uint32_t& flags);

// One sampling pass over particles 0..AtomCount in order, with momentum
// Mass * V and the job's RunNumber, stopping at the first false.  A periodic
// pass skips particles already Recorded in this run when SkipRecorded is set;
// the final pass offers every particle.  The file is flushed afterwards.
void SampleParticles(SimulationState& s, double time, bool periodic);

}  // namespace vantrel
