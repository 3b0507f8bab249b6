// The force drivers: the step version's faults become their messages, in
// order, once per step, and leave the floating-point flags as they found
// them; the initial version tells the user nothing.  (The kernels' physics
// and fault guards are tested in core.)
#include "job/forces.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <string>
#include <vector>

#include "job/verlet.h"
#include "tests/support/small_job.h"

namespace vantrel {
namespace {

using testing::SmallJob;
using testing::SmallJobSpec;
using testing::UiCall;

TEST(ForceMessages, EachStepShowsTheFaultedPassesInOrder) {
    struct Case {
        const char* Name;
        bool NotANumber;  // a coordinate that is not a number; else two atoms on one spot
        std::vector<std::string> PerStep;
    };
    const Case cases[] = {
        {"coincident atoms", false, {ForceErrorText}},
        {"coordinate not a number", true, {RhoSumErrorText, ForceErrorText}},
    };
    for (const Case& c : cases) {
        SmallJobSpec spec;
        if (c.NotANumber) {
            spec.Crystal.Cells = {2, 2, 2};
        } else {
            // Alone, with the projectile far above: the pair faults in every
            // step, neither atom gets a force, so they stay together.
            spec.Atoms = {{0, 0, 0, 29, 63.546, 0}, {0, 0, 0, 29, 63.546, 0}};
            spec.Impact = {0.0, 0.0, 20.0};
        }
        SmallJob job;
        ASSERT_TRUE(job.SetUp(spec)) << c.Name;
        if (c.NotANumber) {
            EvaluateInitialForces(job.State);
            job.State.Particles.Y[12] = std::nan("");
        }
        std::feclearexcept(FE_ALL_EXCEPT);
        std::feraiseexcept(FE_INEXACT);  // raised before: stays
        job.Ui.Clear();
        std::vector<std::string> expected;
        for (int step = 1; step <= 2; ++step) {
            VerletStep(job.State, job.Trajectory);
            expected.insert(expected.end(), c.PerStep.begin(), c.PerStep.end());
            ASSERT_EQ(job.Ui.Texts(UiCall::ErrorBox), expected) << c.Name << ", step " << step;
        }
        EXPECT_EQ(job.Ui.Events.size(), expected.size()) << c.Name;
        EXPECT_EQ(std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW), 0) << c.Name;
        EXPECT_NE(std::fetestexcept(FE_INEXACT), 0) << c.Name;
    }
}

TEST(ForceMessages, InitialEvaluationShowsNothingAndLeavesItsFaultsRaised) {
    SmallJob job;
    ASSERT_TRUE(job.SetUp(SmallJobSpec{}));
    job.State.Particles.X[4] = std::nan("");
    std::feclearexcept(FE_ALL_EXCEPT);
    job.Ui.Clear();
    EvaluateInitialForces(job.State);
    EXPECT_NE(std::fetestexcept(FE_INVALID), 0);
    EXPECT_TRUE(job.Ui.Events.empty());
    std::feclearexcept(FE_ALL_EXCEPT);
}

}  // namespace
}  // namespace vantrel
