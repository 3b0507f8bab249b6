#include "job/run_results.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/number_text.h"
#include "core/units.h"
#include "job/log.h"
#include "job/output_files.h"

namespace vantrel {

namespace {

// Lattice sites closer in height than this belong to one layer.
constexpr double LayerTolerance = 0.3e-10;  // m

double Degrees(double radians) {
    return std::isnan(radians) ? NotApplicable : radians * DegreesPerRadian;
}

double Angstrom(double metres) {
    return std::isnan(metres) ? NotApplicable : metres * AngstromPerMetre;
}

// Layers, heights, species and binding energy, from the target as the
// first run read it.
void PrepareResults(SimulationState& s) {
    ResultsState& r = s.Results;
    const ParticleTable& p = s.Particles;
    SiteLayers(p, LayerTolerance, r.Layers);
    OutcomeGeometry& g = r.Geometry;
    SiteHeights(p, g.SurfaceZ, g.BottomZ);
    SiteExtent(p, g);
    g.CutoffRadius = s.Model.CutoffRadius;
    g.BarrierEnergy = s.Model.SurfaceBarrier;
    g.ProjectileBound = s.Options().SelfBombard;
    r.Species.clear();
    for (std::int32_t i = 1; i <= p.AtomCount; ++i)
        if (std::find(r.Species.begin(), r.Species.end(), p.AtomicNumber[i]) == r.Species.end())
            r.Species.push_back(p.AtomicNumber[i]);
    std::sort(r.Species.begin(), r.Species.end());
    r.Sputtered.reserve(static_cast<std::size_t>(p.AtomCount));

    const double given = s.Program.Extended.SurfaceBinding;
    std::string source;
    if (given > 0) {
        g.SurfaceBinding = given * JoulesPerEvInput;
        source = "given";
    } else {
        const std::int32_t atom = CentralSite(p);
        g.SurfaceBinding =
            atom > 0 ? std::fabs(LatticeCohesiveEnergy(p, s.Model, s.BinaryTarget, atom)) : 0.0;
        source = "cohesive energy of atom #" + IntegerText(atom);
    }
    LogLine(s.Ui(),
            "  Surface-binding energy for the results: " +
                FormatRealDecimals(4, g.SurfaceBinding * EvPerJoule) + " eV (" + source + ")",
            ColourBlack);
    r.Prepared = true;
}

std::string FateText(const RunOutcome& o, bool barrier) {
    switch (o.Projectile) {
        case ProjectileFate::Stopped:
            return "projectile stopped at depth " +
                   FormatRealDecimals(3, o.ProjectileDepth * AngstromPerMetre) + " A";
        case ProjectileFate::Reflected:
            return "projectile reflected with " +
                   FormatRealDecimals(2, o.ProjectileEnergy * EvPerJoule) + " eV";
        case ProjectileFate::Transmitted:
            return "projectile transmitted with " +
                   FormatRealDecimals(2, o.ProjectileEnergy * EvPerJoule) + " eV";
        case ProjectileFate::LeftSide:
            return "projectile out through a side of the crystal";
        case ProjectileFate::Trapped:
            break;
    }
    return barrier ? "projectile trapped between the surface and the barrier plane"
                   : "projectile above the surface, not leaving";
}

}  // namespace

void StartResults(SimulationState& s, bool yieldTarget) {
    ResultsState& r = s.Results;
    r = ResultsState{};
    const bool store = s.Program.Extended.StoreResults;
    r.Active = store || yieldTarget;
    if (!store) return;
    ReportOutputStatus(s, r.Files.Results, CreateResultsFile(r.Files, s.Outputs.Results));
    ReportOutputStatus(s, r.Files.Sputtered, CreateSputteredFile(r.Files, s.Outputs.Sputtered));
}

void RecordRunResults(SimulationState& s, const TrajectoryState& t, double energyError) {
    ResultsState& r = s.Results;
    if (!r.Active) return;
    // Step, a confirmed abort or an overflowing partner list cut the run
    // short: its cascade is unfinished, and counting it would bias the yield.
    if (s.Program.AbortNow) {
        LogLine(s.Ui(), "  Results: run ended early, not counted", ColourBlack);
        return;
    }
    if (!r.Prepared) PrepareResults(s);
    const ParticleTable& p = s.Particles;
    OutcomeGeometry& g = r.Geometry;
    // Where the trajectory applied the barrier in this run.
    g.BarrierPlane = t.Zone.ZMax - s.Impact.StartHeight * MetresPerAngstrom;
    const RunOutcome o = ClassifyRun(p, g, r.Sputtered);

    RunResultRecord row;
    row.Run = s.RunNumber();
    row.IonEnergy = s.Projectile.Energy * 1000.0;
    row.IonZ = s.Projectile.AtomicNumber;
    row.IncidencePolar = 90.0 - s.Run.Altitude * DegreesPerRadian;
    row.IncidenceAzimuth = s.Run.Azimuth * DegreesPerRadian;
    row.ImpactX = s.Impact.DeltaX;
    row.ImpactY = s.Impact.DeltaY;
    row.StartHeight = s.Impact.StartHeight;
    row.Sputtered = o.Sputtered;
    for (const std::int32_t z : r.Species) row.SputteredBySpecies.emplace_back(z, 0);
    std::vector<SputteredRecord> atoms;
    atoms.reserve(r.Sputtered.size());
    for (const SputteredAtom& a : r.Sputtered) {
        SputteredRecord rec;
        rec.Run = row.Run;
        rec.Index = a.Index;
        rec.AtomicNumber = p.AtomicNumber[a.Index];
        rec.Layer = r.Layers[static_cast<std::size_t>(a.Index)];
        rec.OriginDepth = (g.SurfaceZ - p.SiteZ[a.Index]) * AngstromPerMetre;
        rec.Energy = a.Energy * EvPerJoule;
        rec.Polar = Degrees(a.Polar);
        rec.Azimuth = Degrees(a.Azimuth);
        rec.Height = a.Height * AngstromPerMetre;
        atoms.push_back(rec);
        for (auto& [z, count] : row.SputteredBySpecies)
            if (z == rec.AtomicNumber) ++count;
    }
    row.Vibrating = o.Vibrating;
    row.LeftBottom = o.LeftBottom;
    row.LeftSide = o.LeftSide;
    row.FastNearSurface = o.FastNearSurface;
    row.Projectile = o.Projectile;
    row.ProjectileEnergy = o.ProjectileEnergy * EvPerJoule;
    row.ProjectilePolar = Degrees(o.ProjectilePolar);
    row.ProjectileAzimuth = Degrees(o.ProjectileAzimuth);
    row.ProjectileDepth = Angstrom(o.ProjectileDepth);
    row.EnergyError = energyError;
    row.Timesteps = t.StepCount;
    row.Time = t.Time * FemtosecondsPerSecond;
    row.SurfaceBinding = g.SurfaceBinding * EvPerJoule;

    r.Yield.Add(o.Sputtered);
    if (o.Projectile == ProjectileFate::Reflected) ++r.Reflected;
    if (o.Projectile == ProjectileFate::Transmitted) ++r.Transmitted;

    UserInterface& ui = s.Ui();
    LogLine(ui,
            "  Sputtered: " + IntegerText(o.Sputtered) + (o.Sputtered == 1 ? " atom; " : " atoms; ") +
                FateText(o, g.BarrierEnergy > 0),
            ColourBlue);
    if (o.FastNearSurface > 0)
        LogLine(ui,
                "  Warning: " + IntegerText(o.FastNearSurface) +
                    " atoms near the surface still above the binding energy: raise the max. time",
                ColourRed);

    if (!s.Program.Extended.StoreResults) return;
    ReportOutputStatus(s, r.Files.Results, AppendResultsRow(r.Files, row));
    if (!atoms.empty())
        ReportOutputStatus(s, r.Files.Sputtered, AppendSputteredRows(r.Files, atoms));
    ui.ResultsWritten();
}

bool YieldConverged(SimulationState& s, double relativeError, std::int32_t minRuns) {
    const ResultsState& r = s.Results;
    if (!r.Active || r.Yield.Count < std::max<std::int64_t>(minRuns, 2)) return false;
    const double mean = r.Yield.Mean();
    if (!(mean > 0)) return false;
    const double relative = r.Yield.StandardError() / mean;
    if (!(relative < relativeError)) return false;
    LogLine(s.Ui(),
            "  Yield converged: relative standard error " + FormatRealDecimals(4, relative) +
                " below " + FormatRealDecimals(4, relativeError) + " after " +
                IntegerText(static_cast<std::int32_t>(r.Yield.Count)) + " runs",
            ColourBlue);
    return true;
}

void FinishResults(SimulationState& s) {
    ResultsState& r = s.Results;
    if (!r.Active) return;
    if (r.Yield.Count > 0)
        LogLine(s.Ui(),
                "  Sputtering yield: " + FormatRealDecimals(3, r.Yield.Mean()) + " +/- " +
                    FormatRealDecimals(3, r.Yield.StandardError()) + " atoms/ion over " +
                    IntegerText(static_cast<std::int32_t>(r.Yield.Count)) + " runs; reflected " +
                    IntegerText(r.Reflected) + ", transmitted " + IntegerText(r.Transmitted),
                ColourBlue);
    if (!s.Program.Extended.StoreResults) return;
    ReportOutputStatus(s, r.Files.Results, CloseResultsFile(r.Files));
    ReportOutputStatus(s, r.Files.Sputtered, CloseSputteredFile(r.Files));
}

}  // namespace vantrel
