#include "job/inelastic.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

#include "job/collision_events.h"
#include "core/number_text.h"
#include "tests/job/pair_job.h"
#include "tests/support/coloured_log.h"
#include "tests/support/temp_dir.h"

namespace vantrel {
namespace {

using testing::Angstrom;
using testing::ArgonMass;
using testing::CopperMass;
using testing::Ev;
using testing::PairJob;
using testing::UiCall;

constexpr double K = 2.30712175676602e-28;

std::vector<std::int32_t> Partners(const std::vector<OrPartnerRecord>& list) {
    std::vector<std::int32_t> out;
    for (const OrPartnerRecord& r : list) out.push_back(r.Partner);
    return out;
}

std::vector<std::int32_t> Partners(const std::vector<StPartnerRecord>& list) {
    std::vector<std::int32_t> out;
    for (const StPartnerRecord& r : list) out.push_back(r.Partner);
    return out;
}

double DistSq(const PairJob& job, int i, int j) {
    const double d = job.Distance(i, j);
    return d * d;
}

// ---------------------------------------------------------------------------
// Inelastic partner lists

// Particle 0 at the origin with partners at 1.0, 2.1, 5.0 and 1.8 A; the
// capture radius is 2 A plus 2e4 m/s * 0.1 fs * 9 = 2.18 A.
struct ListJob : PairJob {
    ListJob() : PairJob(4) {
        Place(0, 0, 0, 0);
        Place(1, 1.0, 0, 0);
        Place(2, 0, 2.1, 0);
        Place(3, 0, 0, -5.0);
        Place(4, -1.8, 0, 0);
        T.FastestSpeed = 2e4;
        T.Timestep = 1e-16;
        S.Run.PartnerUpdateInterval = 10;
    }
};

TEST(InelasticPartnerLists, PairsWithinTheCaptureRadiusAreInsertedNewestFirst) {
    ListJob job;
    UpdateOrPartners(job.S, job.T);
    UpdateStPartners(job.S, job.T);
    // Listed in the order 1, 2, 3, 4; each inserted at the front.
    EXPECT_EQ(Partners(job.S.OrPartners[0]), (std::vector<std::int32_t>{4, 2, 1}));
    EXPECT_EQ(Partners(job.S.StPartners[0]), (std::vector<std::int32_t>{4, 2, 1}));
    const StPartnerRecord& st = job.S.StPartners[0][1];
    EXPECT_DOUBLE_EQ(st.LastDistSq, DistSq(job, 0, 2));
    EXPECT_FALSE(st.Inside);
    EXPECT_FALSE(st.Done);
    EXPECT_EQ(st.RadialEnergy, 0.0);
    // Atom pairs: 1-4 are 2.8 A apart, 2-4 are 2.77 A apart, 1-2 2.33 A: none within.
    EXPECT_TRUE(job.S.OrPartners[1].empty());
    EXPECT_TRUE(job.S.OrPartners[2].empty());

    // Without the travel margin only the 2 A radius counts.
    ListJob still;
    still.T.FastestSpeed = 0;
    UpdateOrPartners(still.S, still.T);
    EXPECT_EQ(Partners(still.S.OrPartners[0]), (std::vector<std::int32_t>{4, 1}));
    EXPECT_TRUE(job.Ui.Events.empty());
}

TEST(InelasticPartnerLists, RecordsKeepTheirStateAndLeaveOnlyBeyondTheCaptureRadius) {
    ListJob job;
    UpdateOrPartners(job.S, job.T);
    job.S.OrPartners[0][2].Done = true;  // partner 1
    job.S.OrPartners[0][2].LastDistSq = 1e-22;
    job.Place(1, 0.9, 0, 0);   // still within: the record is kept as it is
    job.Place(2, 0, 3.0, 0);   // now beyond: removed
    job.Place(3, 0, 0, -2.0);  // now within: inserted in front
    UpdateOrPartners(job.S, job.T);
    EXPECT_EQ(Partners(job.S.OrPartners[0]), (std::vector<std::int32_t>{3, 4, 1}));
    EXPECT_TRUE(job.S.OrPartners[0][2].Done);
    EXPECT_EQ(job.S.OrPartners[0][2].LastDistSq, 1e-22);

    // A record whose partner is no longer listed is not visited: it stays.
    job.Place(4, -9.0, 0, 0);
    job.S.Partners.Index.erase(job.S.Partners.Index.begin() + 3);  // drop pair 0-4
    for (std::size_t k = 1; k < job.S.Partners.Start.size(); ++k) --job.S.Partners.Start[k];
    UpdateOrPartners(job.S, job.T);
    EXPECT_EQ(Partners(job.S.OrPartners[0]), (std::vector<std::int32_t>{3, 4, 1}));
}

TEST(InelasticPartnerLists, AFullListRefusesWithItsOwnMessageAndAsksForAnAbort) {
    struct Case {
        bool Or;
        const char* Text;
    };
    for (const Case& c : {Case{true, "FOR routine: You must abort, and increase \"No of Partners\" in Run file."},
                          Case{false, "FST routine: You must abort, and increase \"No of Partners\" in Run file."}}) {
        ListJob job;
        job.S.Partners.MaxPartners = 2;
        auto update = [&] { c.Or ? UpdateOrPartners(job.S, job.T) : UpdateStPartners(job.S, job.T); };
        update();
        EXPECT_TRUE(job.Program.AbortRequested);
        EXPECT_EQ(job.Ui.Texts(UiCall::ErrorBox), std::vector<std::string>{c.Text});
        EXPECT_EQ(c.Or ? Partners(job.S.OrPartners[0]) : Partners(job.S.StPartners[0]),
                  (std::vector<std::int32_t>{2, 1}));
        // Every further refusal shows the message again.
        job.Program.AbortRequested = false;
        update();
        EXPECT_EQ(job.Ui.Texts(UiCall::ErrorBox), (std::vector<std::string>{c.Text, c.Text}));
        EXPECT_TRUE(job.Program.AbortRequested);
        EXPECT_FALSE(job.Program.AbortNow);
    }
}

TEST(InelasticPartnerLists, NothingIsInsertedWhileAbortingButRecordsStillLeave) {
    ListJob job;
    job.S.Partners.MaxPartners = 1;
    UpdateStPartners(job.S, job.T);
    job.Ui.Clear();
    job.Program.AbortRequested = false;
    job.Program.AbortNow = true;
    job.Place(1, 4.0, 0, 0);  // leaves: removed even now
    UpdateStPartners(job.S, job.T);
    UpdateOrPartners(job.S, job.T);
    EXPECT_TRUE(job.S.StPartners[0].empty());
    EXPECT_TRUE(job.S.OrPartners[0].empty());
    EXPECT_TRUE(job.Ui.Events.empty());
    EXPECT_FALSE(job.Program.AbortRequested);

    EmptyInelasticPartnerLists(job.S);
    job.Program.AbortNow = false;
    UpdateOrPartners(job.S, job.T);
    EXPECT_EQ(job.S.OrPartners[0].size(), 1u);
    EmptyInelasticPartnerLists(job.S);
    EXPECT_TRUE(job.S.OrPartners[0].empty());
}

TEST(InelasticPartnerLists, UnallocatedListsAreLeftAlone) {
    PairJob job(2, false, false);
    job.Place(1, 1, 0, 0);
    UpdateOrPartners(job.S, job.T);
    UpdateStPartners(job.S, job.T);
    ApplyOrEvents(job.S, 1e-16);
    ApplyStEvents(job.S, 1e-16);
    EXPECT_TRUE(job.S.OrPartners.empty());
    EXPECT_TRUE(job.S.StPartners.empty());
}

// ---------------------------------------------------------------------------
// Collision events on a two-body encounter

// Argon at 1.2e5 m/s (about 3 keV) flies past a copper atom at rest with an
// impact parameter of 0.3 A; the driver's schedule is followed: inelastic
// lists refreshed every 10 steps, then each step moves the pair and runs
// the ST and OR passes.
struct Encounter : PairJob {
    static constexpr double Speed = 1.2e5;
    // 0.024 A per step; 200 steps take the pair past the closest approach.
    static constexpr double DefaultDt = 2e-17;
    static constexpr int DefaultSteps = 200;
    double Dt;
    int Steps;
    std::vector<double> Distances;  // after each step's move
    double InitialEnergy = 0;
    testing::TempDir Dir;
    std::string EventsPath;

    Encounter(bool useOr, bool useSt, double dt = DefaultDt)
        : PairJob(1, useOr, useSt), Dt(dt), Steps(static_cast<int>(std::lround(DefaultSteps * DefaultDt / dt))) {
        // The lists are refreshed as often per distance travelled at any timestep.
        S.Run.PartnerUpdateInterval = static_cast<std::int32_t>(std::lround(10 * DefaultDt / dt));
        Place(0, -3.0, 0.3, 0.1);
        Place(1, 0, 0, 0.1);
        Move(0, Speed, 0, 0);
        EvaluateForces();
        T.FastestSpeed = Speed;
        T.Timestep = Dt;
        InitialEnergy = Energy();
        Program.Options.StoreInelastic = true;
        EventsPath = Dir.File("events.dat");
        S.Output.Files.InelasticEvents.Handle.reset(std::fopen(EventsPath.c_str(), "w"));
        S.RunCounter = 2;
        S.Inelastic.OrScreeningCoefficient = 0.3;
        // 112.2 eV A^2 per 100 km/s, the LSS stopping cross-section of argon in copper.
        S.Inelastic.OrCount = 1;
        S.Inelastic.OrTable[0] = {522, 112.2 * 1e-5 * Ev * 1e-20 / (2 * std::numbers::pi)};
    }

    double Energy() const { return KineticEnergy() + ScreenedPotential(S, 0, 1, Distance(0, 1)); }

    // One step; `before` sees the state after the move, before the passes.
    template <typename Before>
    void Step(int step, Before before) {
        if (step % S.Run.PartnerUpdateInterval == 0) {
            if (Program.Options.UseOR) UpdateOrPartners(S, T);
            if (Program.Options.UseST) UpdateStPartners(S, T);
        }
        VerletMove(Dt);
        Distances.push_back(Distance(0, 1));
        before();
        if (Program.Options.UseST) ApplyStEvents(S, Dt);
        if (Program.Options.UseOR) ApplyOrEvents(S, Dt);
    }

    std::string EventsFile() {
        S.Output.Files.InelasticEvents.Handle.reset();
        return testing::ReadFileBytes(EventsPath);
    }
};

// ST: critical radius 1 A, quanta of 2 eV, at most 3 per event.
void SetStTable(PairJob& job, double p) {
    job.S.Inelastic.StCount = 1;
    job.S.Inelastic.StTable[0] = {522, 2 * Ev, 1.0 * Angstrom, 3, p};
    job.Program.StRadiusSquare = 1.5 * 1.5 * Angstrom * Angstrom;
}

struct EventLine {
    int Run = 0, I = 0, J = 0, Kind = -1, Code = -1;
    double DE = 0, RMin = 0, RNew = 0, ZBar = 0, Dt = 0, ERel = 0;
};

EventLine ParseEventLine(const std::string& text) {
    EventLine e;
    EXPECT_EQ(std::sscanf(text.c_str(), "%d %d %d %lf %lf %lf %lf %lf %lf %d %d", &e.Run, &e.I,
                          &e.J, &e.DE, &e.RMin, &e.RNew, &e.ZBar, &e.Dt, &e.ERel, &e.Kind,
                          &e.Code),
              11)
        << text;
    return e;
}

std::string ExpectedLogLine(const char* model, double dE, double before, double after) {
    return std::string("darkred|  ") + model + " event, particles: 0 and 1, dE = " +
           FormatReal8(dE * EvPerJoule) + " eV, R(old) = " + FormatReal8(before * 1e10) +
           " A, R(new) = " + FormatReal8(after * 1e10) + " A";
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
            const ParticleTable& p = job.S.Particles;
            const double n = job.Distances.back();
            potential = ScreenedPotential(job.S, 0, 1, n);
            const double dv2 = std::pow(p.VX[0] - p.VX[1], 2) + std::pow(p.VY[0] - p.VY[1], 2) +
                               std::pow(p.VZ[0] - p.VZ[1], 2);
            erel = 0.5 * mu * dv2 + potential;
            const double rmin = job.Distances.size() > 1 ? job.Distances[job.Distances.size() - 2] : n;
            candidate = -job.S.Inelastic.OrTable[0].OrCoefficient * std::sqrt(2 * erel / mu) *
                        beta * beta * std::exp(-beta * rmin);
        });
        if (job.S.OrLoss != 0 && eventStep < 0) {
            eventStep = step;
            expectedLoss = candidate;
            distanceAtEvent = job.Distances.back();
            closest = job.Distances[job.Distances.size() - 2];
            relative = erel;
            separated = job.Distance(0, 1);
            // The pair's screened energy fell by the loss (to the method's accuracy).
            const double now = ScreenedPotential(job.S, 0, 1, separated);
            EXPECT_NEAR(now, potential + candidate, 1e-3 * std::fabs(candidate));
        }
    }
    ASSERT_GT(eventStep, 0);
    // The step of the event is the first whose distance grew.
    for (int k = 1; k < eventStep; ++k) EXPECT_LT(job.Distances[k], job.Distances[k - 1]) << k;
    EXPECT_GE(job.Distances[eventStep], job.Distances[eventStep - 1]);
    ASSERT_EQ(job.S.OrPartners[0].size(), 1u);
    EXPECT_TRUE(job.S.OrPartners[0][0].Done);
    EXPECT_NEAR(job.S.OrLoss, expectedLoss, 1e-8 * std::fabs(expectedLoss));
    // A close 3 keV collision loses some eV.
    EXPECT_LT(job.S.OrLoss, -1 * Ev);
    EXPECT_GT(job.S.OrLoss, -100 * Ev);

    // Once, in the log and in the events file.
    const std::vector<std::string> log = testing::ColouredLog(job.Ui);
    ASSERT_EQ(log.size(), 1u);
    const std::string text = job.EventsFile();
    ASSERT_EQ(std::count(text.begin(), text.end(), '\n'), 1);
    const EventLine line = ParseEventLine(text);
    EXPECT_EQ(log[0].substr(0, 8 + 100),
              ExpectedLogLine("OR", expectedLoss, distanceAtEvent, separated)
                  .substr(0, 8 + 100));
    EXPECT_EQ(line.Run, 2);
    EXPECT_EQ(line.I, 0);
    EXPECT_EQ(line.J, 1);
    EXPECT_EQ(line.Kind, 0);
    EXPECT_EQ(line.Code, 0);
    EXPECT_NEAR(line.DE, expectedLoss * EvPerJoule, 0.0005);
    EXPECT_NEAR(line.RMin, closest * 1e10, 0.000005);
    EXPECT_NEAR(line.RNew, separated * 1e10, 0.000005);
    EXPECT_GT(separated, distanceAtEvent);
    EXPECT_NEAR(line.ZBar, 0.1, 0.000005);
    EXPECT_NEAR(line.Dt, 0.02, 0.00005);
    EXPECT_NEAR(line.ERel, relative * EvPerJoule, 0.0005);
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
    b.Loss = job.S.OrLoss + job.S.StLoss;
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
    job.S.Inelastic.OrTable[0].AtomicNumber = 18;  // not 18 * 29
    for (int step = 0; step < job.Steps; ++step) job.Step(step, [] {});
    EXPECT_EQ(job.S.OrLoss, 0.0);
    EXPECT_TRUE(job.Ui.Events.empty());
    EXPECT_EQ(job.EventsFile(), "");
    ASSERT_EQ(job.S.OrPartners[0].size(), 1u);
    EXPECT_FALSE(job.S.OrPartners[0][0].Done);
    // The closest approach is still tracked.
    const double closest = *std::min_element(job.Distances.begin(), job.Distances.end());
    EXPECT_DOUBLE_EQ(std::sqrt(job.S.OrPartners[0][0].LastDistSq), closest);

    // Given an entry now, the receding pair fires at the next step.
    job.S.Inelastic.OrTable[0].AtomicNumber = 522;
    ParticleTable& p = job.S.Particles;
    p.X[0] = p.X[1] + 1.2 * Angstrom;  // receding from 1.0 A
    p.Y[0] = p.Y[1];
    p.Z[0] = p.Z[1];
    job.S.OrPartners[0][0].LastDistSq = 1.0 * Angstrom * Angstrom;
    ApplyOrEvents(job.S, job.Dt);
    EXPECT_LT(job.S.OrLoss, 0.0);
    EXPECT_TRUE(job.S.OrPartners[0][0].Done);
}

// A hand-made record: the pair is receding from a closest approach of 0.9 A.
TEST(OrEvents, LossFollowsTheRelativeEnergyAndTheClosestApproach) {
    PairJob job(1, true, false);
    job.Place(0, 0, 0, 0);
    job.Place(1, 0.6, 0.8, 0.2);
    job.Move(0, 4e4, -1e4, 0);
    job.Move(1, -2e3, 0, 5e3);
    job.S.Inelastic.OrScreeningCoefficient = 0.3;
    job.S.Inelastic.OrCount = 1;
    job.S.Inelastic.OrTable[0] = {522, 2e-43};
    job.S.OrPartners[0].push_back({1, 0.81 * Angstrom * Angstrom, false});
    const ParticleTable& p = job.S.Particles;
    const double n = job.Distance(0, 1);
    const double mu = ArgonMass * CopperMass / (ArgonMass + CopperMass);
    const double erel = 0.5 * mu * (std::pow(4.2e4, 2) + 1e8 + 25e6) + ScreenedPotential(job.S, 0, 1, n);
    const double beta = 0.3 * std::sqrt(std::pow(18.0, 2.0 / 3) + std::pow(29.0, 2.0 / 3)) / 4.685e-11;
    const double expected = -2e-43 * std::sqrt(2 * erel / mu) * beta * beta * std::exp(-beta * 0.9e-10);
    const double vx = p.VX[0];
    ApplyOrEvents(job.S, 1e-16);
    EXPECT_NEAR(job.S.OrLoss, expected, 1e-8 * std::fabs(expected));
    EXPECT_EQ(p.VX[0], vx);
    // Done: the pair never fires again.
    const double loss = job.S.OrLoss;
    job.S.OrPartners[0][0].LastDistSq = 0.5 * Angstrom * Angstrom;
    ApplyOrEvents(job.S, 1e-16);
    EXPECT_EQ(job.S.OrLoss, loss);
}

TEST(OrEvents, AFaultEndsTheOrPassWithItsMessageAndLeavesThePairAlone) {
    PairJob job(2, true, false);
    job.Place(0, 0, 0, 0);
    job.Place(1, 1.0, 0, 0);
    job.Place(2, 0, 1.0, 0);
    job.S.Inelastic.OrScreeningCoefficient = -1e4;  // exp(-beta R) overflows
    job.S.Inelastic.OrCount = 1;
    job.S.Inelastic.OrTable[0] = {522, 2e-43};
    job.S.OrPartners[0].push_back({1, 0.81 * Angstrom * Angstrom, false});
    job.S.OrPartners[0].push_back({2, 0.81 * Angstrom * Angstrom, false});
    ApplyOrEvents(job.S, 1e-16);
    EXPECT_EQ(job.Ui.Texts(UiCall::ErrorBox), std::vector<std::string>{"Math error in OR routine."});
    EXPECT_EQ(job.S.OrLoss, 0.0);
    EXPECT_FALSE(job.S.OrPartners[0][0].Done);
    EXPECT_FALSE(job.S.OrPartners[0][1].Done);
    EXPECT_EQ(job.S.Particles.X[1], 1.0 * Angstrom);
    EXPECT_EQ(job.Ui.LogTexts().size(), 0u);
    EXPECT_EQ(std::fetestexcept(FE_INVALID | FE_OVERFLOW | FE_DIVBYZERO), 0);
    // The next step tries again, and fares well with sound parameters.
    job.S.Inelastic.OrScreeningCoefficient = 0.3;
    ApplyOrEvents(job.S, 1e-16);
    EXPECT_EQ(job.Ui.Texts(UiCall::ErrorBox).size(), 1u);
    EXPECT_TRUE(job.S.OrPartners[0][0].Done);
    EXPECT_TRUE(job.S.OrPartners[0][1].Done);
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
            const ParticleTable& p = job.S.Particles;
            const double n = job.Distances.back();
            const double u = ((p.VX[0] - p.VX[1]) * (p.X[0] - p.X[1]) +
                              (p.VY[0] - p.VY[1]) * (p.Y[0] - p.Y[1]) +
                              (p.VZ[0] - p.VZ[1]) * (p.Z[0] - p.Z[1])) / n;
            radial = 0.5 * mu * u * u;
            previousRadial = job.S.StPartners[0].empty() ? 0 : job.S.StPartners[0][0].RadialEnergy;
            potential = ScreenedPotential(job.S, 0, 1, n);
            erel = 0.5 * mu * (std::pow(p.VX[0] - p.VX[1], 2) + std::pow(p.VY[0] - p.VY[1], 2) +
                               std::pow(p.VZ[0] - p.VZ[1], 2)) + potential;
        });
        const std::size_t k = job.Distances.size() - 1;
        if (crossingStep < 0 && job.Distances[k] <= 1.0 * Angstrom) {
            crossingStep = step;
            const double m = job.Distances[k - 1], n = job.Distances[k];
            crossingEnergy = (radial * std::fabs(1e-10 - m) + previousRadial * std::fabs(1e-10 - n)) /
                             (std::fabs(1e-10 - m) + std::fabs(1e-10 - n));
            EXPECT_TRUE(job.S.StPartners[0][0].Inside);
            EXPECT_NEAR(job.S.StPartners[0][0].RadialEnergy, crossingEnergy, 1e-12 * crossingEnergy);
        }
        if (eventStep < 0 && job.S.StLoss != 0) {
            eventStep = step;
            relative = erel;
            separated = job.Distance(0, 1);
            const double now = ScreenedPotential(job.S, 0, 1, separated);
            EXPECT_NEAR(now, potential - 6 * Ev, 1e-3 * 6 * Ev);
        }
    }
    ASSERT_GT(crossingStep, 0);
    ASSERT_GT(eventStep, crossingStep);
    // The radial energy at the crossing is worth far more than 3 quanta.
    EXPECT_GT(crossingEnergy, 10 * Ev);
    for (int k = 1; k < eventStep; ++k) EXPECT_LT(job.Distances[k], job.Distances[k - 1]) << k;
    EXPECT_GE(job.Distances[eventStep], job.Distances[eventStep - 1]);
    EXPECT_NEAR(job.S.StLoss, -6 * Ev, 1e-8 * 6 * Ev);
    EXPECT_TRUE(job.S.StPartners[0][0].Done);

    const std::string text = job.EventsFile();
    ASSERT_EQ(std::count(text.begin(), text.end(), '\n'), 1);
    const EventLine line = ParseEventLine(text);
    EXPECT_EQ(line.Kind, 1);
    EXPECT_EQ(line.Code, 3);
    EXPECT_NEAR(line.DE, -6 * Ev * EvPerJoule, 0.0005);
    EXPECT_NEAR(line.RMin, job.Distances[eventStep - 1] * 1e10, 0.000005);
    EXPECT_NEAR(line.ERel, relative * EvPerJoule, 0.0005);
    const std::vector<std::string> log = testing::ColouredLog(job.Ui);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].substr(0, 108),
              ExpectedLogLine("ST", -6 * Ev, job.Distances[eventStep], separated).substr(0, 108));
    EXPECT_NEAR(line.RNew, separated * 1e10, 0.000005);
}

TEST(StEvents, ADrawOfNoExcitationIsDrawnAgainAtEveryStepOnTheWayOut) {
    Encounter job(false, true);
    SetStTable(job, 1e-12);  // practically never
    job.Program.Random.Seed(77);
    RandomGenerator replay;
    replay.Seed(77);
    int receding = 0;
    int step = 0;
    for (; step < job.Steps && receding < 5; ++step) {
        job.Step(step, [] {});
        const std::size_t k = job.Distances.size() - 1;
        if (k > 0 && job.Distances[k] >= job.Distances[k - 1] && job.S.StPartners[0][0].Inside) {
            ++receding;
            // One number per started quantum of the radial energy.
            const auto trials = static_cast<long>(job.S.StPartners[0][0].RadialEnergy / (2 * Ev)) + 1;
            for (long t = 0; t < trials; ++t) replay.Uniform();
            EXPECT_EQ(job.Program.Random.State, replay.State) << "receding step " << receding;
        }
    }
    ASSERT_EQ(receding, 5);
    EXPECT_EQ(job.S.StLoss, 0.0);
    EXPECT_FALSE(job.S.StPartners[0][0].Done);
    // Certain excitations from now on: the very next step fires.
    job.S.Inelastic.StTable[0].StValue = 1.0;
    job.Step(step, [] {});
    EXPECT_NEAR(job.S.StLoss, -6 * Ev, 1e-8 * 6 * Ev);
    EXPECT_TRUE(job.S.StPartners[0][0].Done);
}

TEST(StEvents, APairWithoutAnEntryNeverFires) {
    Encounter job(false, true);
    SetStTable(job, 1.0);
    job.S.Inelastic.StTable[0].AtomicNumber = 841;  // copper pairs only
    job.Program.Random.Seed(5);
    int watched = 0;
    for (int step = 0; step < job.Steps; ++step) {
        job.Step(step, [] {});
        for (const StPartnerRecord& r : job.S.StPartners[0]) {
            ++watched;
            EXPECT_FALSE(r.Inside);
            EXPECT_FALSE(r.Done);
        }
    }
    EXPECT_GT(watched, 20);
    EXPECT_EQ(job.S.StLoss, 0.0);
    EXPECT_TRUE(job.Ui.Events.empty());
    EXPECT_EQ(job.Program.Random.State, 5u);
}

TEST(StEvents, AFaultEndsTheStPassWithItsMessage) {
    PairJob job(1, false, true);
    job.Place(0, 0, 0, 0);
    job.Place(1, 0.8, 0, 0);
    job.S.Inelastic.StCount = 1;
    job.S.Inelastic.StTable[0] = {522, 1e-310, 1.0 * Angstrom, 3, 0.5};
    StPartnerRecord record;
    record.Partner = 1;
    record.LastDistSq = 0.5 * Angstrom * Angstrom;
    record.Inside = true;
    record.RadialEnergy = 1.0;  // J: over 1e-310 J it overflows
    job.S.StPartners[0].push_back(record);
    job.Program.Random.Seed(3);
    ApplyStEvents(job.S, 1e-16);
    EXPECT_EQ(job.Ui.Texts(UiCall::ErrorBox), std::vector<std::string>{"Math error in ST routine."});
    EXPECT_EQ(job.S.StLoss, 0.0);
    EXPECT_FALSE(job.S.StPartners[0][0].Done);
    EXPECT_EQ(job.S.Particles.X[1], 0.8 * Angstrom);
    EXPECT_EQ(job.Program.Random.State, 3u);
    EXPECT_EQ(std::fetestexcept(FE_INVALID | FE_OVERFLOW | FE_DIVBYZERO), 0);
}

// ---------------------------------------------------------------------------
// LSS

struct LssJob : PairJob {
    static constexpr double Dt = 1e-17;
    static constexpr double KArgon = 112.2 * 0.0847 * 1.602192e-14;
    static constexpr double KCopper = 157.3 * 0.0847 * 1.602192e-14;
    LssJob() : PairJob(2, false, false) {
        Program.Options.UseLSS = true;
        S.Inelastic.LssCount = 2;
        S.Inelastic.LssTable[0] = {18, KArgon};
        S.Inelastic.LssTable[1] = {29, KCopper};
        S.Inelastic.LssSpeedThreshold = 5500;
        S.SurfaceZ = 0;
        S.Zone = {20 * Angstrom, -20 * Angstrom, 20 * Angstrom, -20 * Angstrom, 5 * Angstrom,
                  -30 * Angstrom};
        Place(0, 1, 2, -3);
        Place(1, -4, 0.5, -12);
        Place(2, 0, 0, -6);
        Move(0, 6e4, -3e4, -8e4);
        Move(1, 1e4, 2e4, 0);
        S.Particles.FX[0] = 2e-9;
        S.Particles.FZ[0] = -1e-9;
        S.Particles.FY[1] = 5e-10;
    }

    double Loss(std::int32_t i, double k) const {
        const ParticleTable& p = S.Particles;
        const double v = std::sqrt(p.VX[i] * p.VX[i] + p.VY[i] * p.VY[i] + p.VZ[i] * p.VZ[i]);
        const double h = 0.5 * Dt * Dt / p.Mass[i];
        const double path = std::hypot(Dt * p.VX[i] + p.FX[i] * h, Dt * p.VY[i] + p.FY[i] * h,
                                       Dt * p.VZ[i] + p.FZ[i] * h);
        return -k * v * path;
    }

    double Kinetic(std::int32_t i) const {
        const ParticleTable& p = S.Particles;
        return 0.5 * p.Mass[i] * (p.VX[i] * p.VX[i] + p.VY[i] * p.VY[i] + p.VZ[i] * p.VZ[i]);
    }
};

TEST(LssLoss, EachMovingParticleLosesKTimesSpeedTimesPathInItsGroup) {
    LssJob job;
    const double loss0 = job.Loss(0, LssJob::KArgon);
    const double loss1 = job.Loss(1, LssJob::KCopper);
    const double ke0 = job.Kinetic(0), ke1 = job.Kinetic(1);
    const double ratio = job.S.Particles.VY[0] / job.S.Particles.VX[0];
    ApplyLssLoss(job.S, job.S.Zone, LssJob::Dt);
    EXPECT_NEAR(job.Kinetic(0), ke0 + loss0, 1e-12 * ke0);
    EXPECT_NEAR(job.Kinetic(1), ke1 + loss1, 1e-12 * ke1);
    EXPECT_DOUBLE_EQ(job.S.Particles.VY[0] / job.S.Particles.VX[0], ratio);
    EXPECT_EQ(job.S.Particles.VX[2], 0.0);
    EXPECT_DOUBLE_EQ(job.S.LssLoss, loss0 + loss1);
    // Group 0 is the projectile, group 1 the target; codes 0, 4 and 10 weight
    // the loss with exp(z / 4 A) and exp(z / 10 A).
    const std::array<double, 6> expected = {loss0, loss0 * std::exp(-3.0 / 4), loss0 * std::exp(-3.0 / 10),
                                            loss1, loss1 * std::exp(-12.0 / 4), loss1 * std::exp(-12.0 / 10)};
    for (int c = 0; c < 6; ++c)
        EXPECT_NEAR(job.S.LssChannel[c], expected[c], 1e-12 * std::fabs(expected[c])) << c;
    EXPECT_TRUE(job.Ui.Events.empty());
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
        LssJob job;
        job.Place(0, c.X, 0, c.Z);
        job.Move(0, c.Speed, 0, 0);
        job.Move(1, 0, 0, 0);
        ApplyLssLoss(job.S, job.S.Zone, LssJob::Dt);
        EXPECT_EQ(job.S.Particles.VX[0], c.Speed) << c.Name;
        EXPECT_EQ(job.S.LssLoss, 0.0) << c.Name;
        for (double channel : job.S.LssChannel) EXPECT_EQ(channel, 0.0) << c.Name;
    }
    // Exactly at the threshold the loss applies; a species without an entry loses nothing.
    LssJob job;
    job.Move(0, 5500, 0, 0);
    job.S.Particles.AtomicNumber[1] = 47;
    ApplyLssLoss(job.S, job.S.Zone, LssJob::Dt);
    EXPECT_LT(job.S.Particles.VX[0], 5500);
    EXPECT_EQ(job.S.Particles.VX[1], 1e4);
    EXPECT_EQ(job.S.LssChannel[3], 0.0);
}

TEST(LssLoss, ALossAboveTheKineticEnergyIsAMathErrorAndTheRunGoesOn) {
    LssJob job;
    job.S.Inelastic.LssTable[0].LssCoefficient = 1e-6;  // argon stopped dead and more
    job.S.Inelastic.LssSpeedThreshold = 0;  // atoms at rest are no fault either
    const double vx0 = job.S.Particles.VX[0], vx1 = job.S.Particles.VX[1];
    ApplyLssLoss(job.S, job.S.Zone, LssJob::Dt);
    EXPECT_EQ(job.Ui.Texts(UiCall::ErrorBox), std::vector<std::string>{"Math error in LSS routine."});
    // The pass ended at the projectile: nothing changed, no NaN left behind.
    EXPECT_EQ(job.S.Particles.VX[0], vx0);
    EXPECT_EQ(job.S.Particles.VX[1], vx1);
    EXPECT_EQ(job.S.LssLoss, 0.0);
    EXPECT_EQ(std::fetestexcept(FE_INVALID | FE_OVERFLOW | FE_DIVBYZERO), 0);
    // Next step, with the projectile gone out of the crystal, the target loses as usual.
    job.Place(0, 1, 2, 3);
    ApplyLssLoss(job.S, job.S.Zone, LssJob::Dt);
    EXPECT_EQ(job.Ui.Texts(UiCall::ErrorBox).size(), 1u);
    EXPECT_LT(job.S.Particles.VX[1], vx1);
    EXPECT_LT(job.S.LssChannel[3], 0.0);
    EXPECT_EQ(job.S.LssChannel[0], 0.0);
}

// ---------------------------------------------------------------------------
// Cooling

struct CoolingJob : PairJob {
    explicit CoolingJob(std::int32_t n) : PairJob(n, false, false) {
        Program.Options.UseCooling = true;
        Program.Options.Verbose = false;
        S.Inelastic.CoolingGoal = 300;
        S.Inelastic.CoolingPeriod = 100e-15;
        S.Run.PartnerUpdateInterval = 3;
    }
    // T = sum m v^2 / (3 k_B N) over the cooled particles.
    double Temperature() const {
        const ParticleTable& p = S.Particles;
        double sum = 0;
        int n = 0;
        for (std::int32_t i = 0; i <= p.AtomCount; ++i) {
            if ((p.Flags[i] & NoCooling) || !InsideZone(S.Zone, p.X[i], p.Y[i], p.Z[i])) continue;
            sum += p.Mass[i] * (p.VX[i] * p.VX[i] + p.VY[i] * p.VY[i] + p.VZ[i] * p.VZ[i]);
            ++n;
        }
        return sum / (n * 4.14198e-23);
    }
};

TEST(Cooling, FrictionIsGammaTimesMomentumOnTheCooledParticlesOnly) {
    CoolingJob job(3);
    job.Move(0, 3000, 0, 0);
    job.Move(1, 100, -700, 200);
    job.Move(2, 900, 50, 0);
    job.Move(3, -400, 400, 400);
    job.S.Particles.Flags[2] = NoCooling;
    job.Place(3, 0, 0, 200);  // outside the zone
    job.S.Particles.FX[1] = 1e-10;
    const double t = job.Temperature();
    const double gamma = (0.5 / 100e-15) * (1 - 300 / t);
    ApplyCooling(job.S, job.S.Zone);
    const ParticleTable& p = job.S.Particles;
    EXPECT_NEAR(p.FX[0], -gamma * ArgonMass * 3000, 1e-12 * gamma * ArgonMass * 3000);
    EXPECT_NEAR(p.FX[1], 1e-10 - gamma * CopperMass * 100, 1e-9 * 1e-10);
    EXPECT_NEAR(p.FY[1], gamma * CopperMass * 700, 1e-12 * gamma * CopperMass * 700);
    EXPECT_NEAR(p.FZ[1], -gamma * CopperMass * 200, 1e-12 * gamma * CopperMass * 200);
    EXPECT_EQ(p.FX[2], 0.0);
    EXPECT_EQ(p.FX[3], 0.0);
    EXPECT_TRUE(job.Ui.Events.empty());
}

// Free atoms, dv/dt = F/m with only the friction: T relaxes as
// T0 + (T - T0) exp(-t / tau), from above and from below.
TEST(Cooling, PullsTheTemperatureTowardsTheGoalWithThePeriodAsTimeConstant) {
    for (double start : {1200.0, 40.0}) {
        CoolingJob job(200);
        RandomGenerator random;
        random.Seed(11);
        ParticleTable& p = job.S.Particles;
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
        const double tau = job.S.Inelastic.CoolingPeriod;
        const double dt = tau / 2000;
        for (int step = 1; step <= 4000; ++step) {
            for (std::int32_t i = 0; i <= 200; ++i) p.FX[i] = p.FY[i] = p.FZ[i] = 0;
            ApplyCooling(job.S, job.S.Zone);
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

TEST(Cooling, ReportsTheTemperatureOnceEveryIntervalPlusOneCallsAcrossJobs) {
    CoolingJob job(0);
    job.Program.Options.Verbose = true;
    job.S.Inelastic.CoolingGoal = 0;  // report only
    // One argon atom: T = m v^2 / 3 k_B = 1234.5 K.
    job.S.Particles.Mass[0] = 4.14198e-27;
    job.Move(0, std::sqrt(1234.5e4), 0, 0);
    std::vector<int> reported;
    for (int call = 1; call <= 8; ++call) {
        job.Ui.Clear();
        ApplyCooling(job.S, job.S.Zone);
        if (!job.Ui.Events.empty()) {
            reported.push_back(call);
            EXPECT_EQ(testing::ColouredLog(job.Ui),
                      std::vector<std::string>{"black|  Current temp. = 1234.500 K"});
        }
    }
    EXPECT_EQ(reported, (std::vector<int>{4, 8}));
    EXPECT_EQ(job.S.Particles.FX[0], 0.0);  // T0 = 0: no friction
    EXPECT_EQ(job.Program.CoolingReportCounter, 0);

    // The counter belongs to the program: a new job goes on counting.
    ApplyCooling(job.S, job.S.Zone);
    SimulationState next(job.Program);
    AllocateParticleTable(next, 0);
    AllocateMassAndAtomicNumber(next);
    next.Particles.Mass[0] = 4.14198e-27;
    next.Particles.VX[0] = 100;
    next.Run.PartnerUpdateInterval = 3;
    next.Zone = job.S.Zone;
    job.Ui.Clear();
    for (int call = 2; call <= 4; ++call) ApplyCooling(next, next.Zone);
    EXPECT_EQ(job.Ui.LogTexts().size(), 1u);

    // Silent without Verbose, and the counter stands still.
    job.Program.Options.Verbose = false;
    job.Ui.Clear();
    const std::int32_t counter = job.Program.CoolingReportCounter;
    for (int call = 0; call < 10; ++call) ApplyCooling(job.S, job.S.Zone);
    EXPECT_TRUE(job.Ui.Events.empty());
    EXPECT_EQ(job.Program.CoolingReportCounter, counter);
}

TEST(Cooling, ACrystalAtRestIsLeftAloneAndAZeroPeriodIsAMathError) {
    CoolingJob job(2);
    job.Program.Options.Verbose = true;
    ApplyCooling(job.S, job.S.Zone);
    EXPECT_TRUE(job.Ui.Events.empty());
    EXPECT_EQ(job.Program.CoolingReportCounter, 0);

    job.Move(1, 500, 0, 0);
    job.S.Inelastic.CoolingPeriod = 0;
    ApplyCooling(job.S, job.S.Zone);
    EXPECT_EQ(job.Ui.Texts(UiCall::ErrorBox),
              std::vector<std::string>{"Math error in cooling routine."});
    EXPECT_EQ(job.S.Particles.FX[1], 0.0);
    EXPECT_EQ(std::fetestexcept(FE_INVALID | FE_OVERFLOW | FE_DIVBYZERO), 0);
}

// ---------------------------------------------------------------------------
// Image potential

InelasticParameters ImageParameters() {
    InelasticParameters q;
    q.ImageEnergy = 4.0 * Ev;
    q.ImageDistance = 1.0 * Angstrom;
    q.ImageLengthSquare = std::pow(K / q.ImageEnergy, 2);
    return q;
}

TEST(ImagePotential, ForceIsMinusTheSlopeOfTheEnergyAboveThePlane) {
    const InelasticParameters q = ImageParameters();
    for (double z : {1.05, 1.2, 1.5, 2.0, 3.0, 6.0, 15.0}) {
        const double h = 1e-6 * Angstrom;
        const double slope =
            (ImagePotential(q, (z * Angstrom) + h) - ImagePotential(q, (z * Angstrom) - h)) / (2 * h);
        const double f = ImageForce(q, z * Angstrom);
        EXPECT_NEAR(f, -slope, 1e-6 * std::fabs(f)) << z << " A";
        EXPECT_LT(f, 0.0) << "attracted towards the plane at " << z << " A";
    }
    // Far away: the classical image energy -e^2 / (4 (z - z0)).
    const double far = 1000 * Angstrom;
    EXPECT_NEAR(ImagePotential(q, far + q.ImageDistance), -K / (4 * far), 1e-6 * K / (4 * far));
}

TEST(ImagePotential, NoForceAtOrBelowThePlaneAndTheBranchesMeet) {
    const InelasticParameters q = ImageParameters();
    EXPECT_EQ(ImageForce(q, q.ImageDistance), 0.0);
    EXPECT_EQ(ImageForce(q, q.ImageDistance - 2 * Angstrom), 0.0);
    EXPECT_EQ(ImagePotential(q, q.ImageDistance), -4.0 * Ev);
    EXPECT_EQ(ImagePotential(q, -50 * Angstrom), -4.0 * Ev);
    EXPECT_NEAR(ImagePotential(q, q.ImageDistance + 1e-9 * Angstrom), -4.0 * Ev, 1e-9 * Ev);
    // Just above the plane the force is small: it rises from 0 smoothly.
    EXPECT_LT(std::fabs(ImageForce(q, q.ImageDistance + 1e-6 * Angstrom)), 1e-3 * Ev / Angstrom);
}

}  // namespace
}  // namespace vantrel
