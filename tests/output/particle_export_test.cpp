#include "output/particle_export.h"

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/elements.h"
#include "core/units.h"
#include "output/record_file.h"

namespace vantrel {
namespace {

// A record from the units of the exported files: A, A/fs, fs, amu.
ParticleSample Record(std::int32_t index, std::int32_t run, double timeFs, double x, double y,
                      double z, double vx, double vy, double vz, double amu) {
    const double mass = amu * KilogramsPerAmu;
    const double perFs = MetresPerAngstrom * FemtosecondsPerSecond;  // A/fs -> m/s
    return BuildSample(index, run, x * MetresPerAngstrom, y * MetresPerAngstrom,
                       z * MetresPerAngstrom, mass * vx * perFs, mass * vy * perFs,
                       mass * vz * perFs, timeFs * SecondsPerFemtosecond, mass);
}

// An Ar projectile on two Cu atoms: run 1 sampled at 10 and 20 fs, run 2 at
// 10 fs.  Ar at 0.1 A/fs carries 20.70 eV; Cu at 0.01 A/fs, 0.3293 eV.
std::vector<ParticleSample> SmallJob() {
    return {
        Record(0, 1, 10, 0, 0, 5, 0, 0, -0.1, 39.948),
        Record(1, 1, 10, 1.805, 0, 0, 0.01, 0, 0, 63.546),
        Record(2, 1, 10, -1.805, 0, -1.805, 0, 0, 0, 63.546),
        Record(0, 1, 20, 0, 0, 4, 0, 0, -0.1, 39.948),
        Record(2, 1, 20, -1.805, 0, -1.805, 0, -0.01, 0, 63.546),
        Record(1, 2, 10, 1.805, 0, 0.5, 0, 0, 0.01, 63.546),
    };
}

SpeciesSource SmallJobFiles() {
    SpeciesSource s;
    s.HasProjectile = true;
    s.ProjectileZ = 18;
    s.ProjectileMass = 39.948;
    s.HasTarget = true;
    s.TargetZ = {29, 29};
    s.TargetMass = {63.546, 63.546};
    return s;
}

struct Exported {
    std::vector<ExportFrame> Frames;
    ExportBox Box;
    ExportSpecies Species;
};

Exported Scan(const std::vector<std::vector<ParticleSample>>& files, SpeciesSource source) {
    ExportScan scan(std::move(source));
    for (std::size_t f = 0; f < files.size(); ++f) EXPECT_TRUE(scan.Add(f, 0, files[f]));
    return {scan.Frames(), scan.Box(), scan.Species()};
}

std::span<const ParticleSample> Slice(const std::vector<ParticleSample>& records,
                                      const ExportFrame& f) {
    return {records.data() + f.First, f.Count};
}

TEST(ParticleExport, EachFormatWritesTheKnownText) {
    const std::vector<ParticleSample> records = SmallJob();
    const Exported e = Scan({records}, SmallJobFiles());
    ASSERT_EQ(e.Frames.size(), 3u);

    std::string xyz, dump, csv = CsvHeader(CsvUnits::AngstromEvFemtosecond),
                           si = CsvHeader(CsvUnits::Si);
    for (std::size_t k = 0; k < e.Frames.size(); ++k) {
        const auto frame = Slice(records, e.Frames[k]);
        xyz += ExtendedXyzFrame(frame, e.Box, e.Species);
        dump += LammpsDumpFrame(frame, static_cast<std::int64_t>(k), e.Box, e.Species);
        csv += CsvRows(frame, e.Species, CsvUnits::AngstromEvFemtosecond);
        si += CsvRows(frame, e.Species, CsvUnits::Si);
    }
    const char* header =
        "Lattice=\"5.61 0 0 0 2 0 0 0 8.805\" Origin=\"-2.805 -1 -2.805\" "
        "Properties=species:S:1:pos:R:3:velo:R:3:kinetic_energy:R:1:id:I:1 ";
    EXPECT_EQ(xyz, std::string("3\n") + header + "Time=10 Run=1 pbc=\"F F F\"\n" +
                       "Ar 0 0 5 0 0 -0.1 20.70128 0\n"
                       "Cu 1.805 0 0 0.01 0 0 0.329299 1\n"
                       "Cu -1.805 0 -1.805 0 0 0 0 2\n"
                       "2\n" + header + "Time=20 Run=1 pbc=\"F F F\"\n" +
                       "Ar 0 0 4 0 0 -0.1 20.70128 0\n"
                       "Cu -1.805 0 -1.805 0 -0.01 0 0.329299 2\n"
                       "1\n" + header + "Time=10 Run=2 pbc=\"F F F\"\n" +
                       "Cu 1.805 0 0.5 0 0 0.01 0.329299 1\n");
    EXPECT_EQ(dump,
              "ITEM: TIME\n0.01\nITEM: TIMESTEP\n0\nITEM: NUMBER OF ATOMS\n3\n"
              "ITEM: BOX BOUNDS ff ff ff\n-2.805 2.805\n-1 1\n-2.805 6\n"
              "ITEM: ATOMS id element x y z vx vy vz ke run\n"
              "0 Ar 0 0 5 0 0 -100 20.70128 1\n"
              "1 Cu 1.805 0 0 10 0 0 0.329299 1\n"
              "2 Cu -1.805 0 -1.805 0 0 0 0 1\n"
              "ITEM: TIME\n0.02\nITEM: TIMESTEP\n1\nITEM: NUMBER OF ATOMS\n2\n"
              "ITEM: BOX BOUNDS ff ff ff\n-2.805 2.805\n-1 1\n-2.805 6\n"
              "ITEM: ATOMS id element x y z vx vy vz ke run\n"
              "0 Ar 0 0 4 0 0 -100 20.70128 1\n"
              "2 Cu -1.805 0 -1.805 0 -10 0 0.329299 1\n"
              "ITEM: TIME\n0.01\nITEM: TIMESTEP\n2\nITEM: NUMBER OF ATOMS\n1\n"
              "ITEM: BOX BOUNDS ff ff ff\n-2.805 2.805\n-1 1\n-2.805 6\n"
              "ITEM: ATOMS id element x y z vx vy vz ke run\n"
              "1 Cu 1.805 0 0.5 0 0 10 0.329299 2\n");
    EXPECT_EQ(csv,
              "run,index,species,time_fs,x_A,y_A,z_A,vx_A_per_fs,vy_A_per_fs,vz_A_per_fs,"
              "ke_eV,mass_amu\n"
              "1,0,Ar,10,0,0,5,0,0,-0.1,20.70128,39.948\n"
              "1,1,Cu,10,1.805,0,0,0.01,0,0,0.329299,63.546\n"
              "1,2,Cu,10,-1.805,0,-1.805,0,0,0,0,63.546\n"
              "1,0,Ar,20,0,0,4,0,0,-0.1,20.70128,39.948\n"
              "1,2,Cu,20,-1.805,0,-1.805,0,-0.01,0,0.329299,63.546\n"
              "2,1,Cu,10,1.805,0,0.5,0,0,0.01,0.329299,63.546\n");
    EXPECT_EQ(si.substr(0, si.find('\n', si.find('\n') + 1) + 1),
              "run,index,species,time_s,x_m,y_m,z_m,px_kg_m_per_s,py_kg_m_per_s,"
              "pz_kg_m_per_s,mass_kg\n"
              "1,0,Ar,9.99999982e-15,0,0,4.99999986e-10,0,0,-6.63348516e-22,6.63348513e-26\n");
}

// Reads back what the writers printed: every number to the precision it was
// printed with (7 significant digits; SI columns to the very single value).
TEST(ParticleExport, TextReadsBackToTheRecordsNumbers) {
    std::vector<ParticleSample> records;
    RecordFileReader golden(std::string(VANTREL_SOURCE_DIR) +
                            "/tests/data/golden/ar_cu100/dynvars.vsk");
    ASSERT_EQ(golden.Read(0, golden.Records(), records), RecordFileStatus::Ok);
    ASSERT_GT(records.size(), 100u);
    const Exported e = Scan({records}, {});
    const auto near = [](double printed, double exact) {
        return std::fabs(printed - exact) <= 5e-7 * std::fabs(exact) + 1e-30;
    };

    std::size_t checked = 0;
    for (const ExportFrame& f : e.Frames) {
        const auto frame = Slice(records, f);
        std::istringstream xyz(ExtendedXyzFrame(frame, e.Box, e.Species));
        std::istringstream csv(CsvRows(frame, e.Species, CsvUnits::AngstromEvFemtosecond));
        std::istringstream si(CsvRows(frame, e.Species, CsvUnits::Si));
        std::string line;
        std::getline(xyz, line);
        ASSERT_EQ(std::stoul(line), frame.size());
        std::getline(xyz, line);  // the header
        for (const ParticleSample& s : frame) {
            const ExportedParticle p = InExportUnits(s);
            std::string symbol;
            double x, y, z, vx, vy, vz, ke;
            int index;
            ASSERT_TRUE(xyz >> symbol >> x >> y >> z >> vx >> vy >> vz >> ke >> index);
            EXPECT_TRUE(near(x, p.Position[0]) && near(y, p.Position[1]) &&
                        near(z, p.Position[2]) && near(vx, p.Velocity[0]) &&
                        near(vy, p.Velocity[1]) && near(vz, p.Velocity[2]) &&
                        near(ke, p.KineticEnergy))
                << index;
            EXPECT_EQ(index, s.Index);

            ASSERT_TRUE(std::getline(csv, line));
            double time, mass;
            ASSERT_EQ(std::sscanf(line.c_str(), "%*d,%*d,%*[^,],%lf,%*f,%*f,%*f,%*f,%*f,%*f,%*f,%lf",
                                  &time, &mass),
                      2);
            EXPECT_TRUE(near(time, p.Time) && near(mass, p.Mass)) << line;

            ASSERT_TRUE(std::getline(si, line));
            int run = 0, siIndex = 0;
            float v[8];
            ASSERT_EQ(std::sscanf(line.c_str(), "%d,%d,%*[^,],%f,%f,%f,%f,%f,%f,%f,%f", &run,
                                  &siIndex, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7]),
                      10);
            const ParticleSample back{v[1], v[2], v[3], v[4], v[5], v[6], v[0], v[7], siIndex, run};
            EXPECT_EQ(EncodeSample(back), EncodeSample(s)) << line;
            ++checked;
        }
    }
    EXPECT_EQ(checked, records.size());
}

struct SpeciesCase {
    const char* Name;
    ParticleSample Sample;
    bool WithFiles;
    const char* Symbol;
    bool ByMass;
    SpeciesFault Fault;
};

class SpeciesMapping : public ::testing::TestWithParam<SpeciesCase> {};

TEST_P(SpeciesMapping, ByAtomicNumberFromTheFilesElseByMass) {
    const SpeciesCase& c = GetParam();
    const RecordSpecies s = SpeciesOf(c.WithFiles ? SmallJobFiles() : SpeciesSource{}, c.Sample);
    EXPECT_EQ(s.Fault, c.Fault);
    if (c.Fault != SpeciesFault::None) return;
    EXPECT_EQ(ElementSymbol(s.AtomicNumber), c.Symbol);
    EXPECT_EQ(s.ByMass, c.ByMass);
}

INSTANTIATE_TEST_SUITE_P(
    ParticleExport, SpeciesMapping,
    ::testing::Values(
        SpeciesCase{"ProjectileFromItsFile", Record(0, 1, 0, 0, 0, 0, 0, 0, 0, 39.948), true,
                    "Ar", false, SpeciesFault::None},
        SpeciesCase{"TargetAtomFromItsLine", Record(2, 1, 0, 0, 0, 0, 0, 0, 0, 63.546), true,
                    "Cu", false, SpeciesFault::None},
        SpeciesCase{"ArgonByMass", Record(0, 1, 0, 0, 0, 0, 0, 0, 0, 39.948), false, "Ar", true,
                    SpeciesFault::None},
        SpeciesCase{"NickelNotCobalt", Record(3, 1, 0, 0, 0, 0, 0, 0, 0, 58.69), false, "Ni", true,
                    SpeciesFault::None},
        SpeciesCase{"CobaltNotNickel", Record(3, 1, 0, 0, 0, 0, 0, 0, 0, 58.933), false, "Co",
                    true, SpeciesFault::None},
        SpeciesCase{"NoMassIsUnknown", Record(3, 1, 0, 0, 0, 0, 0, 0, 0, 0), false, "X", true,
                    SpeciesFault::None},
        SpeciesCase{"IndexBeyondTheTarget", Record(3, 1, 0, 0, 0, 0, 0, 0, 0, 63.546), true, "",
                    false, SpeciesFault::IndexBeyondTarget},
        SpeciesCase{"AnotherJobsProjectile", Record(0, 1, 0, 0, 0, 0, 0, 0, 0, 83.798), true, "",
                    false, SpeciesFault::MassDiffers}),
    [](const ::testing::TestParamInfo<SpeciesCase>& info) { return std::string(info.param.Name); });

TEST(ParticleExport, OneFramePerRunAndTimeInRunThenTimeOrder) {
    // Two slices of one job, the later runs first, and a final sample at
    // the time of the last periodic one (its indices start again).
    const std::vector<ParticleSample> laterRuns = {
        Record(0, 3, 10, 0, 0, 0, 0, 0, 0, 40), Record(1, 3, 10, 0, 0, 0, 0, 0, 0, 40),
        Record(0, 3, 20, 0, 0, 0, 0, 0, 0, 40), Record(1, 3, 20, 0, 0, 0, 0, 0, 0, 40),
        Record(0, 4, 10, 0, 0, 0, 0, 0, 0, 40)};
    const std::vector<ParticleSample> firstRuns = {
        Record(1, 2, 20, 0, 0, 0, 0, 0, 0, 40), Record(0, 1, 10, 0, 0, 0, 0, 0, 0, 40),
        Record(1, 1, 10, 0, 0, 0, 0, 0, 0, 40), Record(0, 1, 10, 0, 0, 0, 0, 0, 0, 40)};
    const Exported e = Scan({laterRuns, firstRuns}, {});
    std::vector<std::string> frames;
    for (const ExportFrame& f : e.Frames)
        frames.push_back("run " + std::to_string(f.Run) + " t " +
                         std::to_string(std::lround(f.Time * FemtosecondsPerSecond)) + ": file " +
                         std::to_string(f.File) + " from " + std::to_string(f.First) + " x" +
                         std::to_string(f.Count));
    EXPECT_EQ(frames, (std::vector<std::string>{
                          "run 1 t 10: file 1 from 1 x2", "run 1 t 10: file 1 from 3 x1",
                          "run 2 t 20: file 1 from 0 x1", "run 3 t 10: file 0 from 0 x2",
                          "run 3 t 20: file 0 from 2 x2", "run 4 t 10: file 0 from 4 x1"}));
}

}  // namespace
}  // namespace vantrel
