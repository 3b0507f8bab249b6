// The optional models as the drivers call them: the kernels of
// core/inelastic.h on the job's state, each turning its result into the
// user's messages (modal boxes, the cooling temperature line, the OR and ST
// event lines of the log and the events file) in the order the kernel met
// them.
#pragma once

#include <string>

#include "core/collision_events.h"
#include "job/state.h"

namespace vantrel {

// Messages of the models, each shown in a modal box.
inline constexpr const char* OrListFullText =
    "FOR routine: You must abort, and increase \"No of Partners\" in Run file.";
inline constexpr const char* StListFullText =
    "FST routine: You must abort, and increase \"No of Partners\" in Run file.";
inline constexpr const char* StMathErrorText = "Math error in ST routine.";
inline constexpr const char* OrMathErrorText = "Math error in OR routine.";
inline constexpr const char* LssMathErrorText = "Math error in LSS routine.";
inline constexpr const char* CoolingMathErrorText = "Math error in cooling routine.";
inline constexpr const char* OrZeroDistanceText = "Error in var \"rthis\" in OR routine";

// After every partner-list rebuild, when UseOR / UseST (core UpdateOrPartners
// with the capture radius of the trajectory's fastest particle and
// timestep): every refused insertion into a full list shows the model's
// message and asks for an abort (AbortRequested).  Lists the job did not
// allocate (the model switched on while the job runs) are left alone.
void UpdateOrPartners(SimulationState& s, TrajectoryState& trajectory);
void UpdateStPartners(SimulationState& s, TrajectoryState& trajectory);

// Empties both inelastic lists (each that is allocated): the start of every trajectory.
void EmptyInelasticPartnerLists(SimulationState& s);

// Cooling friction of this step, when CoolingActive.  With Verbose the
// temperature is logged once every PartnerUpdateInterval + 1 measurements
// (the counter lives in the program); a fault shows its message after it.
void ApplyCooling(SimulationState& s, const LatticeZone& zone);

// The three passes after the velocity update, in this order.  The ST and OR
// passes report each event (ReportCollisionEvent) and each coincident pair
// (OR) in the order they met them, then the fault that ended them, if any.
void ApplyStEvents(SimulationState& s, double timestep);
void ApplyOrEvents(SimulationState& s, double timestep);
void ApplyLssLoss(SimulationState& s, const LatticeZone& zone, double timestep);

// "  OR event, particles: 3 and 17, dE = -0.01234 eV, R(old) = ..." (cut to a log line).
std::string EventLogText(const CollisionEvent& event);

// The events-file line (when StoreInelastic is set and the file is open) and
// the dark-red log line (when Verbose and ReportInelastic are set).
void ReportCollisionEvent(SimulationState& s, const CollisionEvent& event);

}  // namespace vantrel
