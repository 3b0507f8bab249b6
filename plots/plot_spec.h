// What a plot shows, without any drawing: a histogram with an optional
// fitted curve, or curves with error bars.  plots/plot_painter.h draws it;
// plots/result_plots.h makes the plots of a result analysis.
#pragma once

#include <string>
#include <vector>

namespace vantrel {

struct PlotSeries {
    std::string Label;
    std::vector<double> X;
    std::vector<double> Y;
    std::vector<double> Error;  // empty, or one half-length per point
};

struct PlotSpec {
    std::string Title;
    std::string XLabel;
    std::string YLabel;
    // A histogram: bars over [BinLow, BinHigh) with their counts (Bars.Y),
    // and Fit (if any) as a line through the bar centres.
    bool Histogram = false;
    double BinLow = 0;
    double BinHigh = 1;
    PlotSeries Bars;
    PlotSeries Fit;
    // Ticks only at whole numbers along x (layers); a histogram's counts
    // are whole numbers along y in any case.
    bool WholeX = false;
    // Curves: each series a line through its points with error bars.
    std::vector<PlotSeries> Curves;
    // A line of text under the title (a fit's result, a count).
    std::string Note;
};

}  // namespace vantrel
