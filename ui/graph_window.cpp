#include "ui/graph_window.h"

#include <algorithm>
#include <cmath>

#include <QAction>
#include <QActionGroup>
#include <QClipboard>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolBar>
#include <QWheelEvent>

#include "core/number_text.h"
#include "core/particles.h"
#include "core/units.h"

namespace vantrel {

namespace {

constexpr double Log2OfE = 1.442695022;
// Screen coordinates are held within this distance of the origin, far
// outside any picture, so a wild position or a huge zoom cannot overflow.
constexpr double CoordinateLimit = 1 << 24;
constexpr int MaxCircleRadius = 1 << 20;

int IconSlot(AtomIcon kind, bool small) { return static_cast<int>(kind) * 2 + (small ? 1 : 0); }

// One coordinate on screen: origin plus the rounded, scaled value (halves to even).
bool ScreenCoordinate(double value, double scale, int origin, int sign, int& out) {
    const double scaled = value * scale;
    if (!std::isfinite(scaled)) return false;
    const double rounded = std::nearbyint(std::clamp(scaled, -CoordinateLimit, CoordinateLimit));
    out = origin + sign * static_cast<int>(rounded);
    return true;
}

}  // namespace

void ResetDrawingDefaults(GraphDrawingState& state) {
    const bool highlight = state.Highlight;
    state = GraphDrawingState{};
    state.Highlight = highlight;
}

int ZoomedOutRadius(int radius) {
    const int half = static_cast<int>(std::nearbyint(radius * 0.5));
    return std::max(half, 1);
}

int ShellSortPassCount(int count) {
    if (count < 1) return 0;
    return static_cast<int>(std::log(static_cast<double>(count)) * Log2OfE + 1e-5);
}

void DepthShellSort(int count, double* horizontal, double* vertical, double* depth, std::int32_t* index) {
    // Positions 1..count live at array slots 0..count-1.
    auto swap = [&](int a, int b) {
        std::swap(horizontal[a - 1], horizontal[b - 1]);
        std::swap(vertical[a - 1], vertical[b - 1]);
        std::swap(depth[a - 1], depth[b - 1]);
        std::swap(index[a - 1], index[b - 1]);
    };
    const int passes = ShellSortPassCount(count);
    int gap = count;
    for (int pass = 0; pass < passes; ++pass) {
        gap /= 2;
        for (int c = 1; c <= count - gap; ++c) {
            for (int d = c; d >= 1 && depth[d - 1] > depth[d + gap - 1]; d -= gap) swap(d, d + gap);
        }
    }
}

double TickStep(double pixelsPerUnit, double minPixels) {
    if (!(pixelsPerUnit > 0) || !std::isfinite(pixelsPerUnit)) return 0;
    double step = std::pow(10.0, std::floor(std::log10(minPixels / pixelsPerUnit)));
    for (;;) {
        for (double factor : {1.0, 2.0, 5.0})
            if (factor * step * pixelsPerUnit >= minPixels) return factor * step;
        step *= 10;
    }
}

QString ProjectionStatusText(Projection view) {
    const char* name = view == Projection::XZ ? "XZ" : view == Projection::XY ? "XY" : "YZ";
    return QString::fromLatin1(name) +
           QStringLiteral(" plane: Ctrl + Circles/Points/Icons/Small/F5-F7/Kopy/Zoom/Refresh/Default");
}

// ---------------------------------------------------------------------------

namespace {

// The two drawn coordinates and the depth of a projection, as axis names.
struct AxisNames {
    const char* Horizontal;
    const char* Vertical;
    const char* Depth;
};

AxisNames NamesOf(Projection view) {
    switch (view) {
        case Projection::XY: return {"x", "y", "z"};
        case Projection::YZ: return {"y", "z", "x"};
        case Projection::XZ: break;
    }
    return {"x", "z", "y"};
}

// A tick value without the noise of its sum: 0.30000000000000004 is 0.3.
QString TickText(double value, double step) {
    double rounded = std::round(value / step) * step;
    if (std::fabs(rounded) < step * 1e-6) rounded = 0;
    return QString::number(rounded, 'g', 6);
}

}  // namespace

GraphPicture::GraphPicture(TGraph& owner, QWidget* parent) : QWidget(parent), owner_(owner) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void GraphPicture::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.drawImage(QPoint(0, 0), owner_.picture_);
    owner_.PaintOverlay(painter, owner_.picture_.size());
}

void GraphPicture::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    owner_.Redraw();
}

void GraphPicture::mouseDoubleClickEvent(QMouseEvent*) { owner_.PauseClick(); }

void GraphPicture::mousePressEvent(QMouseEvent* event) {
    dragging_ = event->button() == Qt::LeftButton;
    dragFrom_ = event->position().toPoint();
}

void GraphPicture::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_ || !(event->buttons() & Qt::LeftButton)) return;
    const QPoint at = event->position().toPoint();
    const QPoint moved = at - dragFrom_;
    dragFrom_ = at;
    if (!moved.isNull()) owner_.ShiftBy(moved.x(), moved.y());
}

void GraphPicture::wheelEvent(QWheelEvent* event) {
    const int turn = event->angleDelta().y();
    if (turn > 0) owner_.ZoomIn();
    if (turn < 0) owner_.ZoomOut();
    event->accept();
}

// ---------------------------------------------------------------------------

TGraph::TGraph(ProgramContext& program, QWidget* parent)
    : QMainWindow(parent),
      program_(program),
      horizontal_(MaxDrawnParticles),
      vertical_(MaxDrawnParticles),
      depth_(MaxDrawnParticles),
      index_(MaxDrawnParticles) {
    setWindowTitle(QStringLiteral("Graph coordinates"));
    setObjectName(QStringLiteral("Graph"));
    // Opening the window leaves the keyboard with the main window.
    setAttribute(Qt::WA_ShowWithoutActivating);
    for (AtomIcon kind : {AtomIcon::TypeA, AtomIcon::Projectile, AtomIcon::TypeB})
        for (bool small : {false, true}) icons_[IconSlot(kind, small)] = AtomIconImage(kind, small);

    pictureArea_ = new GraphPicture(*this, this);
    pictureArea_->setObjectName(QStringLiteral("GraphPicture"));
    setCentralWidget(pictureArea_);
    statusLabel_ = new QLabel(this);
    statusLabel_->setObjectName(QStringLiteral("GraphStatus"));
    statusBar()->addWidget(statusLabel_, 1);
    BuildMenu();
    BuildToolBar();
    BuildBrowser();

    auto* help = new QAction(this);
    help->setShortcut(QKeySequence(Qt::Key_F1));
    connect(help, &QAction::triggered, this, [this] { services_.Help(HelpContext); });
    addAction(help);

    state_.Scale = program_.GraphScale;
    SyncControls();
    SyncBrowser();
    statusLabel_->setText(ProjectionStatusText(state_.View));
    resize(640, 600);
    ClearPicture();
}

void TGraph::BuildMenu() {
    QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
    options->setObjectName(QStringLiteral("OptionsMenu"));
    QMenu* perspective = options->addMenu(QStringLiteral("&Perspective"));
    perspective->setObjectName(QStringLiteral("PerspectiveMenu"));
    auto command = [&](QMenu* menu, const char* name, const char* text, QKeySequence keys, auto handler) {
        QAction* action = menu->addAction(QString::fromLatin1(text));
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(keys);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    auto* views = new QActionGroup(this);
    auto view = [&](const char* name, const char* text, int key, Projection p) {
        QAction* action = command(perspective, name, text, QKeySequence(Qt::CTRL | key), [this, p] { SetProjection(p); });
        action->setCheckable(true);
        views->addAction(action);
        return action;
    };
    actions_.Xz = view("XzAction", "x&z-plane", Qt::Key_F5, Projection::XZ);
    actions_.Xy = view("XyAction", "&xy-plane", Qt::Key_F6, Projection::XY);
    actions_.Yz = view("YzAction", "&yz-plane", Qt::Key_F7, Projection::YZ);

    command(options, "CopyImageAction", "&Copy image", QKeySequence(Qt::CTRL | Qt::Key_K), &TGraph::CopyImage);
    command(options, "ZoomInAction", "Zoom &in", QKeySequence(Qt::CTRL | Qt::Key_Z), &TGraph::ZoomIn);
    command(options, "ZoomOutAction", "Zoom &out", QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_Z), &TGraph::ZoomOut);

    QMenu* symbols = options->addMenu(QStringLiteral("&Symbols"));
    symbols->setObjectName(QStringLiteral("SymbolsMenu"));
    auto* symbolGroup = new QActionGroup(this);
    auto symbol = [&](const char* name, const char* text, int key, SymbolMode mode) {
        QAction* action = command(symbols, name, text, QKeySequence(Qt::CTRL | key), [this, mode] { SetSymbol(mode); });
        action->setCheckable(true);
        symbolGroup->addAction(action);
        return action;
    };
    actions_.Circles = symbol("CirclesAction", "&Circles", Qt::Key_C, SymbolMode::Circles);
    actions_.Points = symbol("PointsAction", "&Points", Qt::Key_P, SymbolMode::Points);
    actions_.Icons = symbol("IconsAction", "&Icons", Qt::Key_I, SymbolMode::Icons);
    symbols->addSeparator();
    actions_.DrawSmall =
        command(symbols, "DrawSmallAction", "Draw &small", QKeySequence(Qt::CTRL | Qt::Key_S), &TGraph::ToggleDrawSmall);
    actions_.DrawSmall->setCheckable(true);

    actions_.Refresh = command(options, "RefreshAction", "&Refresh each step", QKeySequence(Qt::CTRL | Qt::Key_R),
                               &TGraph::ToggleRefreshEachStep);
    actions_.Refresh->setCheckable(true);
    command(options, "BackgroundAction", "&Toggle background colour", QKeySequence(), &TGraph::ToggleBackground);
    command(options, "ResetDefaultsAction", "Reset &defaults", QKeySequence(Qt::CTRL | Qt::Key_D),
            &TGraph::ResetDefaults);
    command(options, "HighlightAction", "&Highlight", QKeySequence(Qt::Key_F2), &TGraph::ToggleHighlight);
}

void TGraph::BuildToolBar() {
    QToolBar* tools = addToolBar(QStringLiteral("Graph tools"));
    tools->setObjectName(QStringLiteral("GraphTools"));
    tools->setMovable(false);
    tools->setFocusPolicy(Qt::NoFocus);
    auto* views = new QActionGroup(this);
    auto view = [&](const char* name, const char* text, Projection p) {
        QAction* action = tools->addAction(QString::fromLatin1(text));
        action->setObjectName(QString::fromLatin1(name));
        action->setCheckable(true);
        views->addAction(action);
        connect(action, &QAction::triggered, this, [this, p] { SetProjection(p); });
        return action;
    };
    actions_.XzButton = view("XzButton", "xz", Projection::XZ);
    actions_.XyButton = view("XyButton", "xy", Projection::XY);
    actions_.YzButton = view("YzButton", "yz", Projection::YZ);
    tools->addSeparator();
    auto button = [&](const char* name, ToolIcon icon, const char* hint, auto handler) {
        QAction* action = tools->addAction(ToolBarIcon(icon), QString::fromLatin1(hint));
        action->setObjectName(QString::fromLatin1(name));
        action->setToolTip(QString::fromLatin1(hint));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    button("ZoomInButton", ToolIcon::ZoomIn, "zoom in", [this] { ZoomIn(); });
    button("ZoomOutButton", ToolIcon::ZoomOut, "zoom out", [this] { ZoomOut(); });
    tools->addSeparator();
    button("PlusXButton", ToolIcon::ShiftRight, "+x shift", [this] { ShiftBy(ShiftStep, 0); });
    button("MinusXButton", ToolIcon::ShiftLeft, "-x shift", [this] { ShiftBy(-ShiftStep, 0); });
    // "+y shift" moves the picture up: the screen's y grows downwards.
    button("PlusYButton", ToolIcon::ShiftUp, "+y shift", [this] { ShiftBy(0, -ShiftStep); });
    button("MinusYButton", ToolIcon::ShiftDown, "-y shift", [this] { ShiftBy(0, ShiftStep); });
    tools->addSeparator();
    actions_.Pause = tools->addAction(QStringLiteral("Pause"));
    actions_.Pause->setObjectName(QStringLiteral("PauseAction"));
    actions_.Pause->setCheckable(true);
    actions_.Pause->setShortcut(QKeySequence(Qt::Key_Space));
    actions_.Pause->setToolTip(QStringLiteral("Pause the job to look at its frames (Space)"));
    connect(actions_.Pause, &QAction::toggled, this, &TGraph::SetPaused);
    tools->addSeparator();
    auto* limit = new QLabel(QStringLiteral("Only 10,000 atoms displayed"), tools);
    limit->setObjectName(QStringLiteral("AtomLimitLabel"));
    limit->setContentsMargins(8, 0, 8, 0);
    tools->addWidget(limit);
}

void TGraph::BuildBrowser() {
    QToolBar* bar = new QToolBar(QStringLiteral("Frames"), this);
    bar->setObjectName(QStringLiteral("FrameBar"));
    bar->setMovable(false);
    addToolBar(Qt::BottomToolBarArea, bar);
    auto* runLabel = new QLabel(QStringLiteral(" Run "), bar);
    runBox_ = new QSpinBox(bar);
    runBox_->setObjectName(QStringLiteral("RunBox"));
    runBox_->setToolTip(QStringLiteral("Run of the job"));
    frameSlider_ = new QSlider(Qt::Horizontal, bar);
    frameSlider_->setObjectName(QStringLiteral("FrameSlider"));
    frameSlider_->setToolTip(QStringLiteral("Frames of the run, after the job or with the job paused"));
    frameSlider_->setMinimumWidth(160);
    frameLabel_ = new QLabel(bar);
    frameLabel_->setObjectName(QStringLiteral("FrameLabel"));
    frameLabel_->setContentsMargins(8, 0, 8, 0);
    bar->addWidget(runLabel);
    bar->addWidget(runBox_);
    bar->addWidget(frameSlider_);
    bar->addWidget(frameLabel_);
    connect(runBox_, &QSpinBox::valueChanged, this, [this](int run) {
        const auto& runs = history_.Runs();
        if (run >= 1 && run <= static_cast<int>(runs.size()))
            ShowFrame(run - 1, static_cast<int>(runs[run - 1].Frames.size()) - 1);
    });
    connect(frameSlider_, &QSlider::valueChanged, this, [this](int frame) {
        ShowFrame(shownRun_ >= 0 ? shownRun_ : static_cast<int>(history_.Runs().size()) - 1, frame);
    });
}

void TGraph::SyncControls() {
    actions_.Xz->setChecked(state_.View == Projection::XZ);
    actions_.Xy->setChecked(state_.View == Projection::XY);
    actions_.Yz->setChecked(state_.View == Projection::YZ);
    actions_.XzButton->setChecked(state_.View == Projection::XZ);
    actions_.XyButton->setChecked(state_.View == Projection::XY);
    actions_.YzButton->setChecked(state_.View == Projection::YZ);
    actions_.Circles->setChecked(state_.Symbol == SymbolMode::Circles);
    actions_.Points->setChecked(state_.Symbol == SymbolMode::Points);
    actions_.Icons->setChecked(state_.Symbol == SymbolMode::Icons);
    actions_.DrawSmall->setChecked(state_.DrawSmall);
    actions_.Refresh->setChecked(state_.RefreshEachStep);
}

void TGraph::SyncBrowser() {
    const auto& runs = history_.Runs();
    const bool browse = CanBrowse() && !history_.Empty();
    int run = shownRun_;
    if (run < 0) {
        run = static_cast<int>(runs.size()) - 1;
        while (run > 0 && runs[run].Frames.empty()) --run;
    }
    const int frames = run >= 0 ? static_cast<int>(runs[run].Frames.size()) : 0;
    const int frame = shownFrame_ >= 0 && shownRun_ >= 0 ? shownFrame_ : frames - 1;
    {
        const QSignalBlocker runSignals(runBox_);
        const QSignalBlocker frameSignals(frameSlider_);
        runBox_->setRange(1, std::max<int>(1, static_cast<int>(runs.size())));
        runBox_->setValue(run + 1);
        frameSlider_->setRange(0, std::max(0, frames - 1));
        frameSlider_->setValue(std::max(0, frame));
    }
    runBox_->setEnabled(browse);
    frameSlider_->setEnabled(browse);
    if (frames > 0 && frame >= 0) {
        const GraphFrame& f = runs[run].Frames[frame];
        frameLabel_->setText(QStringLiteral("run %1 of %2, frame %3 of %4, t = %5 fs")
                                 .arg(run + 1)
                                 .arg(runs.size())
                                 .arg(frame + 1)
                                 .arg(frames)
                                 .arg(ToQt(FormatRealDecimals(2, static_cast<double>(f.Time) * FemtosecondsPerSecond))));
    } else {
        frameLabel_->setText(QStringLiteral("no frames yet"));
    }
    {
        const QSignalBlocker pauseSignals(actions_.Pause);
        actions_.Pause->setChecked(paused_);
    }
    actions_.Pause->setEnabled(jobRunning_);
}

QString TGraph::StatusText() const { return statusLabel_->text(); }

const QImage& TGraph::IconImage(AtomIcon kind, bool small) const { return icons_[IconSlot(kind, small)]; }

bool TGraph::CanBrowse() const { return !jobRunning_ || waiting_; }

// ---------------------------------------------------------------------------
// The job's frames.

void TGraph::BeginJob() {
    history_.Clear();
    jobRunning_ = true;
    velocityPlot_ = program_.Options.GraphPlotType == 1;
    shownRun_ = shownFrame_ = -1;
    SyncBrowser();
}

void TGraph::EndJob() {
    jobRunning_ = false;
    paused_ = false;
    shownRun_ = shownFrame_ = -1;
    SyncBrowser();
}

void TGraph::PlotUpdate(const PlotSnapshot& snapshot) {
    history_.Add(snapshot);
    // A window going through kept frames leaves its picture alone.
    if (isVisible() && shownRun_ < 0) DrawSnapshot(snapshot);
    if (isVisible()) SyncBrowser();
    if (paused_ && jobRunning_) WaitWhilePaused();
}

void TGraph::PlotReset() {
    history_.BeginRun();
    shownRun_ = shownFrame_ = -1;
    ClearPicture();
    SyncBrowser();
}

void TGraph::SetPaused(bool paused) {
    paused_ = paused && jobRunning_;
    if (!paused_) shownRun_ = shownFrame_ = -1;
    SyncBrowser();
}

void TGraph::WaitWhilePaused() {
    if (waiting_) return;
    waiting_ = true;
    SyncBrowser();
    // The job waits here, on its own thread, while the window answers the
    // user; Cancel or Step in the main window, or hiding this one, end it.
    QEventLoop loop;
    while (paused_ && isVisible() && !program_.AbortRequested && !program_.AbortNow)
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    waiting_ = false;
    paused_ = false;
    shownRun_ = shownFrame_ = -1;
    SyncBrowser();
    Redraw();
}

void TGraph::ShowFrame(int run, int frame) {
    const auto& runs = history_.Runs();
    if (run < 0 || run >= static_cast<int>(runs.size())) return;
    const int frames = static_cast<int>(runs[run].Frames.size());
    if (frames == 0) return;
    shownRun_ = run;
    shownFrame_ = std::clamp(frame, 0, frames - 1);
    Redraw();
    SyncBrowser();
}

void TGraph::Redraw() {
    const auto& runs = history_.Runs();
    int run = shownRun_;
    int frame = shownFrame_;
    if (run < 0) {
        run = static_cast<int>(runs.size()) - 1;
        while (run >= 0 && runs[run].Frames.empty()) --run;
        if (run >= 0) frame = static_cast<int>(runs[run].Frames.size()) - 1;
    }
    ClearPicture();
    if (run < 0 || frame < 0) return;
    const GraphRun& shown = runs[run];
    // Trails: the run's frames up to this one, as the picture grew during the run.
    const int first = state_.RefreshEachStep ? frame : 0;
    for (int k = first; k <= frame; ++k) DrawFrame(shown, shown.Frames[k]);
}

void TGraph::DrawFrame(const GraphRun& run, const GraphFrame& frame) {
    const std::size_t count = frame.A.size();
    frameA_.assign(frame.A.begin(), frame.A.end());
    frameB_.assign(frame.B.begin(), frame.B.end());
    frameC_.assign(frame.C.begin(), frame.C.end());
    PlotSnapshot snapshot;
    snapshot.X = frameA_.data();
    snapshot.Y = frameB_.data();
    snapshot.Z = frameC_.data();
    snapshot.Flags = run.Flags.size() >= count ? run.Flags.data() : nullptr;
    snapshot.AtomCount = static_cast<std::int32_t>(count) - 1;
    snapshot.Time = frame.Time;
    DrawSnapshot(snapshot);
}

// ---------------------------------------------------------------------------
// Drawing.

void TGraph::ClearPicture() {
    // A fresh picture of the area's current size; its canvas brush is white.
    const QSize size = pictureArea_->size();
    picture_ = QImage(std::max(size.width(), 1), std::max(size.height(), 1), QImage::Format_RGB32);
    picture_.fill(Qt::white);
    brush_ = Qt::white;
    pictureArea_->update();
}

QPoint TGraph::Origin(const QSize& size) const {
    return {size.width() / 2 + state_.XShift,
            (state_.View == Projection::XY ? size.height() / 2 : size.height() / 4) + state_.YShift};
}

void TGraph::DrawSnapshot(const PlotSnapshot& snapshot) {
    if (state_.RefreshEachStep) {
        ClearPicture();
        if (state_.DarkBackground) {
            brush_ = Qt::black;
            picture_.fill(Qt::black);
        }
    }
    const QPoint origin = Origin(picture_.size());
    const int ox = origin.x();
    const int oy = origin.y();
    const int last = std::min(snapshot.AtomCount, MaxDrawnParticles - 1);

    // Horizontal, vertical and depth arrays of the projection.
    const double* h = snapshot.X;
    const double* v = snapshot.Z;
    const double* d = snapshot.Y;
    if (state_.View == Projection::XY) {
        v = snapshot.Y;
        d = snapshot.Z;
    } else if (state_.View == Projection::YZ) {
        h = snapshot.Y;
        d = snapshot.X;
    }
    const bool haveArrays = h != nullptr && v != nullptr && d != nullptr;
    auto isTypeB = [&](std::int32_t i) { return snapshot.Flags != nullptr && (snapshot.Flags[i] & TypeB) != 0; };
    typeBShown_ = false;

    QPainter painter(&picture_);
    if (haveArrays && last >= 0) {
        const double scale = state_.Scale;
        auto screen = [&](double hv, double vv, int& x, int& y) {
            return ScreenCoordinate(hv, scale, ox, 1, x) && ScreenCoordinate(vv, scale, oy, -1, y);
        };
        if (state_.Symbol == SymbolMode::Icons) {
            if (!state_.RefreshEachStep) pictureArea_->update();
            const int count = last + 1;
            std::copy(h, h + count, horizontal_.begin());
            std::copy(v, v + count, vertical_.begin());
            std::copy(d, d + count, depth_.begin());
            for (int i = 0; i < count; ++i) index_[i] = i;
            DepthShellSort(count, horizontal_.data(), vertical_.data(), depth_.data(), index_.data());
            for (int k = 0; k < count; ++k) {
                int x = 0, y = 0;
                if (!screen(horizontal_[k], vertical_[k], x, y)) continue;
                const std::int32_t i = index_[k];
                AtomIcon kind = AtomIcon::TypeA;
                if (isTypeB(i)) typeBShown_ = true;
                if (state_.Highlight) {
                    if (depth_[k] > HighlightDepth) kind = AtomIcon::Projectile;
                } else if (i == 0) {
                    kind = AtomIcon::Projectile;
                } else if (isTypeB(i)) {
                    kind = AtomIcon::TypeB;
                }
                // Centred on the particle's pixel, where a circle is centred
                // (an even size has its extra pixel right and below).
                const QImage& icon = IconImage(kind, state_.DrawSmall);
                painter.drawImage(QPoint(x - (icon.width() - 1) / 2, y - (icon.height() - 1) / 2), icon);
            }
        } else {
            const int r = state_.Symbol == SymbolMode::Points ? 1
                          : state_.DrawSmall                 ? SmallCircleRadius
                                                             : state_.CircleRadius;
            painter.setBrush(brush_);
            for (int i = 0; i <= last; ++i) {
                int x = 0, y = 0;
                if (!screen(h[i], v[i], x, y)) continue;
                painter.setPen(i == 0 ? Qt::red : Qt::blue);
                // Bounded by (x - r, y - r) and (x + r, y + r): the outline spans 2r + 1 pixels.
                painter.drawEllipse(QRect(x - r, y - r, 2 * r, 2 * r));
            }
        }
    }
    painter.end();
    DrawTime(snapshot.Time);
    pictureArea_->update();
}

void TGraph::DrawTime(float seconds) {
    QPainter painter(&picture_);
    painter.setFont(pictureArea_->font());
    const QFontMetrics metrics(painter.font());
    auto opaqueText = [&](const QString& text, const QColor& colour) {
        // Text is written on the canvas brush, which hides what was under it.
        const QRect box(0, 0, metrics.horizontalAdvance(text), metrics.height());
        painter.fillRect(box, brush_);
        painter.setPen(colour);
        painter.drawText(box, Qt::AlignLeft | Qt::AlignTop, text);
    };
    if (!state_.RefreshEachStep) opaqueText(QString(11, QLatin1Char(' ')), Qt::black);
    const QString text = QStringLiteral(" t = ") +
                         ToQt(FormatRealDecimals(2, static_cast<double>(seconds) * FemtosecondsPerSecond)) +
                         QStringLiteral(" fs");
    const bool white = state_.DarkBackground && state_.RefreshEachStep;
    opaqueText(text, white ? Qt::white : Qt::black);
}

QImage TGraph::ComposedPicture() const {
    QImage composed = picture_.copy();
    QPainter painter(&composed);
    PaintOverlay(painter, composed.size());
    return composed;
}

void TGraph::PaintOverlay(QPainter& painter, const QSize& size) const {
    // Units on the axes: angstrom for positions, km/s for velocities.
    const double unit = velocityPlot_ ? 1000.0 : MetresPerAngstrom;
    const double perUnit = state_.Scale * unit;  // pixels
    if (!(perUnit > 0) || !std::isfinite(perUnit)) return;
    const QString unitName = velocityPlot_ ? QStringLiteral("km/s") : QStringLiteral("\u00c5");
    const bool darkPicture = state_.DarkBackground && state_.RefreshEachStep;
    const QColor ink = darkPicture ? QColor(210, 210, 210) : QColor(80, 80, 80);
    const QColor faint = darkPicture ? QColor(120, 120, 120) : QColor(170, 170, 170);
    const int width = size.width();
    const int height = size.height();
    const QPoint origin = Origin(size);
    const AxisNames names = NamesOf(state_.View);
    const QString prefix = velocityPlot_ ? QStringLiteral("v") : QString();

    QFont font = pictureArea_->font();
    font.setPointSizeF(std::max(6.0, font.pointSizeF() - 1));
    painter.setFont(font);
    const QFontMetrics metrics(font);
    painter.setRenderHint(QPainter::Antialiasing, false);

    // The surface plane z = 0 of the xz and yz views.
    if (!velocityPlot_ && state_.View != Projection::XY && origin.y() >= 0 && origin.y() < height) {
        painter.setPen(QPen(faint, 1, Qt::DashLine));
        painter.drawLine(0, origin.y(), width, origin.y());
        painter.setPen(ink);
        const QString surface = QStringLiteral("surface");
        painter.drawText(width - metrics.horizontalAdvance(surface) - 6, origin.y() - 3, surface);
    }

    // Horizontal axis along the bottom edge, vertical axis along the left.
    const double step = TickStep(perUnit, 64);
    painter.setPen(ink);
    painter.drawLine(0, height - 1, width, height - 1);
    painter.drawLine(0, 0, 0, height);
    const double firstH = std::ceil(-origin.x() / perUnit / step) * step;
    for (double value = firstH; origin.x() + value * perUnit <= width; value += step) {
        const int x = origin.x() + static_cast<int>(std::lround(value * perUnit));
        painter.drawLine(x, height - 1, x, height - 6);
        painter.drawText(x + 2, height - 8, TickText(value, step));
    }
    const QString hName = prefix + QString::fromLatin1(names.Horizontal) + QStringLiteral(" (") + unitName + ")";
    painter.drawText(width - metrics.horizontalAdvance(hName) - 6, height - 8 - metrics.height(), hName);
    const int top = metrics.height() + 6;           // below the time text
    const int firstTick = top + metrics.height() + 4;  // below the axis name
    const double firstV = std::floor((origin.y() - firstTick) / perUnit / step) * step;
    for (double value = firstV; origin.y() - value * perUnit <= height - 2 * metrics.height(); value -= step) {
        const int y = origin.y() - static_cast<int>(std::lround(value * perUnit));
        if (y < firstTick) continue;
        painter.drawLine(0, y, 5, y);
        painter.drawText(7, y + metrics.ascent() / 2, TickText(value, step));
    }
    const QString vName = prefix + QString::fromLatin1(names.Vertical) + QStringLiteral(" (") + unitName + ")";
    painter.drawText(7, top + metrics.ascent(), vName);

    // Scale bar above the horizontal axis, at the right.
    const double barUnits = TickStep(perUnit, 80);
    const int barPixels = static_cast<int>(std::lround(barUnits * perUnit));
    const int barRight = width - 12;
    const int barY = height - 2 * metrics.height() - 16;
    painter.setPen(QPen(ink, 3));
    painter.drawLine(barRight - barPixels, barY, barRight, barY);
    painter.setPen(ink);
    const QString barText = TickText(barUnits, barUnits) + QStringLiteral(" ") + unitName;
    painter.drawText(barRight - (barPixels + metrics.horizontalAdvance(barText)) / 2, barY - 5, barText);

    // Legend of the symbols, top right.
    struct Entry {
        AtomIcon Icon;
        QColor Outline;  // circles and points
        QString Text;
    };
    std::vector<Entry> entries;
    if (state_.Symbol == SymbolMode::Icons && state_.Highlight) {
        const QString depth = prefix + QString::fromLatin1(names.Depth);
        const QString limit = velocityPlot_ ? QStringLiteral(" > 0") : QStringLiteral(" > 1 \u00c5");
        entries.push_back({AtomIcon::Projectile, Qt::red, QStringLiteral("highlighted: ") + depth + limit});
        entries.push_back({AtomIcon::TypeA, Qt::blue, QStringLiteral("the others")});
    } else if (state_.Symbol == SymbolMode::Icons) {
        entries.push_back({AtomIcon::Projectile, Qt::red, QStringLiteral("projectile")});
        entries.push_back({AtomIcon::TypeA, Qt::blue, typeBShown_ ? QStringLiteral("target atom, type A")
                                                                  : QStringLiteral("target atom")});
        if (typeBShown_) entries.push_back({AtomIcon::TypeB, Qt::blue, QStringLiteral("target atom, type B")});
    } else {
        entries.push_back({AtomIcon::Projectile, Qt::red, QStringLiteral("projectile")});
        entries.push_back({AtomIcon::TypeA, Qt::blue, QStringLiteral("target atoms")});
    }
    const int row = std::max(metrics.height(), 18);
    int textWidth = 0;
    for (const Entry& e : entries) textWidth = std::max(textWidth, metrics.horizontalAdvance(e.Text));
    const QRect box(width - textWidth - 46, 6, textWidth + 38, static_cast<int>(entries.size()) * row + 8);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(faint);
    painter.setBrush(darkPicture ? QColor(0, 0, 0, 200) : QColor(255, 255, 255, 220));
    painter.drawRect(box);
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const Entry& e = entries[k];
        const QRect symbol(box.left() + 6, box.top() + 4 + static_cast<int>(k) * row, 16, 16);
        if (state_.Symbol == SymbolMode::Icons) {
            painter.drawImage(symbol, IconImage(e.Icon, true));
        } else {
            painter.setPen(e.Outline);
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(symbol.adjusted(3, 3, -3, -3));
        }
        painter.setPen(ink);
        painter.drawText(symbol.right() + 8, symbol.top() + (16 + metrics.ascent() - metrics.descent()) / 2, e.Text);
    }
}

// ---------------------------------------------------------------------------
// Commands.

void TGraph::SetProjection(Projection view) {
    state_.View = view;
    SyncControls();
    statusLabel_->setText(ProjectionStatusText(view));
    Redraw();
}

void TGraph::CopyImage() { QGuiApplication::clipboard()->setImage(ComposedPicture()); }

void TGraph::ZoomIn() {
    state_.Scale *= 2.0;
    state_.CircleRadius = std::min(state_.CircleRadius * 2, MaxCircleRadius);
    Redraw();
}

void TGraph::ZoomOut() {
    state_.Scale *= 0.5;
    state_.CircleRadius = ZoomedOutRadius(state_.CircleRadius);
    Redraw();
}

void TGraph::SetSymbol(SymbolMode symbol) {
    state_.Symbol = symbol;
    SyncControls();
    Redraw();
}

void TGraph::ToggleDrawSmall() {
    state_.DrawSmall = !state_.DrawSmall;
    SyncControls();
    Redraw();
}

void TGraph::ToggleRefreshEachStep() {
    state_.RefreshEachStep = !state_.RefreshEachStep;
    SyncControls();
    Redraw();
}

void TGraph::ToggleBackground() {
    state_.DarkBackground = !state_.DarkBackground;
    Redraw();
}

void TGraph::ResetDefaults() {
    ResetDrawingDefaults(state_);
    SyncControls();
    statusLabel_->setText(ProjectionStatusText(state_.View));
    Redraw();
}

void TGraph::ToggleHighlight() {
    state_.Highlight = !state_.Highlight;
    Redraw();
}

void TGraph::ShiftBy(int dx, int dy) {
    // Held well inside the int range however often the buttons are pressed.
    state_.XShift = std::clamp(state_.XShift + dx, -MaxCircleRadius, MaxCircleRadius);
    state_.YShift = std::clamp(state_.YShift + dy, -MaxCircleRadius, MaxCircleRadius);
    Redraw();
}

void TGraph::PauseClick() {
    // The job draws through this window on the same thread, so it waits
    // until the box is closed.
    if (services_.ShowMessage) services_.ShowMessage(this, MessageKind::Information, QStringLiteral("Pause in routine..."));
}

void TGraph::showEvent(QShowEvent* event) {
    // Zoom steps are forgotten: every showing starts at the options' scale.
    if (!event->spontaneous()) state_.Scale = program_.GraphScale;
    QMainWindow::showEvent(event);
    // Opened after a run, or between snapshots: the frame kept last.
    if (!event->spontaneous()) Redraw();
    SyncBrowser();
}

void TGraph::hideEvent(QHideEvent* event) {
    QMainWindow::hideEvent(event);
    // A job waiting for the window goes on.
    if (!event->spontaneous() && paused_) SetPaused(false);
}

void TGraph::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers held =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const int step = held == Qt::ShiftModifier ? ShiftStep : ArrowStep;
    switch (event->key()) {
        case Qt::Key_Left: ShiftBy(-step, 0); break;
        case Qt::Key_Right: ShiftBy(step, 0); break;
        case Qt::Key_Up: ShiftBy(0, -step); break;
        case Qt::Key_Down: ShiftBy(0, step); break;
        default: QMainWindow::keyPressEvent(event); return;
    }
    event->accept();
}

}  // namespace vantrel
