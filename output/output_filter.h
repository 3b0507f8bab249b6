// Selection filters of the dynamical-variables file and the sampling pass.
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
// An accepted particle gets one record handed to the writer and its Recorded
// flag set.
#pragma once

#include <cstdint>

#include "core/particles.h"
#include "output/output_files.h"
#include "output/particle_sample.h"
#include "output/selection_evaluator.h"

namespace vantrel {

inline constexpr double EmissionHeight = 5e-11;           // m, 0.5 A above the surface
inline constexpr double TangentOfFiveDegrees = 0.0874887;

// Where accepted records go.  The job's writer appends them to the
// dynamical-variables file and reports a failure at the moment it happens,
// so that it keeps its place among the expression's error windows.
class SampleWriter {
public:
    virtual ~SampleWriter() = default;
    virtual OutputStatus Append(const ParticleSample& sample) = 0;
    // The end of a sampling pass.
    virtual OutputStatus Flush() = 0;
};

// The job's filter: the run file's choice and, for mode 8, the condition and
// where its errors are shown.
struct SelectionFilter {
    std::int32_t OutputSelection = 0;
    bool SkipRecorded = false;  // periodic passes skip particles already Recorded
    CompiledSelection& Condition;
    ExpressionErrorSink& Errors;
};

// What one offer did.
struct FilterOutcome {
    bool Continue = true;                    // false ends the sampling pass
    OutputStatus Write = OutputStatus::Ok;   // of the record handed to the writer, if any
};

// Offers one particle (its ten values: position, momentum, mass, time, index,
// run number).  An unknown OutputSelection writes nothing and ends the pass.
FilterOutcome OutputFilter(SelectionFilter& filter, SampleWriter& writer,
                           const SelectionVariables& particle, std::uint32_t& flags);

// One sampling pass over particles 0..AtomCount in order, with momentum
// Mass * V and the given run number, stopping at the first offer that does
// not continue.  A periodic pass skips particles already Recorded in this run
// when SkipRecorded is set; the final pass offers every particle.  The writer
// is flushed afterwards.  Returns the first failure of the writer.
OutputStatus SampleParticles(ParticleTable& particles, std::int32_t runNumber, double time,
                             bool periodic, SelectionFilter& filter, SampleWriter& writer);

}  // namespace vantrel
