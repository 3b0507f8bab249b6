// The rebuild driver: its housekeeping, the overflow's messages and the
// options it passes to the searches (the searches are tested in core).
#include "job/partner_lists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "tests/support/recording_ui.h"

namespace vantrel {
namespace {

using testing::RecordingUserInterface;
using testing::UiCall;
using Point = std::array<double, 3>;  // m

constexpr double A = MetresPerAngstrom;

// One job's worth of state around a set of positions.
struct ListJob {
    RecordingUserInterface ui;
    ProgramContext program{ui};
    SimulationState s{program};
    TrajectoryState t;

    ListJob(const std::vector<Point>& points, std::int32_t maxPartners, double radius,
            bool bruteForce) {
        program.Options.NeighbourSearch = bruteForce;
        const auto n = static_cast<std::int32_t>(points.size()) - 1;
        AllocateParticleTable(s, n);
        AllocateMassAndAtomicNumber(s);
        AllocatePartnerLists(s, maxPartners);
        Place(points);
        s.ListRadius = radius;
        s.ListRadiusSq = radius * radius;
    }

    void Place(const std::vector<Point>& points) {
        for (std::size_t i = 0; i < points.size(); ++i) {
            s.Particles.X[i] = points[i][0];
            s.Particles.Y[i] = points[i][1];
            s.Particles.Z[i] = points[i][2];
        }
    }

    std::vector<std::int32_t> List(std::int32_t i) const {
        const PartnerLists& lists = s.Partners;
        return {lists.Index.begin() + lists.Start[i], lists.Index.begin() + lists.Start[i + 1]};
    }
};

// Particle 0 with `partners` neighbours that are all within 3 A of each
// other, and a far pair (the last two particles).
std::vector<Point> Cluster(int partners) {
    std::vector<Point> points{{0, 0, 0}};
    for (int k = 0; k < partners; ++k)
        points.push_back({0.3 * A * std::cos(k), 0.3 * A * std::sin(k), 0.1 * A * k});
    points.push_back({-20 * A, -20 * A, -20 * A});
    points.push_back({-21 * A, -20 * A, -20 * A});
    return points;
}

std::vector<UiCall> Calls(const RecordingUserInterface& ui) {
    std::vector<UiCall> calls;
    for (const auto& e : ui.Events) calls.push_back(e.Call);
    return calls;
}

// ---------------------------------------------------------------------------
// Overflow.

struct Method {
    bool BruteForce;
    const char* Text;
};

class Overflow : public ::testing::TestWithParam<Method> {};

TEST_P(Overflow, MaxPartnersMinusOnePartnersAreAcceptedSilently) {
    ListJob job(Cluster(4), 5, 3 * A, GetParam().BruteForce);
    EXPECT_TRUE(RebuildPartnerLists(job.s, job.t));
    EXPECT_EQ(job.s.MaxPartnersUsed, 4);
    EXPECT_TRUE(job.ui.Texts(UiCall::ErrorBox).empty());
    EXPECT_TRUE(job.ui.LogTexts().empty());
    EXPECT_FALSE(job.program.AbortNow);
    EXPECT_FALSE(job.program.AbortRequested);
    EXPECT_TRUE(job.t.ContinueJob);
}

TEST_P(Overflow, OneMorePartnerEndsTheJobWithTheMethodsOwnTextThenTheRedLine) {
    const Method method = GetParam();
    ListJob job(Cluster(5), 5, 3 * A, method.BruteForce);
    EXPECT_FALSE(RebuildPartnerLists(job.s, job.t));

    EXPECT_TRUE(job.program.AbortNow);
    EXPECT_TRUE(job.program.AbortRequested);
    EXPECT_FALSE(job.t.ContinueJob);
    EXPECT_EQ(job.ui.Texts(UiCall::ErrorBox), std::vector<std::string>{method.Text});
    ASSERT_EQ(job.ui.LogEvents().size(), 1u);
    EXPECT_EQ(job.ui.LogEvents()[0].Text, "  Too many partners required: aborting.");
    EXPECT_EQ(job.ui.LogEvents()[0].Colour, ColourRed);
    // The modal box comes before the log line.
    const std::vector<UiCall> calls = Calls(job.ui);
    EXPECT_LT(std::find(calls.begin(), calls.end(), UiCall::ErrorBox),
              std::find(calls.begin(), calls.end(), UiCall::LogLine));
    EXPECT_EQ(job.List(0).size(), 4u);  // cut at MaxPartners - 1
    EXPECT_EQ(job.s.MaxPartnersUsed, 4);
}

INSTANTIATE_TEST_SUITE_P(
    BothMethods, Overflow,
    ::testing::Values(Method{true,
                             "Too many collision partners in system - aborting.\r"
                             "Increase \"No. of partners\" parameter in .RUN file,\r"
                             "or decrease the timestep (if feasible)."},
                      Method{false,
                             "Too many collision partners in system - aborting.\r"
                             "Increase 'No. of partners' parameter in .RUN file,\r"
                             "or decrease the timestep."}),
    [](const auto& info) { return info.param.BruteForce ? "BruteForce" : "CellIndex"; });

TEST(Rebuild, MaxPartnersUsedIsTheLargestListOfTheWholeJob) {
    ListJob job(Cluster(7), 50, 3 * A, false);
    ASSERT_TRUE(RebuildPartnerLists(job.s, job.t));
    EXPECT_EQ(job.s.MaxPartnersUsed, 7);
    // The cluster flies apart: fewer partners, the job's figure stays.
    std::vector<Point> apart;
    for (int k = 0; k < 10; ++k) apart.push_back({5.0 * k * A, 0, -5 * A});
    apart.back() = {5.0 * 8 * A, 2 * A, -5 * A};
    job.Place(apart);
    ASSERT_TRUE(RebuildPartnerLists(job.s, job.t));
    EXPECT_EQ(job.List(8).size(), 1u);
    EXPECT_EQ(job.List(0).size(), 0u);
    EXPECT_EQ(job.s.MaxPartnersUsed, 7);
}

// IgnoreTargetForces reaches the brute-force search only.
TEST(Rebuild, IgnoreTargetForcesEmptiesTheTargetListsOfTheBruteForceSearchOnly) {
    for (const bool bruteForce : {true, false}) {
        ListJob job(Cluster(6), 50, 3 * A, bruteForce);
        job.program.Options.IgnoreTargetForces = true;
        ASSERT_TRUE(RebuildPartnerLists(job.s, job.t));
        EXPECT_EQ(job.List(0).size(), 6u);
        EXPECT_EQ(job.List(1).empty(), bruteForce) << (bruteForce ? "brute force" : "cell index");
    }
}

// The Options menu stays usable while a job runs: the cell-index search,
// chosen after a brute-force job sized its arrays, still finds its grid.
TEST(Rebuild, CellIndexSearchChosenDuringABruteForceJobGetsItsGrid) {
    ListJob job(Cluster(3), 10, 3 * A, true);
    ASSERT_TRUE(job.s.Cells.Head.empty());
    job.program.Options.NeighbourSearch = false;
    ASSERT_TRUE(RebuildPartnerLists(job.s, job.t));
    EXPECT_EQ(job.List(0).size(), 3u);
    EXPECT_EQ(job.s.Cells.Head.size(), static_cast<std::size_t>(CellGridSlots));
}

// The searches read R^2: both radius drivers keep it with R.
TEST(ListRadius, IsStoredWithItsSquare) {
    ListJob job(Cluster(1), 10, 10 * A, true);
    job.s.Model.CutoffRadius = 7 * A;
    job.s.Run.PartnerUpdateInterval = 11;
    SetInitialListRadius(job.s, 2e4, 1e-15);  // 2e4 m/s * 1 fs * 10 = 2 A
    EXPECT_DOUBLE_EQ(job.s.ListRadius, 9 * A);
    EXPECT_EQ(job.s.ListRadiusSq, job.s.ListRadius * job.s.ListRadius);
    job.t.FastestSpeed = 1e4;
    job.t.Timestep = 1e-15;
    UpdateListRadius(job.s, job.t);
    EXPECT_LT(job.s.ListRadius, 9 * A);
    EXPECT_EQ(job.s.ListRadiusSq, job.s.ListRadius * job.s.ListRadius);
}

// ---------------------------------------------------------------------------
// Housekeeping at every rebuild.

class Housekeeping : public ::testing::TestWithParam<bool> {};

TEST_P(Housekeeping, ReportsProgressAndPumpsEventsAtTheMethodsOwnPoint) {
    const bool brute = GetParam();
    ListJob job(Cluster(3), 10, 3 * A, brute);
    job.t.StepCount = 30;
    job.t.Time = 2.0e-14;
    ASSERT_TRUE(RebuildPartnerLists(job.s, job.t));
    const std::vector<UiCall> expected =
        brute ? std::vector<UiCall>{UiCall::ProcessEvents, UiCall::Status, UiCall::Progress, UiCall::PlotUpdate}
              : std::vector<UiCall>{UiCall::Status, UiCall::Progress, UiCall::PlotUpdate, UiCall::ProcessEvents};
    EXPECT_EQ(Calls(job.ui), expected);
    EXPECT_EQ(job.ui.Texts(UiCall::Status), std::vector<std::string>{"Timesteps: 30 (20.00 fs)"});
    EXPECT_EQ(job.program.Plot.Time, static_cast<float>(2.0e-14));
    EXPECT_EQ(job.ui.Events[brute ? 3 : 2].PlotTime, static_cast<float>(2.0e-14));
    EXPECT_EQ(job.List(0).size(), 3u);
}

TEST_P(Housekeeping, ConfirmedAbortEndsTheJobWithoutRebuilding) {
    ListJob job(Cluster(3), 10, 3 * A, GetParam());
    job.program.AbortRequested = true;
    job.ui.Answers = {true};
    EXPECT_FALSE(RebuildPartnerLists(job.s, job.t));

    ASSERT_EQ(job.ui.Events.size(), 2u);
    EXPECT_EQ(job.ui.Events[0].Call, UiCall::Question);
    EXPECT_EQ(job.ui.Events[0].Text, "Do you really wish to abort the simulation?");
    EXPECT_EQ(job.ui.Events[0].Kind, QuestionKind::Confirmation);
    EXPECT_TRUE(job.ui.HasLogLine("  Aborting simulation after next cycle...", ColourRed));
    EXPECT_TRUE(job.program.AbortNow);
    EXPECT_FALSE(job.program.AbortRequested);
    EXPECT_FALSE(job.t.ContinueJob);
    EXPECT_EQ(job.s.Partners.Index.size(), 0u);  // not rebuilt
}

TEST_P(Housekeeping, DecliningClearsBothFlagsWhateverSetThemAndRebuilds) {
    ListJob job(Cluster(3), 10, 3 * A, GetParam());
    job.program.AbortRequested = true;
    job.program.AbortNow = true;  // Step pressed before Cancel
    job.ui.Answers = {false};
    EXPECT_TRUE(RebuildPartnerLists(job.s, job.t));
    EXPECT_FALSE(job.program.AbortNow);
    EXPECT_FALSE(job.program.AbortRequested);
    EXPECT_TRUE(job.t.ContinueJob);
    EXPECT_TRUE(job.ui.LogTexts().empty());
    EXPECT_EQ(job.List(0).size(), 3u);
    EXPECT_EQ(job.ui.Texts(UiCall::Status).size(), 1u);
}

TEST_P(Housekeeping, StepPressedWhileEventsArePumpedSkipsTheRebuild) {
    ListJob job(Cluster(3), 10, 3 * A, GetParam());
    job.ui.OnProcessEvents = [&] { job.program.AbortNow = true; };
    EXPECT_FALSE(RebuildPartnerLists(job.s, job.t));
    EXPECT_EQ(job.s.Partners.Index.size(), 0u);
    EXPECT_TRUE(job.t.ContinueJob);  // only this trajectory ends
    EXPECT_EQ(job.ui.Texts(UiCall::Status).size(), 1u);
    EXPECT_TRUE(job.ui.Texts(UiCall::ErrorBox).empty());
}

TEST_P(Housekeeping, CancelPressedWhileEventsArePumpedIsAskedAtTheNextRebuild) {
    ListJob job(Cluster(3), 10, 3 * A, GetParam());
    job.ui.OnProcessEvents = [&] { job.program.AbortRequested = true; };
    EXPECT_TRUE(RebuildPartnerLists(job.s, job.t));
    EXPECT_TRUE(job.ui.Texts(UiCall::Question).empty());
    job.ui.OnProcessEvents = nullptr;
    job.ui.Answers = {true};
    EXPECT_FALSE(RebuildPartnerLists(job.s, job.t));
    EXPECT_EQ(job.ui.Texts(UiCall::Question).size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(BothMethods, Housekeeping, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "BruteForce" : "CellIndex"; });

}  // namespace
}  // namespace vantrel
