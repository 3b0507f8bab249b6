#include "io/impact_file.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

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

// The points the runs of a job get, for a file and a RunOffset.
TEST(ImpactFile, PointsOfTheRunsAfterTheOffset) {
    struct Case {
        const char* Label;
        const char* Text;
        std::int32_t Offset;
        std::vector<Point> Points;
    };
    const char* five = "1 1 10  first\n2 2 20\n3 3 30\n4.5 -4 40  fourth\n5 5 50e0 fifth\n";
    const std::vector<Point> two{{1, 2, 3}, {4, 5, 6}};
    const std::vector<Point> twoAndZeros{{1, 2, 3}, {4, 5, 6}, {0, 0, 0}};
    const Case cases[] = {
        {"offset 3 of 5", five, 3, {{4.5, -4, 40}, {5, 5, 50}}},
        {"offset 0", five, 0, {{1, 1, 10}, {2, 2, 20}, {3, 3, 30}, {4.5, -4, 40}, {5, 5, 50}}},
        {"negative offset skips nothing", five, -2,
         {{1, 1, 10}, {2, 2, 20}, {3, 3, 30}, {4.5, -4, 40}, {5, 5, 50}}},
        // A final line end ends the file; a blank line after it is one more run.
        {"no final line end", "1 2 3\n4 5 6", 0, two},
        {"LF", "1 2 3\n4 5 6\n", 0, two},
        {"CR LF", "1 2 3\r\n4 5 6\r\n", 0, two},
        {"CR", "1 2 3\r4 5 6\r", 0, two},
        {"Ctrl-Z", "1 2 3\n4 5 6\n\x1a junk after Ctrl-Z\n", 0, two},
        {"blank line", "1 2 3\n4 5 6\n\n", 0, twoAndZeros},
        {"blanks", "1 2 3\n4 5 6\n   \n", 0, twoAndZeros},
        // Line 2's remaining numbers (4 5) are skipped with the rest of that line.
        {"two numbers", "1 2\n3 4 5\n6 7 8\n", 0, {{1, 2, 3}, {6, 7, 8}}},
        {"offset beyond the file", "1 2 3\n4 5 6\n", 3, {{0, 0, 0}}},
        // A huge offset stops at the end instead of counting to two billion.
        {"huge offset", "1 2 3\n4 5 6\n", 2147483647, {{0, 0, 0}}},
        {"empty file", "", 0, {{0, 0, 0}}},
    };
    TempDir dir;
    for (const Case& c : cases)
        EXPECT_EQ(Runs(dir.Write("a.imp", c.Text), c.Offset), c.Points) << c.Label;
}

TEST(ImpactFile, UnreadableLineFailsAndLeavesThePointAsItWas) {
    TempDir dir;
    bool failed = false;
    EXPECT_EQ(Runs(dir.Write("a.imp", "1 2 3\n4 5A 6\n7 8 9\n"), 0, &failed),
              (std::vector<Point>{{1, 2, 3}}));
    EXPECT_TRUE(failed);

    ImpactFile file;
    ASSERT_TRUE(file.Open(dir.Write("c.imp", "1 2 3\r\n4 5A 6\r\n")));
    ImpactPoint first;
    ASSERT_TRUE(file.ReadPoint(first));
    EXPECT_FALSE(file.ReadPoint(first));
    EXPECT_EQ(file.Failure().Line, 2);
    EXPECT_STREQ(file.Failure().Field, "DeltaY");
    file.Close();

    ASSERT_TRUE(file.Open(dir.Write("b.imp", "1e999 2 3\n")));
    ImpactPoint point{7, 8, 9};
    EXPECT_FALSE(file.ReadPoint(point));
    EXPECT_EQ(point.DeltaX, 7);
    EXPECT_EQ(point.DeltaY, 8);
    EXPECT_EQ(point.StartHeight, 9);
    // Once failed, every later read fails too.
    EXPECT_FALSE(file.ReadPoint(point));
}

TEST(ImpactFile, MissingFileOrDirectoryIsNotFound) {
    TempDir dir;
    for (const std::string& name : {dir.File("missing.imp"), dir.Path().string()}) {
        ImpactFile file;
        EXPECT_FALSE(file.Open(name));
        EXPECT_FALSE(file.IsOpen());
        EXPECT_EQ(file.Messages(), ReaderMessages{ErrorLine("  File not found: " + name)});
        ImpactPoint point;
        EXPECT_FALSE(file.ReadPoint(point));
        EXPECT_TRUE(file.AtEnd());
    }
    ImpactFile file;
    EXPECT_TRUE(file.Open(dir.Write("a.imp", "1 2 3\n")));
    EXPECT_TRUE(file.Messages().empty());
    file.Close();
    EXPECT_FALSE(file.IsOpen());
}

}  // namespace
}  // namespace vantrel
