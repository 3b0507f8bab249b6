// The analysis of result tables: yields, reflection and transmission,
// projectile ranges, the distributions of the sputtered atoms with their
// fits, and curves over the beams of several jobs; with the texts that
// present it (summary, JSON, CSV tables).  `vantrel-cli analyze` and the
// desktop program's Results window show the same analysis.
//
// Tables are joined as the user gives them: each set is the result table
// and sputtered table of one job, or of the slices of one job (their run
// numbers then differ).  Within a set a run number seen twice is counted
// once (the first row), and sputtered atoms of runs the set has no row for
// are left out; both are noted.  Runs are grouped by their beam (projectile
// Z, energy, incidence polar and azimuthal angle): the summary's numbers are
// over every run, the curves show one point per beam.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/result_records.h"
#include "core/result_statistics.h"

namespace vantrel {

struct ResultTableSet {
    std::vector<RunResultRecord> Runs;
    std::vector<SputteredRecord> Atoms;
    bool HasAtomTable = false;  // a sputtered table was given for this set
};

// The numbers of a group of runs.
struct ResultSummary {
    std::int32_t IonZ = 0;
    double IonEnergy = 0;         // eV (of the first run; one value within a beam)
    double IncidencePolar = 0;    // deg
    double IncidenceAzimuth = 0;  // deg
    std::int64_t Runs = 0;
    MeanWithError Yield;  // sputtered atoms per run
    std::map<std::int32_t, MeanWithError> YieldBySpecies;  // by Z
    MeanWithError ReflectionNumber;  // share of runs whose projectile was reflected
    MeanWithError ReflectionEnergy;  // reflected energy / ion energy, per run
    MeanWithError TransmissionNumber;
    std::int64_t Trapped = 0;
    std::int64_t ProjectilesOutSide = 0;  // out through a side face
    double LeftBottom = 0;  // target atoms out through the lower face, per run
    double LeftSide = 0;    // through the side faces, per run
    MeanWithError Depth;  // of the stopped projectiles (A): mean, straggling = Deviation
    double Vibrating = 0;             // per run
    std::int64_t RunsWithFastAtoms = 0;
    double SurfaceBinding = 0;        // eV, as the tables give it (the first run's)
    bool MixedBeams = false;          // the runs are not all of one beam
};

struct ResultsAnalysis {
    ResultSummary All;
    std::vector<ResultSummary> Beams;  // by Z, incidence polar angle, azimuth, energy
    std::int32_t DistinctEnergies = 0;
    std::int32_t DistinctPolarAngles = 0;

    bool HasAtoms = false;  // a sputtered table was read
    std::int64_t Atoms = 0;
    Histogram Energy;   // eV
    Histogram Polar;    // deg
    Histogram Azimuth;  // deg
    Histogram Layer;    // layer of origin
    Histogram Depth;    // projectile stopping depth (A)
    ThompsonFit Thompson;  // energies up to Energy.High
    CosinePowerFit Cosine;

    std::vector<std::string> Notes;  // joining notes
};

// The analysis of the sets with bins bins per histogram (the layer
// histogram has one bin per layer).
ResultsAnalysis AnalyseResults(const std::vector<ResultTableSet>& sets, std::int32_t bins);

// The summary as lines of text (no line ends).
std::vector<std::string> SummaryLines(const ResultsAnalysis& analysis);

// The summary as one JSON object: runs, yield, yield_error,
// yield_by_species (Z -> yield), yield_by_species_error, reflection_number,
// reflection_number_error, reflection_energy, reflection_energy_error,
// transmission_number, transmission_number_error, trapped, stopped,
// mean_depth_A, mean_depth_error_A, straggling_A, vibrating_per_run,
// left_bottom_per_run, left_side_per_run, side_projectiles,
// runs_with_fast_atoms, surface_binding_eV, sputtered_atoms,
// thompson_binding_eV, thompson_binding_error_eV, cos_power_n,
// cos_power_error, beams (one object per beam with the same yield,
// reflection, transmission and depth keys and its ion_Z, ion_energy_eV,
// incidence_polar_deg, incidence_azimuth_deg), notes.  A number that does
// not exist is null.
std::string SummaryJson(const ResultsAnalysis& analysis);

// A histogram as CSV: "<name>_low,<name>_high,count" and, with fitted
// expected counts, ",fit".
std::string HistogramCsv(const Histogram& histogram, const std::string& name,
                         const std::vector<double>& fit = {});

// The expected counts per bin of the fits (empty when a fit did not converge).
std::vector<double> ThompsonCounts(const ResultsAnalysis& analysis);
std::vector<double> CosinePowerCounts(const ResultsAnalysis& analysis);

// The beams as CSV, one row per beam.
std::string BeamsCsv(const ResultsAnalysis& analysis);

}  // namespace vantrel
