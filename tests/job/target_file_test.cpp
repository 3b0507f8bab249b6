#include "job/target_file.h"

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/target_setup.h"
#include "io/model_file_writer.h"
#include "tests/support/test_job.h"

namespace vantrel {
namespace {

using testing::CopperModel;
using testing::TargetLine;
using testing::TestJob;
using testing::UiCall;

constexpr double Degree = std::numbers::pi / 180.0;

ModelFileDescription StaticCopper() {
    ModelFileDescription d = CopperModel();
    d.StaticLattice = 1;
    return d;
}

// A job with an Ar projectile at normal incidence, 10 A above atom 1.
struct TargetJob : TestJob {
    explicit TargetJob(const std::string& target,
                       const ModelFileDescription& model = StaticCopper()) {
        State.Inputs.Target = Dir.Write("target.trg", target);
        State.Inputs.Model = Dir.Write("model.mdl", ModelFileText(model));
        State.Projectile.AtomicNumber = 18;
        State.Projectile.ProjectileMass = 39.948;
        State.Projectile.FlagWord = ImageCharge;
        State.Run.Altitude = 90 * Degree;
        State.Run.Azimuth = 0;
        State.Impact = {0.0, 0.0, 10.0};
        Program.RandomSeed = 12345;
        Program.Options.NeighbourSearch = true;  // leave the cell edge alone unless asked
    }
    // What the run driver does: count, allocate, then one set-up per run.
    bool Run() {
        if (State.RunCounter == 0) {
            const std::int32_t n = CountTargetAtoms(State, State.Inputs.Target);
            if (n < 1) return false;
            Allocate(n);
            State.Particles.InitialFlags[0] = static_cast<std::uint32_t>(State.Projectile.FlagWord);
        }
        ++State.RunCounter;
        return SetUpTarget(State);
    }
    std::vector<std::string> Errors() const { return Ui.Texts(UiCall::ErrorBox); }
    const ParticleTable& P() const { return State.Particles; }
};

std::string CopperTarget(int atoms, const char* name = "Cu test") {
    std::string text;
    for (int i = 0; i < atoms; ++i)
        text += TargetLine(2.55 * (i % 4), 2.55 * (i / 4 % 4), -1.8 * (i / 16), 29, 63.546, 0,
                           i == 0 ? name : "");
    return text;
}

TEST(TargetFile, MoreThan200000AtomsAreCappedWithOneWarning) {
    std::string text = CopperTarget(200000);
    text += TargetLine(0, 0, 9, 30, 65.4, 1);  // line 200,001: ignored
    TargetJob job(text);
    ASSERT_TRUE(job.Run()) << job.Ui.LogText();
    EXPECT_EQ(job.P().AtomCount, 200000);
    EXPECT_EQ(
        job.Ui.Texts(UiCall::WarningBox),
        std::vector<std::string>{"Too many atoms in .TRG file (max. 200,000) - ignoring excess."});
    EXPECT_EQ(job.State.LastAtomicNumber, 30);
    EXPECT_EQ(job.P().AtomicNumber[200000], 29);  // the last atom read replaces the count's Z
    EXPECT_FALSE(job.State.BinaryTarget);
}

// Line 1's name, then the model file's lines as though read after atom 1,
// then the thermal line, then the error of a later line.
TEST(TargetFile, ModelLinesComeAfterTheNameAndBeforeALaterLinesError) {
    std::string text = CopperTarget(10, "Cu test");
    TargetJob good(text, CopperModel());
    good.Program.Options.Verbose = true;
    ASSERT_TRUE(good.Run());
    const std::vector<std::string> log = good.Ui.LogTexts();
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ(log[0], "  Target : Cu test");
    EXPECT_EQ(good.Ui.LogEvents()[0].Colour, ColourBlack);
    EXPECT_EQ(log[1], "  Sutton-Chen potential");
    EXPECT_EQ(log[log.size() - 3], "   - Testing all particles for termination energy");
    EXPECT_EQ(log[log.size() - 2], "  Getting thermal displacements...");
    EXPECT_EQ(log.back(), "  Detected elemental target");

    TargetJob bad(testing::ReplaceLine(text, 7, "0 0 -1.8 0 63.546 0"), CopperModel());
    bad.Program.Options.Verbose = true;
    EXPECT_FALSE(bad.Run());
    const std::vector<testing::UiEvent>& events = bad.Ui.Events;
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events[events.size() - 3].Text, "  Getting thermal displacements...");
    EXPECT_EQ(events[events.size() - 2].Call, UiCall::ErrorBox);
    EXPECT_EQ(events[events.size() - 2].Text,
              "File format or parameter size error in .TRG file at line 7 - aborting.");
    EXPECT_EQ(events.back().Text, "  Aborted during initialisation");
    EXPECT_EQ(events.back().Colour, ColourRed);
    EXPECT_TRUE(bad.Ui.HasLogLine("  Sutton-Chen potential"));

    // Line 1 unreadable: its box alone, no name, no model.
    TargetJob first(testing::ReplaceLine(text, 1, "0 0 zero 29 63.546 0 Cu"), CopperModel());
    EXPECT_FALSE(first.Run());
    EXPECT_EQ(first.Errors(),
              std::vector<std::string>{"File format error in .TRG file at line 1 - aborting."});
    EXPECT_EQ(first.Ui.LogTexts(), (std::vector<std::string>{"  target.trg, line 1, z: found \"zero\"",
                                                             "  Aborted during initialisation"}));
}

TEST(TargetFile, AtomsAndProjectileAreInTheParticleTable) {
    const std::string text = TargetLine(1.0, 2.0, 3.0, 29, 63.546, 8 | 32, "name") +
                             TargetLine(-1.5, 0.5, 1.0, 47, 107.87, 0) +
                             TargetLine(0, 0, -2, 29, 63.546, 2 | 64);
    TargetJob job(text);
    ASSERT_TRUE(job.Run());
    const ParticleTable& p = job.P();
    EXPECT_DOUBLE_EQ(p.SiteX[2], -1.5e-10);
    EXPECT_EQ(p.X[2], p.SiteX[2]);  // static lattice
    EXPECT_EQ(p.AtomicNumber[2], 47);
    EXPECT_DOUBLE_EQ(p.Mass[2], 107.87 * 1.66053e-27);
    EXPECT_DOUBLE_EQ(p.Mass[0], 39.948 * 1.66053e-27);
    EXPECT_EQ(p.AtomicNumber[0], 18);
    EXPECT_EQ(p.Flags[1], 40u);
    EXPECT_EQ(p.InitialFlags[3], 66u);
    EXPECT_EQ(p.Flags[0], static_cast<std::uint32_t>(ImageCharge));
}

TEST(TargetFile, SpeciesDetection) {
    const std::string elementalMixedZ = TargetLine(0, 0, 0, 29, 63.546, 0, "CuAg") +
                                        TargetLine(1, 0, 0, 47, 107.87, 0) +
                                        TargetLine(2, 0, 0, 47, 107.87, 0);
    const std::string binary = TargetLine(0, 0, 0, 29, 63.546, 0, "CuAg") +
                               TargetLine(1, 0, 0, 29, 63.546, 8) +
                               TargetLine(2, 0, 0, 47, 107.87, 1);
    const std::string firstB = TargetLine(0, 0, 0, 29, 63.546, 1, "bad") +
                               TargetLine(1, 0, 0, 29, 63.546, 0) +
                               TargetLine(2, 0, 0, 47, 107.87, 1);
    const std::string lastA = TargetLine(0, 0, 0, 29, 63.546, 0, "bad") +
                              TargetLine(1, 0, 0, 47, 107.87, 1) +
                              TargetLine(2, 0, 0, 29, 63.546, 0);
    struct Case {
        std::string Text;
        bool Elemental;
        bool Ok;
        bool Binary;
        std::string Line;
        std::string Error;
    };
    const Case cases[] = {
        {elementalMixedZ, false, true, false, "  Detected elemental target", ""},
        {binary, false, true, true, "  Detected binary target", ""},
        {binary, true, true, false, "  Assuming elemental target", ""},
        {firstB, false, false, true, "  Detected binary target",
         "Complex target: first atom in file must be flagged as type A!"},
        {lastA, false, false, true, "  Detected binary target",
         "Complex target: last atom in file must be flagged as type B!"},
    };
    for (const Case& c : cases) {
        TargetJob job(c.Text);
        job.Program.Options.ElementalTarget = c.Elemental;
        EXPECT_EQ(job.Run(), c.Ok) << c.Line << c.Error;
        EXPECT_EQ(job.State.BinaryTarget, c.Binary) << c.Line;
        EXPECT_TRUE(job.Ui.HasLogLine(c.Line, ColourMagenta)) << c.Line;
        EXPECT_FALSE(job.Ui.HasLogLine("  Aborted during initialisation"));
        if (c.Error.empty()) {
            EXPECT_TRUE(job.Errors().empty());
        } else {
            EXPECT_EQ(job.Errors(), std::vector<std::string>{c.Error});
        }
    }
}

TEST(TargetFile, BeamInTheSurfacePlaneIsRejected) {
    for (double altitude : {0.0, 180.0}) {
        TargetJob job(CopperTarget(4));
        job.State.Run.Altitude = altitude * Degree;
        EXPECT_FALSE(job.Run());
        EXPECT_EQ(
            job.Errors(),
            std::vector<std::string>{
                "Beam altitude of 0 or 180 degrees leaves the projectile's start undefined."});
        EXPECT_TRUE(job.Ui.HasLogLine("  Aborted during initialisation", ColourRed));
    }
}

// Atom 1 (A) and atom 2 (B) in the surface layer, atoms 3 (A) and 4 (B) in
// the bulk, 2 A below atom 1; every mean-square displacement different.
struct LayeredJob : TargetJob {
    LayeredJob()
        : TargetJob(TargetLine(0, 0, 0, 29, 63.546, 0, "layers") +
                        TargetLine(1.8, 0, -0.5, 29, 63.546, 1) +
                        TargetLine(0, 1.8, -2, 29, 63.546, 0) +
                        TargetLine(1.8, 1.8, -2, 29, 63.546, 1),
                    Model()) {}
    static ModelFileDescription Model() {
        ModelFileDescription d = CopperModel();
        d.MsdA = {0.01, 0.02, 0.03};
        d.MsdB = {0.04, 0.05, 0.06};
        return d;
    }
    // The displacements expected from a generator with the job's seed.
    void ExpectDisplacements(RandomGenerator& random, bool noY) {
        const double inPlane[5] = {0, 0.03, 0.06, 0.01, 0.04};
        const double normal[5] = {0, 0.02, 0.05, 0.01, 0.04};
        const ParticleTable& p = P();
        for (int i = 1; i <= 4; ++i) {
            const double x = ThermalDisplacementSample(random, inPlane[i]);
            const double y = noY ? 0.0 : ThermalDisplacementSample(random, inPlane[i]);
            const double z = ThermalDisplacementSample(random, normal[i]);
            EXPECT_EQ(p.X[i], p.SiteX[i] + x) << i;
            EXPECT_EQ(p.Y[i], p.SiteY[i] + y) << i;
            EXPECT_EQ(p.Z[i], p.SiteZ[i] + z) << i;
            EXPECT_NE(x, 0.0);
        }
    }
};

TEST(TargetFile, ThermalDisplacementsAreDrawnInOrderBySpeciesAndLayer) {
    for (bool noY : {false, true}) {
        LayeredJob job;
        job.Program.Options.NoYVibration = noY;
        ASSERT_TRUE(job.Run()) << job.Ui.LogText();
        RandomGenerator random;
        random.Seed(12345);
        job.ExpectDisplacements(random, noY);
        // The next run continues the same sequence from the lattice sites.
        ASSERT_TRUE(job.Run());
        job.ExpectDisplacements(random, noY);
        EXPECT_EQ(job.Program.Random.State, random.State);
        if (noY) {
            for (int i = 1; i <= 4; ++i) EXPECT_EQ(job.P().Y[i], job.P().SiteY[i]);
        }
    }
}

TEST(TargetFile, FixedSeedRepeatsAndClockSeedVaries) {
    const auto positions = [](std::int32_t seed) {
        LayeredJob job;
        job.Program.RandomSeed = seed;
        EXPECT_TRUE(job.Run());
        return std::vector<double>{job.P().X[1], job.P().Y[2], job.P().Z[3], job.P().X[4]};
    };
    EXPECT_EQ(positions(777), positions(777));
    EXPECT_NE(positions(777), positions(778));
    LayeredJob clock;
    clock.Program.RandomSeed = 0;
    ASSERT_TRUE(clock.Run());
    EXPECT_NE(clock.P().X[1], clock.P().SiteX[1]);
}

// The thermal line comes once per run, only when verbose and only when the
// lattice vibrates; a static lattice draws no random number at all.
TEST(TargetFile, ThermalLineAndDrawsFollowTheLattice) {
    struct Case {
        bool Static, Verbose;
        int Lines;
    };
    const Case cases[] = {{false, true, 2}, {false, false, 0}, {true, true, 0}};
    for (const Case& c : cases) {
        LayeredJob job;
        if (c.Static)
            job.State.Inputs.Model = job.Dir.Write("model.mdl", ModelFileText(StaticCopper()));
        job.Program.Options.Verbose = c.Verbose;
        ASSERT_TRUE(job.Run());
        ASSERT_TRUE(job.Run());
        int lines = 0;
        for (const testing::UiEvent& e : job.Ui.LogEvents())
            if (e.Text == "  Getting thermal displacements...") {
                ++lines;
                EXPECT_EQ(e.Colour, ColourBlue);
            }
        EXPECT_EQ(lines, c.Lines) << c.Static << c.Verbose;
        if (c.Static) {
            EXPECT_EQ(job.Program.Random.State, 12345u);  // seeded, never drawn
            for (int i = 1; i <= 4; ++i) EXPECT_EQ(job.P().X[i], job.P().SiteX[i]);
        }
    }
}

TEST(TargetFile, LaterRunsStartFromTheSitesAndInitialFlags) {
    TargetJob job(CopperTarget(6));
    ASSERT_TRUE(job.Run());
    ParticleTable& p = job.State.Particles;
    const std::size_t firstRunEvents = job.Ui.Events.size();
    // The run moves atoms and marks them; the file changes on disk.
    p.X[3] += 1e-9;
    p.Flags[3] |= Recorded | LeftSurface;
    p.Flags[0] |= Recorded;
    job.Dir.Write("target.trg", "garbage\r\n");
    job.State.Impact = {2.0, 3.0, 7.0};
    ASSERT_TRUE(job.Run());
    EXPECT_EQ(p.X[3], p.SiteX[3]);
    EXPECT_EQ(p.Flags[3], 0u);
    EXPECT_EQ(p.Flags[0], static_cast<std::uint32_t>(ImageCharge));
    EXPECT_NEAR(p.X[0], p.SiteX[1] + 2e-10, 1e-24);
    EXPECT_NEAR(p.Y[0], p.SiteY[1] + 3e-10, 1e-24);
    EXPECT_DOUBLE_EQ(p.Z[0], p.SiteZ[1] + 7e-10);
    // Neither file is read again, nothing is logged.
    EXPECT_EQ(job.Ui.Events.size(), firstRunEvents);
}

TEST(TargetFile, ModelIsReadAfterTheFirstAtomWithItsMassInAmu) {
    // Line 1 weighs 70 amu: the model's 63.546 differs, so the mass question
    // is asked; a No ends the set-up.
    std::string text =
        TargetLine(0, 0, 0, 29, 70.0, 0, "heavy") + TargetLine(1, 1, 0, 29, 63.546, 0);
    TargetJob job(text, CopperModel());
    job.Ui.DefaultAnswer = false;
    EXPECT_FALSE(job.Run());
    EXPECT_EQ(job.Ui.Texts(UiCall::Question),
              std::vector<std::string>{
                  "Masses given in TRG and MDL files differ significantly. Proceed anyway?"});
    EXPECT_TRUE(job.Ui.HasLogLine("  Aborted during initialisation", ColourRed));
    EXPECT_TRUE(job.Errors().empty());

    // The last atom's Z from the count reaches the model reader: Ar on a
    // target whose last atom is Ag (type B) gets an Ar-Ag screening length.
    text = TargetLine(0, 0, 0, 29, 63.546, 0, "CuAg") + TargetLine(1, 1, 0, 47, 107.87, 1);
    TargetJob binary(text);
    ASSERT_TRUE(binary.Run());
    EXPECT_DOUBLE_EQ(binary.State.Model.ProjectileScreeningLength[BB],
                     4.685e-11 / (std::pow(18.0, 0.23) + std::pow(47.0, 0.23)));
    EXPECT_TRUE(binary.State.BinaryTarget);
}

TEST(TargetFile, BruteForceSearchLeavesTheCellEdgeAlone) {
    for (bool bruteForce : {true, false}) {
        TargetJob job(CopperTarget(200));
        job.Program.Options.NeighbourSearch = bruteForce;
        job.State.Impact.StartHeight = 30.0;  // the grid must grow to reach the start
        ASSERT_TRUE(job.Run());
        EXPECT_EQ(job.State.CellEdge > 4e-10, !bruteForce);
        EXPECT_EQ(job.State.GridHalfWidth, bruteForce ? 0.0 : 12 * job.State.CellEdge);
    }
}

}  // namespace
}  // namespace vantrel
