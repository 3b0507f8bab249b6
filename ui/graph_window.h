// TGraph, the "Graph coordinates" window: a two-dimensional projection of
// the particles' positions or velocities, redrawn from every PlotSnapshot
// the running job hands over.  Drawing happens at once, on the job's thread,
// into an off-screen image that the picture area shows.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include <QImage>
#include <QMainWindow>
#include <QWidget>

#include "job/program.h"
#include "ui/pictures.h"
#include "ui/ui_services.h"

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QToolBar;

namespace vantrel {

enum class Projection { XZ, XY, YZ };
enum class SymbolMode { Circles, Points, Icons };

// The window's drawing state.  Start values are those of a new window; the
// scale is taken from GraphScale each time the window is shown.
struct GraphDrawingState {
    Projection View = Projection::XZ;
    double Scale = SpatialGraphScale;  // pixels per metre, or per m/s
    int CircleRadius = 6;              // pixels, when draw small is off
    int XShift = 0;                    // pixels
    int YShift = 0;                    // pixels
    SymbolMode Symbol = SymbolMode::Icons;
    bool RefreshEachStep = true;  // clear before every snapshot
    bool DrawSmall = true;        // small icons, circles of radius 4
    bool Highlight = false;       // icon by depth instead of by type
    bool DarkBackground = false;  // black fill while refresh each step is on
};

inline constexpr int MaxDrawnParticles = 10000;  // particles 0..9999
inline constexpr int SmallCircleRadius = 4;      // pixels
inline constexpr int ShiftStep = 100;            // tool buttons and Shift+arrow, pixels
inline constexpr int ArrowStep = 25;             // arrow keys, pixels
inline constexpr double HighlightDepth = 1e-10;  // depth above which highlight picks the projectile icon

// Reset defaults: everything back to its start value except highlight, and
// the scale to the spatial one.
void ResetDrawingDefaults(GraphDrawingState& state);

// Half the radius, halves to even, at least 1.
int ZoomedOutRadius(int radius);

// Number of passes of the depth sort over count elements: the integer part
// of log2(count) (so the last gap is 1).
int ShellSortPassCount(int count);

// Sorts count elements by ascending depth, carrying the horizontal and
// vertical values and the indices along: a Shell sort whose gap starts at
// count and is halved before each pass.  Sorts in place; allocates nothing.
void DepthShellSort(int count, double* horizontal, double* vertical, double* depth, std::int32_t* index);

// The status text that names a projection.
QString ProjectionStatusText(Projection view);

class TGraph;

// The picture area: shows the off-screen image, clears it on resizing and
// pauses on a double click.
class GraphPicture : public QWidget {
    Q_OBJECT

public:
    explicit GraphPicture(TGraph& owner, QWidget* parent);
    QSize sizeHint() const override { return {600, 450}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    TGraph& owner_;
};

class TGraph : public QMainWindow {
    Q_OBJECT

public:
    static constexpr int HelpContext = 1000;

    explicit TGraph(ProgramContext& program, QWidget* parent = nullptr);

    void SetServices(const UiServices& services) { services_ = services; }

    // The job's notifications.  A hidden window ignores snapshots.
    void PlotUpdate(const PlotSnapshot& snapshot);
    void PlotReset();

    // Draws a snapshot whether or not the window is visible.
    void DrawSnapshot(const PlotSnapshot& snapshot);

    // Commands of the menu, the tool bar and the keys.
    void SetProjection(Projection view);
    void CopyImage();
    void ZoomIn();
    void ZoomOut();
    void SetSymbol(SymbolMode symbol);
    void ToggleDrawSmall();
    void ToggleRefreshEachStep();
    void ToggleBackground();
    void ResetDefaults();
    void ToggleHighlight();
    void ShiftBy(int dx, int dy);
    void PauseClick();

    const GraphDrawingState& State() const { return state_; }
    const QImage& Picture() const { return picture_; }
    QString StatusText() const;
    GraphPicture* PictureArea() const { return pictureArea_; }

    // The pictures the icon mode draws.
    const QImage& IconImage(AtomIcon kind, bool small) const;

    QAction* XzAction = nullptr;
    QAction* XyAction = nullptr;
    QAction* YzAction = nullptr;
    QAction* CopyImageAction = nullptr;
    QAction* ZoomInAction = nullptr;
    QAction* ZoomOutAction = nullptr;
    QAction* CirclesAction = nullptr;
    QAction* PointsAction = nullptr;
    QAction* IconsAction = nullptr;
    QAction* DrawSmallAction = nullptr;
    QAction* RefreshAction = nullptr;
    QAction* BackgroundAction = nullptr;
    QAction* ResetDefaultsAction = nullptr;
    QAction* HighlightAction = nullptr;
    QAction* XzButton = nullptr;
    QAction* XyButton = nullptr;
    QAction* YzButton = nullptr;
    QAction* ZoomInButton = nullptr;
    QAction* ZoomOutButton = nullptr;
    QAction* PlusXButton = nullptr;
    QAction* MinusXButton = nullptr;
    QAction* PlusYButton = nullptr;
    QAction* MinusYButton = nullptr;
    QLabel* AtomLimitLabel = nullptr;
    QMenu* OptionsMenu = nullptr;
    QMenu* PerspectiveMenu = nullptr;
    QMenu* SymbolsMenu = nullptr;
    QToolBar* Tools = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    friend class GraphPicture;

    void BuildMenu();
    void BuildToolBar();
    void SyncControls();
    void ClearPicture();
    void DrawTime(float seconds);

    ProgramContext& program_;
    UiServices services_;
    GraphDrawingState state_;
    GraphPicture* pictureArea_ = nullptr;
    QLabel* statusLabel_ = nullptr;
    QImage picture_;
    QColor brush_ = Qt::white;  // the canvas brush: white on a fresh picture
    std::array<QImage, 6> icons_;

    // Working arrays of the icon mode, allocated once.
    std::vector<double> horizontal_;
    std::vector<double> vertical_;
    std::vector<double> depth_;
    std::vector<std::int32_t> index_;
};

}  // namespace vantrel
