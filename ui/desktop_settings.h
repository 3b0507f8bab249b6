// What the desktop program remembers across restarts: the recent jobs (the
// last one first) and the geometry of its windows.  They live in the
// user's settings (QSettings, "Vantrel/vantrel-desktop.ini" in the user's
// configuration folder), beside the configuration file and its companion,
// never in them: a job's options stay where they always were.
//
// The first size of the windows on a screen with nothing remembered is
// FirstWindowPlacement's: the main window and the graph window side by side
// when the screen has room for both.
#pragma once

#include <vector>

#include <QByteArray>
#include <QRect>
#include <QString>

#include "io/file_sets.h"

namespace vantrel {

struct RecentJob {
    InputFileSet Inputs;
    OutputFileSet Outputs;
};

inline constexpr int RecentJobLimit = 8;

class DesktopSettings {
public:
    // Jobs remembered, the most recent first.
    std::vector<RecentJob> RecentJobs() const;
    // Puts the job first; an older entry with the same projectile file goes.
    void RememberJob(const RecentJob& job);

    // Window geometry as QWidget::saveGeometry gives it; empty when none.
    QByteArray Geometry(const QString& window) const;
    void SetGeometry(const QString& window, const QByteArray& geometry);
};

struct WindowPlacement {
    QRect Main;
    QRect Graph;
};

// Where the two windows first stand on a screen's available area: the main
// window about 60 % of the width and 80 % of the height (no smaller than
// 760 x 560 where the screen allows), the graph window beside it when at
// least 420 pixels are left, else over its right part.
WindowPlacement FirstWindowPlacement(const QRect& available);

// Where a window of this size opens beside another one (the graph window
// beside the main window): right of it when the screen has room, else left
// of it, else at the screen's right edge; never above the screen's top.
QRect PlaceBeside(const QRect& other, const QSize& size, const QRect& available);

}  // namespace vantrel
