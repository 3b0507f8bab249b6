// The example job examples/inelastic/ar_cu100_inel.*: every file reads, and
// the inelastic parameters are the ones docs/inelastic.md derives.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "core/collision_events.h"
#include "job/inelastic.h"
#include "job/impact_file.h"
#include "job/inelastic_file.h"
#include "job/projectile_file.h"
#include "job/run_file.h"
#include "job/target_file.h"
#include "core/options.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_job.h"
#include "io/config_file.h"

namespace vantrel {
namespace {

const std::string ExampleDir = std::string(VANTREL_SOURCE_DIR) + "/examples/inelastic/";

std::string ExampleFile(const char* extension) { return ExampleDir + "ar_cu100_inel." + extension; }

// Lindhard-Scharff electronic stopping cross-section of Z1 moving in Z2 at
// speed v (eV A^2): 8 pi e^2 a0 Z1^(7/6) Z2 / (Z1^(2/3) + Z2^(2/3))^(3/2) v / v0.
double LindhardScharff(double z1, double z2, double v) {
    const double e2 = 14.39964;    // eV A
    const double a0 = 0.5291772;   // A
    const double v0 = 2.1876913e6;  // m/s
    return 8 * std::numbers::pi * e2 * a0 * std::pow(z1, 7.0 / 6) * z2 /
           std::pow(std::pow(z1, 2.0 / 3) + std::pow(z2, 2.0 / 3), 1.5) * v / v0;
}

// The job as the run driver opens it: options, inelastic file, target count,
// projectile and run file, arrays, first run's target set-up.
struct ExampleJob : testing::TestJob {
    bool Open() {
        OptionsRecord record{};
        if (!ReadOptionsRecord(ExampleFile("cfg"), record)) return false;
        Program.Options = DecodeOptions(record);
        Program.RandomSeed = 4711;
        Program.Options.NeighbourSearch = false;
        State.Inputs.Target = ExampleFile("trg");
        State.Inputs.Model = ExampleDir + "../models/cu_sutton_chen.mdl";
        if (!ReadInelasticFile(State, ExampleFile("inl"))) return false;
        const std::int32_t n = CountTargetAtoms(State, State.Inputs.Target);
        if (n < 1) return false;
        if (!ReadProjectileFile(State, ExampleFile("prj"))) return false;
        if (!ReadRunFile(State, ExampleFile("run"))) return false;
        Allocate(n);
        State.Particles.InitialFlags[0] = static_cast<std::uint32_t>(State.Projectile.FlagWord);
        AllocatePartnerLists(State, State.Run.MaxPartners);
        ImpactFile impacts;
        if (!impacts.Open(ExampleFile("imp")) || !impacts.ReadPoint(State.Impact)) return false;
        State.RunCounter = 1;
        return SetUpTarget(State);
    }
};

TEST(InelasticExample, EveryFileOfTheJobReads) {
    ExampleJob job;
    ASSERT_TRUE(job.Open()) << job.Ui.LogText();
    const SimulationOptions& o = job.Program.Options;
    EXPECT_TRUE(o.UseLSS);
    EXPECT_TRUE(o.UseOR);
    EXPECT_TRUE(o.StoreInelastic);
    EXPECT_FALSE(o.UseST);
    EXPECT_FALSE(o.UseCooling);
    EXPECT_FALSE(o.UseImagePotential);
    EXPECT_EQ(o.Algorithm, 3);
    EXPECT_EQ(job.State.Particles.AtomCount, 720);
    EXPECT_EQ(job.State.Projectile.AtomicNumber, 18);
    EXPECT_DOUBLE_EQ(job.State.Projectile.Energy, 3.0);
    EXPECT_EQ(job.State.Run.MaxPartners, 400);
    EXPECT_FALSE(job.State.BinaryTarget);
    EXPECT_TRUE(job.Ui.Texts(testing::UiCall::ErrorBox).empty());
    ImpactFile impacts;
    ASSERT_TRUE(impacts.Open(ExampleFile("imp")));
    int points = 0;
    ImpactPoint point;
    while (!impacts.AtEnd() && impacts.ReadPoint(point)) ++points;
    EXPECT_EQ(points, 3);
}

TEST(InelasticExample, CoefficientsAreTheLindhardScharffStoppingOfArAndCuInCopper) {
    ExampleJob job;
    ASSERT_TRUE(job.Open()) << job.Ui.LogText();
    const InelasticParameters& q = job.State.Inelastic;
    const double density = 4 / std::pow(3.61, 3);  // Cu atoms per A^3
    // LSS: k v is the stopping power; in eV/A at 100 km/s it is N S_e.
    for (int z : {18, 29}) {
        const double k = LssCoefficientOf(q, z);
        const double eVPerAngstrom = k * 1e5 / 1.602192e-19 * 1e-10;
        EXPECT_NEAR(eVPerAngstrom, density * LindhardScharff(z, 29, 1e5),
                    1e-3 * eVPerAngstrom) << "Z " << z;
    }
    // OR: 2 pi k v is the stopping cross-section (J m^2).
    for (int z : {18, 29}) {
        const double k = OrCoefficientOf(q, z * 29);
        const double crossSection = 2 * std::numbers::pi * k * 1e5 / 1.602192e-19 * 1e20;  // eV A^2
        EXPECT_NEAR(crossSection, LindhardScharff(z, 29, 1e5), 1e-3 * crossSection) << "Z " << z;
    }
    EXPECT_EQ(OrCoefficientOf(q, 29), 0.0);
    EXPECT_DOUBLE_EQ(q.OrScreeningCoefficient, 0.3);
    EXPECT_DOUBLE_EQ(job.Program.OrRadiusSquare, 4e-20);
    // The threshold is the speed of a 10 eV copper atom.
    const double copper = 63.546 * KilogramsPerAmu;
    EXPECT_NEAR(0.5 * copper * q.LssSpeedThreshold * q.LssSpeedThreshold / 1.602192e-19, 10.0, 0.05);
}

}  // namespace
}  // namespace vantrel
