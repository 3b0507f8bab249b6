// The plots and tables of a result analysis, and writing them to a folder.
// Free of Qt in its interface, so that the headless runner includes it; the
// drawing itself is plots/plot_painter.h.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "job/results_analysis.h"
#include "plots/plot_spec.h"

namespace vantrel {

struct NamedPlot {
    std::string Name;  // file stem: energy, polar, azimuth, layer, depth, yield_vs_energy, ...
    PlotSpec Spec;
    std::string Csv;   // the table behind it ("" for the curves: beams.csv holds them)
};

// The histograms (energy, polar, azimuth, layer of origin: only with a
// sputtered table; projectile depth: when a projectile stopped) and, when
// the runs have more than one energy or incidence angle, the curves of
// yield, reflection and mean depth against them.
std::vector<NamedPlot> ResultPlots(const ResultsAnalysis& analysis);

// Writes <dir>/<name>.csv, .svg and .png for every plot, and beams.csv when
// there is more than one beam; creates dir.  Every file is attempted; a
// line per file that could not be written goes to errors.  Needs a
// PlotSession (or the desktop program's application).
bool WritePlotFiles(const ResultsAnalysis& analysis, const std::vector<NamedPlot>& plots,
                    const std::string& dir, std::vector<std::string>& errors);

// Size of the pictures written (px).
inline constexpr int PlotWidth = 800;
inline constexpr int PlotHeight = 560;

// A Qt application for drawing where the program has none (the headless
// runner): created on the "offscreen" platform, so that no display is
// needed; nothing when an application already exists.
class PlotSession {
public:
    PlotSession();
    ~PlotSession();
    PlotSession(const PlotSession&) = delete;
    PlotSession& operator=(const PlotSession&) = delete;

private:
    struct Application;
    std::unique_ptr<Application> app_;
};

}  // namespace vantrel
