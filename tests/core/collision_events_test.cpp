#include "core/collision_events.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <vector>

#include "tests/support/pair_world.h"

namespace vantrel {
namespace {

using testing::Angstrom;
using testing::Ev;
using testing::PairWorld;

constexpr double K = 2.30712175676602e-28;

// V = K Za Zb / r * sum c_n exp(-d_n r / a), written out.
double Screened(int za, int zb, double r, double a, bool universal) {
    const double cu[4] = {0.0281, 0.2802, 0.5099, 0.1818}, du[4] = {0.2016, 0.4029, 0.9423, 3.2};
    const double cm[3] = {0.35, 0.55, 0.10}, dm[3] = {0.3, 1.2, 6.0};
    double sum = 0;
    if (universal)
        for (int n = 0; n < 4; ++n) sum += cu[n] * std::exp(-du[n] * r / a);
    else
        for (int n = 0; n < 3; ++n) sum += cm[n] * std::exp(-dm[n] * r / a);
    return K * za * zb / r * sum;
}

TEST(ScreenedPotential, ChoosesFunctionAndScreeningLengthByPairFamily) {
    struct Case {
        const char* Name;
        std::int32_t I, J;
        int ProjectileCode, TargetCode;
        bool Binary;
        int Za, Zb;
        double Length;  // m
        bool Universal;
    };
    const double universalPair = 4.685e-11 / (std::pow(18.0, 0.23) + std::pow(29.0, 0.23));
    const double universalTarget = 4.685e-11 / (2 * std::pow(29.0, 0.23));
    const Case cases[] = {
        {"projectile, universal: stored AA length", 0, 1, 0, 1, false, 18, 29, 0.10 * Angstrom, true},
        {"projectile, universal, binary: own pair's length", 0, 1, 0, 1, true, 18, 29,
         1.3 * universalPair, true},
        {"projectile, Moliere, binary: stored AA length", 0, 1, 2, 0, true, 18, 29,
         0.10 * Angstrom, false},
        {"target, universal: stored AA length", 1, 2, 1, 0, false, 29, 29, 0.09 * Angstrom, true},
        {"target, universal, binary: own pair's length", 1, 2, 1, 0, true, 29, 29,
         0.8 * universalTarget, true},
        {"target, Moliere, binary: stored AA length", 1, 2, 0, 1, true, 29, 29, 0.09 * Angstrom,
         false},
    };
    for (const Case& c : cases) {
        PairWorld job(2);
        ModelParameters& m = job.Model;
        m.ProjectileScreeningCode = c.ProjectileCode;
        m.TargetScreeningCode = c.TargetCode;
        m.ProjectileScreeningFactor = 1.3;
        m.TargetScreeningFactor = 0.8;
        // The AA records are the ones used; the others differ, to show it.
        job.SetScreeningLengths(0.10 * Angstrom, 0.09 * Angstrom);
        for (ScreeningRecord* other : {&m.ProjectileScreening[BB], &m.TargetScreening[BB]})
            *other = MakeScreeningRecord(0.5 * Angstrom);
        for (ScreeningRecord* other : {&m.ProjectileScreening[AB], &m.TargetScreening[AB]})
            *other = MakeScreeningRecord(0.6 * Angstrom);
        job.BinaryTarget = c.Binary;
        for (double r : {0.3, 1.0, 2.7}) {
            const double expected = Screened(c.Za, c.Zb, r * Angstrom, c.Length, c.Universal);
            EXPECT_NEAR(ScreenedPotential(job.Collision(), c.I, c.J, r * Angstrom), expected,
                        1e-13 * expected)
                << c.Name << " at " << r << " A";
            // The energy report's form of the same energy, by atomic numbers.
            EXPECT_EQ(ScreenedPairEnergy(m, c.Binary, c.Za, c.Zb, r * Angstrom, c.I == 0),
                      ScreenedPotential(job.Collision(), c.I, c.J, r * Angstrom))
                << c.Name;
        }
    }
}

// A pair whose screened energy is V at distance N is moved apart so that the
// energy becomes V - L.  The two-step (Newton) method leaves an error of the
// order (L/V)^3 L; the first step alone is off by about (L/V) L.
TEST(SeparatePair, LowersTheScreenedEnergyByTheLossAlongTheAxisAroundTheCentreOfMass) {
    PairWorld job(1);
    ParticleTable& p = job.P;
    job.Place(0, 0.1, -0.2, 0.3);
    job.Place(1, 0.5, 0.1, 0.5);
    job.Move(0, 1e5, 2e4, -3e4);
    job.Move(1, -1e3, 0, 7e3);
    const double n0 = job.Distance(0, 1);
    const double v0 = ScreenedPotential(job.Collision(), 0, 1, n0);
    const double loss = 20 * Ev;
    ASSERT_GT(v0, 20 * loss);  // a hard close collision
    const double mass = p.Mass[0] + p.Mass[1];
    const double cx = (p.Mass[0] * p.X[0] + p.Mass[1] * p.X[1]) / mass;
    const double cz = (p.Mass[0] * p.Z[0] + p.Mass[1] * p.Z[1]) / mass;
    const double ax = (p.X[0] - p.X[1]) / n0, ay = (p.Y[0] - p.Y[1]) / n0;

    // The step's forces: the pair's own, plus 1e-9 N in x on particle 0 from elsewhere.
    job.EvaluateForces();
    const ForceVector was{p.FX[0], p.FY[0], p.FZ[0]};
    p.FX[0] += 1e-9;

    const Separation moved = SeparatePair(job.P, job.Collision(), 0, 1, v0 - loss, v0, n0, job.Work.Separation);
    const double after = moved.Distance;

    EXPECT_DOUBLE_EQ(after, job.Distance(0, 1));
    EXPECT_GT(after, n0);
    const double residual = ScreenedPotential(job.Collision(), 0, 1, after) - (v0 - loss);
    EXPECT_LT(std::fabs(residual), 1e-8 * loss) << residual / Ev << " eV";
    EXPECT_NEAR(moved.Removed, loss, 1e-8 * loss);
    // Moved along the old axis, about the old centre of mass.
    EXPECT_NEAR((p.X[0] - p.X[1]) / after, ax, 1e-12);
    EXPECT_NEAR((p.Y[0] - p.Y[1]) / after, ay, 1e-12);
    EXPECT_NEAR((p.Mass[0] * p.X[0] + p.Mass[1] * p.X[1]) / mass, cx, 1e-12 * Angstrom);
    EXPECT_NEAR((p.Mass[0] * p.Z[0] + p.Mass[1] * p.Z[1]) / mass, cz, 1e-12 * Angstrom);
    // The pair's share of the forces now belongs to the new distance.
    const ForceVector now = PairForce(job.View(), 0, 1, after, p.X[0] - p.X[1], p.Y[0] - p.Y[1], p.Z[0] - p.Z[1]);
    EXPECT_NEAR(p.FX[0], now.X + 1e-9, 1e-12 * std::fabs(now.X));
    EXPECT_NEAR(p.FZ[0], now.Z, 1e-12 * std::fabs(now.X));
    EXPECT_NEAR(p.FY[1], -now.Y, 1e-12 * std::fabs(now.X));
    EXPECT_LT(std::hypot(now.X, now.Y, now.Z), std::hypot(was.X, was.Y, was.Z));  // apart: weaker
    // Velocities are not touched.
    EXPECT_EQ(p.VX[0], 1e5);
    EXPECT_EQ(p.VZ[1], 7e3);

    // The search matters: its first step (the loss over the force) alone misses by far more.
    PairWorld single(1);
    single.Place(0, 0.1, -0.2, 0.3);
    single.Place(1, 0.5, 0.1, 0.5);
    const ForceVector f = PairForce(single.View(), 0, 1, n0, single.P.X[0] - single.P.X[1],
                                    single.P.Y[0] - single.P.Y[1],
                                    single.P.Z[0] - single.P.Z[1]);
    const double firstStep = loss / std::hypot(f.X, f.Y, f.Z);
    const double firstError = ScreenedPotential(single.Collision(), 0, 1, n0 + firstStep) - (v0 - loss);
    EXPECT_GT(std::fabs(firstError), 100 * std::fabs(residual));
}

TEST(SeparatePair, LeavesAPairWithoutForceWhereItIs) {
    PairWorld job(1);
    job.Place(0, 0, 0, 0);
    job.Place(1, 7, 0, 0);  // beyond the 6 A cut-off: no pair force
    const double n0 = job.Distance(0, 1);
    const double v0 = ScreenedPotential(job.Collision(), 0, 1, n0);
    const Separation moved = SeparatePair(job.P, job.Collision(), 0, 1, v0 - 1 * Ev, v0, n0, job.Work.Separation);
    EXPECT_EQ(moved.Distance, n0);
    EXPECT_EQ(moved.Removed, 0.0);
    EXPECT_EQ(job.P.X[1], 7 * Angstrom);
    EXPECT_EQ(job.P.X[0], 0.0);
}

// Sum of the pair energies of all particles, the energy the dynamics conserves.
double TotalPairEnergy(const PairWorld& job) {
    double sum = 0;
    for (std::int32_t i = 0; i <= job.P.AtomCount; ++i)
        for (std::int32_t j = i + 1; j <= job.P.AtomCount; ++j)
            sum += PairPotentialEnergy(job.Collision(), i, j, job.Distance(i, j));
    return sum;
}

// A third atom 1.2 A behind the projectile, on the line of the pair: moving
// the pair apart pushes the projectile into it.  The loss comes out of the
// energy of all three pairs together, so the pair itself gives more.
TEST(SeparatePair, TakesTheLossFromTheEnergyOfThePairAndItsNeighbours) {
    PairWorld job(2);
    job.Place(0, 0, 0, 0);
    job.Place(1, 0.6, 0, 0);
    job.Place(2, -1.2, 0.1, 0);
    job.EvaluateForces();
    const double n0 = job.Distance(0, 1);
    const double v0 = ScreenedPotential(job.Collision(), 0, 1, n0);
    const double total0 = TotalPairEnergy(job);
    const double loss = 5 * Ev;
    const ParticleTable& p = job.P;
    const double v02 = ScreenedPotential(job.Collision(), 0, 2, job.Distance(0, 2));
    const double v12 = ScreenedPotential(job.Collision(), 1, 2, job.Distance(1, 2));

    const Separation moved = SeparatePair(job.P, job.Collision(), 0, 1, v0 - loss, v0, n0, job.Work.Separation);

    EXPECT_NEAR(TotalPairEnergy(job), total0 - loss, 1e-8 * loss);
    EXPECT_NEAR(moved.Removed, loss, 1e-8 * loss);
    // The pair gave the loss and what its neighbours took on.
    const double rise = ScreenedPotential(job.Collision(), 0, 2, job.Distance(0, 2)) - v02 +
                        ScreenedPotential(job.Collision(), 1, 2, job.Distance(1, 2)) - v12;
    EXPECT_GT(rise, 1e-3 * loss);
    EXPECT_NEAR(ScreenedPotential(job.Collision(), 0, 1, moved.Distance), v0 - loss - rise, 1e-8 * loss);
    // Every force is the one of the new positions.
    std::vector<double> fx(p.FX), fy(p.FY);
    job.EvaluateForces();
    for (int i = 0; i <= 2; ++i) {
        EXPECT_NEAR(fx[i], p.FX[i], 1e-9 * std::fabs(p.FX[0])) << i;
        EXPECT_NEAR(fy[i], p.FY[i], 1e-9 * std::fabs(p.FX[0])) << i;
    }
}

// Without target forces (brute-force search) only the projectile's pairs
// carry energy: the target atom the move pushes on is not counted.
TEST(SeparatePair, CountsOnlyThePairsTheDynamicsKnows) {
    PairWorld job(2);
    job.ProjectilePairsOnly = true;
    job.Place(0, -0.6, 0, 0);
    job.Place(1, 0, 0, 0);
    job.Place(2, 0.9, 0.1, 0);
    const double n0 = job.Distance(0, 1);
    auto projectilePairs = [&] {
        return ScreenedPotential(job.Collision(), 0, 1, job.Distance(0, 1)) +
               ScreenedPotential(job.Collision(), 0, 2, job.Distance(0, 2));
    };
    const double before = projectilePairs();
    const double v12 = ScreenedPotential(job.Collision(), 1, 2, job.Distance(1, 2));
    const double v01 = ScreenedPotential(job.Collision(), 0, 1, n0);
    const Separation moved = SeparatePair(job.P, job.Collision(), 0, 1, v01 - 3 * Ev, v01, n0, job.Work.Separation);
    EXPECT_NEAR(projectilePairs(), before - 3 * Ev, 1e-8 * 3 * Ev);
    EXPECT_NEAR(moved.Removed, 3 * Ev, 1e-8 * 3 * Ev);
    EXPECT_GT(ScreenedPotential(job.Collision(), 1, 2, job.Distance(1, 2)), v12 + 0.01 * Ev);
}

// A third atom on the very spot of the projectile makes the pair forces
// infinite: nothing moves, no force changes, and the result says so.
TEST(SeparatePair, AnArithmeticFaultLeavesEverythingAsItWas) {
    PairWorld job(2);
    job.Place(0, 0, 0, 0);
    job.Place(1, 0.8, 0, 0);
    job.Place(2, 0, 0, 0);
    job.P.FX = {1.0, 2.0, 3.0};
    const double n0 = job.Distance(0, 1);
    const double v0 = ScreenedPotential(job.Collision(), 0, 1, n0);
    const Separation moved = SeparatePair(job.P, job.Collision(), 0, 1, v0 - 1 * Ev, v0, n0, job.Work.Separation);
    EXPECT_TRUE(std::isnan(moved.Distance));
    EXPECT_TRUE(std::isnan(moved.Removed));
    EXPECT_EQ(job.P.X[0], 0.0);
    EXPECT_EQ(job.P.X[1], 0.8 * Angstrom);
    EXPECT_EQ(job.P.FX, (std::vector<double>{1.0, 2.0, 3.0}));
    std::feclearexcept(FE_ALL_EXCEPT);
}

// An atom pressed so close behind the projectile that moving the pair apart
// would raise the energy: the pair moves closer along its axis instead.
TEST(SeparatePair, MovesThePairCloserWhenOnlyThatLowersTheEnergy) {
    PairWorld job(2);
    job.Place(0, 0, 0, 0);
    job.Place(1, 1.5, 0, 0);
    job.Place(2, -0.5, 0, 0);
    const double n0 = job.Distance(0, 1);
    const double v0 = ScreenedPotential(job.Collision(), 0, 1, n0);
    const double total0 = TotalPairEnergy(job);
    const Separation moved = SeparatePair(job.P, job.Collision(), 0, 1, v0 - 2 * Ev, v0, n0, job.Work.Separation);
    EXPECT_LT(moved.Distance, n0);
    EXPECT_NEAR(TotalPairEnergy(job), total0 - 2 * Ev, 1e-8 * 2 * Ev);
    EXPECT_NEAR(moved.Removed, 2 * Ev, 1e-8 * 2 * Ev);
}

// A weakly bound pair cannot give up more than it has within a quarter of
// its distance: it stops there, and the result says what it gave.
TEST(SeparatePair, ALossThePairCannotGiveIsTakenOnlyInPart) {
    PairWorld job(1);
    job.Place(0, 0, 0, 0);
    job.Place(1, 2.5, 0, 0);
    const double n0 = job.Distance(0, 1);
    const double v0 = ScreenedPotential(job.Collision(), 0, 1, n0);
    ASSERT_LT(v0, 2 * Ev);
    const Separation moved = SeparatePair(job.P, job.Collision(), 0, 1, v0 - 2 * Ev, v0, n0, job.Work.Separation);
    EXPECT_NEAR(moved.Distance, 1.25 * n0, 1e-12 * n0);
    EXPECT_NEAR(moved.Removed, v0 - ScreenedPotential(job.Collision(), 0, 1, 1.25 * n0), 1e-9 * v0);
    EXPECT_GT(moved.Removed, 0.0);
    EXPECT_LT(moved.Removed, 2 * Ev);
}

TEST(ExcitationCount, CertainTrialsNeedNoRandomNumber) {
    RandomGenerator random;
    random.Seed(99);
    EXPECT_EQ(ExcitationCount(random, 3, 5, 1.0), 3);
    EXPECT_EQ(ExcitationCount(random, 9, 5, 1.0), 5);
    EXPECT_EQ(ExcitationCount(random, 0, 5, 1.0), 0);
    EXPECT_EQ(random.State, 99u);
}

// Replays the generator by hand: one number per trial, stop at nMax.
TEST(ExcitationCount, TakesOneNumberPerTrialUntilTheCapIsReached) {
    struct Case {
        std::int64_t Trials;
        std::int32_t NMax;
        double P;
    };
    const Case cases[] = {{1, 3, 0.5}, {7, 3, 0.5}, {20, 2, 0.7}, {12, 12, 0.2}, {5, 0, 0.9},
                          {40, 4, 0.05}};
    for (const Case& c : cases)
        for (std::uint32_t seed : {1u, 12345u, 4000000000u}) {
            RandomGenerator random;
            random.Seed(seed);
            RandomGenerator replay;
            replay.Seed(seed);
            std::int32_t expected = 0;
            std::int64_t draws = 0;
            for (std::int64_t t = 0; t < c.Trials && expected < c.NMax; ++t) {
                ++draws;
                if (replay.Uniform() < c.P) ++expected;
            }
            EXPECT_EQ(ExcitationCount(random, c.Trials, c.NMax, c.P), expected)
                << c.Trials << " " << c.NMax << " " << c.P << " seed " << seed;
            EXPECT_EQ(random.State, replay.State) << draws << " draws expected";
        }
}

// Over many draws the count follows the binomial distribution cut at nMax.
TEST(ExcitationCount, IsABinomialDrawCappedAtTheOrder) {
    RandomGenerator random;
    random.Seed(2024);
    constexpr int Draws = 40000;
    const int trials = 10;
    const double p = 0.3;
    double sum = 0, sumSq = 0;
    int capped = 0;
    int largest = 0;
    for (int k = 0; k < Draws; ++k) {
        const int c = ExcitationCount(random, trials, 4, p);
        sum += c;
        sumSq += double(c) * c;
        if (c == 4) ++capped;
        largest = std::max(largest, c);
    }
    // Binomial(10, 0.3): P(X = k) for k = 0..3; the rest is cut to 4.
    double pk[4], expectedMean = 0, below = 0;
    for (int k = 0; k < 4; ++k) {
        pk[k] = std::tgamma(11.0) / (std::tgamma(k + 1.0) * std::tgamma(11.0 - k)) *
                std::pow(p, k) * std::pow(1 - p, 10 - k);
        expectedMean += k * pk[k];
        below += pk[k];
    }
    expectedMean += 4 * (1 - below);
    const double mean = sum / Draws;
    const double sd = std::sqrt(sumSq / Draws - mean * mean);
    EXPECT_EQ(largest, 4);
    EXPECT_NEAR(mean, expectedMean, 5 * sd / std::sqrt(double(Draws)));
    const double pCap = 1 - below;
    EXPECT_NEAR(double(capped) / Draws, pCap, 5 * std::sqrt(pCap * (1 - pCap) / Draws));

    // Uncapped, the mean is trials * p.
    sum = 0;
    for (int k = 0; k < Draws; ++k) sum += ExcitationCount(random, trials, trials, p);
    EXPECT_NEAR(sum / Draws, trials * p, 5 * std::sqrt(trials * p * (1 - p) / Draws));
}

TEST(InelasticLookups, FirstMatchingEntryWinsAndMissingKeysGiveZero) {
    InelasticParameters q;
    q.LssCount = 3;
    q.LssTable[0] = {29, 1.5};
    q.LssTable[1] = {18, 2.5};
    q.LssTable[2] = {29, 9.0};
    q.LssTable[3] = {47, 4.0};  // beyond the count: never found
    EXPECT_EQ(LssCoefficientOf(q, 29), 1.5);
    EXPECT_EQ(LssCoefficientOf(q, 18), 2.5);
    EXPECT_EQ(LssCoefficientOf(q, 47), 0.0);
    q.OrCount = 2;
    q.OrTable[0] = {522, 7.0};
    q.OrTable[1] = {841, 8.0};
    EXPECT_EQ(OrCoefficientOf(q, 841), 8.0);
    EXPECT_EQ(OrCoefficientOf(q, 29), 0.0);  // copper pairs are keyed 29 * 29
    q.StCount = 1;
    q.StTable[0] = {522, 1e-18, 1e-10, 3, 0.5};
    EXPECT_EQ(StEntryOf(q, 522).StOrder, 3);
    const StEntry missing = StEntryOf(q, 841);
    EXPECT_EQ(missing.StEnergy, 0.0);
    EXPECT_EQ(missing.StRadius, 0.0);
    EXPECT_EQ(missing.StOrder, 0);
    // A corrupt count never reads past the table.
    q.OrCount = 1000;
    EXPECT_EQ(OrCoefficientOf(q, 12345), 0.0);
}

}  // namespace
}  // namespace vantrel
