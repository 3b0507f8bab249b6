// Potential and density look-up for one pair of particles: the innermost
// operations of the engine, called once per partner pair per pass.
//
// What a pair at distance r feels (r in metres, Delta = r_i - r_j):
//
//   r > r_c            nothing;
//   r_lo <= r <= r_c   the tables: f = -phi'/r, plus, above r_hi only (above
//                      r_lo with the continuous density join), the
//                      N-body term (q_i + q_j) rho'/r, q = 0.5/sqrt(rho) the
//                      embedding factor each particle holds in
//                      EmbeddingFactor from the force pass on (embedding
//                      energy -sqrt(rho));
//   r < r_lo           the screened-Coulomb repulsion (core/screening.h).
//
// The projectile (particle 0, always the first particle of its pairs) feels
// only the screened-Coulomb force at every distance up to r_c, unless the job
// is a self-bombardment, in which case it is treated like a target atom.
// The force on i is f * Delta; on j it is -f * Delta.
//
// Tables: single precision, entry k at r_k = k * 4e-14 m for k = 2500..50000
// (1 A to 20 A), stored at position k - 2500, plus one spare zero entry so
// that r = 20 A exactly interpolates.  Linear interpolation, one truncation,
// the index shared between the pair-force and density-force tables of one
// call.  The density tables hold rho times 2^100 (DensityTableScale) so that
// their values stay clear of the subnormal floats; DensityLookup takes the
// scale off again.  Callers keep r in range: the force loops ask for tables only for
// r_lo <= r <= r_c (density: r_hi < r <= r_c), and the model reader rejects
// any model with r_lo < 1 A or r_c > 20 A.
//
// How a force loop uses this header: build one PotentialView per force pass
// (it copies the table pointers, the three radii, BinaryTarget, SelfBombard,
// the screening choices and the particle array pointers into one small
// read-only record), keep it in a local, and call the functions below with
// it.  Every function is inline, allocates nothing and makes no virtual
// call.  The view points into the particle table, so rebuild it after the
// arrays are (re)allocated; it must not outlive the job's tables.
//
//   const PotentialView view = MakePotentialView(particles, model, tables, binary, selfBombard);
//   for each listed pair (i, j) with r2 <= r_c^2:
//       const double r = std::sqrt(r2);
//       const ForceVector f = PairForce(view, i, j, r, dx, dy, dz);
//       FX[i] += f.X; ... FX[j] -= f.X; ...
//
#pragma once

#include <array>
#include <cmath>
#include <cstdint>

#include "core/screening.h"
#include "core/model_parameters.h"
#include "core/particles.h"
#include "core/potential_forms.h"

namespace vantrel {

struct ForceVector {
    double X = 0, Y = 0, Z = 0;
};

struct PotentialView {
    // Table rows by PairType (index 0 unused), position 0 = entry k = 2500.
    std::array<const float*, 4> Density{};
    std::array<const float*, 4> DensityForce{};
    std::array<const float*, 4> PairForce{};
    double LowRadius = 0;     // r_lo (m): below it the screened-Coulomb force
    // Above it a pair adds density and feels the N-body density term: r_hi,
    // or r_lo with the continuous density join (DensityStartRadius).
    double DensityRadius = 0;  // m
    double CutoffRadius = 0;  // r_c (m)
    bool BinaryTarget = false;
    bool SelfBombard = false;
    ScreeningFunction TargetFunction = ScreeningFunction::Universal;
    ScreeningFunction ProjectileFunction = ScreeningFunction::Universal;
    const ScreeningRecord* TargetScreening = nullptr;      // [4] by PairType
    const ScreeningRecord* ProjectileScreening = nullptr;  // [4] by PairType
    const std::uint32_t* Flags = nullptr;
    const std::int32_t* AtomicNumber = nullptr;
    const double* EmbeddingFactor = nullptr;  // q = 0.5/sqrt(rho) of each particle
};

// The view of one job's tables, model and particles.  It points into the
// particle table, so rebuild it after the arrays are (re)allocated.
inline PotentialView MakePotentialView(const ParticleTable& p, const ModelParameters& m,
                                       const PotentialTables& tables, bool binaryTarget,
                                       bool selfBombard) {
    PotentialView v;
    for (int t = AA; t <= AB; ++t) {
        v.Density[t] = tables.Density[t].data();
        v.DensityForce[t] = tables.DensityForce[t].data();
        v.PairForce[t] = tables.PairForce[t].data();
    }
    v.LowRadius = m.SplineLowRadius;
    v.DensityRadius = DensityStartRadius(m);
    v.CutoffRadius = m.CutoffRadius;
    v.BinaryTarget = binaryTarget;
    v.SelfBombard = selfBombard;
    v.TargetFunction = ScreeningFunctionOfCode(m.TargetScreeningCode);
    v.ProjectileFunction = ScreeningFunctionOfCode(m.ProjectileScreeningCode);
    v.TargetScreening = m.TargetScreening.data();
    v.ProjectileScreening = m.ProjectileScreening.data();
    v.Flags = p.Flags.data();
    v.AtomicNumber = p.AtomicNumber.data();
    v.EmbeddingFactor = p.EmbeddingFactor.data();
    return v;
}

// Class of the pair (i, j) from the particles' TypeB bits: AA, BB or AB.
inline PairType PairTypeOf(const PotentialView& v, std::int32_t i, std::int32_t j) {
    return PairTypeOfFlags(v.Flags[i], v.Flags[j]);
}

// The tables a pair reads: its own class in a binary target, AA otherwise.
inline PairType TablePairType(const PotentialView& v, std::int32_t i, std::int32_t j) {
    return v.BinaryTarget ? PairTypeOf(v, i, j) : AA;
}

// Where r falls in the tables: entry k and the fraction of the step beyond it.
struct TablePoint {
    std::int32_t Position = 0;  // k - 2500
    double Fraction = 0;        // a - k
};

inline TablePoint TablePointOf(double r) {
    const double a = r * TableScale;
    const auto k = static_cast<std::int32_t>(a);  // truncation towards zero
    return {k - TableFirstIndex, a - static_cast<double>(k)};
}

// Linear interpolation between two single-precision entries.  Formed in
// double: the difference of two neighbouring floats is exact there, so the
// result differs from an extended-precision evaluation by at most its last
// bit, while x87 extended arithmetic runs some fifty times slower on the
// tiny density values of Sutton-Chen models (about 1e-38).
inline double Interpolate(const float* table, TablePoint p) {
    const double lower = table[p.Position];
    const double upper = table[p.Position + 1];
    return lower + p.Fraction * (upper - lower);
}

// Value of one table at distance r (m), 1 A <= r <= 20 A.
inline double TableLookup(const float* table, double r) {
    return Interpolate(table, TablePointOf(r));
}

// rho (J^2) at distance r from a density table, which holds it scaled.
inline double DensityLookup(const float* table, double r) {
    return TableLookup(table, r) * DensityTableUnscale;
}

// Density each particle of the pair adds to the other's sum
// (DensityRadius < r <= r_c).
inline double DensityContribution(const PotentialView& v, std::int32_t i, std::int32_t j,
                                  double r) {
    return DensityLookup(v.Density[TablePairType(v, i, j)], r);
}

// Table part of the force factor of a target pair, r_lo <= r <= r_c: the
// pair term -phi'/r and, strictly above DensityRadius, (q_i + q_j) rho'/r.
inline double PairForceFactor(const PotentialView& v, std::int32_t i, std::int32_t j, double r) {
    const PairType t = TablePairType(v, i, j);
    const TablePoint p = TablePointOf(r);
    double f = Interpolate(v.PairForce[t], p);
    if (r > v.DensityRadius)
        f += (v.EmbeddingFactor[i] + v.EmbeddingFactor[j]) * Interpolate(v.DensityForce[t], p);
    return f;
}

// Screened-Coulomb force factor -V'(r)/r of the pair with the given function
// and record; the atomic numbers come from the two particles.
inline double ScreenedForceFactor(const PotentialView& v, std::int32_t i, std::int32_t j,
                                  double r, ScreeningFunction function,
                                  const ScreeningRecord& record) {
    const double s = 1.0 / r;
    const long double sum = ScreeningForceSum(r, function, record);
    const long double charge =
        static_cast<long double>(v.AtomicNumber[i]) * CoulombConstant * v.AtomicNumber[j];
    return static_cast<double>(s * s * charge * sum);
}

// Record of the target branch (i != 0, or i = 0 in a self-bombardment).  The
// Moliere function always takes the AA exponents; the universal function in
// a binary target takes the pair's own record, the projectile's records when
// the projectile itself is the first particle.
inline const ScreeningRecord& TargetBranchRecord(const PotentialView& v, std::int32_t i,
                                                 std::int32_t j) {
    if (v.TargetFunction == ScreeningFunction::Universal && v.BinaryTarget) {
        const PairType t = PairTypeOf(v, i, j);
        return i == 0 ? v.ProjectileScreening[t] : v.TargetScreening[t];
    }
    return v.TargetScreening[AA];
}

// Record of the projectile branch (i = 0 without self-bombardment).
inline const ScreeningRecord& ProjectileBranchRecord(const PotentialView& v, std::int32_t i,
                                                     std::int32_t j) {
    if (v.ProjectileFunction == ScreeningFunction::Universal && v.BinaryTarget)
        return v.ProjectileScreening[PairTypeOf(v, i, j)];
    return v.ProjectileScreening[AA];
}

// Force on particle i from particle j; Delta = r_i - r_j and r = |Delta| > 0.
inline ForceVector PairForce(const PotentialView& v, std::int32_t i, std::int32_t j, double r,
                             double dx, double dy, double dz) {
    if (r > v.CutoffRadius) return {};
    double f;
    if (i != 0 || v.SelfBombard) {
        if (r >= v.LowRadius)
            f = PairForceFactor(v, i, j, r);
        else
            f = ScreenedForceFactor(v, i, j, r, v.TargetFunction, TargetBranchRecord(v, i, j));
    } else {
        // The projectile: pure screened-Coulomb repulsion out to the cut-off.
        f = ScreenedForceFactor(v, i, j, r, v.ProjectileFunction, ProjectileBranchRecord(v, i, j));
    }
    return {f * dx, f * dy, f * dz};
}

}  // namespace vantrel
