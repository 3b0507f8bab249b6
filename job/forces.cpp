#include "job/forces.h"

#include <cfenv>

#include "core/forces.h"
#include "job/log.h"
#include "job/state_views.h"

namespace vantrel {

void EvaluateInitialForces(SimulationState& s) {
    EvaluateInitialForces(s.Particles, s.Partners, s.Scratch, ForceModelOf(s));
}

void EvaluateStepForces(SimulationState& s) {
    const InelasticParameters* image = s.Options().UseImagePotential ? &s.Inelastic : nullptr;
    const ForceStatus status =
        EvaluateStepForces(s.Particles, s.Partners, s.Scratch, ForceModelOf(s), image);
    if (!status.DensityFault && !status.ForceFault) return;
    // The kernel leaves the flags as they were before it; the messages must
    // not change them either.
    std::fexcept_t flags;
    std::fegetexceptflag(&flags, FE_ALL_EXCEPT);
    if (status.DensityFault) ShowError(s.Ui(), RhoSumErrorText);
    if (status.ForceFault) ShowError(s.Ui(), ForceErrorText);
    std::fesetexceptflag(&flags, FE_ALL_EXCEPT);
}

}  // namespace vantrel
