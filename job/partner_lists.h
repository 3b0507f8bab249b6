// Partner (neighbour) lists and the two searches that build them.
//
// The force loops never look at all pairs: they walk, for every particle i,
// the partners j > i that lay within the list radius R at the last rebuild.
// The lists are rebuilt every PartnerUpdateInterval steps, either by comparing
// all pairs (NeighbourSearch set) or through a fixed 25 x 25 x 17 cell grid
// (NeighbourSearch clear).  The rebuild is also where a running job talks to
// the user: the abort question, the progress text, the graph update and the
// window's pending events all happen here.
#pragma once

#include <cstdint>

#include "job/state.h"

namespace vantrel {

// Cell coordinates run -12..12 in x and y and -12..4 in z.
inline constexpr int CellHalfCount = 12;
inline constexpr int CellTopCount = 4;

// Message texts of this file.
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

// The list radius a trajectory starts with: the projectile's travel between
// two rebuilds plus the cut-off radius.  Also stores R^2.
void SetInitialListRadius(SimulationState& s, double projectileSpeed, double timestep);

// Called right before every rebuild: R relaxes by one third towards the
// distance the fastest particle covers between two rebuilds (0.7 of it)
// plus the cut-off radius.  Also stores R^2.
void UpdateListRadius(SimulationState& s, const TrajectoryState& trajectory);

// One rebuild as the trajectory driver sees it: the housekeeping (abort
// question, progress text, graph update, pending window events at the
// method's own point), then the list building by the method that
// NeighbourSearch selects.  A confirmed abort, or AbortNow set while the
// window's events were processed, skips the building.  Returns false when
// AbortNow is set afterwards (confirmed abort, Step, partner overflow): the
// trajectory must end once the inelastic lists have been refreshed.
bool RebuildPartnerLists(SimulationState& s, TrajectoryState& trajectory);

// The two searches, lists only (no housekeeping).  Both fill the lists of
// particles 0..AtomCount, update MaxPartnersUsed and, on an overflow, set
// AbortNow and AbortRequested, clear ContinueJob and report with their own
// modal text and the red log line.  All lists are completed before that.
//
// Brute force: partners in ascending index order.  With IgnoreTargetForces
// only particle 0 gets partners; the lists of 1..n are left empty.
void BuildListsBruteForce(SimulationState& s, TrajectoryState& trajectory);
// Cell index: partners in cell order (a, then b, then c ascending) and in
// descending index within a cell.  Particles outside the grid are never
// found as partners, but their own lists are still searched.
void BuildListsCellIndex(SimulationState& s, TrajectoryState& trajectory);

// Cell-grid helpers.
inline bool CellInRange(int a, int b, int c) {
    return a >= -CellHalfCount && a <= CellHalfCount && b >= -CellHalfCount &&
           b <= CellHalfCount && c >= -CellHalfCount && c <= CellTopCount;
}

// Flat slot of cell (a, b, c); only meaningful when CellInRange.
inline int CellSlot(int a, int b, int c) { return a * 425 + b * 17 + c + 5316; }

// Inclusive box test of a point against [lo, hi] on all three axes.
inline bool InSearchBox(double x, double y, double z, double xLo, double xHi, double yLo,
                        double yHi, double zLo, double zHi) {
    return x >= xLo && x <= xHi && y >= yLo && y <= yHi && z >= zLo && z <= zHi;
}

// Fills the grid: every particle inside the grid is pushed onto the front of
// its cell's chain, in ascending index order.  Allocates the grid's arrays
// only when they do not fit the job (once per job).
void BinParticles(SimulationState& s);
// Returns every chain to empty.
void EmptyCellGrid(SimulationState& s);

}  // namespace vantrel
