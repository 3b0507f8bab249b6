#include "core/inelastic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cfenv>
#include <cmath>
#include <numbers>
#include <vector>

#include "tests/support/pair_world.h"

namespace vantrel {
namespace {

using testing::Angstrom;
using testing::ArgonMass;
using testing::CopperMass;
using testing::Ev;
using testing::PairWorld;

constexpr double K = 2.30712175676602e-28;
constexpr int Faults = FE_INVALID | FE_OVERFLOW | FE_DIVBYZERO;

template <typename Record>
std::vector<std::int32_t> Partners(const std::vector<Record>& list) {
    std::vector<std::int32_t> out;
    for (const Record& r : list) out.push_back(r.Partner);
    return out;
}

double DistSq(const PairWorld& job, int i, int j) {
    const double d = job.Distance(i, j);
    return d * d;
}

// ---------------------------------------------------------------------------
// Inelastic partner lists

// Particle 0 at the origin with partners at 1.0, 2.1, 5.0 and 1.8 A; the
// capture radius is 2 A plus 2e4 m/s * 0.1 fs * 9 = 2.18 A.
struct ListWorld : PairWorld {
    ListWorld() : PairWorld(4) {
        Place(0, 0, 0, 0);
        Place(1, 1.0, 0, 0);
        Place(2, 0, 2.1, 0);
        Place(3, 0, 0, -5.0);
        Place(4, -1.8, 0, 0);
        T.FastestSpeed = 2e4;
        T.Timestep = 1e-16;
    }
};

TEST(InelasticPartnerLists, PairsWithinTheCaptureRadiusAreInsertedNewestFirst) {
    ListWorld job;
    EXPECT_EQ(job.UpdateOr(), 0);
    EXPECT_EQ(job.UpdateSt(), 0);
    // Listed in the order 1, 2, 3, 4; each inserted at the front.
    EXPECT_EQ(Partners(job.Or[0]), (std::vector<std::int32_t>{4, 2, 1}));
    EXPECT_EQ(Partners(job.St[0]), (std::vector<std::int32_t>{4, 2, 1}));
    const StPartnerRecord& st = job.St[0][1];
    EXPECT_DOUBLE_EQ(st.LastDistSq, DistSq(job, 0, 2));
    EXPECT_FALSE(st.Inside);
    EXPECT_FALSE(st.Done);
    EXPECT_EQ(st.RadialEnergy, 0.0);
    // Atom pairs: 1-4 are 2.8 A apart, 2-4 are 2.77 A apart, 1-2 2.33 A: none within.
    EXPECT_TRUE(job.Or[1].empty());
    EXPECT_TRUE(job.Or[2].empty());

    // Without the travel margin only the 2 A radius counts.
    ListWorld still;
    still.T.FastestSpeed = 0;
    still.UpdateOr();
    EXPECT_EQ(Partners(still.Or[0]), (std::vector<std::int32_t>{4, 1}));
}

TEST(InelasticPartnerLists, RecordsKeepTheirStateAndLeaveOnlyBeyondTheCaptureRadius) {
    ListWorld job;
    job.UpdateOr();
    job.Or[0][2].Done = true;  // partner 1
    job.Or[0][2].LastDistSq = 1e-22;
    job.Place(1, 0.9, 0, 0);   // still within: the record is kept as it is
    job.Place(2, 0, 3.0, 0);   // now beyond: removed
    job.Place(3, 0, 0, -2.0);  // now within: inserted in front
    job.UpdateOr();
    EXPECT_EQ(Partners(job.Or[0]), (std::vector<std::int32_t>{3, 4, 1}));
    EXPECT_TRUE(job.Or[0][2].Done);
    EXPECT_EQ(job.Or[0][2].LastDistSq, 1e-22);

    // A record whose partner is no longer listed is not visited: it stays.
    job.Place(4, -9.0, 0, 0);
    job.Lists.Index.erase(job.Lists.Index.begin() + 3);  // drop pair 0-4
    for (std::size_t k = 1; k < job.Lists.Start.size(); ++k) --job.Lists.Start[k];
    job.UpdateOr();
    EXPECT_EQ(Partners(job.Or[0]), (std::vector<std::int32_t>{3, 4, 1}));
}

TEST(InelasticPartnerLists, AFullListRefusesEachFurtherInsertion) {
    ListWorld job;
    job.Lists.MaxPartners = 2;
    EXPECT_EQ(job.UpdateOr(), 1);  // partner 4 finds no room
    EXPECT_EQ(job.UpdateSt(), 1);
    EXPECT_EQ(Partners(job.Or[0]), (std::vector<std::int32_t>{2, 1}));
    EXPECT_EQ(Partners(job.St[0]), (std::vector<std::int32_t>{2, 1}));
    EXPECT_EQ(job.UpdateOr(), 1);  // and again at every refresh
}

TEST(InelasticPartnerLists, NothingIsInsertedWhileAbortingButRecordsStillLeave) {
    ListWorld job;
    job.Lists.MaxPartners = 1;
    job.UpdateSt();
    ASSERT_EQ(Partners(job.St[0]), std::vector<std::int32_t>{1});
    job.Place(1, 4.0, 0, 0);  // leaves: removed even now
    EXPECT_EQ(job.UpdateSt(true), 0);
    EXPECT_EQ(job.UpdateOr(true), 0);
    EXPECT_TRUE(job.St[0].empty());
    EXPECT_TRUE(job.Or[0].empty());
}

// ---------------------------------------------------------------------------
// Collision events on a two-body encounter

// Argon at 1.2e5 m/s (about 3 keV) flies past a copper atom at rest with an
// impact parameter of 0.3 A; the driver's schedule is followed: inelastic
// lists refreshed every 10 steps, then each step moves the pair and runs
// the ST and OR passes.
struct Encounter : PairWorld {
    static constexpr double Speed = 1.2e5;
    // 0.024 A per step; 200 steps take the pair past the closest approach.
    static constexpr double DefaultDt = 2e-17;
    static constexpr int DefaultSteps = 200;
    bool UseOr, UseSt;
    double Dt;
    int Steps;
    std::vector<double> Distances;  // after each step's move
    std::vector<CollisionEvent> Events;  // every event of the encounter, in order
    double InitialEnergy = 0;

    Encounter(bool useOr, bool useSt, double dt = DefaultDt)
        : PairWorld(1), UseOr(useOr), UseSt(useSt), Dt(dt),
          Steps(static_cast<int>(std::lround(DefaultSteps * DefaultDt / dt))) {
        // The lists are refreshed as often per distance travelled at any timestep.
        RebuildInterval = static_cast<std::int32_t>(std::lround(10 * DefaultDt / dt));
        Place(0, -3.0, 0.3, 0.1);
        Place(1, 0, 0, 0.1);
        Move(0, Speed, 0, 0);
        EvaluateForces();
        T.FastestSpeed = Speed;
        T.Timestep = Dt;
        InitialEnergy = Energy();
        Inelastic.OrScreeningCoefficient = 0.3;
        // 112.2 eV A^2 per 100 km/s, the LSS stopping cross-section of argon in copper.
        Inelastic.OrCount = 1;
        Inelastic.OrTable[0] = {522, 112.2 * 1e-5 * Ev * 1e-20 / (2 * std::numbers::pi)};
    }

    double Energy() const { return KineticEnergy() + Screened(0, 1); }

    // One step; `before` sees the state after the move, before the passes.
    template <typename Before>
    void Step(int step, Before before) {
        if (step % RebuildInterval == 0) {
            if (UseOr) UpdateOr();
            if (UseSt) UpdateSt();
        }
        VerletMove(Dt);
        Distances.push_back(Distance(0, 1));
        before();
        if (UseSt) {
            EXPECT_FALSE(ApplySt(Dt));
            Events.insert(Events.end(), Work.Events.begin(), Work.Events.end());
        }
        if (UseOr) {
            EXPECT_FALSE(ApplyOr(Dt));
            Events.insert(Events.end(), Work.Events.begin(), Work.Events.end());
        }
    }
};

// ST: critical radius 1 A, quanta of 2 eV, at most 3 per event.
void SetStTable(PairWorld& job, double p) {
    job.Inelastic.StCount = 1;
    job.Inelastic.StTable[0] = {522, 2 * Ev, 1.0 * Angstrom, 3, p};
    job.StRadiusSq = 1.5 * 1.5 * Angstrom * Angstrom;
}

TEST(OrEvents, FireOnceJustAfterTheClosestApproachWithTheOenRobinsonLoss) {
    Encounter job(true, false);
    const double a = 4.685e-11 / std::sqrt(std::pow(18.0, 2.0 / 3) + std::pow(29.0, 2.0 / 3));
    const double beta = 0.3 / a;
    const double mu = ArgonMass * CopperMass / (ArgonMass + CopperMass);
    int eventStep = -1;
    double expectedLoss = 0, distanceAtEvent = 0, closest = 0, relative = 0, separated = 0;
    for (int step = 0; step < job.Steps; ++step) {
        double candidate = 0, potential = 0, erel = 0;
        job.Step(step, [&] {
            const ParticleTable& p = job.P;
            const double n = job.Distances.back();
            potential = job.Screened(0, 1);
            const double dv2 = std::pow(p.VX[0] - p.VX[1], 2) + std::pow(p.VY[0] - p.VY[1], 2) +
                               std::pow(p.VZ[0] - p.VZ[1], 2);
            erel = 0.5 * mu * dv2 + potential;
            const double rmin = job.Distances.size() > 1 ? job.Distances[job.Distances.size() - 2] : n;
            candidate = -job.Inelastic.OrTable[0].OrCoefficient * std::sqrt(2 * erel / mu) *
                        beta * beta * std::exp(-beta * rmin);
        });
        if (job.OrLoss != 0 && eventStep < 0) {
            eventStep = step;
            expectedLoss = candidate;
            distanceAtEvent = job.Distances.back();
            closest = job.Distances[job.Distances.size() - 2];
            relative = erel;
            separated = job.Distance(0, 1);
            // The pair's screened energy fell by the loss (to the method's accuracy).
            EXPECT_NEAR(job.Screened(0, 1), potential + candidate, 1e-3 * std::fabs(candidate));
        }
    }
    ASSERT_GT(eventStep, 0);
    // The step of the event is the first whose distance grew.
    for (int k = 1; k < eventStep; ++k) EXPECT_LT(job.Distances[k], job.Distances[k - 1]) << k;
    EXPECT_GE(job.Distances[eventStep], job.Distances[eventStep - 1]);
    ASSERT_EQ(job.Or[0].size(), 1u);
    EXPECT_TRUE(job.Or[0][0].Done);
    EXPECT_NEAR(job.OrLoss, expectedLoss, 1e-8 * std::fabs(expectedLoss));
    // A close 3 keV collision loses some eV.
    EXPECT_LT(job.OrLoss, -1 * Ev);
    EXPECT_GT(job.OrLoss, -100 * Ev);

    // Once, with what the events file and the log will show.
    ASSERT_EQ(job.Events.size(), 1u);
    const CollisionEvent& e = job.Events[0];
    EXPECT_EQ(e.Kind, EventKind::OenRobinson);
    EXPECT_FALSE(e.Coincident);
    EXPECT_EQ(e.First, 0);
    EXPECT_EQ(e.Second, 1);
    EXPECT_EQ(e.Excitations, 0);
    EXPECT_EQ(e.EnergyChange, job.OrLoss);
    EXPECT_NEAR(e.ClosestApproach, closest, 1e-14 * closest);
    EXPECT_NEAR(e.DistanceBefore, distanceAtEvent, 1e-14 * closest);
    EXPECT_NEAR(e.DistanceAfter, separated, 1e-14 * closest);
    EXPECT_GT(separated, distanceAtEvent);
    EXPECT_NEAR(e.MeanHeight, 0.1 * Angstrom, 1e-15 * Angstrom);
    EXPECT_EQ(e.Timestep, job.Dt);
    EXPECT_NEAR(e.RelativeEnergy, relative, 1e-12 * relative);
}

// Energy at the end of an encounter minus energy at the start, less the
// models' losses, for an elastic run and one with a model.
struct Balance {
    double Drift = 0;  // J, without the model
    double Error = 0;  // J, with it, after the loss is added back
    double Loss = 0;   // J
};

Balance EncounterBalance(bool useOr, bool useSt, double dt) {
    Balance b;
    Encounter elastic(false, false, dt);
    for (int step = 0; step < elastic.Steps; ++step) elastic.Step(step, [] {});
    b.Drift = elastic.Energy() - elastic.InitialEnergy;
    Encounter job(useOr, useSt, dt);
    SetStTable(job, 1.0);
    for (int step = 0; step < job.Steps; ++step) job.Step(step, [] {});
    b.Loss = job.OrLoss + job.StLoss;
    b.Error = job.Energy() - job.InitialEnergy - b.Loss;
    return b;
}

// The lost energy leaves the pair: the balance closes to a small part of the
// loss, and like the integration error itself it shrinks with dt^2.  (A
// separation that left the step's old pair force in place would miss by
// about seven times as much.)
TEST(CollisionEvents, TheEnergyBalanceOfAnEncounterClosesWithTheLoss) {
    struct Case {
        const char* Name;
        bool Or, St;
        double LossEv;
    };
    for (const Case& c : {Case{"OR", true, false, -41.1}, Case{"ST", false, true, -6.0},
                          Case{"OR and ST", true, true, -47.1}}) {
        const Balance coarse = EncounterBalance(c.Or, c.St, 2e-17);
        const Balance fine = EncounterBalance(c.Or, c.St, 1e-17);
        EXPECT_NEAR(coarse.Loss / Ev, c.LossEv, 0.1) << c.Name;
        EXPECT_LT(std::fabs(coarse.Error), 2e-3 * std::fabs(coarse.Loss))
            << c.Name << ": balance " << coarse.Error / Ev << " eV, elastic drift "
            << coarse.Drift / Ev << " eV";
        EXPECT_LT(std::fabs(fine.Error), 0.35 * std::fabs(coarse.Error)) << c.Name;
        EXPECT_LT(std::fabs(fine.Drift), 0.35 * std::fabs(coarse.Drift)) << c.Name;
    }
}

TEST(OrEvents, APairWithoutAnEntryNeverFiresButIsWatchedEveryStep) {
    Encounter job(true, false);
    job.Inelastic.OrTable[0].AtomicNumber = 18;  // not 18 * 29
    for (int step = 0; step < job.Steps; ++step) job.Step(step, [] {});
    EXPECT_EQ(job.OrLoss, 0.0);
    EXPECT_TRUE(job.Events.empty());
    ASSERT_EQ(job.Or[0].size(), 1u);
    EXPECT_FALSE(job.Or[0][0].Done);
    // The closest approach is still tracked.
    const double closest = *std::min_element(job.Distances.begin(), job.Distances.end());
    EXPECT_DOUBLE_EQ(std::sqrt(job.Or[0][0].LastDistSq), closest);

    // Given an entry now, the receding pair fires at the next step.
    job.Inelastic.OrTable[0].AtomicNumber = 522;
    ParticleTable& p = job.P;
    p.X[0] = p.X[1] + 1.2 * Angstrom;  // receding from 1.0 A
    p.Y[0] = p.Y[1];
    p.Z[0] = p.Z[1];
    job.Or[0][0].LastDistSq = 1.0 * Angstrom * Angstrom;
    job.ApplyOr(job.Dt);
    EXPECT_LT(job.OrLoss, 0.0);
    EXPECT_TRUE(job.Or[0][0].Done);
}

// A hand-made record: the pair is receding from a closest approach of 0.9 A.
TEST(OrEvents, LossFollowsTheRelativeEnergyAndTheClosestApproach) {
    PairWorld job(1);
    job.Place(0, 0, 0, 0);
    job.Place(1, 0.6, 0.8, 0.2);
    job.Move(0, 4e4, -1e4, 0);
    job.Move(1, -2e3, 0, 5e3);
    job.Inelastic.OrScreeningCoefficient = 0.3;
    job.Inelastic.OrCount = 1;
    job.Inelastic.OrTable[0] = {522, 2e-43};
    job.Or[0].push_back({1, 0.81 * Angstrom * Angstrom, false});
    const ParticleTable& p = job.P;
    const double mu = ArgonMass * CopperMass / (ArgonMass + CopperMass);
    const double erel = 0.5 * mu * (std::pow(4.2e4, 2) + 1e8 + 25e6) + job.Screened(0, 1);
    const double beta = 0.3 * std::sqrt(std::pow(18.0, 2.0 / 3) + std::pow(29.0, 2.0 / 3)) / 4.685e-11;
    const double expected = -2e-43 * std::sqrt(2 * erel / mu) * beta * beta * std::exp(-beta * 0.9e-10);
    const double vx = p.VX[0];
    EXPECT_FALSE(job.ApplyOr(1e-16));
    EXPECT_NEAR(job.OrLoss, expected, 1e-8 * std::fabs(expected));
    EXPECT_EQ(p.VX[0], vx);
    // Done: the pair never fires again.
    const double loss = job.OrLoss;
    job.Or[0][0].LastDistSq = 0.5 * Angstrom * Angstrom;
    job.ApplyOr(1e-16);
    EXPECT_EQ(job.OrLoss, loss);
    EXPECT_TRUE(job.Work.Events.empty());
}

TEST(OrEvents, AFaultEndsTheOrPassAndLeavesThePairAlone) {
    PairWorld job(2);
    job.Place(0, 0, 0, 0);
    job.Place(1, 1.0, 0, 0);
    job.Place(2, 0, 1.0, 0);
    job.Inelastic.OrScreeningCoefficient = -1e4;  // exp(-beta R) overflows
    job.Inelastic.OrCount = 1;
    job.Inelastic.OrTable[0] = {522, 2e-43};
    job.Or[0].push_back({1, 0.81 * Angstrom * Angstrom, false});
    job.Or[0].push_back({2, 0.81 * Angstrom * Angstrom, false});
    EXPECT_TRUE(job.ApplyOr(1e-16));
    EXPECT_EQ(job.OrLoss, 0.0);
    EXPECT_TRUE(job.Work.Events.empty());
    EXPECT_FALSE(job.Or[0][0].Done);
    EXPECT_FALSE(job.Or[0][1].Done);
    EXPECT_EQ(job.P.X[1], 1.0 * Angstrom);
    EXPECT_EQ(std::fetestexcept(Faults), 0);
    // The next step tries again, and fares well with sound parameters.
    job.Inelastic.OrScreeningCoefficient = 0.3;
    EXPECT_FALSE(job.ApplyOr(1e-16));
    EXPECT_TRUE(job.Or[0][0].Done);
    EXPECT_TRUE(job.Or[0][1].Done);
    EXPECT_EQ(job.Work.Events.size(), 2u);
}

// Two particles on one spot have no axis: the pass notes them, in order
// among its events, and tries them again at the next step.
TEST(OrEvents, ACoincidentPairIsNotedInOrderAndStaysOpen) {
    PairWorld job(3);
    job.Place(2, 50.0, 0, 0);  // a receding pair far from the coincident one
    job.Place(3, 51.0, 0, 0);
    job.Inelastic.OrScreeningCoefficient = 0.3;
    job.Inelastic.OrCount = 2;
    job.Inelastic.OrTable[0] = {522, 2e-43};
    job.Inelastic.OrTable[1] = {841, 2e-43};
    job.Or[0].push_back({1, 0.0, false});
    job.Or[2].push_back({3, 0.81 * Angstrom * Angstrom, false});
    EXPECT_FALSE(job.ApplyOr(1e-16));
    ASSERT_EQ(job.Work.Events.size(), 2u);
    EXPECT_TRUE(job.Work.Events[0].Coincident);
    EXPECT_EQ(job.Work.Events[0].Second, 1);
    EXPECT_FALSE(job.Work.Events[1].Coincident);
    EXPECT_EQ(job.Work.Events[1].First, 2);
    EXPECT_FALSE(job.Or[0][0].Done);
    EXPECT_TRUE(job.Or[2][0].Done);
    EXPECT_EQ(job.P.X[1], 0.0);
    EXPECT_EQ(std::fetestexcept(Faults), 0);
}

TEST(StEvents, FireOnTheWayOutWithTheRadialEnergyOfTheCrossing) {
    Encounter job(false, true);
    SetStTable(job, 1.0);
    const double mu = ArgonMass * CopperMass / (ArgonMass + CopperMass);
    int crossingStep = -1, eventStep = -1;
    double crossingEnergy = 0, separated = 0, relative = 0;
    for (int step = 0; step < job.Steps; ++step) {
        double radial = 0, previousRadial = 0, potential = 0, erel = 0;
        job.Step(step, [&] {
            const ParticleTable& p = job.P;
            const double n = job.Distances.back();
            const double u = ((p.VX[0] - p.VX[1]) * (p.X[0] - p.X[1]) +
                              (p.VY[0] - p.VY[1]) * (p.Y[0] - p.Y[1]) +
                              (p.VZ[0] - p.VZ[1]) * (p.Z[0] - p.Z[1])) / n;
            radial = 0.5 * mu * u * u;
            previousRadial = job.St[0].empty() ? 0 : job.St[0][0].RadialEnergy;
            potential = job.Screened(0, 1);
            erel = 0.5 * mu * (std::pow(p.VX[0] - p.VX[1], 2) + std::pow(p.VY[0] - p.VY[1], 2) +
                               std::pow(p.VZ[0] - p.VZ[1], 2)) + potential;
        });
        const std::size_t k = job.Distances.size() - 1;
        if (crossingStep < 0 && job.Distances[k] <= 1.0 * Angstrom) {
            crossingStep = step;
            const double m = job.Distances[k - 1], n = job.Distances[k];
            crossingEnergy = (radial * std::fabs(1e-10 - m) + previousRadial * std::fabs(1e-10 - n)) /
                             (std::fabs(1e-10 - m) + std::fabs(1e-10 - n));
            EXPECT_TRUE(job.St[0][0].Inside);
            EXPECT_NEAR(job.St[0][0].RadialEnergy, crossingEnergy, 1e-12 * crossingEnergy);
        }
        if (eventStep < 0 && job.StLoss != 0) {
            eventStep = step;
            relative = erel;
            separated = job.Distance(0, 1);
            EXPECT_NEAR(job.Screened(0, 1), potential - 6 * Ev, 1e-3 * 6 * Ev);
        }
    }
    ASSERT_GT(crossingStep, 0);
    ASSERT_GT(eventStep, crossingStep);
    // The radial energy at the crossing is worth far more than 3 quanta.
    EXPECT_GT(crossingEnergy, 10 * Ev);
    for (int k = 1; k < eventStep; ++k) EXPECT_LT(job.Distances[k], job.Distances[k - 1]) << k;
    EXPECT_GE(job.Distances[eventStep], job.Distances[eventStep - 1]);
    EXPECT_NEAR(job.StLoss, -6 * Ev, 1e-8 * 6 * Ev);
    EXPECT_TRUE(job.St[0][0].Done);

    ASSERT_EQ(job.Events.size(), 1u);
    const CollisionEvent& e = job.Events[0];
    EXPECT_EQ(e.Kind, EventKind::ShapiroTombrello);
    EXPECT_EQ(e.Excitations, 3);
    EXPECT_EQ(e.EnergyChange, job.StLoss);
    const double closest = job.Distances[eventStep - 1];
    EXPECT_NEAR(e.ClosestApproach, closest, 1e-14 * closest);
    EXPECT_NEAR(e.DistanceBefore, job.Distances[eventStep], 1e-14 * closest);
    EXPECT_NEAR(e.DistanceAfter, separated, 1e-14 * closest);
    EXPECT_NEAR(e.RelativeEnergy, relative, 1e-12 * relative);
}

TEST(StEvents, ADrawOfNoExcitationIsDrawnAgainAtEveryStepOnTheWayOut) {
    Encounter job(false, true);
    SetStTable(job, 1e-12);  // practically never
    job.Random.Seed(77);
    RandomGenerator replay;
    replay.Seed(77);
    int receding = 0;
    int step = 0;
    for (; step < job.Steps && receding < 5; ++step) {
        job.Step(step, [] {});
        const std::size_t k = job.Distances.size() - 1;
        if (k > 0 && job.Distances[k] >= job.Distances[k - 1] && job.St[0][0].Inside) {
            ++receding;
            // One number per started quantum of the radial energy.
            const auto trials = static_cast<long>(job.St[0][0].RadialEnergy / (2 * Ev)) + 1;
            for (long t = 0; t < trials; ++t) replay.Uniform();
            EXPECT_EQ(job.Random.State, replay.State) << "receding step " << receding;
        }
    }
    ASSERT_EQ(receding, 5);
    EXPECT_EQ(job.StLoss, 0.0);
    EXPECT_FALSE(job.St[0][0].Done);
    // Certain excitations from now on: the very next step fires.
    job.Inelastic.StTable[0].StValue = 1.0;
    job.Step(step, [] {});
    EXPECT_NEAR(job.StLoss, -6 * Ev, 1e-8 * 6 * Ev);
    EXPECT_TRUE(job.St[0][0].Done);
}

TEST(StEvents, APairWithoutAnEntryNeverFires) {
    Encounter job(false, true);
    SetStTable(job, 1.0);
    job.Inelastic.StTable[0].AtomicNumber = 841;  // copper pairs only
    job.Random.Seed(5);
    int watched = 0;
    for (int step = 0; step < job.Steps; ++step) {
        job.Step(step, [] {});
        for (const StPartnerRecord& r : job.St[0]) {
            ++watched;
            EXPECT_FALSE(r.Inside);
            EXPECT_FALSE(r.Done);
        }
    }
    EXPECT_GT(watched, 20);
    EXPECT_EQ(job.StLoss, 0.0);
    EXPECT_TRUE(job.Events.empty());
    EXPECT_EQ(job.Random.State, 5u);
}

TEST(StEvents, AFaultEndsTheStPassAndChangesNothing) {
    PairWorld job(1);
    job.Place(0, 0, 0, 0);
    job.Place(1, 0.8, 0, 0);
    job.Inelastic.StCount = 1;
    job.Inelastic.StTable[0] = {522, 1e-310, 1.0 * Angstrom, 3, 0.5};
    StPartnerRecord record;
    record.Partner = 1;
    record.LastDistSq = 0.5 * Angstrom * Angstrom;
    record.Inside = true;
    record.RadialEnergy = 1.0;  // J: over 1e-310 J it overflows
    job.St[0].push_back(record);
    job.Random.Seed(3);
    EXPECT_TRUE(job.ApplySt(1e-16));
    EXPECT_EQ(job.StLoss, 0.0);
    EXPECT_FALSE(job.St[0][0].Done);
    EXPECT_EQ(job.P.X[1], 0.8 * Angstrom);
    EXPECT_EQ(job.Random.State, 3u);
    EXPECT_EQ(std::fetestexcept(Faults), 0);
}

// ---------------------------------------------------------------------------
// LSS

struct LssWorld : PairWorld {
    static constexpr double Dt = 1e-17;
    static constexpr double KArgon = 112.2 * 0.0847 * 1.602192e-14;
    static constexpr double KCopper = 157.3 * 0.0847 * 1.602192e-14;
    LssWorld() : PairWorld(2) {
        Inelastic.LssCount = 2;
        Inelastic.LssTable[0] = {18, KArgon};
        Inelastic.LssTable[1] = {29, KCopper};
        Inelastic.LssSpeedThreshold = 5500;
        SurfaceZ = 0;
        Zone = {20 * Angstrom, -20 * Angstrom, 20 * Angstrom, -20 * Angstrom, 5 * Angstrom,
                -30 * Angstrom};
        Place(0, 1, 2, -3);
        Place(1, -4, 0.5, -12);
        Place(2, 0, 0, -6);
        Move(0, 6e4, -3e4, -8e4);
        Move(1, 1e4, 2e4, 0);
        P.FX[0] = 2e-9;
        P.FZ[0] = -1e-9;
        P.FY[1] = 5e-10;
    }

    bool Apply() { return ApplyLssLoss(P, Inelastic, Zone, SurfaceZ, Dt, LssLoss, Channels); }

    double Loss(std::int32_t i, double k) const {
        const double v = std::sqrt(P.VX[i] * P.VX[i] + P.VY[i] * P.VY[i] + P.VZ[i] * P.VZ[i]);
        const double h = 0.5 * Dt * Dt / P.Mass[i];
        const double path = std::hypot(Dt * P.VX[i] + P.FX[i] * h, Dt * P.VY[i] + P.FY[i] * h,
                                       Dt * P.VZ[i] + P.FZ[i] * h);
        return -k * v * path;
    }

    double Kinetic(std::int32_t i) const {
        return 0.5 * P.Mass[i] * (P.VX[i] * P.VX[i] + P.VY[i] * P.VY[i] + P.VZ[i] * P.VZ[i]);
    }
};

TEST(LssLoss, EachMovingParticleLosesKTimesSpeedTimesPathInItsGroup) {
    LssWorld job;
    const double loss0 = job.Loss(0, LssWorld::KArgon);
    const double loss1 = job.Loss(1, LssWorld::KCopper);
    const double ke0 = job.Kinetic(0), ke1 = job.Kinetic(1);
    const double ratio = job.P.VY[0] / job.P.VX[0];
    EXPECT_FALSE(job.Apply());
    EXPECT_NEAR(job.Kinetic(0), ke0 + loss0, 1e-12 * ke0);
    EXPECT_NEAR(job.Kinetic(1), ke1 + loss1, 1e-12 * ke1);
    EXPECT_DOUBLE_EQ(job.P.VY[0] / job.P.VX[0], ratio);
    EXPECT_EQ(job.P.VX[2], 0.0);
    EXPECT_DOUBLE_EQ(job.LssLoss, loss0 + loss1);
    // Group 0 is the projectile, group 1 the target; codes 0, 4 and 10 weight
    // the loss with exp(z / 4 A) and exp(z / 10 A).
    const std::array<double, 6> expected = {loss0, loss0 * std::exp(-3.0 / 4), loss0 * std::exp(-3.0 / 10),
                                            loss1, loss1 * std::exp(-12.0 / 4), loss1 * std::exp(-12.0 / 10)};
    for (int c = 0; c < 6; ++c)
        EXPECT_NEAR(job.Channels[c], expected[c], 1e-12 * std::fabs(expected[c])) << c;
}

TEST(LssLoss, NothingIsLostAboveTheSurfaceOutsideTheZoneOrBelowTheThreshold) {
    struct Case {
        const char* Name;
        double X, Z, Speed;
    };
    const Case cases[] = {
        {"above the surface", 1, 0.5, 1e5},
        {"on the zone's face", 20, -3, 1e5},
        {"beyond the zone's floor", 1, -31, 1e5},
        {"slower than the threshold", 1, -3, 5499},
    };
    for (const Case& c : cases) {
        LssWorld job;
        job.Place(0, c.X, 0, c.Z);
        job.Move(0, c.Speed, 0, 0);
        job.Move(1, 0, 0, 0);
        job.Apply();
        EXPECT_EQ(job.P.VX[0], c.Speed) << c.Name;
        EXPECT_EQ(job.LssLoss, 0.0) << c.Name;
        for (double channel : job.Channels) EXPECT_EQ(channel, 0.0) << c.Name;
    }
    // Exactly at the threshold the loss applies; a species without an entry loses nothing.
    LssWorld job;
    job.Move(0, 5500, 0, 0);
    job.P.AtomicNumber[1] = 47;
    job.Apply();
    EXPECT_LT(job.P.VX[0], 5500);
    EXPECT_EQ(job.P.VX[1], 1e4);
    EXPECT_EQ(job.Channels[3], 0.0);
}

TEST(LssLoss, ALossAboveTheKineticEnergyIsAFaultAndTheNextStepGoesOn) {
    LssWorld job;
    job.Inelastic.LssTable[0].LssCoefficient = 1e-6;  // argon stopped dead and more
    job.Inelastic.LssSpeedThreshold = 0;  // atoms at rest are no fault either
    const double vx0 = job.P.VX[0], vx1 = job.P.VX[1];
    EXPECT_TRUE(job.Apply());
    // The pass ended at the projectile: nothing changed, no NaN left behind.
    EXPECT_EQ(job.P.VX[0], vx0);
    EXPECT_EQ(job.P.VX[1], vx1);
    EXPECT_EQ(job.LssLoss, 0.0);
    EXPECT_EQ(std::fetestexcept(Faults), 0);
    // Next step, with the projectile gone out of the crystal, the target loses as usual.
    job.Place(0, 1, 2, 3);
    EXPECT_FALSE(job.Apply());
    EXPECT_LT(job.P.VX[1], vx1);
    EXPECT_LT(job.Channels[3], 0.0);
    EXPECT_EQ(job.Channels[0], 0.0);
}

// ---------------------------------------------------------------------------
// Cooling

struct CoolingWorld : PairWorld {
    double Goal = 300, Period = 100e-15;
    explicit CoolingWorld(std::int32_t n) : PairWorld(n) {}
    CoolingResult Apply() { return ApplyCooling(P, Zone, Goal, Period); }
    // T = sum m v^2 / (3 k_B N) over the cooled particles.
    double Temperature() const {
        double sum = 0;
        int n = 0;
        for (std::int32_t i = 0; i <= P.AtomCount; ++i) {
            if ((P.Flags[i] & NoCooling) || !InsideZone(Zone, P.X[i], P.Y[i], P.Z[i])) continue;
            sum += P.Mass[i] * (P.VX[i] * P.VX[i] + P.VY[i] * P.VY[i] + P.VZ[i] * P.VZ[i]);
            ++n;
        }
        return sum / (n * 4.14198e-23);
    }
};

TEST(Cooling, FrictionIsGammaTimesMomentumOnTheCooledParticlesOnly) {
    CoolingWorld job(3);
    job.Move(0, 3000, 0, 0);
    job.Move(1, 100, -700, 200);
    job.Move(2, 900, 50, 0);
    job.Move(3, -400, 400, 400);
    job.P.Flags[2] = NoCooling;
    job.Place(3, 0, 0, 200);  // outside the zone
    job.P.FX[1] = 1e-10;
    const double t = job.Temperature();
    const double gamma = (0.5 / 100e-15) * (1 - 300 / t);
    const CoolingResult result = job.Apply();
    EXPECT_TRUE(result.Measured);
    EXPECT_DOUBLE_EQ(result.Temperature, t);
    EXPECT_FALSE(result.Fault);
    const ParticleTable& p = job.P;
    EXPECT_NEAR(p.FX[0], -gamma * ArgonMass * 3000, 1e-12 * gamma * ArgonMass * 3000);
    EXPECT_NEAR(p.FX[1], 1e-10 - gamma * CopperMass * 100, 1e-9 * 1e-10);
    EXPECT_NEAR(p.FY[1], gamma * CopperMass * 700, 1e-12 * gamma * CopperMass * 700);
    EXPECT_NEAR(p.FZ[1], -gamma * CopperMass * 200, 1e-12 * gamma * CopperMass * 200);
    EXPECT_EQ(p.FX[2], 0.0);
    EXPECT_EQ(p.FX[3], 0.0);
}

// Free atoms, dv/dt = F/m with only the friction: T relaxes as
// T0 + (T - T0) exp(-t / tau), from above and from below.
TEST(Cooling, PullsTheTemperatureTowardsTheGoalWithThePeriodAsTimeConstant) {
    for (double start : {1200.0, 40.0}) {
        CoolingWorld job(200);
        RandomGenerator random;
        random.Seed(11);
        ParticleTable& p = job.P;
        for (std::int32_t i = 0; i <= 200; ++i) {
            job.Place(i, 0.1 * (i % 10), 0.1 * (i / 10 % 10), -0.1 * (i / 100));
            job.Move(i, random.Uniform() - 0.5, random.Uniform() - 0.5, random.Uniform() - 0.5);
        }
        const double scale = std::sqrt(start / job.Temperature());
        for (std::int32_t i = 0; i <= 200; ++i) {
            p.VX[i] *= scale;
            p.VY[i] *= scale;
            p.VZ[i] *= scale;
        }
        ASSERT_NEAR(job.Temperature(), start, 1e-9 * start);
        const double tau = job.Period;
        const double dt = tau / 2000;
        for (int step = 1; step <= 4000; ++step) {
            for (std::int32_t i = 0; i <= 200; ++i) p.FX[i] = p.FY[i] = p.FZ[i] = 0;
            job.Apply();
            for (std::int32_t i = 0; i <= 200; ++i) {
                p.VX[i] += p.FX[i] * dt / p.Mass[i];
                p.VY[i] += p.FY[i] * dt / p.Mass[i];
                p.VZ[i] += p.FZ[i] * dt / p.Mass[i];
            }
            if (step == 2000 || step == 4000) {
                const double expected = 300 + (start - 300) * std::exp(-step * dt / tau);
                EXPECT_NEAR(job.Temperature(), expected, 2e-3 * std::fabs(start - 300))
                    << "from " << start << " K at t = " << step * dt / tau << " tau";
            }
        }
    }
}

TEST(Cooling, NoGoalMeansNoFrictionARestingCrystalNoMeasureAndAZeroPeriodAFault) {
    CoolingWorld job(2);
    CoolingResult result = job.Apply();  // everything at rest
    EXPECT_FALSE(result.Measured);
    EXPECT_FALSE(result.Fault);

    job.Move(1, 500, 0, 0);
    job.Goal = 0;  // report only
    result = job.Apply();
    EXPECT_TRUE(result.Measured);
    EXPECT_FALSE(result.Fault);
    EXPECT_EQ(job.P.FX[1], 0.0);

    job.Goal = 300;
    job.Period = 0;
    result = job.Apply();
    EXPECT_TRUE(result.Measured);
    EXPECT_TRUE(result.Fault);
    EXPECT_EQ(job.P.FX[1], 0.0);
    EXPECT_EQ(std::fetestexcept(Faults), 0);
}

// ---------------------------------------------------------------------------
// Image potential

TEST(ImagePotential, ForceIsMinusTheSlopeAboveThePlaneAndNothingBelowWhereTheBranchesMeet) {
    InelasticParameters q;
    q.ImageEnergy = 4.0 * Ev;
    q.ImageDistance = 1.0 * Angstrom;
    q.ImageLengthSquare = std::pow(K / q.ImageEnergy, 2);
    for (double z : {1.05, 1.2, 1.5, 2.0, 3.0, 6.0, 15.0, 30.0}) {
        const double h = 1e-6 * Angstrom;
        const double slope =
            (ImagePotential(q, (z * Angstrom) + h) - ImagePotential(q, (z * Angstrom) - h)) / (2 * h);
        const double f = ImageForce(q, z * Angstrom);
        EXPECT_NEAR(f, -slope, 1e-6 * std::fabs(f)) << z << " A";
        EXPECT_LT(f, 0.0) << "attracted towards the plane at " << z << " A";
    }
    // At and below the plane: no force, the energy -V0; just above, both
    // rise from there smoothly.
    for (double z : {1.0, -1.0, -50.0}) {
        EXPECT_EQ(ImageForce(q, z * Angstrom), 0.0) << z;
        EXPECT_EQ(ImagePotential(q, z * Angstrom), -4.0 * Ev) << z;
    }
    EXPECT_NEAR(ImagePotential(q, q.ImageDistance + 1e-9 * Angstrom), -4.0 * Ev, 1e-9 * Ev);
    EXPECT_LT(std::fabs(ImageForce(q, q.ImageDistance + 1e-6 * Angstrom)), 1e-3 * Ev / Angstrom);
    // Far away: the classical image energy -e^2 / (4 (z - z0)).
    const double far = 1000 * Angstrom;
    EXPECT_NEAR(ImagePotential(q, far + q.ImageDistance), -K / (4 * far), 1e-6 * K / (4 * far));
}

}  // namespace
}  // namespace vantrel
