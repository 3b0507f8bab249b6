#include "output/particle_export.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>

#include "core/elements.h"
#include "core/units.h"

namespace vantrel {

namespace {

constexpr double CellMargin = 1.0;  // A beyond the outermost position on each side
// A record's mass is the file's amu value times KilogramsPerAmu, rounded to
// single precision; anything further off is another particle.
constexpr double MassTolerance = 1e-6;

bool MassesAgree(float recordMass, double fileAmu) {
    const double amu = static_cast<double>(recordMass) / KilogramsPerAmu;
    return std::fabs(amu - fileAmu) <= MassTolerance * std::fabs(fileAmu);
}

RecordSpecies FromFile(std::int32_t z, double fileMass, const ParticleSample& sample) {
    RecordSpecies s;
    s.AtomicNumber = z;
    if (!MassesAgree(sample.Mass, fileMass)) {
        s.Fault = SpeciesFault::MassDiffers;
        s.FileMass = fileMass;
    }
    return s;
}

// "%.7g" without a negative zero.
void AppendReal(std::string& text, double value, const char* format = "%.7g") {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, format, value == 0 ? 0.0 : value);
    text += buffer;
}

void AppendInteger(std::string& text, std::int64_t value) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(value));
    text += buffer;
}

void AppendSymbol(std::string& text, const ExportSpecies& species, const ParticleSample& s) {
    text += ElementSymbol(species.AtomicNumberOf(s));
}

// Frames sort by time; a damaged record's NaN time sorts last instead of
// breaking the order.
double TimeOrder(float time) { return std::isnan(time) ? HUGE_VAL : time; }
bool SameTime(float a, float b) { return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b); }

// The cell: the box widened by the margin.
struct Cell {
    std::array<double, 3> Origin{}, Length{};
};

Cell CellOf(const ExportBox& box) {
    Cell cell;
    for (int k = 0; k < 3; ++k) {
        cell.Origin[k] = box.Low[k] - CellMargin;
        cell.Length[k] = box.High[k] - box.Low[k] + 2 * CellMargin;
    }
    return cell;
}

}  // namespace

RecordSpecies SpeciesOf(const SpeciesSource& source, const ParticleSample& sample) {
    if (sample.Index == 0 && source.HasProjectile)
        return FromFile(source.ProjectileZ, source.ProjectileMass, sample);
    if (sample.Index != 0 && source.HasTarget) {
        const auto atoms = static_cast<std::int64_t>(source.TargetZ.size());
        if (sample.Index < 0 || sample.Index > atoms) {
            RecordSpecies s;
            s.Fault = SpeciesFault::IndexBeyondTarget;
            return s;
        }
        const auto i = static_cast<std::size_t>(sample.Index - 1);
        return FromFile(source.TargetZ[i], source.TargetMass[i], sample);
    }
    RecordSpecies s;
    s.AtomicNumber = ElementNearestMass(static_cast<double>(sample.Mass) / KilogramsPerAmu);
    s.ByMass = true;
    return s;
}

void ExportBox::Include(const ParticleSample& sample) {
    const double p[3] = {sample.X * AngstromPerMetre, sample.Y * AngstromPerMetre,
                         sample.Z * AngstromPerMetre};
    for (int k = 0; k < 3; ++k) {
        Low[k] = Empty ? p[k] : std::min(Low[k], p[k]);
        High[k] = Empty ? p[k] : std::max(High[k], p[k]);
    }
    Empty = false;
}

bool ExportScan::Add(std::size_t file, std::uint64_t first,
                     std::span<const ParticleSample> records) {
    for (std::size_t k = 0; k < records.size(); ++k) {
        const ParticleSample& s = records[k];
        const RecordSpecies species = SpeciesOf(species_.Source, s);
        if (species.Fault != SpeciesFault::None) {
            fault_ = {species, file, first + k, s};
            return false;
        }
        const auto z = static_cast<std::size_t>(species.AtomicNumber);
        if (z < present_.size()) present_[z] = true;
        if (species.ByMass) {
            const auto known = std::find_if(guesses_.begin(), guesses_.end(),
                                            [&](const MassGuess& g) { return g.Mass == s.Mass; });
            if (known == guesses_.end()) {
                guesses_.push_back({s.Mass, species.AtomicNumber});
                std::sort(guesses_.begin(), guesses_.end(),
                          [](const MassGuess& a, const MassGuess& b) { return a.Mass < b.Mass; });
            }
        }
        box_.Include(s);

        // A sampling pass offers the particles in rising index order, so a
        // new pass begins where the run, the time or that order changes.
        ExportFrame* last = frames_.empty() ? nullptr : &frames_.back();
        const bool continues = last && last->File == file && last->First + last->Count == first + k &&
                               last->Run == s.RunNumber && SameTime(last->Time, s.Time) &&
                               s.Index > lastIndex_;
        if (continues)
            ++last->Count;
        else
            frames_.push_back({s.RunNumber, s.Time, file, first + k, 1});
        lastIndex_ = s.Index;
    }
    return true;
}

std::vector<ExportFrame> ExportScan::Frames() const {
    std::vector<ExportFrame> frames = frames_;
    std::stable_sort(frames.begin(), frames.end(), [](const ExportFrame& a, const ExportFrame& b) {
        return a.Run != b.Run ? a.Run < b.Run : TimeOrder(a.Time) < TimeOrder(b.Time);
    });
    return frames;
}

ExportSpecies ExportScan::Species() const {
    ExportSpecies species = species_;
    for (std::size_t z = 0; z < present_.size(); ++z)
        if (present_[z]) species.Present.push_back(static_cast<std::int32_t>(z));
    return species;
}

ExportedParticle InExportUnits(const ParticleSample& s) {
    ExportedParticle p;
    const double momentum[3] = {s.PX, s.PY, s.PZ};
    const double position[3] = {s.X, s.Y, s.Z};
    const double mass = s.Mass;
    double squares = 0;
    for (int k = 0; k < 3; ++k) {
        p.Position[k] = position[k] * AngstromPerMetre;
        p.Velocity[k] = mass > 0 ? momentum[k] / mass * AngstromPerMetre * SecondsPerFemtosecond : 0;
        squares += momentum[k] * momentum[k];
    }
    p.KineticEnergy = mass > 0 ? squares / (2 * mass) * EvPerJoule : 0;
    p.Time = s.Time * FemtosecondsPerSecond;
    p.Mass = mass / KilogramsPerAmu;
    return p;
}

std::string ExtendedXyzFrame(std::span<const ParticleSample> frame, const ExportBox& box,
                             const ExportSpecies& species) {
    std::string text;
    AppendInteger(text, static_cast<std::int64_t>(frame.size()));
    const Cell cell = CellOf(box);
    text += "\nLattice=\"";
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) {
            if (row + column > 0) text += ' ';
            AppendReal(text, row == column ? cell.Length[row] : 0.0);
        }
    text += "\" Origin=\"";
    for (int k = 0; k < 3; ++k) {
        if (k > 0) text += ' ';
        AppendReal(text, cell.Origin[k]);
    }
    text += "\" Properties=species:S:1:pos:R:3:velo:R:3:kinetic_energy:R:1:id:I:1 Time=";
    AppendReal(text, frame.empty() ? 0.0 : frame[0].Time * FemtosecondsPerSecond);
    text += " Run=";
    AppendInteger(text, frame.empty() ? 0 : frame[0].RunNumber);
    text += " pbc=\"F F F\"\n";
    for (const ParticleSample& s : frame) {
        const ExportedParticle p = InExportUnits(s);
        AppendSymbol(text, species, s);
        for (double v : p.Position) AppendReal(text += ' ', v);
        for (double v : p.Velocity) AppendReal(text += ' ', v);
        AppendReal(text += ' ', p.KineticEnergy);
        AppendInteger(text += ' ', s.Index);
        text += '\n';
    }
    return text;
}

std::string LammpsDumpFrame(std::span<const ParticleSample> frame, std::int64_t timestep,
                            const ExportBox& box, const ExportSpecies& species) {
    std::string text = "ITEM: TIME\n";
    AppendReal(text, frame.empty() ? 0.0 : frame[0].Time * PicosecondsPerSecond);
    text += "\nITEM: TIMESTEP\n";
    AppendInteger(text, timestep);
    text += "\nITEM: NUMBER OF ATOMS\n";
    AppendInteger(text, static_cast<std::int64_t>(frame.size()));
    text += "\nITEM: BOX BOUNDS ff ff ff\n";
    const Cell cell = CellOf(box);
    for (int k = 0; k < 3; ++k) {
        AppendReal(text, cell.Origin[k]);
        AppendReal(text += ' ', cell.Origin[k] + cell.Length[k]);
        text += '\n';
    }
    text += "ITEM: ATOMS id element x y z vx vy vz ke run\n";
    for (const ParticleSample& s : frame) {
        const ExportedParticle p = InExportUnits(s);
        AppendInteger(text, s.Index);
        AppendSymbol(text += ' ', species, s);
        for (double v : p.Position) AppendReal(text += ' ', v);
        for (double v : p.Velocity) AppendReal(text += ' ', v * FemtosecondsPerPicosecond);
        AppendReal(text += ' ', p.KineticEnergy);
        AppendInteger(text += ' ', s.RunNumber);
        text += '\n';
    }
    return text;
}

std::string CsvHeader(CsvUnits units) {
    return units == CsvUnits::Si
               ? "run,index,species,time_s,x_m,y_m,z_m,px_kg_m_per_s,py_kg_m_per_s,"
                 "pz_kg_m_per_s,mass_kg\n"
               : "run,index,species,time_fs,x_A,y_A,z_A,vx_A_per_fs,vy_A_per_fs,vz_A_per_fs,"
                 "ke_eV,mass_amu\n";
}

std::string CsvRows(std::span<const ParticleSample> records, const ExportSpecies& species,
                    CsvUnits units) {
    std::string text;
    for (const ParticleSample& s : records) {
        AppendInteger(text, s.RunNumber);
        AppendInteger(text += ',', s.Index);
        AppendSymbol(text += ',', species, s);
        if (units == CsvUnits::Si) {
            for (float v : {s.Time, s.X, s.Y, s.Z, s.PX, s.PY, s.PZ, s.Mass})
                AppendReal(text += ',', v, "%.9g");
        } else {
            const ExportedParticle p = InExportUnits(s);
            AppendReal(text += ',', p.Time);
            for (double v : p.Position) AppendReal(text += ',', v);
            for (double v : p.Velocity) AppendReal(text += ',', v);
            AppendReal(text += ',', p.KineticEnergy);
            AppendReal(text += ',', p.Mass);
        }
        text += '\n';
    }
    return text;
}

}  // namespace vantrel
