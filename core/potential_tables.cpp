// Tabulation of the N-body functions for the force loops' look-ups, and the
// checks that the tables serve every distance a look-up may ask about.
//
// For every entry k (r = k * 4e-14 m, 1 A to 20 A) and pair category t:
//
//   Density       S f(r)                            r_hi < r <= r_c, else 0
//   DensityForce  (S f'(r) + S' f(r)) / r           r_hi < r <= r_c, else 0
//                 with the continuous density join also T f(r) and
//                 (T f'(r) + T' f(r)) / r for r_lo < r <= r_hi (T the taper
//                 of core/potential_forms.h)
//   PairForce     -(S phi'(r) + S' phi(r)) / r      r > r_hi (no cut-off test:
//                                                   callers never look beyond r_c)
//                 -(c1 + 2 c2 r + 3 c3 r^2) / r     r <= r_hi, the joining spline
//
// with S the switching function (1 when switching is off).  The density is
// stored times 2^100 (DensityTableScale) to keep it out of the subnormal
// floats.  The precision check compares the interpolated AA tables with
// the exact forms in eV/A, as a force would be reported.
#include "core/potential_tables.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <vector>

#include "core/potential_forms.h"
#include "core/screening.h"
#include "core/table_lookup.h"

namespace vantrel {

namespace {

constexpr double TableLowLimit = 1.0e-10;                  // m, first table entry
constexpr double TableHighLimit = 2.0e-9;                  // m, last table entry
constexpr double PrecisionLimit = 0.001;                   // eV/A
constexpr double PrecisionScale = 6.241449214576030838e8;  // (J/m) -> (eV/A)
constexpr double PrecisionStep = 1.0e-11;                  // m between compared points
constexpr double PrecisionStartOffset = 1.0e-12;           // m past the range start
constexpr double DensityCheckEndMargin = 2.0e-11;          // m before r_c
constexpr double SplineCheckEndMargin = 1.0e-11;           // m before r_hi

float TableEntry(double value) {
    // Out-of-range values become infinities rather than undefined conversions;
    // the finiteness check then rejects the model.
    if (value > FLT_MAX) return HUGE_VALF;
    if (value < -FLT_MAX) return -HUGE_VALF;
    return static_cast<float>(value);
}

struct TableValues {
    double Density = 0;       // S f
    double DensityForce = 0;  // (S f' + S' f) / r
    double PairForce = 0;     // -(S phi' + S' phi) / r, the spline's below r_hi
};

// What the three tables of one pair category hold at r.
TableValues TableValuesAt(const ModelParameters& model, const PairParameters& p,
                          const SwitchingRange& range, const DensityJoin& join,
                          const SplineCoefficients& spline, double r) {
    TableValues v;
    if (r <= model.SplineHighRadius) {
        v.PairForce = -SplineSlope(spline, r) / r;
        if (join.Smooth && r > join.Low) {
            // S = 1 below r_hi: the taper alone multiplies f.
            const double f = DensityFunction(p, r);
            const double taper = DensityTaper(join, r);
            v.Density = taper * f;
            v.DensityForce =
                (taper * DensityFunctionSlope(p, r) + DensityTaperSlope(join, r) * f) / r;
        }
        return v;
    }
    const double s = Switching(range, r);
    const double sSlope = SwitchingSlope(range, r);
    v.PairForce = -(s * PairPotentialSlope(p, r) + sSlope * PairPotential(p, r)) / r;
    if (r <= model.CutoffRadius) {
        const double f = DensityFunction(p, r);
        v.Density = s * f;
        v.DensityForce = (s * DensityFunctionSlope(p, r) + sSlope * f) / r;
    }
    return v;
}

TableValues TableValuesAt(const ModelParameters& model, PairType t, double r) {
    return TableValuesAt(model, PairParametersOf(model, t), SwitchingRangeOf(model),
                         DensityJoinOf(model), model.SplineCoefficients[t], r);
}

}  // namespace

double ExactDensity(const ModelParameters& model, PairType t, double r) {
    return TableValuesAt(model, t, r).Density;
}

double ExactDensityForce(const ModelParameters& model, PairType t, double r) {
    return TableValuesAt(model, t, r).DensityForce;
}

double ExactPairForce(const ModelParameters& model, PairType t, double r) {
    return TableValuesAt(model, t, r).PairForce;
}

void BuildPotentialTables(const ModelParameters& model, PotentialTables& tables) {
    const SwitchingRange range = SwitchingRangeOf(model);
    const DensityJoin join = DensityJoinOf(model);
    for (int t = AA; t <= AB; ++t) {
        const PairParameters p = PairParametersOf(model, static_cast<PairType>(t));
        const SplineCoefficients& spline = model.SplineCoefficients[t];
        // One spare zero entry after k = 50000 (a look-up at exactly 20 A).
        std::vector<float>& density = tables.Density[t];
        std::vector<float>& densityForce = tables.DensityForce[t];
        std::vector<float>& pairForce = tables.PairForce[t];
        density.assign(TableEntries + 1, 0.0f);
        densityForce.assign(TableEntries + 1, 0.0f);
        pairForce.assign(TableEntries + 1, 0.0f);
        for (int k = TableFirstIndex; k <= TableLastIndex; ++k) {
            const double r = k * TableStep;
            const int position = k - TableFirstIndex;
            const TableValues v = TableValuesAt(model, p, range, join, spline, r);
            density[position] = TableEntry(v.Density * DensityTableScale);
            densityForce[position] = TableEntry(v.DensityForce);
            pairForce[position] = TableEntry(v.PairForce);
        }
    }
    tables.Density[0].clear();
    tables.DensityForce[0].clear();
    tables.PairForce[0].clear();
    tables.Allocated = true;
}

TableRadiiStatus CheckTableRadii(const ModelParameters& m) {
    if (m.CutoffRadius > TableHighLimit || m.SplineHighRadius < TableLowLimit)
        return TableRadiiStatus::OutsideTableLimits;
    // The look-ups read the tables from r_lo to r_c, the density from r_hi.
    if (!(m.SplineLowRadius >= TableLowLimit && m.SplineLowRadius <= m.SplineHighRadius &&
          m.SplineHighRadius < m.CutoffRadius))
        return TableRadiiStatus::SplineRadiiOutOfOrder;
    // A taper across an empty region would be the very step it removes.
    if (m.SmoothDensityJoin && !(m.SplineLowRadius < m.SplineHighRadius))
        return TableRadiiStatus::DensityJoinEmpty;
    return TableRadiiStatus::Usable;
}

TablePrecision CheckTablePrecision(const ModelParameters& m, const PotentialTables& tables) {
    const float* densityForce = tables.DensityForce[AA].data();
    const float* pairForce = tables.PairForce[AA].data();
    TablePrecision result;

    // N-body part: rho'/r from r_hi (r_lo with the continuous density join,
    // where the taper's slope joins it) to just below r_c.
    for (double r = DensityStartRadius(m) + PrecisionStartOffset;; r += PrecisionStep) {
        const double error = std::fabs(TableLookup(densityForce, r) - ExactDensityForce(m, AA, r)) *
                             r * PrecisionScale;
        if (!(error <= PrecisionLimit)) {  // a NaN fails too
            result.DensityForcePrecise = false;
            break;
        }
        if (r >= m.CutoffRadius - DensityCheckEndMargin) break;
    }

    // Spline part: the pair force from r_lo to just below r_hi.
    for (double r = m.SplineLowRadius + PrecisionStartOffset;; r += PrecisionStep) {
        const double exact = -SplineSlope(m.SplineCoefficients[AA], r) / r;
        const double error = std::fabs(TableLookup(pairForce, r) - exact) * r * PrecisionScale;
        if (!(error <= PrecisionLimit)) {
            result.SplinePrecise = false;
            break;
        }
        if (r >= m.SplineHighRadius - SplineCheckEndMargin) break;
    }
    return result;
}

bool TablesFinite(const ModelParameters& m, const PotentialTables& tables, PairType t) {
    const auto position = [](double r) {
        const double a = r * TableScale - TableFirstIndex;
        if (!(a > 0.0)) return 0;
        if (a > TableEntries) return static_cast<int>(TableEntries);
        return static_cast<int>(a);
    };
    const int first = position(m.SplineLowRadius);
    const int last = std::min(position(m.CutoffRadius) + 1, static_cast<int>(TableEntries));
    for (const std::vector<float>* table :
         {&tables.Density[t], &tables.DensityForce[t], &tables.PairForce[t]}) {
        for (int k = first; k <= last && k < static_cast<int>(table->size()); ++k)
            if (!std::isfinite((*table)[k])) return false;
    }
    return true;
}

ScreeningLengthsStatus ComputeScreeningLengths(ModelParameters& m,
                                               const SpeciesAtomicNumbers& species) {
    const std::int32_t z0 = species.ProjectileZ;
    const std::int32_t z1 = species.FirstZ;
    const std::int32_t zn = species.LastZ;
    ScreeningLengthsStatus status;

    const std::int32_t pc = m.ProjectileScreeningCode;
    const double pf = m.ProjectileScreeningFactor;
    PairValues& pl = m.ProjectileScreeningLength;
    if (!(ScreeningLength(pc, z0, z1, pf, pl[AA]) && ScreeningLength(pc, z0, zn, pf, pl[BB]) &&
          ScreeningLength(pc, z0, species.ProjectileIsB ? z1 : zn, pf, pl[AB])))
        status.Projectile = ScreeningStatus::UnknownCode;
    else if (!(pf > 0.0))
        status.Projectile = ScreeningStatus::FactorNotPositive;

    const std::int32_t tc = m.TargetScreeningCode;
    const double tf = m.TargetScreeningFactor;
    PairValues& tl = m.TargetScreeningLength;
    if (!(ScreeningLength(tc, z1, z1, tf, tl[AA]) && ScreeningLength(tc, zn, zn, tf, tl[BB]) &&
          ScreeningLength(tc, z1, zn, tf, tl[AB])))
        status.Target = ScreeningStatus::UnknownCode;
    else if (!(tf > 0.0))
        status.Target = ScreeningStatus::FactorNotPositive;
    return status;
}

void FillScreeningRecords(ModelParameters& m) {
    for (int t = AA; t <= AB; ++t) {
        m.ProjectileScreening[t] = MakeScreeningRecord(m.ProjectileScreeningLength[t]);
        m.TargetScreening[t] = MakeScreeningRecord(m.TargetScreeningLength[t]);
    }
}

}  // namespace vantrel
