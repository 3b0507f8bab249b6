// Crystallites for targets: fcc or bcc metals and alloys cut with a (100),
// (110) or (111) surface, written as target files.
//
// The surface normal is +z and the top layer lies at z = 0, so the crystal
// fills z <= 0; it is centred laterally on the origin, which keeps it inside
// the neighbour search's fixed cell grid.  Atom 1 is the top-layer atom
// nearest to the lateral centre (impact points are aimed relative to it);
// the others follow layer by layer from the top, each layer in rows of
// increasing y and x.
//
// The crystal is a x b x c repeats of an orthogonal cell whose edges are
// lattice vectors (cubic units of the lattice constant):
//
//   surface  x edge      y edge      z edge (normal)  fcc atoms  bcc atoms
//   (100)    [1 0 0]     [0 1 0]     [0 0 1]                  4          2
//   (110)    [0 0 1]     [1 -1 0]    [1 1 0]                  8          4
//   (111)    [1 -1 0]    [1 1 -2]    [1 1 1]                 24         12
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

enum class CrystalLattice { Fcc, Bcc };
enum class CrystalSurface { S100, S110, S111 };

struct CrystalSpec {
    CrystalLattice Lattice = CrystalLattice::Fcc;
    CrystalSurface Surface = CrystalSurface::S100;
    double LatticeConstant = 3.61;  // A
    std::array<int, 3> Cells{1, 1, 1};  // repeats along x, y and z (depth)
    std::int32_t AtomicNumber = 29;
    double Mass = 63.546;      // amu
    std::uint32_t Flags = 0;   // flag word of every atom (TypeB, NoCooling, ImageCharge, ...)
    // Alloys: this share of the atoms is species B (TypeB set, its own Z and
    // mass), chosen at random from Seed; atom 1 is always A and the last
    // atom always B, as binary targets require.
    double FractionB = 0.0;
    std::int32_t AtomicNumberB = 0;
    double MassB = 0.0;  // amu
    std::uint32_t Seed = 1;
    std::string Name;    // written after the six values of the first line
    // A cooled border (A, 0: none): atoms closer than this to a side or the
    // bottom keep their flags, every other atom gets NoCooling, so that the
    // cooling model takes the heat out at the border only (the top surface
    // is never part of it).
    double CooledBorder = 0;
};

struct CrystalAtom {
    double X = 0, Y = 0, Z = 0;  // A
    std::int32_t AtomicNumber = 0;
    double Mass = 0;  // amu
    std::uint32_t Flags = 0;
};

// Edges of the orthogonal repeat cell (A) for the lattice and surface.
std::array<double, 3> RepeatCellEdges(CrystalLattice lattice, CrystalSurface surface,
                                      double latticeConstant);
// Atoms in one repeat cell.
int AtomsPerRepeatCell(CrystalLattice lattice, CrystalSurface surface);

// Repeats needed to span length (A) with cells of the given edge, at least 1;
// a length within rounding of a whole number of cells takes that number.
int RepeatsForLength(double length, double cellEdge);

// Builds the crystal.  false, with a message in error, for a spec that
// cannot make a target (no cells, a non-positive lattice constant or mass,
// Z outside 1..1000, a B share outside 0..1, more than 200,000 atoms).
bool BuildCrystal(const CrystalSpec& spec, std::vector<CrystalAtom>& atoms, std::string& error);

// The target-file text: one line "x y z Z mass flags" per atom (A, amu),
// the first line followed by a blank and the name.
std::string TargetFileText(const std::vector<CrystalAtom>& atoms, std::string_view name);

// Writes TargetFileText to path; false with a message when it cannot.
bool WriteTargetFile(const std::string& path, const std::vector<CrystalAtom>& atoms,
                     std::string_view name, std::string& error);

// Command line of vantrel-crystal (arguments after the program name).
struct CrystalCommand {
    CrystalSpec Spec;
    std::string OutputPath;
    bool Help = false;
};

// Parses the command line; false with a message in error.  Lateral size and
// depth in A are turned into repeats with RepeatsForLength.
bool ParseCrystalCommand(const std::vector<std::string>& args, CrystalCommand& command,
                         std::string& error);

// Usage text of vantrel-crystal.
std::string CrystalUsage();

}  // namespace vantrel
