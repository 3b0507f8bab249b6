#include "job/model_file.h"

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "io/model_file_writer.h"
#include "tests/support/test_job.h"

namespace vantrel {
namespace {

using testing::CopperModel;
using testing::ReplaceLine;
using testing::TestJob;
using testing::UiCall;

// Projectile Z0, target atoms 1 and n = 2 with Z1 and Zn, atom 1's mass in
// amu: the state the target reader hands to the model reader.
struct ModelJob : TestJob {
    explicit ModelJob(int z0 = 18, int z1 = 29, int zn = 29, double mass1 = 63.55) {
        Allocate(2);
        State.RunCounter = 1;
        State.Particles.AtomicNumber[0] = z0;
        State.Particles.AtomicNumber[1] = z1;
        State.Particles.AtomicNumber[2] = zn;
        State.Particles.Mass[1] = mass1;
    }
    bool Read(const std::string& text) {
        Path = Dir.Write("model.mdl", text);
        return ReadModelFile(State, Path);
    }
    std::vector<std::string> Errors() const { return Ui.Texts(UiCall::ErrorBox); }
    std::vector<std::string> Questions() const { return Ui.Texts(UiCall::Question); }
    std::string Path;
};

std::string CopperText() { return ModelFileText(CopperModel()); }

TEST(ModelFile, ReadOutsideTheFirstRunIsAnUnexpectedError) {
    ModelJob job;
    job.State.RunCounter = 2;
    EXPECT_FALSE(job.Read(CopperText()));
    EXPECT_EQ(job.Errors(), std::vector<std::string>{"Unexpected error in ReadModelFile - aborting"});
    EXPECT_TRUE(job.Ui.LogTexts().empty());
}

TEST(ModelFile, MissingFileIsLoggedInRed) {
    ModelJob job;
    const std::string name = job.Dir.File("absent.mdl");
    EXPECT_FALSE(ReadModelFile(job.State, name));
    ASSERT_EQ(job.Ui.LogEvents().size(), 1u);
    EXPECT_TRUE(job.Ui.HasLogLine("  Cannot open " + name + " ...Aborting", ColourRed));
    EXPECT_TRUE(job.Errors().empty());
}

TEST(ModelFile, SwitchingErrorStopsBeforeAnyLineOrTable) {
    ModelJob job;
    ModelFileDescription d = CopperModel();
    d.SwitchRadius = 7.6;
    EXPECT_FALSE(job.Read(ModelFileText(d)));
    EXPECT_EQ(job.Errors(), std::vector<std::string>{
                                "Switching func. radius must satisfy: r(cut-off) > rsw > r(hi spline)"});
    EXPECT_TRUE(job.Ui.LogTexts().empty());
    EXPECT_FALSE(job.State.Tables.Allocated);
}

TEST(ModelFile, MassQuestionFollowsTheTenthOfAnAmuRule) {
    struct Case {
        double TargetMass;
        int StaticLattice;
        bool Asked;
    };
    const Case cases[] = {
        {63.55, 0, false},  // model 63.60: differs by 0.05
        {63.70, 0, true},   // differs by 0.10 and a bit
        {63.40, 0, true},
        {63.70, 1, false},  // no question with a static lattice
        {50.0, 2, false},
    };
    for (const Case& c : cases) {
        for (bool answer : {true, false}) {
            ModelJob job(18, 29, 29, c.TargetMass);
            job.Ui.DefaultAnswer = answer;
            ModelFileDescription d = CopperModel();
            d.Mass = 63.60;
            d.StaticLattice = c.StaticLattice;
            const bool ok = job.Read(ModelFileText(d));
            const std::vector<std::string> questions = job.Questions();
            if (c.Asked) {
                ASSERT_EQ(questions.size(), 1u) << c.TargetMass;
                EXPECT_EQ(questions[0],
                          "Masses given in TRG and MDL files differ significantly. Proceed anyway?");
                EXPECT_EQ(job.Ui.Events.front().Call, UiCall::Question);
                EXPECT_EQ(job.Ui.Events.front().Kind, QuestionKind::Warning);
                EXPECT_EQ(ok, answer);
                // A "No" still lets the reader finish the file and log its lines.
                EXPECT_TRUE(job.Ui.HasLogLine("   - Testing all particles for termination energy"));
            } else {
                EXPECT_TRUE(questions.empty()) << c.TargetMass;
                EXPECT_TRUE(ok);
            }
        }
    }
}

TEST(ModelFile, LogLinesFollowTheOptionsAndTheModel) {
    struct Case {
        bool HotTarget, Verbose, Switching, ProjectileOnly;
        int Zn;
        std::vector<std::string> Lines;
    };
    const Case cases[] = {
        {true, true, true, false, 29,
         {"  Hot target: T = 300.00 K", "  Sutton-Chen potential",
          "   - Potential cuts off at 7.600 A", "   - Using switching function for r > 7.300 A",
          "  Proj-Targ screening lengths (A): 0.11389, 0.11389",
          "  Targ-Targ screening lengths (A): 0.10798, 0.10798, 0.10798",
          "   - Testing all particles for termination energy"}},
        {false, false, false, true, 29,
         {"  Sutton-Chen potential", "   - Potential cuts off at 7.600 A",
          "   - Testing projectile only for term. energy"}},
        // Ar on a target whose last atom is Ag; the Ar projectile is of type A.
        {false, true, true, false, 47,
         {"  Sutton-Chen potential", "   - Potential cuts off at 7.600 A",
          "   - Using switching function for r > 7.300 A",
          "  Proj-Targ screening lengths (A): 0.11389, 0.10725",
          "  Targ-Targ screening lengths (A): 0.10798, 0.096627, 0.10199",
          "   - Testing all particles for termination energy"}},
    };
    for (const Case& c : cases) {
        ModelJob job(18, 29, c.Zn);
        job.Program.Options.HotTarget = c.HotTarget;
        job.Program.Options.Verbose = c.Verbose;
        ModelFileDescription d = CopperModel();
        d.UseSwitching = c.Switching;
        d.ProjectileOnlyTest = c.ProjectileOnly;
        ASSERT_TRUE(job.Read(ModelFileText(d))) << job.Ui.LogText();
        EXPECT_EQ(job.Ui.LogTexts(), c.Lines);
        for (const testing::UiEvent& e : job.Ui.LogEvents()) EXPECT_EQ(e.Colour, ColourBlack) << e.Text;
    }
    ModelJob tb;
    ASSERT_TRUE(tb.Read(ModelFileText(testing::TightBindingCopperModel())));
    EXPECT_TRUE(tb.Ui.HasLogLine("  Tight-Binding potential", ColourBlack));
}

// A bad model file: the reader's box, then a red line naming the file, the
// line, the field and what was found; a format error only after the
// report lines (as the reader always did), the two refusals at once.
TEST(ModelFile, BadFileShowsItsBoxThenWhereAndWhat) {
    const std::string copper = CopperText();
    std::size_t twelveLines = 0;
    for (int k = 0; k < 12; ++k) twelveLines = copper.find('\n', twelveLines) + 1;
    ModelFileDescription typeSeven = CopperModel();
    typeSeven.PotentialType = 7;
    const std::vector<std::string> report = {"  Sutton-Chen potential", "   - Potential cuts off at 7.600 A",
                                             "   - Using switching function for r > 7.300 A"};
    const struct {
        std::string Text;
        std::string Box;  // after "model.mdl" is replaced by the file's path
        std::vector<std::string> Log;
    } cases[] = {
        // The values after the failed read count as 0, the report says so.
        {ReplaceLine(copper, 6, "0.012382 eps 0.012382"), "Format error in model.mdl.",
         {report[0], "   - Potential cuts off at 0.000 A", "  model.mdl, line 6, PairEnergy: found \"eps\""}},
        {ReplaceLine(copper, 26, "10.0keV"), "Format error in model.mdl.",
         {report[0], report[1], report[2], "  model.mdl, line 26, TerminationEnergy: found \"10.0keV\""}},
        {copper.substr(0, twelveLines), "Model file ends early: model.mdl.",
         {"  model.mdl ends before line 13: no value for SplineLowRadius"}},
        {ModelFileText(typeSeven), "Unknown potential type in model.mdl: 7 (0 Sutton-Chen, 1 Tight-Binding).",
         {"  model.mdl, line 5, PotentialType: found \"7\""}},
    };
    for (const auto& c : cases) {
        ModelJob job;
        EXPECT_FALSE(job.Read(c.Text));
        std::string box = c.Box;
        box.replace(box.find("model.mdl"), 9, job.Path);
        EXPECT_EQ(job.Errors(), std::vector<std::string>{box});
        EXPECT_EQ(job.Ui.LogTexts(), c.Log) << c.Box;
        EXPECT_TRUE(job.Ui.HasLogLine(c.Log.back(), ColourRed));
        EXPECT_EQ(job.Ui.Events[job.Ui.Events.size() - 2].Call, UiCall::ErrorBox);  // the place follows the box
        EXPECT_TRUE(job.Questions().empty());
        EXPECT_FALSE(job.State.Tables.Allocated);
    }
}

TEST(ModelFile, AcceptedModelHasItsTablesAndScreeningRecords) {
    ModelJob job;
    ASSERT_TRUE(job.Read(CopperText()));
    EXPECT_TRUE(job.State.Tables.Allocated);
    EXPECT_EQ(job.State.Tables.PairForce[AA].size(), static_cast<std::size_t>(TableEntries + 1));
    const ModelParameters& m = job.State.Model;
    EXPECT_DOUBLE_EQ(m.ProjectileScreening[AB].Exponent[0] * m.ProjectileScreeningLength[AB], 0.2016);
    EXPECT_DOUBLE_EQ(m.TargetScreening[BB].Exponent[6] * m.TargetScreeningLength[BB], 6.0);
}

const char* const LimitsMessage =
    "Allowed N-body potential limits are: \r1 A < R < 20 A.\rHint: change potential cut-off limit in .RUN file.";
const char* const RadiiMessage =
    "Spline radii must satisfy: 1 A <= r(lo spline) <= r(hi spline) < r(cut-off)";
const char* const NBodyMessage =
    "N-body potential precision error found in look-up tables (fatal).\r"
    "Check your parameters, or report error to the author.";
const char* const SplineMessage =
    "Spline potential precision error found in look-up tables (fatal).\r"
    "Check your parameters, or report error to the author.";
const char* const FiniteMessage =
    "Potential look-up tables hold values that are not finite numbers.\rCheck your parameters.";

// Each failed check of the model set-up, with the boxes or red lines it shows.
TEST(ModelFile, FailedChecksShowTheirMessages) {
    struct Case {
        const char* Label;
        std::function<void(ModelFileDescription&)> Change;
        std::vector<std::string> Boxes;
        std::vector<std::string> RedLines;
    };
    const auto radii = [](int type, double low, double high, double cutoff) {
        return [=](ModelFileDescription& d) {
            if (type != 0) d = testing::TightBindingCopperModel();
            d.UseSwitching = false;
            d.SplineLowRadius = low;
            d.SplineHighRadius = high;
            d.CutoffRadius = cutoff;
        };
    };
    const Case cases[] = {
        {"r_c 21 A", radii(0, 1.4, 2.1, 21.0), {LimitsMessage}, {}},
        {"r_hi 0.9 A", radii(0, 1.4, 0.9, 7.6), {LimitsMessage}, {}},
        {"r_lo 0.9 A", radii(0, 0.9, 2.1, 7.6), {RadiiMessage}, {}},
        {"r_lo above r_hi", radii(0, 2.2, 2.1, 7.6), {RadiiMessage}, {}},
        {"r_hi at r_c", radii(0, 1.4, 7.6, 7.6), {RadiiMessage}, {}},
        {"TB r_c 21 A", radii(1, 1.4, 2.1, 21.0), {LimitsMessage}, {}},
        {"TB r_hi 0.99 A", radii(1, 1.4, 0.99, 6.2), {LimitsMessage}, {}},
        {"TB r_lo 0.5 A", radii(1, 0.5, 2.1, 6.2), {RadiiMessage}, {}},
        {"density join with r_lo = r_hi",
         [&radii](ModelFileDescription& d) {
             radii(0, 2.1, 2.1, 7.6)(d);
             d.SmoothDensityJoin = true;
         },
         {"Continuous density join needs r(lo spline) < r(hi spline)"}, {}},
        // A density whose slope single precision cannot hold to 0.001 eV/A,
        // a spline too steep for it, or both.
        {"dense", [](ModelFileDescription& d) { d.DensityStrength = {1e14, 1e14, 1e14}; },
         {NBodyMessage}, {}},
        {"steep", [](ModelFileDescription& d) { d.Spline[0] = {0.0, 0.0, 0.0, -1e30}; },
         {SplineMessage}, {}},
        {"dense and steep",
         [](ModelFileDescription& d) {
             d.DensityStrength = {1e14, 1e14, 1e14};
             d.Spline[0] = {0.0, 0.0, 0.0, -1e30};
         },
         {NBodyMessage, SplineMessage}, {}},
        // r0 = 0 with p = 0 makes 0 * infinity in the exponent: not a number.
        {"not a number",
         [](ModelFileDescription& d) {
             d = testing::TightBindingCopperModel();
             d.PairLength = {0.0, 0.0, 0.0};
             d.RepulsiveExponent = {0.0, 0.0, 0.0};
         },
         {FiniteMessage}, {}},
        // A pair energy beyond single precision overflows the pair-force
        // table (no density, so the precision check has nothing to object to).
        {"overflow",
         [](ModelFileDescription& d) {
             d.PairEnergy = {1e45, 1e45, 1e45};
             d.DensityStrength = {0, 0, 0};
         },
         {FiniteMessage}, {}},
        {"projectile code 3", [](ModelFileDescription& d) { d.ProjectileScreeningCode = 3; }, {},
         {"  Error in heteronuclear screening length."}},
        {"target code -1", [](ModelFileDescription& d) { d.TargetScreeningCode = -1; }, {},
         {"  Error in homonuclear screening length."}},
        {"both codes",
         [](ModelFileDescription& d) {
             d.ProjectileScreeningCode = 7;
             d.TargetScreeningCode = 9;
         },
         {},
         {"  Error in heteronuclear screening length.", "  Error in homonuclear screening length."}},
        {"projectile factor 0", [](ModelFileDescription& d) { d.ProjectileScreeningFactor = 0.0; }, {},
         {"  Error in heteronuclear screening length: factor must be positive."}},
        {"target factor -1", [](ModelFileDescription& d) { d.TargetScreeningFactor = -1.0; }, {},
         {"  Error in homonuclear screening length: factor must be positive."}},
    };
    for (const Case& c : cases) {
        ModelJob job;
        ModelFileDescription d = CopperModel();
        c.Change(d);
        EXPECT_FALSE(job.Read(ModelFileText(d))) << c.Label;
        EXPECT_EQ(job.Errors(), c.Boxes) << c.Label;
        std::vector<std::string> red;
        for (const testing::UiEvent& e : job.Ui.LogEvents())
            if (e.Colour == ColourRed) red.push_back(e.Text);
        EXPECT_EQ(red, c.RedLines) << c.Label;
        // Unknown screening lengths stop the set-up at once: no tables.
        if (!c.RedLines.empty()) {
            EXPECT_FALSE(job.State.Tables.Allocated) << c.Label;
        }
    }
    // The limits hold at exactly 20 A, and Tight-Binding tables are not compared.
    for (const auto& change : {radii(0, 1.4, 2.1, 20.0), radii(1, 1.4, 2.1, 20.0)}) {
        ModelJob job;
        ModelFileDescription d = CopperModel();
        change(d);
        job.Read(ModelFileText(d));
        for (const std::string& e : job.Errors()) EXPECT_NE(e, LimitsMessage);
    }
    ModelJob tb;
    ModelFileDescription steepTb = testing::TightBindingCopperModel();
    steepTb.Spline[0] = {0.0, 0.0, 0.0, -1e30};
    EXPECT_TRUE(tb.Read(ModelFileText(steepTb)));
}

TEST(ModelFile, SelfBombardmentQuestions) {
    const std::string notSpecified =
        "Self-bombardment not specified, but projectile Z = target Z.\r Proceed anyway?";
    const std::string inconsistent =
        "Projectile Z not consistent with self-bombardment option. Proceed anyway?";
    struct Case {
        bool SelfBombard;
        int Z0, Z1, Zn;
        bool ProjectileB;
        const std::string* Question;
    };
    const Case cases[] = {
        {false, 29, 29, 29, false, &notSpecified},  // Cu on Cu
        {false, 47, 29, 47, false, &notSpecified},  // equals the last atom
        {false, 18, 29, 29, false, nullptr},
        {true, 18, 29, 29, false, &inconsistent},
        {true, 29, 29, 29, false, nullptr},
        {true, 47, 29, 47, true, nullptr},   // a B projectile is compared with Zn
        {true, 29, 29, 47, true, &inconsistent},
    };
    for (const Case& c : cases) {
        for (bool batch : {false, true}) {
            for (bool answer : {true, false}) {
                ModelJob job(c.Z0, c.Z1, c.Zn);
                job.State.BatchMode = batch;
                job.Program.Options.SelfBombard = c.SelfBombard;
                if (c.ProjectileB) job.State.Particles.Flags[0] = TypeB;
                job.Ui.DefaultAnswer = answer;
                const bool ok = job.Read(CopperText());
                if (c.Question) {
                    EXPECT_EQ(job.Questions(), std::vector<std::string>{*c.Question});
                    EXPECT_EQ(job.Ui.Events.back().Kind, QuestionKind::Warning);
                    EXPECT_EQ(ok, answer);
                } else {
                    EXPECT_TRUE(job.Questions().empty());
                    EXPECT_TRUE(ok);
                }
            }
        }
    }
}

TEST(ModelFile, LaterYesNeverUndoesAFailure) {
    // No to the mass question, Yes to the self-bombardment question.
    ModelJob job(29, 29, 29, 70.0);
    job.Ui.Answers = {false, true};
    EXPECT_FALSE(job.Read(CopperText()));
    EXPECT_EQ(job.Questions().size(), 2u);

    // A failed precision check, then Yes.
    ModelJob precision(29, 29, 29);
    ModelFileDescription d = CopperModel();
    d.DensityStrength = {1e14, 1e14, 1e14};
    precision.Ui.DefaultAnswer = true;
    EXPECT_FALSE(precision.Read(ModelFileText(d)));
    EXPECT_EQ(precision.Questions().size(), 1u);
}

}  // namespace
}  // namespace vantrel
