// The Results window: the summary and plots of result tables, their saving,
// and its updates after every run of a job the main window runs.
#include "ui/results_window.h"

#include <QSignalSpy>
#include <QTabWidget>

#include <gtest/gtest.h>

#include "tests/support/job_files.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/main_form_fixture.h"
#include "tests/ui/ui_test_support.h"

namespace vantrel {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;

// Three runs sputtering 1, 3 and 5 atoms; the projectile stopped each time.
QString WriteTables(const TempDir& dir) {
    dir.Write("ar.results.csv",
              "run,ion_energy_eV,ion_Z,sputtered,projectile,projectile_depth_A,surface_binding_eV\n"
              "1,1000,18,1,stopped,10,3.5\n2,1000,18,3,stopped,12,3.5\n3,1000,18,5,stopped,17,3.5\n");
    dir.Write("ar.sputtered.csv",
              "run,index,Z,layer,energy_eV,polar_deg,azimuth_deg\n"
              "1,4,29,1,2,10,0\n2,8,29,1,4,20,90\n2,9,29,2,9,40,180\n3,5,29,1,1,70,270\n");
    return ToQt(dir.File("ar.results.csv"));
}

TEST(TResultsWindow, ShowsTheSummaryAndOnePlotPerDistribution) {
    TempDir dir;
    TResultsWindow window;
    const QString results = WriteTables(dir);
    window.ShowTables(results, CompanionSputteredTable(results));
    EXPECT_TRUE(window.SummaryText().contains(QStringLiteral("Sputtering yield: 3.000 +/- 1.155 atoms/ion")))
        << window.SummaryText().toStdString();
    EXPECT_TRUE(window.SummaryText().contains(QStringLiteral("Sputtered atoms in the tables: 4")));
    auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("Plots"));
    ASSERT_NE(tabs, nullptr);
    QStringList names;
    for (int k = 0; k < tabs->count(); ++k) names << tabs->tabText(k);
    EXPECT_EQ(names, (QStringList{"Summary", "energy", "polar", "azimuth", "layer", "depth"}));
    // A table that is not there says so in the summary.
    window.ShowTables(ToQt(dir.File("none.csv")), QString());
    EXPECT_TRUE(window.SummaryText().contains(QStringLiteral("none.csv: cannot be read")));
    EXPECT_EQ(window.PlotCount(), 0);
}

TEST(TResultsWindow, SavesThePlotAndTableOfTheCurrentTab) {
    TempDir dir;
    testing::ServiceRecorder recorder;
    TResultsWindow window;
    window.SetServices(recorder.Services());
    recorder.ChooserAnswers = {WriteTables(dir)};
    window.OpenTablesClick();  // finds ar.sputtered.csv beside it
    EXPECT_EQ(window.Analysis().Atoms, 4);
    auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("Plots"));
    tabs->setCurrentIndex(1);  // energy
    recorder.ChooserAnswers = {ToQt(dir.File("e.png")), ToQt(dir.File("e.svg")), ToQt(dir.File("e.csv"))};
    window.SavePlotClick();
    window.SavePlotClick();
    window.SaveTableClick();
    EXPECT_EQ(ReadFileBytes(dir.File("e.png")).substr(1, 3), "PNG");
    EXPECT_NE(ReadFileBytes(dir.File("e.svg")).find("<svg"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(dir.File("e.csv")).rfind("energy_eV_low,energy_eV_high,count,fit\n", 0), 0u);
    tabs->setCurrentIndex(0);  // the summary saves as text
    recorder.ChooserAnswers = {ToQt(dir.File("summary.txt"))};
    window.SaveTableClick();
    EXPECT_NE(ReadFileBytes(dir.File("summary.txt")).find("Sputtering yield: 3.000"), std::string::npos);
    EXPECT_TRUE(recorder.Messages.empty());
}

TEST(TResultsWindow, CompanionSputteredTables) {
    EXPECT_EQ(CompanionSputteredTable(QStringLiteral("/d/run1.results.csv")), QStringLiteral("/d/run1.sputtered.csv"));
    EXPECT_EQ(CompanionSputteredTable(QStringLiteral("/d/results.csv")), QStringLiteral("/d/sputtered.csv"));
    EXPECT_EQ(CompanionSputteredTable(QStringLiteral("/d/mine.csv")), QString());
}

// Opened before a job that writes its tables, the window is read again
// after every run, and shows them when the job has ended.
TEST(TResultsWindow, FollowsTheRunsOfARunningJob) {
    testing::MainFormFixture f;
    f.Controller().Program().Extended.StoreResults = true;
    testing::JobFiles job;
    job.Impacts = {"0.3 0.4 3.0", "0.5 0.2 3.0"};
    f.WriteJob(job);
    f.Action("ResultsItem")->trigger();
    auto* window = f.Form().findChild<TResultsWindow*>(QStringLiteral("ResultsWindow"));
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    QSignalSpy written(&f.Controller(), &JobController::RunResultsWritten);
    f.Action("SpeedButton1")->trigger();
    EXPECT_EQ(written.count(), 2);
    EXPECT_EQ(window->Analysis().All.Runs, 2);
    EXPECT_EQ(window->ResultsTable(), ToQt(f.Controller().Outputs().Results));
    window->hide();
}

}  // namespace
}  // namespace vantrel
