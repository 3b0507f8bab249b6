// The sample job files under tests/data/readers (also the fuzzers' seeds),
// read in the run driver's order with every inelastic model on.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "job/impact_file.h"
#include "job/inelastic_file.h"
#include "job/projectile_file.h"
#include "job/run_file.h"
#include "tests/support/coloured_log.h"
#include "tests/support/recording_ui.h"

namespace vantrel {
namespace {

std::string Sample(const char* name) { return std::string(VANTREL_TEST_DATA_DIR) + "/readers/" + name; }

TEST(ReaderSamples, SampleJobReadsInDriverOrderWithTheWholeSummary) {
    testing::RecordingUserInterface ui;
    ProgramContext program(ui);
    SimulationOptions& o = program.Options;
    o.UseLSS = o.UseOR = o.UseST = o.UseCooling = o.UseImagePotential = true;
    SimulationState s(program);

    ASSERT_TRUE(ReadInelasticFile(s, Sample("copper.inl")));
    ASSERT_TRUE(ReadProjectileFile(s, Sample("argon.prj")));
    ASSERT_TRUE(ReadRunFile(s, Sample("sputtering.run")));
    ui.Answers = {true};
    ASSERT_TRUE(PrintSimulationSummary(s, 2000));

    EXPECT_EQ(
        testing::ColouredLog(ui),
        (std::vector<std::string>{
            "black|  Cooling goal = 300.000K",
            "black|  Cooling period = 100.000fs",
            "black|  Cooling starts at 0.000fs",
            "black|  Cooling stops at 200.000fs",
            "black|  " + std::string(98, '-'),
            "black|  SIMULATION PARAMETERS",
            "blue|  Output: user-programmed = [KE > 10.0*EP] & [RZ > 5.0E-11]",
            "black|  Integration algorithm: Verlet",
            "blue|  Sampling periodically (every 200 timesteps) and at termination",
            "blue|  Projectile: 5.000 keV Ar+ (Z=18, mass=39.94800, altitude = 90.00, azimuth = "
            "0.00)",
            "magenta|  Number of atoms in target: 2000",
            "black|  General parameters: ",
            "black|   - Calculations will start with 0.1000 fs timestep",
            "black|   - Time before termination tests begin: 50.00 fs",
            "black|   - Time before compulsory termination: 500.00 fs",
            "black|   - Max. No. of collision partners = 200",
            "black|   - Including inelastic effects: LSS, OR, ST, cooling, model(s) ",
            "black|   - Using image potential effects",
            "black| ",
            "blue|  ==> Ready to run calculations in earnest.",
        }));
    EXPECT_EQ(ui.Texts(testing::UiCall::Question),
              (std::vector<std::string>{"Proceed with simulation now?"}));

    EXPECT_EQ(s.Projectile.FlagWord, 32);  // ImageCharge
    EXPECT_EQ(s.Output.Selection.Text, "[KE > 10.0*EP] & [RZ > 5.0E-11]");
    EXPECT_EQ(s.Inelastic.LssCount, 2);
    EXPECT_EQ(s.Inelastic.OrTable[1].AtomicNumber, 522);  // 18 x 29
    EXPECT_DOUBLE_EQ(program.OrRadiusSquare, 1.8e-10 * 1.8e-10);
    EXPECT_DOUBLE_EQ(program.StRadiusSquare, 1.7e-10 * 1.7e-10);

    // RunOffset 3 of a five-line impact file: the points of lines 4 and 5.
    ImpactFile impact;
    ASSERT_TRUE(OpenImpactFile(s, impact, Sample("grid.imp")));
    impact.SkipLines(3);
    std::vector<double> x;
    do {
        ImpactPoint p;
        ASSERT_TRUE(impact.ReadPoint(p));
        EXPECT_EQ(p.StartHeight, 10.0);
        x.push_back(p.DeltaX);
    } while (!impact.AtEnd());
    EXPECT_EQ(x, (std::vector<double>{1.5, 2.0}));
}

}  // namespace
}  // namespace vantrel
