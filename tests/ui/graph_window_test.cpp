#include "ui/graph_window.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <random>
#include <tuple>

#include <functional>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "job/state.h"
#include "tests/support/recording_ui.h"
#include "tests/ui/ui_test_support.h"

namespace vantrel {
namespace {

using testing::RecordingUserInterface;
using testing::ServiceRecorder;

constexpr double Angstrom = 1e-10;
constexpr double FarAway = 1.0;  // m: far outside any picture at any useful scale

// Particle arrays that a snapshot points into.
struct Particles {
    explicit Particles(int count) : X(count, FarAway), Y(count, FarAway), Z(count, FarAway), Flags(count, 0) {}
    void Place(int i, double x, double y, double z) {
        X[i] = x * Angstrom;
        Y[i] = y * Angstrom;
        Z[i] = z * Angstrom;
    }
    PlotSnapshot Snapshot(float time = 1.0e-13f) const {
        PlotSnapshot s;
        s.X = X.data();
        s.Y = Y.data();
        s.Z = Z.data();
        s.Flags = Flags.data();
        s.AtomCount = static_cast<std::int32_t>(X.size()) - 1;
        s.Time = time;
        return s;
    }
    std::vector<double> X, Y, Z;
    std::vector<std::uint32_t> Flags;
};

struct GraphFixture {
    GraphFixture() : program(ui), graph(program) {
        graph.SetServices(recorder.Services());
        graph.show();
        QApplication::processEvents();
    }
    RecordingUserInterface ui;
    ProgramContext program;
    TGraph graph;
    ServiceRecorder recorder;
};

// Bounding box of the pixels of one colour, below the time text.
QRect PixelsOf(const QImage& image, QColor colour, int top = 30) {
    int left = image.width(), right = -1, upper = image.height(), lower = -1;
    for (int y = top; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour) {
                left = std::min(left, x);
                right = std::max(right, x);
                upper = std::min(upper, y);
                lower = std::max(lower, y);
            }
    if (right < 0) return {};
    return QRect(QPoint(left, upper), QPoint(right, lower));
}

bool AllWhite(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != QColor(Qt::white)) return false;
    return true;
}

// The icons as they look drawn in turn on a white picture.
QImage IconOnWhite(const QImage& icon, const QImage* under = nullptr) {
    QImage image(icon.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    if (under) painter.drawImage(0, 0, *under);
    painter.drawImage(0, 0, icon);
    return image;
}

TEST(TGraph, AParticleLandsOnItsPixelInEachProjectionZoomAndShift) {
    // Scale 1e11 px/m = 10 px/A; the projectile (red) is particle 0.
    const struct {
        Projection View;
        SymbolMode Symbol;
        bool Large, ZoomIn;
        int ShiftX, ShiftY;
        int Particle;
        double X, Y, Z;  // A
        int Dx, Dy;      // from the centre column and the origin row
        bool Quarter;    // origin a quarter of the height from the top
        int Width;
    } cases[] = {
        {Projection::XZ, SymbolMode::Circles, false, false, 0, 0, 1, 3, 7, -5, 30, 50, true, 2 * SmallCircleRadius + 1},
        {Projection::XY, SymbolMode::Circles, false, false, 0, 0, 1, 3, 7, -5, 30, -70, false, 2 * SmallCircleRadius + 1},
        {Projection::YZ, SymbolMode::Circles, false, false, 0, 0, 1, 3, 7, -5, 70, 50, true, 2 * SmallCircleRadius + 1},
        // Not small and zoomed in: the circle radius (12) at 20 px per A.
        {Projection::XZ, SymbolMode::Circles, true, true, 0, 0, 1, 1, 0, -3, 20, 60, true, 25},
        // The vertical axis points up; shifts move the origin.
        {Projection::XZ, SymbolMode::Points, false, false, -100, 100, 0, 0, 0, 2, -100, 100 - 20, true, 3},
    };
    for (const auto& c : cases) {
        GraphFixture f;
        f.graph.SetProjection(c.View);
        f.graph.SetSymbol(c.Symbol);
        if (c.Large) f.graph.ToggleDrawSmall();
        if (c.ZoomIn) f.graph.ZoomIn();
        f.graph.ShiftBy(c.ShiftX, c.ShiftY);
        Particles p(2);
        p.Place(c.Particle, c.X, c.Y, c.Z);
        f.graph.PlotUpdate(p.Snapshot());
        const QImage& image = f.graph.Picture();
        const int x = image.width() / 2 + c.Dx;
        const int y = (c.Quarter ? image.height() / 4 : image.height() / 2) + c.Dy;
        const QRect drawn = PixelsOf(image, c.Particle == 0 ? Qt::red : Qt::blue);
        SCOPED_TRACE(static_cast<int>(c.View));
        EXPECT_EQ(drawn.center(), QPoint(x, y));
        EXPECT_EQ(drawn.width(), c.Width);
        EXPECT_TRUE(PixelsOf(image, c.Particle == 0 ? Qt::blue : Qt::red).isNull());  // the other is far away
    }
}

TEST(TGraph, SnapshotOf15000ParticlesDrawsIndices0To9999Only) {
    GraphFixture f;
    f.graph.SetSymbol(SymbolMode::Points);
    f.graph.SetProjection(Projection::XY);
    Particles p(15001);
    p.Place(9999, -10, 0, 0);
    for (int i = 10000; i <= 15000; ++i) p.Place(i, 10, 0, 0);
    f.graph.PlotUpdate(p.Snapshot());
    const QImage& image = f.graph.Picture();
    const QRect blue = PixelsOf(image, Qt::blue);
    EXPECT_EQ(blue.center(), QPoint(image.width() / 2 - 100, image.height() / 2));
    EXPECT_EQ(blue.width(), 3);
}

TEST(TGraph, ZoomOutHalvesTheRadiusHalvesToEvenAtLeastOne) {
    const std::pair<int, int> radii[] = {{1, 1}, {2, 1}, {3, 2}, {5, 2}, {6, 3}, {7, 4}, {9, 4}, {12, 6}};
    for (auto [before, after] : radii) EXPECT_EQ(ZoomedOutRadius(before), after) << before;
    GraphFixture f;
    std::vector<int> seen;
    for (int k = 0; k < 4; ++k) {
        f.graph.ZoomOut();
        seen.push_back(f.graph.State().CircleRadius);
    }
    EXPECT_EQ(seen, (std::vector<int>{3, 2, 1, 1}));
    EXPECT_DOUBLE_EQ(f.graph.State().Scale, 1e11 / 16);
    f.graph.ZoomIn();
    EXPECT_EQ(f.graph.State().CircleRadius, 2);
    EXPECT_DOUBLE_EQ(f.graph.State().Scale, 1e11 / 8);
}

// A command or control of the window by its object name.
template <typename T = QAction>
T* Child(TGraph& graph, const char* name) {
    T* child = graph.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
}

// Centre of the pixels that are not white, below the time text.
QPoint InkCentre(const QImage& image) {
    int left = image.width(), right = -1, upper = image.height(), lower = -1;
    for (int y = 30; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != QColor(Qt::white)) {
                left = std::min(left, x);
                right = std::max(right, x);
                upper = std::min(upper, y);
                lower = std::max(lower, y);
            }
    return QRect(QPoint(left, upper), QPoint(right, lower)).center();
}

TEST(TGraph, IconsAndCirclesPlaceAnAtomAtTheSamePixel) {
    for (Projection view : {Projection::XZ, Projection::XY, Projection::YZ}) {
        for (bool small : {true, false}) {
            QPoint centres[2];
            for (SymbolMode symbol : {SymbolMode::Circles, SymbolMode::Icons}) {
                GraphFixture f;
                f.graph.SetProjection(view);
                f.graph.SetSymbol(symbol);
                if (!small) f.graph.ToggleDrawSmall();
                Particles p(2);
                p.Place(1, 3, 7, -5);
                f.graph.PlotUpdate(p.Snapshot());
                centres[symbol == SymbolMode::Icons] = InkCentre(f.graph.Picture());
            }
            EXPECT_EQ(centres[0], centres[1])
                << static_cast<int>(view) << " small " << small << ": circle " << centres[0].x() << ","
                << centres[0].y() << " icon " << centres[1].x() << "," << centres[1].y();
        }
    }
}

TEST(TGraph, IconsAreChosenByTypeOrByDepthWithHighlight) {
    const struct {
        bool Highlight;
        std::uint32_t Flags;
        double Y;  // depth in the xz view, A
        AtomIcon Expected;
    } cases[] = {
        {false, 0, 2, AtomIcon::TypeA},
        {false, TypeB, 2, AtomIcon::TypeB},
        {true, 0, 2, AtomIcon::Projectile},
        {true, TypeB, 2, AtomIcon::Projectile},
        {true, TypeB, -2, AtomIcon::TypeA},
        {true, 0, 0, AtomIcon::TypeA},
    };
    for (const auto& c : cases) {
        GraphFixture f;
        if (c.Highlight) f.graph.ToggleHighlight();
        Particles p(2);
        p.Place(1, 5, c.Y, -4);
        p.Flags[1] = c.Flags;
        f.graph.PlotUpdate(p.Snapshot());
        const QImage& image = f.graph.Picture();
        const QImage& icon = f.graph.IconImage(c.Expected, true);
        const QPoint centre(image.width() / 2 + 50, image.height() / 4 + 40);  // icons stand centred on the point
        EXPECT_EQ(image.copy(QRect(centre - QPoint((icon.width() - 1) / 2, (icon.height() - 1) / 2), icon.size())),
                  IconOnWhite(icon))
            << "highlight " << c.Highlight << " flags " << c.Flags << " y " << c.Y;
    }
}

TEST(TGraph, IconsOfGreaterDepthAreDrawnOver) {
    GraphFixture f;
    f.graph.SetProjection(Projection::XZ);
    Particles p(3);
    p.Place(0, 0, 5, 0);   // projectile in front (larger y): drawn last
    p.Place(1, 0, -5, 0);  // target atom at the same spot, behind
    f.graph.PlotUpdate(p.Snapshot());
    const QImage& image = f.graph.Picture();
    const QImage& icon = f.graph.IconImage(AtomIcon::Projectile, true);
    const QImage& behind = f.graph.IconImage(AtomIcon::TypeA, true);
    const QPoint corner(image.width() / 2 - (icon.width() - 1) / 2, image.height() / 4 - (icon.height() - 1) / 2);
    EXPECT_EQ(image.copy(QRect(corner, icon.size())), IconOnWhite(icon, &behind));
}

TEST(TGraph, HiddenWindowKeepsSnapshotsAndOpensOnTheLastOne) {
    GraphFixture f;
    Particles p(2);
    p.Place(1, 0, 0, -3);
    f.graph.hide();
    f.graph.BeginJob();
    f.graph.PlotReset();
    f.graph.PlotUpdate(p.Snapshot());
    f.graph.EndJob();
    EXPECT_TRUE(AllWhite(f.graph.Picture()));  // nothing drawn while hidden
    f.graph.show();
    QApplication::processEvents();
    EXPECT_FALSE(AllWhite(f.graph.Picture()));  // opened after the job: its last frame
}

TEST(TGraph, ShowingReloadsTheScaleFromTheOptions) {
    GraphFixture f;
    f.graph.hide();
    f.program.GraphScale = 0.01;
    f.graph.show();
    EXPECT_EQ(f.graph.State().Scale, 0.01);
    f.graph.ZoomIn();
    f.graph.ZoomIn();
    EXPECT_EQ(f.graph.State().Scale, 0.04);
    f.graph.hide();
    f.graph.show();
    EXPECT_EQ(f.graph.State().Scale, 0.01);
}

TEST(TGraph, ArrowKeysMove25PixelsAndShiftAlone100) {
    const struct {
        Qt::Key Key;
        Qt::KeyboardModifiers Modifiers;
        int Dx, Dy;
    } cases[] = {
        {Qt::Key_Left, Qt::NoModifier, -25, 0},
        {Qt::Key_Right, Qt::NoModifier, 25, 0},
        {Qt::Key_Up, Qt::NoModifier, 0, -25},
        {Qt::Key_Down, Qt::NoModifier, 0, 25},
        {Qt::Key_Left, Qt::ShiftModifier, -100, 0},
        {Qt::Key_Down, Qt::ShiftModifier, 0, 100},
        {Qt::Key_Right, Qt::ShiftModifier | Qt::ControlModifier, 25, 0},
        {Qt::Key_Up, Qt::ShiftModifier | Qt::ControlModifier, 0, -25},
        {Qt::Key_Right, Qt::ControlModifier, 25, 0},
        {Qt::Key_Up, Qt::ShiftModifier | Qt::KeypadModifier, 0, -100},
    };
    for (const auto& c : cases) {
        GraphFixture f;
        QTest::keyClick(f.graph.PictureArea(), c.Key, c.Modifiers);
        EXPECT_EQ(f.graph.State().XShift, c.Dx) << c.Key << " " << c.Modifiers;
        EXPECT_EQ(f.graph.State().YShift, c.Dy) << c.Key << " " << c.Modifiers;
    }
}

TEST(TGraph, ToolButtonsShiftAndZoomWithTheirHints) {
    const struct {
        const char* Name;
        const char* Hint;
        int Dx, Dy;
        double Scale;
    } cases[] = {
        {"PlusXButton", "+x shift", 100, 0, 1e11},  {"MinusXButton", "-x shift", -100, 0, 1e11},
        {"PlusYButton", "+y shift", 0, -100, 1e11}, {"MinusYButton", "-y shift", 0, 100, 1e11},
        {"ZoomInButton", "zoom in", 0, 0, 2e11},    {"ZoomOutButton", "zoom out", 0, 0, 0.5e11},
    };
    for (const auto& c : cases) {
        GraphFixture f;
        QAction* button = Child(f.graph, c.Name);
        button->trigger();
        EXPECT_EQ(button->toolTip(), QString::fromLatin1(c.Hint));
        EXPECT_EQ(f.graph.State().XShift, c.Dx) << c.Name;
        EXPECT_EQ(f.graph.State().YShift, c.Dy) << c.Name;
        EXPECT_EQ(f.graph.State().Scale, c.Scale) << c.Name;
    }
}

TEST(TGraph, MenuCommandsCarryTheirCaptionsAndShortcuts) {
    GraphFixture f;
    const struct {
        const char* Name;
        const char* Text;
        const char* Keys;
    } cases[] = {
        {"XzAction", "x&z-plane", "Ctrl+F5"},
        {"XyAction", "&xy-plane", "Ctrl+F6"},
        {"YzAction", "&yz-plane", "Ctrl+F7"},
        {"CopyImageAction", "&Copy image", "Ctrl+K"},
        {"ZoomInAction", "Zoom &in", "Ctrl+Z"},
        {"ZoomOutAction", "Zoom &out", "Ctrl+Shift+Z"},
        {"CirclesAction", "&Circles", "Ctrl+C"},
        {"PointsAction", "&Points", "Ctrl+P"},
        {"IconsAction", "&Icons", "Ctrl+I"},
        {"DrawSmallAction", "Draw &small", "Ctrl+S"},
        {"RefreshAction", "&Refresh each step", "Ctrl+R"},
        {"BackgroundAction", "&Toggle background colour", ""},
        {"ResetDefaultsAction", "Reset &defaults", "Ctrl+D"},
        {"HighlightAction", "&Highlight", "F2"},
        {"PauseAction", "Pause", "Space"},
    };
    for (const auto& c : cases) {
        QAction* action = Child(f.graph, c.Name);
        EXPECT_EQ(action->text(), QString::fromLatin1(c.Text));
        EXPECT_EQ(action->shortcut(), QKeySequence(QString::fromLatin1(c.Keys))) << c.Text;
    }
    EXPECT_FALSE(Child(f.graph, "HighlightAction")->isCheckable());
    EXPECT_EQ(f.graph.windowTitle(), QStringLiteral("Graph coordinates"));
    for (auto [name, title] : {std::pair{"OptionsMenu", "&Options"}, std::pair{"PerspectiveMenu", "&Perspective"},
                               std::pair{"SymbolsMenu", "&Symbols"}})
        EXPECT_EQ(Child<QMenu>(f.graph, name)->title(), QString::fromLatin1(title));
    EXPECT_EQ(Child<QLabel>(f.graph, "AtomLimitLabel")->text(), QStringLiteral("Only 10,000 atoms displayed"));
    EXPECT_EQ(Child(f.graph, "XzButton")->text(), QStringLiteral("xz"));
}

TEST(TGraph, ProjectionCommandsSetStatusTextChecksAndButtonsAndRedrawTheFrame) {
    GraphFixture f;
    Particles p(2);
    p.Place(1, 3, 7, -5);
    f.graph.SetSymbol(SymbolMode::Points);
    f.graph.PlotUpdate(p.Snapshot());
    const struct {
        const char* Command;
        const char* Button;
        const char* Status;
        QPoint Blue;  // from the centre column and the origin row
        bool Quarter;
    } cases[] = {
        {"XyAction", "XyButton", "XY plane: Ctrl + Circles/Points/Icons/Small/F5-F7/Kopy/Zoom/Refresh/Default", {30, -70}, false},
        {"YzAction", "YzButton", "YZ plane: Ctrl + Circles/Points/Icons/Small/F5-F7/Kopy/Zoom/Refresh/Default", {70, 50}, true},
        {"XzAction", "XzButton", "XZ plane: Ctrl + Circles/Points/Icons/Small/F5-F7/Kopy/Zoom/Refresh/Default", {30, 50}, true},
    };
    for (const auto& c : cases) {
        Child(f.graph, c.Command)->trigger();
        EXPECT_EQ(f.graph.StatusText(), QString::fromLatin1(c.Status));
        EXPECT_TRUE(Child(f.graph, c.Command)->isChecked());
        EXPECT_TRUE(Child(f.graph, c.Button)->isChecked());
        const QImage& image = f.graph.Picture();
        const QPoint origin(image.width() / 2, c.Quarter ? image.height() / 4 : image.height() / 2);
        EXPECT_EQ(PixelsOf(image, Qt::blue).center(), origin + c.Blue) << c.Command;  // the frame, in the new view
    }
    Child(f.graph, "YzButton")->trigger();
    EXPECT_EQ(f.graph.State().View, Projection::YZ);
    EXPECT_TRUE(Child(f.graph, "YzAction")->isChecked());
    EXPECT_FALSE(Child(f.graph, "XzAction")->isChecked());
}

TEST(TGraph, SymbolsAreARadioGroup) {
    GraphFixture f;
    EXPECT_TRUE(Child(f.graph, "IconsAction")->isChecked());
    Child(f.graph, "CirclesAction")->trigger();
    EXPECT_EQ(f.graph.State().Symbol, SymbolMode::Circles);
    EXPECT_TRUE(Child(f.graph, "CirclesAction")->isChecked());
    EXPECT_FALSE(Child(f.graph, "IconsAction")->isChecked());
    Child(f.graph, "PointsAction")->trigger();
    EXPECT_EQ(f.graph.State().Symbol, SymbolMode::Points);
    EXPECT_FALSE(Child(f.graph, "CirclesAction")->isChecked());
    Child(f.graph, "DrawSmallAction")->trigger();
    EXPECT_FALSE(f.graph.State().DrawSmall);
    EXPECT_FALSE(Child(f.graph, "DrawSmallAction")->isChecked());
    EXPECT_TRUE(Child(f.graph, "PointsAction")->isChecked());
}

TEST(TGraph, ResetDefaultsRestoresAllButHighlight) {
    GraphFixture f;
    for (const char* name : {"YzAction", "ZoomInAction", "CirclesAction", "DrawSmallAction", "RefreshAction",
                             "BackgroundAction", "HighlightAction"})
        Child(f.graph, name)->trigger();
    f.graph.ShiftBy(25, -100);
    Child(f.graph, "ResetDefaultsAction")->trigger();
    const GraphDrawingState& s = f.graph.State();
    EXPECT_EQ(s.View, Projection::XZ);
    EXPECT_EQ(s.Scale, 1e11);
    EXPECT_EQ(s.CircleRadius, 6);
    EXPECT_EQ(s.XShift, 0);
    EXPECT_EQ(s.YShift, 0);
    EXPECT_EQ(s.Symbol, SymbolMode::Icons);
    EXPECT_TRUE(s.RefreshEachStep);
    EXPECT_TRUE(s.DrawSmall);
    EXPECT_FALSE(s.DarkBackground);
    EXPECT_TRUE(s.Highlight);
    for (const char* name : {"XzAction", "XzButton", "IconsAction", "DrawSmallAction", "RefreshAction"})
        EXPECT_TRUE(Child(f.graph, name)->isChecked()) << name;
    EXPECT_FALSE(Child(f.graph, "YzButton")->isChecked());
    EXPECT_EQ(f.graph.StatusText(), ProjectionStatusText(Projection::XZ));
}

TEST(TGraph, DarkBackgroundFillsBlackAndWritesTheTimeInWhite) {
    GraphFixture f;
    f.graph.ToggleBackground();
    f.graph.SetSymbol(SymbolMode::Circles);
    Particles p(2);
    p.Place(1, 0, 0, -5);
    f.graph.PlotUpdate(p.Snapshot(2.5e-14f));
    const QImage& image = f.graph.Picture();
    EXPECT_EQ(image.pixelColor(image.width() - 1, image.height() - 1), QColor(Qt::black));
    // The circle is filled with the canvas brush, black after the fill.
    const QPoint centre(image.width() / 2, image.height() / 4 + 50);
    EXPECT_EQ(image.pixelColor(centre), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(centre + QPoint(0, -4)), QColor(Qt::blue));
    EXPECT_FALSE(PixelsOf(image, Qt::white, 0).isNull());
    // Without refresh each step the background stays and the text is black.
    f.graph.ToggleRefreshEachStep();
    f.graph.PlotUpdate(p.Snapshot(2.5e-14f));
    EXPECT_TRUE(PixelsOf(f.graph.Picture(), Qt::black, 0).isValid());
    EXPECT_EQ(f.graph.Picture().pixelColor(f.graph.Picture().width() - 1, 0), QColor(Qt::white));
}

TEST(TGraph, WithoutRefreshSnapshotsLeaveTrails) {
    GraphFixture f;
    f.graph.SetSymbol(SymbolMode::Points);
    f.graph.SetProjection(Projection::XY);
    Particles p(2);
    p.Place(1, -5, 0, 0);
    f.graph.PlotUpdate(p.Snapshot());
    p.Place(1, 5, 0, 0);
    f.graph.PlotUpdate(p.Snapshot());
    EXPECT_EQ(PixelsOf(f.graph.Picture(), Qt::blue).width(), 3);  // refreshed: only the last
    Child(f.graph, "RefreshAction")->trigger();
    EXPECT_EQ(PixelsOf(f.graph.Picture(), Qt::blue).width(), 103);  // the run's kept frames as trails
    p.Place(1, 10, 0, 0);
    f.graph.PlotUpdate(p.Snapshot());
    EXPECT_EQ(PixelsOf(f.graph.Picture(), Qt::blue).width(), 153);
}

TEST(TGraph, ResetClearsAndResizeRedrawsAtTheAreaSize) {
    GraphFixture f;
    Particles p(1);
    f.graph.PlotUpdate(p.Snapshot());
    f.graph.PlotReset();
    EXPECT_TRUE(AllWhite(f.graph.Picture()));
    EXPECT_EQ(f.graph.Picture().size(), f.graph.PictureArea()->size());
    f.graph.PlotUpdate(p.Snapshot());
    f.graph.resize(f.graph.width() + 40, f.graph.height() - 30);
    QApplication::processEvents();
    EXPECT_EQ(f.graph.Picture().size(), f.graph.PictureArea()->size());
    EXPECT_FALSE(AllWhite(f.graph.Picture()));  // the frame again, not a blank picture
}

TEST(TGraph, SnapshotsWithoutArraysOrWithWildValuesDrawSafely) {
    GraphFixture f;
    f.graph.SetSymbol(SymbolMode::Circles);
    f.graph.PlotUpdate(PlotSnapshot{});
    Particles p(3);
    p.X[1] = std::nan("");
    p.Z[2] = 1e300;
    p.Place(0, 0, 0, -1);
    f.graph.PlotUpdate(p.Snapshot());
    EXPECT_EQ(PixelsOf(f.graph.Picture(), Qt::red).center(),
              QPoint(f.graph.Picture().width() / 2, f.graph.Picture().height() / 4 + 10));
    f.graph.SetSymbol(SymbolMode::Icons);
    f.graph.PlotUpdate(p.Snapshot());
}

TEST(TGraph, CopiedImageHoldsTheAxesOverThePicture) {
    GraphFixture f;
    Particles p(1);
    f.graph.PlotUpdate(p.Snapshot());
    Child(f.graph, "CopyImageAction")->trigger();
    const QImage copied = QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(copied, f.graph.ComposedPicture().convertToFormat(QImage::Format_RGB32));
    // 10 px per A: a tick every 10 A on the bottom axis, one at the origin's column.
    const int x = copied.width() / 2;
    const int y = copied.height() - 3;
    EXPECT_NE(copied.pixelColor(x, y), QColor(Qt::white));
    EXPECT_NE(copied.pixelColor(x + 100, y), QColor(Qt::white));
    EXPECT_EQ(copied.pixelColor(x + 50, y), QColor(Qt::white));
    EXPECT_EQ(f.graph.Picture().pixelColor(x, y), QColor(Qt::white));  // not in the particles' picture
}

TEST(TGraph, TickStepsAreOneTwoOrFiveTimesAPowerOfTen) {
    const struct {
        double PerUnit, MinPixels, Step;
    } cases[] = {{10, 64, 10}, {10, 80, 10}, {20, 64, 5}, {1.25, 64, 100}, {0.01, 64, 10000}, {300, 64, 0.5},
                 {64, 64, 1}};
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(TickStep(c.PerUnit, c.MinPixels), c.Step) << c.PerUnit;
    EXPECT_EQ(TickStep(0, 64), 0);
}

TEST(TGraph, DoubleClickPausesWithABox) {
    GraphFixture f;
    QTest::mouseDClick(f.graph.PictureArea(), Qt::LeftButton);
    ASSERT_EQ(f.recorder.Messages.size(), 1u);
    EXPECT_EQ(f.recorder.Messages[0].first, MessageKind::Information);
    EXPECT_EQ(f.recorder.Messages[0].second, QStringLiteral("Pause in routine..."));
}

// ---------------------------------------------------------------------------
// The kept frames.

// A job of two runs: run 1 moves particle 1 along x by 1 A a snapshot (five
// snapshots), run 2 stands at -20 A (two snapshots).
void TwoRuns(TGraph& graph, Particles& p) {
    graph.BeginJob();
    graph.PlotReset();
    for (int k = 0; k < 5; ++k) {
        p.Place(1, k, 0, -3);
        graph.PlotUpdate(p.Snapshot(static_cast<float>(k) * 1e-15f));
    }
    graph.PlotReset();
    for (int k = 0; k < 2; ++k) {
        p.Place(1, -20, 0, -3);
        graph.PlotUpdate(p.Snapshot(static_cast<float>(k) * 1e-15f));
    }
}

TEST(TGraph, AfterTheJobTheSliderAndRunBoxGoThroughTheKeptFrames) {
    GraphFixture f;
    f.graph.SetSymbol(SymbolMode::Points);
    Particles p(2);
    TwoRuns(f.graph, p);
    auto* slider = Child<QSlider>(f.graph, "FrameSlider");
    auto* runs = Child<QSpinBox>(f.graph, "RunBox");
    EXPECT_FALSE(slider->isEnabled()) << "the job runs: the picture follows it";
    f.graph.EndJob();
    EXPECT_TRUE(slider->isEnabled());
    EXPECT_EQ(runs->value(), 2);
    EXPECT_EQ(slider->maximum(), 1);
    const int centre = f.graph.Picture().width() / 2;
    runs->setValue(1);
    EXPECT_EQ(slider->maximum(), 4);
    EXPECT_EQ(slider->value(), 4);
    for (int k : {0, 2, 4}) {
        slider->setValue(k);
        EXPECT_EQ(PixelsOf(f.graph.Picture(), Qt::blue).center().x(), centre + 10 * k) << k;
        // A change of view keeps the frame.
        f.graph.ZoomIn();
        EXPECT_EQ(PixelsOf(f.graph.Picture(), Qt::blue).center().x(), centre + 20 * k) << k;
        f.graph.ZoomOut();
    }
    EXPECT_EQ(Child<QLabel>(f.graph, "FrameLabel")->text(), QStringLiteral("run 1 of 2, frame 5 of 5, t = 4.00 fs"));
}

TEST(TGraph, PausedJobWaitsAtItsNextSnapshotUntilResumedOrCancelled) {
    const struct {
        const char* How;
        std::function<void(TGraph&, ProgramContext&)> End;
    } cases[] = {
        {"resumed", [](TGraph& g, ProgramContext&) { g.SetPaused(false); }},
        {"cancelled", [](TGraph&, ProgramContext& p) { p.AbortRequested = true; }},
        {"hidden", [](TGraph& g, ProgramContext&) { g.hide(); }},
    };
    for (const auto& c : cases) {
        GraphFixture f;
        f.graph.SetSymbol(SymbolMode::Points);
        Particles p(2);
        TwoRuns(f.graph, p);
        Child(f.graph, "PauseAction")->trigger();
        EXPECT_TRUE(f.graph.Paused());
        bool browsed = false;
        QTimer::singleShot(0, [&] {
            // Waiting: the frames can be gone through.
            browsed = f.graph.CanBrowse() && Child<QSlider>(f.graph, "FrameSlider")->isEnabled();
            f.graph.ShowFrame(0, 1);
            browsed = browsed && PixelsOf(f.graph.Picture(), Qt::blue).center().x() == f.graph.Picture().width() / 2 + 10;
            c.End(f.graph, f.program);
        });
        f.graph.PlotUpdate(p.Snapshot());  // returns once the pause has ended
        EXPECT_TRUE(browsed) << c.How;
        EXPECT_FALSE(f.graph.Paused()) << c.How;
        EXPECT_FALSE(f.graph.CanBrowse()) << c.How;
    }
}

TEST(FrameHistory, ThinsEvenlyWithinItsBudgetAndKeepsEveryRunsLatestFrame) {
    Particles p(100);  // 1200 bytes of coordinates a frame
    const std::size_t frame = 3 * 100 * sizeof(float) + sizeof(GraphFrame);
    const struct {
        std::size_t BudgetFrames;
        int Snapshots;
        std::vector<std::int32_t> Kept;  // sequences of the run
        std::int32_t Stride;
    } cases[] = {
        {100, 10, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 1},
        {8, 10, {0, 2, 4, 6, 8, 9}, 2},
        {5, 10, {0, 4, 8, 9}, 4},
        {5, 13, {0, 4, 8, 12}, 4},
    };
    for (const auto& c : cases) {
        FrameHistory history(c.BudgetFrames * frame);
        history.BeginRun();
        for (int k = 0; k < c.Snapshots; ++k) history.Add(p.Snapshot(static_cast<float>(k)));
        std::vector<std::int32_t> kept;
        for (const GraphFrame& f : history.Runs()[0].Frames) kept.push_back(f.Sequence);
        EXPECT_EQ(kept, c.Kept) << c.BudgetFrames << " frames, " << c.Snapshots << " snapshots";
        EXPECT_EQ(history.Stride(), c.Stride);
        EXPECT_LE(history.Bytes(), c.BudgetFrames * frame);
    }
    // A second run thins the first as well, and the first keeps its last frame.
    FrameHistory history(6 * frame);
    for (int run = 0; run < 2; ++run) {
        history.BeginRun();
        for (int k = 0; k < 5; ++k) history.Add(p.Snapshot(static_cast<float>(k)));
    }
    ASSERT_EQ(history.Runs().size(), 2u);
    EXPECT_EQ(history.Runs()[0].Frames.back().Sequence, 4);
    EXPECT_EQ(history.Runs()[1].Frames.back().Sequence, 4);
    EXPECT_LE(history.Bytes(), 6 * frame);
    EXPECT_EQ(history.Runs()[1].Number, 2);
}

// ---------------------------------------------------------------------------
// The depth sort.

TEST(DepthShellSort, PassCountIsTheIntegerPartOfLog2) {
    for (int n = 1; n <= 10000; ++n) {
        const int floorLog2 = static_cast<int>(std::bit_width(static_cast<unsigned>(n))) - 1;
        ASSERT_EQ(ShellSortPassCount(n), floorLog2) << n;
    }
}

// The sort written out with its gap sequence n/2, n/4, ... as a list, on
// 1-based positions.
void ReferenceSort(int n, std::vector<std::tuple<double, double, double, std::int32_t>>& items) {
    std::vector<int> gaps;
    for (int gap = n / 2; gaps.size() < static_cast<std::size_t>(std::floor(std::log2(n) + 1e-9)); gap /= 2)
        gaps.push_back(gap);
    for (int gap : gaps)
        for (int c = 1; c <= n - gap; ++c)
            for (int d = c; d >= 1 && std::get<2>(items[d - 1]) > std::get<2>(items[d + gap - 1]); d -= gap)
                std::swap(items[d - 1], items[d + gap - 1]);
}

TEST(DepthShellSort, MatchesTheReferenceOnRandomDataTiesIncluded) {
    std::mt19937 random(2001);
    for (int n : {1, 2, 3, 7, 8, 9, 100, 1023, 1024, 10000}) {
        for (bool ties : {false, true}) {
            std::uniform_int_distribution<int> level(0, 4);
            std::uniform_real_distribution<double> real(-1e-9, 1e-9);
            std::vector<double> h(n), v(n), d(n);
            std::vector<std::int32_t> index(n);
            std::vector<std::tuple<double, double, double, std::int32_t>> reference;
            for (int i = 0; i < n; ++i) {
                h[i] = real(random);
                v[i] = real(random);
                d[i] = ties ? level(random) * 1e-10 : real(random);
                index[i] = i;
                reference.emplace_back(h[i], v[i], d[i], i);
            }
            std::vector<double> sortedDepths = d;
            std::sort(sortedDepths.begin(), sortedDepths.end());
            DepthShellSort(n, h.data(), v.data(), d.data(), index.data());
            ReferenceSort(n, reference);
            EXPECT_EQ(d, sortedDepths) << n;  // larger depth later
            for (int i = 0; i < n; ++i) {
                ASSERT_EQ(std::make_tuple(h[i], v[i], d[i], index[i]), reference[i]) << n << " at " << i;
            }
        }
    }
}

}  // namespace
}  // namespace vantrel
