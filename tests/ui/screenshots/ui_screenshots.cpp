// Renders every window of the desktop program into PNG files, for looking
// at: the dialogs, the range box, the splash and about windows, the graph
// window with a made-up cascade in each projection and symbol mode, and the
// graph window's menus, and the Results window with made-up result tables.
// Usage: ui_screenshots OUTPUT_FOLDER
#include <cmath>
#include <cstdint>
#include <numbers>
#include <string>
#include <cstdio>
#include <vector>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include "io/file_sets.h"
#include "job/state.h"
#include "tests/support/recording_ui.h"
#include "tests/ui/screenshots/window_picture.h"
#include "ui/file_dialogs.h"
#include "ui/graph_window.h"
#include "ui/integer_edit.h"
#include "ui/options_dialog.h"
#include "ui/results_window.h"
#include "ui/splash_about.h"

namespace {

using namespace vantrel;

QString folder;

using testing::Settle;

void Save(QWidget& widget, const QString& name) { testing::SaveWindowPicture(widget, folder, name); }

// A made-up cascade: a (100) slab of a fcc crystal (lattice 3.61 A) with a
// top layer of type B, displaced around the impact point, a few atoms above
// the surface and the projectile well inside.
struct Cascade {
    std::vector<double> X, Y, Z;
    std::vector<std::uint32_t> Flags;
    PlotSnapshot Snapshot() const {
        PlotSnapshot s;
        s.X = X.data();
        s.Y = Y.data();
        s.Z = Z.data();
        s.Flags = Flags.data();
        s.AtomCount = static_cast<std::int32_t>(X.size()) - 1;
        s.Time = 1.5e-13f;
        return s;
    }
};

Cascade MakeCascade() {
    Cascade c;
    const double a = 3.61e-10;
    std::uint32_t seed = 7;
    auto random = [&seed]() {
        seed = seed * 134775813u + 1u;
        return static_cast<double>(seed) / 4294967296.0 - 0.5;
    };
    c.X.push_back(0.4e-10);
    c.Y.push_back(-0.8e-10);
    c.Z.push_back(-11.0e-10);
    c.Flags.push_back(0);
    for (int layer = 0; layer < 8; ++layer) {
        const double z = -layer * a / 2;
        for (int i = -5; i <= 5; ++i)
            for (int j = -5; j <= 5; ++j) {
                if (((i + j + layer) & 1) != 0) continue;
                double x = i * a / 2, y = j * a / 2;
                const double r = std::sqrt(x * x + y * y + z * z);
                const double push = 2.8e-10 * std::exp(-r / 7e-10);
                c.X.push_back(x + random() * push * 2 + (r > 0 ? x / r * push : 0));
                c.Y.push_back(y + random() * push * 2 + (r > 0 ? y / r * push : 0));
                c.Z.push_back(z + random() * push * 2 - push);
                c.Flags.push_back(layer == 0 ? std::uint32_t{TypeB} : std::uint32_t{0});
            }
    }
    // Sputtered atoms.
    const double up[][3] = {{2.0, 1.0, 6.0}, {-3.0, 2.5, 9.0}, {1.0, -4.0, 12.5}};
    for (const auto& p : up) {
        c.X.push_back(p[0] * 1e-10);
        c.Y.push_back(p[1] * 1e-10);
        c.Z.push_back(p[2] * 1e-10);
        c.Flags.push_back(TypeB);
    }
    return c;
}

void GrabMenu(QMenu* menu, QWidget& owner, const QString& name) {
    menu->popup(owner.mapToGlobal(QPoint(20, 20)));
    Settle();
    Save(*menu, name);
    menu->hide();
}

}  // namespace

// Made-up result tables of 60 runs of 1 keV Ar: yields around 3, energies
// of the Thompson law (U = 3.5 eV), polar angles of a cosine law, azimuths
// bunched along the close-packed <110> directions, most atoms from layer 1.
void WriteResultTables(const QString& dir, QString& results, QString& sputtered) {
    std::uint32_t seed = 11;
    auto uniform = [&seed]() {
        seed = seed * 134775813u + 1u;
        return (static_cast<double>(seed) + 0.5) / 4294967296.0;
    };
    std::string runs =
        "run,ion_energy_eV,ion_Z,incidence_polar_deg,incidence_azimuth_deg,sputtered,sputtered_Z29,"
        "projectile,projectile_energy_eV,projectile_polar_deg,projectile_depth_A,surface_binding_eV\n";
    std::string atoms = "run,index,Z,layer,origin_depth_A,energy_eV,polar_deg,azimuth_deg,height_A\n";
    char line[256];
    for (int run = 1; run <= 60; ++run) {
        const int count = static_cast<int>(6 * uniform() * uniform() * 2);
        const bool reflected = uniform() < 0.08;
        std::snprintf(line, sizeof line, "%d,1000,18,0,0,%d,%d,%s,%.3f,%s,%s,3.456\n", run, count, count,
                      reflected ? "reflected" : "stopped", reflected ? 60 * uniform() : 0.05,
                      reflected ? "35" : "", reflected ? "" : std::to_string(4 + 14 * uniform()).c_str());
        runs += line;
        for (int k = 0; k < count; ++k) {
            const double root = std::sqrt(uniform());
            const double energy = 3.5 * root / (1 - root);
            const double polar = std::acos(std::sqrt(uniform())) * 180 / std::numbers::pi;
            const double azimuth = 45 + 90 * static_cast<int>(4 * uniform()) + 18 * (uniform() - 0.5);
            const int layer = uniform() < 0.8 ? 1 : 2;
            std::snprintf(line, sizeof line, "%d,%d,29,%d,%.3f,%.4f,%.3f,%.3f,9\n", run, 100 + k, layer,
                          (layer - 1) * 1.805, energy, polar, azimuth);
            atoms += line;
        }
    }
    results = dir + QStringLiteral("/ar.results.csv");
    sputtered = dir + QStringLiteral("/ar.sputtered.csv");
    QFile r(results), s(sputtered);
    if (r.open(QIODevice::WriteOnly)) r.write(runs.c_str());
    if (s.open(QIODevice::WriteOnly)) s.write(atoms.c_str());
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    QDir().mkpath(folder);

    testing::RecordingUserInterface ui;
    ProgramContext program(ui);

    {
        InputFileSet inputs;
        inputs.Projectile = "/home/user/jobs/cu100/cu.prj";
        inputs.Target = "/home/user/jobs/cu100/cu.trg";
        TFileDialog dialog;
        dialog.Load(inputs, true);
        dialog.show();
        Save(dialog, QStringLiteral("input_files"));
        dialog.hide();
        dialog.Load(inputs, false);
        dialog.show();
        Save(dialog, QStringLiteral("input_files_no_inelastic"));
    }
    {
        OutputFileSet outputs;
        outputs.InitialConditions = "/home/user/jobs/cu100/inivars.vsk";
        outputs.DynamicalVariables = "/home/user/jobs/cu100/dynvars.vsk";
        outputs.InelasticEvents = "/home/user/jobs/cu100/inelast.dat";
        TOutfileDlg dialog;
        dialog.Load(outputs);
        dialog.show();
        Save(dialog, QStringLiteral("output_files"));
    }
    {
        TOptionsDlg dialog(program);
        dialog.show();
        Save(dialog, QStringLiteral("options_defaults"));
        dialog.hide();
        program.Options.ReportLatticeEnergy = true;
        program.Options.NeighbourSearch = true;
        program.Options.GraphPlotType = 1;
        program.Options.UseST = true;
        program.Options.HotTarget = true;
        dialog.show();
        Save(dialog, QStringLiteral("options_changed"));
        program.Options = SimulationOptions{};
    }
    {
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), IntegerRangeMessage(0, 9000000));
        box.show();
        Save(box, QStringLiteral("integer_range_box"));
    }
    {
        TSplashWin splash;
        splash.ShowNow();
        Save(splash, QStringLiteral("splash"));
    }
    {
        TAboutForm about;
        about.show();
        Save(about, QStringLiteral("about"));
    }
    {
        const Cascade cascade = MakeCascade();
        TGraph graph(program);
        graph.show();
        Settle();
        graph.PlotReset();
        const struct {
            Projection View;
            const char* Name;
        } views[] = {{Projection::XZ, "xz"}, {Projection::XY, "xy"}, {Projection::YZ, "yz"}};
        const struct {
            SymbolMode Symbol;
            const char* Name;
        } symbols[] = {{SymbolMode::Icons, "icons"}, {SymbolMode::Circles, "circles"}, {SymbolMode::Points, "points"}};
        for (const auto& view : views) {
            graph.SetProjection(view.View);
            for (const auto& symbol : symbols) {
                graph.SetSymbol(symbol.Symbol);
                graph.PlotUpdate(cascade.Snapshot());
                Save(graph, QStringLiteral("graph_%1_%2").arg(QLatin1String(view.Name), QLatin1String(symbol.Name)));
            }
        }
        graph.SetProjection(Projection::XZ);
        graph.SetSymbol(SymbolMode::Icons);
        graph.ToggleDrawSmall();
        graph.PlotUpdate(cascade.Snapshot());
        Save(graph, QStringLiteral("graph_xz_icons_large"));
        graph.ToggleDrawSmall();
        graph.ToggleBackground();
        graph.PlotUpdate(cascade.Snapshot());
        Save(graph, QStringLiteral("graph_xz_icons_dark"));
        graph.SetSymbol(SymbolMode::Circles);
        graph.PlotUpdate(cascade.Snapshot());
        Save(graph, QStringLiteral("graph_xz_circles_dark"));
        graph.ToggleBackground();
        graph.SetSymbol(SymbolMode::Icons);
        graph.ToggleHighlight();
        graph.PlotUpdate(cascade.Snapshot());
        Save(graph, QStringLiteral("graph_xz_icons_highlight"));
        graph.ToggleHighlight();
        // Trails: refresh each step off, the cascade drawn at three instants.
        graph.SetSymbol(SymbolMode::Points);
        graph.ToggleRefreshEachStep();
        Cascade moving = cascade;
        for (int step = 0; step < 3; ++step) {
            for (std::size_t i = 0; i < moving.X.size(); ++i) moving.Z[i] -= 0.3e-10 * (i % 3);
            PlotSnapshot s = moving.Snapshot();
            s.Time = 1.0e-13f * static_cast<float>(step + 1);
            graph.PlotUpdate(s);
        }
        Save(graph, QStringLiteral("graph_xz_points_trails"));
        graph.ToggleRefreshEachStep();
        GrabMenu(graph.findChild<QMenu*>(QStringLiteral("OptionsMenu")), graph, QStringLiteral("graph_menu_options"));
        GrabMenu(graph.findChild<QMenu*>(QStringLiteral("PerspectiveMenu")), graph, QStringLiteral("graph_menu_perspective"));
        GrabMenu(graph.findChild<QMenu*>(QStringLiteral("SymbolsMenu")), graph, QStringLiteral("graph_menu_symbols"));
    }
    {
        QTemporaryDir dir;
        QString results, sputtered;
        WriteResultTables(dir.path(), results, sputtered);
        TResultsWindow window;
        window.ShowTables(results, sputtered);
        window.show();
        auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("Plots"));
        for (int k = 0; tabs && k < tabs->count(); ++k) {
            tabs->setCurrentIndex(k);
            Save(window, QStringLiteral("results_%1").arg(tabs->tabText(k).toLower()));
        }
    }
    return 0;
}
