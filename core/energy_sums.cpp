#include "core/energy_sums.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "core/collision_events.h"
#include "core/forces.h"
#include "core/inelastic.h"
#include "core/potential_forms.h"

namespace vantrel {

namespace {

// Embedding energies are taken only from factors above these.
constexpr double CohesiveFactorFloor = 1.0e-100;
constexpr double LatticeFactorFloor = 1.0e-20;

// Everything a pair energy needs, gathered once per sum.
struct PairEnergyModel {
    const ModelParameters* Model = nullptr;
    std::array<PairParameters, 4> Pair{};
    std::array<SplineCoefficients, 4> Spline{};
    SwitchingRange Range;
    double Cutoff = 0, High = 0, Low = 0;  // r_c, r_hi, r_lo
    bool Binary = false;
    CutoffEnergies AtCutoff;
    const double* X = nullptr;
    const double* Y = nullptr;
    const double* Z = nullptr;
    const std::uint32_t* Flags = nullptr;
    const std::int32_t* AtomicNumber = nullptr;
};

PairEnergyModel MakePairEnergyModel(const EnergyView& view, bool withCutoffValues) {
    const ModelParameters& model = view.Model;
    PairEnergyModel m;
    m.Model = &model;
    for (int t = AA; t <= AB; ++t) {
        m.Pair[t] = PairParametersOf(model, static_cast<PairType>(t));
        m.Spline[t] = model.SplineCoefficients[t];
    }
    m.Range = SwitchingRangeOf(model);
    m.Cutoff = model.CutoffRadius;
    m.High = model.SplineHighRadius;
    m.Low = model.SplineLowRadius;
    m.Binary = view.BinaryTarget;
    const ParticleTable& p = view.Particles;
    m.X = p.X.data();
    m.Y = p.Y.data();
    m.Z = p.Z.data();
    m.Flags = p.Flags.data();
    m.AtomicNumber = p.AtomicNumber.data();
    if (withCutoffValues) m.AtCutoff = CutoffPairEnergies(view);
    return m;
}

inline double Distance(const PairEnergyModel& m, std::int32_t i, std::int32_t j) {
    const double dx = m.X[i] - m.X[j];
    const double dy = m.Y[i] - m.Y[j];
    const double dz = m.Z[i] - m.Z[j];
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

inline PairType ClassOf(const PairEnergyModel& m, std::int32_t i, std::int32_t j) {
    return m.Binary ? PairTypeOfFlags(m.Flags[i], m.Flags[j]) : AA;
}

// The N-body pair energy S phi_t(r).
inline double NBodyPairEnergy(const PairEnergyModel& m, PairType t, double r) {
    return Switching(m.Range, r) * PairPotential(m.Pair[t], r);
}

// Energy of the target pair (i, j) at distance r.  A distance that is not a
// number falls through to the screened-Coulomb term and makes the sum not a
// number, as the state it reports on is.
double TargetPairEnergy(const PairEnergyModel& m, std::int32_t i, std::int32_t j, double r) {
    const PairType t = ClassOf(m, i, j);
    if (r >= m.Cutoff) return m.AtCutoff.Target[t];
    if (r >= m.High) return NBodyPairEnergy(m, t, r);
    if (r > m.Low) return SplineValue(m.Spline[t], r);
    return ScreenedPairEnergy(*m.Model, m.Binary, m.AtomicNumber[i], m.AtomicNumber[j], r, false);
}

double ProjectilePairEnergy(const PairEnergyModel& m, std::int32_t i, double r) {
    if (r >= m.Cutoff) return m.AtCutoff.Projectile[ClassOf(m, 0, i)];
    return ScreenedPairEnergy(*m.Model, m.Binary, m.AtomicNumber[0], m.AtomicNumber[i], r, true);
}

// ---------------------------------------------------------------------------
// Cell search for the pairs within a reach.
//
// Particles first..n are sorted into cubic cells of edge slightly above the
// reach, keyed by their integer cell coordinates; each particle then meets
// the particles of its own and the 26 neighbouring cells with a larger
// index, so every pair closer than the reach is visited exactly once (and
// some farther ones, which the caller judges by their distance).  Particles
// whose coordinates are not finite, or lie so far out that their cell
// coordinates do not fit the key, are met with every other particle
// directly.

constexpr std::int64_t KeyOffset = std::int64_t{1} << 20;  // cell coordinate 0
constexpr double KeyLimit = static_cast<double>(KeyOffset - 2);
constexpr int KeyShiftY = 21;
constexpr int KeyShiftX = 42;

// Sorts particles first..last into the cells (Binned, CellKey, CellBegin)
// and collects the stragglers; false when there is no pair (last <= first).
bool BinNearPairs(const PairEnergyModel& m, std::int32_t first, std::int32_t last, double reach,
                  EnergyScratch& scratch) {
    if (last <= first) return false;
    const double edge = std::max(reach * (1.0 + 1.0e-6), 1.0e-15);
    // Cell coordinates are counted from the first particle with a finite
    // position, which keeps them small for any crystal wherever it lies.
    double ox = 0, oy = 0, oz = 0;
    for (std::int32_t i = first; i <= last; ++i) {
        if (std::isfinite(m.X[i]) && std::isfinite(m.Y[i]) && std::isfinite(m.Z[i])) {
            ox = m.X[i], oy = m.Y[i], oz = m.Z[i];
            break;
        }
    }

    auto& binned = scratch.Binned;
    auto& stragglers = scratch.Stragglers;
    auto& isStraggler = scratch.IsStraggler;
    binned.clear();
    stragglers.clear();
    isStraggler.assign(static_cast<std::size_t>(last - first) + 1, 0);
    for (std::int32_t i = first; i <= last; ++i) {
        const double a = std::floor((m.X[i] - ox) / edge);
        const double b = std::floor((m.Y[i] - oy) / edge);
        const double c = std::floor((m.Z[i] - oz) / edge);
        // Written so that a coordinate that is not a number fails the test.
        if (!(std::fabs(a) <= KeyLimit && std::fabs(b) <= KeyLimit && std::fabs(c) <= KeyLimit)) {
            stragglers.push_back(i);
            isStraggler[static_cast<std::size_t>(i - first)] = 1;
            continue;
        }
        const auto key = (static_cast<std::uint64_t>(static_cast<std::int64_t>(a) + KeyOffset)
                          << KeyShiftX) |
                         (static_cast<std::uint64_t>(static_cast<std::int64_t>(b) + KeyOffset)
                          << KeyShiftY) |
                         static_cast<std::uint64_t>(static_cast<std::int64_t>(c) + KeyOffset);
        binned.emplace_back(key, i);
    }
    std::sort(binned.begin(), binned.end());

    // Distinct cells and where their particles begin in `binned`.
    auto& cellKey = scratch.CellKey;
    auto& cellBegin = scratch.CellBegin;
    cellKey.clear();
    cellBegin.clear();
    for (std::size_t k = 0; k < binned.size(); ++k) {
        if (k == 0 || binned[k].first != binned[k - 1].first) {
            cellKey.push_back(binned[k].first);
            cellBegin.push_back(k);
        }
    }
    cellBegin.push_back(binned.size());
    return true;
}

// The pairs of one cell's particles with the particles of higher index in
// the cell itself and its 26 neighbours.
template <typename Visit>
void VisitCell(const EnergyScratch& scratch, std::size_t cell, Visit&& visit) {
    const auto& binned = scratch.Binned;
    const auto& cellKey = scratch.CellKey;
    const auto& cellBegin = scratch.CellBegin;
    std::pair<std::size_t, std::size_t> neighbours[27];
    int count = 0;
    for (std::int64_t da = -1; da <= 1; ++da)
        for (std::int64_t db = -1; db <= 1; ++db)
            for (std::int64_t dc = -1; dc <= 1; ++dc) {
                const std::uint64_t key = cellKey[cell] + static_cast<std::uint64_t>(
                                                              (da << KeyShiftX) + (db << KeyShiftY) + dc);
                const auto found = std::lower_bound(cellKey.begin(), cellKey.end(), key);
                if (found == cellKey.end() || *found != key) continue;
                const auto at = static_cast<std::size_t>(found - cellKey.begin());
                neighbours[count++] = {cellBegin[at], cellBegin[at + 1]};
            }
    for (std::size_t k = cellBegin[cell]; k < cellBegin[cell + 1]; ++k) {
        const std::int32_t i = binned[k].second;
        for (int n = 0; n < count; ++n)
            for (std::size_t l = neighbours[n].first; l < neighbours[n].second; ++l)
                if (binned[l].second > i) visit(i, binned[l].second);
    }
}

// The stragglers met with every other particle.
template <typename Visit>
void VisitStragglers(const EnergyScratch& scratch, std::int32_t first, std::int32_t last,
                     Visit&& visit) {
    for (const std::int32_t s : scratch.Stragglers) {
        for (std::int32_t j = first; j <= last; ++j) {
            if (j == s) continue;
            // Two stragglers meet once, under the lower index.
            if (scratch.IsStraggler[static_cast<std::size_t>(j - first)] && j < s) continue;
            if (j < s)
                visit(j, s);
            else
                visit(s, j);
        }
    }
}

template <typename Visit>
void ForEachNearPair(const PairEnergyModel& m, std::int32_t first, std::int32_t last, double reach,
                     EnergyScratch& scratch, Visit&& visit) {
    if (!BinNearPairs(m, first, last, reach, scratch)) return;
    for (std::size_t cell = 0; cell < scratch.CellKey.size(); ++cell) VisitCell(scratch, cell, visit);
    VisitStragglers(scratch, first, last, visit);
}

// The threaded sums: tasks of whole cells holding about this many particles,
// run this many per thread at a time before their terms are added.
constexpr std::size_t ParticlesPerTask = 1024;
constexpr std::size_t TasksPerThread = 2;

// What ForEachNearPair visits, with each pair's terms evaluated on the pool:
// term(i, j, terms, counts) appends the pair's terms (none or more) to terms
// and may count into counts.  The terms are added to sum in visiting order,
// the counts into counts.
template <typename Term>
void SumNearPairs(const PairEnergyModel& m, std::int32_t first, std::int32_t last, double reach,
                  EnergyScratch& scratch, WorkerPool& pool, long double& sum, PairValues& counts,
                  Term&& term) {
    if (!BinNearPairs(m, first, last, reach, scratch)) return;
    const std::size_t cells = scratch.CellKey.size();
    auto& taskCells = scratch.TaskCells;
    taskCells.clear();
    taskCells.push_back(0);
    for (std::size_t cell = 0; cell < cells; ++cell)
        if (scratch.CellBegin[cell + 1] - scratch.CellBegin[taskCells.back()] >= ParticlesPerTask)
            taskCells.push_back(cell + 1);
    if (taskCells.back() != cells) taskCells.push_back(cells);
    const std::size_t tasks = taskCells.size() - 1;
    const std::size_t wave = static_cast<std::size_t>(pool.Threads()) * TasksPerThread;
    const std::size_t waves = (tasks + wave - 1) / wave;
    // Two banks of buffers: while one wave's terms are added (one task, in
    // order), the next wave's are evaluated into the other bank.
    if (scratch.TaskTerms.size() < 2 * wave) scratch.TaskTerms.resize(2 * wave);
    if (scratch.TaskCounts.size() < 2 * wave) scratch.TaskCounts.resize(2 * wave);

    const auto add = [&](std::size_t buffer) {
        for (const double value : scratch.TaskTerms[buffer]) sum += value;
        for (int c = AA; c <= AB; ++c) counts[c] += scratch.TaskCounts[buffer][c];
    };
    for (std::size_t k = 0; k <= waves; ++k) {
        const std::size_t evaluated = k < waves ? std::min(wave, tasks - k * wave) : 0;
        const std::size_t added = k > 0 ? std::min(wave, tasks - (k - 1) * wave) : 0;
        const std::size_t bank = (k % 2) * wave, addBank = ((k + 1) % 2) * wave;
        const std::size_t adding = added > 0 ? 1 : 0;
        pool.Run(evaluated + adding, [&](std::size_t t, int) {
            if (t < adding) {
                for (std::size_t u = 0; u < added; ++u) add(addBank + u);
                return;
            }
            const std::size_t e = t - adding;
            const std::size_t task = k * wave + e;
            std::vector<double>& terms = scratch.TaskTerms[bank + e];
            PairValues& taskCounts = scratch.TaskCounts[bank + e];
            terms.clear();
            taskCounts = PairValues{};
            for (std::size_t cell = taskCells[task]; cell < taskCells[task + 1]; ++cell)
                VisitCell(scratch, cell, [&](std::int32_t i, std::int32_t j) {
                    term(i, j, terms, taskCounts);
                });
        });
    }
    scratch.TaskTerms[0].clear();
    scratch.TaskCounts[0] = PairValues{};
    VisitStragglers(scratch, first, last, [&](std::int32_t i, std::int32_t j) {
        term(i, j, scratch.TaskTerms[0], scratch.TaskCounts[0]);
    });
    add(0);
}

// f(i) for i = first..last evaluated on the pool into scratch.Terms[i].
template <typename F>
void EvaluateTerms(EnergyScratch& scratch, WorkerPool& pool, std::int32_t first, std::int32_t last,
                   F&& f) {
    if (last < first) return;
    if (scratch.Terms.size() < static_cast<std::size_t>(last) + 1)
        scratch.Terms.resize(static_cast<std::size_t>(last) + 1);
    double* terms = scratch.Terms.data();
    const std::int64_t count = std::int64_t{last} - first + 1;
    const auto chunks = static_cast<std::size_t>(pool.Threads()) * 4;
    pool.Run(chunks, [&](std::size_t c, int) {
        const std::int64_t lo = first + EqualPartStart(count, c, chunks);
        const std::int64_t hi = first + EqualPartStart(count, c + 1, chunks);
        for (std::int64_t i = lo; i < hi; ++i) terms[i] = f(static_cast<std::int32_t>(i));
    });
}

// Number of pairs of each class among particles first..last.
PairValues PairCounts(const PairEnergyModel& m, std::int32_t first, std::int32_t last) {
    PairValues counts{};
    if (last < first) return counts;
    double a = 0, b = 0;
    for (std::int32_t i = first; i <= last; ++i) {
        if (m.Binary && (m.Flags[i] & TypeB))
            b += 1;
        else
            a += 1;
    }
    counts[AA] = a * (a - 1) / 2;
    counts[BB] = b * (b - 1) / 2;
    counts[AB] = a * b;
    return counts;
}

// Target pairs among first..n: the visited pairs by their distance, every
// pair not visited (beyond r_c) by the constant of its class.
long double TargetPairSum(const PairEnergyModel& m, std::int32_t first, std::int32_t last,
                          EnergyScratch& scratch, WorkerPool* pool) {
    long double sum = 0.0L;
    PairValues visited{};
    if (Threaded(pool)) {
        SumNearPairs(m, first, last, m.Cutoff, scratch, *pool, sum, visited,
                     [&m](std::int32_t i, std::int32_t j, std::vector<double>& terms,
                          PairValues& counts) {
                         terms.push_back(TargetPairEnergy(m, i, j, Distance(m, i, j)));
                         counts[ClassOf(m, i, j)] += 1;
                     });
    } else {
        ForEachNearPair(m, first, last, m.Cutoff, scratch, [&](std::int32_t i, std::int32_t j) {
            sum += TargetPairEnergy(m, i, j, Distance(m, i, j));
            visited[ClassOf(m, i, j)] += 1;
        });
    }
    const PairValues all = PairCounts(m, first, last);
    for (int t = AA; t <= AB; ++t) sum += (all[t] - visited[t]) * static_cast<long double>(m.AtCutoff.Target[t]);
    return sum;
}

long double TargetPairSumAllPairs(const PairEnergyModel& m, std::int32_t first, std::int32_t last) {
    long double sum = 0.0L;
    for (std::int32_t i = first; i <= last; ++i)
        for (std::int32_t j = i + 1; j <= last; ++j) sum += TargetPairEnergy(m, i, j, Distance(m, i, j));
    return sum;
}

// The potential energy; without scratch the direct sum over all pairs.
double PotentialEnergyOf(const EnergyView& view, const EnergyTerms& terms, EnergyScratch* scratch,
                         WorkerPool* pool) {
    const PairEnergyModel m = MakePairEnergyModel(view, true);
    const ParticleTable& p = view.Particles;
    const std::int32_t n = p.AtomCount;
    long double pe = 0.0L;
    if (!scratch) pool = nullptr;

    // a. The projectile's screened-Coulomb pairs.
    if (!terms.SelfBombard) {
        if (Threaded(pool)) {
            EvaluateTerms(*scratch, *pool, 1, n,
                          [&m](std::int32_t i) { return ProjectilePairEnergy(m, i, Distance(m, 0, i)); });
            for (std::int32_t i = 1; i <= n; ++i) pe += scratch->Terms[static_cast<std::size_t>(i)];
        } else {
            for (std::int32_t i = 1; i <= n; ++i) pe += ProjectilePairEnergy(m, i, Distance(m, 0, i));
        }
    }

    // b. Target pairs (the projectile among them in a self-bombardment).
    const std::int32_t first = terms.SelfBombard ? 0 : 1;
    if (terms.IgnoreTargetForces) {
        if (first == 0)
            for (std::int32_t j = 1; j <= n; ++j) pe += TargetPairEnergy(m, 0, j, Distance(m, 0, j));
    } else {
        pe += scratch ? TargetPairSum(m, first, n, *scratch, pool) : TargetPairSumAllPairs(m, first, n);
    }

    // c. Embedding energies -sqrt(rho) = -0.5/q of the same particles.
    const double* q = p.EmbeddingFactor.data();
    const std::int32_t lastEmbedded = terms.IgnoreTargetForces ? 0 : n;
    const std::int32_t firstEmbedded = terms.IgnoreTargetForces ? 0 : first;
    for (std::int32_t j = firstEmbedded; j <= lastEmbedded; ++j)
        if (q[j] > DensityFloor) pe -= 0.5 / q[j];

    // d. Without switching, every target pair relative to its cut-off energy.
    if (!view.Model.UseSwitching) {
        const double nn = n;
        pe -= std::fabs(m.AtCutoff.Target[AA]) * (nn * (nn - 1.0) / 2.0);
    }

    // e. Image energies.
    if (terms.Image)
        for (std::int32_t i = 0; i <= n; ++i)
            if (p.Flags[i] & ImageCharge) pe += ImagePotential(*terms.Image, p.Z[i]);

    return static_cast<double>(pe);
}

// The lattice energy; without scratch the direct sum over all pairs.
double LatticeEnergyOf(const EnergyView& view, EnergyScratch* scratch, WorkerPool* pool) {
    const PairEnergyModel m = MakePairEnergyModel(view, false);
    const ParticleTable& p = view.Particles;
    const std::int32_t n = p.AtomCount;
    long double energy = 0.0L;
    const auto add = [&](std::int32_t i, std::int32_t j) {
        const double r = Distance(m, i, j);
        if (r <= m.Cutoff) energy += NBodyPairEnergy(m, ClassOf(m, i, j), r);
    };
    if (n >= 2) {
        if (!scratch) {
            for (std::int32_t i = 1; i <= n; ++i)
                for (std::int32_t j = i + 1; j <= n; ++j) add(i, j);
        } else if (Threaded(pool)) {
            PairValues unused{};
            SumNearPairs(m, 1, n, m.Cutoff, *scratch, *pool, energy, unused,
                         [&m](std::int32_t i, std::int32_t j, std::vector<double>& terms,
                              PairValues&) {
                             const double r = Distance(m, i, j);
                             if (r <= m.Cutoff) terms.push_back(NBodyPairEnergy(m, ClassOf(m, i, j), r));
                         });
        } else {
            ForEachNearPair(m, 1, n, m.Cutoff, *scratch, add);
        }
    }
    const double* q = p.EmbeddingFactor.data();
    for (std::int32_t i = 1; i <= n; ++i)
        if (q[i] > LatticeFactorFloor) energy -= 0.5 / q[i];
    return static_cast<double>(energy);
}

}  // namespace

void SizeEnergyScratch(EnergyScratch& scratch, std::int32_t atomCount) {
    const std::size_t size = static_cast<std::size_t>(atomCount) + 1;
    scratch.Binned.reserve(size);
    scratch.Stragglers.reserve(size);
    scratch.IsStraggler.reserve(size);
    scratch.CellKey.reserve(size);
    scratch.CellBegin.reserve(size + 1);
    scratch.Terms.reserve(size);
}

CutoffEnergies CutoffPairEnergies(const EnergyView& view) {
    const ModelParameters& model = view.Model;
    const ParticleTable& p = view.Particles;
    const std::int32_t n = p.AtomCount;
    const std::int32_t z0 = p.AtomicNumber[0];
    const std::int32_t z1 = n >= 1 ? p.AtomicNumber[1] : z0;
    const std::int32_t zn = n >= 1 ? p.AtomicNumber[n] : z0;
    const double rc = model.CutoffRadius;
    const SwitchingRange range = SwitchingRangeOf(model);

    CutoffEnergies e;
    for (int t = AA; t <= AB; ++t) {
        const auto type = static_cast<PairType>(t);
        if (rc > model.SplineHighRadius) {
            e.Target[t] = Switching(range, rc) * PairPotential(PairParametersOf(model, type), rc);
        } else if (rc > model.SplineLowRadius) {
            e.Target[t] = SplineValue(model.SplineCoefficients[t], rc);
        } else {
            const std::int32_t za = type == BB ? zn : z1;
            const std::int32_t zb = type == AA ? z1 : zn;
            e.Target[t] = ScreenedPairEnergy(model, view.BinaryTarget, za, zb, rc, false);
        }
        e.Projectile[t] =
            ScreenedPairEnergy(model, view.BinaryTarget, z0, type == AA ? z1 : zn, rc, true);
    }
    return e;
}

MotionSums MotionSumsOf(const ParticleTable& p) {
    const std::int32_t n = p.AtomCount;
    long double kinetic = 0, px = 0, py = 0, pz = 0, lx = 0, ly = 0, lz = 0;
    for (std::int32_t i = 0; i <= n; ++i) {
        const long double m = p.Mass[i];
        const long double vx = p.VX[i], vy = p.VY[i], vz = p.VZ[i];
        const long double x = p.X[i], y = p.Y[i], z = p.Z[i];
        kinetic += 0.5L * m * (vx * vx + vy * vy + vz * vz);
        px += m * vx;
        py += m * vy;
        pz += m * vz;
        lx += m * (y * vz - z * vy);
        ly += m * (z * vx - x * vz);
        lz += m * (x * vy - y * vx);
    }
    MotionSums sums;
    sums.Kinetic = static_cast<double>(kinetic);
    sums.Px = static_cast<double>(px);
    sums.Py = static_cast<double>(py);
    sums.Pz = static_cast<double>(pz);
    sums.Lx = static_cast<double>(lx);
    sums.Ly = static_cast<double>(ly);
    sums.Lz = static_cast<double>(lz);
    return sums;
}

double PotentialEnergy(const EnergyView& view, const EnergyTerms& terms, EnergyScratch& scratch,
                       WorkerPool* pool) {
    return PotentialEnergyOf(view, terms, &scratch, pool);
}

double PotentialEnergyAllPairs(const EnergyView& view, const EnergyTerms& terms) {
    return PotentialEnergyOf(view, terms, nullptr, nullptr);
}

double CohesiveEnergy(const EnergyView& view, std::int32_t i0) {
    const PairEnergyModel m = MakePairEnergyModel(view, false);
    const ParticleTable& p = view.Particles;
    long double sum = 0.0L;
    for (std::int32_t j = 1; j <= p.AtomCount; ++j) {
        if (j == i0) continue;
        const double r = Distance(m, i0, j);
        if (r <= m.Cutoff) sum += NBodyPairEnergy(m, ClassOf(m, i0, j), r);
    }
    double ec = static_cast<double>(0.5L * sum);
    const double q = p.EmbeddingFactor[i0];
    if (q > CohesiveFactorFloor) ec -= 0.5 / q;
    return ec;
}

double LatticeEnergy(const EnergyView& view, EnergyScratch& scratch, WorkerPool* pool) {
    return LatticeEnergyOf(view, &scratch, pool);
}

double LatticeEnergyAllPairs(const EnergyView& view) { return LatticeEnergyOf(view, nullptr, nullptr); }

}  // namespace vantrel
