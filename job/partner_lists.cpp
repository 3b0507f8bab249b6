#include "job/partner_lists.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "job/log.h"
#include "core/number_text.h"

namespace vantrel {

namespace {

// Share of the fastest particle's travel between rebuilds that the list
// radius keeps beyond the cut-off.
constexpr double TravelShare = 0.7;

// The partner that would make this many is the overflow.  A capacity below
// one would let a list run past its room, so one is the least: then no
// partner at all fits and the first one found is the overflow.
std::int32_t PartnerLimit(const PartnerLists& lists) {
    return lists.MaxPartners > 1 ? lists.MaxPartners : 1;
}

// Steps of the list radius's velocity term: the rebuilds are k steps apart,
// and the lists must hold for the k - 1 steps after the one they are built
// at.  An interval below one never shrinks R below the cut-off.
double StepsBetweenRebuilds(const SimulationState& s) {
    const std::int32_t k = s.Run.PartnerUpdateInterval;
    return k > 1 ? static_cast<double>(k - 1) : 0.0;
}

// Offsets for AtomCount + 1 lists, in case the job's allocation did not make
// them (a test or a tool building lists on its own).
void PrepareLists(SimulationState& s) {
    PartnerLists& lists = s.Partners;
    const std::size_t offsets = static_cast<std::size_t>(s.Particles.AtomCount) + 2;
    if (lists.Start.size() != offsets) lists.Start.assign(offsets, 0u);
    const std::size_t previousPairs = lists.Index.size();
    lists.Index.clear();
    // The pair count changes little between rebuilds: one reservation up
    // front, with some room, usually serves the whole rebuild.
    const std::size_t limit = static_cast<std::size_t>(PartnerLimit(lists));
    if (lists.Index.capacity() < previousPairs + limit)
        lists.Index.reserve(previousPairs + previousPairs / 16 + limit);
}

// Room for one more list at its longest (limit entries before the overflow
// entry is taken back), so no push within a list reallocates.
inline void ReserveList(std::vector<std::int32_t>& index, std::size_t limit) {
    if (index.capacity() - index.size() < limit)
        index.reserve(std::max(index.capacity() + index.capacity() / 2, index.size() + limit));
}

// Closes the lists after a search: the end offset, the distance array the
// force loop fills, the job's largest list, and the overflow report.
void CompleteRebuild(SimulationState& s, TrajectoryState& trajectory, std::int32_t largest,
                     bool overflow, const char* overflowText) {
    PartnerLists& lists = s.Partners;
    lists.Start[static_cast<std::size_t>(s.Particles.AtomCount) + 1] =
        static_cast<std::uint32_t>(lists.Index.size());
    // Grow the distances by a sixteenth rather than by doubling: on a
    // 200,000-atom target a doubled array is hundreds of MB.
    const std::size_t pairs = lists.Index.size();
    if (lists.DistSq.capacity() < pairs) lists.DistSq.reserve(pairs + pairs / 16);
    lists.DistSq.resize(pairs);
    if (largest > s.MaxPartnersUsed) s.MaxPartnersUsed = largest;
    if (!overflow) return;
    s.Program.AbortNow = true;
    ShowError(s.Ui(), overflowText);
    LogLine(s.Ui(), TooManyPartnersLogText, ColourRed);
    s.Program.AbortRequested = true;
    trajectory.ContinueJob = false;
}

// The integer nearest to v, ties to even, as std::nearbyint gives it in the
// default rounding mode but without a library call: adding and taking away
// 1.5 * 2^52 leaves no fraction bits.  Values beyond 2^51 (and infinities,
// and values that are not numbers) are returned as they are.
inline double NearestInteger(double v) {
    constexpr double shift = 6755399441055744.0;  // 1.5 * 2^52
    if (!(std::fabs(v) < 2.0e15)) return v;
    return (v + shift) - shift;
}

// Cells [lo, hi] whose nearest-integer coordinates cover [v - r, v + r] on
// one axis, clipped to the grid; false when the range misses the grid or the
// coordinate is not finite.  Clipping visits exactly the cells that a walk
// over the whole range with CellInRange would.
inline bool AxisCells(double v, double r, double w, int gridLo, int gridHi, int& lo, int& hi) {
    const double low = NearestInteger((v - r) / w);
    const double high = NearestInteger((v + r) / w);
    if (!(low <= gridHi && high >= gridLo)) return false;
    lo = low < gridLo ? gridLo : static_cast<int>(low);
    hi = high > gridHi ? gridHi : static_cast<int>(high);
    return true;
}

// Squared distance from v to the slab of each cell lo..hi on one axis (a
// particle in cell k has its coordinate within [(k - 1/2) w, (k + 1/2) w]).
inline void AxisGaps(double v, double w, int lo, int hi, double* gaps) {
    for (int k = lo; k <= hi; ++k) {
        const double below = (k - 0.5) * w - v;
        const double above = v - (k + 0.5) * w;
        const double gap = below > 0.0 ? below : above > 0.0 ? above : 0.0;
        gaps[k - lo] = gap * gap;
    }
}

// The grid's array sizes for this job.
void PrepareGrid(SimulationState& s) {
    CellGrid& grid = s.Cells;
    const std::size_t nodes = static_cast<std::size_t>(s.Particles.AtomCount) + 1;
    if (grid.Head.size() != static_cast<std::size_t>(CellGridSlots))
        grid.Head.assign(CellGridSlots, -1);
    if (grid.Next.size() != nodes) grid.Next.assign(nodes, -1);
    if (grid.ChainStart.size() != static_cast<std::size_t>(CellGridSlots))
        grid.ChainStart.assign(CellGridSlots, 0);
    // Every particle once, a closing node per used chain, and the one
    // closing node that all empty chains share.
    const std::size_t laidOut = nodes + std::min<std::size_t>(nodes, CellGridSlots) + 1;
    if (grid.Nodes.size() != laidOut) grid.Nodes.assign(laidOut, CellNode{});
}

// Lays the chains out end to end (see CellGrid::Nodes), walking each from its
// head to -1, so that their order is the chains' own.
void LayOutChains(SimulationState& s) {
    CellGrid& grid = s.Cells;
    const std::int32_t* head = grid.Head.data();
    const std::int32_t* next = grid.Next.data();
    std::int32_t* chainStart = grid.ChainStart.data();
    CellNode* nodes = grid.Nodes.data();
    const double* x = s.Particles.X.data();
    const double* y = s.Particles.Y.data();
    const double* z = s.Particles.Z.data();

    nodes[0] = CellNode{};  // shared by the empty chains
    std::int32_t used = 1;
    for (int slot = 0; slot < CellGridSlots; ++slot) {
        if (head[slot] == -1) {
            chainStart[slot] = 0;
            continue;
        }
        chainStart[slot] = used;
        for (std::int32_t j = head[slot]; j != -1; j = next[j]) nodes[used++] = {x[j], y[j], z[j], j};
        nodes[used++] = CellNode{};
    }
}

}  // namespace

void SetInitialListRadius(SimulationState& s, double projectileSpeed, double timestep) {
    s.ListRadius = projectileSpeed * timestep * StepsBetweenRebuilds(s) + s.Model.CutoffRadius;
    s.ListRadiusSq = s.ListRadius * s.ListRadius;
}

void UpdateListRadius(SimulationState& s, const TrajectoryState& trajectory) {
    const double reach = TravelShare * trajectory.FastestSpeed * trajectory.Timestep *
                             StepsBetweenRebuilds(s) +
                         s.Model.CutoffRadius;
    s.ListRadius = (2.0 / 3.0) * s.ListRadius + (1.0 / 3.0) * reach;
    s.ListRadiusSq = s.ListRadius * s.ListRadius;
}

bool RebuildPartnerLists(SimulationState& s, TrajectoryState& trajectory) {
    ProgramContext& program = s.Program;
    UserInterface& ui = s.Ui();
    const bool bruteForce = s.Options().NeighbourSearch;

    if (program.AbortRequested) {
        if (ui.AskYesNo(AbortQuestionText, QuestionKind::Confirmation)) {
            program.AbortNow = true;
            trajectory.ContinueJob = false;
            LogLine(ui, AbortingLogText, ColourRed);
            program.AbortRequested = false;
            return false;
        }
        // Declining withdraws every pending stop, a Step included.
        program.AbortRequested = false;
        program.AbortNow = false;
    }

    if (bruteForce) ui.ProcessPendingEvents();
    ShowStatusText(ui, "Timesteps: " + IntegerText(trajectory.StepCount) + " (" +
                           FormatRealDecimals(2, trajectory.Time * FemtosecondsPerSecond) +
                           " fs)");
    program.Plot.Time = static_cast<float>(trajectory.Time);
    ui.PlotUpdate(program.Plot);
    if (!bruteForce) ui.ProcessPendingEvents();
    // Step or a confirmed abort may have come in with the window's events.
    if (program.AbortNow) return false;

    if (bruteForce)
        BuildListsBruteForce(s, trajectory);
    else
        BuildListsCellIndex(s, trajectory);
    return !program.AbortNow;
}

void BuildListsBruteForce(SimulationState& s, TrajectoryState& trajectory) {
    PrepareLists(s);
    PartnerLists& lists = s.Partners;
    std::vector<std::int32_t>& index = lists.Index;
    std::uint32_t* start = lists.Start.data();

    const std::int32_t n = s.Particles.AtomCount;
    const double* x = s.Particles.X.data();
    const double* y = s.Particles.Y.data();
    const double* z = s.Particles.Z.data();
    const double r2 = s.ListRadiusSq;
    const double r = std::sqrt(r2);
    const std::int32_t limit = PartnerLimit(lists);
    // Only the projectile's pairs are wanted when the target's own forces are
    // ignored; the target atoms' lists stay empty.
    const std::int32_t lastListed = s.Options().IgnoreTargetForces ? 0 : n;

    std::int32_t largest = 0;
    bool overflow = false;
    for (std::int32_t i = 0; i <= n; ++i) {
        start[i] = static_cast<std::uint32_t>(index.size());
        if (i > lastListed) continue;
        ReserveList(index, static_cast<std::size_t>(limit));
        const double xi = x[i], yi = y[i], zi = z[i];
        std::int32_t count = 0;
        for (std::int32_t j = i + 1; j <= n; ++j) {
            const double dx = xi - x[j];
            if (std::fabs(dx) > r) continue;
            const double dy = yi - y[j];
            if (std::fabs(dy) > r) continue;
            const double dz = zi - z[j];
            if (std::fabs(dz) > r) continue;
            if (dx * dx + dy * dy + dz * dz < r2) {
                index.push_back(j);
                if (++count == limit) {
                    // The list keeps limit - 1 partners; the rest are lost.
                    index.pop_back();
                    --count;
                    overflow = true;
                    break;
                }
            }
        }
        if (count > largest) largest = count;
    }
    CompleteRebuild(s, trajectory, largest, overflow, BruteForceOverflowText);
}

void BinParticles(SimulationState& s) {
    PrepareGrid(s);
    std::int32_t* head = s.Cells.Head.data();
    std::int32_t* next = s.Cells.Next.data();
    const std::int32_t n = s.Particles.AtomCount;
    const double* x = s.Particles.X.data();
    const double* y = s.Particles.Y.data();
    const double* z = s.Particles.Z.data();
    const double w = s.CellEdge;
    const double halfWidth = CellHalfCount * w;
    const double top = halfWidth / 3.0;

    for (std::int32_t i = 0; i <= n; ++i) {
        // Written so that a position that is not a number is skipped too.
        if (!(std::fabs(x[i]) <= halfWidth && std::fabs(y[i]) <= halfWidth && z[i] <= top &&
              z[i] > -halfWidth))
            continue;
        const int a = static_cast<int>(NearestInteger(x[i] / w));
        const int b = static_cast<int>(NearestInteger(y[i] / w));
        const int c = static_cast<int>(NearestInteger(z[i] / w));
        if (!CellInRange(a, b, c)) continue;
        const int slot = CellSlot(a, b, c);
        next[i] = head[slot];
        head[slot] = i;
    }
}

void EmptyCellGrid(SimulationState& s) {
    std::fill(s.Cells.Head.begin(), s.Cells.Head.end(), -1);
}

void BuildListsCellIndex(SimulationState& s, TrajectoryState& trajectory) {
    PrepareLists(s);
    BinParticles(s);
    LayOutChains(s);

    PartnerLists& lists = s.Partners;
    std::vector<std::int32_t>& index = lists.Index;
    std::uint32_t* start = lists.Start.data();
    const std::int32_t* chainStart = s.Cells.ChainStart.data();
    const CellNode* nodes = s.Cells.Nodes.data();

    const std::int32_t n = s.Particles.AtomCount;
    const double* x = s.Particles.X.data();
    const double* y = s.Particles.Y.data();
    const double* z = s.Particles.Z.data();
    const double w = s.CellEdge;
    const double r2 = s.ListRadiusSq;
    const double r = std::sqrt(r2);
    const std::int32_t limit = PartnerLimit(lists);
    // R^2 with a margin far above rounding, for skipping whole cells.
    const double reachSq = r2 * (1.0 + 1e-9);

    // Each list is gathered here first: every candidate is written and the
    // count advances only for a partner, which keeps the test free of
    // branches that depend on the data.
    std::vector<std::int32_t> scratch(static_cast<std::size_t>(limit) + 1);
    std::int32_t* gathered = scratch.data();

    std::int32_t largest = 0;
    bool overflow = false;
    for (std::int32_t i = 0; i <= n; ++i) {
        start[i] = static_cast<std::uint32_t>(index.size());
        const double xi = x[i], yi = y[i], zi = z[i];
        const double xLo = xi - r, xHi = xi + r;
        const double yLo = yi - r, yHi = yi + r;
        const double zLo = zi - r, zHi = zi + r;
        int aLo, aHi, bLo, bHi, cLo, cHi;
        std::int32_t count = 0;
        if (AxisCells(xi, r, w, -CellHalfCount, CellHalfCount, aLo, aHi) &&
            AxisCells(yi, r, w, -CellHalfCount, CellHalfCount, bLo, bHi) &&
            AxisCells(zi, r, w, -CellHalfCount, CellTopCount, cLo, cHi)) {
            // Squared gaps between i and the cells' slabs on each axis: a
            // cell whose nearest point lies beyond R holds no partner.
            double gapA[2 * CellHalfCount + 1], gapB[2 * CellHalfCount + 1],
                gapC[2 * CellHalfCount + 1];
            AxisGaps(xi, w, aLo, aHi, gapA);
            AxisGaps(yi, w, bLo, bHi, gapB);
            AxisGaps(zi, w, cLo, cHi, gapC);
            bool full = false;
            for (int a = aLo; a <= aHi && !full; ++a) {
                for (int b = bLo; b <= bHi && !full; ++b) {
                    const double gapAB = gapA[a - aLo] + gapB[b - bLo];
                    if (gapAB > reachSq) continue;
                    const int column = CellSlot(a, b, 0);
                    for (int c = cLo; c <= cHi && !full; ++c) {
                        if (gapAB + gapC[c - cLo] > reachSq) continue;
                        // A chain runs in descending index order (nodes are
                        // pushed to its front), so it can be left at the first
                        // j <= i; its closing -1 ends it as well.
                        for (const CellNode* node = nodes + chainStart[column + c];
                             node->Index > i; ++node) {
                            const double px = node->X, py = node->Y, pz = node->Z;
                            const double dx = xi - px;
                            const double dy = yi - py;
                            const double dz = zi - pz;
                            // Inside the box (inclusive) exactly when no
                            // difference to a face is negative.
                            const double margin = std::min(
                                std::min(std::min(px - xLo, xHi - px), std::min(py - yLo, yHi - py)),
                                std::min(pz - zLo, zHi - pz));
                            const bool partner =
                                (margin >= 0.0) & (dx * dx + dy * dy + dz * dz < r2);
                            gathered[count] = node->Index;
                            count += partner;
                            if (count == limit) {
                                --count;
                                overflow = true;
                                full = true;
                                break;
                            }
                        }
                    }
                }
            }
        }
        ReserveList(index, static_cast<std::size_t>(count));
        index.insert(index.end(), gathered, gathered + count);
        if (count > largest) largest = count;
    }

    EmptyCellGrid(s);
    CompleteRebuild(s, trajectory, largest, overflow, CellIndexOverflowText);
}

}  // namespace vantrel
