#include "output/output_filter.h"

#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vantrel {
namespace {

// Records what passes hand over, in order, in Trace: the index of every
// record, "w" for an error window and "|" for the flush that ends a pass.
class Recorder final : public SampleWriter, public ExpressionErrorSink {
public:
    OutputStatus Append(const ParticleSample& sample) override {
        Records.push_back(sample);
        Trace += std::to_string(sample.Index) + " ";
        return AppendStatus;
    }
    OutputStatus Flush() override {
        Trace += "| ";
        return OutputStatus::Ok;
    }
    void ExpressionError(std::string_view) override { Trace += "w "; }

    OutputStatus AppendStatus = OutputStatus::Ok;
    std::vector<ParticleSample> Records;
    std::string Trace;
};

// The projectile and `atoms` target atoms with distinct values.
ParticleTable Particles(std::int32_t atoms) {
    ParticleTable p;
    p.AtomCount = atoms;
    for (std::int32_t i = 0; i <= atoms; ++i) {
        p.X.push_back(1.1e-10 * (i + 1));
        p.Y.push_back(-0.7e-10 * i);
        p.Z.push_back(-2.3e-10 * i + 0.1e-10);
        p.VX.push_back(1234.5 * (i + 1));
        p.VY.push_back(-987.25 * i);
        p.VZ.push_back(3.3e3 - 1.1e3 * i);
        p.Mass.push_back(1.0552e-25 + 1e-27 * i);
        p.Flags.push_back(0);
    }
    return p;
}

class Sampling : public ::testing::Test {
protected:
    OutputStatus Pass(ParticleTable& p, double time, bool periodic, std::int32_t runNumber = 1) {
        return SampleParticles(p, runNumber, time, periodic, filter, out);
    }

    CompiledSelection condition;
    Recorder out;
    SelectionFilter filter{0, false, condition, out};
};

// One particle offered to one filter.
struct Offer {
    std::int32_t Mode;
    std::int32_t Index;
    double Z, PX, PY, PZ;
    bool Written;
    bool Continue;
};

const Offer Offers[] = {
    // Emission: strictly above 0.5 A and moving outward.
    {5, 3, 5e-11, 0, 0, 1e-22, false, true},
    {5, 3, 5.000000000000001e-11, 0, 0, 1e-22, true, true},
    {5, 3, 1e-9, 0, 0, 0.0, false, true},
    {5, 3, 1e-9, 0, 0, -1e-22, false, true},
    // Within 5 degrees of the normal, never inward or grazing.
    {7, 2, 1e-9, 0.08, 0.0, 1.0, true, true},
    {7, 2, 1e-9, 0.0, 0.0, 1.0, true, true},
    {7, 2, 1e-9, 0.06, 0.06, 1.0, true, true},  // tan = 0.0849
    {7, 2, 1e-9, 0.07, 0.0, 0.8, false, true},  // tan = 0.0875
    {7, 2, 5e-11, 0.0, 0.0, 1.0, false, true},
    {7, 2, 1e-9, 0.0, 0.0, 0.0, false, true},
    {7, 2, 1e-9, 1e-30, 1e-30, -0.0, false, true},
    {7, 2, 1e-9, 1e-22, 1e-22, -1e-30, false, true},
    {7, 2, 1e-9, -1e-22, -1e-22, -1e-22, false, true},
    {7, 2, 1e-9, 1e-10, 1e-10, -1.0, false, true},
    // The projectile filters end the pass whether or not they wrote.
    {1, 0, 0, 0, 0, 0, true, false},
    {1, 1, 0, 0, 0, 0, false, false},
    {6, 0, 1e-9, 0, 0, 1e-22, true, false},
    {6, 0, 1e-9, 0, 0, -1e-22, false, false},
    {6, 4, 1e-9, 0, 0, 1e-22, false, false},
    // Everything, and an unknown mode: nothing, and the pass ends.
    {0, 7, -1e-9, 0, 0, -1e-22, true, true},
    {9, 0, 0, 0, 0, 0, false, false},
};

TEST_F(Sampling, EachFilterWritesAndContinuesAsItsModeSays) {
    for (const Offer& o : Offers) {
        SCOPED_TRACE(::testing::Message() << "mode " << o.Mode << " index " << o.Index << " z "
                                          << o.Z << " p " << o.PX << " " << o.PY << " " << o.PZ);
        out.Records.clear();
        filter.OutputSelection = o.Mode;
        std::uint32_t flags = TypeB;
        const SelectionVariables v{0, 0, o.Z, o.PX, o.PY, o.PZ, 1e-25, 0, o.Index, 1};
        const FilterOutcome result = OutputFilter(filter, out, v, flags);
        EXPECT_EQ(out.Records.size(), o.Written ? 1u : 0u);
        EXPECT_EQ(flags, o.Written ? TypeB | Recorded : TypeB);
        EXPECT_EQ(result.Continue, o.Continue);
    }
}

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

TEST_F(Sampling, EnergyThresholdsAreStrict) {
    const double thresholds[3] = {1.60219e-19, 1.60219e-18, 1.60219e-17};
    for (int mode = 2; mode <= 4; ++mode) {
        SCOPED_TRACE(mode);
        filter.OutputSelection = mode;
        double mass = 0, p = 0;
        ASSERT_TRUE(ExactEnergyMomentum(thresholds[mode - 2], mass, p));
        const double momenta[3][3] = {{p, 0, 0},                             // exactly at it
                                      {0, 0, std::nextafter(p, 1.0)},        // just above
                                      {0, -p * 0.999, 0}};                   // below
        const bool written[3] = {false, true, false};
        for (int k = 0; k < 3; ++k) {
            out.Records.clear();
            std::uint32_t flags = 0;
            const SelectionVariables v{0, 0, 0, momenta[k][0], momenta[k][1], momenta[k][2],
                                       mass, 0, 5, 1};
            EXPECT_TRUE(OutputFilter(filter, out, v, flags).Continue);
            EXPECT_EQ(out.Records.size(), written[k] ? 1u : 0u) << k;
        }
    }
}

TEST_F(Sampling, FinalPassesWriteEveryParticleWithTheRunNumber) {
    ParticleTable p = Particles(4);
    const double endTimes[3] = {1.5e-13, 2.5e-13, 3.25e-13};
    for (std::int32_t run = 1; run <= 3; ++run) {
        p.Flags.assign(p.Flags.size(), 0);  // each run starts unrecorded
        EXPECT_EQ(Pass(p, endTimes[run - 1], false, run + 10), OutputStatus::Ok);
        for (std::uint32_t f : p.Flags) EXPECT_EQ(f, Recorded);
    }
    ASSERT_EQ(out.Records.size(), 5u * 3u);
    for (std::size_t k = 0; k < out.Records.size(); ++k) {
        SCOPED_TRACE(k);
        const std::int32_t i = static_cast<std::int32_t>(k % 5);
        const std::int32_t run = static_cast<std::int32_t>(k / 5) + 1;
        // Momentum is the double product, rounded once.
        const double m = p.Mass[i];
        const ParticleSample expected =
            BuildSample(i, run + 10, p.X[i], p.Y[i], p.Z[i], m * p.VX[i], m * p.VY[i],
                        m * p.VZ[i], endTimes[run - 1], m);
        EXPECT_EQ(EncodeSample(out.Records[k]), EncodeSample(expected));
    }
    EXPECT_TRUE(out.Trace.ends_with("4 | "));
}

// Periodic passes skip Recorded particles only with SkipRecorded; the final
// pass offers every particle.  Once the projectile filter has written the
// projectile, a skipping periodic pass ends at particle 1 without writing.
TEST_F(Sampling, PassesOfferParticlesInOrderAndSkipOnlyWhenAsked) {
    const struct {
        std::int32_t Mode;
        bool SkipRecorded;
        const char* Passes;  // p periodic, f final
        const char* Trace;
    } cases[] = {
        {0, false, "ppf", "0 1 2 | 0 1 2 | 0 1 2 | "},
        {0, true, "ppf", "0 1 2 | | 0 1 2 | "},
        {1, false, "pp", "0 | 0 | "},
        {1, true, "pppf", "0 | | | 0 | "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Passes);
        ParticleTable p = Particles(2);
        out = Recorder();
        filter.OutputSelection = c.Mode;
        filter.SkipRecorded = c.SkipRecorded;
        for (const char* pass = c.Passes; *pass; ++pass) Pass(p, 1e-15, *pass == 'p');
        EXPECT_EQ(out.Trace, c.Trace);
    }
}

// The user's condition over five particles, of which particle 2 has a
// negative x: two final passes.
TEST_F(Sampling, UserConditionEndsEveryPassAtItsFirstError) {
    const struct {
        const char* Text;
        const char* Trace;
    } cases[] = {
        // sqrt(x) is 1.05e-5 for particle 0 and 1.48e-5 for particle 1; particle
        // 2 fails, and particles 3 and 4 would pass if they were offered.
        {"[SQRT(RX) > 1.2E-5]", "1 w | 1 w | "},
        {"[KE > 1]", "w | w | "},
        {"", "| | "},
        {"[RW > 2]", "3 4 | 3 4 | "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        ParticleTable p = Particles(4);
        p.X[2] = -1e-10;
        out = Recorder();
        condition = CompiledSelection{c.Text, nullptr};
        filter.OutputSelection = 8;
        Pass(p, 1e-15, false);
        Pass(p, 2e-15, false);
        EXPECT_EQ(out.Trace, c.Trace);
        for (const ParticleSample& r : out.Records) EXPECT_EQ(p.Flags[r.Index], Recorded);
    }
}

TEST_F(Sampling, FailedRecordsAreReturnedAndThePassGoesOn) {
    ParticleTable p = Particles(2);
    out.AppendStatus = OutputStatus::WriteFailed;
    EXPECT_EQ(Pass(p, 1e-15, false), OutputStatus::WriteFailed);
    EXPECT_EQ(out.Trace, "0 1 2 | ");
}

}  // namespace
}  // namespace vantrel
