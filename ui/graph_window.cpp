#include "ui/graph_window.h"

#include <algorithm>
#include <cmath>

#include <QAction>
#include <QActionGroup>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QShowEvent>
#include <QStatusBar>
#include <QToolBar>

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

QString ProjectionStatusText(Projection view) {
    const char* name = view == Projection::XZ ? "XZ" : view == Projection::XY ? "XY" : "YZ";
    return QString::fromLatin1(name) +
           QStringLiteral(" plane: Ctrl + Circles/Points/Icons/Small/F5-F7/Kopy/Zoom/Refresh/Default");
}

// ---------------------------------------------------------------------------

GraphPicture::GraphPicture(TGraph& owner, QWidget* parent) : QWidget(parent), owner_(owner) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void GraphPicture::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.drawImage(QPoint(0, 0), owner_.picture_);
}

void GraphPicture::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    owner_.ClearPicture();
}

void GraphPicture::mouseDoubleClickEvent(QMouseEvent*) { owner_.PauseClick(); }

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
    for (AtomIcon kind : {AtomIcon::TypeA, AtomIcon::Projectile, AtomIcon::TypeB})
        for (bool small : {false, true}) icons_[IconSlot(kind, small)] = AtomIconImage(kind, small);

    pictureArea_ = new GraphPicture(*this, this);
    setCentralWidget(pictureArea_);
    statusLabel_ = new QLabel(this);
    statusBar()->addWidget(statusLabel_, 1);
    BuildMenu();
    BuildToolBar();

    auto* help = new QAction(this);
    help->setShortcut(QKeySequence(Qt::Key_F1));
    connect(help, &QAction::triggered, this, [this] { services_.Help(HelpContext); });
    addAction(help);

    state_.Scale = program_.GraphScale;
    SyncControls();
    statusLabel_->setText(ProjectionStatusText(state_.View));
    resize(640, 560);
    ClearPicture();
}

void TGraph::BuildMenu() {
    OptionsMenu = menuBar()->addMenu(QStringLiteral("&Options"));
    PerspectiveMenu = OptionsMenu->addMenu(QStringLiteral("&Perspective"));
    QMenu* perspective = PerspectiveMenu;
    auto* views = new QActionGroup(this);
    auto view = [&](const char* text, int key, Projection p) {
        QAction* action = perspective->addAction(QString::fromLatin1(text));
        action->setShortcut(QKeySequence(Qt::CTRL | key));
        action->setCheckable(true);
        views->addAction(action);
        connect(action, &QAction::triggered, this, [this, p] { SetProjection(p); });
        return action;
    };
    XzAction = view("x&z-plane", Qt::Key_F5, Projection::XZ);
    XyAction = view("&xy-plane", Qt::Key_F6, Projection::XY);
    YzAction = view("&yz-plane", Qt::Key_F7, Projection::YZ);

    CopyImageAction = OptionsMenu->addAction(QStringLiteral("&Copy image"));
    CopyImageAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    connect(CopyImageAction, &QAction::triggered, this, &TGraph::CopyImage);
    ZoomInAction = OptionsMenu->addAction(QStringLiteral("Zoom &in"));
    ZoomInAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    connect(ZoomInAction, &QAction::triggered, this, &TGraph::ZoomIn);
    ZoomOutAction = OptionsMenu->addAction(QStringLiteral("Zoom &out"));
    ZoomOutAction->setShortcut(QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_Z));
    connect(ZoomOutAction, &QAction::triggered, this, &TGraph::ZoomOut);

    SymbolsMenu = OptionsMenu->addMenu(QStringLiteral("&Symbols"));
    QMenu* symbols = SymbolsMenu;
    auto* symbolGroup = new QActionGroup(this);
    auto symbol = [&](const char* text, int key, SymbolMode mode) {
        QAction* action = symbols->addAction(QString::fromLatin1(text));
        action->setShortcut(QKeySequence(Qt::CTRL | key));
        action->setCheckable(true);
        symbolGroup->addAction(action);
        connect(action, &QAction::triggered, this, [this, mode] { SetSymbol(mode); });
        return action;
    };
    CirclesAction = symbol("&Circles", Qt::Key_C, SymbolMode::Circles);
    PointsAction = symbol("&Points", Qt::Key_P, SymbolMode::Points);
    IconsAction = symbol("&Icons", Qt::Key_I, SymbolMode::Icons);
    symbols->addSeparator();
    DrawSmallAction = symbols->addAction(QStringLiteral("Draw &small"));
    DrawSmallAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    DrawSmallAction->setCheckable(true);
    connect(DrawSmallAction, &QAction::triggered, this, &TGraph::ToggleDrawSmall);

    RefreshAction = OptionsMenu->addAction(QStringLiteral("&Refresh each step"));
    RefreshAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    RefreshAction->setCheckable(true);
    connect(RefreshAction, &QAction::triggered, this, &TGraph::ToggleRefreshEachStep);
    BackgroundAction = OptionsMenu->addAction(QStringLiteral("&Toggle background colour"));
    connect(BackgroundAction, &QAction::triggered, this, &TGraph::ToggleBackground);
    ResetDefaultsAction = OptionsMenu->addAction(QStringLiteral("Reset &defaults"));
    ResetDefaultsAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    connect(ResetDefaultsAction, &QAction::triggered, this, &TGraph::ResetDefaults);
    HighlightAction = OptionsMenu->addAction(QStringLiteral("&Highlight"));
    HighlightAction->setShortcut(QKeySequence(Qt::Key_F2));
    connect(HighlightAction, &QAction::triggered, this, &TGraph::ToggleHighlight);
}

void TGraph::BuildToolBar() {
    Tools = addToolBar(QStringLiteral("Graph tools"));
    Tools->setMovable(false);
    Tools->setFocusPolicy(Qt::NoFocus);
    auto* views = new QActionGroup(this);
    auto view = [&](const char* text, Projection p) {
        QAction* action = Tools->addAction(QString::fromLatin1(text));
        action->setCheckable(true);
        views->addAction(action);
        connect(action, &QAction::triggered, this, [this, p] { SetProjection(p); });
        return action;
    };
    XzButton = view("xz", Projection::XZ);
    XyButton = view("xy", Projection::XY);
    YzButton = view("yz", Projection::YZ);
    Tools->addSeparator();
    auto button = [&](ToolIcon icon, const char* hint, auto handler) {
        QAction* action = Tools->addAction(ToolBarIcon(icon), QString::fromLatin1(hint));
        action->setToolTip(QString::fromLatin1(hint));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    ZoomInButton = button(ToolIcon::ZoomIn, "zoom in", [this] { ZoomIn(); });
    ZoomOutButton = button(ToolIcon::ZoomOut, "zoom out", [this] { ZoomOut(); });
    Tools->addSeparator();
    PlusXButton = button(ToolIcon::ShiftRight, "+x shift", [this] { ShiftBy(ShiftStep, 0); });
    MinusXButton = button(ToolIcon::ShiftLeft, "-x shift", [this] { ShiftBy(-ShiftStep, 0); });
    // "+y shift" moves the picture up: the screen's y grows downwards.
    PlusYButton = button(ToolIcon::ShiftUp, "+y shift", [this] { ShiftBy(0, -ShiftStep); });
    MinusYButton = button(ToolIcon::ShiftDown, "-y shift", [this] { ShiftBy(0, ShiftStep); });
    Tools->addSeparator();
    AtomLimitLabel = new QLabel(QStringLiteral("Only 10,000 atoms displayed"), Tools);
    AtomLimitLabel->setContentsMargins(8, 0, 8, 0);
    Tools->addWidget(AtomLimitLabel);
}

void TGraph::SyncControls() {
    XzAction->setChecked(state_.View == Projection::XZ);
    XyAction->setChecked(state_.View == Projection::XY);
    YzAction->setChecked(state_.View == Projection::YZ);
    XzButton->setChecked(state_.View == Projection::XZ);
    XyButton->setChecked(state_.View == Projection::XY);
    YzButton->setChecked(state_.View == Projection::YZ);
    CirclesAction->setChecked(state_.Symbol == SymbolMode::Circles);
    PointsAction->setChecked(state_.Symbol == SymbolMode::Points);
    IconsAction->setChecked(state_.Symbol == SymbolMode::Icons);
    DrawSmallAction->setChecked(state_.DrawSmall);
    RefreshAction->setChecked(state_.RefreshEachStep);
}

QString TGraph::StatusText() const { return statusLabel_->text(); }

const QImage& TGraph::IconImage(AtomIcon kind, bool small) const { return icons_[IconSlot(kind, small)]; }

// ---------------------------------------------------------------------------
// Notifications and drawing.

void TGraph::PlotUpdate(const PlotSnapshot& snapshot) {
    if (!isVisible()) return;
    DrawSnapshot(snapshot);
}

void TGraph::PlotReset() { ClearPicture(); }

void TGraph::ClearPicture() {
    // A fresh picture of the area's current size; its canvas brush is white.
    const QSize size = pictureArea_->size();
    picture_ = QImage(std::max(size.width(), 1), std::max(size.height(), 1), QImage::Format_RGB32);
    picture_.fill(Qt::white);
    brush_ = Qt::white;
    pictureArea_->update();
}

void TGraph::DrawSnapshot(const PlotSnapshot& snapshot) {
    if (state_.RefreshEachStep) {
        ClearPicture();
        if (state_.DarkBackground) {
            brush_ = Qt::black;
            picture_.fill(Qt::black);
        }
    }
    const int width = picture_.width();
    const int height = picture_.height();
    const int ox = width / 2 + state_.XShift;
    const int oy = (state_.View == Projection::XY ? height / 2 : height / 4) + state_.YShift;
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
                if (state_.Highlight) {
                    if (depth_[k] > HighlightDepth) kind = AtomIcon::Projectile;
                } else if (i == 0) {
                    kind = AtomIcon::Projectile;
                } else if (snapshot.Flags != nullptr && (snapshot.Flags[i] & TypeB) != 0) {
                    kind = AtomIcon::TypeB;
                }
                painter.drawImage(QPoint(x, y), IconImage(kind, state_.DrawSmall));
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

// ---------------------------------------------------------------------------
// Commands.

void TGraph::SetProjection(Projection view) {
    state_.View = view;
    SyncControls();
    statusLabel_->setText(ProjectionStatusText(view));
    ClearPicture();
}

void TGraph::CopyImage() { QGuiApplication::clipboard()->setImage(picture_); }

void TGraph::ZoomIn() {
    state_.Scale *= 2.0;
    state_.CircleRadius = std::min(state_.CircleRadius * 2, MaxCircleRadius);
    ClearPicture();
}

void TGraph::ZoomOut() {
    state_.Scale *= 0.5;
    state_.CircleRadius = ZoomedOutRadius(state_.CircleRadius);
    ClearPicture();
}

void TGraph::SetSymbol(SymbolMode symbol) {
    state_.Symbol = symbol;
    SyncControls();
    ClearPicture();
}

void TGraph::ToggleDrawSmall() {
    state_.DrawSmall = !state_.DrawSmall;
    SyncControls();
}

void TGraph::ToggleRefreshEachStep() {
    state_.RefreshEachStep = !state_.RefreshEachStep;
    SyncControls();
    ClearPicture();
}

void TGraph::ToggleBackground() { state_.DarkBackground = !state_.DarkBackground; }

void TGraph::ResetDefaults() {
    ResetDrawingDefaults(state_);
    SyncControls();
    statusLabel_->setText(ProjectionStatusText(state_.View));
}

void TGraph::ToggleHighlight() { state_.Highlight = !state_.Highlight; }

void TGraph::ShiftBy(int dx, int dy) {
    // Held well inside the int range however often the buttons are pressed.
    state_.XShift = std::clamp(state_.XShift + dx, -MaxCircleRadius, MaxCircleRadius);
    state_.YShift = std::clamp(state_.YShift + dy, -MaxCircleRadius, MaxCircleRadius);
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
