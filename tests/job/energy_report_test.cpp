#include "job/energy_report.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/number_text.h"
#include "job/forces.h"
#include "job/state_views.h"
#include "tests/support/coloured_log.h"
#include "tests/support/small_job.h"

namespace vantrel {
namespace {

using testing::ColouredLog;
using testing::SmallJob;
using testing::SmallJobSpec;
using testing::UiCall;

// ---------------------------------------------------------------------------
// Cohesive and lattice energy reports (the sums are tested in core).

TEST(EnergyReport, CohesiveReportNamesOnlyExistingParticles) {
    SmallJob job;
    SmallJobSpec spec;
    spec.Impact = {0.0, 0.0, 2.4};  // the projectile near the crystal
    ASSERT_TRUE(job.SetUp(spec));
    EvaluateInitialForces(job.State);
    const std::int32_t n = job.State.Particles.AtomCount;
    const std::string warning = std::string("red|") + CohesiveWarningText;
    const auto line = [&](std::int32_t i) {
        return "blue|  Ec for atom #" + IntegerText(i) + ": " +
               FormatReal8(CohesiveEnergy(EnergyViewOf(job.State), i) * EvPerJoule) + " eV";
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
}

TEST(EnergyReport, LatticeReportGivesTheEnergyInEvWithFourDecimals) {
    SmallJobSpec spec;
    spec.Atoms = {{0, 0, 0, 29, 63.546, 0}};
    SmallJob job;
    ASSERT_TRUE(job.SetUp(spec));
    const double root = 1.2345 / EvPerJoule;  // sqrt(rho), J
    job.State.Particles.EmbeddingFactor[1] = 0.5 / root;
    job.Ui.Clear();
    LatticeEnergyReport(job.State);
    EXPECT_EQ(ColouredLog(job.Ui), std::vector<std::string>{"blue|  Lattice energy: -1.2345 eV (excludes projectile)"});
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

double PotentialEv(SimulationState& s) {
    return PotentialEnergy(EnergyViewOf(s), EnergyTermsOf(s), s.EnergyWork) * EvPerJoule;
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
    const double potential = PotentialEv(job.State);
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
    EXPECT_NEAR(job.State.ReportedPotential, PotentialEv(job.State), 1e-12 * kinetic);
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
