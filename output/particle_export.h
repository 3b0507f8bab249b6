// Particle records as text for other programs: extended XYZ (OVITO, ASE),
// the LAMMPS text dump (OVITO, LAMMPS tools) and CSV (spreadsheets, pandas).
//
// A frame is one sampling pass of a job: the consecutive records of one file
// with the same run number and time, their particle indices rising.  The
// frames of all input files are ordered by run, then time, then input order,
// so joined slices of a job come out as one sequence.  Units: A, A/fs, eV,
// fs, amu; the dump those of LAMMPS's metal style (A, A/ps, eV, ps), so that
// tools that read dumps read the right numbers; the CSV can keep the
// records' SI values instead, to the last bit.
//
// Extended XYZ, one frame:
//   N
//   Lattice="Lx 0 0 0 Ly 0 0 0 Lz" Origin="x0 y0 z0" Properties=species:S:1:pos:R:3:velo:R:3:kinetic_energy:R:1:id:I:1 Time=T Run=R pbc="F F F"
//   Cu x y z vx vy vz ke index                 (one line per particle)
// LAMMPS dump, one frame:
//   ITEM: TIME / T (ps) / ITEM: TIMESTEP / frame number in the file from 0 /
//   ITEM: NUMBER OF ATOMS / N / ITEM: BOX BOUNDS ff ff ff / three lo hi lines /
//   ITEM: ATOMS id element x y z vx vy vz ke run, then one line per particle
// The cell of both is the box around every position of the export, 1 A wider
// on each side, the same for every frame so that a picture does not jump.
// Reals are written with 7 significant digits (a record holds single
// precision), SI values of the CSV with 9 (each reads back to the same
// single-precision value).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "output/particle_sample.h"

namespace vantrel {

enum class ExportFormat : std::uint8_t { ExtendedXyz, LammpsDump, Csv };
enum class CsvUnits : std::uint8_t { AngstromEvFemtosecond, Si };

// Where a record's species comes from: the job's projectile file for index
// 0, its target file's line i for index i >= 1, each by atomic number;
// without the file, the element nearest the record's mass.
struct SpeciesSource {
    bool HasProjectile = false;
    std::int32_t ProjectileZ = 0;
    double ProjectileMass = 0;  // amu
    bool HasTarget = false;
    std::vector<std::int32_t> TargetZ;  // atom i at [i - 1]
    std::vector<double> TargetMass;     // amu, atom i at [i - 1]
};

enum class SpeciesFault : std::uint8_t {
    None,
    IndexBeyondTarget,  // a negative index, or one beyond the target file's atoms
    MassDiffers,        // the record's mass is not the file's: the file is another job's
};

struct RecordSpecies {
    std::int32_t AtomicNumber = 0;  // 0: unknown ("X")
    bool ByMass = false;
    SpeciesFault Fault = SpeciesFault::None;
    double FileMass = 0;  // amu, the file's mass when it differs
};

RecordSpecies SpeciesOf(const SpeciesSource& source, const ParticleSample& sample);

// The species of an export: the atomic numbers present, in rising order.
struct ExportSpecies {
    SpeciesSource Source;
    std::vector<std::int32_t> Present;

    std::int32_t AtomicNumberOf(const ParticleSample& sample) const {
        return SpeciesOf(Source, sample).AtomicNumber;
    }
};

// The box around positions (A).
struct ExportBox {
    std::array<double, 3> Low{}, High{};
    bool Empty = true;

    void Include(const ParticleSample& sample);
};

// One frame: records First .. First + Count - 1 of input file File.
struct ExportFrame {
    std::int32_t Run = 0;
    float Time = 0;  // s
    std::size_t File = 0;
    std::uint64_t First = 0;
    std::uint64_t Count = 0;
};

// A mass the species were guessed from, and the element chosen.
struct MassGuess {
    float Mass = 0;  // kg, as the records hold it
    std::int32_t AtomicNumber = 0;
};

// The first pass over the records: frames, box, species, and the first
// record whose species the files contradict.
class ExportScan {
public:
    explicit ExportScan(SpeciesSource source) { species_.Source = std::move(source); }

    // The next records of input file `file`, the first of them being record
    // `first` of that file.  False at a species fault (Problem() tells).
    bool Add(std::size_t file, std::uint64_t first, std::span<const ParticleSample> records);

    struct Fault {
        RecordSpecies Species;
        std::size_t File = 0;
        std::uint64_t Record = 0;
        ParticleSample Sample;
    };
    const Fault& Problem() const { return fault_; }

    // Frames in export order: by run, then time, then input order.
    std::vector<ExportFrame> Frames() const;
    const ExportBox& Box() const { return box_; }
    ExportSpecies Species() const;
    // The masses named by guess, lightest first.
    const std::vector<MassGuess>& Guesses() const { return guesses_; }

private:
    ExportSpecies species_;
    ExportBox box_;
    std::vector<ExportFrame> frames_;
    std::vector<MassGuess> guesses_;
    std::array<bool, 1001> present_{};
    std::int32_t lastIndex_ = 0;
    Fault fault_;
};

// Position (A), velocity (A/fs), kinetic energy (eV), time (fs) and mass
// (amu) of a record, computed in double precision from its single values.
struct ExportedParticle {
    std::array<double, 3> Position{}, Velocity{};
    double KineticEnergy = 0;
    double Time = 0;
    double Mass = 0;
};
ExportedParticle InExportUnits(const ParticleSample& sample);

// The text of one frame.
std::string ExtendedXyzFrame(std::span<const ParticleSample> frame, const ExportBox& box,
                             const ExportSpecies& species);
std::string LammpsDumpFrame(std::span<const ParticleSample> frame, std::int64_t timestep,
                            const ExportBox& box, const ExportSpecies& species);
// The CSV's first line, and one line per record.
std::string CsvHeader(CsvUnits units);
std::string CsvRows(std::span<const ParticleSample> records, const ExportSpecies& species,
                    CsvUnits units);

}  // namespace vantrel
