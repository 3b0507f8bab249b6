// The drivers of the optional models: what the user is told, in which order,
// and what goes to the events file.  (The models' physics is tested in core.)
#include "job/inelastic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/job/pair_job.h"
#include "tests/support/coloured_log.h"
#include "tests/support/temp_dir.h"

namespace vantrel {
namespace {

using testing::Angstrom;
using testing::Ev;
using testing::PairJob;
using testing::UiCall;

constexpr int Faults = FE_INVALID | FE_OVERFLOW | FE_DIVBYZERO;

// Particle 0 at the origin with partners at 1.0 and 2.1 A (both within the
// capture radius), the lists of two records each.
TEST(InelasticListDrivers, AFullListShowsTheModelsMessageAtEveryRefusalAndAsksForAnAbort) {
    struct Case {
        bool Or;
        const char* Text;
    };
    for (const Case& c : {Case{true, "FOR routine: You must abort, and increase \"No of Partners\" in Run file."},
                          Case{false, "FST routine: You must abort, and increase \"No of Partners\" in Run file."}}) {
        PairJob job(3);
        job.Place(1, 1.0, 0, 0);
        job.Place(2, 0, 2.1, 0);
        job.Place(3, -1.8, 0, 0);
        job.T.FastestSpeed = 2e4;
        job.T.Timestep = 1e-16;
        job.S.Partners.MaxPartners = 2;
        auto update = [&] { c.Or ? UpdateOrPartners(job.S, job.T) : UpdateStPartners(job.S, job.T); };
        update();
        EXPECT_TRUE(job.Program.AbortRequested);
        EXPECT_EQ(job.Ui.Texts(UiCall::ErrorBox), std::vector<std::string>{c.Text});
        job.Program.AbortRequested = false;
        update();
        EXPECT_EQ(job.Ui.Texts(UiCall::ErrorBox), (std::vector<std::string>{c.Text, c.Text}));
        EXPECT_TRUE(job.Program.AbortRequested);
        EXPECT_FALSE(job.Program.AbortNow);
        EXPECT_EQ(job.Ui.LogTexts().size(), 0u);
    }
}

// The Options menu stays usable while a job runs: a model switched on then
// has no lists, and its drivers leave it alone.
TEST(InelasticListDrivers, ListsTheJobDidNotAllocateAreLeftAlone) {
    PairJob job(2, false, false);
    job.Place(1, 1, 0, 0);
    UpdateOrPartners(job.S, job.T);
    UpdateStPartners(job.S, job.T);
    ApplyOrEvents(job.S, 1e-16);
    ApplyStEvents(job.S, 1e-16);
    EXPECT_TRUE(job.S.OrPartners.empty());
    EXPECT_TRUE(job.S.StPartners.empty());
    EXPECT_TRUE(job.Ui.Events.empty());

    // Allocated lists are emptied at the start of a trajectory.
    PairJob full(2);
    full.Place(1, 1, 0, 0);
    UpdateOrPartners(full.S, full.T);
    ASSERT_FALSE(full.S.OrPartners[0].empty());
    EmptyInelasticPartnerLists(full.S);
    EXPECT_TRUE(full.S.OrPartners[0].empty());
}

// An OR pair receding from 0.9 A fires through the driver: one line in the
// log and one in the events file, each the event's.
TEST(CollisionDrivers, AnEventGoesOnceToTheLogAndTheEventsFile) {
    PairJob job(1, true, false);
    testing::TempDir dir;
    const std::string path = dir.File("events.dat");
    job.S.Output.Files.InelasticEvents.Handle.reset(std::fopen(path.c_str(), "w"));
    job.Program.Options.StoreInelastic = true;
    job.S.RunCounter = 1;
    job.Place(1, 0.6, 0.8, 0.2);
    job.Move(0, 4e4, -1e4, 0);
    job.S.Inelastic.OrScreeningCoefficient = 0.3;
    job.S.Inelastic.OrCount = 1;
    job.S.Inelastic.OrTable[0] = {522, 2e-43};
    job.S.OrPartners[0].push_back({1, 0.81 * Angstrom * Angstrom, false});
    ApplyOrEvents(job.S, 1e-16);
    ASSERT_EQ(job.S.CollisionWork.Events.size(), 1u);
    const CollisionEvent& event = job.S.CollisionWork.Events[0];
    EXPECT_EQ(event.EnergyChange, job.S.OrLoss);
    EXPECT_EQ(testing::ColouredLog(job.Ui), std::vector<std::string>{"darkred|" + EventLogText(event)});
    job.S.Output.Files.InelasticEvents.Handle.reset();
    const std::string file = testing::ReadFileBytes(path);
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 1) << file;
    EXPECT_EQ(file.substr(0, 15), "    1    0    1") << file;
}

// The coincident pair's box and the events come in the order the pass met them.
TEST(CollisionDrivers, ACoincidentPairsBoxComesInItsPlaceAmongTheEvents) {
    PairJob job(3, true, false);
    job.Place(2, 50.0, 0, 0);
    job.Place(3, 51.0, 0, 0);
    job.S.Inelastic.OrScreeningCoefficient = 0.3;
    job.S.Inelastic.OrCount = 2;
    job.S.Inelastic.OrTable[0] = {522, 2e-43};
    job.S.Inelastic.OrTable[1] = {841, 2e-43};
    job.S.OrPartners[0].push_back({1, 0.0, false});
    job.S.OrPartners[2].push_back({3, 0.81 * Angstrom * Angstrom, false});
    ApplyOrEvents(job.S, 1e-16);
    ASSERT_EQ(job.Ui.Events.size(), 2u);
    EXPECT_EQ(job.Ui.Events[0].Call, UiCall::ErrorBox);
    EXPECT_EQ(job.Ui.Events[0].Text, "Error in var \"rthis\" in OR routine");
    EXPECT_EQ(job.Ui.Events[1].Call, UiCall::LogLine);
    EXPECT_EQ(job.Ui.Events[1].Text.substr(0, 34), "  OR event, particles: 2 and 3, dE");
}

TEST(ModelDrivers, AFaultShowsItsPassesMessageAndLeavesNoFlagRaised) {
    struct Case {
        const char* Name;
        const char* Text;
    };
    const Case cases[] = {{"ST", "Math error in ST routine."},
                          {"OR", "Math error in OR routine."},
                          {"LSS", "Math error in LSS routine."},
                          {"cooling", "Math error in cooling routine."}};
    for (const Case& c : cases) {
        PairJob job(2);
        const std::string name = c.Name;
        job.Place(1, 0.8, 0, 0);
        job.Place(2, 0, 1.0, 0);
        job.Move(0, 1e5, 0, 0);
        InelasticParameters& q = job.S.Inelastic;
        if (name == "ST") {
            // A radial energy of 1 J in quanta of 1e-310 J overflows.
            q.StCount = 1;
            q.StTable[0] = {522, 1e-310, 1.0 * Angstrom, 3, 0.5};
            StPartnerRecord record;
            record.Partner = 1;
            record.LastDistSq = 0.5 * Angstrom * Angstrom;
            record.Inside = true;
            record.RadialEnergy = 1.0;
            job.S.StPartners[0].push_back(record);
            ApplyStEvents(job.S, 1e-16);
        } else if (name == "OR") {
            q.OrScreeningCoefficient = -1e4;  // exp(-beta R) overflows
            q.OrCount = 1;
            q.OrTable[0] = {522, 2e-43};
            job.S.OrPartners[0].push_back({1, 0.5 * Angstrom * Angstrom, false});
            ApplyOrEvents(job.S, 1e-16);
        } else if (name == "LSS") {
            q.LssCount = 1;
            q.LssTable[0] = {18, 1e-6};  // the projectile stopped dead and more
            ApplyLssLoss(job.S, job.S.Zone, 1e-17);
        } else {
            q.CoolingGoal = 300;
            q.CoolingPeriod = 0;
            ApplyCooling(job.S, job.S.Zone);
        }
        EXPECT_EQ(job.Ui.Texts(UiCall::ErrorBox), std::vector<std::string>{c.Text}) << c.Name;
        EXPECT_EQ(job.Ui.Events.size(), 1u) << c.Name;
        EXPECT_EQ(std::fetestexcept(Faults), 0) << c.Name;
    }
}

TEST(CoolingDriver, ReportsTheTemperatureOnceEveryIntervalPlusOneMeasurementsAcrossJobs) {
    PairJob job(0, false, false);
    job.Program.Options.Verbose = true;
    job.S.Run.PartnerUpdateInterval = 3;
    job.S.Inelastic.CoolingGoal = 0;  // report only
    // One particle: T = m v^2 / 3 k_B = 1234.5 K.
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

    // Silent without Verbose, and the counter stands still; so it does while
    // nothing moves.
    job.Program.Options.Verbose = false;
    job.Ui.Clear();
    const std::int32_t counter = job.Program.CoolingReportCounter;
    for (int call = 0; call < 10; ++call) ApplyCooling(job.S, job.S.Zone);
    job.Program.Options.Verbose = true;
    job.Move(0, 0, 0, 0);
    for (int call = 0; call < 10; ++call) ApplyCooling(job.S, job.S.Zone);
    EXPECT_TRUE(job.Ui.Events.empty());
    EXPECT_EQ(job.Program.CoolingReportCounter, counter);
}

// ---------------------------------------------------------------------------
// The event's lines.

CollisionEvent SampleEvent(EventKind kind) {
    CollisionEvent e;
    e.Kind = kind;
    e.First = 3;
    e.Second = 17;
    e.EnergyChange = -0.0123456 / EvPerJoule;
    e.ClosestApproach = 0.91234 * Angstrom;
    e.DistanceBefore = 1.23456789 * Angstrom;
    e.DistanceAfter = 1.25 * Angstrom;
    e.MeanHeight = -3.75 * Angstrom;
    e.Timestep = 0.125e-15;
    e.RelativeEnergy = 512.25 / EvPerJoule;
    e.Excitations = kind == EventKind::ShapiroTombrello ? 2 : 0;
    return e;
}

TEST(CollisionEventReport, LogLineNamesThePairTheLossAndBothDistances) {
    EXPECT_EQ(EventLogText(SampleEvent(EventKind::OenRobinson)),
              "  OR event, particles: 3 and 17, dE = -0.01234 eV, R(old) = 1.234567 A, "
              "R(new) = 1.250000 A");
    EXPECT_EQ(EventLogText(SampleEvent(EventKind::ShapiroTombrello)),
              "  ST event, particles: 3 and 17, dE = -0.01234 eV, R(old) = 1.234567 A, "
              "R(new) = 1.250000 A");
}

TEST(CollisionEventReport, GoesToTheFileAndTheLogAsTheOptionsSay) {
    struct Case {
        bool Verbose, ReportInelastic, StoreInelastic, FileOpen;
        bool LogExpected, LineExpected;
    };
    const Case cases[] = {
        {true, true, true, true, true, true},     {false, true, true, true, false, true},
        {true, false, true, true, false, true},   {true, true, false, true, true, false},
        {true, true, true, false, true, false},
    };
    for (const Case& c : cases) {
        PairJob job(1);
        testing::TempDir dir;
        job.S.RunCounter = 4;
        job.S.RunOffsetCopy = 10;
        SimulationOptions& o = job.Program.Options;
        o.Verbose = c.Verbose;
        o.ReportInelastic = c.ReportInelastic;
        o.StoreInelastic = c.StoreInelastic;
        const std::string path = dir.File("events.dat");
        if (c.FileOpen) job.S.Output.Files.InelasticEvents.Handle.reset(std::fopen(path.c_str(), "w"));
        ReportCollisionEvent(job.S, SampleEvent(EventKind::ShapiroTombrello));
        job.S.Output.Files.InelasticEvents.Handle.reset();
        const std::vector<std::string> log = testing::ColouredLog(job.Ui);
        if (c.LogExpected) {
            ASSERT_EQ(log.size(), 1u);
            EXPECT_EQ(log[0], "darkred|" + EventLogText(SampleEvent(EventKind::ShapiroTombrello)));
        } else {
            EXPECT_TRUE(log.empty());
        }
        const std::string file = testing::ReadFileBytes(path);
        if (c.LineExpected)
            EXPECT_EQ(file,
                      "   14    3   17    -0.012  0.91234  1.25000 -3.75000    0.1250    512.250 1  2\n");
        else
            EXPECT_EQ(file, "");
        EXPECT_TRUE(job.Ui.Texts(testing::UiCall::ErrorBox).empty());
    }
}

}  // namespace
}  // namespace vantrel
