#include "job/impact_file.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/coloured_log.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

namespace vantrel {
namespace {

using testing::TempDir;

struct Point {
    double X, Y, H;
    friend bool operator==(const Point&, const Point&) = default;
};

std::ostream& operator<<(std::ostream& out, const Point& p) {
    return out << "(" << p.X << ", " << p.Y << ", " << p.H << ")";
}

// The run driver's loop: skip the offset, then read one point per run until
// the file is at its end (a trajectory that always lets the job go on).
std::vector<Point> Runs(const std::string& path, std::int32_t offset, bool* failed = nullptr) {
    ImpactFile file;
    EXPECT_TRUE(file.Open(path));
    file.SkipLines(offset);
    std::vector<Point> points;
    if (failed) *failed = false;
    do {
        ImpactPoint p;
        if (!file.ReadPoint(p)) {
            if (failed) *failed = true;
            break;
        }
        points.push_back({p.DeltaX, p.DeltaY, p.StartHeight});
    } while (!file.AtEnd() && points.size() < 100000);
    file.Close();
    return points;
}

TEST(ImpactFile, RunOffsetSkipsThatManyLines) {
    TempDir dir;
    const std::string path = dir.Write(
        "five.imp", "1 1 10  first\n2 2 20\n3 3 30\n4.5 -4 40  fourth\n5 5 50e0 fifth\n");
    EXPECT_EQ(Runs(path, 3), (std::vector<Point>{{4.5, -4, 40}, {5, 5, 50}}));
    EXPECT_EQ(Runs(path, 0).size(), 5u);
    EXPECT_EQ(Runs(path, -2).size(), 5u);  // nothing skipped for 0 or less
}

TEST(ImpactFile, FinalLineEndEndsTheFileButABlankLineAfterItIsOneMoreRun) {
    TempDir dir;
    const std::vector<Point> two{{1, 2, 3}, {4, 5, 6}};
    EXPECT_EQ(Runs(dir.Write("a.imp", "1 2 3\n4 5 6"), 0), two);
    EXPECT_EQ(Runs(dir.Write("b.imp", "1 2 3\n4 5 6\n"), 0), two);
    EXPECT_EQ(Runs(dir.Write("c.imp", "1 2 3\r\n4 5 6\r\n"), 0), two);
    EXPECT_EQ(Runs(dir.Write("d.imp", "1 2 3\r4 5 6\r"), 0), two);
    EXPECT_EQ(Runs(dir.Write("e.imp", "1 2 3\n4 5 6\n\x1a junk after Ctrl-Z\n"), 0), two);
    EXPECT_EQ(Runs(dir.Write("f.imp", "1 2 3\n4 5 6\n\n"), 0),
              (std::vector<Point>{{1, 2, 3}, {4, 5, 6}, {0, 0, 0}}));
    EXPECT_EQ(Runs(dir.Write("g.imp", "1 2 3\n4 5 6\n   \n"), 0),
              (std::vector<Point>{{1, 2, 3}, {4, 5, 6}, {0, 0, 0}}));
}

TEST(ImpactFile, LineOfTwoNumbersTakesItsThirdFromTheNextLine) {
    TempDir dir;
    // Line 2's remaining numbers (4 5) are skipped with the rest of that line.
    EXPECT_EQ(Runs(dir.Write("a.imp", "1 2\n3 4 5\n6 7 8\n"), 0),
              (std::vector<Point>{{1, 2, 3}, {6, 7, 8}}));
}

TEST(ImpactFile, OffsetBeyondTheFileLeavesOneRunOfZeros) {
    TempDir dir;
    const std::string path = dir.Write("a.imp", "1 2 3\n4 5 6\n");
    EXPECT_EQ(Runs(path, 3), (std::vector<Point>{{0, 0, 0}}));
    // A huge offset stops at the end instead of counting to two billion.
    EXPECT_EQ(Runs(path, 2147483647), (std::vector<Point>{{0, 0, 0}}));
    EXPECT_EQ(Runs(dir.Write("empty.imp", ""), 0), (std::vector<Point>{{0, 0, 0}}));
}

TEST(ImpactFile, UnreadableLineFailsAndLeavesThePointAsItWas) {
    TempDir dir;
    bool failed = false;
    EXPECT_EQ(Runs(dir.Write("a.imp", "1 2 3\n4 5A 6\n7 8 9\n"), 0, &failed),
              (std::vector<Point>{{1, 2, 3}}));
    EXPECT_TRUE(failed);

    ImpactFile file;
    ASSERT_TRUE(file.Open(dir.Write("b.imp", "1e999 2 3\n")));
    ImpactPoint point{7, 8, 9};
    EXPECT_FALSE(file.ReadPoint(point));
    EXPECT_EQ(point.DeltaX, 7);
    EXPECT_EQ(point.DeltaY, 8);
    EXPECT_EQ(point.StartHeight, 9);
    // Once failed, every later read fails too.
    EXPECT_FALSE(file.ReadPoint(point));
}

TEST(ImpactFile, LinesAcrossBufferRefillsAreReadWhole) {
    TempDir dir;
    std::string text;
    const int lines = 9000;  // about 250 kB, several buffer fills
    for (int i = 1; i <= lines; ++i)
        text += std::to_string(i) + ".25 -" + std::to_string(i) + ".5 " + std::to_string(2 * i) +
                "   impact point number " + std::to_string(i) + "\r\n";
    const std::vector<Point> points = Runs(dir.Write("long.imp", text), 100);
    ASSERT_EQ(points.size(), static_cast<std::size_t>(lines - 100));
    for (std::size_t k = 0; k < points.size(); ++k) {
        const double i = static_cast<double>(k + 101);
        ASSERT_EQ(points[k], (Point{i + 0.25, -(i + 0.5), 2 * i})) << "line " << k + 101;
    }
}

TEST(ImpactFile, MissingFileOrDirectoryIsNotFoundAndLogged) {
    TempDir dir;
    for (const std::string& name : {dir.File("missing.imp"), dir.Path().string()}) {
        testing::RecordingUserInterface ui;
        ProgramContext program(ui);
        SimulationState state(program);
        ImpactFile file;
        EXPECT_FALSE(OpenImpactFile(state, file, name));
        EXPECT_FALSE(file.IsOpen());
        EXPECT_EQ(testing::ColouredLog(ui),
                  (std::vector<std::string>{"red|  File not found: " + name}));
        ImpactPoint point;
        EXPECT_FALSE(file.ReadPoint(point));
        EXPECT_TRUE(file.AtEnd());
    }
}

TEST(ImpactFile, OpeningAnExistingFileLogsNothing) {
    TempDir dir;
    testing::RecordingUserInterface ui;
    ProgramContext program(ui);
    SimulationState state(program);
    ImpactFile file;
    EXPECT_TRUE(OpenImpactFile(state, file, dir.Write("a.imp", "1 2 3\n")));
    EXPECT_TRUE(ui.Events.empty());
    file.Close();
    EXPECT_FALSE(file.IsOpen());
}

}  // namespace
}  // namespace vantrel
