#include "job/model_file.h"

#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/screening.h"
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

TEST(ModelFile, EveryLineIsReadAndConverted) {
    ModelJob job;
    ModelFileDescription d = CopperModel();
    d.PairEnergy = {1.0, 2.0, 3.0};
    d.PairLength = {3.61, 3.5, 3.55};
    d.RepulsiveExponent = {9, 10, 11};
    d.DensityExponent = {6, 7, 8};
    d.AttractiveWeight = {0.0, 0.5, 0.25};
    d.DensityStrength = {39.432, 40, 41};
    d.Reserved = {7, 8, 9};
    d.StaticLattice = 1;
    d.TargetTemperature = 450.5;
    d.FreeLines = {"12.0 free", "text that is not read 1e9", ""};
    d.SurfaceBarrier = 3.5;
    d.SideBarrier = 0.25;
    d.TerminationEnergy = 2.0;
    d.ProjectileOnlyTest = true;
    d.MsdA = {0.1, 0.2, 0.3};
    d.MsdB = {0.4, 0.5, 0.6};
    d.Spline[1] = {1e-16, -2e-6, 3e3, -4e12};
    d.Spline[2] = {5e-16, -6e-6, 7e3, -8e12};
    ASSERT_TRUE(job.Read(ModelFileText(d))) << job.Ui.LogText();

    const ModelParameters& m = job.State.Model;
    EXPECT_EQ(m.ProjectileScreeningCode, 0);
    EXPECT_EQ(m.TargetScreeningFactor, 1.0);
    EXPECT_EQ(m.PotentialType, 0);
    EXPECT_DOUBLE_EQ(m.PairEnergy[AA], 1.602192e-19);
    EXPECT_DOUBLE_EQ(m.PairEnergy[AB], 3.0 * 1.602192e-19);
    EXPECT_DOUBLE_EQ(m.PairLength[BB], 3.5e-10);
    EXPECT_EQ(m.RepulsiveExponent[AB], 11.0);
    EXPECT_EQ(m.DensityExponent[BB], 7.0);
    EXPECT_EQ(m.AttractiveWeight[BB], 0.5);
    EXPECT_EQ(m.DensityStrength[AA], 39.432);  // Sutton-Chen c is a pure number
    EXPECT_EQ(m.Reserved[AB], 9.0);
    EXPECT_TRUE(m.NBodyActive);
    EXPECT_DOUBLE_EQ(m.SplineLowRadius, 1.4e-10);
    EXPECT_DOUBLE_EQ(m.SplineHighRadius, 2.1e-10);
    EXPECT_DOUBLE_EQ(m.SplineHighRadiusSq, 2.1e-10 * 2.1e-10);
    EXPECT_DOUBLE_EQ(m.CutoffRadius, 7.6e-10);
    EXPECT_TRUE(m.UseSwitching);
    EXPECT_DOUBLE_EQ(m.SwitchRadius, 7.3e-10);
    EXPECT_EQ(m.StaticLattice, 1);
    EXPECT_EQ(m.ModelMass, 63.546);
    EXPECT_EQ(m.TargetTemperature, 450.5);
    EXPECT_DOUBLE_EQ(m.SurfaceBarrier, 3.5 * 1.602192e-19);
    EXPECT_DOUBLE_EQ(m.SideBarrier, 0.25 * 1.602192e-19);
    EXPECT_DOUBLE_EQ(m.TerminationEnergy, 2.0 * 1.602192e-19);
    EXPECT_TRUE(m.ProjectileOnlyTest);
    EXPECT_EQ(m.MsdBulkA, 0.1);
    EXPECT_EQ(m.MsdSurfaceNormalA, 0.2);
    EXPECT_EQ(m.MsdSurfaceInPlaneA, 0.3);
    EXPECT_EQ(m.MsdBulkB, 0.4);
    EXPECT_EQ(m.MsdSurfaceNormalB, 0.5);
    EXPECT_EQ(m.MsdSurfaceInPlaneB, 0.6);
    EXPECT_EQ(m.SplineCoefficients[AA], CopperModel().Spline[0]);
    EXPECT_EQ(m.SplineCoefficients[BB], (SplineCoefficients{1e-16, -2e-6, 3e3, -4e12}));
    EXPECT_EQ(m.SplineCoefficients[AB], (SplineCoefficients{5e-16, -6e-6, 7e3, -8e12}));
    EXPECT_TRUE(job.State.Tables.Allocated);
    EXPECT_EQ(job.State.Tables.PairForce[AA].size(), static_cast<std::size_t>(TableEntries + 1));
}

TEST(ModelFile, TightBindingStrengthIsTakenInEv) {
    for (int type : {1, 2}) {
        ModelJob job;
        ModelFileDescription d = testing::TightBindingCopperModel();
        d.PotentialType = type;
        ASSERT_TRUE(job.Read(ModelFileText(d))) << type;
        EXPECT_DOUBLE_EQ(job.State.Model.DensityStrength[AA], 1.224 * 1.602192e-19) << type;
        EXPECT_TRUE(job.Ui.HasLogLine("  Tight-Binding potential", ColourBlack));
    }
}

TEST(ModelFile, NoDensityStrengthMeansNoNBodyPart) {
    ModelJob job;
    ModelFileDescription d = CopperModel();
    d.DensityStrength = {0, 0, 0};
    ASSERT_TRUE(job.Read(ModelFileText(d)));
    EXPECT_FALSE(job.State.Model.NBodyActive);
    d.DensityStrength = {0, 0, 1e-3};
    ModelJob again;
    ASSERT_TRUE(again.Read(ModelFileText(d)));
    EXPECT_TRUE(again.State.Model.NBodyActive);
}

TEST(ModelFile, SwitchingRadiusMustLieBetweenSplineAndCutoff) {
    struct Case {
        bool Use;
        double Switch;
        bool Accepted;
    };
    const Case cases[] = {
        {true, 7.6, false},  // equal to the cut-off
        {true, 2.1, false},  // equal to r(hi spline)
        {true, 1.9, false},  // below r(hi spline)
        {true, 7.5, true},
        {false, 7.6, true},  // not tested without switching
        {false, 0.0, true},
    };
    for (const Case& c : cases) {
        ModelJob job;
        ModelFileDescription d = CopperModel();
        d.UseSwitching = c.Use;
        d.SwitchRadius = c.Switch;
        EXPECT_EQ(job.Read(ModelFileText(d)), c.Accepted) << c.Use << " " << c.Switch;
        if (!c.Accepted) {
            EXPECT_EQ(job.Errors(), std::vector<std::string>{
                                        "Switching func. radius must satisfy: r(cut-off) > rsw > r(hi spline)"});
            // The reader stops at once: nothing is logged and no table built.
            EXPECT_TRUE(job.Ui.LogTexts().empty());
            EXPECT_FALSE(job.State.Tables.Allocated);
        }
    }
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

TEST(ModelFile, LogLinesInOrder) {
    ModelJob job;
    job.Program.Options.HotTarget = true;
    job.Program.Options.Verbose = true;
    ASSERT_TRUE(job.Read(CopperText()));
    const std::vector<std::string> expected = {
        "  Hot target: T = 300.00 K",
        "  Sutton-Chen potential",
        "   - Potential cuts off at 7.600 A",
        "   - Using switching function for r > 7.300 A",
        "  Proj-Targ screening lengths (A): 0.11389, 0.11389",
        "  Targ-Targ screening lengths (A): 0.10798, 0.10798, 0.10798",
        "   - Testing all particles for termination energy",
    };
    EXPECT_EQ(job.Ui.LogTexts(), expected);
    for (const testing::UiEvent& e : job.Ui.LogEvents()) EXPECT_EQ(e.Colour, ColourBlack) << e.Text;
}

TEST(ModelFile, QuietOptionsLeaveOnlyTheFixedLines) {
    ModelJob job;
    job.Program.Options.HotTarget = false;
    job.Program.Options.Verbose = false;
    ModelFileDescription d = CopperModel();
    d.UseSwitching = false;
    d.ProjectileOnlyTest = true;
    ASSERT_TRUE(job.Read(ModelFileText(d)));
    const std::vector<std::string> expected = {
        "  Sutton-Chen potential",
        "   - Potential cuts off at 7.600 A",
        "   - Testing projectile only for term. energy",
    };
    EXPECT_EQ(job.Ui.LogTexts(), expected);
}

TEST(ModelFile, BinaryScreeningLengthsAreLogged) {
    // Ar on a target whose last atom is Ag; the Ar projectile is of type A.
    ModelJob job(18, 29, 47);
    ASSERT_TRUE(job.Read(CopperText()));
    EXPECT_TRUE(job.Ui.HasLogLine("  Proj-Targ screening lengths (A): 0.11389, 0.10725"));
}

TEST(ModelFile, UnreadableValueIsAFormatErrorAfterTheLogLines) {
    const std::string text = CopperText();
    for (int line : {1, 6, 15, 19, 20, 26, 28, 32}) {
        ModelJob job;
        EXPECT_FALSE(job.Read(ReplaceLine(text, line, "10.0keV"))) << line;
        EXPECT_EQ(job.Errors(), std::vector<std::string>{"Format error in " + job.Path + "."})
            << line;
        EXPECT_TRUE(job.Questions().empty()) << line;
        EXPECT_TRUE(job.Ui.HasLogLine("  Sutton-Chen potential")) << line;
        EXPECT_FALSE(job.Ui.HasLogLine("   - Testing all particles for termination energy")) << line;
        EXPECT_FALSE(job.State.Tables.Allocated) << line;
    }
}

TEST(ModelFile, ShortFileReadsZerosWithoutFormatError) {
    // Values missing at the end read as 0: the limits then judge them.
    ModelJob job;
    const std::string text = CopperText();
    const std::size_t line29 = text.find("0.007 0.014 0.0105", text.find("0.007 0.014 0.0105") + 1);
    ASSERT_NE(line29, std::string::npos);
    EXPECT_TRUE(job.Read(text.substr(0, line29)));
    EXPECT_EQ(job.State.Model.MsdBulkB, 0.0);
    EXPECT_EQ(job.State.Model.SplineCoefficients[AB], (SplineCoefficients{0, 0, 0, 0}));
    EXPECT_EQ(job.State.Model.MsdBulkA, 0.007);
}

// The three screening-length formulas, for Ar on Cu and Cu on Cu.
TEST(ModelFile, ScreeningLengthsFollowTheThreeFormulas) {
    const double zAr = 18, zCu = 29;
    const double universal = 4.685e-11 / (std::pow(zAr, 0.23) + std::pow(zCu, 0.23));
    const double lindhard = 4.685e-11 / std::sqrt(std::pow(zAr, 2.0 / 3) + std::pow(zCu, 2.0 / 3));
    const double firsov = 4.685e-11 / std::pow(std::sqrt(zAr) + std::sqrt(zCu), 2.0 / 3);
    const double universalCu = 4.685e-11 / (2 * std::pow(zCu, 0.23));
    const double lindhardCu = 4.685e-11 / std::sqrt(2 * std::pow(zCu, 2.0 / 3));
    const double firsovCu = 4.685e-11 / std::pow(2 * std::sqrt(zCu), 2.0 / 3);
    struct Case {
        int Code;
        double Projectile, Target;
    };
    const Case cases[] = {{0, universal, universalCu},
                          {1, lindhard, lindhardCu},
                          {2, firsov, firsovCu}};
    for (const Case& c : cases) {
        for (double factor : {1.0, 0.8}) {
            ModelJob job;
            ModelFileDescription d = CopperModel();
            d.ProjectileScreeningCode = c.Code;
            d.TargetScreeningCode = c.Code;
            d.ProjectileScreeningFactor = factor;
            d.TargetScreeningFactor = factor;
            ASSERT_TRUE(job.Read(ModelFileText(d))) << c.Code;
            const ModelParameters& m = job.State.Model;
            for (int t = AA; t <= AB; ++t) {
                EXPECT_NEAR(m.ProjectileScreeningLength[t], factor * c.Projectile, 1e-24) << c.Code;
                EXPECT_NEAR(m.TargetScreeningLength[t], factor * c.Target, 1e-24) << c.Code;
            }
            // Record exponents are C_k / a.
            const double constants[7] = {0.2016, 0.4029, 0.9423, 3.2, 0.3, 1.2, 6.0};
            for (int k = 0; k < 7; ++k) {
                EXPECT_NEAR(m.ProjectileScreening[AA].Exponent[k] * factor * c.Projectile,
                            constants[k], 1e-12);
                EXPECT_NEAR(m.TargetScreening[AB].Exponent[k] * factor * c.Target, constants[k],
                            1e-12);
            }
        }
    }
}

TEST(ModelFile, ScreeningLengthsOfABinaryTarget) {
    // Z1 = 29 (Cu, species A), Zn = 47 (Ag, species B), universal formula.
    const auto length = [](double a, double b) {
        return 4.685e-11 / (std::pow(a, 0.23) + std::pow(b, 0.23));
    };
    for (bool projectileIsB : {false, true}) {
        ModelJob job(18, 29, 47);
        if (projectileIsB) job.State.Particles.Flags[0] = TypeB;
        ASSERT_TRUE(job.Read(CopperText()));
        const ModelParameters& m = job.State.Model;
        EXPECT_DOUBLE_EQ(m.ProjectileScreeningLength[AA], length(18, 29));
        EXPECT_DOUBLE_EQ(m.ProjectileScreeningLength[BB], length(18, 47));
        EXPECT_DOUBLE_EQ(m.ProjectileScreeningLength[AB],
                         projectileIsB ? length(18, 29) : length(18, 47));
        EXPECT_DOUBLE_EQ(m.TargetScreeningLength[AA], length(29, 29));
        EXPECT_DOUBLE_EQ(m.TargetScreeningLength[BB], length(47, 47));
        EXPECT_DOUBLE_EQ(m.TargetScreeningLength[AB], length(29, 47));
    }
}

TEST(ModelFile, UnknownScreeningCodesAreLoggedAndFail) {
    struct Case {
        int Projectile, Target;
        std::vector<std::string> Lines;
    };
    const Case cases[] = {
        {3, 0, {"  Error in heteronuclear screening length."}},
        {0, -1, {"  Error in homonuclear screening length."}},
        {7, 9, {"  Error in heteronuclear screening length.", "  Error in homonuclear screening length."}},
    };
    for (const Case& c : cases) {
        ModelJob job;
        ModelFileDescription d = CopperModel();
        d.ProjectileScreeningCode = c.Projectile;
        d.TargetScreeningCode = c.Target;
        EXPECT_FALSE(job.Read(ModelFileText(d)));
        std::vector<std::string> red;
        for (const testing::UiEvent& e : job.Ui.LogEvents())
            if (e.Colour == ColourRed) red.push_back(e.Text);
        EXPECT_EQ(red, c.Lines);
        // Stopped at once: no tables built on unknown lengths, no question.
        EXPECT_FALSE(job.State.Tables.Allocated);
        EXPECT_TRUE(job.Questions().empty());
    }
}

TEST(ModelFile, ScreeningFactorMustBePositive) {
    for (double factor : {0.0, -1.0}) {
        ModelJob job;
        ModelFileDescription d = CopperModel();
        d.ProjectileScreeningFactor = factor;
        EXPECT_FALSE(job.Read(ModelFileText(d)));
        EXPECT_TRUE(job.Ui.HasLogLine(
            "  Error in heteronuclear screening length: factor must be positive.", ColourRed));
        ModelJob target;
        d = CopperModel();
        d.TargetScreeningFactor = factor;
        EXPECT_FALSE(target.Read(ModelFileText(d)));
        EXPECT_TRUE(target.Ui.HasLogLine(
            "  Error in homonuclear screening length: factor must be positive.", ColourRed));
    }
}

const char* const LimitsMessage =
    "Allowed N-body potential limits are: \r1 A < R < 20 A.\rHint: change potential cut-off limit in .RUN file.";
const char* const RadiiMessage =
    "Spline radii must satisfy: 1 A <= r(lo spline) <= r(hi spline) < r(cut-off)";

TEST(ModelFile, RadiiOutsideTheTablesAreRejected) {
    struct Case {
        int Type;
        double Low, High, Cutoff;
        const char* Message;  // nullptr: accepted
    };
    const Case cases[] = {
        {0, 1.4, 2.1, 21.0, LimitsMessage},
        {0, 1.4, 2.1, 20.0, nullptr},  // exactly 20 A passes
        {0, 1.4, 0.9, 7.6, LimitsMessage},
        {0, 0.9, 2.1, 7.6, RadiiMessage},
        {0, 2.2, 2.1, 7.6, RadiiMessage},
        {0, 1.4, 7.6, 7.6, RadiiMessage},
        {1, 1.4, 2.1, 21.0, LimitsMessage},
        {1, 1.4, 2.1, 20.0, nullptr},
        {1, 1.4, 0.99, 6.2, LimitsMessage},
        {1, 0.5, 2.1, 6.2, RadiiMessage},
    };
    for (const Case& c : cases) {
        ModelJob job;
        ModelFileDescription d = c.Type == 0 ? CopperModel() : testing::TightBindingCopperModel();
        d.UseSwitching = false;
        d.SplineLowRadius = c.Low;
        d.SplineHighRadius = c.High;
        d.CutoffRadius = c.Cutoff;
        const bool ok = job.Read(ModelFileText(d));
        if (c.Message) {
            EXPECT_FALSE(ok) << c.Type << " " << c.Low << " " << c.High << " " << c.Cutoff;
            EXPECT_EQ(job.Errors(), std::vector<std::string>{c.Message});
        } else {
            // The fitted splines still match at the old radii only, so the
            // spline part may fail; the limits must not.
            for (const std::string& e : job.Errors()) EXPECT_NE(e, LimitsMessage);
        }
    }
}

TEST(ModelFile, PrecisionCheckCatchesBrokenTables) {
    const std::string nbody =
        "N-body potential precision error found in look-up tables (fatal).\r"
        "Check your parameters, or report error to the author.";
    const std::string spline =
        "Spline potential precision error found in look-up tables (fatal).\r"
        "Check your parameters, or report error to the author.";
    // A density so strong that single precision cannot hold its slope to
    // 0.001 eV/A, and a spline so steep that it cannot either.
    ModelFileDescription dense = CopperModel();
    dense.DensityStrength = {1e14, 1e14, 1e14};
    ModelFileDescription steep = CopperModel();
    steep.Spline[0] = {0.0, 0.0, 0.0, -1e30};
    ModelFileDescription both = dense;
    both.Spline[0] = steep.Spline[0];
    struct Case {
        ModelFileDescription Model;
        std::vector<std::string> Errors;
    };
    const Case cases[] = {{dense, {nbody}}, {steep, {spline}}, {both, {nbody, spline}}};
    for (const Case& c : cases) {
        ModelJob job;
        EXPECT_FALSE(job.Read(ModelFileText(c.Model)));
        EXPECT_EQ(job.Errors(), c.Errors);
    }
    // Tight-Binding tables are not compared.
    ModelJob tb;
    ModelFileDescription steepTb = testing::TightBindingCopperModel();
    steepTb.Spline[0] = steep.Spline[0];
    EXPECT_TRUE(tb.Read(ModelFileText(steepTb)));
}

TEST(ModelFile, NonFiniteTablesAreRejected) {
    // r0 = 0 with p = 0 makes 0 * infinity in the exponent: not a number.
    ModelJob job;
    ModelFileDescription d = testing::TightBindingCopperModel();
    d.PairLength = {0.0, 0.0, 0.0};
    d.RepulsiveExponent = {0.0, 0.0, 0.0};
    EXPECT_FALSE(job.Read(ModelFileText(d)));
    EXPECT_EQ(job.Errors(), std::vector<std::string>{
                                "Potential look-up tables hold values that are not finite numbers.\r"
                                "Check your parameters."});
    // A pair energy beyond single precision overflows the pair-force table
    // (no density, so the precision check has nothing to object to).
    ModelJob huge;
    d = CopperModel();
    d.PairEnergy = {1e45, 1e45, 1e45};
    d.DensityStrength = {0, 0, 0};
    EXPECT_FALSE(huge.Read(ModelFileText(d)));
    EXPECT_EQ(huge.Errors(), job.Errors());
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
