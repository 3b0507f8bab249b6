#include "ui/graph_window.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <random>
#include <tuple>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QTest>

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

TEST(TGraph, AParticleLandsOnItsPixelInEachProjection) {
    // Particle 1 at x = 3 A, y = 7 A, z = -5 A; scale 1e11 px/m = 10 px/A.
    const struct {
        Projection View;
        int Dx, Dy;      // from the centre column and the origin row
        bool Quarter;    // origin a quarter of the height from the top
    } cases[] = {
        {Projection::XZ, 30, 50, true},
        {Projection::XY, 30, -70, false},
        {Projection::YZ, 70, 50, true},
    };
    for (const auto& c : cases) {
        GraphFixture f;
        f.graph.SetProjection(c.View);
        f.graph.SetSymbol(SymbolMode::Circles);
        Particles p(2);
        p.Place(1, 3, 7, -5);
        f.graph.PlotUpdate(p.Snapshot());
        const QImage& image = f.graph.Picture();
        const int x = image.width() / 2 + c.Dx;
        const int y = (c.Quarter ? image.height() / 4 : image.height() / 2) + c.Dy;
        const QRect blue = PixelsOf(image, Qt::blue);
        EXPECT_EQ(blue.center(), QPoint(x, y)) << static_cast<int>(c.View);
        EXPECT_EQ(blue.width(), 2 * SmallCircleRadius + 1);  // draw small: radius 4
        EXPECT_TRUE(PixelsOf(image, Qt::red).isNull());       // the projectile is far away
    }
}

TEST(TGraph, VerticalAxisPointsUpAndShiftsMoveTheOrigin) {
    GraphFixture f;
    f.graph.SetSymbol(SymbolMode::Points);
    f.graph.ShiftBy(-100, 100);
    Particles p(1);
    p.Place(0, 0, 0, 2);  // the projectile 2 A above the surface plane
    f.graph.PlotUpdate(p.Snapshot());
    const QImage& image = f.graph.Picture();
    const QRect red = PixelsOf(image, Qt::red);
    EXPECT_EQ(red.center(), QPoint(image.width() / 2 - 100, image.height() / 4 + 100 - 20));
    EXPECT_EQ(red.width(), 3);
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

TEST(TGraph, ZoomedCirclesUseTheCircleRadiusWhenNotSmall) {
    GraphFixture f;
    f.graph.SetSymbol(SymbolMode::Circles);
    f.graph.ToggleDrawSmall();
    f.graph.ZoomIn();  // radius 12, 20 px per A
    Particles p(2);
    p.Place(1, 1, 0, -3);
    f.graph.PlotUpdate(p.Snapshot());
    const QImage& image = f.graph.Picture();
    const QRect blue = PixelsOf(image, Qt::blue);
    EXPECT_EQ(blue.center(), QPoint(image.width() / 2 + 20, image.height() / 4 + 60));
    EXPECT_EQ(blue.width(), 25);
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
        const QPoint corner(image.width() / 2 + 50, image.height() / 4 + 40);  // icons hang from the point
        const QImage& icon = f.graph.IconImage(c.Expected, true);
        EXPECT_EQ(image.copy(QRect(corner, icon.size())), IconOnWhite(icon))
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
    EXPECT_EQ(image.copy(QRect(QPoint(image.width() / 2, image.height() / 4), icon.size())),
              IconOnWhite(icon, &behind));
}

TEST(TGraph, HiddenWindowIgnoresSnapshots) {
    GraphFixture f;
    Particles p(2);
    p.Place(1, 0, 0, -3);
    f.graph.hide();
    f.graph.PlotUpdate(p.Snapshot());
    EXPECT_TRUE(AllWhite(f.graph.Picture()));
    f.graph.show();
    f.graph.PlotUpdate(p.Snapshot());
    EXPECT_FALSE(AllWhite(f.graph.Picture()));
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

TEST(TGraph, ShiftButtonsMove100AndPlusYMovesThePictureUp) {
    GraphFixture f;
    f.graph.PlusXButton->trigger();
    EXPECT_EQ(f.graph.State().XShift, 100);
    f.graph.MinusXButton->trigger();
    f.graph.MinusXButton->trigger();
    EXPECT_EQ(f.graph.State().XShift, -100);
    f.graph.PlusYButton->trigger();
    EXPECT_EQ(f.graph.State().YShift, -100);
    f.graph.MinusYButton->trigger();
    f.graph.MinusYButton->trigger();
    EXPECT_EQ(f.graph.State().YShift, 100);
    EXPECT_EQ(f.graph.PlusXButton->toolTip(), QStringLiteral("+x shift"));
    EXPECT_EQ(f.graph.MinusXButton->toolTip(), QStringLiteral("-x shift"));
    EXPECT_EQ(f.graph.PlusYButton->toolTip(), QStringLiteral("+y shift"));
    EXPECT_EQ(f.graph.MinusYButton->toolTip(), QStringLiteral("-y shift"));
    EXPECT_EQ(f.graph.ZoomInButton->toolTip(), QStringLiteral("zoom in"));
    EXPECT_EQ(f.graph.ZoomOutButton->toolTip(), QStringLiteral("zoom out"));
}

TEST(TGraph, ProjectionCommandsSetStatusTextChecksAndButtons) {
    GraphFixture f;
    const struct {
        QAction* Command;
        QAction* Button;
        const char* Status;
    } cases[] = {
        {f.graph.XyAction, f.graph.XyButton, "XY plane: Ctrl + Circles/Points/Icons/Small/F5-F7/Kopy/Zoom/Refresh/Default"},
        {f.graph.YzAction, f.graph.YzButton, "YZ plane: Ctrl + Circles/Points/Icons/Small/F5-F7/Kopy/Zoom/Refresh/Default"},
        {f.graph.XzAction, f.graph.XzButton, "XZ plane: Ctrl + Circles/Points/Icons/Small/F5-F7/Kopy/Zoom/Refresh/Default"},
    };
    for (const auto& c : cases) {
        Particles p(1);
        f.graph.PlotUpdate(p.Snapshot());
        ASSERT_FALSE(AllWhite(f.graph.Picture()));
        c.Command->trigger();
        EXPECT_EQ(f.graph.StatusText(), QString::fromLatin1(c.Status));
        EXPECT_TRUE(c.Command->isChecked());
        EXPECT_TRUE(c.Button->isChecked());
        EXPECT_TRUE(AllWhite(f.graph.Picture()));  // cleared
    }
    f.graph.YzButton->trigger();
    EXPECT_EQ(f.graph.State().View, Projection::YZ);
    EXPECT_TRUE(f.graph.YzAction->isChecked());
    EXPECT_FALSE(f.graph.XzAction->isChecked());
}

TEST(TGraph, MenuCommandsCarryTheirCaptionsAndShortcuts) {
    GraphFixture f;
    const struct {
        QAction* Action;
        const char* Text;
        const char* Keys;
    } cases[] = {
        {f.graph.XzAction, "x&z-plane", "Ctrl+F5"},
        {f.graph.XyAction, "&xy-plane", "Ctrl+F6"},
        {f.graph.YzAction, "&yz-plane", "Ctrl+F7"},
        {f.graph.CopyImageAction, "&Copy image", "Ctrl+K"},
        {f.graph.ZoomInAction, "Zoom &in", "Ctrl+Z"},
        {f.graph.ZoomOutAction, "Zoom &out", "Ctrl+Shift+Z"},
        {f.graph.CirclesAction, "&Circles", "Ctrl+C"},
        {f.graph.PointsAction, "&Points", "Ctrl+P"},
        {f.graph.IconsAction, "&Icons", "Ctrl+I"},
        {f.graph.DrawSmallAction, "Draw &small", "Ctrl+S"},
        {f.graph.RefreshAction, "&Refresh each step", "Ctrl+R"},
        {f.graph.BackgroundAction, "&Toggle background colour", ""},
        {f.graph.ResetDefaultsAction, "Reset &defaults", "Ctrl+D"},
        {f.graph.HighlightAction, "&Highlight", "F2"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.Action->text(), QString::fromLatin1(c.Text));
        EXPECT_EQ(c.Action->shortcut(), QKeySequence(QString::fromLatin1(c.Keys))) << c.Text;
    }
    EXPECT_FALSE(f.graph.HighlightAction->isCheckable());
    EXPECT_EQ(f.graph.windowTitle(), QStringLiteral("Graph coordinates"));
    EXPECT_EQ(f.graph.OptionsMenu->title(), QStringLiteral("&Options"));
    EXPECT_EQ(f.graph.PerspectiveMenu->title(), QStringLiteral("&Perspective"));
    EXPECT_EQ(f.graph.SymbolsMenu->title(), QStringLiteral("&Symbols"));
    EXPECT_EQ(f.graph.AtomLimitLabel->text(), QStringLiteral("Only 10,000 atoms displayed"));
    EXPECT_EQ(f.graph.XzButton->text(), QStringLiteral("xz"));
}

TEST(TGraph, SymbolsAreARadioGroup) {
    GraphFixture f;
    EXPECT_TRUE(f.graph.IconsAction->isChecked());
    f.graph.CirclesAction->trigger();
    EXPECT_EQ(f.graph.State().Symbol, SymbolMode::Circles);
    EXPECT_TRUE(f.graph.CirclesAction->isChecked());
    EXPECT_FALSE(f.graph.IconsAction->isChecked());
    f.graph.PointsAction->trigger();
    EXPECT_EQ(f.graph.State().Symbol, SymbolMode::Points);
    EXPECT_FALSE(f.graph.CirclesAction->isChecked());
    f.graph.DrawSmallAction->trigger();
    EXPECT_FALSE(f.graph.State().DrawSmall);
    EXPECT_FALSE(f.graph.DrawSmallAction->isChecked());
    EXPECT_TRUE(f.graph.PointsAction->isChecked());
}

TEST(TGraph, ResetDefaultsRestoresAllButHighlightWithoutRedrawing) {
    GraphFixture f;
    f.graph.YzAction->trigger();
    f.graph.ZoomInAction->trigger();
    f.graph.CirclesAction->trigger();
    f.graph.DrawSmallAction->trigger();
    f.graph.RefreshAction->trigger();
    f.graph.BackgroundAction->trigger();
    f.graph.HighlightAction->trigger();
    f.graph.ShiftBy(25, -100);
    Particles p(2);
    p.Place(1, 1, 1, -1);
    f.graph.PlotUpdate(p.Snapshot());
    const QImage before = f.graph.Picture();
    f.graph.ResetDefaultsAction->trigger();
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
    EXPECT_TRUE(f.graph.XzAction->isChecked());
    EXPECT_TRUE(f.graph.XzButton->isChecked());
    EXPECT_FALSE(f.graph.YzButton->isChecked());
    EXPECT_TRUE(f.graph.IconsAction->isChecked());
    EXPECT_TRUE(f.graph.DrawSmallAction->isChecked());
    EXPECT_TRUE(f.graph.RefreshAction->isChecked());
    EXPECT_EQ(f.graph.StatusText(), ProjectionStatusText(Projection::XZ));
    EXPECT_EQ(f.graph.Picture(), before);
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
    f.graph.RefreshAction->trigger();
    p.Place(1, -5, 0, 0);
    f.graph.PlotUpdate(p.Snapshot());
    p.Place(1, 5, 0, 0);
    f.graph.PlotUpdate(p.Snapshot());
    EXPECT_EQ(PixelsOf(f.graph.Picture(), Qt::blue).width(), 103);  // both
}

TEST(TGraph, ResetAndResizeClearThePictureToTheAreaSize) {
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
    EXPECT_TRUE(AllWhite(f.graph.Picture()));
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

TEST(TGraph, CopyImagePutsThePictureOnTheClipboard) {
    GraphFixture f;
    Particles p(1);
    f.graph.PlotUpdate(p.Snapshot());
    f.graph.CopyImageAction->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), f.graph.Picture());
}

TEST(TGraph, DoubleClickPausesWithABox) {
    GraphFixture f;
    QTest::mouseDClick(f.graph.PictureArea(), Qt::LeftButton);
    ASSERT_EQ(f.recorder.Messages.size(), 1u);
    EXPECT_EQ(f.recorder.Messages[0].first, MessageKind::Information);
    EXPECT_EQ(f.recorder.Messages[0].second, QStringLiteral("Pause in routine..."));
}

// ---------------------------------------------------------------------------
// The depth sort.

TEST(DepthShellSort, PassCountIsTheIntegerPartOfLog2) {
    EXPECT_EQ(ShellSortPassCount(1), 0);
    EXPECT_EQ(ShellSortPassCount(2), 1);
    EXPECT_EQ(ShellSortPassCount(3), 1);
    EXPECT_EQ(ShellSortPassCount(10000), 13);
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
