#include "io/inelastic_file.h"

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/reader_texts.h"
#include "tests/support/temp_dir.h"

namespace vantrel {
namespace {

using testing::InlText;
using testing::TempDir;

InelasticFileRead Parse(const TempDir& dir, const InlText& text, const SimulationOptions& o = {}) {
    return ParseInelasticFile(dir.Write("cu.inl", text.Text()), o);
}

std::vector<std::string> Texts(const ReaderMessages& messages) {
    std::vector<std::string> texts;
    for (const ReaderMessage& m : messages) texts.push_back(m.Text);
    return texts;
}

TEST(InelasticFile, TablesAreStoredWithTheirConversions) {
    TempDir dir;
    SimulationOptions o;
    o.UseLSS = o.UseOR = o.UseST = true;
    const InelasticFileRead read = Parse(dir, InlText{}, o);
    ASSERT_TRUE(read.Ok);
    EXPECT_TRUE(read.Messages.empty());
    const InelasticParameters& v = read.Values;
    ASSERT_EQ(v.LssCount, 1);
    EXPECT_EQ(v.LssTable[0].AtomicNumber, 29);
    EXPECT_DOUBLE_EQ(v.LssTable[0].LssCoefficient, 1.5 * 2.0 * 1.602192e-14);
    EXPECT_EQ(v.LssSpeedThreshold, 1.0e4);
    ASSERT_EQ(v.OrCount, 1);
    EXPECT_EQ(v.OrTable[0].AtomicNumber, 841);  // copper pairs: 29 x 29
    EXPECT_DOUBLE_EQ(v.OrTable[0].OrCoefficient, 2.0 * 3.0 * 1.602192e-39 / (2 * std::numbers::pi));
    EXPECT_EQ(v.OrScreeningCoefficient, 0.3);
    EXPECT_DOUBLE_EQ(read.OrRadius, 1.5e-10);
    ASSERT_EQ(v.StCount, 1);
    EXPECT_EQ(v.StTable[0].AtomicNumber, 841);
    EXPECT_DOUBLE_EQ(v.StTable[0].StRadius, 1.2e-10);
    EXPECT_DOUBLE_EQ(v.StTable[0].StEnergy, 10.0 * 1.602192e-19);
    EXPECT_EQ(v.StTable[0].StOrder, 3);
    EXPECT_EQ(v.StTable[0].StValue, 0.5);
    EXPECT_DOUBLE_EQ(read.LargestStRadius, 1.2e-10);
}

TEST(InelasticFile, LinesWithNullValuesAreNotKeptAndKeptOnesKeepFileOrder) {
    struct Case {
        std::vector<std::string> Lss, St;
        std::vector<int> LssKeys, StKeys;
    };
    const Case cases[] = {
        {{"29 1.5 2.0", "47 1.0 0.0", "79 0.5 4.0"}, {}, {29, 79}, {}},
        {{"29 1.0 1.0", "29 2.0 2.0"}, {}, {29, 29}, {}},  // duplicates kept; the first is found
        {{"29 0.0 2.0", "0 1.0 1.0", "-3 1.0 1.0"}, {}, {}, {}},
        // An ST line needs every value above 0.
        {{}, {"0 1.2 10.0 3 0.5", "841 0.0 10.0 3 0.5", "841 1.2 -1.0 3 0.5",
              "841 1.2 10.0 0 0.5", "841 1.2 10.0 3 0.0", "1 0.1 0.1 1 1.0"},
         {}, {1}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        InlText text;
        text.Lss = c.Lss;
        text.St = c.St;
        const InelasticFileRead read = Parse(dir, text);
        ASSERT_TRUE(read.Ok) << text.Text();
        std::vector<int> lss, st;
        for (int i = 0; i < read.Values.LssCount; ++i) lss.push_back(read.Values.LssTable[i].AtomicNumber);
        for (int i = 0; i < read.Values.StCount; ++i) st.push_back(read.Values.StTable[i].AtomicNumber);
        EXPECT_EQ(lss, c.LssKeys) << text.Text();
        EXPECT_EQ(st, c.StKeys) << text.Text();
    }
}

TEST(InelasticFile, EmptyTableOfAModelInUseIsWarnedAbout) {
    InlText text;
    text.Lss = {"29 0.0 2.0"};
    text.Or = {"841 2.0 0.0"};
    text.St = {"841 0.0 10.0 3 0.5"};
    TempDir dir;
    SimulationOptions on;
    on.UseLSS = on.UseOR = on.UseST = true;
    const InelasticFileRead read = Parse(dir, text, on);
    ASSERT_TRUE(read.Ok);
    EXPECT_EQ(Texts(read.Messages),
              (std::vector<std::string>{
                  "  Warning: LSS option disabled (null parameters in INL file)",
                  "  Warning: Oen-Rob. option disabled (null parameters in INL file)",
                  "  Warning: ST inelastic option disabled (null parameters in INL file)"}));
    for (const ReaderMessage& m : read.Messages) EXPECT_EQ(m, ErrorLine(m.Text));
    EXPECT_EQ(read.CoolingReportAt, 3u);
    // The same file with the models off warns about nothing.
    EXPECT_TRUE(Parse(dir, text).Messages.empty());
}

TEST(InelasticFile, CoolingAndImageBlocksFollowTheOptions) {
    TempDir dir;
    InlText text;
    text.Cooling = true;
    text.Image = true;
    SimulationOptions both;
    both.UseCooling = both.UseImagePotential = true;
    InelasticFileRead read = Parse(dir, text, both);
    ASSERT_TRUE(read.Ok);
    EXPECT_TRUE(read.Messages.empty());
    const InelasticParameters& v = read.Values;
    EXPECT_EQ(v.CoolingGoal, 300.0);
    EXPECT_DOUBLE_EQ(v.CoolingPeriod, 100.0e-15);
    EXPECT_DOUBLE_EQ(v.CoolingStart, 12.5e-15);
    EXPECT_DOUBLE_EQ(v.CoolingEnd, 200.0e-15);
    EXPECT_EQ(read.CoolingPeriodFs, 100.0);  // as written, for the report
    EXPECT_EQ(read.CoolingStartFs, 12.5);
    EXPECT_EQ(read.CoolingEndFs, 200.0);
    const double energy = 5.0 * 1.602192e-19;
    EXPECT_DOUBLE_EQ(v.ImageEnergy, energy);
    EXPECT_DOUBLE_EQ(v.ImageDistance, 1.0e-10);
    EXPECT_DOUBLE_EQ(v.ImageLengthSquare,
                     (2.30712175676602e-28 / energy) * (2.30712175676602e-28 / energy));

    // Without the cooling option its block is read as the image block.
    SimulationOptions imageOnly;
    imageOnly.UseImagePotential = true;
    read = Parse(dir, text, imageOnly);
    ASSERT_TRUE(read.Ok);
    EXPECT_DOUBLE_EQ(read.Values.ImageEnergy, 100.0 * 1.602192e-19);  // the cooling period
    EXPECT_DOUBLE_EQ(read.Values.ImageDistance, 300.0e-10);           // the cooling goal
    EXPECT_EQ(read.Values.CoolingGoal, 0.0);
    EXPECT_TRUE(read.Messages.empty());
}

TEST(InelasticFile, ImageParametersNotAboveZeroAreReportedAfterTheCoolingReport) {
    const std::pair<const char*, const char*> cases[] = {
        {"0.0", "1.0"}, {"5.0", "-1.0"}, {"-2.0", "0.0"}};
    TempDir dir;
    SimulationOptions o;
    o.UseImagePotential = o.UseLSS = true;
    for (const auto& [energy, distance] : cases) {
        InlText text;
        text.Lss = {};
        text.Image = true;
        text.ImageEnergy = energy;
        text.ImageDistance = distance;
        const InelasticFileRead read = Parse(dir, text, o);
        EXPECT_TRUE(read.Ok) << energy << " " << distance;
        EXPECT_EQ(Texts(read.Messages),
                  (std::vector<std::string>{
                      "  Warning: LSS option disabled (null parameters in INL file)",
                      "   Error in image potential parameters in INL file."}));
        EXPECT_EQ(read.CoolingReportAt, 1u);
        EXPECT_DOUBLE_EQ(read.Values.ImageEnergy, std::stod(energy) * 1.602192e-19);
        EXPECT_DOUBLE_EQ(read.Values.ImageDistance, std::stod(distance) * 1e-10);
    }
    // A null energy means no image force: an infinite softening length, no NaN.
    InlText text;
    text.Image = true;
    text.ImageEnergy = "0";
    EXPECT_TRUE(std::isinf(Parse(dir, text, o).Values.ImageLengthSquare));
}

TEST(InelasticFile, RejectedFiles) {
    TempDir dir;
    // Missing, empty or not a file: the one box.
    for (const std::string& name : {dir.File("missing.inl"), dir.Write("empty.inl", ""),
                                    dir.Write("ctrlz.inl", "\x1a"), dir.Path().string()}) {
        const InelasticFileRead read = ParseInelasticFile(name, {});
        EXPECT_FALSE(read.Ok) << name;
        EXPECT_EQ(read.Messages, ReaderMessages{ErrorBoxMessage("Inelastic file not found: " + name)});
    }
    const auto lines = [](int n, const char* tail) {
        std::vector<std::string> v;
        for (int i = 1; i <= n; ++i) v.push_back(std::to_string(i) + tail);
        return v;
    };
    struct Case {
        const char* Label;
        InlText Text;
        std::vector<std::string> Messages;
    };
    InlText format;
    format.Lss = {"29 1.0 2.0x"};  // every later value reads as 0
    InlText lss, orTable, st;
    lss.Lss = lines(11, " 1.0 1.0");
    orTable.Or = lines(11, " 1.0 1.0");
    st.St = lines(12, " 1.0 1.0 1 0.5");
    InlText product;
    product.Lss = {"29 1e300 1e300"};
    InlText radius;
    radius.OrRadius = "1e300";
    std::string garbage;
    for (int i = 0; i < 3000; ++i)
        garbage.push_back(i % 40 == 39 ? '\n' : static_cast<char>(33 + (i * 37) % 90));
    const Case cases[] = {
        {"format", format, {}},
        {"11 LSS", lss, {"  Error: more than 10 LSS entries in INL file"}},
        {"11 OR", orTable, {"  Error: more than 10 OR entries in INL file"}},
        {"12 ST", st, {"  Error: more than 10 ST entries in INL file"}},
        {"overflowing product", product, {}},
        {"overflowing radius", radius, {}},
    };
    for (const Case& c : cases) {
        const InelasticFileRead read = Parse(dir, c.Text);
        EXPECT_FALSE(read.Ok) << c.Label;
        EXPECT_EQ(Texts(read.Messages), c.Messages) << c.Label;
    }
    SimulationOptions cooling;
    cooling.UseCooling = true;
    EXPECT_FALSE(ParseInelasticFile(dir.Write("g.inl", garbage), cooling).Ok);
}

TEST(InelasticFile, ShortFilesReadZerosPastTheirEnd) {
    TempDir dir;
    // Exactly ten kept, with null lines beside them, is fine.
    InlText ten;
    ten.Lss.clear();
    for (int i = 1; i <= 10; ++i) ten.Lss.push_back(std::to_string(i) + " 1.0 1.0");
    ten.Lss.push_back("30 0.0 1.0");
    ten.Lss.push_back("31 1.0 0.0");
    InelasticFileRead read = Parse(dir, ten);
    ASSERT_TRUE(read.Ok);
    EXPECT_EQ(read.Values.LssCount, 10);
    EXPECT_EQ(read.Values.LssTable[9].AtomicNumber, 10);
    EXPECT_EQ(read.Values.LssSpeedThreshold, 1.0e4);

    // A huge count in a short file stops at its end; the one line is kept.
    read = ParseInelasticFile(dir.Write("a.inl", "heading\n2000000000 LSS lines\n29 1.0 1.0\n"), {});
    ASSERT_TRUE(read.Ok);
    EXPECT_EQ(read.Values.LssCount, 1);
    EXPECT_EQ(read.Values.LssSpeedThreshold, 0.0);

    read = ParseInelasticFile(dir.Write("h.inl", "just a heading, no line end"), {});
    ASSERT_TRUE(read.Ok);
    EXPECT_EQ(read.Values.OrCount, 0);
    EXPECT_EQ(read.OrRadius, 0.0);
}

}  // namespace
}  // namespace vantrel
