// Pictures drawn in code: the six atom icons of the graph window, the
// program icon, the graph tool bar's icons, and the stand-in for the about
// box's example picture.
#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace vantrel {

enum class AtomIcon { TypeA, Projectile, TypeB };

inline constexpr int AtomIconSize = 32;       // normal icons, pixels
inline constexpr int SmallAtomIconSize = 28;  // "draw small" icons, pixels

// A shaded sphere with a dark rim and a light highlight, on a transparent
// background, so it reads on a white and on a black picture alike.
QImage AtomIconImage(AtomIcon kind, bool small);

// A cluster of atoms with an incoming track.
QPixmap ProgramIconPixmap(int size);
QIcon ProgramIcon();

enum class ToolIcon { ZoomIn, ZoomOut, ShiftRight, ShiftLeft, ShiftUp, ShiftDown };
QIcon ToolBarIcon(ToolIcon kind);

// The main window's tool bar.
enum class CommandIcon { Begin, Cancel, InputFiles, Graph, ClearLog, Step, OutputFiles };
QIcon CommandBarIcon(CommandIcon kind);

// A file of the project tree: a page in colour when the job uses the file,
// a greyed page when the options leave it unused.
QIcon ProjectFileIcon(bool inUse);

// A drawn impression of a surface after an impact: the about box shows it
// until a picture of a real result is supplied (see TAboutForm).
QPixmap ExampleResultPlaceholder(int width, int height);

}  // namespace vantrel
