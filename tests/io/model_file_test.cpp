#include "io/model_file.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "io/model_file_writer.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_job.h"

namespace vantrel {
namespace {

using testing::CopperModel;
using testing::ReplaceLine;
using testing::TempDir;

ModelFileRead Parse(const TempDir& dir, const std::string& text) {
    return ParseModelFile(dir.Write("model.mdl", text));
}

TEST(ModelFile, EveryLineIsReadAndConverted) {
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
    TempDir dir;
    const ModelFileRead read = Parse(dir, ModelFileText(d));
    ASSERT_EQ(read.Status, ModelFileStatus::Read);
    EXPECT_TRUE(read.Messages.empty());
    EXPECT_TRUE(read.MassReadable);
    EXPECT_FALSE(read.Failure.Failed);

    const ModelParameters& m = read.Model;
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
}

// Types 10 and 11 (written for SmoothDensityJoin) are 0 and 1 with the join.
TEST(ModelFile, DensityStrengthIsTakenInEvForTightBindingAndSetsTheNBodyPart) {
    struct Case {
        int Type;
        bool Smooth;
        PairTriple Strength;
        double StoredAA;
        bool NBody;
    };
    const Case cases[] = {
        {0, false, {0, 0, 0}, 0.0, false},
        {0, false, {0, 0, 1e-3}, 0.0, true},
        {1, false, {1.224, 1.224, 1.224}, 1.224 * 1.602192e-19, true},
        {0, true, {39.432, 39.432, 39.432}, 39.432, true},
        {1, true, {1.224, 1.224, 1.224}, 1.224 * 1.602192e-19, true},
    };
    TempDir dir;
    for (const Case& c : cases) {
        ModelFileDescription d = c.Type == 0 ? CopperModel() : testing::TightBindingCopperModel();
        d.PotentialType = c.Type;
        d.SmoothDensityJoin = c.Smooth;
        d.DensityStrength = c.Strength;
        const std::string text = ModelFileText(d);
        std::string line5 = text;
        for (int k = 0; k < 4; ++k) line5 = line5.substr(line5.find("\r\n") + 2);
        EXPECT_EQ(line5.substr(0, line5.find(' ')), std::to_string(c.Type + (c.Smooth ? 10 : 0)));
        const ModelFileRead read = Parse(dir, text);
        ASSERT_EQ(read.Status, ModelFileStatus::Read) << c.Type;
        EXPECT_EQ(read.Model.PotentialType, c.Type);
        EXPECT_EQ(read.Model.SmoothDensityJoin, c.Smooth) << c.Type;
        EXPECT_DOUBLE_EQ(read.Model.DensityStrength[AA], c.StoredAA) << c.Type;
        EXPECT_EQ(read.Model.NBodyActive, c.NBody) << c.Type;
    }
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
    TempDir dir;
    for (const Case& c : cases) {
        ModelFileDescription d = CopperModel();
        d.UseSwitching = c.Use;
        d.SwitchRadius = c.Switch;
        const ModelFileRead read = Parse(dir, ModelFileText(d));
        EXPECT_EQ(read.Status,
                  c.Accepted ? ModelFileStatus::Read : ModelFileStatus::SwitchingRadiusBad)
            << c.Use << " " << c.Switch;
        if (!c.Accepted) {
            EXPECT_EQ(read.Messages, ReaderMessages{ErrorBoxMessage(
                                         "Switching func. radius must satisfy: r(cut-off) > rsw > r(hi spline)")});
        }
    }
}

TEST(ModelFile, UnreadableValueIsAFormatErrorNamingItsLineAndField) {
    struct Case {
        int Line;
        const char* Field;
    };
    const Case cases[] = {{1, "ProjectileScreeningCode"}, {6, "PairEnergy"}, {15, "CutoffRadius"},
                          {19, "mass"}, {20, "TargetTemperature"}, {26, "TerminationEnergy"},
                          {28, "MsdBulkA"}, {32, "SplineCoefficients"}};
    const std::string text = ModelFileText(CopperModel());
    TempDir dir;
    for (const Case& c : cases) {
        const std::string name = dir.Write("model.mdl", ReplaceLine(text, c.Line, "10.0keV"));
        const ModelFileRead read = ParseModelFile(name);
        EXPECT_EQ(read.Status, ModelFileStatus::FormatError) << c.Line;
        EXPECT_EQ(read.Messages, ReaderMessages{ErrorBoxMessage("Format error in " + name + ".")});
        // The mass is compared only when every line up to it was read.
        EXPECT_EQ(read.MassReadable, c.Line > 19) << c.Line;
        EXPECT_EQ(read.Failure.Line, c.Line);
        EXPECT_STREQ(read.Failure.Field, c.Field);
        EXPECT_EQ(read.Failure.Found, "10.0keV");
    }
}

// Values missing at the end would read as zeros and make a job that runs
// and means nothing: the file is refused, naming the first line it lacks.
TEST(ModelFile, FileThatEndsEarlyIsRefusedNamingTheFirstMissingLine) {
    struct Case {
        int Lines;  // lines kept
        int Missing;
        const char* Field;
    };
    const Case cases[] = {{0, 1, "ProjectileScreeningCode"}, {12, 13, "SplineLowRadius"},
                          {16, 17, "SwitchRadius"},  // switching on: missing, not a switching error
                          {28, 29, "MsdBulkB"}, {31, 32, "SplineCoefficients"}};
    const std::string text = ModelFileText(CopperModel());
    TempDir dir;
    for (const Case& c : cases) {
        std::size_t end = 0;
        for (int k = 0; k < c.Lines; ++k) end = text.find('\n', end) + 1;
        const std::string name = dir.Write("cut.mdl", text.substr(0, end));
        const ModelFileRead read = ParseModelFile(name);
        EXPECT_EQ(read.Status, ModelFileStatus::EndsEarly) << c.Lines;
        EXPECT_EQ(read.MissingLine, c.Missing) << c.Lines;
        EXPECT_STREQ(read.Failure.Field, c.Field);
        EXPECT_EQ(read.Messages, ReaderMessages{ErrorBoxMessage("Model file ends early: " + name + ".")});
    }
    // The last line without its line end is whole.
    EXPECT_EQ(Parse(dir, text.substr(0, text.size() - 1)).Status, ModelFileStatus::Read);
}

TEST(ModelFile, PotentialTypeOtherThanZeroOrOneIsRefused) {
    TempDir dir;
    for (int type : {2, 7, -1, 12}) {
        ModelFileDescription d = CopperModel();
        d.PotentialType = type;
        const std::string name = dir.Write("model.mdl", ModelFileText(d));
        const ModelFileRead read = ParseModelFile(name);
        EXPECT_EQ(read.Status, ModelFileStatus::UnknownPotentialType) << type;
        EXPECT_EQ(read.Messages, ReaderMessages{ErrorBoxMessage("Unknown potential type in " + name + ": " +
                                                                std::to_string(type) +
                                                                " (0 Sutton-Chen, 1 Tight-Binding).")});
    }
}

// A missing file: ModelFile.MissingFileIsLoggedInRed (tests/job/model_file_test.cpp).

}  // namespace
}  // namespace vantrel
