#include "job/energy_report.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "job/forces.h"
#include "job/inelastic.h"
#include "job/log.h"
#include "core/number_text.h"
#include "core/screening.h"
#include "core/potential_forms.h"

namespace vantrel {

namespace {

// Report factors: momenta in 1e-21 kg m/s, angular momenta in 1e-31 J s,
// velocities in Mm/s.
constexpr double MomentumScale = 1.0e21;
constexpr double AngularMomentumScale = 1.0e31;
constexpr double MegametresPerMetre = 1.0e-6;
// Energy factor of the totals (the same double as EvPerJoule).
constexpr double ReportEvPerJoule = 6.241449214576030838e18;

// Embedding energies are taken only from factors above these.
constexpr double CohesiveFactorFloor = 1.0e-100;
constexpr double LatticeFactorFloor = 1.0e-20;

// Everything a pair energy needs, gathered once per report.
struct PairEnergyModel {
    const SimulationState* State = nullptr;
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

PairEnergyModel MakePairEnergyModel(const SimulationState& s, bool withCutoffValues) {
    PairEnergyModel m;
    m.State = &s;
    for (int t = AA; t <= AB; ++t) {
        m.Pair[t] = PairParametersOf(s.Model, static_cast<PairType>(t));
        m.Spline[t] = s.Model.SplineCoefficients[t];
    }
    m.Range = SwitchingRangeOf(s.Model);
    m.Cutoff = s.Model.CutoffRadius;
    m.High = s.Model.SplineHighRadius;
    m.Low = s.Model.SplineLowRadius;
    m.Binary = s.BinaryTarget;
    const ParticleTable& p = s.Particles;
    m.X = p.X.data();
    m.Y = p.Y.data();
    m.Z = p.Z.data();
    m.Flags = p.Flags.data();
    m.AtomicNumber = p.AtomicNumber.data();
    if (withCutoffValues) m.AtCutoff = CutoffPairEnergies(s);
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
    return ScreenedPairEnergy(*m.State, m.AtomicNumber[i], m.AtomicNumber[j], r, false);
}

double ProjectilePairEnergy(const PairEnergyModel& m, std::int32_t i, double r) {
    if (r >= m.Cutoff) return m.AtCutoff.Projectile[ClassOf(m, 0, i)];
    return ScreenedPairEnergy(*m.State, m.AtomicNumber[0], m.AtomicNumber[i], r, true);
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

template <typename Visit>
void ForEachNearPair(const PairEnergyModel& m, std::int32_t first, std::int32_t last, double reach,
                     Visit&& visit) {
    if (last <= first) return;
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

    std::vector<std::pair<std::uint64_t, std::int32_t>> binned;
    std::vector<std::int32_t> stragglers;
    std::vector<char> isStraggler(static_cast<std::size_t>(last - first) + 1, 0);
    binned.reserve(static_cast<std::size_t>(last - first) + 1);
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
    std::vector<std::uint64_t> cellKey;
    std::vector<std::size_t> cellBegin;
    for (std::size_t k = 0; k < binned.size(); ++k) {
        if (k == 0 || binned[k].first != binned[k - 1].first) {
            cellKey.push_back(binned[k].first);
            cellBegin.push_back(k);
        }
    }
    cellBegin.push_back(binned.size());

    std::vector<std::pair<std::size_t, std::size_t>> neighbours;
    neighbours.reserve(27);
    for (std::size_t cell = 0; cell < cellKey.size(); ++cell) {
        neighbours.clear();
        for (std::int64_t da = -1; da <= 1; ++da)
            for (std::int64_t db = -1; db <= 1; ++db)
                for (std::int64_t dc = -1; dc <= 1; ++dc) {
                    const std::uint64_t key = cellKey[cell] + static_cast<std::uint64_t>(
                                                                  (da << KeyShiftX) + (db << KeyShiftY) + dc);
                    const auto found = std::lower_bound(cellKey.begin(), cellKey.end(), key);
                    if (found == cellKey.end() || *found != key) continue;
                    const auto at = static_cast<std::size_t>(found - cellKey.begin());
                    neighbours.emplace_back(cellBegin[at], cellBegin[at + 1]);
                }
        for (std::size_t k = cellBegin[cell]; k < cellBegin[cell + 1]; ++k) {
            const std::int32_t i = binned[k].second;
            for (const auto& [begin, end] : neighbours)
                for (std::size_t l = begin; l < end; ++l)
                    if (binned[l].second > i) visit(i, binned[l].second);
        }
    }

    for (const std::int32_t s : stragglers) {
        for (std::int32_t j = first; j <= last; ++j) {
            if (j == s) continue;
            // Two stragglers meet once, under the lower index.
            if (isStraggler[static_cast<std::size_t>(j - first)] && j < s) continue;
            if (j < s)
                visit(j, s);
            else
                visit(s, j);
        }
    }
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

// Target pairs among first..n (step b without IgnoreTargetForces): the
// visited pairs by their distance, every pair not visited (beyond r_c) by
// the constant of its class.
long double TargetPairSum(const PairEnergyModel& m, std::int32_t first, std::int32_t last) {
    long double sum = 0.0L;
    PairValues visited{};
    ForEachNearPair(m, first, last, m.Cutoff, [&](std::int32_t i, std::int32_t j) {
        sum += TargetPairEnergy(m, i, j, Distance(m, i, j));
        visited[ClassOf(m, i, j)] += 1;
    });
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

// The energy report's potential energy; allPairs chooses the direct sum.
double PotentialEnergyOf(const SimulationState& s, bool allPairs) {
    const PairEnergyModel m = MakePairEnergyModel(s, true);
    const SimulationOptions& options = s.Program.Options;
    const ParticleTable& p = s.Particles;
    const std::int32_t n = p.AtomCount;
    long double pe = 0.0L;

    // a. The projectile's screened-Coulomb pairs.
    if (!options.SelfBombard)
        for (std::int32_t i = 1; i <= n; ++i) pe += ProjectilePairEnergy(m, i, Distance(m, 0, i));

    // b. Target pairs (the projectile among them in a self-bombardment).
    const std::int32_t first = options.SelfBombard ? 0 : 1;
    if (options.IgnoreTargetForces) {
        if (first == 0)
            for (std::int32_t j = 1; j <= n; ++j) pe += TargetPairEnergy(m, 0, j, Distance(m, 0, j));
    } else {
        pe += allPairs ? TargetPairSumAllPairs(m, first, n) : TargetPairSum(m, first, n);
    }

    // c. Embedding energies -sqrt(rho) = -0.5/q of the same particles.
    const double* q = p.Density.data();
    const std::int32_t lastEmbedded = options.IgnoreTargetForces ? 0 : n;
    const std::int32_t firstEmbedded = options.IgnoreTargetForces ? 0 : first;
    for (std::int32_t j = firstEmbedded; j <= lastEmbedded; ++j)
        if (q[j] > DensityFloor) pe -= 0.5 / q[j];

    // d. Without switching, every target pair relative to its cut-off energy.
    if (!s.Model.UseSwitching) {
        const double nn = n;
        pe -= std::fabs(m.AtCutoff.Target[AA]) * (nn * (nn - 1.0) / 2.0);
    }

    // e. Image energies.
    if (options.UseImagePotential)
        for (std::int32_t i = 0; i <= n; ++i)
            if (p.Flags[i] & ImageCharge) pe += ImagePotential(s.Inelastic, p.Z[i]);

    return static_cast<double>(pe);
}

// Lattice energy; allPairs chooses the direct sum.
double LatticeEnergyOf(const SimulationState& s, bool allPairs) {
    const PairEnergyModel m = MakePairEnergyModel(s, false);
    const ParticleTable& p = s.Particles;
    const std::int32_t n = p.AtomCount;
    long double energy = 0.0L;
    const auto add = [&](std::int32_t i, std::int32_t j) {
        const double r = Distance(m, i, j);
        if (r <= m.Cutoff) energy += NBodyPairEnergy(m, ClassOf(m, i, j), r);
    };
    if (n >= 2) {
        if (allPairs) {
            for (std::int32_t i = 1; i <= n; ++i)
                for (std::int32_t j = i + 1; j <= n; ++j) add(i, j);
        } else {
            ForEachNearPair(m, 1, n, m.Cutoff, add);
        }
    }
    const double* q = p.Density.data();
    for (std::int32_t i = 1; i <= n; ++i)
        if (q[i] > LatticeFactorFloor) energy -= 0.5 / q[i];
    return static_cast<double>(energy);
}

std::string Angstrom3(double x, double y, double z) {
    return FormatReal8(x * AngstromPerMetre) + " " + FormatReal8(y * AngstromPerMetre) + " " +
           FormatReal8(z * AngstromPerMetre);
}

std::string Megametres3(double x, double y, double z) {
    return FormatReal8(x * MegametresPerMetre) + " " + FormatReal8(y * MegametresPerMetre) + " " +
           FormatReal8(z * MegametresPerMetre);
}

}  // namespace

double ScreenedPairEnergy(const SimulationState& s, std::int32_t za, std::int32_t zb, double r,
                          bool projectile) {
    const ModelParameters& model = s.Model;
    const ScreeningFunction function = ScreeningFunctionOfCode(
        projectile ? model.ProjectileScreeningCode : model.TargetScreeningCode);
    if (function == ScreeningFunction::Universal && s.BinaryTarget) {
        double length = 0;
        ScreeningLength(0, za, zb,
                        projectile ? model.ProjectileScreeningFactor : model.TargetScreeningFactor,
                        length);
        return ScreenedCoulombEnergy(za, zb, r, function, MakeScreeningRecord(length));
    }
    return ScreenedCoulombEnergy(za, zb, r, function,
                                 projectile ? model.ProjectileScreening[AA] : model.TargetScreening[AA]);
}

CutoffEnergies CutoffPairEnergies(const SimulationState& s) {
    const ModelParameters& model = s.Model;
    const ParticleTable& p = s.Particles;
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
            e.Target[t] = ScreenedPairEnergy(s, za, zb, rc, false);
        }
        e.Projectile[t] = ScreenedPairEnergy(s, z0, type == AA ? z1 : zn, rc, true);
    }
    return e;
}

double PotentialEnergy(const SimulationState& s) { return PotentialEnergyOf(s, false); }
double PotentialEnergyAllPairs(const SimulationState& s) { return PotentialEnergyOf(s, true); }

double CohesiveEnergy(const SimulationState& s, std::int32_t i0) {
    const PairEnergyModel m = MakePairEnergyModel(s, false);
    const ParticleTable& p = s.Particles;
    long double sum = 0.0L;
    for (std::int32_t j = 1; j <= p.AtomCount; ++j) {
        if (j == i0) continue;
        const double r = Distance(m, i0, j);
        if (r <= m.Cutoff) sum += NBodyPairEnergy(m, ClassOf(m, i0, j), r);
    }
    double ec = static_cast<double>(0.5L * sum);
    const double q = p.Density[i0];
    if (q > CohesiveFactorFloor) ec -= 0.5 / q;
    return ec;
}

double LatticeEnergy(const SimulationState& s) { return LatticeEnergyOf(s, false); }
double LatticeEnergyAllPairs(const SimulationState& s) { return LatticeEnergyOf(s, true); }

double EnergyReport(SimulationState& s) {
    ProgramContext& program = s.Program;
    const SimulationOptions& options = program.Options;
    if (!options.ReportEnergy) return 0.0;
    UserInterface& ui = s.Ui();
    const bool verbose = options.Verbose;

    if (verbose && program.FinalReportToggle) LogLine(ui, FinalConfigurationText, ColourBlue);

    const ParticleTable& p = s.Particles;
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

    program.FinalReportToggle = !program.FinalReportToggle;
    const double potential = PotentialEnergy(s);
    const double ke = static_cast<double>(kinetic);
    if (!program.FinalReportToggle) {
        s.ReportedKinetic = ke * ReportEvPerJoule;
        s.ReportedPotential = potential * ReportEvPerJoule;
    }
    const double total = (ke + potential) * ReportEvPerJoule;
    const double potentialEv = potential * ReportEvPerJoule;

    if (verbose) {
        LogLine(ui, "  Total System Energy: " + FormatReal8(total) + " eV", ColourBlue);
        LogLine(ui, "  Potential: " + FormatReal8(potentialEv) + " eV; Kinetic : " +
                        FormatReal8(total - potentialEv) + " eV",
                ColourBlue);
        LogLine(ui, "  Px:" + FormatReal8(static_cast<double>(px) * MomentumScale) +
                        " Py:" + FormatReal8(static_cast<double>(py) * MomentumScale) +
                        " Pz:" + FormatReal8(static_cast<double>(pz) * MomentumScale) +
                        " (*1.0E+21 kg m/s)",
                ColourDarkGreen);
        LogLine(ui, "  Lx:" + FormatReal8(static_cast<double>(lx) * AngularMomentumScale) +
                        " Ly:" + FormatReal8(static_cast<double>(ly) * AngularMomentumScale) +
                        " Lz:" + FormatReal8(static_cast<double>(lz) * AngularMomentumScale) +
                        " (*1.0E+31 Js)",
                ColourDarkGreen);
        LogLine(ui, "  Projectile (x,y,z) coordinates (A): " + Angstrom3(p.X[0], p.Y[0], p.Z[0]),
                ColourBlack);
        LogLine(ui, "  Projectile (x,y,z) velocities (Mm/s): " + Megametres3(p.VX[0], p.VY[0], p.VZ[0]),
                ColourBlack);
        if (n >= 1) {
            LogLine(ui, "  Particle 1 (x,y,z) coordinates (A): " + Angstrom3(p.X[1], p.Y[1], p.Z[1]),
                    ColourGrey);
            LogLine(ui, "  Particle 1 (x,y,z) velocities (Mm/s): " + Megametres3(p.VX[1], p.VY[1], p.VZ[1]),
                    ColourGrey);
        }
        const LatticeZone& zone = s.Zone;
        LogLine(ui, "  Lattice zone lower coordinates (A): " + Angstrom3(zone.XMin, zone.YMin, zone.ZMin),
                ColourBlack);
        LogLine(ui, "  Lattice zone upper coordinates (A): " + Angstrom3(zone.XMax, zone.YMax, zone.ZMax),
                ColourBlack);
    }
    return total;
}

void CohesiveEnergyReport(SimulationState& s) {
    const std::int32_t i0 = s.Program.Options.LatticeSiteIndex;
    // A negative index names no particle either.
    if (i0 < 0 || s.Particles.AtomCount < i0) {
        LogLine(s.Ui(), CohesiveWarningText, ColourRed);
        return;
    }
    const double ec = CohesiveEnergy(s, i0) * ReportEvPerJoule;
    LogLine(s.Ui(), "  Ec for atom #" + IntegerText(i0) + ": " + FormatReal8(ec) + " eV", ColourBlue);
}

void LatticeEnergyReport(SimulationState& s) {
    const double energy = LatticeEnergy(s) * ReportEvPerJoule;
    LogLine(s.Ui(), "  Lattice energy: " + FormatRealDecimals(4, energy) + " eV (excludes projectile)",
            ColourBlue);
}

}  // namespace vantrel
