// TGraph, the "Graph coordinates" window: a two-dimensional projection of
// the particles' positions or velocities, redrawn from every PlotSnapshot
// the running job hands over.  Drawing happens at once, on the job's thread,
// into an off-screen image that the picture area shows.
//
// The window keeps the frames of the job's runs (FrameHistory), so it is
// never blank after a run: it opens on the last frame, and every change of
// view (projection, zoom, shift, symbols) redraws the frame shown.  After
// the job, or with the job paused (the Pause button, Space), a slider and a
// run box go through the kept frames.  Over the picture stand axes in
// angstrom (km/s for a velocity plot), a scale bar, the surface line and a
// legend of the symbols; they are not part of Picture(), which holds the
// particles alone, but are part of the copied image.
//
// Commands are private actions with object names ("XzAction", "PauseAction",
// ...), by which tests and the screenshot programs find them.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include <QImage>
#include <QMainWindow>
#include <QWidget>

#include "job/program.h"
#include "ui/frame_history.h"
#include "ui/pictures.h"
#include "ui/ui_services.h"

class QAction;
class QLabel;
class QPainter;
class QSlider;
class QSpinBox;

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

// A tick step of 1, 2 or 5 times a power of ten, the smallest whose ticks
// lie at least minPixels apart at this many pixels per unit.
double TickStep(double pixelsPerUnit, double minPixels);

class TGraph;

// The picture area: shows the off-screen image with the axes, scale bar and
// legend over it, redraws on resizing, pans by dragging, zooms by the wheel
// and pauses on a double click.
class GraphPicture : public QWidget {
    Q_OBJECT

public:
    explicit GraphPicture(TGraph& owner, QWidget* parent);
    QSize sizeHint() const override { return {600, 450}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    TGraph& owner_;
    QPoint dragFrom_;
    bool dragging_ = false;
};

class TGraph : public QMainWindow {
    Q_OBJECT

public:
    static constexpr int HelpContext = 1000;

    explicit TGraph(ProgramContext& program, QWidget* parent = nullptr);

    void SetServices(const UiServices& services) { services_ = services; }

    // A job (or batch item) begins: its frames replace the last job's.  It
    // has ended: the frames can be gone through.
    void BeginJob();
    void EndJob();
    bool JobRunning() const { return jobRunning_; }

    // The job's notifications.  Every snapshot is kept (thinned); only a
    // visible window draws it.  A reset starts the next run.
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
    // Pause: a running job waits at its next snapshot until resumed (or
    // cancelled, or the window hidden); the frames can be gone through.
    void SetPaused(bool paused);
    bool Paused() const { return paused_; }

    // The kept frames: run (index into History().Runs()) and frame.
    const FrameHistory& History() const { return history_; }
    void ShowFrame(int run, int frame);
    int ShownRun() const { return shownRun_; }
    int ShownFrame() const { return shownFrame_; }
    // Whether the slider and run box may be used: after the job, or paused.
    bool CanBrowse() const;

    const GraphDrawingState& State() const { return state_; }
    // The particles and the time text, without the axes and the legend.
    const QImage& Picture() const { return picture_; }
    // The picture as the window shows it and Copy image copies it.
    QImage ComposedPicture() const;
    QString StatusText() const;
    GraphPicture* PictureArea() const { return pictureArea_; }

    // The pictures the icon mode draws.
    const QImage& IconImage(AtomIcon kind, bool small) const;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    friend class GraphPicture;

    // The menu and tool bar commands, found by their object names.
    struct Actions {
        QAction* Xz = nullptr;
        QAction* Xy = nullptr;
        QAction* Yz = nullptr;
        QAction* XzButton = nullptr;
        QAction* XyButton = nullptr;
        QAction* YzButton = nullptr;
        QAction* Circles = nullptr;
        QAction* Points = nullptr;
        QAction* Icons = nullptr;
        QAction* DrawSmall = nullptr;
        QAction* Refresh = nullptr;
        QAction* Pause = nullptr;
    };

    void BuildMenu();
    void BuildToolBar();
    void BuildBrowser();
    void SyncControls();
    void SyncBrowser();
    void ClearPicture();
    void DrawTime(float seconds);
    // Draws the frame shown (with its run's earlier frames as trails when
    // refresh each step is off), or clears the picture when there is none.
    void Redraw();
    void DrawFrame(const GraphRun& run, const GraphFrame& frame);
    void WaitWhilePaused();
    void PaintOverlay(QPainter& painter, const QSize& size) const;
    QPoint Origin(const QSize& size) const;

    ProgramContext& program_;
    UiServices services_;
    GraphDrawingState state_;
    GraphPicture* pictureArea_ = nullptr;
    QLabel* statusLabel_ = nullptr;
    QSlider* frameSlider_ = nullptr;
    QSpinBox* runBox_ = nullptr;
    QLabel* frameLabel_ = nullptr;
    Actions actions_;
    QImage picture_;
    QColor brush_ = Qt::white;  // the canvas brush: white on a fresh picture
    std::array<QImage, 6> icons_;

    FrameHistory history_;
    bool jobRunning_ = false;
    bool velocityPlot_ = false;  // the job plots velocities (fixed when it begins)
    bool paused_ = false;
    bool waiting_ = false;       // a job waits in WaitWhilePaused
    int shownRun_ = -1;          // -1: the latest frame, following the job
    int shownFrame_ = -1;
    bool typeBShown_ = false;    // the frame drawn last has type-B atoms

    // Working arrays of the icon mode and of kept frames, allocated once.
    std::vector<double> horizontal_;
    std::vector<double> vertical_;
    std::vector<double> depth_;
    std::vector<std::int32_t> index_;
    std::vector<double> frameA_, frameB_, frameC_;
};

}  // namespace vantrel
