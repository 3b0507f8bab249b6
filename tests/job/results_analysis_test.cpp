// The analysis of hand-made result tables: yields and their errors by
// species, reflection, transmission and ranges, the joining of slices,
// beams for the curves, and the JSON keys scripts rely on.
#include "job/results_analysis.h"

#include <cmath>
#include <string>

#include <gtest/gtest.h>

namespace vantrel {
namespace {

RunResultRecord Row(std::int32_t number, std::int32_t sputtered, ProjectileFate fate,
                    double energy = 0, double depth = NotApplicable, double ionEnergy = 1000,
                    double polar = 0) {
    RunResultRecord r;
    r.Run = number;
    r.IonZ = 18;
    r.IonEnergy = ionEnergy;
    r.IncidencePolar = polar;
    r.Sputtered = sputtered;
    r.SputteredBySpecies = {{29, sputtered}};
    r.Projectile = fate;
    r.ProjectileEnergy = energy;
    r.ProjectileDepth = depth;
    r.SurfaceBinding = 3.5;
    return r;
}

SputteredRecord Atom(std::int32_t run, double energy, double polar, std::int32_t layer = 1) {
    return SputteredRecord{run, 100 + run, 29, layer, 0.0, energy, polar, 45.0, 9.0};
}

// Four runs of one beam: yields 1, 3, 2, 6; one reflection with 100 of
// 1000 eV; one transmission; stopped at 10 and 14 A.
ResultTableSet FourRuns() {
    ResultTableSet set;
    set.Runs = {Row(1, 1, ProjectileFate::Stopped, 0, 10.0),
                Row(2, 3, ProjectileFate::Reflected, 100.0),
                Row(3, 2, ProjectileFate::Transmitted, 400.0),
                Row(4, 6, ProjectileFate::Stopped, 0, 14.0)};
    set.Runs[1].SputteredBySpecies = {{28, 1}, {29, 2}};
    set.Runs[3].LeftSide = 2;  // recoils a wider crystal would have kept
    set.HasAtomTable = true;
    set.Atoms = {Atom(1, 5, 10), Atom(2, 8, 30, 2), Atom(4, 2, 60)};
    return set;
}

TEST(ResultsAnalysis, YieldsReflectionAndRanges) {
    const ResultsAnalysis a = AnalyseResults({FourRuns()}, 10);
    const ResultSummary& s = a.All;
    EXPECT_EQ(s.Runs, 4);
    EXPECT_DOUBLE_EQ(s.Yield.Mean, 3.0);
    // Deviations 2, 0, 1, 3: s^2 = 14 / 3.
    EXPECT_DOUBLE_EQ(s.Yield.Error, std::sqrt(14.0 / 3.0) / 2.0);
    // Species: a run without a species' column counted none of it.
    EXPECT_DOUBLE_EQ(s.YieldBySpecies.at(29).Mean, (1 + 2 + 2 + 6) / 4.0);
    EXPECT_DOUBLE_EQ(s.YieldBySpecies.at(28).Mean, 0.25);
    EXPECT_DOUBLE_EQ(s.ReflectionNumber.Mean, 0.25);
    EXPECT_DOUBLE_EQ(s.ReflectionNumber.Error, std::sqrt(0.25 * 0.75 * 4 / 3) / 2.0);
    EXPECT_DOUBLE_EQ(s.ReflectionEnergy.Mean, 0.1 / 4);
    EXPECT_DOUBLE_EQ(s.TransmissionNumber.Mean, 0.25);
    EXPECT_EQ(s.Depth.Count, 2);
    EXPECT_DOUBLE_EQ(s.Depth.Mean, 12.0);
    EXPECT_DOUBLE_EQ(s.Depth.Deviation, std::sqrt(8.0));
    EXPECT_DOUBLE_EQ(s.LeftSide, 0.5);
    EXPECT_EQ(a.Beams.size(), 1u);
    EXPECT_EQ(a.Atoms, 3);
    EXPECT_EQ(a.Layer.Counts, (std::vector<double>{2, 1}));
    EXPECT_DOUBLE_EQ(a.Energy.High, 70.0);  // twenty binding energies
    EXPECT_EQ(a.Depth.Counts.size(), 10u);
}

// Slices of one job joined: a run written twice counts once, and atoms of
// runs without a row are left out, both noted.
TEST(ResultsAnalysis, JoiningSlices) {
    ResultTableSet set = FourRuns();
    set.Runs.push_back(Row(4, 100, ProjectileFate::Stopped, 0, 1.0));
    set.Atoms.push_back(Atom(9, 1, 1));
    const ResultsAnalysis a = AnalyseResults({set}, 10);
    EXPECT_EQ(a.All.Runs, 4);
    EXPECT_DOUBLE_EQ(a.All.Yield.Mean, 3.0);
    EXPECT_EQ(a.Atoms, 3);
    EXPECT_EQ(a.Notes, (std::vector<std::string>{
                           "table set 1: 1 rows repeat a run number; the first row of each run counts",
                           "table set 1: 1 sputtered atoms of runs without a results row left out"}));

    // Two slices (runs 1-2 and 3-4), given as one joined set or as a set
    // each, are the four-run job: one beam, the same yield, every atom.
    ResultTableSet first = FourRuns(), second = FourRuns();
    first.Runs.resize(2);
    first.Atoms.resize(2);
    second.Runs.erase(second.Runs.begin(), second.Runs.begin() + 2);
    second.Atoms.erase(second.Atoms.begin(), second.Atoms.begin() + 2);
    for (const std::vector<ResultTableSet>& slices :
         {std::vector<ResultTableSet>{first, second}, std::vector<ResultTableSet>{FourRuns()}}) {
        const ResultsAnalysis joined = AnalyseResults(slices, 10);
        EXPECT_EQ(joined.All.Runs, 4);
        EXPECT_DOUBLE_EQ(joined.All.Yield.Error, std::sqrt(14.0 / 3.0) / 2.0);
        EXPECT_EQ(joined.Atoms, 3);
        EXPECT_EQ(joined.Beams.size(), 1u);
        EXPECT_FALSE(joined.All.MixedBeams);
        EXPECT_TRUE(joined.Notes.empty());
    }
}

// The jobs of a batch over energies and angles repeat their run numbers;
// each is its own set, and every beam is a point of the curves.
TEST(ResultsAnalysis, BeamsOfABatch) {
    std::vector<ResultTableSet> sets(3);
    sets[0].Runs = {Row(1, 2, ProjectileFate::Stopped, 0, 8), Row(2, 4, ProjectileFate::Stopped, 0, 9)};
    sets[1].Runs = {Row(1, 6, ProjectileFate::Stopped, 0, 15, 3000), Row(2, 8, ProjectileFate::Stopped, 0, 17, 3000)};
    sets[2].Runs = {Row(1, 9, ProjectileFate::Reflected, 50, NotApplicable, 1000, 45)};
    const ResultsAnalysis a = AnalyseResults(sets, 10);
    EXPECT_TRUE(a.Notes.empty());
    ASSERT_EQ(a.Beams.size(), 3u);
    EXPECT_EQ(a.DistinctEnergies, 2);
    EXPECT_EQ(a.DistinctPolarAngles, 2);
    EXPECT_TRUE(a.All.MixedBeams);
    // Sorted by angle, then energy.
    EXPECT_DOUBLE_EQ(a.Beams[0].IonEnergy, 1000);
    EXPECT_DOUBLE_EQ(a.Beams[0].Yield.Mean, 3.0);
    EXPECT_DOUBLE_EQ(a.Beams[1].IonEnergy, 3000);
    EXPECT_DOUBLE_EQ(a.Beams[1].Depth.Mean, 16.0);
    EXPECT_DOUBLE_EQ(a.Beams[2].IncidencePolar, 45);
    EXPECT_DOUBLE_EQ(a.Beams[2].ReflectionNumber.Mean, 1.0);
    const std::string csv = BeamsCsv(a);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 4);
    EXPECT_NE(csv.find("\n18,3000,0,0,2,7,1,0,0,0,0,0,0,16,1,1.41421\n"), std::string::npos);
}

TEST(ResultsAnalysis, JsonHasTheKeysScriptsUse) {
    const std::string json = SummaryJson(AnalyseResults({FourRuns()}, 10));
    for (const char* key :
         {"\"runs\": 4", "\"yield\": 3,", "\"yield_error\": ", "\"yield_by_species\": {\"28\": 0.25, \"29\": 2.75}",
          "\"reflection_number\": 0.25", "\"reflection_energy\": 0.025", "\"transmission_number\": 0.25",
          "\"mean_depth_A\": 12,", "\"straggling_A\": 2.8284271", "\"left_side_per_run\": 0.5,",
          "\"beams\": [{\"ion_Z\": 18"})
        EXPECT_NE(json.find(key), std::string::npos) << key;
    EXPECT_EQ(json.front(), '{');
    EXPECT_EQ(json.back(), '}');
    // Numbers that do not exist are null, never NaN.
    const std::string empty = SummaryJson(AnalyseResults({}, 10));
    EXPECT_NE(empty.find("\"yield\": null"), std::string::npos);
    EXPECT_EQ(empty.find("nan"), std::string::npos);
}

TEST(ResultsAnalysis, HistogramTablesCarryTheirFit) {
    Histogram h = MakeHistogram(std::vector<double>{0.5, 1.5, 1.7}, 0, 2, 2);
    EXPECT_EQ(HistogramCsv(h, "energy_eV"), "energy_eV_low,energy_eV_high,count\n0,1,1\n1,2,2\n");
    EXPECT_EQ(HistogramCsv(h, "energy_eV", {0.75, 2.25}),
              "energy_eV_low,energy_eV_high,count,fit\n0,1,1,0.75\n1,2,2,2.25\n");
}

}  // namespace
}  // namespace vantrel
