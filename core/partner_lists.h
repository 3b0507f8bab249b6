// Partner (neighbour) lists and the two searches that build them.
//
// The force loops never look at all pairs: they walk, for every particle i,
// the partners j > i that lay within the list radius R at the last rebuild.
// The lists are rebuilt every few steps, either by comparing all pairs or
// through a fixed 25 x 25 x 17 cell grid.
//
// List radius.  A trajectory starts with R = v0 dt (k - 1) + r_c, the
// projectile's travel between two rebuilds (k steps apart) plus the cut-off;
// before every rebuild R relaxes by one third towards 0.7 of the fastest
// particle's travel plus r_c:
//
//   R <- (2/3) R + (1/3) (0.7 v_fast dt (k - 1) + r_c).
//
// Capacity.  A list holds at most MaxPartners - 1 partners: the partner that
// would make MaxPartners is the overflow.  The overflowing list is cut there
// and every other list is still completed; the search reports it.
//
// Storage.  The lists are stored end to end (PartnerLists); a rebuild
// reuses the job's arrays and grows them only when a job's lists hold more
// pairs than ever before (by design: their total is not known in advance).
//
// Threads.  Every row's list depends on the positions alone, so with a pool
// of threads the rows are searched in chunks, each into a buffer of its own,
// and the buffers are then laid end to end in row order: the lists, their
// layout, the longest list and the overflow are those of the serial search,
// whatever the number of threads.
#pragma once

#include <cstdint>
#include <vector>

#include "core/particles.h"
#include "core/worker_pool.h"

namespace vantrel {

// Cell coordinates run -12..12 in x and y and -12..4 in z.
inline constexpr int CellHalfCount = 12;
inline constexpr int CellTopCount = 4;

// Share of the fastest particle's travel between rebuilds that the list
// radius keeps beyond the cut-off.
inline constexpr double ListTravelShare = 0.7;

// The list radius a trajectory starts with (m).
double InitialListRadius(double projectileSpeed, double timestep, std::int32_t rebuildInterval,
                         double cutoffRadius);

// The list radius before a rebuild, from the one before (m).
double UpdatedListRadius(double radius, double fastestSpeed, double timestep,
                         std::int32_t rebuildInterval, double cutoffRadius);

// Offsets for particles 0..atomCount, every list empty; once per job.
void SizePartnerLists(PartnerLists& lists, std::int32_t atomCount, std::int32_t maxPartners);

// The cell grid's arrays for particles 0..atomCount and lists of
// maxPartners, every chain empty; once per job (cell-index search).
void SizeCellGrid(CellGrid& grid, std::int32_t atomCount, std::int32_t maxPartners);
// Whether the grid's arrays have those sizes.
bool CellGridSized(const CellGrid& grid, std::int32_t atomCount, std::int32_t maxPartners);

// What a search found.
struct ListSearchResult {
    std::int32_t Largest = 0;  // the longest list built
    bool Overflow = false;     // some list reached MaxPartners and was cut
};

// The threaded searches' buffers, grown by the searches as the lists need
// (by design, like the lists).
struct ListSearchWork {
    std::vector<std::vector<std::int32_t>> ThreadGathered;  // per thread: MaxPartners + 1
    std::vector<std::vector<std::int32_t>> ChunkIndex;      // per chunk of rows: its lists
    std::vector<ListSearchResult> ChunkResult;
};

// The threads a search may use: a pool of more than one thread and the
// buffers, or serial.
struct ListThreads {
    WorkerPool* Pool = nullptr;
    ListSearchWork* Work = nullptr;
};

// Brute force: for i = 0..n every j > i closer than R (strictly), partners
// in ascending index order.  With projectileOnly (IgnoreTargetForces) only
// particle 0 gets partners; the lists of 1..n are left empty.
ListSearchResult BuildListsBruteForce(const ParticleTable& p, double radiusSq,
                                      bool projectileOnly, PartnerLists& lists,
                                      ListThreads threads = {});

// Cell index, cell edge w: particles binned into the grid, then for every i
// the partners in the cells its search box [x - R, x + R] x ... covers, in
// cell order (a, then b, then c ascending) and in descending index within a
// cell.  Particles outside the grid are never found as partners, but their
// own lists are still searched.  Leaves the grid empty.
ListSearchResult BuildListsCellIndex(const ParticleTable& p, double radiusSq, double cellEdge,
                                     CellGrid& grid, PartnerLists& lists,
                                     ListThreads threads = {});

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

// Fills the grid: every particle inside it (|x|, |y| <= 12 w, -12 w < z <=
// 4 w) is pushed onto the front of its cell's chain, in ascending index order.
void BinParticles(const ParticleTable& p, double cellEdge, CellGrid& grid);
// Returns every chain to empty.
void EmptyCellGrid(CellGrid& grid);

}  // namespace vantrel
