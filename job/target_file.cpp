// Target file (*.trg): one line per atom, six values and a free rest of line.
//
//   column  value                unit  stored into particle i (line i)
//   1-3     real x, y, z         A     X, Y, Z and SiteX, SiteY, SiteZ   x 1e-10 -> m
//   4       integer 1..1000      -     AtomicNumber
//   5       real                 amu   Mass                              x 1.66053e-27 -> kg
//   6       integer              -     Flags and InitialFlags: TypeB (1) marks species B,
//                                      NoCooling (8), ImageCharge (32); other bits kept
//   rest of line 1               -     the target's name, logged
//
// z points out of the surface; the projectile starts above the target.
// Values missing from the end of a line are taken from the next line, as
// in every input file.  Lines beyond the 200,000th are ignored.
#include "job/target_file.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "job/log.h"
#include "core/number_text.h"
#include "io/input_file.h"
#include "job/model_file.h"

namespace vantrel {

namespace {

constexpr std::size_t TargetNameLimit = 255;
constexpr double BulkDepth = 1.0e-10;       // m below atom 1: deeper atoms are bulk
constexpr double DisplacementCut = 2.5;     // sigma: larger positive deviates are redrawn
constexpr double CellGrowth = 1.1;          // factor per cell-edge enlargement
constexpr double GridCellsLateral = 12.0;   // cells from the grid's centre to a side
constexpr double GridCellsTop = 4.0;        // cells from the centre to the top
// Below this |sin(altitude)| the beam lies in the surface plane and the
// projectile's start is undefined (altitude 0 or 180 degrees).
constexpr double GrazingSineLimit = 1.0e-9;

bool IsB(std::uint32_t flags) { return (flags & TypeB) != 0; }

void ShowLineError(UserInterface& ui, std::int32_t line) {
    ShowError(ui, "File format or parameter size error in .TRG file at line " + IntegerText(line) +
                      " - aborting.");
}

// Species detection found a mixed target: only tables that the job will use
// are checked for non-finite entries.
bool CheckBinaryTables(SimulationState& s) {
    return CheckTablesFinite(s, BB) && CheckTablesFinite(s, AB);
}

}  // namespace

std::int32_t CountTargetAtoms(SimulationState& s, std::string_view name) {
    InputFile in(name);
    if (!in.Opened()) {
        ShowError(s.Ui(), "Cannot open Target file:\r" + std::string(name));
        return 0;
    }
    std::int64_t count = 0;
    std::int32_t last = 0;
    // A line counts when it holds anything; blank lines at the end do not
    // make phantom atoms.
    while (!in.AtEndOfData()) {
        in.ReadToken();
        in.ReadToken();
        in.ReadToken();
        const std::string z = in.ReadToken();
        in.SkipLine();
        std::int32_t value = 0;
        last = ParseIntegerToken(z, value) ? value : 0;
        ++count;
    }
    in.Close();
    s.LastAtomicNumber = last;
    if (count > MaxAtomCount) {
        s.Ui().WarningBox("Too many atoms in .TRG file (max. 200,000) - ignoring excess.");
        return MaxAtomCount;
    }
    return static_cast<std::int32_t>(count);
}

double ThermalDisplacementSample(RandomGenerator& random, double meanSquare) {
    // The acceptance test below can never pass for sigma = 0.
    if (!(meanSquare > 0.0) || !std::isfinite(meanSquare)) return 0.0;
    const double sigma = std::sqrt(meanSquare);
    const double sign = random.Uniform() < 0.5 ? 1.0 : -1.0;
    const double c = 1.0 - random.Uniform();
    const double angle = std::cos(2.0 * std::numbers::pi * c);
    double d;
    do {
        d = std::sqrt(-2.0 * std::log(1.0 - random.Uniform())) * sigma * sign * angle;
    } while (!(DisplacementCut * sigma > d));
    return d * MetresPerAngstrom;
}

void PlaceProjectile(SimulationState& s) {
    ParticleTable& p = s.Particles;
    const double h = s.Impact.StartHeight * MetresPerAngstrom;
    const double altitude = s.Run.Altitude;
    const double azimuth = s.Run.Azimuth;
    const double run = h * std::cos(altitude) / std::sin(altitude);  // lateral travel to the aim
    p.X[0] = p.SiteX[1] + s.Impact.DeltaX * MetresPerAngstrom + run * std::cos(azimuth);
    p.Y[0] = p.SiteY[1] + s.Impact.DeltaY * MetresPerAngstrom + run * std::sin(azimuth);
    p.Z[0] = p.SiteZ[1] + h;
    p.Flags[0] = p.InitialFlags[0];
}

void DisplaceThermally(SimulationState& s, std::int32_t i) {
    ParticleTable& p = s.Particles;
    const ModelParameters& m = s.Model;
    const SimulationOptions& options = s.Options();
    if (options.Verbose && i == 1)
        LogLine(s.Ui(), "  Getting thermal displacements...", ColourBlue);

    const bool bulk = p.Z[1] - BulkDepth > p.Z[i];
    const bool b = IsB(p.Flags[i]);
    double inPlane, normal;
    if (bulk) {
        inPlane = normal = b ? m.MsdBulkB : m.MsdBulkA;
    } else {
        inPlane = b ? m.MsdSurfaceInPlaneB : m.MsdSurfaceInPlaneA;
        normal = b ? m.MsdSurfaceNormalB : m.MsdSurfaceNormalA;
    }
    RandomGenerator& random = s.Program.Random;
    p.X[i] += ThermalDisplacementSample(random, inPlane);
    if (!options.NoYVibration) p.Y[i] += ThermalDisplacementSample(random, inPlane);
    p.Z[i] += ThermalDisplacementSample(random, normal);
}

bool ReadTargetFile(SimulationState& s) {
    ParticleTable& p = s.Particles;
    UserInterface& ui = s.Ui();
    const std::int32_t n = p.AtomCount;

    p.AtomicNumber[0] = s.Projectile.AtomicNumber;
    p.Mass[0] = s.Projectile.ProjectileMass * KilogramsPerAmu;
    // The model reader runs before the last line is read and needs its Z.
    p.AtomicNumber[n] = s.LastAtomicNumber;
    const std::int32_t seed = s.Program.RandomSeed;
    s.Program.Random.Seed(seed != 0 ? static_cast<std::uint32_t>(seed) : ClockSeed());

    InputFile in(s.Inputs.Target);
    for (std::int32_t i = 1; i <= n; ++i) {
        p.X[i] = in.ReadReal();
        p.Y[i] = in.ReadReal();
        p.Z[i] = in.ReadReal();
        p.AtomicNumber[i] = in.ReadInteger();
        p.Mass[i] = in.ReadReal();
        p.Flags[i] = static_cast<std::uint32_t>(in.ReadInteger());
        if (i == 1) {
            const std::string name = in.ReadString(TargetNameLimit);
            if (in.Failed()) {
                ShowError(ui, "File format error in .TRG file at line 1 - aborting.");
                return false;
            }
            LogLine(ui, "  Target :" + name, ColourBlack);
        }
        in.SkipLine();
        // A mass that is not positive would break every equation of motion.
        if (in.Failed() || p.AtomicNumber[i] < 1 || p.AtomicNumber[i] > 1000 ||
            !(p.Mass[i] > 0.0)) {
            ShowLineError(ui, i);
            return false;
        }

        p.X[i] *= MetresPerAngstrom;
        p.Y[i] *= MetresPerAngstrom;
        p.Z[i] *= MetresPerAngstrom;
        p.SiteX[i] = p.X[i];
        p.SiteY[i] = p.Y[i];
        p.SiteZ[i] = p.Z[i];
        p.InitialFlags[i] = p.Flags[i];

        if (i == 1) {
            PlaceProjectile(s);
            if (!ReadModelFile(s, s.Inputs.Model)) return false;
        }
        if (s.Model.StaticLattice == 0) DisplaceThermally(s, i);
        p.Mass[i] *= KilogramsPerAmu;
    }
    return true;
}

void ResetTarget(SimulationState& s) {
    ParticleTable& p = s.Particles;
    for (std::int32_t i = 1; i <= p.AtomCount; ++i) {
        p.X[i] = p.SiteX[i];
        p.Y[i] = p.SiteY[i];
        p.Z[i] = p.SiteZ[i];
        p.Flags[i] = p.InitialFlags[i];
        if (i == 1) PlaceProjectile(s);
        if (s.Model.StaticLattice == 0) DisplaceThermally(s, i);
    }
}

bool DetectSpecies(SimulationState& s) {
    const ParticleTable& p = s.Particles;
    UserInterface& ui = s.Ui();
    const std::int32_t n = p.AtomCount;
    s.BinaryTarget = false;
    if (s.Options().ElementalTarget) {
        LogLine(ui, "  Assuming elemental target", ColourMagenta);
    } else {
        for (std::int32_t i = 2; i <= n; ++i) {
            if (PairTypeOfFlags(p.Flags[1], p.Flags[i]) == AB) {
                s.BinaryTarget = true;
                break;
            }
        }
        LogLine(ui, s.BinaryTarget ? "  Detected binary target" : "  Detected elemental target",
                ColourMagenta);
    }
    if (s.BinaryTarget && !IsB(p.Flags[n])) {
        ShowError(ui, "Complex target: last atom in file must be flagged as type B!");
        return false;
    }
    if (s.BinaryTarget && IsB(p.Flags[1])) {
        ShowError(ui, "Complex target: first atom in file must be flagged as type A!");
        return false;
    }
    return true;
}

void ComputeLatticeZone(SimulationState& s) {
    const ParticleTable& p = s.Particles;
    LatticeZone& zone = s.Zone;
    zone.XMax = zone.XMin = p.X[1];
    zone.YMax = zone.YMin = p.Y[1];
    zone.ZMax = zone.ZMin = p.Z[1];
    s.SurfaceZ = p.Z[1];
    for (std::int32_t i = 0; i <= p.AtomCount; ++i) {
        if (i >= 1 && p.Z[i] > zone.ZMax) s.SurfaceZ = p.Z[i];
        zone.XMax = std::max(zone.XMax, p.X[i]);
        zone.XMin = std::min(zone.XMin, p.X[i]);
        zone.YMax = std::max(zone.YMax, p.Y[i]);
        zone.YMin = std::min(zone.YMin, p.Y[i]);
        zone.ZMax = std::max(zone.ZMax, p.Z[i]);
        zone.ZMin = std::min(zone.ZMin, p.Z[i]);
    }
    const double rc = s.Model.CutoffRadius;
    zone.XMax += rc;
    zone.XMin -= rc;
    zone.YMax += rc;
    zone.YMin -= rc;
    zone.ZMax += rc;
    zone.ZMin -= rc;
}

void FitCellGrid(SimulationState& s) {
    const LatticeZone& zone = s.Zone;
    double& edge = s.CellEdge;
    // Terminates: the zone is finite (positions come from checked numbers and
    // a defined beam), and the edge grows geometrically.
    while (!(zone.XMax <= GridCellsLateral * edge && zone.XMin >= -GridCellsLateral * edge &&
             zone.YMax <= GridCellsLateral * edge && zone.YMin >= -GridCellsLateral * edge &&
             zone.ZMax <= GridCellsTop * edge && zone.ZMin >= -GridCellsLateral * edge))
        edge *= CellGrowth;
    s.GridHalfWidth = GridCellsLateral * edge;
    s.GridTop = GridCellsLateral * edge / 3.0;
}

bool SetUpTarget(SimulationState& s) {
    UserInterface& ui = s.Ui();
    if (s.Particles.AtomCount < 1) {
        LogLine(ui, "  Aborted during initialisation", ColourRed);
        return false;
    }
    if (!(std::fabs(std::sin(s.Run.Altitude)) >= GrazingSineLimit)) {
        ShowError(ui, "Beam altitude of 0 or 180 degrees leaves the projectile's start undefined.");
        LogLine(ui, "  Aborted during initialisation", ColourRed);
        return false;
    }

    if (s.RunCounter <= 1) {
        if (!ReadTargetFile(s)) {
            LogLine(ui, "  Aborted during initialisation", ColourRed);
            return false;
        }
        if (!DetectSpecies(s)) return false;
        if (s.BinaryTarget && !CheckBinaryTables(s)) return false;
    } else {
        ResetTarget(s);
    }

    ComputeLatticeZone(s);
    if (!s.Options().NeighbourSearch) FitCellGrid(s);
    return true;
}

}  // namespace vantrel
