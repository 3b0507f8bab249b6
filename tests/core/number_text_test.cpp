#include "core/number_text.h"

#include <cmath>
#include <fstream>
#include <numbers>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"
#include "io/file_names.h"
#include "core/geometry.h"

namespace vantrel {
namespace {

struct TextCase {
    double Value;
    const char* Expected;
};

TEST(NumberText, FormatReal8CutsToEightCharacters) {
    const TextCase cases[] = {
        {0.5, "0.500000"},        {12.3456, "12.34560"}, {-3.25, "-3.25000"},
        {123456789.0, "12345678"}, {39.948, "39.94800"}, {0.0, "0.000000"},
        {-0.001, "-0.00100"},     {1e-9, "0.000000"},
    };
    for (const TextCase& c : cases) EXPECT_EQ(FormatReal8(c.Value), c.Expected) << c.Value;
}

TEST(NumberText, FormatRealDecimalsHasNoLeadingBlanksAndTenCharacters) {
    EXPECT_EQ(FormatRealDecimals(2, 1234.5), "1234.50");
    EXPECT_EQ(FormatRealDecimals(4, 0.1), "0.1000");
    EXPECT_EQ(FormatRealDecimals(2, 90.0), "90.00");
    EXPECT_EQ(FormatRealDecimals(3, 3.0), "3.000");
    EXPECT_EQ(FormatRealDecimals(4, -1.23456), "-1.2346");
    EXPECT_EQ(FormatRealDecimals(2, 123456789.123), "123456789.");
}

TEST(NumberText, FormatRealFlexibleFixedBelowTenScientificFromTen) {
    EXPECT_EQ(FormatRealFlexible(3, 300.0), "300.000");
    EXPECT_EQ(FormatRealFlexible(3, -2.5), "-2.500");
    EXPECT_EQ(FormatRealFlexible(18, 150.0), "1.500000000E+2");
    EXPECT_EQ(FormatRealFlexible(18, -2.5e-10), "-2.500000000E-10");
    EXPECT_EQ(FormatRealFlexible(12, 0.0), "0.000E+0");
}

TEST(NumberText, CompactExponentExamples) {
    EXPECT_EQ(CompactExponent("1.500000000E+0002"), "1.500000000E+2");
    EXPECT_EQ(CompactExponent("2.5E-0010"), "2.5E-10");
    EXPECT_EQ(CompactExponent("1.0E+0000"), "1.0E+0");
    EXPECT_EQ(CompactExponent(" 1.0e- 0003 "), "1.0e-3");
    EXPECT_EQ(CompactExponent("  12.75  "), "12.75");  // no E: trimmed only
    EXPECT_EQ(CompactExponent("3.0E"), "3.0E0");
}

TEST(NumberText, IsExistingPlainFileRejectsWildcardsDirectoriesAndMissingFiles) {
    testing::TempDir dir;
    const std::string file = dir.Write("a.prj", "1");
    EXPECT_TRUE(IsExistingPlainFile(file));
    EXPECT_FALSE(IsExistingPlainFile(dir.File("*.prj")));
    EXPECT_FALSE(IsExistingPlainFile(dir.File("a?prj")));
    EXPECT_FALSE(IsExistingPlainFile(dir.File("missing.prj")));
    EXPECT_FALSE(IsExistingPlainFile(dir.Path().string()));
    EXPECT_FALSE(IsExistingPlainFile(""));
}

TEST(NumberText, FullCircleAngleCoversAllQuadrantsAndAxes) {
    constexpr double pi = std::numbers::pi;
    EXPECT_DOUBLE_EQ(FullCircleAngle(1, 0), 0.0);
    EXPECT_DOUBLE_EQ(FullCircleAngle(1, 1), pi / 4);
    EXPECT_DOUBLE_EQ(FullCircleAngle(-1, 1), 3 * pi / 4);
    EXPECT_DOUBLE_EQ(FullCircleAngle(-1, -1), 5 * pi / 4);
    EXPECT_DOUBLE_EQ(FullCircleAngle(1, -1), 7 * pi / 4);
    EXPECT_DOUBLE_EQ(FullCircleAngle(-1, 0), pi);
    EXPECT_DOUBLE_EQ(FullCircleAngle(0, 2), pi / 2);
    EXPECT_DOUBLE_EQ(FullCircleAngle(0, -2), 3 * pi / 2);
    EXPECT_DOUBLE_EQ(FullCircleAngle(0, 0), 0.0);
}

}  // namespace
}  // namespace vantrel
