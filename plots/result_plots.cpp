#include "plots/result_plots.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include <QByteArray>
#include <QFileInfo>
#include <QGuiApplication>

#include "plots/plot_painter.h"

namespace vantrel {

namespace {

std::string Fixed(double value, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

PlotSpec HistogramPlot(const Histogram& h, std::string title, std::string xLabel,
                       std::string note) {
    PlotSpec spec;
    spec.Histogram = true;
    spec.Title = std::move(title);
    spec.XLabel = std::move(xLabel);
    spec.YLabel = "count";
    spec.Note = std::move(note);
    spec.BinLow = h.Low;
    spec.BinHigh = h.High;
    for (std::size_t k = 0; k < h.Counts.size(); ++k) {
        spec.Bars.X.push_back(h.Centre(k));
        spec.Bars.Y.push_back(h.Counts[k]);
    }
    return spec;
}

void AddFit(PlotSpec& spec, const Histogram& h, const std::vector<double>& counts,
            std::string label) {
    if (counts.empty()) return;
    spec.Fit.Label = std::move(label);
    for (std::size_t k = 0; k < counts.size(); ++k) {
        spec.Fit.X.push_back(h.Centre(k));
        spec.Fit.Y.push_back(counts[k]);
    }
}

std::string BeamLabel(const ResultSummary& b, bool byEnergy) {
    return byEnergy ? "incidence " + Fixed(b.IncidencePolar, 1) + " deg"
                    : Fixed(b.IonEnergy, 0) + " eV";
}

// One curve per incidence angle (against energy) or per energy (against
// angle), each point a beam with its error bar.
PlotSpec CurvePlot(const ResultsAnalysis& a, bool byEnergy, const char* quantity,
                   const char* yLabel, const MeanWithError ResultSummary::*field, bool deviation) {
    PlotSpec spec;
    spec.Title = std::string(quantity) + (byEnergy ? " against ion energy" : " against incidence angle");
    spec.XLabel = byEnergy ? "ion energy (eV)" : "incidence angle from the normal (deg)";
    spec.YLabel = yLabel;
    for (const ResultSummary& b : a.Beams) {
        const MeanWithError& m = b.*field;
        if (m.Count == 0) continue;
        const std::string label = BeamLabel(b, byEnergy) + ", Z " + std::to_string(b.IonZ);
        auto series = std::find_if(spec.Curves.begin(), spec.Curves.end(),
                                   [&](const PlotSeries& s) { return s.Label == label; });
        if (series == spec.Curves.end()) {
            spec.Curves.push_back(PlotSeries{label, {}, {}, {}});
            series = spec.Curves.end() - 1;
        }
        series->X.push_back(byEnergy ? b.IonEnergy : b.IncidencePolar);
        series->Y.push_back(m.Mean);
        series->Error.push_back(deviation ? m.Deviation : m.Error);
    }
    for (PlotSeries& s : spec.Curves) {
        // Sorted along x, so that the line runs through the points in order.
        std::vector<std::size_t> order(s.X.size());
        for (std::size_t k = 0; k < order.size(); ++k) order[k] = k;
        std::sort(order.begin(), order.end(), [&](std::size_t i, std::size_t j) { return s.X[i] < s.X[j]; });
        PlotSeries sorted{s.Label, {}, {}, {}};
        for (const std::size_t k : order) {
            sorted.X.push_back(s.X[k]);
            sorted.Y.push_back(s.Y[k]);
            sorted.Error.push_back(s.Error[k]);
        }
        s = sorted;
    }
    spec.Note = deviation ? "error bars: straggling" : "error bars: standard error";
    return spec;
}

}  // namespace

std::vector<NamedPlot> ResultPlots(const ResultsAnalysis& a) {
    std::vector<NamedPlot> plots;
    if (a.HasAtoms && a.Atoms > 0) {
        PlotSpec energy = HistogramPlot(a.Energy, "Energy of sputtered atoms", "kinetic energy (eV)",
                                        std::to_string(a.Atoms) + " atoms");
        if (a.Thompson.Converged)
            AddFit(energy, a.Energy, ThompsonCounts(a),
                   "Thompson, U = " + Fixed(a.Thompson.Binding, 2) + " +/- " +
                       Fixed(a.Thompson.Error, 2) + " eV");
        plots.push_back({"energy", energy, HistogramCsv(a.Energy, "energy_eV", ThompsonCounts(a))});

        PlotSpec polar = HistogramPlot(a.Polar, "Polar angle of sputtered atoms",
                                       "polar angle from the surface normal (deg)",
                                       std::to_string(a.Atoms) + " atoms");
        if (a.Cosine.Converged)
            AddFit(polar, a.Polar, CosinePowerCounts(a),
                   "cos^n, n = " + Fixed(a.Cosine.Power, 2) + " +/- " + Fixed(a.Cosine.Error, 2));
        plots.push_back({"polar", polar, HistogramCsv(a.Polar, "polar_deg", CosinePowerCounts(a))});

        plots.push_back({"azimuth",
                         HistogramPlot(a.Azimuth, "Azimuth of sputtered atoms",
                                       "azimuth from +x (deg)", std::to_string(a.Atoms) + " atoms"),
                         HistogramCsv(a.Azimuth, "azimuth_deg")});
        PlotSpec layer = HistogramPlot(a.Layer, "Layer of origin of sputtered atoms",
                                       "layer (1 = top)", std::to_string(a.Atoms) + " atoms");
        layer.WholeX = true;
        plots.push_back({"layer", layer, HistogramCsv(a.Layer, "layer")});
    }
    if (a.All.Depth.Count > 0)
        plots.push_back({"depth",
                         HistogramPlot(a.Depth, "Stopping depth of the projectile",
                                       "depth below the surface (A)",
                                       std::to_string(a.All.Depth.Count) + " stopped, mean " +
                                           Fixed(a.All.Depth.Mean, 2) + " A"),
                         HistogramCsv(a.Depth, "depth_A")});

    for (const bool byEnergy : {true, false}) {
        const std::int32_t distinct = byEnergy ? a.DistinctEnergies : a.DistinctPolarAngles;
        if (distinct < 2) continue;
        const std::string suffix = byEnergy ? "_vs_energy" : "_vs_angle";
        plots.push_back({"yield" + suffix,
                         CurvePlot(a, byEnergy, "Sputtering yield", "atoms per ion",
                                   &ResultSummary::Yield, false),
                         ""});
        plots.push_back({"reflection" + suffix,
                         CurvePlot(a, byEnergy, "Reflection coefficient", "reflected share of ions",
                                   &ResultSummary::ReflectionNumber, false),
                         ""});
        plots.push_back({"depth" + suffix,
                         CurvePlot(a, byEnergy, "Mean stopping depth", "depth (A)",
                                   &ResultSummary::Depth, false),
                         ""});
    }
    return plots;
}

bool WritePlotFiles(const ResultsAnalysis& a, const std::vector<NamedPlot>& plots,
                    const std::string& dir, std::vector<std::string>& errors) {
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error) {
        errors.push_back(dir + ": cannot be created");
        return false;
    }
    auto writeText = [&](const std::string& name, const std::string& text) {
        const std::string path = (std::filesystem::path(dir) / name).string();
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << text;
        out.flush();
        if (!out) errors.push_back(path + ": cannot be written");
    };
    const QSize size(PlotWidth, PlotHeight);
    for (const NamedPlot& plot : plots) {
        if (!plot.Csv.empty()) writeText(plot.Name + ".csv", plot.Csv);
        const std::filesystem::path stem = std::filesystem::path(dir) / plot.Name;
        const QString svg = QString::fromStdString(stem.string() + ".svg");
        const QString png = QString::fromStdString(stem.string() + ".png");
        if (!SavePlotSvg(plot.Spec, svg, size) || !QFileInfo(svg).isFile())
            errors.push_back(svg.toStdString() + ": cannot be written");
        if (!SavePlotPng(plot.Spec, png, size)) errors.push_back(png.toStdString() + ": cannot be written");
    }
    if (a.Beams.size() > 1) writeText("beams.csv", BeamsCsv(a));
    return errors.empty();
}

namespace {

QtMessageHandler PreviousHandler = nullptr;

// The offscreen platform remarks on a missing runtime folder, which means
// nothing for drawing into files; every other message passes.
void PlotMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type != QtFatalMsg && text.startsWith(QStringLiteral("QStandardPaths:"))) return;
    if (PreviousHandler) {
        PreviousHandler(type, context, text);
        return;
    }
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

}  // namespace

struct PlotSession::Application {
    int Argc = 1;
    char Name[16] = "vantrel-cli";
    char* Argv[2] = {Name, nullptr};
    std::unique_ptr<QGuiApplication> App;
};

PlotSession::PlotSession() {
    if (QCoreApplication::instance() != nullptr) return;
    app_ = std::make_unique<Application>();
    // No display is needed to draw into images and SVG files.
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    PreviousHandler = qInstallMessageHandler(PlotMessageHandler);
    app_->App = std::make_unique<QGuiApplication>(app_->Argc, app_->Argv);
}

PlotSession::~PlotSession() {
    if (!app_) return;
    app_->App.reset();
    qInstallMessageHandler(PreviousHandler);
}

}  // namespace vantrel
