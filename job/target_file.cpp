#include "job/target_file.h"

#include <string>

#include "core/target_setup.h"
#include "io/target_file.h"
#include "job/log.h"
#include "job/model_file.h"
#include "job/reader_messages.h"

namespace vantrel {

namespace {

// The thermal displacements of atoms 1..count, each followed by its mass
// conversion, in file order; the verbose line comes once, before atom 1's.
void DisplaceAndWeigh(SimulationState& s, std::int32_t count) {
    ParticleTable& p = s.Particles;
    const SimulationOptions& options = s.Options();
    const bool thermal = s.Model.StaticLattice == 0;
    if (thermal && options.Verbose && count >= 1)
        LogLine(s.Ui(), "  Getting thermal displacements...", ColourBlue);
    for (std::int32_t i = 1; i <= count; ++i) {
        if (thermal) DisplaceThermally(p, i, s.Model, options.NoYVibration, s.Program.Random);
        ConvertMass(p, i);
    }
}

void ShowSpecies(SimulationState& s, const SpeciesDetection& species) {
    UserInterface& ui = s.Ui();
    if (s.Options().ElementalTarget)
        LogLine(ui, "  Assuming elemental target", ColourMagenta);
    else
        LogLine(ui,
                species.BinaryTarget ? "  Detected binary target" : "  Detected elemental target",
                ColourMagenta);
    switch (species.Status) {
        case SpeciesStatus::LastAtomNotB:
            ShowError(ui, "Complex target: last atom in file must be flagged as type B!");
            break;
        case SpeciesStatus::FirstAtomIsB:
            ShowError(ui, "Complex target: first atom in file must be flagged as type A!");
            break;
        case SpeciesStatus::Consistent: break;
    }
}

// The first run reads the target and model files, detects the species and
// checks the tables the job will use.
bool SetUpFirstTarget(SimulationState& s) {
    if (!ReadTargetFile(s)) {
        LogLine(s.Ui(), "  Aborted during initialisation", ColourRed);
        return false;
    }
    const SpeciesDetection species = DetectSpecies(s.Particles, s.Options().ElementalTarget);
    s.BinaryTarget = species.BinaryTarget;
    ShowSpecies(s, species);
    if (species.Status != SpeciesStatus::Consistent) return false;
    // Only tables that the job will use are checked for non-finite entries.
    return !s.BinaryTarget || (CheckTablesFinite(s, BB) && CheckTablesFinite(s, AB));
}

}  // namespace

std::vector<std::string> LaterRunSetUpLines(const SimulationState& s) {
    if (s.Model.StaticLattice == 0 && s.Program.Options.Verbose)
        return {"  Getting thermal displacements..."};
    return {};
}

std::int32_t CountTargetAtoms(SimulationState& s, std::string_view name) {
    const TargetCount count = CountTargetFile(name);
    if (count.Opened) s.LastAtomicNumber = count.LastAtomicNumber;
    ShowReaderMessages(s.Ui(), count.Messages);
    return count.AtomCount;
}

bool ReadTargetFile(SimulationState& s) {
    ParticleTable& p = s.Particles;
    UserInterface& ui = s.Ui();
    const std::int32_t n = p.AtomCount;

    p.AtomicNumber[0] = s.Projectile.AtomicNumber;
    p.Mass[0] = s.Projectile.ProjectileMass * KilogramsPerAmu;
    // The model file is read as though only atom 1 were known: its species
    // B is the last atom as counted.
    p.AtomicNumber[n] = s.LastAtomicNumber;
    // Seeded once per job here, unless every run has a stream of its own
    // (the run driver seeds those).
    const std::int32_t seed = s.Program.RandomSeed;
    if (!s.Program.Extended.PerRunStreams)
        s.Program.Random.Seed(seed != 0 ? static_cast<std::uint32_t>(seed) : ClockSeed());

    const TargetFileRead read = ParseTargetFile(s.Inputs.Target, n);
    if (read.Status == TargetFileStatus::FirstLineUnreadable) {
        ShowReaderMessages(ui, read.Messages);
        ShowReadPlace(ui, s.Inputs.Target, read.Failure);
        return false;
    }
    LogLine(ui, "  Target :" + read.Name, ColourBlack);
    const std::int32_t placed = static_cast<std::int32_t>(read.Atoms.size());
    if (placed == 0) {
        ShowReaderMessages(ui, read.Messages);
        return false;
    }

    // Atom 1 on its site (mass still in amu) and the projectile: what the
    // model file's checks and screening lengths are built from.
    PlaceOnSite(p, 1, read.Atoms[0]);
    PlaceProjectile(p, s.Impact, s.Run);
    if (!ReadModelFile(s, s.Inputs.Model)) return false;
    for (std::int32_t i = 2; i <= placed; ++i) PlaceOnSite(p, i, read.Atoms[i - 1]);
    DisplaceAndWeigh(s, placed);

    ShowReaderMessages(ui, read.Messages);
    ShowReadPlace(ui, s.Inputs.Target, read.Failure);
    return read.Status == TargetFileStatus::Read;
}

bool SetUpTarget(SimulationState& s) {
    UserInterface& ui = s.Ui();
    if (s.Particles.AtomCount < 1) {
        LogLine(ui, "  Aborted during initialisation", ColourRed);
        return false;
    }
    if (!BeamStartDefined(s.Run.Altitude)) {
        ShowError(ui, "Beam altitude of 0 or 180 degrees leaves the projectile's start undefined.");
        LogLine(ui, "  Aborted during initialisation", ColourRed);
        return false;
    }

    if (s.RunCounter <= 1) {
        if (s.Relay) s.Relay->FirstRunLinesBegin();
        const bool ready = SetUpFirstTarget(s);
        if (s.Relay) s.Relay->FirstRunLinesEnd(LaterRunSetUpLines(s));
        if (!ready) return false;
    } else {
        for (const std::string& line : LaterRunSetUpLines(s)) LogLine(ui, line, ColourBlue);
        ResetTarget(s.Particles, s.Impact, s.Run, s.Model, s.Options().NoYVibration,
                    s.Program.Random);
    }

    ComputeLatticeZone(s.Particles, s.Model.CutoffRadius, s.Zone, s.SurfaceZ);
    if (!s.Options().NeighbourSearch) FitCellGrid(s.Zone, s.CellEdge, s.GridHalfWidth, s.GridTop);
    return true;
}

}  // namespace vantrel
