#include "job/target_file.h"
#include "core/target_setup.h"

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include <gtest/gtest.h>

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
    explicit TargetJob(const std::string& target, const ModelFileDescription& model = StaticCopper()) {
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

TEST(TargetFile, CountsAtomLinesAndRemembersTheLastZ) {
    TestJob job;
    std::string text = TargetLine(0, 0, 0, 29, 63.5, 0, "first") + TargetLine(1, 1, 1, 47, 107.9, 1) +
                       "  \r\n\r\n";  // blank lines at the end are not atoms
    EXPECT_EQ(CountTargetAtoms(job.State, job.Dir.Write("a.trg", text)), 2);
    EXPECT_EQ(job.State.LastAtomicNumber, 47);
    // Values are not judged while counting.
    text = "1 2 3 29 63.5 0\r\nnot a number at all\r\n4 5 6 30\r\n";
    EXPECT_EQ(CountTargetAtoms(job.State, job.Dir.Write("b.trg", text)), 3);
    EXPECT_EQ(job.State.LastAtomicNumber, 30);
    EXPECT_EQ(CountTargetAtoms(job.State, job.Dir.Write("c.trg", "")), 0);
    EXPECT_EQ(CountTargetAtoms(job.State, job.Dir.Write("d.trg", "0 0 0 29 63.5 0\x1a 1 1 1 29 63.5 0\r\n")), 1);
    EXPECT_TRUE(job.Ui.Events.empty());
}

TEST(TargetFile, UnopenableFileShowsItsName) {
    TestJob job;
    const std::string name = job.Dir.File("missing.trg");
    EXPECT_EQ(CountTargetAtoms(job.State, name), 0);
    EXPECT_EQ(job.Ui.Texts(UiCall::ErrorBox), std::vector<std::string>{"Cannot open Target file:\r" + name});
}

TEST(TargetFile, MoreThan200000AtomsAreCappedWithOneWarning) {
    std::string text = CopperTarget(200000);
    TargetJob exact(text);
    EXPECT_EQ(CountTargetAtoms(exact.State, exact.State.Inputs.Target), 200000);
    EXPECT_TRUE(exact.Ui.Events.empty());

    text += TargetLine(0, 0, 9, 30, 65.4, 1);  // line 200,001: ignored
    TargetJob job(text);
    ASSERT_TRUE(job.Run()) << job.Ui.LogText();
    EXPECT_EQ(job.P().AtomCount, 200000);
    EXPECT_EQ(job.Ui.Texts(UiCall::WarningBox),
              std::vector<std::string>{"Too many atoms in .TRG file (max. 200,000) - ignoring excess."});
    EXPECT_EQ(job.State.LastAtomicNumber, 30);
    EXPECT_EQ(job.P().AtomicNumber[200000], 29);  // the last atom read replaces the count's Z
    EXPECT_FALSE(job.State.BinaryTarget);
}

TEST(TargetFile, BadLinesStopTheJobWithTheirNumber) {
    const std::string good = CopperTarget(10);
    const auto withLine = [&](int line, const std::string& replacement) {
        return testing::ReplaceLine(good, line, replacement);
    };
    struct Case {
        std::string Text;
        std::string Error;  // empty: accepted
    };
    const std::string line7 = "File format or parameter size error in .TRG file at line 7 - aborting.";
    const Case cases[] = {
        {withLine(7, "0 0 -1.8 0 63.546 0"), line7},
        {withLine(7, "0 0 -1.8 1001 63.546 0"), line7},
        {withLine(7, "0 0 -1.8 -29 63.546 0"), line7},
        {withLine(7, "0 0 -1.8 1000 63.546 0"), ""},
        {withLine(7, "0 0 -1.8 1 63.546 0"), ""},
        {withLine(7, "0 0 -1.8 29 0 0"), line7},  // a mass must be positive
        {withLine(3, "1.0abc 0 0 29 63.546 0"), "File format or parameter size error in .TRG file at line 3 - aborting."},
        {withLine(10, "0 0 -1.8 29 63.546 1.5"), "File format or parameter size error in .TRG file at line 10 - aborting."},
        {withLine(1, "0 0 zero 29 63.546 0 Cu"), "File format error in .TRG file at line 1 - aborting."},
        {withLine(1, "0 0 0 0 63.546 0 Cu"), "File format or parameter size error in .TRG file at line 1 - aborting."},
    };
    for (const Case& c : cases) {
        TargetJob job(c.Text);
        const bool ok = job.Run();
        if (c.Error.empty()) {
            EXPECT_TRUE(ok) << job.Ui.LogText();
            continue;
        }
        EXPECT_FALSE(ok) << c.Error;
        EXPECT_EQ(job.Errors(), std::vector<std::string>{c.Error});
        ASSERT_FALSE(job.Ui.Events.empty());
        EXPECT_EQ(job.Ui.Events.back().Call, UiCall::LogLine);
        EXPECT_EQ(job.Ui.Events.back().Text, "  Aborted during initialisation");
        EXPECT_EQ(job.Ui.Events.back().Colour, ColourRed);
    }
}

TEST(TargetFile, NameOfLineOneIsLogged) {
    TargetJob job(CopperTarget(3, "Cu(100) slab, 3 atoms"));
    ASSERT_TRUE(job.Run());
    EXPECT_EQ(job.Ui.LogEvents().front().Text, "  Target : Cu(100) slab, 3 atoms");
    EXPECT_EQ(job.Ui.LogEvents().front().Colour, ColourBlack);
    EXPECT_EQ(job.Ui.LogEvents().back().Text, "  Detected elemental target");
}

TEST(TargetFile, ReadsPositionsMassesAndFlags) {
    const std::string text = TargetLine(1.0, 2.0, 3.0, 29, 63.546, 8 | 32, "name") +
                             TargetLine(-1.5, 0.5, 1.0, 29, 63.546, 0) +
                             TargetLine(0, 0, -2, 29, 63.546, 2 | 64);
    TargetJob job(text);
    ASSERT_TRUE(job.Run());
    const ParticleTable& p = job.P();
    EXPECT_DOUBLE_EQ(p.SiteX[2], -1.5e-10);
    EXPECT_DOUBLE_EQ(p.SiteY[1], 2.0e-10);
    EXPECT_DOUBLE_EQ(p.SiteZ[3], -2.0e-10);
    EXPECT_EQ(p.X[2], p.SiteX[2]);  // static lattice
    EXPECT_DOUBLE_EQ(p.Mass[1], 63.546 * 1.66053e-27);
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

TEST(TargetFile, ProjectileStartsOnTheBeamLineThroughTheAimPoint) {
    struct Case {
        double Altitude, Azimuth, DeltaX, DeltaY, Height;
    };
    const Case cases[] = {{90, 0, 0, 0, 10},    {90, 45, 1.5, -0.5, 12}, {30, 135, 0.7, 0.2, 8},
                          {60, 300, -2, 1, 15}, {120, 10, 0, 0, 5},      {5, 0, 0, 0, 3}};
    for (const Case& c : cases) {
        TargetJob job(CopperTarget(8), CopperModel());  // thermal displacements on
        job.State.Run.Altitude = c.Altitude * Degree;
        job.State.Run.Azimuth = c.Azimuth * Degree;
        job.State.Impact = {c.DeltaX, c.DeltaY, c.Height};
        ASSERT_TRUE(job.Run());
        const ParticleTable& p = job.P();
        // The velocity direction the run is given (towards -z at the altitude).
        const double dx = -std::cos(c.Altitude * Degree) * std::cos(c.Azimuth * Degree);
        const double dy = -std::cos(c.Altitude * Degree) * std::sin(c.Azimuth * Degree);
        const double dz = -std::sin(c.Altitude * Degree);
        const double t = c.Height * 1e-10 / -dz;  // path length down to the aim plane
        EXPECT_NEAR(p.X[0] + t * dx, p.SiteX[1] + c.DeltaX * 1e-10, 1e-20) << c.Altitude;
        EXPECT_NEAR(p.Y[0] + t * dy, p.SiteY[1] + c.DeltaY * 1e-10, 1e-20) << c.Altitude;
        EXPECT_DOUBLE_EQ(p.Z[0], p.SiteZ[1] + c.Height * 1e-10);
        EXPECT_NE(p.X[1], p.SiteX[1]);  // atom 1 itself was displaced afterwards
        if (c.Altitude == 90) {
            EXPECT_NEAR(p.X[0], p.SiteX[1] + c.DeltaX * 1e-10, 1e-24);
            EXPECT_NEAR(p.Y[0], p.SiteY[1] + c.DeltaY * 1e-10, 1e-24);
        }
    }
}

TEST(TargetFile, BeamInTheSurfacePlaneIsRejected) {
    for (double altitude : {0.0, 180.0}) {
        TargetJob job(CopperTarget(4));
        job.State.Run.Altitude = altitude * Degree;
        EXPECT_FALSE(job.Run());
        EXPECT_EQ(job.Errors(), std::vector<std::string>{
                                    "Beam altitude of 0 or 180 degrees leaves the projectile's start undefined."});
        EXPECT_TRUE(job.Ui.HasLogLine("  Aborted during initialisation", ColourRed));
    }
}

// Atom 1 (A) and atom 2 (B) in the surface layer, atoms 3 (A) and 4 (B) in
// the bulk, 2 A below atom 1; every mean-square displacement different.
struct LayeredJob : TargetJob {
    LayeredJob()
        : TargetJob(TargetLine(0, 0, 0, 29, 63.546, 0, "layers") + TargetLine(1.8, 0, -0.5, 29, 63.546, 1) +
                        TargetLine(0, 1.8, -2, 29, 63.546, 0) + TargetLine(1.8, 1.8, -2, 29, 63.546, 1),
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

TEST(TargetFile, ThermalLineOncePerRunWhenVerbose) {
    for (bool verbose : {true, false}) {
        LayeredJob job;
        job.Program.Options.Verbose = verbose;
        ASSERT_TRUE(job.Run());
        ASSERT_TRUE(job.Run());
        int lines = 0;
        for (const testing::UiEvent& e : job.Ui.LogEvents())
            if (e.Text == "  Getting thermal displacements...") {
                ++lines;
                EXPECT_EQ(e.Colour, ColourBlue);
            }
        EXPECT_EQ(lines, verbose ? 2 : 0);
    }
}

TEST(TargetFile, StaticLatticeDrawsNothing) {
    TargetJob job(CopperTarget(20));
    ASSERT_TRUE(job.Run());
    const std::uint32_t state = job.Program.Random.State;
    EXPECT_EQ(state, 12345u);  // seeded, never drawn
    for (int i = 1; i <= 20; ++i) {
        EXPECT_EQ(job.P().X[i], job.P().SiteX[i]);
        EXPECT_EQ(job.P().Z[i], job.P().SiteZ[i]);
    }
}

TEST(TargetFile, ZeroMeanSquareGivesNoDisplacementAndFinishes) {
    RandomGenerator random;
    random.Seed(99);
    for (double s : {0.0, -0.01}) {
        EXPECT_EQ(ThermalDisplacementSample(random, s), 0.0);
        EXPECT_EQ(random.State, 99u);
    }
    // Surface atoms with no normal vibration move in the plane only.
    ModelFileDescription d = CopperModel();
    d.MsdA = {0.01, 0.0, 0.02};
    TargetJob job(TargetLine(0, 0, 0, 29, 63.546, 0, "flat") + TargetLine(2.5, 0, 0, 29, 63.546, 0), d);
    ASSERT_TRUE(job.Run());
    for (int i = 1; i <= 2; ++i) {
        EXPECT_EQ(job.P().Z[i], job.P().SiteZ[i]);
        EXPECT_NE(job.P().X[i], job.P().SiteX[i]);
        EXPECT_NE(job.P().Y[i], job.P().SiteY[i]);
    }
}

// Expected mean of d^2 / sigma^2 for the sampler: with w = sign cos(2 pi c)
// fixed and R^2 = -2 ln(1 - U) exponential of mean 2, a positive deviate
// beyond 2.5 sigma is redrawn, i.e. R^2 is conditioned on R^2 < T = 6.25/w^2:
//   E[R^2 | R^2 < T] = 2 - T e^(-T/2) / (1 - e^(-T/2)).
// Negative w are never cut.  Averaging over the angle:
//   E = 1 - 1/2 <6.25 e^(-T/2) / (1 - e^(-T/2))>.
double ExpectedMeanSquareRatio() {
    const int steps = 100000;
    double sum = 0;
    for (int i = 0; i < steps; ++i) {
        const double c2 = std::pow(std::cos(2 * std::numbers::pi * (i + 0.5) / steps), 2);
        if (c2 < 1e-12) continue;
        const double e = std::exp(-3.125 / c2);
        sum += 6.25 * e / (1 - e);
    }
    return 1 - 0.5 * sum / steps;
}

struct MeanSquare {
    double Mean = 0;
    double StandardError = 0;
};

MeanSquare MeanSquareOf(const std::vector<double>& d2) {
    double sum = 0, sumSq = 0;
    for (double v : d2) sum += v, sumSq += v * v;
    const double n = static_cast<double>(d2.size());
    const double mean = sum / n;
    return {mean, std::sqrt((sumSq / n - mean * mean) / n)};
}

TEST(TargetFile, DisplacementsHaveTheModelsMeanSquareLessTheCutTail) {
    const double ratio = ExpectedMeanSquareRatio();
    EXPECT_NEAR(ratio, 0.9599, 0.0005);
    RandomGenerator random;
    random.Seed(2024);
    std::vector<double> d2;
    for (int i = 0; i < 200000; ++i) {
        const double d = ThermalDisplacementSample(random, 0.01) * 1e10;
        EXPECT_LT(d, 2.5 * 0.1);
        d2.push_back(d * d / 0.01);
    }
    const MeanSquare m = MeanSquareOf(d2);
    EXPECT_NEAR(m.Mean, ratio, 4 * m.StandardError);
    EXPECT_GT(std::fabs(m.Mean - 1.0), 4 * m.StandardError);  // the cut is visible
}

TEST(TargetFile, BulkAtomsOfEachSpeciesVibrateWithTheirOwnAmplitude) {
    // Atom 1 on top; 30,000 bulk atoms below it, species A and B alternating.
    std::string text = TargetLine(0, 0, 10, 29, 63.546, 0, "bulk");
    for (int i = 0; i < 30000; ++i)
        text += TargetLine(2.5 * (i % 100), 2.5 * (i / 100 % 100), -2.5 * (i / 10000), 29, 63.546,
                           i % 2 == 0 ? 0 : 1);
    text += TargetLine(0, 0, -20, 29, 63.546, 1);
    ModelFileDescription d = CopperModel();
    d.MsdA = {0.01, 0.5, 0.5};  // surface values would stand out
    d.MsdB = {0.04, 0.5, 0.5};
    TargetJob job(text, d);
    ASSERT_TRUE(job.Run());
    const ParticleTable& p = job.P();
    std::vector<double> a, b;
    for (int i = 2; i <= p.AtomCount; ++i) {
        const bool isB = (p.Flags[i] & TypeB) != 0;
        const double msd = isB ? 0.04 : 0.01;
        for (double delta : {p.X[i] - p.SiteX[i], p.Y[i] - p.SiteY[i], p.Z[i] - p.SiteZ[i]}) {
            const double angstrom = delta * 1e10;
            (isB ? b : a).push_back(angstrom * angstrom / msd);
        }
    }
    const double ratio = ExpectedMeanSquareRatio();
    for (const std::vector<double>* set : {&a, &b}) {
        const MeanSquare m = MeanSquareOf(*set);
        EXPECT_NEAR(m.Mean, ratio, 4 * m.StandardError);
    }
}

TEST(TargetFile, LatticeZoneAndSurfaceHeight) {
    // Static lattice; r_c = 7.6 A.
    const std::string text = TargetLine(0, 0, 0, 29, 63.546, 0, "zone") +
                             TargetLine(-3, 4, -6, 29, 63.546, 0) + TargetLine(5, -2, 5, 29, 63.546, 0);
    for (double height : {10.0, 2.0}) {
        TargetJob job(text);
        job.State.Impact = {1.0, 1.0, height};
        ASSERT_TRUE(job.Run());
        const LatticeZone& z = job.State.Zone;
        EXPECT_DOUBLE_EQ(z.XMax, 5e-10 + 7.6e-10);
        EXPECT_DOUBLE_EQ(z.XMin, -3e-10 - 7.6e-10);
        EXPECT_DOUBLE_EQ(z.YMax, 4e-10 + 7.6e-10);
        EXPECT_DOUBLE_EQ(z.YMin, -2e-10 - 7.6e-10);
        EXPECT_DOUBLE_EQ(z.ZMax, std::max(height, 5.0) * 1e-10 + 7.6e-10);
        EXPECT_DOUBLE_EQ(z.ZMin, -6e-10 - 7.6e-10);
        // Atom 3 lies above a projectile that starts 2 A up, not above one at 10 A.
        EXPECT_DOUBLE_EQ(job.State.SurfaceZ, height == 2.0 ? 5e-10 : 0.0);
    }
}

TEST(TargetFile, CellEdgeGrowsUntilTheGridCoversTheZone) {
    struct Case {
        int Width;  // atoms along x and y, 2.55 A apart
        double Height;
    };
    const Case cases[] = {{4, 5.0}, {4, 30.0}, {40, 5.0}, {80, 10.0}};
    for (const Case& c : cases) {
        std::string text;
        for (int i = 0; i < c.Width * c.Width; ++i)
            text += TargetLine(2.55 * (i % c.Width), 2.55 * (i / c.Width), 0, 29, 63.546, 0, i == 0 ? "slab" : "");
        TargetJob job(text);
        job.Program.Options.NeighbourSearch = false;
        job.State.Impact.StartHeight = c.Height;
        ASSERT_TRUE(job.Run());
        const double edge = job.State.CellEdge;
        const LatticeZone& z = job.State.Zone;
        const auto fits = [&](double w) {
            return z.XMax <= 12 * w && z.XMin >= -12 * w && z.YMax <= 12 * w && z.YMin >= -12 * w &&
                   z.ZMax <= 4 * w && z.ZMin >= -12 * w;
        };
        EXPECT_TRUE(fits(edge)) << c.Width;
        const double steps = std::log(edge / 4e-10) / std::log(1.1);
        EXPECT_NEAR(steps, std::round(steps), 1e-9) << c.Width;
        if (edge > 4e-10) {
            EXPECT_FALSE(fits(edge / 1.1)) << c.Width;
        }
        EXPECT_EQ(job.State.GridHalfWidth, 12 * edge);
        EXPECT_EQ(job.State.GridTop, 12 * edge / 3);
        if (c.Width == 4 && c.Height == 5.0) {
            EXPECT_EQ(edge, 4e-10);
        }
        if (c.Width == 80) {
            EXPECT_GT(edge, 4e-10 * 1.1 * 1.1);
        }
    }
    // The brute-force search leaves the cell edge alone.
    TargetJob brute(CopperTarget(200));
    ASSERT_TRUE(brute.Run());
    EXPECT_EQ(brute.State.CellEdge, 4e-10);
    EXPECT_EQ(brute.State.GridHalfWidth, 0.0);
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
    std::string text = TargetLine(0, 0, 0, 29, 70.0, 0, "heavy") + TargetLine(1, 1, 0, 29, 63.546, 0);
    TargetJob job(text, CopperModel());
    job.Ui.DefaultAnswer = false;
    EXPECT_FALSE(job.Run());
    EXPECT_EQ(job.Ui.Texts(UiCall::Question),
              std::vector<std::string>{"Masses given in TRG and MDL files differ significantly. Proceed anyway?"});
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

}  // namespace
}  // namespace vantrel
