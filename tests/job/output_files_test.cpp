#include "job/output_files.h"

#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "job/program.h"
#include "job/output_filter.h"
#include "output/particle_sample.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

namespace vantrel {
namespace {

using testing::RecordingUserInterface;
using testing::TempDir;
using testing::UiCall;

std::vector<ParticleSample> ReadSamples(const std::string& path) {
    const std::string bytes = testing::ReadFileBytes(path);
    EXPECT_EQ(bytes.size() % SampleRecordSize, 0u);
    std::vector<ParticleSample> out;
    for (std::size_t at = 0; at + SampleRecordSize <= bytes.size(); at += SampleRecordSize) {
        SampleRecord r;
        for (std::size_t k = 0; k < SampleRecordSize; ++k)
            r[k] = static_cast<std::uint8_t>(bytes[at + k]);
        out.push_back(DecodeSample(r));
    }
    return out;
}

// A small job: projectile and `atoms` target atoms with distinct values.
class OutputJob : public ::testing::Test {
protected:
    void SetUpJob(std::int32_t atoms) {
        AllocateParticleTable(s, atoms);
        AllocateMassAndAtomicNumber(s);
        s.Outputs.InitialConditions = dir.File("inivars.vsk");
        s.Outputs.DynamicalVariables = dir.File("dynvars.vsk");
        s.Outputs.InelasticEvents = dir.File("inelast.dat");
        ParticleTable& p = s.Particles;
        for (std::int32_t i = 0; i <= atoms; ++i) {
            p.X[i] = 1.1e-10 * (i + 1);
            p.Y[i] = -0.7e-10 * i;
            p.Z[i] = -2.3e-10 * i + 0.1e-10;
            p.VX[i] = 1234.5 * (i + 1);
            p.VY[i] = -987.25 * i;
            p.VZ[i] = 3.3e3 - 1.1e3 * i;
            p.Mass[i] = 1.0552e-25 + 1e-27 * i;
        }
    }

    // Starts run n of the job as the run driver does.
    void StartRun(std::int32_t n) {
        s.RunCounter = n;
        for (std::size_t i = 0; i < s.Particles.Flags.size(); ++i)
            s.Particles.Flags[i] = s.Particles.InitialFlags[i];
    }

    std::vector<std::string> RedLines() const {
        std::vector<std::string> out;
        for (const auto& e : ui.LogEvents())
            if (e.Colour == ColourRed) out.push_back(e.Text);
        return out;
    }

    TempDir dir;
    RecordingUserInterface ui;
    ProgramContext program{ui};
    SimulationState s{program};
};

TEST(ParticleSampleRecord, BytesAreLittleEndianInFieldOrder) {
    const ParticleSample sample = BuildSample(7, -2, 1.0, -2.0, 0.5, 0.25, 3.0, -0.125, 1.5, 2.0);
    const SampleRecord expected = {
        0x00, 0x00, 0x80, 0x3F,  0x00, 0x00, 0x00, 0xC0,  0x00, 0x00, 0x00, 0x3F,
        0x00, 0x00, 0x80, 0x3E,  0x00, 0x00, 0x40, 0x40,  0x00, 0x00, 0x00, 0xBE,
        0x00, 0x00, 0xC0, 0x3F,  0x00, 0x00, 0x00, 0x40,  0x07, 0x00, 0x00, 0x00,
        0xFE, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(EncodeSample(sample), expected);

    // The projectile of run 7 (the user guide's example).
    SampleRecord projectile = expected;
    for (std::size_t k = 32; k < 40; ++k) projectile[k] = 0;
    projectile[36] = 7;
    EXPECT_EQ(EncodeSample(BuildSample(0, 7, 1.0, -2.0, 0.5, 0.25, 3.0, -0.125, 1.5, 2.0)),
              projectile);
}

TEST(ParticleSampleRecord, RealsAreRoundedToSingleOnlyWhenBuilt) {
    // The double product is formed first and then rounded once.
    const double mass = 1.0552e-25, v = 1234.567891;
    const ParticleSample sample = BuildSample(0, 1, 0, 0, 0, mass * v, 0, 0, 0, mass);
    EXPECT_EQ(sample.PX, static_cast<float>(mass * v));
    EXPECT_EQ(sample.Mass, static_cast<float>(mass));
    const ParticleSample back = DecodeSample(EncodeSample(sample));
    EXPECT_EQ(back.PX, sample.PX);
    EXPECT_EQ(back.Mass, sample.Mass);
    EXPECT_EQ(back.Index, 0);
    EXPECT_EQ(back.RunNumber, 1);
}

TEST_F(OutputJob, ThreeFinalSamplesOfModeZeroWriteEveryParticleOfEveryRun) {
    SetUpJob(4);
    program.RunOffset = 10;
    s.RunOffsetCopy = program.RunOffset;
    s.Run.SampleMode = 1;
    s.Run.OutputSelection = 0;
    ASSERT_TRUE(CreateDynamicalFile(s));
    const double endTimes[3] = {1.5e-13, 2.5e-13, 3.25e-13};
    for (std::int32_t run = 1; run <= 3; ++run) {
        StartRun(run);
        SampleParticles(s, endTimes[run - 1], false);
        for (std::uint32_t f : s.Particles.Flags) EXPECT_EQ(f & Recorded, Recorded);
    }
    CloseDynamicalFile(s);

    const std::vector<ParticleSample> records = ReadSamples(s.Outputs.DynamicalVariables);
    ASSERT_EQ(records.size(), 5u * 3u);
    const ParticleTable& p = s.Particles;
    for (std::size_t k = 0; k < records.size(); ++k) {
        const std::int32_t i = static_cast<std::int32_t>(k % 5);
        const std::int32_t run = static_cast<std::int32_t>(k / 5) + 1;
        SCOPED_TRACE(k);
        const ParticleSample& r = records[k];
        EXPECT_EQ(r.X, static_cast<float>(p.X[i]));
        EXPECT_EQ(r.Y, static_cast<float>(p.Y[i]));
        EXPECT_EQ(r.Z, static_cast<float>(p.Z[i]));
        EXPECT_EQ(r.PX, static_cast<float>(p.Mass[i] * p.VX[i]));
        EXPECT_EQ(r.PY, static_cast<float>(p.Mass[i] * p.VY[i]));
        EXPECT_EQ(r.PZ, static_cast<float>(p.Mass[i] * p.VZ[i]));
        EXPECT_EQ(r.Time, static_cast<float>(endTimes[run - 1]));
        EXPECT_EQ(r.Mass, static_cast<float>(p.Mass[i]));
        EXPECT_EQ(r.Index, i);
        EXPECT_EQ(r.RunNumber, run + 10);
    }
    EXPECT_TRUE(RedLines().empty());
}

TEST_F(OutputJob, InitialConditionsHoldTheLastTrajectoryOnly) {
    SetUpJob(3);
    for (std::int32_t run = 1; run <= 3; ++run) {
        StartRun(run);
        for (double& x : s.Particles.X) x += 1e-11;  // each run starts elsewhere
        ASSERT_TRUE(WriteInitialConditions(s));
    }
    const std::vector<ParticleSample> records = ReadSamples(s.Outputs.InitialConditions);
    ASSERT_EQ(records.size(), 4u);
    for (std::int32_t i = 0; i <= 3; ++i) {
        EXPECT_EQ(records[i].Index, i);
        EXPECT_EQ(records[i].Time, 0.0f);
        EXPECT_EQ(records[i].RunNumber, 3);
        EXPECT_EQ(records[i].X, static_cast<float>(s.Particles.X[i]));
        EXPECT_EQ(records[i].PZ, static_cast<float>(s.Particles.Mass[i] * s.Particles.VZ[i]));
    }
}

TEST_F(OutputJob, ProjectileFilterWithSkipRecordedEndsAtParticleOne) {
    SetUpJob(3);
    s.Run.OutputSelection = 1;
    s.Run.SkipRecorded = true;
    ASSERT_TRUE(CreateDynamicalFile(s));
    StartRun(1);
    SampleParticles(s, 1e-15, true);
    EXPECT_EQ(s.Particles.Flags[0] & Recorded, Recorded);
    EXPECT_EQ(s.Particles.Flags[1] & Recorded, 0u);
    // The projectile is skipped now; particle 1 is offered and ends the pass unwritten.
    SampleParticles(s, 2e-15, true);
    SampleParticles(s, 3e-15, true);
    // The final sample offers the projectile regardless of Recorded.
    SampleParticles(s, 4e-15, false);
    CloseDynamicalFile(s);
    const std::vector<ParticleSample> records = ReadSamples(s.Outputs.DynamicalVariables);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].Time, 1e-15f);
    EXPECT_EQ(records[1].Time, 4e-15f);
    EXPECT_EQ(records[0].Index, 0);
    EXPECT_EQ(records[1].Index, 0);
}

TEST_F(OutputJob, PeriodicPassSkipsRecordedParticlesOnlyWhenAsked) {
    SetUpJob(2);
    s.Run.OutputSelection = 0;
    ASSERT_TRUE(CreateDynamicalFile(s));
    StartRun(1);
    s.Run.SkipRecorded = false;
    SampleParticles(s, 1e-15, true);
    SampleParticles(s, 2e-15, true);
    s.Run.SkipRecorded = true;
    SampleParticles(s, 3e-15, true);
    // A new run restores the flags, so everything is written again.
    StartRun(2);
    SampleParticles(s, 4e-15, true);
    CloseDynamicalFile(s);
    EXPECT_EQ(ReadSamples(s.Outputs.DynamicalVariables).size(), 3u + 3u + 0u + 3u);
}

// Offers one particle to the filter; returns {written, continue}.
struct Offer {
    bool Written;
    bool Continue;
};

class Filters : public OutputJob {
protected:
    void SetUp() override {
        SetUpJob(1);
        ASSERT_TRUE(CreateDynamicalFile(s));
    }
    Offer OfferParticle(std::int32_t mode, std::int32_t index, double z, double px, double py,
                        double pz, double mass) {
        s.Run.OutputSelection = mode;
        std::uint32_t flags = 0;
        const long before = std::ftell(s.DynamicalFile.get());
        const bool goOn = OutputFilter(s, index, 1, 0.0, 0.0, z, px, py, pz, 0.0, mass, flags);
        const long after = std::ftell(s.DynamicalFile.get());
        const bool written = after - before == static_cast<long>(SampleRecordSize);
        EXPECT_EQ(written, (flags & Recorded) != 0);
        return {written, goOn};
    }
};

// A momentum whose square is exactly 2 m E in double arithmetic.
bool ExactEnergyMomentum(double energy, double& mass, double& p) {
    for (int k = 0; k < 1000; ++k) {
        mass = 1.0552e-25 * (1.0 + k * 1e-3);
        const double twoMassE = 2 * mass * energy;
        p = std::sqrt(twoMassE);
        if (p * p == twoMassE) return true;
    }
    return false;
}

TEST_F(Filters, EnergyThresholdsAreStrict) {
    const double thresholds[3] = {1.60219e-19, 1.60219e-18, 1.60219e-17};
    for (int mode = 2; mode <= 4; ++mode) {
        SCOPED_TRACE(mode);
        double mass = 0, p = 0;
        ASSERT_TRUE(ExactEnergyMomentum(thresholds[mode - 2], mass, p));
        Offer o = OfferParticle(mode, 5, 0.0, p, 0.0, 0.0, mass);
        EXPECT_FALSE(o.Written);  // exactly at the threshold
        EXPECT_TRUE(o.Continue);
        o = OfferParticle(mode, 5, 0.0, 0.0, 0.0, std::nextafter(p, 1.0), mass);
        EXPECT_TRUE(o.Written);
        EXPECT_TRUE(o.Continue);
        o = OfferParticle(mode, 5, 0.0, 0.0, -p * 0.999, 0.0, mass);
        EXPECT_FALSE(o.Written);
    }
}

TEST_F(Filters, EmissionNeedsHeightAbove5e11AndOutwardMomentum) {
    EXPECT_FALSE(OfferParticle(5, 3, 5e-11, 0, 0, 1e-22, 1e-25).Written);
    EXPECT_TRUE(OfferParticle(5, 3, std::nextafter(5e-11, 1.0), 0, 0, 1e-22, 1e-25).Written);
    EXPECT_FALSE(OfferParticle(5, 3, 1e-9, 0, 0, 0.0, 1e-25).Written);
    EXPECT_FALSE(OfferParticle(5, 3, 1e-9, 0, 0, -1e-22, 1e-25).Written);
    EXPECT_TRUE(OfferParticle(5, 3, 1e-9, 0, 0, -1e-22, 1e-25).Continue);
}

TEST_F(Filters, NormalEmissionNeverWritesInwardOrGrazingParticles) {
    const double lateral[] = {0.0, 1e-30, 1e-22, -1e-22, 1e-10};
    const double normal[] = {0.0, -0.0, -1e-30, -1e-22, -1.0};
    for (double px : lateral)
        for (double pz : normal) {
            const Offer o = OfferParticle(7, 2, 1e-9, px, px, pz, 1e-25);
            EXPECT_FALSE(o.Written) << px << " " << pz;
            EXPECT_TRUE(o.Continue);
        }
    // Within 5 degrees of the normal, and just outside it.
    EXPECT_TRUE(OfferParticle(7, 2, 1e-9, 0.08, 0.0, 1.0, 1e-25).Written);
    EXPECT_TRUE(OfferParticle(7, 2, 1e-9, 0.0, 0.0, 1.0, 1e-25).Written);
    EXPECT_TRUE(OfferParticle(7, 2, 1e-9, 0.06, 0.06, 1.0, 1e-25).Written);  // 0.0849
    EXPECT_FALSE(OfferParticle(7, 2, 1e-9, 0.07, 0.0, 0.8, 1e-25).Written);  // 0.0875
    EXPECT_FALSE(OfferParticle(7, 2, 5e-11, 0.0, 0.0, 1.0, 1e-25).Written);
}

TEST_F(Filters, ProjectileFiltersAlwaysEndThePass) {
    Offer o = OfferParticle(1, 0, 0, 0, 0, 0, 1e-25);
    EXPECT_TRUE(o.Written);
    EXPECT_FALSE(o.Continue);
    o = OfferParticle(1, 1, 0, 0, 0, 0, 1e-25);
    EXPECT_FALSE(o.Written);
    EXPECT_FALSE(o.Continue);
    o = OfferParticle(6, 0, 1e-9, 0, 0, 1e-22, 1e-25);
    EXPECT_TRUE(o.Written);
    EXPECT_FALSE(o.Continue);
    o = OfferParticle(6, 0, 1e-9, 0, 0, -1e-22, 1e-25);
    EXPECT_FALSE(o.Written);
    EXPECT_FALSE(o.Continue);
    o = OfferParticle(6, 4, 1e-9, 0, 0, 1e-22, 1e-25);
    EXPECT_FALSE(o.Written);
    EXPECT_FALSE(o.Continue);
}

TEST_F(Filters, UnknownSelectionWritesNothingAndEndsThePass) {
    const Offer o = OfferParticle(9, 0, 0, 0, 0, 0, 1e-25);
    EXPECT_FALSE(o.Written);
    EXPECT_FALSE(o.Continue);
}

TEST_F(OutputJob, UserConditionWritesMatchingParticlesAndShowsEachErrorOncePerPass) {
    SetUpJob(4);
    s.Run.OutputSelection = 8;
    s.SelectionText = "[SQRT(RX) > 1.2E-5]";
    // sqrt(x) is 1.05e-5 for particle 0 and 1.48e-5 for particle 1; particle 2
    // fails, and particles 3 and 4 would pass if they were offered.
    s.Particles.X[2] = -1e-10;
    ASSERT_TRUE(CreateDynamicalFile(s));
    StartRun(1);
    SampleParticles(s, 1e-15, false);
    SampleParticles(s, 2e-15, false);
    CloseDynamicalFile(s);
    const std::vector<std::string> windows = ui.Texts(UiCall::ExpressionError);
    ASSERT_EQ(windows.size(), 2u);
    EXPECT_EQ(windows[0], "Error type: negative square root.\r[SQRT(RX) > 1.2E-5]\r        ^\r"
                          "(near char. #9).");
    EXPECT_EQ(windows[1], windows[0]);
    const std::vector<ParticleSample> records = ReadSamples(s.Outputs.DynamicalVariables);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].Index, 1);
    EXPECT_EQ(records[1].Index, 1);
    EXPECT_EQ(records[1].Time, 2e-15f);
    EXPECT_EQ(s.Particles.Flags[1] & Recorded, Recorded);
    EXPECT_EQ(s.Particles.Flags[3] & Recorded, 0u);
}

TEST_F(OutputJob, SyntaxErrorEndsEveryPassAtTheFirstParticle) {
    SetUpJob(3);
    s.Run.OutputSelection = 8;
    s.SelectionText = "[KE > 1]";
    ASSERT_TRUE(CreateDynamicalFile(s));
    StartRun(1);
    for (int pass = 0; pass < 3; ++pass) SampleParticles(s, 1e-15, true);
    CloseDynamicalFile(s);
    EXPECT_EQ(ui.Texts(UiCall::ExpressionError).size(), 3u);
    EXPECT_TRUE(ReadSamples(s.Outputs.DynamicalVariables).empty());
}

TEST_F(OutputJob, EmptyConditionWritesNothingAndReportsNothing) {
    SetUpJob(3);
    s.Run.OutputSelection = 8;
    s.SelectionText = "";
    ASSERT_TRUE(CreateDynamicalFile(s));
    StartRun(1);
    SampleParticles(s, 1e-15, false);
    CloseDynamicalFile(s);
    EXPECT_TRUE(ui.Events.empty());
    EXPECT_TRUE(ReadSamples(s.Outputs.DynamicalVariables).empty());
}

TEST_F(OutputJob, FullDiskIsReportedInRedOncePerFile) {
    SetUpJob(300);
    s.Outputs.DynamicalVariables = "/dev/full";
    s.Run.OutputSelection = 0;
    ASSERT_TRUE(CreateDynamicalFile(s));
    StartRun(1);
    SampleParticles(s, 1e-15, false);
    SampleParticles(s, 2e-15, false);
    CloseDynamicalFile(s);
    EXPECT_EQ(RedLines(), std::vector<std::string>{"  Error writing output file: /dev/full"});
}

TEST_F(OutputJob, MissingFolderIsReportedInRedWithTheFileName) {
    SetUpJob(2);
    const std::string missing = dir.File("no-such-folder/dynvars.vsk");
    const std::string initial = dir.File("no-such-folder/inivars.vsk");
    s.Outputs.DynamicalVariables = missing;
    s.Outputs.InitialConditions = initial;
    EXPECT_FALSE(CreateDynamicalFile(s));
    EXPECT_FALSE(WriteInitialConditions(s));
    EXPECT_FALSE(WriteInitialConditions(s));  // second run: already reported
    // Records offered without a file are lost, and that was said once already.
    s.Run.OutputSelection = 0;
    SampleParticles(s, 1e-15, false);
    EXPECT_EQ(RedLines(), (std::vector<std::string>{"  Cannot create output file: " + missing,
                                                     "  Cannot create output file: " + initial}));
}

TEST_F(OutputJob, EventsFileIsCreatedAnewAndFailsQuietly) {
    SetUpJob(1);
    dir.Write("inelast.dat", "old contents\n");
    ASSERT_TRUE(CreateEventsFile(s));
    ASSERT_TRUE(AppendEventsLine(s, "first"));
    ASSERT_TRUE(AppendEventsLine(s, "second"));
    CloseEventsFile(s);
    EXPECT_EQ(testing::ReadFileBytes(s.Outputs.InelasticEvents), "first\nsecond\n");

    s.Outputs.InelasticEvents = dir.File("missing/inelast.dat");
    EXPECT_FALSE(CreateEventsFile(s));
    EXPECT_TRUE(ui.Events.empty());  // the run driver shows this failure
}

}  // namespace
}  // namespace vantrel
