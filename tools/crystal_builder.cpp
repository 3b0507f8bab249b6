#include "tools/crystal_builder.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>

#include "core/random.h"
#include "core/particles.h"
#include "core/units.h"

namespace vantrel {

namespace {

using IntVector = std::array<long long, 3>;

long long Dot(const IntVector& a, const IntVector& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// Edges of the repeat cell in cubic units; each is a lattice vector of both
// the fcc and the bcc lattice, and the three are mutually orthogonal and
// right-handed.
std::array<IntVector, 3> CellVectors(CrystalSurface surface) {
    switch (surface) {
        case CrystalSurface::S110:
            return {IntVector{0, 0, 1}, IntVector{1, -1, 0}, IntVector{1, 1, 0}};
        case CrystalSurface::S111:
            return {IntVector{1, -1, 0}, IntVector{1, 1, -2}, IntVector{1, 1, 1}};
        case CrystalSurface::S100:
        default:
            return {IntVector{1, 0, 0}, IntVector{0, 1, 0}, IntVector{0, 0, 1}};
    }
}

// Basis of the cubic cell in half units of the lattice constant.
std::vector<IntVector> CubicBasis(CrystalLattice lattice) {
    if (lattice == CrystalLattice::Bcc) return {{0, 0, 0}, {1, 1, 1}};
    return {{0, 0, 0}, {1, 1, 0}, {1, 0, 1}, {0, 1, 1}};
}

int CubicVolume(CrystalSurface surface) {
    switch (surface) {
        case CrystalSurface::S110: return 2;
        case CrystalSurface::S111: return 6;
        case CrystalSurface::S100:
        default: return 1;
    }
}

// An atom with its exact coordinates along the three cell edges: the
// projection of its doubled cubic position on each edge vector.
struct KeyedAtom {
    std::array<long long, 3> Key;
};

// Printable fixed-point text without a negative zero.
std::string Fixed(double value, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    std::string text = buffer;
    if (text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
    return text;
}

std::string Shortest(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.8g", value);
    return buffer;
}

bool ParseInt(const std::string& text, long long& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end && !text.empty();
}

bool ParseReal(const std::string& text, double& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end && !text.empty() && std::isfinite(value);
}

std::string DefaultName(const CrystalSpec& spec) {
    const char* lattice = spec.Lattice == CrystalLattice::Bcc ? "bcc" : "fcc";
    const char* surface = spec.Surface == CrystalSurface::S110   ? "(110)"
                          : spec.Surface == CrystalSurface::S111 ? "(111)"
                                                                 : "(100)";
    return std::string(lattice) + surface + " " + std::to_string(spec.Cells[0]) + "x" +
           std::to_string(spec.Cells[1]) + "x" + std::to_string(spec.Cells[2]) +
           " cells, a = " + Shortest(spec.LatticeConstant) + " A";
}

}  // namespace

std::array<double, 3> RepeatCellEdges(CrystalLattice, CrystalSurface surface,
                                      double latticeConstant) {
    const std::array<IntVector, 3> e = CellVectors(surface);
    std::array<double, 3> edges{};
    for (int k = 0; k < 3; ++k)
        edges[k] = std::sqrt(static_cast<double>(Dot(e[k], e[k]))) * latticeConstant;
    return edges;
}

int AtomsPerRepeatCell(CrystalLattice lattice, CrystalSurface surface) {
    return static_cast<int>(CubicBasis(lattice).size()) * CubicVolume(surface);
}

int RepeatsForLength(double length, double cellEdge) {
    if (!(length > 0.0) || !(cellEdge > 0.0)) return 1;
    const double repeats = std::ceil(length / cellEdge - 1e-9);
    if (repeats > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    return std::max(1, static_cast<int>(repeats));
}

bool BuildCrystal(const CrystalSpec& spec, std::vector<CrystalAtom>& atoms, std::string& error) {
    atoms.clear();
    if (!(spec.LatticeConstant > 0.0) || !std::isfinite(spec.LatticeConstant)) {
        error = "the lattice constant must be a positive number of A";
        return false;
    }
    for (int cells : spec.Cells) {
        if (cells < 1) {
            error = "every direction needs at least one repeat cell";
            return false;
        }
    }
    if (spec.AtomicNumber < 1 || spec.AtomicNumber > 1000) {
        error = "the atomic number must lie between 1 and 1000";
        return false;
    }
    if (!(spec.Mass > 0.0) || !std::isfinite(spec.Mass)) {
        error = "the mass must be a positive number of amu";
        return false;
    }
    if (!(spec.FractionB >= 0.0 && spec.FractionB <= 1.0)) {
        error = "the B share must lie between 0 and 1";
        return false;
    }
    const bool alloy = spec.FractionB > 0.0;
    if (alloy) {
        if (spec.AtomicNumberB < 1 || spec.AtomicNumberB > 1000) {
            error = "the atomic number of species B must lie between 1 and 1000";
            return false;
        }
        if (!(spec.MassB > 0.0) || !std::isfinite(spec.MassB)) {
            error = "the mass of species B must be a positive number of amu";
            return false;
        }
    }
    const long long perCell = AtomsPerRepeatCell(spec.Lattice, spec.Surface);
    long long total = perCell;
    for (int cells : spec.Cells) {
        total *= cells;
        if (total > MaxAtomCount) {
            error = "the crystal would hold more than 200000 atoms, the most a target can have";
            return false;
        }
    }
    if (alloy && total < 2) {
        error = "an alloy needs at least two atoms";
        return false;
    }

    // Lattice points of the cubic lattice (doubled coordinates) that fall
    // inside the box spanned by the repeated cell edges, found by exact
    // integer projections so that no atom is lost or doubled at a face.
    const std::array<IntVector, 3> e = CellVectors(spec.Surface);
    std::array<long long, 3> norm{}, limit{};
    for (int k = 0; k < 3; ++k) {
        norm[k] = Dot(e[k], e[k]);
        limit[k] = 2 * spec.Cells[k] * norm[k];
    }
    IntVector lo{0, 0, 0}, hi{0, 0, 0};
    for (int corner = 0; corner < 8; ++corner) {
        IntVector c{0, 0, 0};
        for (int k = 0; k < 3; ++k)
            if (corner & (1 << k))
                for (int axis = 0; axis < 3; ++axis) c[axis] += spec.Cells[k] * e[k][axis];
        for (int axis = 0; axis < 3; ++axis) {
            lo[axis] = std::min(lo[axis], c[axis]);
            hi[axis] = std::max(hi[axis], c[axis]);
        }
    }
    const std::vector<IntVector> basis = CubicBasis(spec.Lattice);
    std::vector<KeyedAtom> keyed;
    keyed.reserve(static_cast<std::size_t>(total));
    for (long long i = lo[0] - 1; i <= hi[0]; ++i)
        for (long long j = lo[1] - 1; j <= hi[1]; ++j)
            for (long long k = lo[2] - 1; k <= hi[2]; ++k)
                for (const IntVector& b : basis) {
                    const IntVector p{2 * i + b[0], 2 * j + b[1], 2 * k + b[2]};
                    KeyedAtom atom{};
                    bool inside = true;
                    for (int axis = 0; axis < 3 && inside; ++axis) {
                        atom.Key[axis] = Dot(p, e[axis]);
                        inside = atom.Key[axis] >= 0 && atom.Key[axis] < limit[axis];
                    }
                    if (inside) keyed.push_back(atom);
                }
    if (static_cast<long long>(keyed.size()) != total) {
        error = "internal error: the repeat cell holds the wrong number of atoms";
        return false;
    }

    // Top layer first, then each layer row by row.
    std::sort(keyed.begin(), keyed.end(), [](const KeyedAtom& a, const KeyedAtom& b) {
        if (a.Key[2] != b.Key[2]) return a.Key[2] > b.Key[2];
        if (a.Key[1] != b.Key[1]) return a.Key[1] < b.Key[1];
        return a.Key[0] < b.Key[0];
    });
    std::array<long long, 3> keyLo{}, keyHi{};
    for (int axis = 0; axis < 3; ++axis) {
        keyLo[axis] = keyed.front().Key[axis];
        keyHi[axis] = keyed.front().Key[axis];
        for (const KeyedAtom& atom : keyed) {
            keyLo[axis] = std::min(keyLo[axis], atom.Key[axis]);
            keyHi[axis] = std::max(keyHi[axis], atom.Key[axis]);
        }
    }
    // A key of K along edge k is K a / (2 |e_k|) A from the cell's origin;
    // lateral positions are measured from the middle of their extent, z from
    // the top layer.
    const double a = spec.LatticeConstant;
    std::array<double, 3> scale{};
    for (int k = 0; k < 3; ++k) scale[k] = a / (2.0 * std::sqrt(static_cast<double>(norm[k])));
    atoms.resize(keyed.size());
    for (std::size_t i = 0; i < keyed.size(); ++i) {
        const auto& key = keyed[i].Key;
        CrystalAtom& atom = atoms[i];
        atom.X = static_cast<double>(2 * key[0] - keyLo[0] - keyHi[0]) * 0.5 * scale[0];
        atom.Y = static_cast<double>(2 * key[1] - keyLo[1] - keyHi[1]) * 0.5 * scale[1];
        atom.Z = static_cast<double>(key[2] - keyHi[2]) * scale[2];
        atom.AtomicNumber = spec.AtomicNumber;
        atom.Mass = spec.Mass;
        atom.Flags = spec.Flags;
    }

    if (spec.CooledBorder > 0) {
        double xLo = atoms.front().X, xHi = xLo, yLo = atoms.front().Y, yHi = yLo, zLo = 0;
        for (const CrystalAtom& atom : atoms) {
            xLo = std::min(xLo, atom.X);
            xHi = std::max(xHi, atom.X);
            yLo = std::min(yLo, atom.Y);
            yHi = std::max(yHi, atom.Y);
            zLo = std::min(zLo, atom.Z);
        }
        // Sites exactly the border's width in from a face are inside.
        const double w = spec.CooledBorder - 1e-6;
        for (CrystalAtom& atom : atoms) {
            const bool border = atom.X < xLo + w || atom.X > xHi - w || atom.Y < yLo + w ||
                                atom.Y > yHi - w || atom.Z < zLo + w;
            if (!border) atom.Flags |= NoCooling;
        }
    }

    // Atom 1: the top-layer atom nearest to the lateral centre; the first
    // such atom in layer order on a tie.
    std::size_t centre = 0;
    double best = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < atoms.size() && keyed[i].Key[2] == keyHi[2]; ++i) {
        const double r2 = atoms[i].X * atoms[i].X + atoms[i].Y * atoms[i].Y;
        if (r2 < best) {
            best = r2;
            centre = i;
        }
    }
    std::rotate(atoms.begin(), atoms.begin() + static_cast<std::ptrdiff_t>(centre),
                atoms.begin() + static_cast<std::ptrdiff_t>(centre) + 1);

    if (alloy) {
        const std::size_t n = atoms.size();
        long long wanted = std::llround(spec.FractionB * static_cast<double>(n));
        wanted = std::clamp<long long>(wanted, 1, static_cast<long long>(n) - 1);
        for (CrystalAtom& atom : atoms) atom.Flags &= ~static_cast<std::uint32_t>(TypeB);
        std::vector<std::size_t> chosen{n - 1};
        // The other B atoms: a partial shuffle of atoms 2 .. n-1 (indices
        // 1 .. n-2), reproducible from the seed.
        std::vector<std::size_t> pool;
        for (std::size_t i = 1; i + 1 < n; ++i) pool.push_back(i);
        RandomGenerator random;
        random.Seed(spec.Seed);
        for (long long k = 0; k + 1 < wanted; ++k) {
            const std::size_t left = pool.size() - static_cast<std::size_t>(k);
            std::size_t pick = static_cast<std::size_t>(k) +
                               static_cast<std::size_t>(random.Uniform() * static_cast<double>(left));
            if (pick >= pool.size()) pick = pool.size() - 1;
            std::swap(pool[static_cast<std::size_t>(k)], pool[pick]);
            chosen.push_back(pool[static_cast<std::size_t>(k)]);
        }
        for (std::size_t i : chosen) {
            atoms[i].AtomicNumber = spec.AtomicNumberB;
            atoms[i].Mass = spec.MassB;
            atoms[i].Flags |= TypeB;
        }
    }
    error.clear();
    return true;
}

std::string TargetFileText(const std::vector<CrystalAtom>& atoms, std::string_view name) {
    std::string text;
    text.reserve(atoms.size() * 56 + name.size() + 2);
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        const CrystalAtom& atom = atoms[i];
        text += Fixed(atom.X, 6);
        text += ' ';
        text += Fixed(atom.Y, 6);
        text += ' ';
        text += Fixed(atom.Z, 6);
        text += ' ';
        text += std::to_string(atom.AtomicNumber);
        text += ' ';
        text += Shortest(atom.Mass);
        text += ' ';
        text += std::to_string(atom.Flags);
        if (i == 0) {
            text += ' ';
            text += name;
        }
        text += '\n';
    }
    return text;
}

bool WriteTargetFile(const std::string& path, const std::vector<CrystalAtom>& atoms,
                     std::string_view name, std::string& error) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        error = "cannot create " + path;
        return false;
    }
    const std::string text = TargetFileText(atoms, name);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

std::string CrystalUsage() {
    return "Usage: vantrel-crystal [options] -o FILE.trg\n"
           "Builds an fcc or bcc crystallite with its surface normal along +z, the top layer\n"
           "at z = 0 and the crystal centred laterally on the origin, and writes it as a\n"
           "target file.  Atom 1 is the top-layer atom nearest to the centre.\n"
           "\n"
           "  --lattice fcc|bcc        lattice (fcc)\n"
           "  --surface 100|110|111    surface plane (100)\n"
           "  --a A                    lattice constant in A (3.61)\n"
           "  --cells NX NY NZ         repeat cells along x, y and depth (1 1 1)\n"
           "  --size LX LY             lateral size in A (instead of NX NY)\n"
           "  --depth D                depth in A (instead of NZ)\n"
           "  --z Z                    atomic number (29)\n"
           "  --mass M                 mass in amu (63.546)\n"
           "  --flags N                flag word of every atom (0)\n"
           "  --type-b, --no-cooling, --image-charge\n"
           "                           add flag 1, 8 or 32 to every atom\n"
           "  --cooled-border W        atoms farther than W A from the sides and the bottom\n"
           "                           get flag 8 (no cooling): the cooling model then acts\n"
           "                           on the border only (0: none)\n"
           "  --b-fraction F           share of species B atoms (0; alloys)\n"
           "  --z-b Z, --mass-b M      atomic number and mass of species B\n"
           "  --seed S                 seed of the choice of B atoms (1)\n"
           "  --name TEXT              target name on the first line\n"
           "  -o, --output FILE        target file to write\n"
           "  -h, --help, --version    this text; the name and version\n"
           "\n"
           "Repeat cells (x, y, z edges in cubic units): (100) [100] [010] [001];\n"
           "(110) [001] [1-10] [110]; (111) [1-10] [11-2] [111].\n";
}

bool ParseCrystalCommand(const std::vector<std::string>& args, CrystalCommand& command,
                         std::string& error) {
    command = CrystalCommand{};
    CrystalSpec& spec = command.Spec;
    double sizeX = 0, sizeY = 0, depth = 0;
    bool hasName = false;
    std::size_t pos = 0;

    auto value = [&](const std::string& option, std::string& text) {
        if (pos + 1 >= args.size()) {
            error = option + " needs a value";
            return false;
        }
        text = args[++pos];
        return true;
    };
    auto real = [&](const std::string& option, double& out) {
        std::string text;
        if (!value(option, text)) return false;
        if (!ParseReal(text, out)) {
            error = option + ": '" + text + "' is not a number";
            return false;
        }
        return true;
    };
    auto integer = [&](const std::string& option, long long& out, long long lo, long long hi) {
        std::string text;
        if (!value(option, text)) return false;
        if (!ParseInt(text, out) || out < lo || out > hi) {
            error = option + ": '" + text + "' is not a whole number from " + std::to_string(lo) +
                    " to " + std::to_string(hi);
            return false;
        }
        return true;
    };

    for (pos = 0; pos < args.size(); ++pos) {
        const std::string& option = args[pos];
        std::string text;
        long long n = 0;
        if (option == "-h" || option == "--help") {
            command.Help = true;
        } else if (option == "--lattice") {
            if (!value(option, text)) return false;
            if (text == "fcc")
                spec.Lattice = CrystalLattice::Fcc;
            else if (text == "bcc")
                spec.Lattice = CrystalLattice::Bcc;
            else {
                error = "--lattice: '" + text + "' is neither fcc nor bcc";
                return false;
            }
        } else if (option == "--surface") {
            if (!value(option, text)) return false;
            if (text == "100")
                spec.Surface = CrystalSurface::S100;
            else if (text == "110")
                spec.Surface = CrystalSurface::S110;
            else if (text == "111")
                spec.Surface = CrystalSurface::S111;
            else {
                error = "--surface: '" + text + "' is not one of 100, 110, 111";
                return false;
            }
        } else if (option == "--a") {
            if (!real(option, spec.LatticeConstant)) return false;
        } else if (option == "--cells") {
            for (int k = 0; k < 3; ++k) {
                if (!integer(option, n, 1, 100000)) return false;
                spec.Cells[k] = static_cast<int>(n);
            }
        } else if (option == "--size") {
            if (!real(option, sizeX) || !real(option, sizeY)) return false;
        } else if (option == "--depth") {
            if (!real(option, depth)) return false;
        } else if (option == "--z") {
            if (!integer(option, n, 1, 1000)) return false;
            spec.AtomicNumber = static_cast<std::int32_t>(n);
        } else if (option == "--mass") {
            if (!real(option, spec.Mass)) return false;
        } else if (option == "--flags") {
            if (!integer(option, n, 0, 0xFFFFFFFFLL)) return false;
            spec.Flags |= static_cast<std::uint32_t>(n);
        } else if (option == "--type-b") {
            spec.Flags |= TypeB;
        } else if (option == "--no-cooling") {
            spec.Flags |= NoCooling;
        } else if (option == "--image-charge") {
            spec.Flags |= ImageCharge;
        } else if (option == "--cooled-border") {
            if (!real(option, spec.CooledBorder)) return false;
            if (spec.CooledBorder < 0) {
                error = "--cooled-border must not be negative";
                return false;
            }
        } else if (option == "--b-fraction") {
            if (!real(option, spec.FractionB)) return false;
        } else if (option == "--z-b") {
            if (!integer(option, n, 1, 1000)) return false;
            spec.AtomicNumberB = static_cast<std::int32_t>(n);
        } else if (option == "--mass-b") {
            if (!real(option, spec.MassB)) return false;
        } else if (option == "--seed") {
            if (!integer(option, n, 0, 0xFFFFFFFFLL)) return false;
            spec.Seed = static_cast<std::uint32_t>(n);
        } else if (option == "--name") {
            if (!value(option, spec.Name)) return false;
            hasName = true;
        } else if (option == "-o" || option == "--output") {
            if (!value(option, command.OutputPath)) return false;
        } else {
            error = "unknown option '" + option + "'";
            return false;
        }
    }
    if (command.Help) return true;

    const std::array<double, 3> edges =
        RepeatCellEdges(spec.Lattice, spec.Surface, spec.LatticeConstant);
    if (sizeX != 0 || sizeY != 0) {
        if (!(sizeX > 0 && sizeY > 0)) {
            error = "--size: both lengths must be positive";
            return false;
        }
        spec.Cells[0] = RepeatsForLength(sizeX, edges[0]);
        spec.Cells[1] = RepeatsForLength(sizeY, edges[1]);
    }
    if (depth != 0) {
        if (!(depth > 0)) {
            error = "--depth must be positive";
            return false;
        }
        spec.Cells[2] = RepeatsForLength(depth, edges[2]);
    }
    if (spec.Name.find_first_of("\r\n\x1a") != std::string::npos) {
        error = "--name must be one line of text";
        return false;
    }
    if (!hasName) spec.Name = DefaultName(spec);
    if (command.OutputPath.empty()) {
        error = "no output file given (-o FILE.trg)";
        return false;
    }
    return true;
}

}  // namespace vantrel
