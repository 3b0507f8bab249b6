// The partner-list rebuild as the trajectory driver sees it.  The rebuild is
// also where a running job talks to the user: the abort question, the
// progress text, the graph update and the window's pending events all
// happen here, around the searches of core/partner_lists.h.
#pragma once

#include "job/state.h"

namespace vantrel {

// Message texts of the rebuild.
// The progress text of a rebuild begins so: "Timesteps: 850 (75.56 fs)".
inline constexpr const char* StepStatusPrefix = "Timesteps: ";
inline constexpr const char* AbortQuestionText = "Do you really wish to abort the simulation?";
inline constexpr const char* AbortingLogText = "  Aborting simulation after next cycle...";
inline constexpr const char* TooManyPartnersLogText = "  Too many partners required: aborting.";
inline constexpr const char* BruteForceOverflowText =
    "Too many collision partners in system - aborting.\r"
    "Increase \"No. of partners\" parameter in .RUN file,\r"
    "or decrease the timestep (if feasible).";
inline constexpr const char* CellIndexOverflowText =
    "Too many collision partners in system - aborting.\r"
    "Increase 'No. of partners' parameter in .RUN file,\r"
    "or decrease the timestep.";

// The list radius a trajectory starts with; also stores R^2.
void SetInitialListRadius(SimulationState& s, double projectileSpeed, double timestep);

// Called right before every rebuild; also stores R^2.
void UpdateListRadius(SimulationState& s, const TrajectoryState& trajectory);

// One rebuild: the housekeeping (abort question, progress text, graph
// update, pending window events at the method's own point), then the list
// building by the method that NeighbourSearch selects (set: brute force).
// A confirmed abort, or AbortNow set while the window's events were
// processed, skips the building.  The job's largest list goes to
// MaxPartnersUsed; an overflow shows the method's own box, then the red log
// line, and sets AbortNow and AbortRequested and clears ContinueJob.
// Returns false when AbortNow is set afterwards (confirmed abort, Step,
// partner overflow): the trajectory must end once the inelastic lists have
// been refreshed.
bool RebuildPartnerLists(SimulationState& s, TrajectoryState& trajectory);

}  // namespace vantrel
