#include "output/output_files.h"

#include <array>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/units.h"
#include "tests/support/temp_dir.h"

namespace vantrel {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;

std::string Bytes(const std::vector<ParticleSample>& samples) {
    std::string out;
    for (const ParticleSample& s : samples) {
        const SampleRecord r = EncodeSample(s);
        out.append(reinterpret_cast<const char*>(r.data()), r.size());
    }
    return out;
}

// The projectile and two target atoms.
ParticleTable Particles() {
    ParticleTable p;
    p.AtomCount = 2;
    p.X = {1.1e-10, 2.2e-10, 3.3e-10};
    p.Y = {0.0, -0.7e-10, -1.4e-10};
    p.Z = {0.5e-10, -2.3e-10, -4.6e-10};
    p.VX = {1234.5, 0.0, -5.5};
    p.VY = {-987.25, 1.0, 0.0};
    p.VZ = {-3.3e3, 2.2e3, 1.1e3};
    p.Mass = {6.6e-26, 1.0552e-25, 1.0562e-25};
    return p;
}

TEST(OutputFiles, DynamicalFileIsCreatedAnewAndHoldsTheRecordsInOrder) {
    TempDir dir;
    const std::string name = dir.Write("dynvars.vsk", "old records");
    OutputFiles files;
    ASSERT_EQ(CreateDynamicalFile(files, name), OutputStatus::Ok);
    const std::vector<ParticleSample> samples = {
        BuildSample(0, 3, 1e-10, 2e-10, 3e-10, 1e-22, 2e-22, 3e-22, 1e-15, 1e-25),
        BuildSample(7, 3, -1e-10, 0, 0, 0, 0, -1e-22, 1e-15, 2e-25)};
    for (const ParticleSample& s : samples) EXPECT_EQ(AppendSample(files, s), OutputStatus::Ok);
    EXPECT_EQ(FlushDynamicalFile(files), OutputStatus::Ok);
    EXPECT_EQ(CloseDynamicalFile(files), OutputStatus::Ok);
    EXPECT_EQ(ReadFileBytes(name), Bytes(samples));
    EXPECT_EQ(files.DynamicalVariables.Name, name);
    // Closed: a record now is lost, and says so.
    EXPECT_EQ(AppendSample(files, samples[0]), OutputStatus::WriteFailed);
}

TEST(OutputFiles, InitialConditionsHoldTheLastTrajectoryOnly) {
    TempDir dir;
    const std::string name = dir.File("inivars.vsk");
    OutputFiles files;
    ParticleTable p = Particles();
    for (std::int32_t run = 1; run <= 3; ++run) {
        for (double& x : p.X) x += 1e-11;  // each run starts elsewhere
        ASSERT_EQ(WriteInitialConditions(files, name, p, run + 4), OutputStatus::Ok);
    }
    std::vector<ParticleSample> expected;
    for (std::int32_t i = 0; i <= 2; ++i) {
        const double m = p.Mass[i];
        expected.push_back(BuildSample(i, 7, p.X[i], p.Y[i], p.Z[i], m * p.VX[i], m * p.VY[i],
                                       m * p.VZ[i], 0.0, m));
    }
    EXPECT_EQ(ReadFileBytes(name), Bytes(expected));
    EXPECT_FALSE(files.InitialConditions.Handle);  // closed again
}

TEST(OutputFiles, EventsFileIsCreatedAnewWithOneLinePerCall) {
    TempDir dir;
    const std::string name = dir.Write("inelast.dat", "old contents\n");
    OutputFiles files;
    ASSERT_EQ(CreateEventsFile(files, name), OutputStatus::Ok);
    EXPECT_EQ(AppendEventsLine(files, "first"), OutputStatus::Ok);
    EXPECT_EQ(AppendEventsLine(files, "second"), OutputStatus::Ok);
    EXPECT_EQ(CloseEventsFile(files), OutputStatus::Ok);
    EXPECT_EQ(ReadFileBytes(name), "first\nsecond\n");
}

TEST(OutputFiles, LssTotalsAreSixLinesByGroupAndCode) {
    TempDir dir;
    OutputFiles files;
    ASSERT_EQ(CreateEventsFile(files, dir.File("inelast.dat")), OutputStatus::Ok);
    std::array<double, 6> channels{};
    for (std::size_t k = 0; k < channels.size(); ++k)
        channels[k] = -(static_cast<double>(k) + 1) * 1.25 / EvPerJouleEvents;
    EXPECT_EQ(WriteLssTotals(files, 3, channels, 0.25e-15), OutputStatus::Ok);
    EXPECT_EQ(CloseEventsFile(files), OutputStatus::Ok);
    EXPECT_EQ(ReadFileBytes(dir.File("inelast.dat")),
              "    3    0    0    -1.250  0.00000  0.00000  0.00000    0.2500      0.000 2  0\n"
              "    3    0    0    -2.500  0.00000  0.00000  0.00000    0.2500      0.000 2  4\n"
              "    3    0    0    -3.750  0.00000  0.00000  0.00000    0.2500      0.000 2 10\n"
              "    3    1    0    -5.000  0.00000  0.00000  0.00000    0.2500      0.000 2  0\n"
              "    3    1    0    -6.250  0.00000  0.00000  0.00000    0.2500      0.000 2  4\n"
              "    3    1    0    -7.500  0.00000  0.00000  0.00000    0.2500      0.000 2 10\n");
}

// Every way a file can lose data comes back as a status, the buffered rest
// of a full disk at the latest when the file is closed.
TEST(OutputFiles, FailuresComeBackAsStatuses) {
    TempDir dir;
    const std::string missing = dir.File("no-such-folder/file");
    const ParticleTable p = Particles();
    const ParticleSample sample = BuildSample(0, 1, 0, 0, 0, 0, 0, 0, 0, 1e-25);
    const std::array<double, 6> channels{};
    OutputFiles files;

    EXPECT_EQ(CreateDynamicalFile(files, missing), OutputStatus::CannotCreate);
    EXPECT_EQ(files.DynamicalVariables.Name, missing);
    EXPECT_EQ(AppendSample(files, sample), OutputStatus::WriteFailed);
    EXPECT_EQ(WriteInitialConditions(files, missing, p, 1), OutputStatus::CannotCreate);
    EXPECT_EQ(CreateEventsFile(files, missing), OutputStatus::CannotCreate);
    EXPECT_EQ(AppendEventsLine(files, "lost"), OutputStatus::WriteFailed);

    EXPECT_EQ(WriteInitialConditions(files, "/dev/full", p, 1), OutputStatus::WriteFailed);
    ASSERT_EQ(CreateDynamicalFile(files, "/dev/full"), OutputStatus::Ok);
    EXPECT_EQ(AppendSample(files, sample), OutputStatus::Ok);  // buffered
    EXPECT_EQ(FlushDynamicalFile(files), OutputStatus::WriteFailed);
    EXPECT_EQ(CloseDynamicalFile(files), OutputStatus::WriteFailed);
    ASSERT_EQ(CreateEventsFile(files, "/dev/full"), OutputStatus::Ok);
    EXPECT_EQ(WriteLssTotals(files, 1, channels, 1e-15), OutputStatus::Ok);  // buffered
    EXPECT_EQ(CloseEventsFile(files), OutputStatus::WriteFailed);
}

}  // namespace
}  // namespace vantrel
