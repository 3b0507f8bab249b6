// The two result tables: their exact header and row bytes, and the statuses
// of the paths that lose rows.
#include "output/result_tables.h"

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace vantrel {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;

RunResultRecord Row() {
    RunResultRecord r;
    r.Run = 7;
    r.IonEnergy = 1000;
    r.IonZ = 18;
    r.IncidencePolar = 0;
    r.IncidenceAzimuth = 45;
    r.ImpactX = 0.45;
    r.ImpactY = 1.2;
    r.StartHeight = 5;
    r.Sputtered = 3;
    r.SputteredBySpecies = {{28, 1}, {29, 2}};
    r.Vibrating = 12;
    r.LeftBottom = 0;
    r.FastNearSurface = 1;
    r.Projectile = ProjectileFate::Stopped;
    r.ProjectileEnergy = 0.0123456789;
    r.ProjectileDepth = 12.3456789;
    r.EnergyError = -0.0545054;
    r.Timesteps = 1966;
    r.Time = 1000.5612;
    r.SurfaceBinding = 3.45588;
    return r;
}

TEST(ResultTables, RowsAndHeadersToTheByte) {
    const RunResultRecord r = Row();
    EXPECT_EQ(ResultsHeader(r),
              "run,ion_energy_eV,ion_Z,incidence_polar_deg,incidence_azimuth_deg,impact_x_A,"
              "impact_y_A,start_height_A,sputtered,sputtered_Z28,sputtered_Z29,vibrating,"
              "left_bottom,left_side,fast_near_surface,projectile,projectile_energy_eV,projectile_polar_deg,"
              "projectile_azimuth_deg,projectile_depth_A,energy_error_pct,timesteps,time_fs,"
              "surface_binding_eV");
    // Directions of a stopped projectile do not apply: empty fields.
    EXPECT_EQ(ResultsRow(r), "7,1000,18,0,45,0.45,1.2,5,3,1,2,12,0,0,1,stopped,0.0123457,,,12.3457,"
                             "-0.0545054,1966,1000.56,3.45588");
    SputteredRecord atom{7, 1095, 29, 2, 1.805, 12.5, 33.25, 301.5, 8.125};
    EXPECT_EQ(SputteredHeader(), "run,index,Z,layer,origin_depth_A,energy_eV,polar_deg,azimuth_deg,height_A");
    EXPECT_EQ(SputteredRow(atom), "7,1095,29,2,1.805,12.5,33.25,301.5,8.125");
}

TEST(ResultTables, FilesGetTheHeaderOnceAndEveryRow) {
    TempDir dir;
    ResultTableFiles files;
    ASSERT_EQ(CreateResultsFile(files, dir.File("r.csv")), OutputStatus::Ok);
    ASSERT_EQ(CreateSputteredFile(files, dir.File("s.csv")), OutputStatus::Ok);
    RunResultRecord r = Row();
    EXPECT_EQ(AppendResultsRow(files, r), OutputStatus::Ok);
    // Rows are flushed at once: a window or script may read them while the job runs.
    EXPECT_EQ(ReadFileBytes(dir.File("r.csv")), ResultsHeader(r) + "\n" + ResultsRow(r) + "\n");
    r.Run = 8;
    EXPECT_EQ(AppendResultsRow(files, r), OutputStatus::Ok);
    const SputteredRecord atoms[] = {{8, 5, 29, 1, 0, 4, 10, 20, 9}};
    EXPECT_EQ(AppendSputteredRows(files, atoms), OutputStatus::Ok);
    EXPECT_EQ(CloseResultsFile(files), OutputStatus::Ok);
    EXPECT_EQ(CloseSputteredFile(files), OutputStatus::Ok);
    const std::string results = ReadFileBytes(dir.File("r.csv"));
    EXPECT_EQ(results.find("run,"), 0u);
    EXPECT_EQ(results.find("run,", 1), std::string::npos);
    EXPECT_NE(results.find("\n8,1000,"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(dir.File("s.csv")), SputteredHeader() + "\n" + SputteredRow(atoms[0]) + "\n");
}

TEST(ResultTables, LostRowsComeBackAsStatuses) {
    TempDir dir;
    ResultTableFiles files;
    EXPECT_EQ(CreateResultsFile(files, dir.File("missing/r.csv")), OutputStatus::CannotCreate);
    EXPECT_EQ(AppendResultsRow(files, Row()), OutputStatus::WriteFailed);
    if (std::filesystem::exists("/dev/full")) {
        ResultTableFiles full;
        ASSERT_EQ(CreateResultsFile(full, "/dev/full"), OutputStatus::Ok);
        EXPECT_EQ(AppendResultsRow(full, Row()), OutputStatus::WriteFailed);
        EXPECT_EQ(CreateSputteredFile(full, "/dev/full"), OutputStatus::WriteFailed);
    }
}

}  // namespace
}  // namespace vantrel
