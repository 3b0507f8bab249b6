// Reading the result tables back: what the writers wrote reads as it was,
// columns are found by name, and every malformed table is named with its
// line and column.
#include "io/result_tables.h"

#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "output/result_tables.h"

namespace vantrel {
namespace {

RunResultRecord Reflected() {
    RunResultRecord r;
    r.Run = 12;
    r.IonEnergy = 1000;
    r.IonZ = 18;
    r.ImpactX = 1.5;
    r.StartHeight = 5;
    r.Sputtered = 4;
    r.SputteredBySpecies = {{28, 1}, {29, 3}};
    r.Vibrating = 40;
    r.Projectile = ProjectileFate::Reflected;
    r.ProjectileEnergy = 47.7772;
    r.ProjectilePolar = 12.5;
    r.ProjectileAzimuth = 301.25;
    r.Timesteps = 1660;
    r.Time = 1002.1;
    r.SurfaceBinding = 3.45588;
    return r;
}

TEST(ResultTablesReader, ReadsWhatTheWritersWrote) {
    const RunResultRecord r = Reflected();
    const ResultsTableRead read =
        ParseResultsTable(ResultsHeader(r) + "\n" + ResultsRow(r) + "\r\n\n", "results.csv");
    ASSERT_TRUE(read.Ok);
    ASSERT_EQ(read.Rows.size(), 1u);
    const RunResultRecord& b = read.Rows[0];
    EXPECT_EQ(b.Run, 12);
    EXPECT_EQ(b.IonZ, 18);
    EXPECT_EQ(b.SputteredBySpecies, r.SputteredBySpecies);
    EXPECT_EQ(b.Projectile, ProjectileFate::Reflected);
    EXPECT_DOUBLE_EQ(b.ProjectileEnergy, 47.7772);
    EXPECT_DOUBLE_EQ(b.ProjectileAzimuth, 301.25);
    EXPECT_TRUE(std::isnan(b.ProjectileDepth));
    EXPECT_TRUE(std::isnan(b.EnergyError));
    EXPECT_EQ(ResultsRow(b), ResultsRow(r));

    const SputteredRecord atom{12, 1095, 29, 2, 1.805, 12.5, 33.25, 301.5, 8.125};
    const SputteredTableRead atoms =
        ParseSputteredTable(SputteredHeader() + "\n" + SputteredRow(atom) + "\n", "sputtered.csv");
    ASSERT_TRUE(atoms.Ok);
    ASSERT_EQ(atoms.Rows.size(), 1u);
    EXPECT_EQ(SputteredRow(atoms.Rows[0]), SputteredRow(atom));
}

// Columns in another order, unknown columns and missing optional ones.
TEST(ResultTablesReader, FindsColumnsByName) {
    const ResultsTableRead read = ParseResultsTable(
        "projectile,extra,sputtered,run\ntrapped,x,2,5\nstopped,y,0,6\n", "t.csv");
    ASSERT_TRUE(read.Ok);
    ASSERT_EQ(read.Rows.size(), 2u);
    EXPECT_EQ(read.Rows[0].Run, 5);
    EXPECT_EQ(read.Rows[0].Sputtered, 2);
    EXPECT_EQ(read.Rows[0].Projectile, ProjectileFate::Trapped);
    EXPECT_TRUE(read.Rows[1].SputteredBySpecies.empty());
}

TEST(ResultTablesReader, NamesWhatIsWrong) {
    const struct {
        const char* Text;
        bool Ok;
        const char* Message;
    } cases[] = {
        {"", false, "t.csv: no header line"},
        {"run,sputtered\n1,2\n", false, "t.csv: no column projectile"},
        {"run,sputtered,projectile\n1,2,stopped\n2,two,stopped\n", false,
         "t.csv, line 3: bad value 'two' in column sputtered"},
        {"run,sputtered,projectile\n1,2,bounced\n", false,
         "t.csv, line 2: bad value 'bounced' in column projectile"},
        {"run,sputtered,projectile,time_fs\n1,2,stopped,\n", false,
         "t.csv, line 2: bad value '' in column time_fs"},
        {"run,sputtered,projectile\n1,2,stopped\n2,1,sto", true,
         "t.csv, line 3: left out (no line end: the job stopped while writing it)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        const ResultsTableRead read = ParseResultsTable(c.Text, "t.csv");
        EXPECT_EQ(read.Ok, c.Ok);
        ASSERT_EQ(read.Messages.size(), 1u);
        EXPECT_EQ(read.Messages[0], c.Message);
        EXPECT_EQ(read.Rows.size(), c.Ok ? 1u : 0u);
    }
    const SputteredTableRead atoms = ParseSputteredTable("run,index,Z,energy_eV,polar_deg\n", "s.csv");
    EXPECT_FALSE(atoms.Ok);
    EXPECT_EQ(atoms.Messages, std::vector<std::string>{"s.csv: no column azimuth_deg"});
    const ResultsTableRead missing = ReadResultsTable("/nonexistent/results.csv");
    EXPECT_FALSE(missing.Ok);
    EXPECT_EQ(missing.Messages, std::vector<std::string>{"/nonexistent/results.csv: cannot be read"});
}

}  // namespace
}  // namespace vantrel
