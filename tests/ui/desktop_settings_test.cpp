// What the desktop program remembers, and where its windows first stand.
#include "ui/desktop_settings.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(DesktopSettings, RecentJobsAreTheLastEightWithTheLatestFirstAndNoProjectileTwice) {
    DesktopSettings settings;
    auto job = [](int k) {
        RecentJob j;
        j.Inputs.Projectile = "/jobs/" + std::to_string(k) + ".prj";
        j.Outputs.DynamicalVariables = "/out/" + std::to_string(k) + ".vsk";
        return j;
    };
    for (int k = 1; k <= 10; ++k) settings.RememberJob(job(k));
    settings.RememberJob(job(7));  // again: moves to the front
    std::vector<std::string> order;
    for (const RecentJob& j : settings.RecentJobs()) order.push_back(j.Inputs.Projectile);
    EXPECT_EQ(order, (std::vector<std::string>{"/jobs/7.prj", "/jobs/10.prj", "/jobs/9.prj", "/jobs/8.prj",
                                               "/jobs/6.prj", "/jobs/5.prj", "/jobs/4.prj", "/jobs/3.prj"}));
    EXPECT_EQ(settings.RecentJobs().front().Outputs.DynamicalVariables, "/out/7.vsk");
    settings.SetGeometry("Main", QByteArray("abc"));
    EXPECT_EQ(settings.Geometry("Main"), QByteArray("abc"));
    EXPECT_TRUE(settings.Geometry("Nothing").isEmpty());
}

TEST(DesktopSettings, WindowsFirstStandSideBySideWhereTheScreenAllows) {
    const struct {
        QRect Available;
        bool SideBySide;
    } cases[] = {
        {QRect(0, 0, 1600, 1000), true}, {QRect(0, 0, 1920, 1080), true},  {QRect(100, 30, 2560, 1400), true},
        {QRect(0, 0, 1280, 1024), true}, {QRect(0, 0, 1024, 768), false}, {QRect(0, 0, 800, 600), false},
    };
    for (const auto& c : cases) {
        const WindowPlacement p = FirstWindowPlacement(c.Available);
        EXPECT_TRUE(c.Available.contains(p.Main)) << c.Available.width();
        EXPECT_TRUE(c.Available.contains(p.Graph)) << c.Available.width();
        EXPECT_EQ(!p.Main.intersects(p.Graph), c.SideBySide) << c.Available.width();
        EXPECT_GE(p.Main.width(), std::min(760, c.Available.width()));
        EXPECT_GE(p.Main.height(), std::min(560, c.Available.height()));
    }
}

TEST(DesktopSettings, AWindowOpensBesideAnotherRightThenLeftThenAtTheEdge) {
    const QRect screen(0, 0, 1600, 1000);
    const QSize graph(600, 500);
    const struct {
        QRect Main;
        QPoint At;
    } cases[] = {
        {QRect(0, 100, 900, 700), QPoint(908, 100)},
        {QRect(700, 100, 900, 700), QPoint(92, 100)},
        {QRect(300, 700, 1000, 300), QPoint(1000, 500)},  // no room either side; kept on the screen
    };
    for (const auto& c : cases) EXPECT_EQ(PlaceBeside(c.Main, graph, screen).topLeft(), c.At) << c.Main.x();
}

}  // namespace
}  // namespace vantrel
