#include "tools/crystal_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "job/state.h"
#include "io/input_file.h"
#include "tests/support/temp_dir.h"

namespace vantrel {
namespace {

struct LatticeCase {
    CrystalLattice Lattice;
    CrystalSurface Surface;
    double NearestNeighbour;  // in units of a
    double LayerSpacing;      // in units of a
};

class CrystalGeometry : public ::testing::TestWithParam<LatticeCase> {};

TEST_P(CrystalGeometry, CutsTheRightLatticeWithTheTopLayerAtZeroAndAtomOneInTheMiddle) {
    const LatticeCase c = GetParam();
    CrystalSpec spec;
    spec.Lattice = c.Lattice;
    spec.Surface = c.Surface;
    spec.LatticeConstant = 3.5;
    spec.Cells = {3, 2, 3};
    std::vector<CrystalAtom> atoms;
    std::string error;
    ASSERT_TRUE(BuildCrystal(spec, atoms, error)) << error;
    ASSERT_EQ(atoms.size(), 18u * AtomsPerRepeatCell(c.Lattice, c.Surface));

    double xLo = 1e9, xHi = -1e9, yLo = 1e9, yHi = -1e9, zHi = -1e9;
    std::set<double> layers;
    for (const CrystalAtom& atom : atoms) {
        xLo = std::min(xLo, atom.X), xHi = std::max(xHi, atom.X);
        yLo = std::min(yLo, atom.Y), yHi = std::max(yHi, atom.Y);
        zHi = std::max(zHi, atom.Z);
        layers.insert(atom.Z);
    }
    EXPECT_EQ(zHi, 0.0);
    EXPECT_NEAR(xLo + xHi, 0.0, 1e-9);
    EXPECT_NEAR(yLo + yHi, 0.0, 1e-9);
    const double a = spec.LatticeConstant;
    EXPECT_NEAR(-*std::next(layers.rbegin()), c.LayerSpacing * a, 1e-9);

    // Nearest neighbours at the lattice's distance and no atom twice.
    double nearest = 1e9;
    for (std::size_t i = 0; i < atoms.size(); ++i)
        for (std::size_t j = i + 1; j < atoms.size(); ++j)
            nearest = std::min(nearest, std::hypot(atoms[i].X - atoms[j].X, atoms[i].Y - atoms[j].Y,
                                                   atoms[i].Z - atoms[j].Z));
    EXPECT_NEAR(nearest, c.NearestNeighbour * a, 1e-9);

    // Atom 1 lies in the top layer, nearest to the lateral centre.
    EXPECT_EQ(atoms[0].Z, 0.0);
    for (const CrystalAtom& atom : atoms) {
        if (atom.Z == 0.0) {
            EXPECT_LE(std::hypot(atoms[0].X, atoms[0].Y), std::hypot(atom.X, atom.Y) + 1e-12);
        }
    }
    // The rest follow layer by layer from the top.
    for (std::size_t i = 2; i < atoms.size(); ++i) EXPECT_LE(atoms[i].Z, atoms[i - 1].Z);
}

std::string CutName(const ::testing::TestParamInfo<LatticeCase>& info) {
    const char* surfaces[] = {"100", "110", "111"};
    return std::string(info.param.Lattice == CrystalLattice::Fcc ? "Fcc" : "Bcc") +
           surfaces[static_cast<int>(info.param.Surface)];
}

INSTANTIATE_TEST_SUITE_P(
    AllCuts, CrystalGeometry,
    ::testing::Values(
        LatticeCase{CrystalLattice::Fcc, CrystalSurface::S100, std::sqrt(0.5), 0.5},
        LatticeCase{CrystalLattice::Fcc, CrystalSurface::S110, std::sqrt(0.5), std::sqrt(2.0) / 4},
        LatticeCase{CrystalLattice::Fcc, CrystalSurface::S111, std::sqrt(0.5), 1 / std::sqrt(3.0)},
        LatticeCase{CrystalLattice::Bcc, CrystalSurface::S100, std::sqrt(0.75), 0.5},
        LatticeCase{CrystalLattice::Bcc, CrystalSurface::S110, std::sqrt(0.75), std::sqrt(0.5)},
        LatticeCase{CrystalLattice::Bcc, CrystalSurface::S111, std::sqrt(0.75),
                    std::sqrt(3.0) / 6}),
    CutName);

TEST(CrystalBuilder, AlloyPutsAFirstAndBLastWithTheRequestedShare) {
    CrystalSpec spec;
    spec.Cells = {4, 4, 3};
    spec.FractionB = 0.25;
    spec.AtomicNumberB = 28;
    spec.MassB = 58.69;
    spec.Flags = NoCooling | TypeB;  // TypeB is decided per atom in an alloy
    spec.Seed = 5;
    std::vector<CrystalAtom> atoms;
    std::string error;
    ASSERT_TRUE(BuildCrystal(spec, atoms, error)) << error;
    ASSERT_EQ(atoms.size(), 192u);
    EXPECT_EQ(atoms.front().Flags & TypeB, 0u);
    EXPECT_NE(atoms.back().Flags & TypeB, 0u);
    std::size_t b = 0;
    for (const CrystalAtom& atom : atoms) {
        const bool isB = (atom.Flags & TypeB) != 0;
        b += isB;
        EXPECT_EQ(atom.AtomicNumber, isB ? 28 : 29);
        EXPECT_EQ(atom.Mass, isB ? 58.69 : 63.546);
        EXPECT_NE(atom.Flags & NoCooling, 0u);
    }
    EXPECT_EQ(b, 48u);

    std::vector<CrystalAtom> again, other;
    BuildCrystal(spec, again, error);
    spec.Seed = 6;
    BuildCrystal(spec, other, error);
    auto flags = [](const std::vector<CrystalAtom>& v) {
        std::vector<std::uint32_t> f;
        for (const CrystalAtom& atom : v) f.push_back(atom.Flags);
        return f;
    };
    EXPECT_EQ(flags(again), flags(atoms));
    EXPECT_NE(flags(other), flags(atoms));
}

// A cooled border one cell wide: two atom rows at each side and two layers
// at the bottom keep their flags; the rest, the top surface included, are
// exempt from cooling.
TEST(CrystalBuilder, CooledBorderLeavesOnlyTheSidesAndTheBottomCooled) {
    CrystalSpec spec;
    spec.Cells = {6, 6, 4};
    spec.CooledBorder = 3.61;
    std::vector<CrystalAtom> atoms;
    std::string error;
    ASSERT_TRUE(BuildCrystal(spec, atoms, error)) << error;
    // Interior: 4 x 4 cells laterally, 3 of the 4 cells in depth.
    const std::size_t interior = 4 * 4 * 3 * 4;
    const auto exempt = std::count_if(atoms.begin(), atoms.end(),
                                      [](const CrystalAtom& a) { return (a.Flags & NoCooling) != 0; });
    EXPECT_EQ(static_cast<std::size_t>(exempt), interior);
    EXPECT_TRUE(atoms[0].Flags & NoCooling);  // atom 1, top middle
    for (const CrystalAtom& a : atoms) {
        const bool border = std::fabs(a.X) > 8.0 || std::fabs(a.Y) > 8.0 || a.Z < -10.0;
        EXPECT_EQ((a.Flags & NoCooling) == 0, border) << a.X << " " << a.Y << " " << a.Z;
    }
    CrystalCommand command;
    ASSERT_TRUE(ParseCrystalCommand({"--cooled-border", "3.61", "-o", "x.trg"}, command, error)) << error;
    EXPECT_EQ(command.Spec.CooledBorder, 3.61);
    EXPECT_FALSE(ParseCrystalCommand({"--cooled-border", "-1", "-o", "x.trg"}, command, error));
    EXPECT_EQ(error, "--cooled-border must not be negative");
}

TEST(CrystalBuilder, TargetFileReadsBackThroughTheInputPrimitives) {
    CrystalSpec spec;
    spec.Lattice = CrystalLattice::Bcc;
    spec.Surface = CrystalSurface::S110;
    spec.LatticeConstant = 3.165;
    spec.Cells = {2, 2, 2};
    spec.AtomicNumber = 74;
    spec.Mass = 183.84;
    spec.Flags = ImageCharge;
    std::vector<CrystalAtom> atoms;
    std::string error;
    ASSERT_TRUE(BuildCrystal(spec, atoms, error));
    testing::TempDir dir;
    const std::string path = dir.File("w110.trg");
    ASSERT_TRUE(WriteTargetFile(path, atoms, "W(110) test slab", error)) << error;

    InputFile in(path);
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        EXPECT_NEAR(in.ReadReal(), atoms[i].X, 1e-6);
        EXPECT_NEAR(in.ReadReal(), atoms[i].Y, 1e-6);
        EXPECT_NEAR(in.ReadReal(), atoms[i].Z, 1e-6);
        EXPECT_EQ(in.ReadInteger(), 74);
        EXPECT_EQ(in.ReadReal(), 183.84);
        EXPECT_EQ(in.ReadInteger(), 32);
        if (i == 0) {
            EXPECT_EQ(in.ReadString(255), " W(110) test slab");
        }
        in.SkipLine();
    }
    EXPECT_TRUE(in.AtEnd());
    EXPECT_FALSE(in.Failed());
}

TEST(CrystalBuilder, RejectsSpecsThatCannotMakeATarget) {
    auto rejected = [](auto change) {
        CrystalSpec spec;
        change(spec);
        std::vector<CrystalAtom> atoms;
        std::string error;
        const bool ok = BuildCrystal(spec, atoms, error);
        return !ok && !error.empty() && atoms.empty();
    };
    EXPECT_TRUE(rejected([](CrystalSpec& s) { s.Cells = {0, 3, 3}; }));
    EXPECT_TRUE(rejected([](CrystalSpec& s) { s.LatticeConstant = -1; }));
    EXPECT_TRUE(rejected([](CrystalSpec& s) { s.AtomicNumber = 1001; }));
    EXPECT_TRUE(rejected([](CrystalSpec& s) { s.Mass = 0; }));
    EXPECT_TRUE(rejected([](CrystalSpec& s) { s.FractionB = 0.5; }));  // no B species given
    EXPECT_TRUE(rejected([](CrystalSpec& s) { s.FractionB = 1.5; }));
    EXPECT_TRUE(rejected([](CrystalSpec& s) { s.Cells = {50, 50, 21}; }));  // 210,000 atoms
    EXPECT_FALSE(rejected([](CrystalSpec& s) { s.Cells = {50, 50, 20}; }));
}

TEST(CrystalCommand, SizesAndFlagsBecomeRepeatsAndFlagWords) {
    CrystalCommand command;
    std::string error;
    ASSERT_TRUE(ParseCrystalCommand({"--lattice", "fcc", "--surface", "111", "--a", "3.61",
                                     "--size", "30", "40", "--depth", "12.5", "--no-cooling",
                                     "--image-charge", "-o", "x.trg"},
                                    command, error))
        << error;
    // (111) cell edges: a sqrt 2 = 5.105, a sqrt 6 = 8.843, a sqrt 3 = 6.253 A.
    EXPECT_EQ(command.Spec.Cells, (std::array<int, 3>{6, 5, 2}));
    EXPECT_EQ(command.Spec.Flags, static_cast<std::uint32_t>(NoCooling | ImageCharge));
    EXPECT_EQ(command.OutputPath, "x.trg");
    EXPECT_EQ(command.Spec.Name, "fcc(111) 6x5x2 cells, a = 3.61 A");
    EXPECT_EQ(RepeatsForLength(36.1, 3.61), 10);
    EXPECT_EQ(RepeatsForLength(36.2, 3.61), 11);

    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--cells", "4", "4"}, {"--lattice", "hcp", "-o", "x"},
          {"--z", "12abc", "-o", "x"}, {"--cells", "2", "2", "2"}, {"--bogus", "-o", "x"}}) {
        EXPECT_FALSE(ParseCrystalCommand(bad, command, error)) << bad[0];
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
}  // namespace vantrel
