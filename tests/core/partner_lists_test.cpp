#include "core/partner_lists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "core/units.h"
#include "tools/crystal_builder.h"

namespace vantrel {
namespace {

using Point = std::array<double, 3>;  // m

constexpr double A = MetresPerAngstrom;

// The positions, lists and grid of one search.
struct ListWorld {
    ParticleTable Particles;
    PartnerLists Lists;
    CellGrid Grid;
    double RadiusSq = 0;
    double CellEdge = 4.0e-10;

    ListWorld(const std::vector<Point>& points, std::int32_t maxPartners, double radius,
              double cellEdge = 4.0e-10)
        : RadiusSq(radius * radius), CellEdge(cellEdge) {
        const auto n = static_cast<std::int32_t>(points.size()) - 1;
        Particles.AtomCount = n;
        SizePartnerLists(Lists, n, maxPartners);
        SizeCellGrid(Grid, n, maxPartners);
        Place(points);
    }

    void Place(const std::vector<Point>& points) {
        Particles.X.clear(), Particles.Y.clear(), Particles.Z.clear();
        for (const Point& q : points) {
            Particles.X.push_back(q[0]);
            Particles.Y.push_back(q[1]);
            Particles.Z.push_back(q[2]);
        }
    }

    ListSearchResult Build(bool bruteForce, bool projectileOnly = false, ListThreads threads = {}) {
        return bruteForce
                   ? BuildListsBruteForce(Particles, RadiusSq, projectileOnly, Lists, threads)
                   : BuildListsCellIndex(Particles, RadiusSq, CellEdge, Grid, Lists, threads);
    }

    std::vector<std::vector<std::int32_t>> Found() const {
        std::vector<std::vector<std::int32_t>> out(Particles.AtomCount + 1);
        for (std::int32_t i = 0; i <= Particles.AtomCount; ++i)
            out[i].assign(Lists.Index.begin() + Lists.Start[i], Lists.Index.begin() + Lists.Start[i + 1]);
        return out;
    }
};

std::vector<std::set<std::int32_t>> AsSets(const std::vector<std::vector<std::int32_t>>& lists) {
    std::vector<std::set<std::int32_t>> sets;
    for (const auto& list : lists) sets.emplace_back(list.begin(), list.end());
    return sets;
}

// The grid's own rule for who is binned, with its half width 12 w and top 4 w.
bool Binned(const Point& p, double w) {
    const double h = 12 * w;
    return std::fabs(p[0]) <= h && std::fabs(p[1]) <= h && p[2] <= h / 3 && p[2] > -h;
}

std::vector<std::vector<std::int32_t>> BuildWith(const std::vector<Point>& points,
                                                 bool bruteForce, double radius, double w,
                                                 std::int32_t maxPartners = 500) {
    ListWorld world(points, maxPartners, radius, w);
    const ListSearchResult found = world.Build(bruteForce);
    EXPECT_FALSE(found.Overflow);
    EXPECT_EQ(world.Lists.DistSq.size(), world.Lists.Start[1]);  // the projectile's row
    return world.Found();
}

// Random points in a box that reaches past the grid on every side, plus
// points placed on the grid's faces.
std::vector<Point> RandomPoints(unsigned seed, int count, double w) {
    std::mt19937 gen(seed);
    const double h = 12 * w;
    std::uniform_real_distribution<double> lateral(-1.1 * h, 1.1 * h);
    std::uniform_real_distribution<double> vertical(-1.1 * h, h / 3 + 0.4 * h);
    std::vector<Point> points;
    for (int i = 0; i < count; ++i) points.push_back({lateral(gen), lateral(gen), vertical(gen)});
    // On the faces: x and y at +-h and z at the top are inside the grid;
    // z at -h and just above the top are not.
    points.push_back({h, 0.3 * w, 0.0});
    points.push_back({h - 0.5 * w, 0.1 * w, 0.2 * w});
    points.push_back({-h, -h, -0.4 * w});
    points.push_back({0.2 * w, 0.1 * w, h / 3});
    points.push_back({0.1 * w, 0.3 * w, h / 3 + 1e-3 * w});
    points.push_back({0.4 * w, -0.2 * w, -h});
    points.push_back({0.3 * w, -0.1 * w, -h + 0.5 * w});
    std::shuffle(points.begin(), points.end(), gen);
    return points;
}

std::vector<Point> CrystalPoints(CrystalLattice lattice, CrystalSurface surface,
                                 std::array<int, 3> cells, double a) {
    CrystalSpec spec;
    spec.Lattice = lattice;
    spec.Surface = surface;
    spec.Cells = cells;
    spec.LatticeConstant = a;
    std::vector<CrystalAtom> atoms;
    std::string error;
    EXPECT_TRUE(BuildCrystal(spec, atoms, error)) << error;
    // A projectile 4 A above atom 1, then the target.
    std::vector<Point> points{{atoms[0].X * A, atoms[0].Y * A, 4 * A}};
    for (const CrystalAtom& atom : atoms) points.push_back({atom.X * A, atom.Y * A, atom.Z * A});
    return points;
}

// ---------------------------------------------------------------------------
// Both searches, same pairs.

struct SearchCase {
    unsigned Seed;
    int Count;
    double Radius;  // A
    double Edge;    // A
};

class SearchAgreement : public ::testing::TestWithParam<SearchCase> {};

TEST_P(SearchAgreement, CellIndexFindsTheBruteForcePairsOfBinnedPartners) {
    const SearchCase c = GetParam();
    const double w = c.Edge * A;
    const std::vector<Point> points = RandomPoints(c.Seed, c.Count, w);
    const auto brute = AsSets(BuildWith(points, true, c.Radius * A, w));
    const auto cell = AsSets(BuildWith(points, false, c.Radius * A, w));

    std::size_t pairs = 0;
    bool unbinnedSearched = false;
    for (std::size_t i = 0; i < points.size(); ++i) {
        std::set<std::int32_t> expected;
        for (std::int32_t j : brute[i])
            if (Binned(points[j], w)) expected.insert(j);
        EXPECT_EQ(cell[i], expected) << "particle " << i;
        pairs += brute[i].size();
        if (!Binned(points[i], w) && !cell[i].empty()) unbinnedSearched = true;
    }
    EXPECT_GT(pairs, points.size() / 3);  // the configuration really has pairs
    // Particles outside the grid still search the cells around them.
    EXPECT_TRUE(unbinnedSearched);
}

INSTANTIATE_TEST_SUITE_P(RandomConfigurations, SearchAgreement,
                         ::testing::Values(SearchCase{1, 1500, 8.0, 4.0},
                                           SearchCase{2, 2500, 8.0, 4.0},
                                           SearchCase{3, 1200, 3.3, 2.0},
                                           SearchCase{4, 400, 11.0, 2.5},
                                           SearchCase{5, 3000, 4.9, 4.4}),
                         [](const auto& info) { return "Seed" + std::to_string(info.param.Seed); });

TEST(PartnerSearch, BruteForceListsAreExactlyThePairsCloserThanR) {
    const double w = 4 * A;
    const std::vector<Point> points = RandomPoints(11, 600, w);
    const double r = 9 * A;
    const auto lists = BuildWith(points, true, r, w);
    for (std::size_t i = 0; i < points.size(); ++i) {
        std::vector<std::int32_t> expected;
        for (std::size_t j = i + 1; j < points.size(); ++j) {
            const double dx = points[i][0] - points[j][0];
            const double dy = points[i][1] - points[j][1];
            const double dz = points[i][2] - points[j][2];
            if (std::sqrt(dx * dx + dy * dy + dz * dz) < r * (1 - 1e-12))
                expected.push_back(static_cast<std::int32_t>(j));
        }
        EXPECT_EQ(lists[i], expected) << "particle " << i;  // ascending order
    }
}

struct CrystalCase {
    CrystalLattice Lattice;
    CrystalSurface Surface;
    double LatticeConstant;  // A
    double Radius;           // A, between the first and second neighbour shells
    std::size_t Neighbours;
};

class CrystalSearch : public ::testing::TestWithParam<CrystalCase> {};

TEST_P(CrystalSearch, BothSearchesGiveEachBulkAtomItsNearestNeighbours) {
    const CrystalCase c = GetParam();
    const std::vector<Point> points =
        CrystalPoints(c.Lattice, c.Surface, {5, 4, 4}, c.LatticeConstant);
    const auto brute = BuildWith(points, true, c.Radius * A, 4 * A);
    const auto cell = BuildWith(points, false, c.Radius * A, 4 * A);
    EXPECT_EQ(AsSets(brute), AsSets(cell));

    // Full neighbour count of the atom nearest the crystal's middle.
    double zMin = 0;
    for (const Point& p : points) zMin = std::min(zMin, p[2]);
    std::size_t middle = 1;
    double best = 1e9;
    for (std::size_t i = 1; i < points.size(); ++i) {
        const double dz = points[i][2] - zMin / 2;
        const double d = points[i][0] * points[i][0] + points[i][1] * points[i][1] + dz * dz;
        if (d < best) best = d, middle = i;
    }
    std::size_t count = cell[middle].size();
    for (std::size_t i = 0; i < middle; ++i)
        count += std::count(cell[i].begin(), cell[i].end(), static_cast<std::int32_t>(middle));
    EXPECT_EQ(count, c.Neighbours);
}

INSTANTIATE_TEST_SUITE_P(
    Lattices, CrystalSearch,
    ::testing::Values(CrystalCase{CrystalLattice::Fcc, CrystalSurface::S100, 3.61, 3.0, 12},
                      CrystalCase{CrystalLattice::Fcc, CrystalSurface::S111, 3.61, 3.0, 12},
                      CrystalCase{CrystalLattice::Fcc, CrystalSurface::S100, 3.61, 4.0, 18},
                      CrystalCase{CrystalLattice::Bcc, CrystalSurface::S110, 3.16, 3.0, 8},
                      CrystalCase{CrystalLattice::Bcc, CrystalSurface::S100, 3.16, 3.4, 14}),
    [](const auto& info) {
        return (info.param.Lattice == CrystalLattice::Fcc ? "Fcc" : "Bcc") +
               std::to_string(info.index);
    });

TEST(PartnerSearch, CellIndexListsRunInCellOrderAndDescendingIndexWithinACell) {
    const double w = 4 * A;
    const std::vector<Point> points = RandomPoints(21, 2000, w);
    const auto brute = BuildWith(points, true, 8 * A, w);
    const auto cell = BuildWith(points, false, 8 * A, w);
    auto cellOf = [&](std::int32_t j) {
        return std::make_tuple(static_cast<int>(std::nearbyint(points[j][0] / w)),
                               static_cast<int>(std::nearbyint(points[j][1] / w)),
                               static_cast<int>(std::nearbyint(points[j][2] / w)), -j);
    };
    std::size_t multiPerCell = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        std::vector<std::int32_t> expected;
        for (std::int32_t j : brute[i])
            if (Binned(points[j], w)) expected.push_back(j);
        std::sort(expected.begin(), expected.end(),
                  [&](std::int32_t p, std::int32_t q) { return cellOf(p) < cellOf(q); });
        EXPECT_EQ(cell[i], expected) << "particle " << i;
        for (std::size_t k = 1; k < expected.size(); ++k)
            if (std::get<0>(cellOf(expected[k])) == std::get<0>(cellOf(expected[k - 1])) &&
                std::get<1>(cellOf(expected[k])) == std::get<1>(cellOf(expected[k - 1])) &&
                std::get<2>(cellOf(expected[k])) == std::get<2>(cellOf(expected[k - 1])))
                ++multiPerCell;
    }
    EXPECT_GT(multiPerCell, 20u);  // the within-cell order was really exercised
}

TEST(PartnerSearch, ParticlesExactlyRApartAreNotPartners) {
    const double r = 5 * A;
    for (bool brute : {true, false}) {
        const std::vector<Point> points{{0, 0, 0}, {r, 0, 0}, {0, -r, 0}, {0, 0, -r},
                                        {0.999999 * r, 0, -3 * r}, {0, 0, -3 * r}};
        const auto lists = BuildWith(points, brute, r, 4 * A);
        EXPECT_TRUE(lists[0].empty()) << (brute ? "brute force" : "cell index");
        EXPECT_EQ(lists[4], std::vector<std::int32_t>{5});
    }
}

// ---------------------------------------------------------------------------
// Grid helpers.

TEST(CellGrid, CellInRangeCoversMinus12To12SidewaysAndMinus12To4InDepth) {
    struct Case {
        int a, b, c;
        bool inside;
    };
    for (const Case& k : {Case{0, 0, 0, true}, Case{12, -12, 4, true}, Case{-12, 12, -12, true},
                          Case{13, 0, 0, false}, Case{0, -13, 0, false}, Case{0, 0, 5, false},
                          Case{0, 0, -13, false}})
        EXPECT_EQ(CellInRange(k.a, k.b, k.c), k.inside) << k.a << " " << k.b << " " << k.c;
    EXPECT_EQ(CellSlot(-12, -12, -12), 0);
    EXPECT_EQ(CellSlot(12, 12, 4), CellGridSlots - 1);
    EXPECT_EQ(CellSlot(0, 0, 0), 5316);
}

TEST(CellGrid, InSearchBoxIsInclusiveOnEveryFace) {
    EXPECT_TRUE(InSearchBox(1, 2, 3, 1, 5, 0, 2, 3, 4));
    EXPECT_TRUE(InSearchBox(5, 0, 4, 1, 5, 0, 2, 3, 4));
    EXPECT_FALSE(InSearchBox(0.999, 1, 3.5, 1, 5, 0, 2, 3, 4));
    EXPECT_FALSE(InSearchBox(2, 1, 4.001, 1, 5, 0, 2, 3, 4));
    EXPECT_FALSE(InSearchBox(2, 2.5, 3.5, 1, 5, 0, 2, 3, 4));
}

TEST(CellGrid, BinningPushesToTheChainFrontAndSkipsParticlesOutsideTheGrid) {
    const double w = 4 * A;
    const double h = 12 * w;
    const double nan = std::nan("");
    const std::vector<Point> points{
        {0.1 * w, 0, 0},            // 0: cell (0, 0, 0)
        {h, -h, h / 3},             // 1: corner cell (12, -12, 4)
        {-0.2 * w, 0.3 * w, 0.1 * w},  // 2: cell (0, 0, 0)
        {0, 0, -h},                 // 3: at the floor: outside
        {0, 0, h / 3 * 1.000001},   // 4: above the top: outside
        {h * 1.000001, 0, 0},       // 5: beyond the side: outside
        {nan, 0, 0},                // 6: not a number: outside
        {0.4 * w, -0.4 * w, -0.3 * w},  // 7: cell (0, 0, 0)
    };
    ListWorld world(points, 10, 5 * A, w);
    BinParticles(world.Particles, w, world.Grid);
    const CellGrid& grid = world.Grid;
    std::vector<std::int32_t> chain;
    for (std::int32_t j = grid.Head[CellSlot(0, 0, 0)]; j != -1; j = grid.Next[j])
        chain.push_back(j);
    EXPECT_EQ(chain, (std::vector<std::int32_t>{7, 2, 0}));
    EXPECT_EQ(grid.Head[CellSlot(12, -12, 4)], 1);
    EXPECT_EQ(grid.Next[1], -1);
    int used = 0;
    for (std::int32_t head : grid.Head) used += head != -1;
    EXPECT_EQ(used, 2);

    EmptyCellGrid(world.Grid);
    EXPECT_TRUE(std::all_of(grid.Head.begin(), grid.Head.end(), [](int k) { return k == -1; }));
}

TEST(CellGrid, ASearchLeavesTheGridEmptyAndReusesTheJobsArrays) {
    ListWorld world(RandomPoints(5, 300, 4 * A), 100, 6 * A);
    world.Build(false);
    EXPECT_TRUE(std::all_of(world.Grid.Head.begin(), world.Grid.Head.end(),
                            [](int k) { return k == -1; }));
    const std::size_t pairs = world.Lists.Index.size();
    EXPECT_GT(pairs, 0u);
    // The second search makes room for a list more than the first found;
    // from then on the same pairs fit.
    world.Build(false);
    const std::int32_t* index = world.Lists.Index.data();
    const CellNode* nodes = world.Grid.Nodes.data();
    world.Build(false);
    EXPECT_EQ(world.Lists.Index.data(), index);
    EXPECT_EQ(world.Grid.Nodes.data(), nodes);
    EXPECT_EQ(world.Lists.Index.size(), pairs);
}

// ---------------------------------------------------------------------------
// Capacity.

// Particle 0 with `partners` neighbours that are all within R of each other,
// and a far pair (the last two particles).
std::vector<Point> Cluster(int partners) {
    std::vector<Point> points{{0, 0, 0}};
    for (int k = 0; k < partners; ++k)
        points.push_back({0.3 * A * std::cos(k), 0.3 * A * std::sin(k), 0.1 * A * k});
    points.push_back({-20 * A, -20 * A, -20 * A});
    points.push_back({-21 * A, -20 * A, -20 * A});
    return points;
}

class Capacity : public ::testing::TestWithParam<bool> {};

TEST_P(Capacity, MaxPartnersMinusOnePartnersFitWithoutOverflow) {
    ListWorld world(Cluster(4), 5, 3 * A);
    const ListSearchResult found = world.Build(GetParam());
    EXPECT_FALSE(found.Overflow);
    EXPECT_EQ(found.Largest, 4);
    EXPECT_EQ(world.Lists.Count(0), 4u);
}

TEST_P(Capacity, OneMorePartnerOverflowsCuttingOnlyThatList) {
    const bool bruteForce = GetParam();
    const std::vector<Point> points = Cluster(5);
    ListWorld world(points, 5, 3 * A);
    const ListSearchResult found = world.Build(bruteForce);
    EXPECT_TRUE(found.Overflow);
    EXPECT_EQ(found.Largest, 4);
    // The overflowing list is cut at MaxPartners - 1: the first four found.
    const auto lists = world.Found();
    const auto full = BuildWith(points, bruteForce, 3 * A, 4 * A);
    ASSERT_EQ(full[0].size(), 5u);
    EXPECT_EQ(lists[0], std::vector<std::int32_t>(full[0].begin(), full[0].begin() + 4));
    // Every other list is complete.
    for (std::size_t i = 1; i < points.size(); ++i) EXPECT_EQ(lists[i], full[i]) << i;
    EXPECT_EQ(lists[points.size() - 2].size(), 1u);
}

TEST_P(Capacity, AZeroCapacityOverflowsAtTheFirstPartnerInsteadOfRunningPastTheList) {
    ListWorld world(Cluster(2), 0, 3 * A);
    EXPECT_TRUE(world.Build(GetParam()).Overflow);
    EXPECT_EQ(world.Lists.Index.size(), 0u);
}

INSTANTIATE_TEST_SUITE_P(BothMethods, Capacity, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "BruteForce" : "CellIndex"; });

TEST(PartnerSearch, BruteForceForTheProjectileOnlyListsItsPartnersAlone) {
    ListWorld world(Cluster(6), 50, 3 * A);
    world.Build(true, true);
    EXPECT_EQ(world.Lists.Count(0), 6u);
    for (std::int32_t i = 1; i <= world.Particles.AtomCount; ++i)
        EXPECT_EQ(world.Lists.Count(i), 0u) << i;
    EXPECT_EQ(world.Lists.Start.back(), 6u);
}

// ---------------------------------------------------------------------------
// Threads: the lists of the serial search, laid out as it lays them, the
// same longest list and the same overflow, whatever the thread count.

TEST(PartnerSearch, ThreadsLeaveTheListsOfTheSerialSearch) {
    struct Case {
        const char* Name;
        std::vector<Point> Points;
        std::int32_t MaxPartners;
        bool BruteForce, ProjectileOnly;
    };
    const std::vector<Point> random = RandomPoints(6, 2000, 4 * A);
    const std::vector<Point> crystal =
        CrystalPoints(CrystalLattice::Fcc, CrystalSurface::S100, {6, 6, 4}, 3.61);
    const Case cases[] = {{"cell index", random, 500, false, false},
                          {"brute force", random, 500, true, false},
                          {"brute force, projectile only", crystal, 500, true, true},
                          {"cell index, overflowing lists", crystal, 40, false, false},
                          {"brute force, overflowing lists", crystal, 40, true, false}};
    for (const Case& c : cases) {
        ListWorld serial(c.Points, c.MaxPartners, 8 * A);
        const ListSearchResult expected = serial.Build(c.BruteForce, c.ProjectileOnly);
        EXPECT_EQ(expected.Overflow, c.MaxPartners == 40) << c.Name;
        for (const int threads : {2, 3, 8}) {
            WorkerPool pool(threads);
            ListSearchWork work;
            ListWorld world(c.Points, c.MaxPartners, 8 * A);
            // Twice: the second search reuses the first one's buffers.
            for (int rebuild = 0; rebuild < 2; ++rebuild) {
                const ListSearchResult found =
                    world.Build(c.BruteForce, c.ProjectileOnly, {&pool, &work});
                EXPECT_EQ(found.Largest, expected.Largest) << c.Name << ", " << threads;
                EXPECT_EQ(found.Overflow, expected.Overflow) << c.Name << ", " << threads;
                EXPECT_EQ(world.Lists.Start, serial.Lists.Start) << c.Name << ", " << threads;
                EXPECT_EQ(world.Lists.Index, serial.Lists.Index) << c.Name << ", " << threads;
                EXPECT_EQ(world.Lists.DistSq.size(), world.Lists.Start[1]) << c.Name;
            }
        }
    }
}

// ---------------------------------------------------------------------------
// List radius: R0 = v0 dt (k - 1) + r_c, then R <- 2/3 R + 1/3 (0.7 v dt (k - 1) + r_c).

TEST(ListRadius, FollowsTheTravelBetweenRebuilds) {
    struct Case {
        const char* Name;
        std::int32_t Interval;
        double Initial;   // A, from 2e4 m/s and 1 fs
        double Updated;   // A, from 9 A with 1e4 m/s and 1 fs
    };
    const Case cases[] = {
        // 2e4 m/s * 1 fs * 10 = 2 A; 0.7 * 1e4 m/s * 1 fs * 10 + 7 A = 7.7 A.
        {"interval 11", 11, 9.0, 6.0 + 7.7 / 3},
        // The velocity term vanishes: R is the cut-off, and relaxes towards it.
        {"interval 1", 1, 7.0, 6.0 + 7.0 / 3},
        // An interval below one never shrinks the radius below the cut-off.
        {"interval 0", 0, 7.0, 6.0 + 7.0 / 3},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(InitialListRadius(2e4, 1e-15, c.Interval, 7 * A), c.Initial * A, 1e-24) << c.Name;
        EXPECT_NEAR(UpdatedListRadius(9 * A, 1e4, 1e-15, c.Interval, 7 * A), c.Updated * A, 1e-24)
            << c.Name;
    }
    // At the cut-off with interval 1 the radius stays exactly there.
    EXPECT_DOUBLE_EQ(UpdatedListRadius(7 * A, 3e5, 2e-15, 1, 7 * A), 7 * A);
}

// ---------------------------------------------------------------------------
// Size.

TEST(PartnerStorage, A200000AtomLatticeWithCapacity500NeedsAFewHundredMegabytes) {
    const double a = 3.61;
    std::vector<Point> points =
        CrystalPoints(CrystalLattice::Fcc, CrystalSurface::S100, {50, 50, 20}, a);
    ASSERT_EQ(points.size(), 200001u);
    // The target set-up's rule: grow the cell edge until the zone (extent
    // plus a 7 A cut-off) fits the grid.
    double xMax = 0, zMin = 0, zMax = 0;
    for (const Point& p : points) {
        xMax = std::max({xMax, std::fabs(p[0]), std::fabs(p[1])});
        zMin = std::min(zMin, p[2]);
        zMax = std::max(zMax, p[2]);
    }
    double w = 4 * A;
    while (xMax + 7 * A > 12 * w || zMax + 7 * A > 4 * w || zMin - 7 * A < -12 * w) w *= 1.1;

    ListWorld world(points, 500, 8 * A, w);
    const ListSearchResult found = world.Build(false);
    ASSERT_FALSE(found.Overflow);
    const PartnerLists& lists = world.Lists;
    const std::size_t bytes = lists.Index.capacity() * sizeof(std::int32_t) +
                              lists.DistSq.capacity() * sizeof(double) +
                              lists.Start.capacity() * sizeof(std::uint32_t) +
                              world.Grid.Head.capacity() * sizeof(std::int32_t) +
                              world.Grid.Next.capacity() * sizeof(std::int32_t) +
                              world.Grid.Nodes.capacity() * sizeof(CellNode);
    // Room for 500 partners per atom would be 200001 * 501 * 12 bytes = 1.2 GB.
    EXPECT_LT(bytes, 250u * 1024 * 1024);
    RecordProperty("PartnerStorageMB", static_cast<int>(bytes >> 20));

    // fcc has 176 neighbours within 8 A (a = 3.61 A), 88 pairs per atom in
    // the bulk; the faces of the crystal take some away.
    const std::size_t pairs = lists.Index.size();
    EXPECT_LT(pairs, 200000u * 88);
    EXPECT_GT(pairs, 200000u * 70);
    std::size_t middle = 1;
    double best = 1e9;
    for (std::size_t i = 1; i < points.size(); ++i) {
        const double dz = points[i][2] - zMin / 2;
        const double d = points[i][0] * points[i][0] + points[i][1] * points[i][1] + dz * dz;
        if (d < best) best = d, middle = i;
    }
    std::size_t count = lists.Count(static_cast<std::int32_t>(middle));
    for (std::size_t k = 0; k < lists.Start[middle]; ++k)
        count += lists.Index[k] == static_cast<std::int32_t>(middle);
    EXPECT_EQ(count, 176u);
    EXPECT_LE(found.Largest, 176);
}

}  // namespace
}  // namespace vantrel
