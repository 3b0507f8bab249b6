#include "job/energy_report.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "job/forces.h"
#include "core/number_text.h"
#include "core/screening.h"
#include "core/potential_forms.h"
#include "tests/support/coloured_log.h"
#include "tests/support/small_job.h"

namespace vantrel {
namespace {

using testing::ColouredLog;
using testing::SmallJob;
using testing::SmallJobSpec;
using testing::UiCall;

constexpr double A = MetresPerAngstrom;

void Shake(SmallJob& job, double amplitude, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> d(-amplitude * A, amplitude * A);
    ParticleTable& p = job.State.Particles;
    for (std::int32_t i = 1; i <= p.AtomCount; ++i) {
        p.X[i] += d(gen);
        p.Y[i] += d(gen);
        p.Z[i] += d(gen);
    }
}

SmallJobSpec Crystal(int cells) {
    SmallJobSpec spec;
    spec.Crystal.Cells = {cells, cells, cells};
    return spec;
}

SmallJobSpec Alloy(int cells) {
    SmallJobSpec spec = Crystal(cells);
    spec.Crystal.FractionB = 0.4;
    spec.Crystal.AtomicNumberB = 28;
    spec.Crystal.MassB = 58.69;
    spec.Model.PairEnergy = {0.012382, 0.015707, 0.0140};
    spec.Model.PairLength = {3.61, 3.52, 3.565};
    return spec;
}

// ---------------------------------------------------------------------------
// The cell search against the direct sum over all pairs.

struct ReportCase {
    const char* Name;
    SmallJobSpec Spec;
    bool SelfBombard = false;
    bool IgnoreTargetForces = false;
    bool Switching = true;
    bool Image = false;
};

std::vector<ReportCase> ReportCases() {
    std::vector<ReportCase> cases;
    SmallJobSpec close = Crystal(3);
    close.Impact = {0.4, 0.3, 1.2};  // the projectile inside r_lo of atom 1
    cases.push_back({"elemental", close});
    ReportCase unswitched{"elemental without switching", Crystal(3)};
    unswitched.Switching = false;
    cases.push_back(unswitched);
    cases.push_back({"binary", Alloy(3)});
    SmallJobSpec self = Alloy(3);
    self.ProjectileZ = 29;
    self.ProjectileMassAmu = 63.546;
    self.Impact = {0.4, 0.3, 1.8};
    cases.push_back({"binary, self-bombardment", self, true});
    cases.push_back({"self-bombardment, target forces ignored", self, true, true});
    cases.push_back({"target forces ignored", close, false, true});
    ReportCase image{"binary with image charges", Alloy(2)};
    image.Spec.ProjectileFlags = ImageCharge;
    image.Image = true;
    cases.push_back(image);
    return cases;
}

bool SetUpCase(SmallJob& job, const ReportCase& c) {
    SmallJobSpec spec = c.Spec;
    spec.Model.UseSwitching = c.Switching;
    job.Program.Options.SelfBombard = c.SelfBombard;
    job.Program.Options.IgnoreTargetForces = c.IgnoreTargetForces;
    job.Program.Options.UseImagePotential = c.Image;
    if (!job.SetUp(spec)) return false;
    InelasticParameters& image = job.State.Inelastic;
    image.ImageEnergy = 5.0 * JoulesPerEvInput;
    image.ImageDistance = -1.0 * A;
    image.ImageLengthSquare = std::pow(CoulombConstant / image.ImageEnergy, 2);
    ParticleTable& p = job.State.Particles;
    for (std::int32_t i = 1; i <= p.AtomCount; i += 3) p.Flags[i] |= ImageCharge;
    Shake(job, 0.3, 5);
    // Two atoms closer than r_lo, one on the spline.
    p.X[7] = p.X[6] + 1.1 * A, p.Y[7] = p.Y[6], p.Z[7] = p.Z[6];
    p.X[9] = p.X[8], p.Y[9] = p.Y[8] + 1.7 * A, p.Z[9] = p.Z[8];
    // One atom far out sideways, one a metre away.
    p.X[11] = 60 * A;
    p.Z[12] = 1.0;
    if (!job.Rebuild()) return false;
    EvaluateInitialForces(job.State);
    return true;
}

TEST(EnergyReport, PotentialEnergyEqualsTheSumOverAllPairs) {
    for (const ReportCase& c : ReportCases()) {
        SmallJob job;
        ASSERT_TRUE(SetUpCase(job, c)) << c.Name << job.Ui.LogText();
        const double direct = PotentialEnergyAllPairs(job.State);
        const double fast = PotentialEnergy(job.State);
        EXPECT_NE(direct, 0.0) << c.Name;
        EXPECT_NEAR(fast, direct, 1e-13 * std::fabs(direct)) << c.Name;
    }
}

TEST(EnergyReport, LatticeEnergyEqualsTheSumOverAllPairs) {
    for (const ReportCase& c : ReportCases()) {
        SmallJob job;
        ASSERT_TRUE(SetUpCase(job, c)) << c.Name;
        const double direct = LatticeEnergyAllPairs(job.State);
        EXPECT_NE(direct, 0.0) << c.Name;  // the close pairs make it large and positive
        EXPECT_NEAR(LatticeEnergy(job.State), direct, 1e-13 * std::fabs(direct)) << c.Name;
    }
}

// Pairs beyond r_c are counted, not visited: with a constant V_T of their
// own (no switching) they still add exactly what the direct sum adds.
TEST(EnergyReport, PairsBeyondTheCutoffAddTheirCutoffEnergy) {
    SmallJobSpec spec = Crystal(2);
    spec.Model.UseSwitching = false;
    SmallJob job;
    ASSERT_TRUE(job.SetUp(spec));
    EvaluateInitialForces(job.State);
    const CutoffEnergies cut = CutoffPairEnergies(job.State);
    const PairParameters copper = PairParametersOf(job.State.Model, AA);
    EXPECT_DOUBLE_EQ(cut.Target[AA], PairPotential(copper, 7.6 * A));
    EXPECT_GT(cut.Target[AA], 0.0);
    EXPECT_DOUBLE_EQ(cut.Projectile[AA],
                     ScreenedCoulombEnergy(18, 29, 7.6 * A, ScreeningFunction::Universal,
                                           job.State.Model.ProjectileScreening[AA]));
    // Spread the crystal out: every pair beyond r_c, each adding V_T, all of
    // which the cut-off correction takes back.
    ParticleTable& p = job.State.Particles;
    for (std::int32_t i = 1; i <= p.AtomCount; ++i) p.X[i] *= 10, p.Y[i] *= 10, p.Z[i] *= 10;
    for (std::int32_t i = 0; i <= p.AtomCount; ++i) p.Density[i] = 0;
    const double n = p.AtomCount;
    const double projectile = n * cut.Projectile[AA];
    EXPECT_NEAR(PotentialEnergy(job.State), projectile, 1e-12 * std::fabs(projectile));
    EXPECT_NEAR(PotentialEnergyAllPairs(job.State), projectile, 1e-12 * std::fabs(projectile));
}

TEST(EnergyReport, ParticleThatIsNotANumberMakesBothSumsNotANumber) {
    SmallJob job;
    ASSERT_TRUE(job.SetUp(Crystal(2)));
    EvaluateInitialForces(job.State);
    job.State.Particles.Z[5] = std::nan("");
    EXPECT_TRUE(std::isnan(PotentialEnergy(job.State)));
    EXPECT_TRUE(std::isnan(PotentialEnergyAllPairs(job.State)));
}

// ---------------------------------------------------------------------------
// Cohesive and lattice energies.

// The Sutton-Chen energy of one atom of a perfect fcc crystal, summed over
// the lattice directly: half the pair energies minus the square root of the
// density, both with the switching function.
double FccCohesiveEnergy(const ModelParameters& m, double latticeConstant) {
    const PairParameters p = PairParametersOf(m, AA);
    const SwitchingRange range = SwitchingRangeOf(m);
    const int reach = static_cast<int>(2 * m.CutoffRadius / latticeConstant) + 1;
    double pair = 0, density = 0;
    for (int i = -reach; i <= reach; ++i)
        for (int j = -reach; j <= reach; ++j)
            for (int k = -reach; k <= reach; ++k) {
                if ((i + j + k) % 2 != 0 || (i == 0 && j == 0 && k == 0)) continue;
                const double r = 0.5 * latticeConstant * std::sqrt(double(i * i + j * j + k * k));
                if (r > m.CutoffRadius) continue;
                pair += Switching(range, r) * PairPotential(p, r);
                density += Switching(range, r) * DensityFunction(p, r);
            }
    return 0.5 * pair - std::sqrt(density);
}

TEST(EnergyReport, CohesiveEnergyOfABulkAtomIsTheLatticeSum) {
    SmallJob job;
    ASSERT_TRUE(job.SetUp(Crystal(5)));
    EvaluateInitialForces(job.State);
    const ParticleTable& p = job.State.Particles;
    // The atom nearest the middle of the crystal has every neighbour within r_c.
    double cx = 0, cy = 0, cz = 0;
    for (std::int32_t i = 1; i <= p.AtomCount; ++i) cx += p.X[i], cy += p.Y[i], cz += p.Z[i];
    cx /= p.AtomCount, cy /= p.AtomCount, cz /= p.AtomCount;
    std::int32_t bulk = 1;
    double best = 1e300;
    for (std::int32_t i = 1; i <= p.AtomCount; ++i) {
        const double d = std::hypot(p.X[i] - cx, p.Y[i] - cy, p.Z[i] - cz);
        if (d < best) best = d, bulk = i;
    }
    const double expected = FccCohesiveEnergy(job.State.Model, 3.61 * A) * EvPerJoule;
    const double ec = CohesiveEnergy(job.State, bulk) * EvPerJoule;
    // The density comes from the tables: a relative 1e-7.
    EXPECT_NEAR(ec, expected, 1e-6);
    EXPECT_NEAR(ec, -3.49, 0.02 * 3.49);

    job.Program.Options.LatticeSiteIndex = bulk;
    job.Ui.Clear();
    CohesiveEnergyReport(job.State);
    EXPECT_EQ(ColouredLog(job.Ui),
              std::vector<std::string>{"blue|  Ec for atom #" + IntegerText(bulk) + ": " + FormatReal8(ec) + " eV"});
    // A surface atom is less bound.
    EXPECT_GT(CohesiveEnergy(job.State, 1) * EvPerJoule, ec + 0.3);
}

TEST(EnergyReport, CohesiveReportNamesOnlyExistingParticles) {
    SmallJob job;
    SmallJobSpec spec = Crystal(1);
    spec.Impact = {0.0, 0.0, 2.4};  // the projectile near the crystal
    ASSERT_TRUE(job.SetUp(spec));
    EvaluateInitialForces(job.State);
    const ParticleTable& p = job.State.Particles;
    const std::int32_t n = p.AtomCount;
    const std::string warning = std::string("red|") + CohesiveWarningText;
    const auto line = [&](std::int32_t i) {
        return "blue|  Ec for atom #" + IntegerText(i) + ": " +
               FormatReal8(CohesiveEnergy(job.State, i) * EvPerJoule) + " eV";
    };
    struct Case {
        std::int32_t Index;
        std::string Line;
    };
    const Case cases[] = {{n + 1, warning}, {-1, warning}, {n, line(n)}, {0, line(0)}, {1, line(1)}};
    for (const Case& c : cases) {
        job.Program.Options.LatticeSiteIndex = c.Index;
        job.Ui.Clear();
        CohesiveEnergyReport(job.State);
        EXPECT_EQ(ColouredLog(job.Ui), std::vector<std::string>{c.Line}) << c.Index;
    }
    // The projectile's value: half its N-body pair energies with the atoms
    // within r_c; it has no embedding energy without self-bombardment.
    const PairParameters copper = PairParametersOf(job.State.Model, AA);
    const SwitchingRange range = SwitchingRangeOf(job.State.Model);
    double sum = 0;
    for (std::int32_t j = 1; j <= n; ++j) {
        const double r = std::hypot(p.X[0] - p.X[j], p.Y[0] - p.Y[j], p.Z[0] - p.Z[j]);
        if (r <= job.State.Model.CutoffRadius) sum += Switching(range, r) * PairPotential(copper, r);
    }
    EXPECT_GT(sum, 0.0);
    EXPECT_DOUBLE_EQ(CohesiveEnergy(job.State, 0), 0.5 * sum);
}

TEST(EnergyReport, LatticeEnergyOfOneAtomIsMinusTheRootOfItsDensity) {
    SmallJobSpec spec;
    spec.Atoms = {{0, 0, 0, 29, 63.546, 0}};
    SmallJob job;
    ASSERT_TRUE(job.SetUp(spec));
    const double root = 1.2345 / EvPerJoule;  // sqrt(rho), J
    job.State.Particles.Density[1] = 0.5 / root;
    job.Ui.Clear();
    LatticeEnergyReport(job.State);
    EXPECT_EQ(ColouredLog(job.Ui), std::vector<std::string>{"blue|  Lattice energy: -1.2345 eV (excludes projectile)"});
}

TEST(EnergyReport, LatticeEnergyOfACrystalExcludesTheProjectile) {
    SmallJobSpec spec = Crystal(2);
    spec.Impact = {0.0, 0.0, 2.3};
    SmallJob job;
    ASSERT_TRUE(job.SetUp(spec));
    EvaluateInitialForces(job.State);
    const double with = LatticeEnergy(job.State);
    job.State.Particles.Z[0] = 1.0;  // the projectile taken away
    EXPECT_EQ(LatticeEnergy(job.State), with);
    job.Ui.Clear();
    LatticeEnergyReport(job.State);
    EXPECT_EQ(ColouredLog(job.Ui),
              std::vector<std::string>{"blue|  Lattice energy: " + FormatRealDecimals(4, with * EvPerJoule) +
                                       " eV (excludes projectile)"});
}

// ---------------------------------------------------------------------------
// The report lines.

// Three particles placed by hand with known velocities and embedding factors.
struct HandJob : SmallJob {
    HandJob() {
        SmallJobSpec spec;
        spec.Atoms = {{0, 0, 0, 29, 63.546, 0}, {2.5, 0.5, -0.5, 29, 63.546, 0}};
        EXPECT_TRUE(SetUp(spec));
        ParticleTable& p = State.Particles;
        p.VX = {1000.0, -200.0, 50.0};
        p.VY = {-500.0, 300.0, 0.0};
        p.VZ = {-8000.0, 100.0, -25.0};
        EvaluateInitialForces(State);
        State.Zone = {12e-10, -11e-10, 13e-10, -14e-10, 15e-10, -16e-10};
        Ui.Clear();
    }
};

std::vector<std::string> ExpectedLines(const SimulationState& s, double total, double potential) {
    const ParticleTable& p = s.Particles;
    double px = 0, py = 0, pz = 0, lx = 0, ly = 0, lz = 0;
    for (std::int32_t i = 0; i <= p.AtomCount; ++i) {
        const double m = p.Mass[i];
        px += m * p.VX[i], py += m * p.VY[i], pz += m * p.VZ[i];
        lx += m * (p.Y[i] * p.VZ[i] - p.Z[i] * p.VY[i]);
        ly += m * (p.Z[i] * p.VX[i] - p.X[i] * p.VZ[i]);
        lz += m * (p.X[i] * p.VY[i] - p.Y[i] * p.VX[i]);
    }
    const auto three = [](double a, double b, double c, double scale) {
        return FormatReal8(a * scale) + " " + FormatReal8(b * scale) + " " + FormatReal8(c * scale);
    };
    const LatticeZone& z = s.Zone;
    return {"blue|  Total System Energy: " + FormatReal8(total) + " eV",
            "blue|  Potential: " + FormatReal8(potential) + " eV; Kinetic : " + FormatReal8(total - potential) + " eV",
            "darkgreen|  Px:" + FormatReal8(px * 1e21) + " Py:" + FormatReal8(py * 1e21) + " Pz:" +
                FormatReal8(pz * 1e21) + " (*1.0E+21 kg m/s)",
            "darkgreen|  Lx:" + FormatReal8(lx * 1e31) + " Ly:" + FormatReal8(ly * 1e31) + " Lz:" +
                FormatReal8(lz * 1e31) + " (*1.0E+31 Js)",
            "black|  Projectile (x,y,z) coordinates (A): " + three(p.X[0], p.Y[0], p.Z[0], 1e10),
            "black|  Projectile (x,y,z) velocities (Mm/s): " + three(p.VX[0], p.VY[0], p.VZ[0], 1e-6),
            "grey|  Particle 1 (x,y,z) coordinates (A): " + three(p.X[1], p.Y[1], p.Z[1], 1e10),
            "grey|  Particle 1 (x,y,z) velocities (Mm/s): " + three(p.VX[1], p.VY[1], p.VZ[1], 1e-6),
            "black|  Lattice zone lower coordinates (A): " + three(z.XMin, z.YMin, z.ZMin, 1e10),
            "black|  Lattice zone upper coordinates (A): " + three(z.XMax, z.YMax, z.ZMax, 1e10)};
}

double KineticEv(const ParticleTable& p) {
    double ke = 0;
    for (std::int32_t i = 0; i <= p.AtomCount; ++i)
        ke += 0.5 * p.Mass[i] * (p.VX[i] * p.VX[i] + p.VY[i] * p.VY[i] + p.VZ[i] * p.VZ[i]);
    return ke * EvPerJoule;
}

TEST(EnergyReport, LogsEnergiesMomentaAndCoordinatesInTheirColours) {
    HandJob job;
    const double kinetic = KineticEv(job.State.Particles);
    const double potential = PotentialEnergy(job.State) * EvPerJoule;
    const double total = EnergyReport(job.State);
    EXPECT_NEAR(total, kinetic + potential, 1e-12 * std::fabs(kinetic));
    EXPECT_GT(kinetic, 10.0);  // the projectile: 40 amu at 8 km/s
    EXPECT_EQ(ColouredLog(job.Ui), ExpectedLines(job.State, total, potential));
}

// The toggle turns true at the first report of a run and false at the
// second, which then stores the energies and says it is the final one.
TEST(EnergyReport, ToggleMarksTheFinalReportAndKeepsItsPhaseAcrossReports) {
    HandJob job;
    ProgramContext& program = job.Program;
    ASSERT_FALSE(program.FinalReportToggle);
    job.State.ReportedKinetic = job.State.ReportedPotential = -1;

    EnergyReport(job.State);
    EXPECT_TRUE(program.FinalReportToggle);
    EXPECT_EQ(job.State.ReportedKinetic, -1);
    EXPECT_NE(job.Ui.LogTexts().front(), FinalConfigurationText);

    job.State.Particles.VZ[0] = -4000.0;
    job.Ui.Clear();
    const double total = EnergyReport(job.State);
    EXPECT_FALSE(program.FinalReportToggle);
    const std::vector<std::string> log = ColouredLog(job.Ui);
    ASSERT_EQ(log.size(), 11u);
    EXPECT_EQ(log.front(), std::string("blue|") + FinalConfigurationText);
    const double kinetic = KineticEv(job.State.Particles);
    EXPECT_NEAR(job.State.ReportedKinetic, kinetic, 1e-12 * kinetic);
    EXPECT_NEAR(job.State.ReportedPotential, PotentialEnergy(job.State) * EvPerJoule, 1e-12 * kinetic);
    EXPECT_NEAR(total, job.State.ReportedKinetic + job.State.ReportedPotential, 1e-12 * kinetic);

    // A third report (a run that reported once shifts the phase) stores nothing.
    job.State.Particles.VZ[0] = -2000.0;
    const double stored = job.State.ReportedKinetic;
    EnergyReport(job.State);
    EXPECT_TRUE(program.FinalReportToggle);
    EXPECT_EQ(job.State.ReportedKinetic, stored);

    // Quiet reports still count in the phase and still store.
    program.Options.Verbose = false;
    job.Ui.Clear();
    EnergyReport(job.State);
    EXPECT_FALSE(program.FinalReportToggle);
    EXPECT_LT(job.State.ReportedKinetic, stored);
    EXPECT_TRUE(job.Ui.Events.empty());
}

TEST(EnergyReport, DoesNothingWhenEnergyReportsAreOff) {
    HandJob job;
    job.Program.Options.ReportEnergy = false;
    job.State.ReportedKinetic = 7, job.State.ReportedPotential = 8;
    for (const bool toggle : {false, true}) {
        job.Program.FinalReportToggle = toggle;
        EXPECT_EQ(EnergyReport(job.State), 0.0);
        EXPECT_EQ(job.Program.FinalReportToggle, toggle);
    }
    EXPECT_EQ(job.State.ReportedKinetic, 7);
    EXPECT_EQ(job.State.ReportedPotential, 8);
    EXPECT_TRUE(job.Ui.Events.empty());
}

}  // namespace
}  // namespace vantrel
